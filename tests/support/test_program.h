// tests/support/test_program.h: a program folder, a Wine prefix with the simulator key, and a
// settings file location, all inside one temporary folder.
#pragma once

#include "app/startup.h"
#include "tests/support/temp_folder.h"

#include <string>
#include <utility>
#include <vector>

namespace quorvel::test {

struct TestProgram {
    TempFolder root;
    app::ProgramEnvironment environment;

    // Airports as code and description; the program folder gets "airport.cds" and "flag/fmlist".
    explicit TestProgram(std::vector<std::pair<std::string, std::string>> airports = {{"LIRF", "ROME FIUMICINO"},
                                                                                      {"EGLL", "LONDON HEATHROW"}});
    std::filesystem::path aircraftFolder() const;  // the simulator's "Aircraft" folder on the host
    std::filesystem::path programFile(std::string_view name) const { return environment.programFolder / name; }
    void writeSettings(std::string_view text) const;
};

}  // namespace quorvel::test
