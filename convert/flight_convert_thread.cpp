#include "convert/flight_convert_thread.h"

#include "app/qt_text.h"

#include <QEventLoop>
#include <QMetaObject>

using quorvel::convert::Summary;

FlightConvertThread::FlightConvertThread(quorvel::convert::ConvertInputs inputs, quorvel::Prompter& prompter,
                                         QObject* parent)
    : QObject(parent), inputs_(std::move(inputs)), prompter_(prompter)
{
}

FlightConvertThread::~FlightConvertThread()
{
    requestStop();
    waitUntilFinished();
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

void FlightConvertThread::logLine(std::string_view key)
{
    const std::string line(key);
    QMetaObject::invokeMethod(this, [this, &line] { emit logLineAdded(line); }, Qt::BlockingQueuedConnection);
}

void FlightConvertThread::message(std::string_view caption, std::string_view text)
{
    QMetaObject::invokeMethod(
        this,
        [this, caption, text] {
            // Once the user has pressed "Stop" the dialog is gone; a late warning would stand alone.
            if (!stop_) prompter_.message(caption, text);
        },
        Qt::BlockingQueuedConnection);
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
