#include "aircraft/aircraft_scan.h"

#include "convert/flight_plan_file.h"
#include "platform/case_fold.h"
#include "platform/error.h"
#include "platform/ini_file.h"
#include "platform/wine_paths.h"
#include "tables/aircraft_table.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <unordered_map>

namespace quorvel::aircraft {

namespace {

using tables::RowId;
using tables::Table;

constexpr std::size_t titleWidth = 48;  // what the table's TITLE field keeps

// The profile-file service answers "0" for whatever is missing.
std::string profileValue(const platform::IniFile& file, std::string_view section, std::string_view key)
{
    return file.value(section, key).value_or("0");
}

// The key under which a title is compared: cut as the table cuts it, letter case folded.
std::string titleKey(std::string_view title)
{
    return platform::foldWindows1252(title.substr(0, titleWidth));
}

// First record of each title, in table order; records added later never displace it.
using TitleIndex = std::unordered_map<std::string, RowId>;

RowId addRecord(Table& table, TitleIndex& index, std::string_view number, std::string_view title,
                std::optional<std::string_view> airline, std::optional<std::string_view> model)
{
    const RowId row = table.appendRow();
    table.setText(row, tables::AircraftNumber, number);
    table.setText(row, tables::AircraftTitle, title);
    if (airline) table.setText(row, tables::AircraftAirline, *airline);
    if (model) table.setText(row, tables::AircraftModel, *model);
    index.try_emplace(titleKey(title), row);
    return row;
}

// The simulator's aircraft.cfg of `folder`, found without regard to letter case; nothing when
// there is no such file.
std::optional<std::filesystem::path> configFile(const std::filesystem::path& aircraftRoot, const std::string& folder)
{
    const std::filesystem::path file =
        platform::resolveIgnoringCase(aircraftRoot, std::filesystem::path(folder) / "aircraft.cfg");
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) return std::nullopt;
    return file;
}

void readVariations(const std::filesystem::path& file, bool searchByUI, Table& table, TitleIndex& index)
{
    platform::IniFile config;
    try {
        config = platform::IniFile::read(file);
    } catch (const Error&) {
        // A file the profile service cannot open reads as if it held nothing: no variations.
        return;
    }
    // The model is the file's, the same for every variation: read once.
    const std::string model = profileValue(config, "General", "atc_model");
    const char* airlineKey = searchByUI ? "ui_variation" : "atc_airline";
    for (unsigned long n = 0;; ++n) {
        const std::string section = "fltsim." + std::to_string(n);
        const std::string title = profileValue(config, section, "title");
        if (title == "0") break;
        addRecord(table, index, tables::notUsedMarker, title, profileValue(config, section, airlineKey), model);
    }
}

void cataloguePass(const ScanInputs& inputs, Table& table, TitleIndex& index)
{
    // The simulator folder is resolved once; each folder below it is then matched in any letter case.
    const std::filesystem::path aircraftRoot =
        platform::resolveIgnoringCase(platform::hostPath(inputs.simulatorFolder, inputs.winePrefix), "aircraft");
    for (const std::string& folder : inputs.aircraftFolders)
        if (const auto file = configFile(aircraftRoot, folder)) readVariations(*file, inputs.searchByUI, table, index);
}

void matchingPass(const std::vector<std::string_view>& lines, Table& table, TitleIndex& index, ScanReport& report)
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        report.progress(int(std::min<std::size_t>(i, INT_MAX)));
        const convert::AircraftLine line = convert::cutAircraftLine(lines[i]);
        const auto found = index.find(titleKey(line.title));
        if (found == index.end()) {
            addRecord(table, index, tables::notFoundMarker, line.title, std::nullopt, std::nullopt);
            continue;
        }
        const RowId row = found->second;
        if (table.text(row, tables::AircraftNumber) == tables::notUsedMarker) {
            table.setText(row, tables::AircraftNumber, line.number);
            continue;
        }
        // A copy of a "<nf>" record has no airline or model to copy: they stay null.
        const auto field = [&](int f) -> std::optional<std::string> {
            if (table.isNull(row, f)) return std::nullopt;
            return std::string(table.text(row, f));
        };
        const std::optional<std::string> airline = field(tables::AircraftAirline);
        const std::optional<std::string> model = field(tables::AircraftModel);
        addRecord(table, index, line.number, line.title, airline, model);
    }
}

}  // namespace

std::optional<HostSimulator> hostSimulator(const std::filesystem::path& folder)
{
    // An absolute host path is used as it is; a relative one would be read as a Windows path on C:.
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(folder, error);
    if (error || !std::filesystem::is_directory(absolute, error)) return std::nullopt;
    HostSimulator host{absolute.string(), {}};
    for (const platform::FolderEntry& entry : platform::listFolder(platform::resolveIgnoringCase(absolute, "aircraft")))
        if (entry.isFolder && entry.name != "." && entry.name != "..") host.aircraftFolders.push_back(entry.name);
    return host;
}

std::vector<std::string> installedTitles(const ScanInputs& inputs)
{
    Table table = tables::newAircraftTable();
    TitleIndex index;
    cataloguePass(inputs, table, index);
    std::vector<std::string> titles;
    titles.reserve(table.rowCount());
    for (RowId row = 0; row < table.rowCount(); ++row) titles.emplace_back(table.text(row, tables::AircraftTitle));
    return titles;
}

ScanOutcome scanAircraft(const ScanInputs& inputs, ScanReport& report)
{
    Table table = tables::newAircraftTable();
    if (!inputs.aircraftList.empty()) {
        const std::optional<convert::TextLines> list = convert::readTextLines(inputs.aircraftList);
        if (!list) {
            report.warning(listUnreadableCaption, listUnreadableText);
            return ScanOutcome::ListUnreadable;
        }
        report.progressRange(int(std::min<std::size_t>(list->lines.size(), INT_MAX)));
        report.progress(0);

        TitleIndex index;
        report.catalogueStarted();
        try {
            cataloguePass(inputs, table, index);
            tables::writeAircraftFile(table, inputs.outFile);
        } catch (...) {
            // The hourglass and "Processing..." must not outlive a failed save.
            report.catalogueFinished();
            throw;
        }
        report.catalogueFinished();

        matchingPass(list->lines, table, index, report);
    }
    tables::writeAircraftFile(table, inputs.outFile);
    return ScanOutcome::TableWritten;
}

}  // namespace quorvel::aircraft
