// convert/flight_convert_thread.h: the conversion run on a worker thread, its reports delivered
// on the GUI thread.
//
// The worker touches no widget; everything it tells goes through this object's signals, emitted
// on the GUI thread. Progress and label are coalesced (the latest state wins, the last one is
// always delivered); caption, press and finish keep their order.
//
// A log line and a message box must wait for the GUI thread: the worker posts them as a queued
// call and then waits on one condition that two things wake, the call's answer or a stop request
// (the jthread's stop token). So stopping is one call, stop(): raise the flag, wake the wait,
// join. It needs no event loop, because the worker is never left waiting on the GUI thread; a
// report still queued when the object goes is dropped with it. The destructor calls stop().
#pragma once

#include "convert/conversion_run.h"
#include "platform/interaction.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>

namespace quorvel::ui {

class FlightConvertThread final : public QObject, private quorvel::convert::ConversionReport {
    Q_OBJECT
public:
    // `inputs.airports` and `prompter` must outlive this object. Lives on the GUI thread, and
    // every member below is called there.
    FlightConvertThread(quorvel::convert::ConvertInputs inputs, quorvel::Prompter& prompter, QObject* parent = nullptr);
    ~FlightConvertThread() override;  // stop()

    void start();  // starts the run once; later calls do nothing, even after it ended
    bool started() const { return started_; }
    void requestStop();  // the run ends at its next line or leg; returns at once
    void stop();         // requestStop(), then joins the run
    // Runs the event loop until the run has finished, then joins it: for a caller that wants the
    // run's result and lets the GUI thread serve it meanwhile.
    void waitUntilFinished();
    // How the run ended; nothing before `finished` or when it ended in an exception (already shown).
    const std::optional<quorvel::convert::Summary>& summary() const { return summary_; }

signals:
    void progressChanged(int minimum, int maximum, int position);
    void labelChanged(const QString& text);
    // The worker waits until the slots have returned, or a stop. `key` is Windows-1252, `place`
    // ("flightplans.txt, line 12", where the key is first used) UTF-8.
    void logLineAdded(const std::string& key, const std::string& place);
    // A line left out, or the line the run stopped on, as the log shows it (UTF-8).
    void logTextAdded(const std::string& text);
    void buttonCaptionChanged(const QString& text);
    void buttonPressed();
    void finished();

private:
    struct Progress {
        int minimum = 0;
        int maximum = 100;
        int position = 0;
        std::optional<std::string> label;  // UTF-8; never set until the first plan line
    };

    void run(std::stop_token stop);  // worker thread

    // ConversionReport, called on the worker thread.
    void progressRange(int minimum, int maximum) override;
    void progress(int position) override;
    void label(std::string_view text) override;
    void logLine(std::string_view key) override;
    void notFound(std::string_view key, std::string_view place) override;
    void skippedLine(std::string_view text) override;
    void stoppedAt(std::string_view text) override;
    void message(std::string_view caption, std::string_view text) override;
    void buttonCaption(std::string_view text) override;
    void pressButton() override;

    void waitForGui(
        std::function<void()> work);             // worker thread: runs `work` on the GUI thread, waits for it or a stop
    void postToGui(std::function<void()> call);  // worker thread: queued, in order
    Q_INVOKABLE void runNextGuiCall();           // GUI thread
    void schedulePublish();                      // worker thread
    void publishLatest();                        // GUI thread

    quorvel::convert::ConvertInputs inputs_;
    quorvel::Prompter& prompter_;
    std::atomic<bool> stop_{false};  // what the run reads; raised by requestStop() before the token
    std::stop_token stopToken_;      // the worker's, set as run() begins; worker thread
    std::mutex guiCallsMutex_;
    std::deque<std::function<void()>> guiCalls_;  // under guiCallsMutex_: posted, not yet run
    std::mutex answerMutex_;
    std::condition_variable_any answer_;
    bool answered_ = false;            // under answerMutex_: the GUI thread has done the waited-for call
    std::atomic<bool> posted_{false};  // a publishLatest() is queued and has not read latest_ yet
    std::mutex latestMutex_;
    Progress latest_;                                   // under latestMutex_
    bool started_ = false;                              // GUI thread
    bool finished_ = false;                             // GUI thread
    std::optional<quorvel::convert::Summary> summary_;  // GUI thread
    std::jthread worker_;
};

}  // namespace quorvel::ui
