// bench/bench_probe.h: measurements that need a fresh process of their own: the peak resident
// memory of loading the flight table, and the program's start-up without its fixed waits.
// The benchmark program runs itself again with --child to take them.
#pragma once

#include "app/main_form.h"
#include "platform/file_stamp_cache.h"
#include "platform/local_time.h"
#include "widgets/message_box_prompter.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

// In the child: prints one line "<peak bytes over the baseline> <records>" and returns the exit status.
int memoryChild(const std::filesystem::path& flightFile);
// In the child: prints one line "<milliseconds> <fixed waits in milliseconds>"; `folder` holds the
// program folder, Wine prefix and settings that prepareStartupFolder() made.
int startupChild(int argc, char** argv, const std::filesystem::path& folder);

// Lays out a program folder with the shipped airport table and the demo flags, a Wine prefix with
// the demo simulator, and the demo's settings. Without `flightTable` the first show loads no
// flight table; with it, the program folder links to it and the first show loads it (Autoload).
void prepareStartupFolder(const std::filesystem::path& folder, const std::filesystem::path& airportTable,
                          const std::filesystem::path& sourceFolder, const std::filesystem::path& flightTable = {});

// The program's main window over a folder that prepareStartupFolder() made, shown (offscreen) as
// at start-up, its fixed waits counted instead of waited and any message box an error.
struct BenchWindow {
    struct NoWaits final : quorvel::Sleeper {
        std::chrono::milliseconds total{0};
        void wait(std::chrono::milliseconds duration) override { total += duration; }
    };
    struct SilentPrompter final : quorvel::Prompter {
        void message(std::string_view caption, std::string_view text) override
        {
            throw std::runtime_error("the window showed a message: " + std::string(caption) + ": " + std::string(text));
        }
        bool confirm(std::string_view caption, std::string_view text) override
        {
            message(caption, text);
            return false;
        }
    };

    explicit BenchWindow(const std::filesystem::path& folder);
    ~BenchWindow();

    NoWaits sleeper;
    SilentPrompter prompter;
    quorvel::ui::QtFileDialogs fileDialogs;
    quorvel::SystemClock clock;
    quorvel::platform::SystemTimeZone timeZone;
    quorvel::platform::SystemFileClock fileClock;
    quorvel::app::ProgramEnvironment environment;
    // What the window's print preview does with the printer and the painting of the pages; nothing: no preview.
    std::function<void(QPrinter&, const std::function<void(QPrinter*)>&)> printPreview;
    std::unique_ptr<TMainForm> form;
};

// Runs this program again with `arguments` and returns the last line it printed; throws
// std::runtime_error with all it printed when it fails.
std::string runChild(const std::string& arguments);

// The value of a "Vm..." line of /proc/self/status, in bytes.
std::uint64_t procStatusBytes(const char* key);
