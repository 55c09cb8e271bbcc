// tests/convert/conversion_fixture.h: a program folder with an aircraft table, an airport lookup
// and a flight plan file, and a report that records what a conversion told it.
#pragma once

#include "convert/conversion_run.h"
#include "tables/airport_table.h"
#include "tables/table.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorvel::test {

// Each call as one line: "range 0 5", "progress 1", "label Flights:1/5", "log KEY",
// "message CAPTION|TEXT", "caption Ok", "press", "skip TEXT".
struct RecordingReport final : convert::ConversionReport {
    std::vector<std::string> events;
    std::vector<std::string> logs;
    std::function<void(int)> onProgress;  // runs on every progress call, e.g. to raise the stop flag

    void progressRange(int minimum, int maximum) override;
    void progress(int position) override;
    void label(std::string_view text) override { events.push_back("label " + std::string(text)); }
    void logLine(std::string_view key) override;
    void message(std::string_view caption, std::string_view text) override;
    void buttonCaption(std::string_view text) override { events.push_back("caption " + std::string(text)); }
    void pressButton() override { events.emplace_back("press"); }
    void skippedLine(std::string_view text) override { events.push_back("skip " + std::string(text)); }
    void notFound(std::string_view key, std::string_view place) override
    {
        places.push_back(std::string(key) + " @ " + std::string(place));
        logLine(key);
    }
    void stoppedAt(std::string_view text) override { stops.emplace_back(text); }
    std::vector<std::string> places;  // "KEY @ plans.txt, line 3" for each logged key
    std::vector<std::string> stops;   // what stoppedAt() was told
    std::vector<std::string> labels() const;
};

struct AircraftRow {
    std::optional<std::string> number, title, airline, model;
};

// airport.cds is not written: the lookup is filled in memory.
class ConversionFixture : public ::testing::Test {
protected:
    ConversionFixture();

    void writeAircraft(const std::vector<AircraftRow>& rows);
    // Replaces flight.cds by an empty table, writes "plans.txt" (removes it for nothing) and runs
    // the conversion with this offset (nothing: from the zone and overrideDst).
    convert::Summary run(const std::optional<std::string>& plan, std::optional<int> offset);
    convert::ConvertInputs inputs(std::optional<int> offset) const;
    tables::Table flights() const;          // flight.cds as it is now
    std::vector<std::string> rows() const;  // every field of every record, "|" between, "~" for null

    TempFolder folder;
    tables::AirportLookup airports;
    RecordingReport report;
    std::atomic<bool> stop{false};
    platform::TimeZone zone;
    bool overrideDst = false;
};

// A flight plan file of `lines` daily lines, each giving 48 records (two legs every hour).
std::string bigPlan(int lines);

}  // namespace quorvel::test
