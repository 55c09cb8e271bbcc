#include "app/message_box_prompter.h"

#include "app/qt_text.h"

#include <QApplication>
#include <QFileDialog>
#include <QEventLoop>
#include <QMessageBox>
#include <QTimer>

namespace {

QWidget* activeWindow() { return QApplication::activeWindow(); }

}  // namespace

void MessageBoxPrompter::message(std::string_view caption, std::string_view text)
{
    const QMessageBox::Icon icon = caption == "Error"     ? QMessageBox::Critical
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

std::optional<std::filesystem::path> QtFileDialogs::openFile(std::string_view caption, const std::filesystem::path& folder,
                                                             std::string_view filter)
{
    const QString file = QFileDialog::getOpenFileName(activeWindow(), fromUtf8(caption),
                                                      QString::fromStdString(folder.string()), fromUtf8(filter));
    if (file.isEmpty()) return std::nullopt;
    return std::filesystem::path(file.toStdString());
}

std::optional<std::filesystem::path> QtFileDialogs::saveFile(std::string_view caption, const std::filesystem::path& folder,
                                                             std::string_view filter, std::string_view defaultSuffix)
{
    QFileDialog dialog(activeWindow(), fromUtf8(caption), QString::fromStdString(folder.string()), fromUtf8(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(fromUtf8(defaultSuffix));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return std::filesystem::path(dialog.selectedFiles().front().toStdString());
}
