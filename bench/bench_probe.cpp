#include "bench/bench_probe.h"

#include "about/splash_form.h"
#include "app/main_form.h"
#include "platform/atomic_file.h"
#include "platform/file_stamp_cache.h"
#include "platform/free_memory.h"
#include "platform/local_time.h"
#include "tables/flight_table.h"
#include "widgets/message_box_prompter.h"

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <stdexcept>

using namespace quorvel::ui;

namespace fs = std::filesystem;

std::uint64_t procStatusBytes(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::size_t length = std::strlen(key);
    while (std::getline(status, line))
        if (line.compare(0, length, key) == 0 && line.size() > length && line[length] == ':')
            return std::stoull(line.substr(length + 1)) * 1024;  // "VmHWM:   123456 kB"
    return 0;
}

int memoryChild(const fs::path& flightFile)
{
    const std::uint64_t before = procStatusBytes("VmHWM");
    const auto loaded = quorvel::tables::loadFlights(flightFile, quorvel::platform::availablePhysicalMemory());
    const std::uint64_t peak = procStatusBytes("VmHWM");
    std::cout << (peak - before) << ' ' << loaded.totalFlights << std::endl;
    return 0;
}

namespace {

using namespace std::chrono;

struct NoWaits final : quorvel::Sleeper {
    milliseconds total{0};
    void wait(milliseconds duration) override { total += duration; }
};

struct SilentPrompter final : quorvel::Prompter {
    void message(std::string_view caption, std::string_view text) override
    {
        throw std::runtime_error("start-up showed a message: " + std::string(caption) + ": " + std::string(text));
    }
    bool confirm(std::string_view caption, std::string_view text) override
    {
        message(caption, text);
        return false;
    }
};

void copyFile(const fs::path& from, const fs::path& to)
{
    std::error_code error;
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, error);
    if (error) throw std::runtime_error(from.string() + " cannot be copied to " + to.string() + ": " + error.message());
}

}  // namespace

void prepareStartupFolder(const fs::path& folder, const fs::path& airportTable, const fs::path& sourceFolder)
{
    const fs::path program = folder / "program", prefix = folder / "prefix";
    fs::create_directories(program / "flag");
    copyFile(airportTable, program / "airport.cds");
    for (const auto& entry : fs::directory_iterator(sourceFolder / "data" / "flag"))
        copyFile(entry.path(), program / "flag" / entry.path().filename());
    fs::copy(sourceFolder / "data" / "demo" / "prefix", prefix,
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    fs::create_directories(prefix / "dosdevices");
    std::error_code error;
    fs::remove(prefix / "dosdevices" / "c:", error);
    fs::create_directory_symlink("../drive_c", prefix / "dosdevices" / "c:");
    // The demo's settings, except that the first show loads no flight table: that load has its own figure.
    std::ifstream demo(sourceFolder / "data" / "demo" / "config" / "qrvl.ini", std::ios::binary);
    std::string settings{std::istreambuf_iterator<char>(demo), std::istreambuf_iterator<char>()};
    const std::size_t autoload = settings.find("Autoload=1");
    if (autoload != std::string::npos) settings.replace(autoload, 10, "Autoload=0");
    quorvel::platform::writeFileAtomically(folder / "qrvl.ini", settings);
}

int startupChild(int argc, char** argv, const fs::path& folder)
{
    const auto start = steady_clock::now();
    QApplication application(argc, argv);
    NoWaits sleeper;
    SilentPrompter prompter;
    QtFileDialogs fileDialogs;
    quorvel::SystemClock clock;
    quorvel::platform::SystemTimeZone timeZone;
    quorvel::platform::SystemFileClock fileClock;
    quorvel::app::ProgramEnvironment environment;
    environment.executable = fs::read_symlink("/proc/self/exe");
    environment.programFolder = folder / "program";
    environment.winePrefix = folder / "prefix";
    environment.settingsFile = folder / "qrvl.ini";
    MainFormServices services{clock,
                              timeZone,
                              fileClock,
                              sleeper,
                              prompter,
                              fileDialogs,
                              [] { return std::make_unique<TSplashForm>(); },
                              [](const fs::path&) {},
                              [](QPrinter&, const std::function<void(QPrinter*)>&) {}};
    TMainForm form(environment, services);
    form.createDialogs();
    form.show();
    QApplication::processEvents();
    const auto elapsed = duration<double, std::milli>(steady_clock::now() - start).count();
    std::cout << elapsed << ' ' << sleeper.total.count() << std::endl;
    return 0;
}

std::string runChild(const std::string& arguments)
{
    // The toolkit's own remarks come with the figures; the figures are the last line.
    std::string command(1, '\'');
    command += fs::read_symlink("/proc/self/exe").string();
    command += "' " + arguments + " 2>&1";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) throw std::runtime_error("cannot run " + command);
    std::string output;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
    if (pclose(pipe) != 0) throw std::runtime_error(command + " failed: " + output);
    while (!output.empty() && output.back() == '\n') output.pop_back();
    return output.substr(output.rfind('\n') == std::string::npos ? 0 : output.rfind('\n') + 1);
}
