#include "convert/flight_convert_thread.h"

#include "app/qt_text.h"

#include <QEventLoop>
#include <QMetaObject>
#include <chrono>
#include <future>
#include <memory>

using quorvel::convert::Summary;

FlightConvertThread::FlightConvertThread(quorvel::convert::ConvertInputs inputs, quorvel::Prompter& prompter,
                                         QObject* parent)
    : QObject(parent), inputs_(std::move(inputs)), prompter_(prompter)
{
}

FlightConvertThread::~FlightConvertThread()
{
    // A stopped worker never waits for the GUI thread (see waitForGui), so it can be joined
    // here without serving it; calls it queued for this object are dropped with the object.
    requestStop();
    if (worker_.joinable()) worker_.join();
}

void FlightConvertThread::start()
{
    if (worker_.joinable()) return;
    worker_ = std::jthread([this] { run(); });
}

void FlightConvertThread::waitUntilFinished()
{
    if (!worker_.joinable()) return;
    if (!finished_) {
        // The worker may be waiting for a log line or a message box: keep serving it.
        QEventLoop loop;
        connect(this, &FlightConvertThread::finished, &loop, &QEventLoop::quit);
        loop.exec();
    }
    worker_.join();
}

void FlightConvertThread::run()
{
    std::optional<Summary> summary;
    try {
        summary = quorvel::convert::convert(inputs_, *this, stop_);
    } catch (const std::exception& error) {
        message("Error", error.what());
    } catch (...) {
        message("Error", "The conversion ended in an unknown error");
    }
    QMetaObject::invokeMethod(
        this,
        [this, summary = std::move(summary)] {
            publishLatest();   // the final state, whatever is still queued
            summary_ = summary;
            finished_ = true;
            emit finished();
        },
        Qt::QueuedConnection);
}

void FlightConvertThread::schedulePublish()
{
    if (!posted_.exchange(true)) QMetaObject::invokeMethod(this, [this] { publishLatest(); }, Qt::QueuedConnection);
}

void FlightConvertThread::publishLatest()
{
    posted_ = false;   // cleared before reading, so a later change posts again
    Progress latest;
    {
        const std::lock_guard lock(latestMutex_);
        latest = latest_;
    }
    emit progressChanged(latest.minimum, latest.maximum, latest.position);
    if (latest.label) emit labelChanged(fromUtf8(*latest.label));
}

void FlightConvertThread::progressRange(int minimum, int maximum)
{
    {
        const std::lock_guard lock(latestMutex_);
        latest_.minimum = minimum;
        latest_.maximum = maximum;
    }
    schedulePublish();
}

void FlightConvertThread::progress(int position)
{
    {
        const std::lock_guard lock(latestMutex_);
        latest_.position = position;
    }
    schedulePublish();
}

void FlightConvertThread::label(std::string_view text)
{
    {
        const std::lock_guard lock(latestMutex_);
        latest_.label.emplace(text);
    }
    schedulePublish();
}

void FlightConvertThread::waitForGui(const std::function<void()>& work)
{
    // Like a blocking queued call, but a stop request releases the worker: the GUI thread may be
    // tearing the dialog down and no longer serve it.
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> served = done->get_future();
    QMetaObject::invokeMethod(
        this,
        [work, done] {
            work();
            done->set_value();
        },
        Qt::QueuedConnection);
    while (served.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready)
        if (stop_) return;
}

void FlightConvertThread::logLine(std::string_view key)
{
    waitForGui([this, line = std::string(key)] { emit logLineAdded(line); });
}

void FlightConvertThread::message(std::string_view caption, std::string_view text)
{
    waitForGui([this, caption = std::string(caption), text = std::string(text)] {
        // Once the user has pressed "Stop" the dialog is gone; a late warning would stand alone.
        if (!stop_) prompter_.message(caption, text);
    });
}

void FlightConvertThread::buttonCaption(std::string_view text)
{
    QMetaObject::invokeMethod(this, [this, caption = fromUtf8(text)] { emit buttonCaptionChanged(caption); },
                              Qt::QueuedConnection);
}

void FlightConvertThread::pressButton()
{
    QMetaObject::invokeMethod(this, [this] { emit buttonPressed(); }, Qt::QueuedConnection);
}
