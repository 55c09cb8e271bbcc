#include "widgets/message_box_prompter.h"

#include <gtest/gtest.h>
#include <QWidget>
#include <QWindow>

using namespace std::chrono_literals;
using namespace quorvel::ui;

TEST(EventLoopSleeper, TheWindowSystemMapsAndPaintsWindowsWhileStartUpWaits)
{
    // Start-up waits before the message loop runs; a window shown then must still be exposed
    // and painted, or the splash screen stays an empty frame.
    QWidget window;
    int paints = 0;
    struct PaintCounter final : QObject {
        int& paints;
        explicit PaintCounter(int& p) : paints(p) {}
        bool eventFilter(QObject*, QEvent* event) override
        {
            paints += event->type() == QEvent::Paint;
            return false;
        }
    } counter(paints);
    window.installEventFilter(&counter);
    window.resize(64, 64);
    window.show();
    ASSERT_NE(window.windowHandle(), nullptr);

    EventLoopSleeper sleeper;
    sleeper.wait(1ms);
    EXPECT_TRUE(window.windowHandle()->isExposed());
    EXPECT_GE(paints, 1);
}
