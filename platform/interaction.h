// platform/interaction.h: what the program asks of the person at the screen, and the waits it
// makes them sit through. Windows and start-up take these by reference, so tests drive them
// with fakes that record what would have been shown; app/main.cpp wires the real ones.
// All texts are UTF-8.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

struct Sleeper {
    virtual ~Sleeper() = default;
    virtual void wait(std::chrono::milliseconds duration) = 0;  // blocks the calling thread
};

struct Prompter {
    virtual ~Prompter() = default;
    // A message box with one OK button; returns when it is closed.
    virtual void message(std::string_view caption, std::string_view text) = 0;
    // A question answered Yes (true) or No (false).
    virtual bool confirm(std::string_view caption, std::string_view text) = 0;
};

struct FileDialogs {
    virtual ~FileDialogs() = default;
    // The chosen file, or nothing when the dialog was cancelled. `filter` reads like
    // "Log files (*.log)"; `folder` is where the dialog starts.
    virtual std::optional<std::filesystem::path> openFile(std::string_view caption, const std::filesystem::path& folder,
                                                          std::string_view filter) = 0;
    // As openFile, with the picture of the file under the cursor shown beside the list.
    virtual std::optional<std::filesystem::path> openPicture(std::string_view caption,
                                                             const std::filesystem::path& folder,
                                                             std::string_view filter) = 0;
    virtual std::optional<std::filesystem::path> saveFile(std::string_view caption, const std::filesystem::path& folder,
                                                          std::string_view filter, std::string_view defaultSuffix) = 0;
};

// A wait the person sits through while the user-interface thread works: the busy cursor from
// busyStarted() to the matching busyFinished() (they nest), and for work of a known length a
// progress indication from progressStarted() to progressFinished(). Only that thread calls these.
struct Waits {
    virtual ~Waits() = default;
    virtual void busyStarted() = 0;
    virtual void busyFinished() = 0;
    virtual void progressStarted(std::string_view label, int total) = 0;
    virtual void progressed(int done) = 0;  // 0..total steps done
    virtual void progressFinished() = 0;
};

// The busy cursor for as long as it lives, however the work ends.
class BusyWait {
public:
    explicit BusyWait(Waits& waits) : waits_(waits) { waits_.busyStarted(); }
    ~BusyWait() { waits_.busyFinished(); }
    BusyWait(const BusyWait&) = delete;
    BusyWait& operator=(const BusyWait&) = delete;

private:
    Waits& waits_;
};

// The busy cursor and the progress of `total` steps for as long as it lives.
class ProgressWait {
public:
    ProgressWait(Waits& waits, std::string_view label, int total) : busy_(waits), waits_(waits)
    {
        waits_.progressStarted(label, total);
    }
    ~ProgressWait() { waits_.progressFinished(); }
    ProgressWait(const ProgressWait&) = delete;
    ProgressWait& operator=(const ProgressWait&) = delete;
    void advance(int done) { waits_.progressed(done); }

private:
    BusyWait busy_;
    Waits& waits_;
};

}  // namespace quorvel
