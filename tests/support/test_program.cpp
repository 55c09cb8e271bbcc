#include "tests/support/test_program.h"

#include "tables/airport_table.h"

namespace quorvel::test {

TestProgram::TestProgram(std::vector<std::pair<std::string, std::string>> airports)
{
    environment.programFolder = root / "program";
    environment.executable = environment.programFolder / "quorvel";
    environment.winePrefix = root / "prefix";
    environment.settingsFile = root / "config" / "qrvl.ini";
    std::filesystem::create_directories(environment.programFolder / "flag");
    std::filesystem::create_directories(root / "config");
    std::filesystem::create_directories(aircraftFolder());
    std::filesystem::create_directories(root / "prefix" / "dosdevices");
    std::filesystem::create_directory_symlink("../drive_c", root / "prefix" / "dosdevices" / "c:");
    writeBytes(root / "prefix" / "system.reg",
               "WINE REGISTRY Version 2\n"
               "[Software\\\\Microsoft\\\\Microsoft Games\\\\Flight Simulator\\\\8.0] 1\n"
               "\"EXE Path\"=\"C:\\\\FS2002\"\n");
    tables::Table table = tables::newAirportTable();
    for (const auto& [code, description] : airports) {
        const auto row = table.appendRow();
        table.setText(row, tables::AirportCode, code);
        table.setText(row, tables::AirportDescription, description);
    }
    tables::writeAirportFile(table, environment.programFolder / tables::airportFileName);
    writeBytes(environment.programFolder / "flag" / "fmlist", "ALITALIA=AZA\r\n");
}

std::filesystem::path TestProgram::aircraftFolder() const
{
    return root / "prefix" / "drive_c" / "FS2002" / "Aircraft";
}

void TestProgram::writeSettings(std::string_view text) const
{
    writeBytes(environment.settingsFile, text);
}

}  // namespace quorvel::test
