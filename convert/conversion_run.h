// convert/conversion_run.h: the conversion run: the flight plan file becomes the flight table,
// one record per leg and per repetition of a leg within a day, the plan's Greenwich times moved
// to local time by whole hours.
//
// The run knows nothing of threads or windows. It reads a stop flag before each line and each
// leg, and tells its caller everything through ConversionReport, on the thread that runs it.
// It saves the flight table once, and only when every line has been worked through; any other
// end leaves the file as it found it (the empty table its caller put there).
#pragma once

#include "platform/time_zone.h"
#include "tables/airport_table.h"

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::convert {

inline constexpr const char* notFoundText = "<not found>";
inline constexpr const char* warningCaption = "WARNING";
inline constexpr const char* missingPlanFileText = "The flightplan file not exist in QRVL directory";

struct ConvertInputs {
    std::filesystem::path flightPlanFile;
    std::filesystem::path flightTableFile;    // "flight.cds", already replaced by an empty table
    std::filesystem::path aircraftTableFile;  // "aircraft.cds", only read
    // Only read, with const lookups, so it may be the main window's copy while the board uses it.
    const tables::AirportLookup& airports;
    bool overrideDst = false;  // inverts whether the zone counts as having daylight saving
    platform::TimeZone zone;
    std::optional<int> utcOffsetHours;  // when set, used instead of the zone and overrideDst
    // A line with a bad time or number is left out (its records too) instead of ending the run.
    bool skipBadLines = false;
    // Threads that convert lines at once; 0: one per core. The result is the same for any number.
    int workers = 0;
};

// The program's inputs: the tables in the program folder, and the setting FlpName (Windows-1252),
// which as a bare name is a file in the program folder.
ConvertInputs programInputs(const std::filesystem::path& programFolder, std::string_view flightPlanSetting,
                            const tables::AirportLookup& airports, bool overrideDst, platform::TimeZone zone);

// What the run tells its caller, in this order of events. All calls come from the thread that
// runs convert(). Texts of label() and message() are UTF-8; keys are Windows-1252 as in the plan.
struct ConversionReport {
    virtual ~ConversionReport() = default;
    virtual void progressRange(int minimum, int maximum) = 0;
    virtual void progress(int position) = 0;        // once per flight plan line
    virtual void label(std::string_view text) = 0;  // "Flights:12/300", once per flight plan line
    // An aircraft number or airport code not found; the caller forms "KEY not found" and keeps
    // each line once. Returns when the line is in the log. Called once per key and run.
    virtual void logLine(std::string_view key) = 0;
    // The same, with the place of the key's first use: "flightplans.txt, line 12" (UTF-8). A
    // caller that shows places overrides this one; the run calls it instead of logLine().
    virtual void notFound(std::string_view key, std::string_view /*place*/) { logLine(key); }
    virtual void message(std::string_view caption, std::string_view text) = 0;  // returns when closed
    virtual void buttonCaption(std::string_view text) = 0;                      // "Ok" after a finished run
    virtual void pressButton() = 0;                                             // closes the dialog as "Stop" does
    // With skipBadLines: a line left out, "FILE, line N: " and what is wrong with it (UTF-8).
    virtual void skippedLine(std::string_view /*text*/) {}
    // The run stops on a bad time or number: "FILE, line N: " and the problem (UTF-8), said
    // before the message box, which keeps its own text.
    virtual void stoppedAt(std::string_view /*text*/) {}
};

enum class Outcome {
    Finished,   // every line worked through, the table saved
    Stopped,    // the stop flag was seen; nothing saved
    TimeError,  // a weekly time is not a time: message, button pressed, nothing saved
    BadInput,   // a malformed number or daily time, or no aircraft table: message, nothing saved
};

struct Summary {
    Outcome outcome = Outcome::Finished;
    bool planFileMissing = false;           // the flight plan file could not be read; the empty table was saved
    std::size_t planLines = 0;              // flight plan lines worked through
    std::size_t records = 0;                // records built (in the file only when Finished)
    std::string problem;                    // the message text of a TimeError or BadInput, UTF-8
    std::vector<std::size_t> skippedLines;  // 1-based lines left out by skipBadLines
};

// Throws quorvel::Error when the flight table cannot be read or saved.
Summary convert(const ConvertInputs& inputs, ConversionReport& report, const std::atomic<bool>& stop);

}  // namespace quorvel::convert
