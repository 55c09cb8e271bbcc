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
    virtual std::optional<std::filesystem::path> saveFile(std::string_view caption, const std::filesystem::path& folder,
                                                          std::string_view filter, std::string_view defaultSuffix) = 0;
};

}  // namespace quorvel
