// tests/support/fakes.h: stand-ins for the person at the screen and for the waits.
#pragma once

#include "about/splash_screen.h"
#include "platform/file_stamp_cache.h"
#include "platform/interaction.h"
#include "platform/local_time.h"
#include "platform/time_zone.h"

#include <deque>
#include <string>
#include <utility>
#include <vector>

namespace quorvel::test {

// A splash screen that shows nothing and keeps only its gauge.
class QuietSplash final : public about::SplashScreen {
public:
    void show() override {}
    void say(std::string_view) override {}
    void setGaugeRange(int, int) override {}
    void setGauge(int value) override { gauge_ = value; }
    int gauge() const override { return gauge_; }
    void close() override {}

private:
    int gauge_ = 0;
};

using Shown = std::vector<std::pair<std::string, std::string>>;  // caption, text

// Records every message box instead of showing it; answers questions from a script (Yes when empty).
class ScriptedPrompter final : public Prompter {
public:
    void message(std::string_view caption, std::string_view text) override { shown_.emplace_back(caption, text); }
    bool confirm(std::string_view caption, std::string_view text) override
    {
        shown_.emplace_back(caption, text);
        if (answers_.empty()) return true;
        const bool answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    void answer(bool yes) { answers_.push_back(yes); }
    const Shown& shown() const { return shown_; }
    void clear() { shown_.clear(); }

private:
    Shown shown_;
    std::deque<bool> answers_;
};

// Records the waits without waiting.
class RecordingSleeper final : public Sleeper {
public:
    void wait(std::chrono::milliseconds duration) override { waits_.push_back(int(duration.count())); }
    const std::vector<int>& waits() const { return waits_; }

private:
    std::vector<int> waits_;
};

// Records the busy cursor and the progress instead of showing them, one event each: "busy" and
// "idle" for the cursor, "progress LABEL 0/TOTAL", "DONE/TOTAL" per step and "progress done".
class RecordingWaits final : public Waits {
public:
    void busyStarted() override
    {
        ++busy_;
        events_.emplace_back("busy");
    }
    void busyFinished() override
    {
        --busy_;
        events_.emplace_back("idle");
    }
    void progressStarted(std::string_view label, int total) override
    {
        total_ = total;
        events_.push_back("progress " + std::string(label) + " 0/" + std::to_string(total));
    }
    void progressed(int done) override { events_.push_back(std::to_string(done) + "/" + std::to_string(total_)); }
    void progressFinished() override { events_.emplace_back("progress done"); }

    const std::vector<std::string>& events() const { return events_; }
    int busy() const { return busy_; }  // how deep the busy cursor is now
    void clear() { events_.clear(); }

private:
    std::vector<std::string> events_;
    int busy_ = 0;
    int total_ = 0;
};

// Answers file dialogs from a script; an empty script cancels. Records the captions asked.
class ScriptedFileDialogs final : public FileDialogs {
public:
    std::optional<std::filesystem::path> openFile(std::string_view caption, const std::filesystem::path&,
                                                  std::string_view) override
    {
        return next(caption);
    }
    std::optional<std::filesystem::path> openPicture(std::string_view caption, const std::filesystem::path&,
                                                     std::string_view) override
    {
        ++pictureDialogs_;
        return next(caption);
    }
    std::optional<std::filesystem::path> saveFile(std::string_view caption, const std::filesystem::path&,
                                                  std::string_view, std::string_view) override
    {
        return next(caption);
    }
    void answer(std::optional<std::filesystem::path> file) { answers_.push_back(std::move(file)); }
    const std::vector<std::string>& asked() const { return asked_; }
    int pictureDialogs() const { return pictureDialogs_; }  // how many of those asked were picture dialogs

private:
    std::optional<std::filesystem::path> next(std::string_view caption)
    {
        asked_.emplace_back(caption);
        if (answers_.empty()) return std::nullopt;
        auto file = answers_.front();
        answers_.pop_front();
        return file;
    }
    std::deque<std::optional<std::filesystem::path>> answers_;
    std::vector<std::string> asked_;
    int pictureDialogs_ = 0;
};

// A clock that stands still until the test moves it.
class FixedClock final : public Clock {
public:
    explicit FixedClock(LocalDateTime now = {2024, 1, 1, 13, 45, 0}) : now_(now) {}
    LocalDateTime now() const override { return now_; }
    void set(LocalDateTime now) { now_ = now; }

private:
    LocalDateTime now_;
};

// A time zone that stays as the test sets it, whatever TZ says; Greenwich without daylight saving
// unless told otherwise.
class FixedTimeZone final : public platform::TimeZoneSource {
public:
    explicit FixedTimeZone(platform::TimeZone zone = {}) : zone_(zone) {}
    platform::TimeZone zone() const override { return zone_; }
    void set(platform::TimeZone zone) { zone_ = zone; }

private:
    platform::TimeZone zone_;
};

// A file-system clock that stands still until the test moves it.
class FixedFileClock final : public platform::FileClock {
public:
    explicit FixedFileClock(std::filesystem::file_time_type now) : now_(now) {}
    std::filesystem::file_time_type now() const override { return now_; }
    void set(std::filesystem::file_time_type now) { now_ = now; }

private:
    std::filesystem::file_time_type now_;
};

}  // namespace quorvel::test
