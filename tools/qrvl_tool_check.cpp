// qrvl-tool check: every problem of the traffic files at once, before a conversion replaces
// the flight table. The check reads the files as the conversion does (convert/traffic_check.h).

#include "convert/conversion_run.h"
#include "convert/leg_rules.h"
#include "convert/traffic_check.h"
#include "platform/atomic_file.h"
#include "platform/time_zone.h"
#include "tables/airport_table.h"

#include <charconv>
#include <cstdio>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace quorvel;
using convert::CheckResult;
using convert::Problem;

constexpr const char* checkUsage =
    "usage: qrvl-tool check --flightplans FILE --aircraft-list FILE --airports airport.cds\n"
    "                       [--aircraft-table aircraft.cds] [--format text|csv|html] [--out FILE]\n"
    "                       [--utc-offset-hours N] [--override-dst]\n"
    "\n"
    "Reads the flight plan file as Convert > FlightPlan does and lists every problem at once, each\n"
    "with its file, line, field, severity (error, warning, note), kind, the text and what the\n"
    "conversion does with it. An error ends a conversion without saving anything.\n"
    "  --flightplans FILE      the simulator's flight plan file (flightplans.txt)\n"
    "  --aircraft-list FILE    the AI aircraft list (aircraft.txt)\n"
    "  --airports FILE         the airport table (airport.cds)\n"
    "  --aircraft-table FILE   the aircraft table (aircraft.cds), to check numbers and airlines\n"
    "  --format F              text (default, with a summary), csv (RFC 4180) or html (a page)\n"
    "  --out FILE              write there instead of standard output\n"
    "  --utc-offset-hours N    as for convert: a daily time is read whole only when shifted\n"
    "  --override-dst          as for convert\n"
    "Exits with 0 when there is no error, 1 when there is one, 2 on bad usage or unreadable input.\n";

struct CheckUsageError {
    std::string text;
};

enum class Format { Text, Csv, Html };

struct Options {
    std::string flightPlans, aircraftList, airports, aircraftTable, out;
    Format format = Format::Text;
    std::optional<int> utcOffsetHours;
    bool overrideDst = false;
};

Options checkOptions(const std::vector<std::string>& args)
{
    Options options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw CheckUsageError{a + " needs a value"};
            return args[++i];
        };
        if (a == "--flightplans") {
            options.flightPlans = value();
        } else if (a == "--aircraft-list") {
            options.aircraftList = value();
        } else if (a == "--airports") {
            options.airports = value();
        } else if (a == "--aircraft-table") {
            options.aircraftTable = value();
        } else if (a == "--out") {
            options.out = value();
        } else if (a == "--format") {
            const std::string& format = value();
            if (format == "text")
                options.format = Format::Text;
            else if (format == "csv")
                options.format = Format::Csv;
            else if (format == "html")
                options.format = Format::Html;
            else
                throw CheckUsageError{"--format takes text, csv or html, not \"" + format + "\""};
        } else if (a == "--utc-offset-hours") {
            const std::string& text = value();
            int hours = 0;
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), hours);
            if (error != std::errc() || end != text.data() + text.size() || hours < -24 || hours > 24)
                throw CheckUsageError{"--utc-offset-hours takes whole hours from -24 to 24, not \"" + text + "\""};
            options.utcOffsetHours = hours;
        } else if (a == "--override-dst") {
            options.overrideDst = true;
        } else {
            throw CheckUsageError{"unknown option " + a};
        }
    }
    if (options.flightPlans.empty()) throw CheckUsageError{"check needs --flightplans FILE"};
    if (options.aircraftList.empty()) throw CheckUsageError{"check needs --aircraft-list FILE"};
    if (options.airports.empty()) throw CheckUsageError{"check needs --airports FILE"};
    return options;
}

std::string csvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string html(const std::string& text)
{
    std::string escaped;
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&#39;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::string place(const Problem& p)
{
    std::string text = p.file;
    if (p.line > 0) text += ", line " + std::to_string(p.line);
    if (p.field > 0) text += ", field " + std::to_string(p.field);
    return text;
}

std::string percent(std::size_t part, std::size_t whole)
{
    if (whole == 0) return "-";
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%.1f %%", 100.0 * double(part) / double(whole));
    return buffer;
}

// The summary as lines of text: counts per severity and kind, records, known legs.
std::vector<std::string> summaryLines(const CheckResult& result)
{
    const convert::CheckSummary& s = result.summary;
    const auto count = [](const auto& map, auto key) {
        const auto found = map.find(key);
        return found == map.end() ? std::size_t(0) : found->second;
    };
    std::vector<std::string> lines;
    lines.push_back(std::to_string(count(s.perSeverity, convert::Severity::Error)) + " errors, " +
                    std::to_string(count(s.perSeverity, convert::Severity::Warning)) + " warnings, " +
                    std::to_string(count(s.perSeverity, convert::Severity::Note)) + " notes");
    for (const auto& [kind, n] : s.perKind)
        lines.push_back("  " + std::to_string(n) + " " + std::string(convert::severityName(convert::severityOf(kind))) +
                        " " + std::string(convert::kindName(kind)) + ": " + std::string(convert::kindTitle(kind)));
    lines.push_back(std::to_string(s.planLines) + " flight plan lines, " + std::to_string(s.badLines) + " with errors");
    std::string records = std::to_string(s.records) + " records from the lines without errors";
    if (s.badLines > 0) records += " (none is saved unless convert runs with --skip-bad-lines)";
    lines.push_back(records);
    lines.push_back(std::to_string(s.knownLegs) + " of " + std::to_string(s.legs) + " legs of those lines (" +
                    percent(s.knownLegs, s.legs) + ") have a known aircraft and known airports");
    return lines;
}

std::string textReport(const CheckResult& result)
{
    std::ostringstream out;
    for (const Problem& p : result.problems) {
        out << place(p) << ": " << convert::severityName(p.severity) << " " << convert::kindName(p.kind);
        if (!p.text.empty()) out << ": \"" << p.text << "\"";
        out << "\n    " << p.detail << "\n    -> " << p.effect << '\n';
    }
    if (!result.problems.empty()) out << '\n';
    for (const std::string& line : summaryLines(result)) out << line << '\n';
    return out.str();
}

std::string csvReport(const CheckResult& result)
{
    std::string out = "file,line,field,severity,kind,text,detail,effect\r\n";
    for (const Problem& p : result.problems) {
        out += csvField(p.file) + ',' + (p.line > 0 ? std::to_string(p.line) : "") + ',' +
               (p.field > 0 ? std::to_string(p.field) : "") + ',' + std::string(convert::severityName(p.severity)) +
               ',' + std::string(convert::kindName(p.kind)) + ',' + csvField(p.text) + ',' + csvField(p.detail) + ',' +
               csvField(p.effect) + "\r\n";
    }
    return out;
}

std::string htmlReport(const CheckResult& result, const Options& options)
{
    std::string out = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>Traffic check: " +
                      html(options.flightPlans) +
                      "</title>\n"
                      "<style>body{font-family:sans-serif}table{border-collapse:collapse}"
                      "td,th{border:1px solid #999;padding:2px 6px;text-align:left;vertical-align:top}"
                      ".error{background:#fdd}.warning{background:#ffd}</style>\n</head>\n<body>\n"
                      "<h1>Traffic check</h1>\n<p>" +
                      html(options.flightPlans) + ", " + html(options.aircraftList) + "</p>\n<ul>\n";
    for (const std::string& line : summaryLines(result)) out += "<li>" + html(line) + "</li>\n";
    out +=
        "</ul>\n<table>\n<tr><th>File</th><th>Line</th><th>Field</th><th>Severity</th><th>Kind</th><th>Text</th>"
        "<th>Detail</th><th>Conversion</th></tr>\n";
    for (const Problem& p : result.problems) {
        const std::string severity(convert::severityName(p.severity));
        out += "<tr class=\"" + severity + "\"><td>" + html(p.file) + "</td><td>" +
               (p.line > 0 ? std::to_string(p.line) : "") + "</td><td>" + (p.field > 0 ? std::to_string(p.field) : "") +
               "</td><td>" + severity + "</td><td>" + std::string(convert::kindName(p.kind)) + "</td><td><code>" +
               html(p.text) + "</code></td><td>" + html(p.detail) + "</td><td>" + html(p.effect) + "</td></tr>\n";
    }
    out += "</table>\n</body>\n</html>\n";
    return out;
}

}  // namespace

int checkCommand(const std::vector<std::string>& args)
{
    for (const std::string& a : args)
        if (a == "--help" || a == "-h") {
            std::cout << checkUsage;
            return 0;
        }
    Options options;
    try {
        options = checkOptions(args);
    } catch (const CheckUsageError& e) {
        std::cerr << "qrvl-tool check: " << e.text << " (see qrvl-tool check --help)\n";
        return 2;
    }

    CheckResult result;
    try {
        tables::AirportLookup airports;
        airports.load(options.airports);
        const convert::CheckInputs inputs{
            .flightPlanFile = options.flightPlans,
            .aircraftListFile = options.aircraftList,
            .airports = airports,
            .aircraftTableFile = options.aircraftTable.empty()
                                     ? std::nullopt
                                     : std::optional<std::filesystem::path>(options.aircraftTable),
            .utcOffsetHours = options.utcOffsetHours
                                  ? *options.utcOffsetHours
                                  : convert::utcOffsetHours(platform::localTimeZone(), options.overrideDst),
        };
        result = convert::checkTraffic(inputs);
    } catch (const std::exception& e) {
        std::cerr << "qrvl-tool check: " << e.what() << '\n';
        return 2;
    }

    const std::string report = options.format == Format::Csv    ? csvReport(result)
                               : options.format == Format::Html ? htmlReport(result, options)
                                                                : textReport(result);
    if (options.out.empty()) {
        std::cout << report;
        std::cout.flush();
    } else {
        try {
            platform::writeFileAtomically(options.out, report);
        } catch (const std::exception& e) {
            std::cerr << "qrvl-tool check: " << e.what() << '\n';
            return 2;
        }
    }
    return convert::hasErrors(result) ? 1 : 0;
}
