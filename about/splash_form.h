// about/splash_form.h: the splash screen start-up shows while it works. No message loop runs then,
// so showing waits until the window system has exposed the window, and every change of the
// message line or the gauge repaints the window at once.
#pragma once

#include "about/splash_screen.h"

#include <QWidget>

class QFrame;
class QLabel;
class QProgressBar;

class TSplashForm final : public QWidget, public quorvel::about::SplashScreen {
    Q_OBJECT
public:
    explicit TSplashForm(QWidget* parent = nullptr);

    void show() override;                         // centred on the screen, on top, drawn at once
    void say(std::string_view message) override;  // UTF-8
    void setGaugeRange(int minimum, int maximum) override;
    void setGauge(int value) override;  // a value outside the range shows as its nearest end
    int gauge() const override;
    void close() override;  // hides the window and gives up its native window

    QFrame* Panel1;
    QLabel* Image1;
    QLabel* StaticText1;
    QLabel* InfoLabel;
    QProgressBar* CGauge1;

private:
    void waitUntilExposed();  // bounded; lets the window system deliver the events that map the window
};
