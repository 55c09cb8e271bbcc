#include "widgets/message_box_prompter.h"

#include "widgets/picture_file_dialog.h"
#include "widgets/qt_text.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QTimer>
#include <QWindow>
#include <algorithm>

namespace quorvel::ui {

namespace {

QWidget* activeWindow()
{
    return QApplication::activeWindow();
}

}  // namespace

void MessageBoxPrompter::message(std::string_view caption, std::string_view text)
{
    const QMessageBox::Icon icon = caption == "Error"                             ? QMessageBox::Critical
                                   : caption == "WARNING" || caption == "Warning" ? QMessageBox::Warning
                                                                                  : QMessageBox::Information;
    QMessageBox box(icon, fromUtf8(caption), fromUtf8(text), QMessageBox::Ok, activeWindow());
    box.exec();
}

bool MessageBoxPrompter::confirm(std::string_view caption, std::string_view text)
{
    return QMessageBox::question(activeWindow(), fromUtf8(caption), fromUtf8(text),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void EventLoopSleeper::wait(std::chrono::milliseconds duration)
{
    QEventLoop loop;
    QTimer::singleShot(duration, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

QtWaits::QtWaits() = default;

QtWaits::~QtWaits() = default;

void QtWaits::busyStarted()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (busy_++ > 0) return;
    // The work blocks the event loop, so whatever a closed menu or dialog covered is painted now.
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible()) window->repaint();
}

void QtWaits::busyFinished()
{
    if (busy_ == 0) return;
    --busy_;
    QApplication::restoreOverrideCursor();
}

void QtWaits::progressStarted(std::string_view label, int total)
{
    // A wait may start inside another (the preview asks for its pages again while the window
    // system's events are handled below): the inner one borrows the dialog that is up, the outer
    // one gets it back when the inner ends, and it goes when the outermost wait ends.
    progressSteps_.push_back({fromUtf8(label), std::max(total, 1)});
    if (progressSteps_.size() > 1 && progress_) {
        progress_->setLabelText(progressSteps_.back().label);
        progress_->setMaximum(progressSteps_.back().total);
        progress_->setValue(0);
        return;
    }
    progress_ = std::make_unique<QProgressDialog>(fromUtf8(label), QString(), 0, std::max(total, 1), activeWindow());
    progress_->setWindowTitle(QApplication::applicationName());
    progress_->setMinimumDuration(0);
    progress_->setAutoReset(false);
    progress_->setAutoClose(false);
    progress_->setValue(0);
    progress_->show();
    // The dialog can paint itself only once the window system has shown it; this runs before the
    // work starts, so the events handled here meet nothing half done. Input waits for the end.
    const QPointer<QProgressDialog> dialog = progress_.get();
    const QDeadlineTimer shown(250);
    while (dialog && !(dialog->windowHandle() && dialog->windowHandle()->isExposed()) && !shown.hasExpired())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
    if (dialog) dialog->repaint();
}

void QtWaits::progressed(int done)
{
    // Not modal, so setting the value handles no events; the bar repaints itself at once.
    if (progress_) progress_->setValue(done);
}

void QtWaits::progressFinished()
{
    if (progressSteps_.empty()) return;
    progressSteps_.pop_back();
    if (progressSteps_.empty()) {
        progress_.reset();
    } else if (progress_) {
        progress_->setLabelText(progressSteps_.back().label);
        progress_->setMaximum(progressSteps_.back().total);
    }
}

std::optional<std::filesystem::path> QtFileDialogs::openFile(std::string_view caption,
                                                             const std::filesystem::path& folder,
                                                             std::string_view filter)
{
    const QString file = QFileDialog::getOpenFileName(activeWindow(), fromUtf8(caption),
                                                      QString::fromStdString(folder.string()), fromUtf8(filter));
    if (file.isEmpty()) return std::nullopt;
    return std::filesystem::path(file.toStdString());
}

std::optional<std::filesystem::path> QtFileDialogs::openPicture(std::string_view caption,
                                                                const std::filesystem::path& folder,
                                                                std::string_view filter)
{
    PictureFileDialog dialog(activeWindow(), fromUtf8(caption), QString::fromStdString(folder.string()),
                             fromUtf8(filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return std::filesystem::path(dialog.selectedFiles().front().toStdString());
}

std::optional<std::filesystem::path> QtFileDialogs::saveFile(std::string_view caption,
                                                             const std::filesystem::path& folder,
                                                             std::string_view filter, std::string_view defaultSuffix)
{
    QFileDialog dialog(activeWindow(), fromUtf8(caption), QString::fromStdString(folder.string()), fromUtf8(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(fromUtf8(defaultSuffix));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return std::filesystem::path(dialog.selectedFiles().front().toStdString());
}

}  // namespace quorvel::ui
