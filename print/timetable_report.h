// print/timetable_report.h: the printed timetable: its report layout, and what the print command
// sets on it for the board's direction, airport and national/international choice.
// The timetable prints the board's rows as they stand; printing never re-runs the board query.
#pragma once

#include "board/board_query.h"
#include "report/report_layout.h"

#include <string>

namespace quorvel::print {

// What the print command reads from the main window.
struct TimetableChoice {
    std::string airportText;  // the airport box's displayed text (Windows-1252), may be empty
    board::Direction direction = board::Direction::Departure;
    bool national = true;
    std::string times;  // which time the board shows ("Europe/Rome time"); empty in computer time
};

// What the print command sets on the report.
struct TimetableSettings {
    std::string title;         // "Quorvel Report for " airport " - " DEPARTURES or ARRIVALS
    int airportColumn = 0;     // DEST_APT or DEP_APT
    int timeColumn = 0;        // TIME_DEP or TIME_ARR
    std::string toFromLabel;   // "TO" or "FROM"
    std::string footerPrefix;  // "National Page N." or "International Page N."

    friend bool operator==(const TimetableSettings&, const TimetableSettings&) = default;
};

TimetableSettings timetableSettings(const TimetableChoice& choice);

// The timetable's layout: A4 portrait, 10 mm margins, "Arial" 10 point; title, column header,
// detail and page footer bands with their fields (QRReportTitle, QRLAirline, QRLFlight,
// QRToFromLabel, QRLApt, QRLTime, QRAirline, QRFlight, QRApt, QRTime, QRSysData1).
report::Report timetableReport();

// Sets title, data fields, the to/from label and the footer prefix afresh, so repeated prints
// never pile text up.
void applyTimetable(report::Report& report, const TimetableSettings& settings);

}  // namespace quorvel::print
