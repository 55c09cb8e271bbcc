#include "print/timetable_report.h"

#include "tables/flight_table.h"

namespace quorvel::print {

namespace {

using report::Band;
using report::BandKind;
using report::Field;
using report::FieldKind;

constexpr double bandHeight = 10.6;
constexpr double bandWidth = 189.8;

Field label(std::string name, double left, double top, std::string text)
{
    Field field;
    field.name = std::move(name);
    field.kind = FieldKind::Label;
    field.left = left;
    field.top = top;
    field.text = std::move(text);
    return field;
}

Field data(std::string name, double left, int column)
{
    Field field;
    field.name = std::move(name);
    field.kind = FieldKind::Data;
    field.left = left;
    field.top = 2.8;
    field.column = column;
    return field;
}

Band band(BandKind kind, std::vector<Field> fields)
{
    Band band;
    band.kind = kind;
    band.height = bandHeight;
    band.width = bandWidth;
    band.fields = std::move(fields);
    return band;
}

}  // namespace

TimetableSettings timetableSettings(const TimetableChoice& choice)
{
    const bool departures = choice.direction == board::Direction::Departure;
    TimetableSettings settings;
    settings.title = "Quorvel Report for " + choice.airportText + " - " + (departures ? "DEPARTURES" : "ARRIVALS");
    if (!choice.times.empty()) settings.title += " - " + choice.times;
    settings.airportColumn = departures ? tables::DestApt : tables::DepApt;
    settings.timeColumn = departures ? tables::TimeDep : tables::TimeArr;
    settings.toFromLabel = departures ? "TO" : "FROM";
    settings.footerPrefix = choice.national ? "National Page N." : "International Page N.";
    return settings;
}

report::Report timetableReport()
{
    report::Report report;  // A4 portrait, 10 mm margins, Arial 10 point

    Field title;
    title.name = "QRReportTitle";
    title.kind = FieldKind::ReportTitle;
    title.top = 4.2;
    title.font = report::Font{"Arial", 14, true, false};
    Band titleBand = band(BandKind::Title, {title});
    titleBand.frame = {true, true, true, true, report::LineStyle::Solid};

    Field toFrom = label("QRToFromLabel", 48.0, 4.2, "TO");
    toFrom.width = 11.6;
    Band header = band(BandKind::ColumnHeader,
                       {label("QRLAirline", 0, 4.2, "AIRLINE"), label("QRLFlight", 31.8, 4.2, "FLIGHT"), toFrom,
                        label("QRLApt", 62.1, 4.2, "AIRPORT"), label("QRLTime", 144.6, 4.2, "TIME")});
    header.frame.bottom = true;
    header.frame.style = report::LineStyle::Dotted;

    Band detail =
        band(BandKind::Detail, {data("QRAirline", 0, tables::Airline), data("QRFlight", 31.0, tables::FlightNumber),
                                data("QRApt", 62.1, tables::DestApt), data("QRTime", 143.9, tables::TimeDep)});

    Field pageNumber;
    pageNumber.name = "QRSysData1";
    pageNumber.kind = FieldKind::PageNumber;
    pageNumber.top = 2.8;
    Band footer = band(BandKind::PageFooter, {pageNumber});

    report.bands = {std::move(titleBand), std::move(header), std::move(detail), std::move(footer)};
    return report;
}

void applyTimetable(report::Report& report, const TimetableSettings& settings)
{
    report.title = settings.title;
    report.field("QRApt").column = settings.airportColumn;
    report.field("QRTime").column = settings.timeColumn;
    report.field("QRToFromLabel").text = settings.toFromLabel;
    report.field("QRAirline").column = tables::Airline;
    report.field("QRFlight").column = tables::FlightNumber;
    report.field("QRSysData1").text = settings.footerPrefix;
}

}  // namespace quorvel::print
