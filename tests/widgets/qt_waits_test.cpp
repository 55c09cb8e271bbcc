#include "widgets/message_box_prompter.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QMainWindow>
#include <QProgressBar>
#include <QProgressDialog>

using namespace quorvel::ui;

namespace {

QProgressDialog* shownProgress()
{
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<QProgressDialog*>(window); dialog && dialog->isVisible()) return dialog;
    return nullptr;
}

Qt::CursorShape cursor()
{
    return QApplication::overrideCursor() ? QApplication::overrideCursor()->shape() : Qt::ArrowCursor;
}

}  // namespace

TEST(QtWaits, BusyCursorNestsAndIsRestored)
{
    QtWaits waits;
    ASSERT_EQ(QApplication::overrideCursor(), nullptr);
    waits.busyStarted();
    EXPECT_EQ(cursor(), Qt::WaitCursor);
    waits.busyStarted();
    waits.busyFinished();
    EXPECT_EQ(cursor(), Qt::WaitCursor) << "the outer wait is still running";
    waits.busyFinished();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    waits.busyFinished();  // one too many leaves a cursor set by others alone
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(QtWaits, ProgressDialogOverTheWindowCountsTheSteps)
{
    QMainWindow window;
    window.show();
    window.activateWindow();
    QtWaits waits;
    waits.progressStarted("Drawing the pages...", 693);
    QProgressDialog* progress = shownProgress();
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->labelText(), "Drawing the pages...");
    EXPECT_EQ(progress->maximum(), 693);
    EXPECT_FALSE(progress->isModal()) << "a modal one would run the event loop between pages";
    const QProgressBar* bar = progress->findChild<QProgressBar*>();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isVisible());
    for (const int done : {1, 346, 693}) {
        waits.progressed(done);
        EXPECT_EQ(progress->value(), done);
    }
    EXPECT_TRUE(progress->isVisible()) << "it stays up to the end, not only until the last page";
    waits.progressFinished();
    EXPECT_EQ(shownProgress(), nullptr);
}

TEST(QtWaits, AWaitInsideAnotherKeepsTheDialogUntilTheOuterOneEnds)
{
    QMainWindow window;
    window.show();
    QtWaits waits;
    waits.progressStarted("Drawing the pages...", 3);
    waits.progressStarted("Drawing the pages...", 2);  // the preview asks for its pages again meanwhile
    waits.progressed(2);
    waits.progressFinished();
    QProgressDialog* progress = shownProgress();
    ASSERT_NE(progress, nullptr) << "the outer wait still counts its pages";
    EXPECT_EQ(progress->maximum(), 3);
    waits.progressed(3);
    EXPECT_EQ(progress->value(), 3);
    waits.progressFinished();
    EXPECT_EQ(shownProgress(), nullptr);
    waits.progressFinished();  // one too many changes nothing
    EXPECT_EQ(shownProgress(), nullptr);
}
