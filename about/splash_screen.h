// about/splash_screen.h: the splash screen as start-up drives it. No message loop runs during
// start-up, so every change is drawn at once by the implementation.
#pragma once

#include <string_view>

namespace quorvel::about {

struct SplashScreen {
    virtual ~SplashScreen() = default;
    virtual void show() = 0;
    virtual void say(std::string_view message) = 0;  // the message line, redrawn at once
    virtual void setGaugeRange(int minimum, int maximum) = 0;
    virtual void setGauge(int value) = 0;  // redrawn at once
    virtual int gauge() const = 0;
    virtual void stepGauge() { setGauge(gauge() + 1); }  // stops at the maximum
    virtual void close() = 0;                            // destroys the window
};

}  // namespace quorvel::about
