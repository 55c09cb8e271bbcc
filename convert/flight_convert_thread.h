// convert/flight_convert_thread.h: the conversion run on a worker thread, its reports delivered
// on the GUI thread.
//
// The worker only reads its stop flag; everything it tells goes through this object's signals,
// emitted on the GUI thread. Progress and label are coalesced (the latest state wins, the last
// one is always delivered); caption, press and finish keep their order. A log line and a message
// box make the worker wait until the GUI thread has dealt with them, so stopping means raising
// the flag and letting the event loop run until `finished`: waitUntilFinished() does that, and
// the destructor calls it. Nothing here joins the worker while it may be waiting on the GUI.
#pragma once

#include "convert/conversion_run.h"
#include "platform/interaction.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

class FlightConvertThread final : public QObject, private quorvel::convert::ConversionReport {
    Q_OBJECT
public:
    // `inputs.airports` and `prompter` must outlive this object. Lives on the GUI thread.
    FlightConvertThread(quorvel::convert::ConvertInputs inputs, quorvel::Prompter& prompter, QObject* parent = nullptr);
    ~FlightConvertThread() override;   // raises the stop flag and waits for the run

    void start();                      // starts the run once; later calls do nothing
    void requestStop() { stop_ = true; }
    bool stopRequested() const { return stop_; }
    bool started() const { return worker_.joinable(); }
    bool isFinished() const { return finished_; }
    // Runs the event loop until the run has finished, then joins it. GUI thread only.
    void waitUntilFinished();
    // How the run ended; nothing before `finished` or when it ended in an exception (already shown).
    const std::optional<quorvel::convert::Summary>& summary() const { return summary_; }

signals:
    void progressChanged(int minimum, int maximum, int position);
    void labelChanged(const QString& text);
    void logLineAdded(const std::string& key);   // the worker waits until the slots have returned
    void buttonCaptionChanged(const QString& text);
    void buttonPressed();
    void finished();

private:
    void waitForGui(const std::function<void()>& work);   // worker thread: runs `work` on the GUI thread and waits, unless stopped
    struct Progress {
        int minimum = 0;
        int maximum = 100;
        int position = 0;
        std::optional<std::string> label;   // UTF-8; never set until the first plan line
    };

    void run();   // worker thread

    // ConversionReport, called on the worker thread.
    void progressRange(int minimum, int maximum) override;
    void progress(int position) override;
    void label(std::string_view text) override;
    void logLine(std::string_view key) override;
    void message(std::string_view caption, std::string_view text) override;
    void buttonCaption(std::string_view text) override;
    void pressButton() override;

    void schedulePublish();   // worker thread
    void publishLatest();     // GUI thread

    quorvel::convert::ConvertInputs inputs_;
    quorvel::Prompter& prompter_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> posted_{false};   // a publishLatest() is queued and has not read latest_ yet
    std::mutex latestMutex_;
    Progress latest_;
    bool finished_ = false;                             // GUI thread
    std::optional<quorvel::convert::Summary> summary_;  // GUI thread
    std::jthread worker_;
};
