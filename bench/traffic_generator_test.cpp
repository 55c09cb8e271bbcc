#include "tools/traffic/traffic_generator.h"

#include "aircraft/aircraft_scan.h"
#include "convert/conversion_run.h"
#include "convert/flight_plan_file.h"
#include "platform/error.h"
#include "tables/airport_table.h"
#include "tables/flight_table.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

namespace {

using namespace quorvel;

const std::vector<std::string>& shippedCodes()
{
    static const std::vector<std::string> codes =
        traffic::readAirportCodes(std::filesystem::path(QRVL_SOURCE_DIR) / "data" / "airports.csv");
    return codes;
}

traffic::Traffic make(std::uint64_t seed, std::uint64_t records)
{
    return traffic::makeTraffic({.seed = seed, .records = records}, shippedCodes());
}

struct SilentReport final : convert::ConversionReport {
    std::string lastLabel;
    void progressRange(int, int) override {}
    void progress(int) override {}
    void label(std::string_view text) override { lastLabel = text; }
    void logLine(std::string_view) override {}
    void message(std::string_view, std::string_view text) override { ADD_FAILURE() << text; }
    void buttonCaption(std::string_view) override {}
    void pressButton() override {}
};

struct SilentScan final : aircraft::ScanReport {
    void catalogueStarted() override {}
    void catalogueFinished() override {}
    void progressRange(int) override {}
    void progress(int) override {}
    void warning(std::string_view, std::string_view text) override { ADD_FAILURE() << text; }
};

// The traffic written, scanned and converted as the program would: the flight table it makes.
tables::Table convertTraffic(const traffic::Traffic& traffic, const test::TempFolder& folder)
{
    traffic::writeTraffic(traffic, folder.path());
    aircraft::ScanInputs scan;
    scan.simulatorFolder = (folder / "sim").string();
    for (const auto& config : traffic.aircraftConfigs) scan.aircraftFolders.push_back(config.folder);
    scan.aircraftList = folder / "aircraft.txt";
    scan.outFile = folder / "aircraft.cds";
    SilentScan scanReport;
    EXPECT_EQ(aircraft::scanAircraft(scan, scanReport), aircraft::ScanOutcome::TableWritten);

    tables::Table airportRows = tables::newAirportTable();
    for (const std::string& code : shippedCodes())
        airportRows.setText(airportRows.appendRow(), tables::AirportCode, code);
    tables::AirportLookup airports;
    airports.assign(airportRows);
    tables::createEmptyFlightFile(folder / "flight.cds");
    const convert::ConvertInputs inputs{
        folder / "flightplans.txt", folder / "flight.cds", folder / "aircraft.cds", airports, false, {}, 0};
    SilentReport report;
    const std::atomic<bool> stop{false};
    const convert::Summary summary = convert::convert(inputs, report, stop);
    EXPECT_EQ(summary.outcome, convert::Outcome::Finished) << summary.problem;
    EXPECT_EQ(summary.planLines, traffic.planLines);
    return tables::readFlightFile(folder / "flight.cds");
}

TEST(TrafficGenerator, SameSeedSameFilesOtherSeedOtherPlans)
{
    const traffic::Traffic a = make(7, 3000), b = make(7, 3000), c = make(8, 3000);
    EXPECT_EQ(a.flightPlans, b.flightPlans);
    EXPECT_EQ(a.aircraftList, b.aircraftList);
    ASSERT_EQ(a.aircraftConfigs.size(), b.aircraftConfigs.size());
    for (std::size_t i = 0; i < a.aircraftConfigs.size(); ++i)
        EXPECT_EQ(a.aircraftConfigs[i].text, b.aircraftConfigs[i].text);
    EXPECT_NE(a.flightPlans, c.flightPlans);
}

TEST(TrafficGenerator, ConversionMakesExactlyTheRecordsAskedFor)
{
    for (const std::uint64_t wanted : {1u, 997u, 20000u}) {
        const test::TempFolder folder;
        const traffic::Traffic made = make(3, wanted);
        EXPECT_EQ(made.records, wanted);
        EXPECT_EQ(convertTraffic(made, folder).rowCount(), wanted);
    }
}

TEST(TrafficGenerator, PlansMixPeriodsAndHubsAreFarBusierThanTheRest)
{
    const test::TempFolder folder;
    const traffic::Traffic made = make(1, 20000);
    std::map<std::string, int> periods;
    const convert::TextLines lines = convert::splitLines(made.flightPlans);
    for (const std::string_view line : lines.lines)
        if (const auto plan = convert::cutPlanLine(line)) ++periods[plan->period];
    for (const char* period : {"WEEK", "24Hr", "12Hr", "8Hr"}) EXPECT_GT(periods[period], 0) << period;
    EXPECT_GT(periods["WEEK"], periods["24Hr"]);

    const tables::Table flights = convertTraffic(made, folder);
    std::map<std::string, int> departures;
    std::size_t knownAirline = 0, national = 0;
    std::set<std::string> days;
    for (tables::RowId row = 0; row < flights.rowCount(); ++row) {
        ++departures[std::string(flights.text(row, tables::IcaoCodeDep))];
        knownAirline += flights.text(row, tables::Airline) != convert::notFoundText;
        national += flights.boolean(row, tables::National);
        days.emplace(flights.text(row, tables::SchedulingDep));
    }
    std::vector<int> counts;
    for (const auto& [code, count] : departures) counts.push_back(count);
    std::sort(counts.begin(), counts.end());
    EXPECT_GT(counts.back(), 20 * counts[counts.size() / 2]);  // the busiest airport against the median one
    EXPECT_GT(departures.size(), 300u);
    // Nearly every aircraft is in the list and found by the scan; a few are left out on purpose.
    EXPECT_GT(knownAirline, flights.rowCount() * 98 / 100);
    EXPECT_LT(knownAirline, flights.rowCount());
    // Both national and international legs, and weekly legs on every day as well as daily ones.
    EXPECT_GT(national, flights.rowCount() / 10);
    EXPECT_LT(national, flights.rowCount() * 9 / 10);
    for (const char* day : {"0", "1", "2", "3", "4", "5", "6", "0123456"}) EXPECT_TRUE(days.count(day)) << day;
}

TEST(TrafficGenerator, TooFewAirportsIsAnError)
{
    const std::vector<std::string> two = {"LIRF", "LIML"};
    EXPECT_THROW(traffic::makeTraffic(traffic::TrafficOptions(), two), quorvel::Error);
}

}  // namespace
