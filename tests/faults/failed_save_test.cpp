// Every file the program writes, saved when the save cannot succeed: the disk fills up part-way
// through the write, the target is a folder, its folder is a file, or its folder is read-only. The error names the file
// and the reason, the file that was there stays byte for byte, and no temporary file is left behind.
#include "app/settings.h"
#include "convert/conversion_log.h"
#include "convert/conversion_run.h"
#include "flags/flag_list.h"
#include "platform/error.h"
#include "tables/aircraft_table.h"
#include "tables/airport_table.h"
#include "tables/flight_table.h"
#include "tables/packet.h"
#include "tests/support/silent_report.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <unistd.h>
#include <csignal>
#include <functional>
#include <map>

using namespace quorvel;
using quorvel::test::readBytes;
using quorvel::test::TempFolder;
using quorvel::test::writeBytes;

namespace {

using NoReport = test::SilentReport;

tables::Table airports(int rows)
{
    tables::Table table = tables::newAirportTable();
    for (int i = 0; i < rows; ++i) {
        const tables::RowId row = table.appendRow();
        table.setText(row, tables::AirportCode, "K" + std::to_string(100 + i));
        table.setText(row, tables::AirportDescription, "AIRPORT NUMBER " + std::to_string(i));
    }
    return table;
}

tables::Table aircraft(int rows)
{
    tables::Table table = tables::newAircraftTable();
    for (int i = 0; i < rows; ++i) {
        const tables::RowId row = table.appendRow();
        table.setText(row, tables::AircraftNumber, "AC#" + std::to_string(i));
        table.setText(row, tables::AircraftTitle, "Boeing 737-800 Alpina Air");
        table.setText(row, tables::AircraftAirline, "ALPINA AIR");
        table.setText(row, tables::AircraftModel, "B737");
    }
    return table;
}

tables::Table flights(int rows)
{
    tables::Table table = tables::newFlightTable();
    for (int i = 0; i < rows; ++i) {
        const tables::RowId row = table.appendRow();
        table.setText(row, tables::IcaoCodeDep, "LIRF");
        table.setText(row, tables::FlightNumber, "AZ" + std::to_string(i));
        table.setInt(row, tables::TPercent, 100);
    }
    return table;
}

using Step = std::function<void(const std::filesystem::path& folder, const std::filesystem::path& file)>;

struct Saver {
    const char* what;
    const char* fileName;
    std::string oldBytes;  // the version that must survive
    Step save;             // saves the new version of `file`
    std::function<void(const std::filesystem::path& folder)> prepare = [](const auto&) {};  // what the save reads
};

void writeConversionInputs(const std::filesystem::path& folder)
{
    tables::writeAircraftFile(aircraft(1), folder / tables::aircraftFileName);
    std::string plan;
    for (int i = 0; i < 200; ++i)
        plan += "AC#0,x,100%,24Hr,IFR,10:00,11:00,1,F,AZ" + std::to_string(i) + ",LFPG,LIRF\r\n";
    writeBytes(folder / "flightplans.txt", plan);
}

// The conversion reads the empty table its dialog left in flight.cds and saves the converted one.
void convertInto(const std::filesystem::path& folder, const std::filesystem::path& file)
{
    tables::AirportLookup lookup;
    lookup.assign(airports(3));
    const convert::ConvertInputs inputs{.flightPlanFile = folder / "flightplans.txt",
                                        .flightTableFile = file,
                                        .aircraftTableFile = folder / tables::aircraftFileName,
                                        .airports = lookup,
                                        .overrideDst = false,
                                        .zone = {},
                                        .utcOffsetHours = 0};
    NoReport report;
    const std::atomic<bool> stop{false};
    convert::convert(inputs, report, stop);
}

std::vector<Saver> savers()
{
    app::Settings settings;
    settings.defaultAirport = "LIRF";
    settings.flightPlanFile = "a much longer name for the flight plan file than the old one.txt";
    std::vector<std::string> flagLines;
    for (int i = 0; i < 50; ++i) flagLines.push_back("AIRLINE " + std::to_string(i) + "=FLAG" + std::to_string(i));
    convert::ConversionLog log;
    for (int i = 0; i < 50; ++i) log.add("AC#" + std::to_string(i));

    return {
        {"conversion", tables::flightFileName, tables::packetBytes(tables::newFlightTable()), convertInto,
         writeConversionInputs},
        {"emptied flight table", tables::flightFileName, tables::packetBytes(flights(3)),
         [](const auto&, const auto& file) { tables::createEmptyFlightFile(file); }},
        {"aircraft scan", tables::aircraftFileName, tables::packetBytes(aircraft(2)),
         [](const auto&, const auto& file) { tables::writeAircraftFile(aircraft(300), file); }},
        {"Airport Manager", tables::airportFileName, tables::packetBytes(airports(2)),
         [](const auto&, const auto& file) { tables::writeAirportFile(airports(300), file); }},
        {"Flag Manager", flags::flagListFileName, "OLD AIRLINE=OLD\r\n",
         [flagLines](const auto&, const auto& file) { flags::FlagList(flagLines).save(file); }},
        {"settings", "qrvl.ini", "; the user's own comment\r\n[Airport]\r\ndefault=EGLL\r\n",
         [settings](const auto&, const auto& file) { app::saveSettings(file, settings); }},
        {"conversion log", "convert.log", "OLD not found\r\n",
         [log](const auto&, const auto& file) { log.save(file); }},
    };
}

std::string errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Error& error) {
        return error.what();
    }
    return "no error";
}

// Every file under `folder` with its bytes ("<folder>" for a folder), to compare before and after.
std::map<std::string, std::string> snapshot(const std::filesystem::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        files[entry.path().lexically_relative(folder).string()] =
            entry.is_directory() ? "<folder>" : readBytes(entry.path());
    return files;
}

// The error names the file, then says why after ": ".
void expectNamed(const std::string& error, const std::filesystem::path& file, const char* what)
{
    EXPECT_EQ(error.rfind(file.string() + ": ", 0), 0u) << what << ": " << error;
}

// Makes every write past `bytes` of a file fail as a full disk would, while it lives.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);  // the write fails with EFBIG instead of ending the process
        rlimit small = saved_;
        small.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*oldHandler_)(int) = nullptr;
};

// Makes a folder refuse new files while it lives: by its permissions for an ordinary user, and
// for root, whom permissions do not stop, by the file system's immutable flag where it has one.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(std::filesystem::path folder) : folder_(std::move(folder))
    {
        std::filesystem::permissions(folder_, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        if (refusesNewFiles()) return;
        const int fd = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY);
        int flags = 0;
        if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags |= FS_IMMUTABLE_FL;
            immutable_ = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        if (fd >= 0) ::close(fd);
    }
    ~ReadOnlyFolder()
    {
        if (immutable_) {
            const int fd = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY);
            int flags = 0;
            if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
                flags &= ~FS_IMMUTABLE_FL;
                ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
            }
            if (fd >= 0) ::close(fd);
        }
        std::filesystem::permissions(folder_, std::filesystem::perms::owner_all);
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    bool refusesNewFiles() const { return ::access(folder_.c_str(), W_OK) != 0; }

private:
    std::filesystem::path folder_;
    bool immutable_ = false;
};

}  // namespace

TEST(FailedSave, DiskFullPartWayKeepsTheOldFile)
{
    for (const Saver& saver : savers()) {
        TempFolder folder;
        const auto file = folder / saver.fileName;
        writeBytes(file, saver.oldBytes);
        saver.prepare(folder.path());
        std::string error;
        {
            const FileSizeLimit limit(64);  // every new file is longer, so its write stops part-way
            error = errorOf([&] { saver.save(folder.path(), file); });
        }
        expectNamed(error, file, saver.what);
        EXPECT_NE(error.find("File too large"), std::string::npos) << saver.what << ": " << error;
        EXPECT_EQ(readBytes(file), saver.oldBytes) << saver.what;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
            EXPECT_NE(entry.path().filename().string().front(), '.') << saver.what << " left " << entry.path();
    }
}

TEST(FailedSave, TargetThatIsAFolderStaysAsItWas)
{
    for (const Saver& saver : savers()) {
        TempFolder folder;
        const auto file = folder / saver.fileName;
        std::filesystem::create_directory(file);
        writeBytes(file / "inside", "kept");
        saver.prepare(folder.path());
        const auto before = snapshot(folder.path());
        const std::string error = errorOf([&] { saver.save(folder.path(), file); });
        expectNamed(error, file, saver.what);
        EXPECT_EQ(snapshot(folder.path()), before) << saver.what;
    }
}

TEST(FailedSave, FolderThatIsAFileStaysAsItWas)
{
    for (const Saver& saver : savers()) {
        TempFolder folder;
        const auto notAFolder = folder / "program";
        writeBytes(notAFolder, saver.oldBytes);
        const auto file = notAFolder / saver.fileName;
        saver.prepare(folder.path());
        const auto before = snapshot(folder.path());
        const std::string error = errorOf([&] { saver.save(folder.path(), file); });
        expectNamed(error, file, saver.what);
        EXPECT_NE(error.find("Not a directory"), std::string::npos) << saver.what << ": " << error;
        EXPECT_EQ(snapshot(folder.path()), before) << saver.what;
    }
}

TEST(FailedSave, ReadOnlyFolderKeepsTheOldFile)
{
    for (const Saver& saver : savers()) {
        TempFolder folder;
        const auto file = folder / saver.fileName;
        writeBytes(file, saver.oldBytes);
        saver.prepare(folder.path());
        std::string error;
        {
            const ReadOnlyFolder readOnly(folder.path());
            if (!readOnly.refusesNewFiles()) GTEST_SKIP() << "nothing makes a folder read-only for this user here";
            error = errorOf([&] { saver.save(folder.path(), file); });
        }
        expectNamed(error, file, saver.what);
        const bool refused = error.find("Permission denied") != std::string::npos ||
                             error.find("Operation not permitted") != std::string::npos;
        EXPECT_TRUE(refused) << saver.what << ": " << error;
        EXPECT_EQ(readBytes(file), saver.oldBytes) << saver.what;
    }
}
