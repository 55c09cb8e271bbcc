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

void copyFile(const fs::path& from, const fs::path& to)
{
    std::error_code error;
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, error);
    if (error) throw std::runtime_error(from.string() + " cannot be copied to " + to.string() + ": " + error.message());
}

}  // namespace

void prepareStartupFolder(const fs::path& folder, const fs::path& airportTable, const fs::path& sourceFolder,
                          const fs::path& flightTable)
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
    // The demo's settings; without a flight table the first show loads none.
    std::ifstream demo(sourceFolder / "data" / "demo" / "config" / "qrvl.ini", std::ios::binary);
    std::string settings{std::istreambuf_iterator<char>(demo), std::istreambuf_iterator<char>()};
    const std::size_t autoload = settings.find("Autoload=1");
    if (flightTable.empty()) {
        if (autoload != std::string::npos) settings.replace(autoload, 10, "Autoload=0");
    } else {
        fs::remove(program / "flight.cds", error);
        fs::create_symlink(fs::absolute(flightTable), program / "flight.cds");
    }
    quorvel::platform::writeFileAtomically(folder / "qrvl.ini", settings);
}

BenchWindow::BenchWindow(const fs::path& folder)
{
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
                              [this](QPrinter& printer, const std::function<void(QPrinter*)>& paint) {
                                  if (printPreview) printPreview(printer, paint);
                              }};
    form = std::make_unique<TMainForm>(environment, services);
    form->createDialogs();
    form->show();
    QApplication::processEvents();
}

BenchWindow::~BenchWindow() = default;

int startupChild(int argc, char** argv, const fs::path& folder)
{
    const auto start = steady_clock::now();
    QApplication application(argc, argv);
    const BenchWindow window(folder);
    const auto elapsed = duration<double, std::milli>(steady_clock::now() - start).count();
    std::cout << elapsed << ' ' << window.sleeper.total.count() << std::endl;
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
