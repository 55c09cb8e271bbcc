#include "print/timetable_report.h"

#include "tables/flight_table.h"

#include <algorithm>

#include <gtest/gtest.h>

using namespace quorvel;
using namespace quorvel::print;
using quorvel::board::Direction;
using report::BandKind;

TEST(TimetableSettings, ByDirectionAirportAndFlights)
{
    const struct {
        TimetableChoice choice;
        TimetableSettings expected;
    } cases[] = {
        {{"ROME FIUMICINO", Direction::Departure, true, {}},
         {"Quorvel Report for ROME FIUMICINO - DEPARTURES", tables::DestApt, tables::TimeDep, "TO",
          "National Page N."}},
        {{"ROME FIUMICINO", Direction::Arrival, false, {}},
         {"Quorvel Report for ROME FIUMICINO - ARRIVALS", tables::DepApt, tables::TimeArr, "FROM",
          "International Page N."}},
        {{"", Direction::Arrival, true, {}},
         {"Quorvel Report for  - ARRIVALS", tables::DepApt, tables::TimeArr, "FROM", "National Page N."}},
    };
    for (const auto& c : cases) EXPECT_EQ(timetableSettings(c.choice), c.expected) << c.expected.title;
}

TEST(TimetableReport, LayoutOfTheBandsAndFields)
{
    const report::Report report = timetableReport();
    EXPECT_EQ(report.page.width, 210);
    EXPECT_EQ(report.page.height, 297);
    for (const double margin :
         {report.page.marginLeft, report.page.marginTop, report.page.marginRight, report.page.marginBottom})
        EXPECT_EQ(margin, 10);
    EXPECT_EQ(report.font, (report::Font{"Arial", 10, false, false}));
    ASSERT_EQ(report.bands.size(), 4u);
    for (const report::Band& band : report.bands) {
        EXPECT_EQ(band.height, 10.6);
        EXPECT_EQ(band.width, 189.8);
    }
    EXPECT_EQ(report.band(BandKind::Title)->frame, (report::Frame{true, true, true, true, report::LineStyle::Solid}));
    EXPECT_EQ(report.band(BandKind::ColumnHeader)->frame,
              (report::Frame{false, false, false, true, report::LineStyle::Dotted}));
    EXPECT_EQ(report.band(BandKind::Detail)->frame, report::Frame{});
    EXPECT_EQ(report.band(BandKind::PageFooter)->frame, report::Frame{});

    const struct {
        BandKind band;
        const char* name;
        report::FieldKind kind;
        double left;
        double top;
        const char* text;
    } fields[] = {
        {BandKind::Title, "QRReportTitle", report::FieldKind::ReportTitle, 0, 4.2, ""},
        {BandKind::ColumnHeader, "QRLAirline", report::FieldKind::Label, 0, 4.2, "AIRLINE"},
        {BandKind::ColumnHeader, "QRLFlight", report::FieldKind::Label, 31.8, 4.2, "FLIGHT"},
        {BandKind::ColumnHeader, "QRToFromLabel", report::FieldKind::Label, 48.0, 4.2, "TO"},
        {BandKind::ColumnHeader, "QRLApt", report::FieldKind::Label, 62.1, 4.2, "AIRPORT"},
        {BandKind::ColumnHeader, "QRLTime", report::FieldKind::Label, 144.6, 4.2, "TIME"},
        {BandKind::Detail, "QRAirline", report::FieldKind::Data, 0, 2.8, ""},
        {BandKind::Detail, "QRFlight", report::FieldKind::Data, 31.0, 2.8, ""},
        {BandKind::Detail, "QRApt", report::FieldKind::Data, 62.1, 2.8, ""},
        {BandKind::Detail, "QRTime", report::FieldKind::Data, 143.9, 2.8, ""},
        {BandKind::PageFooter, "QRSysData1", report::FieldKind::PageNumber, 0, 2.8, ""},
    };
    for (const auto& f : fields) {
        const report::Band& band = *report.band(f.band);
        const auto found = std::find_if(band.fields.begin(), band.fields.end(),
                                        [&](const report::Field& field) { return field.name == f.name; });
        ASSERT_NE(found, band.fields.end()) << f.name;
        EXPECT_EQ(found->kind, f.kind) << f.name;
        EXPECT_EQ(found->left, f.left) << f.name;
        EXPECT_EQ(found->top, f.top) << f.name;
        EXPECT_EQ(found->text, f.text) << f.name;
        EXPECT_EQ(found->width, std::string_view(f.name) == "QRToFromLabel" ? std::optional(11.6) : std::nullopt)
            << f.name;
        EXPECT_EQ(found->font, std::string_view(f.name) == "QRReportTitle"
                                   ? std::optional(report::Font{"Arial", 14, true, false})
                                   : std::nullopt)
            << f.name;
    }
}

TEST(TimetableReport, ApplyingTwiceReplacesRatherThanAppends)
{
    report::Report report = timetableReport();
    applyTimetable(report, timetableSettings({"ROME", Direction::Departure, true, {}}));
    applyTimetable(report, timetableSettings({"LONDON", Direction::Arrival, false, {}}));
    EXPECT_EQ(report.title, "Quorvel Report for LONDON - ARRIVALS");
    EXPECT_EQ(report.field("QRToFromLabel").text, "FROM");
    EXPECT_EQ(report.field("QRApt").column, tables::DepApt);
    EXPECT_EQ(report.field("QRTime").column, tables::TimeArr);
    EXPECT_EQ(report.field("QRAirline").column, tables::Airline);
    EXPECT_EQ(report.field("QRFlight").column, tables::FlightNumber);
    EXPECT_EQ(report.field("QRSysData1").text, "International Page N.");
}

TEST(TimetableReport, HundredAndFiftyLegsHeaderAndFooterOnEveryPage)
{
    report::Report report = timetableReport();
    applyTimetable(report, timetableSettings({"ROME", Direction::Departure, true, {}}));
    const report::Records legs{150, [](std::size_t record, int column) {
                                   return column == tables::FlightNumber ? "AZ" + std::to_string(record)
                                                                         : std::string("x");
                               }};
    const std::vector<report::Page> pages = report::layOut(report, legs);
    ASSERT_EQ(pages.size(), 7u);
    for (const report::Page& page : pages) {
        ASSERT_EQ(page.bandsOf(BandKind::ColumnHeader).size(), 1u) << page.number;
        EXPECT_EQ(page.bandsOf(BandKind::ColumnHeader)[0]->text("QRToFromLabel")->text, "TO");
        EXPECT_EQ(page.bandsOf(BandKind::PageFooter).at(0)->text("QRSysData1")->text,
                  "National Page N." + std::to_string(page.number));
        EXPECT_EQ(page.bandsOf(BandKind::Title).size(), page.number == 1 ? 1u : 0u);
    }
    EXPECT_EQ(pages[6].bandsOf(BandKind::Detail).back()->text("QRFlight")->text, "AZ149");
}

TEST(TimetableReport, ATextSizedToItselfStopsClearOfTheNextField)
{
    report::Report report = timetableReport();
    applyTimetable(report, timetableSettings({"ROME", Direction::Arrival, true, {}}));
    const report::Page page = report::layOut(report, {1, [](std::size_t, int) { return std::string("x"); }}).at(0);
    const struct {
        BandKind band;
        const char* field;
        const char* next;
    } pairs[] = {
        {BandKind::Detail, "QRAirline", "QRFlight"},
        {BandKind::Detail, "QRFlight", "QRApt"},
        {BandKind::Detail, "QRApt", "QRTime"},
        {BandKind::ColumnHeader, "QRLAirline", "QRLFlight"},
        {BandKind::ColumnHeader, "QRLFlight", "QRToFromLabel"},
    };
    for (const auto& pair : pairs) {
        const report::PlacedBand* band = page.bandsOf(pair.band).at(0);
        const report::PlacedText* text = band->text(pair.field);
        EXPECT_NEAR(band->text(pair.next)->left - (text->left + text->room), 2.0, 1e-9) << pair.field;
    }
}
