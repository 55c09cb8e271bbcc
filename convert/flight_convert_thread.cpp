#include "convert/flight_convert_thread.h"

#include "convert/conversion_log.h"
#include "widgets/qt_text.h"

#include <QEventLoop>
#include <QMetaObject>
#include <utility>

namespace quorvel::ui {

using quorvel::convert::Summary;

FlightConvertThread::FlightConvertThread(quorvel::convert::ConvertInputs inputs, quorvel::Prompter& prompter,
                                         QObject* parent)
    : QObject(parent), inputs_(std::move(inputs)), prompter_(prompter)
{
}

FlightConvertThread::~FlightConvertThread()
{
    stop();
}

void FlightConvertThread::start()
{
    if (started_) return;
    started_ = true;
    worker_ = std::jthread([this](std::stop_token stop) { run(std::move(stop)); });
}

void FlightConvertThread::requestStop()
{
    stop_ = true;            // first, so a worker woken by the token finds the run stopped
    worker_.request_stop();  // wakes a wait in waitForGui(); nothing to wake before start()
}

void FlightConvertThread::stop()
{
    requestStop();
    if (worker_.joinable()) worker_.join();
}

void FlightConvertThread::waitUntilFinished()
{
    if (!started_) return;
    if (!finished_) {
        QEventLoop loop;
        connect(this, &FlightConvertThread::finished, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (worker_.joinable()) worker_.join();
}

void FlightConvertThread::run(std::stop_token stop)
{
    stopToken_ = std::move(stop);
    std::optional<Summary> summary;
    try {
        summary = quorvel::convert::convert(inputs_, *this, stop_);
    } catch (const std::exception& error) {
        message("Error", error.what());
    } catch (...) {
        message("Error", "The conversion ended in an unknown error");
    }
    postToGui([this, summary = std::move(summary)] {
        publishLatest();  // the final state, whatever is still queued
        summary_ = summary;
        finished_ = true;
        emit finished();
    });
}

void FlightConvertThread::postToGui(std::function<void()> call)
{
    {
        const std::lock_guard lock(guiCallsMutex_);
        guiCalls_.push_back(std::move(call));
    }
    // Posted by name, so the queued event carries no data of ours: the call itself travels
    // through guiCalls_, under a lock that the thread sanitizer sees (Qt's own are hidden from it).
    QMetaObject::invokeMethod(this, "runNextGuiCall", Qt::QueuedConnection);
}

void FlightConvertThread::runNextGuiCall()
{
    std::function<void()> call;
    {
        const std::lock_guard lock(guiCallsMutex_);
        if (guiCalls_.empty()) return;
        call = std::move(guiCalls_.front());
        guiCalls_.pop_front();
    }
    call();  // outside the lock: a message box's event loop may run the next call meanwhile
}

void FlightConvertThread::schedulePublish()
{
    if (!posted_.exchange(true)) postToGui([this] { publishLatest(); });
}

void FlightConvertThread::publishLatest()
{
    posted_ = false;  // cleared before reading, so a later change posts again
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

void FlightConvertThread::waitForGui(std::function<void()> work)
{
    std::unique_lock lock(answerMutex_);
    answered_ = false;
    postToGui([this, work = std::move(work)] {
        work();
        {
            const std::lock_guard lock(answerMutex_);
            answered_ = true;
        }
        answer_.notify_one();
    });
    // A call left unanswered by a stop may still run later and set answered_; by then every
    // wait returns at once anyway, since the stop is never taken back.
    answer_.wait(lock, stopToken_, [this] { return answered_ || stop_; });
}

void FlightConvertThread::logLine(std::string_view key)
{
    notFound(key, {});
}

void FlightConvertThread::notFound(std::string_view key, std::string_view place)
{
    waitForGui([this, key = std::string(key), place = std::string(place)] { emit logLineAdded(key, place); });
}

void FlightConvertThread::skippedLine(std::string_view text)
{
    postToGui([this, line = quorvel::convert::ConversionLog::skippedLineText(text)] { emit logTextAdded(line); });
}

void FlightConvertThread::stoppedAt(std::string_view text)
{
    postToGui([this, line = quorvel::convert::ConversionLog::stoppedLineText(text)] { emit logTextAdded(line); });
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
    postToGui([this, caption = fromUtf8(text)] { emit buttonCaptionChanged(caption); });
}

void FlightConvertThread::pressButton()
{
    postToGui([this] { emit buttonPressed(); });
}

}  // namespace quorvel::ui
