// qrvl-tool scan: Convert > "Aircraft" outside the window, over the same scan the program runs.
// The simulator folder is a host folder here; its aircraft folders are listed afresh.

#include "aircraft/aircraft_scan.h"
#include "tools/qrvl_tool_options.h"

#include <filesystem>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace quorvel;
using namespace quorvel::tool;

constexpr const char* scanUsage =
    "usage: qrvl-tool scan --sim-folder DIR --aircraft-list FILE [--search-by-ui] --out aircraft.cds\n"
    "\n"
    "Builds the aircraft table from the aircraft.cfg files of the simulator's aircraft folders and\n"
    "the AI aircraft list, as Convert > Aircraft does.\n"
    "  --sim-folder DIR      the simulator's folder; its \"aircraft\" sub-folders are scanned\n"
    "  --aircraft-list FILE  the AI aircraft list (aircraft.txt); an empty name writes an empty table\n"
    "  --search-by-ui        take the airline from ui_variation instead of atc_airline\n"
    "  --out FILE            the aircraft table to write (aircraft.cds)\n"
    "A list that cannot be read leaves FILE as it was and exits with status 1.\n";

// The tool has no window: progress goes nowhere and the warning goes to standard error.
class StderrReport final : public aircraft::ScanReport {
public:
    explicit StderrReport(std::filesystem::path list) : list_(std::move(list)) {}
    void catalogueStarted() override {}
    void catalogueFinished() override {}
    void progressRange(int) override {}
    void progress(int) override {}
    void warning(std::string_view caption, std::string_view text) override
    {
        std::cerr << "qrvl-tool scan: " << caption << ": " << text << " (" << list_.string() << ")\n";
    }

private:
    std::filesystem::path list_;
};

aircraft::ScanInputs scanInputs(const std::vector<std::string>& args)
{
    aircraft::ScanInputs inputs;
    bool hasSimFolder = false;
    bool hasList = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto value = [&]() -> const std::string& { return optionValue(args, i); };
        if (a == "--sim-folder") {
            inputs.simulatorFolder = value();
            hasSimFolder = true;
        } else if (a == "--aircraft-list") {
            inputs.aircraftList = value();
            hasList = true;
        } else if (a == "--search-by-ui") {
            inputs.searchByUI = true;
        } else if (a == "--out") {
            inputs.outFile = value();
        } else {
            throw UsageError{"unknown option " + a};
        }
    }
    if (!hasSimFolder || inputs.simulatorFolder.empty()) throw UsageError{"scan needs --sim-folder DIR"};
    if (!hasList) throw UsageError{"scan needs --aircraft-list FILE"};
    if (inputs.outFile.empty()) throw UsageError{"scan needs --out FILE"};

    const auto host = aircraft::hostSimulator(inputs.simulatorFolder);
    if (!host) throw UsageError{"--sim-folder " + inputs.simulatorFolder + " is not a folder"};
    inputs.simulatorFolder = host->simulatorFolder;
    inputs.aircraftFolders = host->aircraftFolders;
    return inputs;
}

}  // namespace

int tool::scanCommand(const std::vector<std::string>& args)
{
    if (wantsHelp(args)) {
        std::cout << scanUsage;
        return 0;
    }
    aircraft::ScanInputs inputs = scanInputs(args);
    StderrReport report(inputs.aircraftList);
    return aircraft::scanAircraft(inputs, report) == aircraft::ScanOutcome::TableWritten ? 0 : 1;
}
