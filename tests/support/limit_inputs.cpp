#include "tests/support/limit_inputs.h"

#include "tables/aircraft_table.h"
#include "tables/flight_table.h"
#include "tests/support/silent_report.h"

#include <atomic>

namespace quorvel::test {

LongPlanLine planLineOfOneMegabyte()
{
    const std::string leg = "10:00,11:00,310,F,AZ1,LFPG,";
    const std::string head = "AC#1,x,100%,24Hr,IFR,";
    LongPlanLine line{head, 0};
    while (line.text.size() < megabyte) line.text += leg;
    line.text += "LIRF";
    line.legs = (line.text.size() - head.size() - 4) / leg.size();
    return line;
}

std::string linesWithoutAComma()
{
    std::string plan;
    for (int i = 0; i < 1000000; ++i) plan += "AC#1 LIRF\r\n";
    return plan;
}

ConversionFolder::ConversionFolder()
{
    tables::Table table = tables::newAircraftTable();
    const tables::RowId row = table.appendRow();
    table.setText(row, tables::AircraftNumber, "AC#1");
    table.setText(row, tables::AircraftAirline, "ALPINA AIR");
    table.setText(row, tables::AircraftModel, "B737");
    tables::writeAircraftFile(table, folder / tables::aircraftFileName);
    tables::createEmptyFlightFile(flightFile());
}

std::filesystem::path ConversionFolder::flightFile() const
{
    return folder / tables::flightFileName;
}

convert::Summary ConversionFolder::convert(const std::string& planBytes)
{
    writeBytes(folder / "flightplans.txt", planBytes);
    const convert::ConvertInputs inputs{.flightPlanFile = folder / "flightplans.txt",
                                        .flightTableFile = flightFile(),
                                        .aircraftTableFile = folder / tables::aircraftFileName,
                                        .airports = airports,
                                        .overrideDst = false,
                                        .zone = {},
                                        .utcOffsetHours = 1};
    SilentReport report;
    const std::atomic<bool> stop{false};
    return convert::convert(inputs, report, stop);
}

aircraft::ScanInputs bigAircraftCfg(const TestProgram& program, int variations)
{
    const auto folder = program.aircraftFolder() / "Big";
    std::filesystem::create_directories(folder);
    std::string config = "[General]\r\natc_type=BOEING\r\natc_model=B737\r\n";
    for (int i = 0; i < variations; ++i)
        config += "[fltsim." + std::to_string(i) + "]\r\ntitle=Boeing 737-800 Livery " + std::to_string(i) +
                  "\r\natc_airline=ALPINA AIR\r\nui_variation=Livery " + std::to_string(i) + "\r\n\r\n";
    config += "[Effects]\r\n";
    for (int i = 0; config.size() < 50 * megabyte; ++i) config += "fx_" + std::to_string(i) + "=fx_wake, 1\r\n";
    writeBytes(folder / "aircraft.cfg", config);
    writeBytes(program.programFile("aircraft.txt"),
               "AC#1,450,\"Boeing 737-800 Livery " + std::to_string(variations - 1) + "\"\r\n");
    return {"C:\\FS2002",
            {"Big"},
            false,
            program.programFile("aircraft.txt"),
            program.environment.winePrefix,
            program.programFile("aircraft.cds")};
}

aircraft::ScanOutcome scanQuietly(const aircraft::ScanInputs& inputs)
{
    struct Quiet final : aircraft::ScanReport {
        void catalogueStarted() override {}
        void catalogueFinished() override {}
        void progressRange(int) override {}
        void progress(int) override {}
        void warning(std::string_view, std::string_view) override {}
    } report;
    return aircraft::scanAircraft(inputs, report);
}

std::string elfWithEndlessNameTable(std::uint64_t sections)
{
    const std::string names(8 * megabyte, 'x');
    std::string elf(64, '\0');
    elf.replace(0, 7,
                "\x7F"
                "ELF\x02\x01\x01");
    const auto put = [&elf](std::size_t at, std::size_t width, std::uint64_t value) {
        for (std::size_t i = 0; i < width; ++i) elf[at + i] = char((value >> (8 * i)) & 0xFF);
    };
    const std::uint64_t tableOffset = 64 + names.size();
    put(0x28, 8, tableOffset);
    put(0x3A, 2, 64);      // section header size
    put(0x3C, 2, 0);       // the count is in section 0
    put(0x3E, 2, 0xFFFF);  // and so is the name table's index
    elf += names;
    elf.resize(tableOffset + sections * 64, '\0');
    put(tableOffset + 32, 8, sections);      // section 0: the count
    put(tableOffset + 40, 4, sections - 1);  // section 0: the name table's index
    for (std::uint64_t i = 1; i < sections; ++i) put(tableOffset + i * 64, 4, (i * 37) % names.size());
    const std::uint64_t last = tableOffset + (sections - 1) * 64;
    put(last + 4, 4, 3);  // the name table
    put(last + 24, 8, 64);
    put(last + 32, 8, names.size());
    return elf;
}

std::string profileOfManySections(int count)
{
    std::string text = "[General]\r\natc_model=B737\r\n";
    for (int i = 0; i < count; ++i)
        text += "[fltsim." + std::to_string(i) + "]\r\ntitle=Aircraft " + std::to_string(i) + "\r\natc_airline=X\r\n";
    return text;
}

}  // namespace quorvel::test
