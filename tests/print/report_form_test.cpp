#include "print/report_form.h"
#include "board/board_model.h"
#include "tests/support/fakes.h"
#include "tests/support/flight_rows.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <QPrinter>
#include <QProcess>

using namespace quorvel;
using namespace quorvel::ui;
using quorvel::board::Direction;
using report::BandKind;

namespace {

struct PrintTimeTableTest : ::testing::Test {
    PrintTimeTableTest()
    {
        const struct {
            const char* flight;
            const char* dep;
            const char* arr;
            const char* timeDep;
            const char* timeArr;
        } legs[] = {{"AZ100", "LIRF", "EGLL", "07:45", "09:55"}, {"BA200", "EGLL", "LIRF", "06:30", "10:05"}};
        for (const auto& l : legs) {
            test::Leg leg;
            leg.flight = l.flight;
            leg.dep = l.dep;
            leg.arr = l.arr;
            leg.timeDep = l.timeDep;
            leg.timeArr = l.timeArr;
            test::addLeg(flights, leg);
        }
    }

    // The detail rows of every page as "FLIGHT AIRPORT TIME".
    std::vector<std::string> printedRows() const
    {
        std::vector<std::string> rows;
        for (const report::Page& page : form.lastPages())
            for (const report::PlacedBand* detail : page.bandsOf(BandKind::Detail))
                rows.push_back(detail->text("QRFlight")->text + " " + detail->text("QRApt")->text + " " +
                               detail->text("QRTime")->text);
        return rows;
    }

    const report::Page& firstPage() const { return form.lastPages().at(0); }

    tables::Table flights = tables::newFlightTable();
    BoardModel board;
    int previews = 0;
    std::function<void(QPrinter&, const std::function<void(QPrinter*)>&)> onPreview;
    test::RecordingWaits waits;
    TReportForm form{[this](QPrinter& printer, const std::function<void(QPrinter*)>& paint) {
                         ++previews;
                         if (onPreview) onPreview(printer, paint);
                     },
                     waits};
};

}  // namespace

TEST_F(PrintTimeTableTest, DeparturesInBoardOrder)
{
    board.showView(&flights, {1, 0});
    printTimeTable(form, board, {"ROME FIUMICINO", Direction::Departure, true, {}});
    EXPECT_EQ(previews, 1);
    EXPECT_EQ(form.QuickRep1.title, "Quorvel Report for ROME FIUMICINO - DEPARTURES");
    EXPECT_EQ(firstPage().bandsOf(BandKind::Title).at(0)->text("QRReportTitle")->text, form.QuickRep1.title);
    EXPECT_EQ(firstPage().bandsOf(BandKind::ColumnHeader).at(0)->text("QRToFromLabel")->text, "TO");
    EXPECT_EQ(printedRows(), (std::vector<std::string>{"BA200 ARR LIRF 06:30", "AZ100 ARR EGLL 07:45"}));
    EXPECT_EQ(firstPage().bandsOf(BandKind::PageFooter).at(0)->text("QRSysData1")->text, "National Page N.1");
}

TEST_F(PrintTimeTableTest, ArrivalsPrintOriginAndArrivalTime)
{
    board.showView(&flights, {0, 1});
    printTimeTable(form, board, {"LONDON HEATHROW", Direction::Arrival, false, {}});
    EXPECT_EQ(form.QuickRep1.title, "Quorvel Report for LONDON HEATHROW - ARRIVALS");
    EXPECT_EQ(firstPage().bandsOf(BandKind::ColumnHeader).at(0)->text("QRToFromLabel")->text, "FROM");
    EXPECT_EQ(printedRows(), (std::vector<std::string>{"AZ100 DEP LIRF 09:55", "BA200 DEP EGLL 10:05"}));
    EXPECT_EQ(firstPage().bandsOf(BandKind::PageFooter).at(0)->text("QRSysData1")->text, "International Page N.1");
}

TEST_F(PrintTimeTableTest, NoFlightTablePrintsTheEmptyBoard)
{
    board.showView(nullptr, {});
    printTimeTable(form, board, {"", Direction::Departure, true, {}});
    EXPECT_EQ(previews, 1);
    ASSERT_EQ(form.lastPages().size(), 1u);
    EXPECT_EQ(form.QuickRep1.title, "Quorvel Report for  - DEPARTURES");
    EXPECT_EQ(firstPage().bandsOf(BandKind::Title).size(), 1u);
    EXPECT_EQ(firstPage().bandsOf(BandKind::ColumnHeader).size(), 1u);
    EXPECT_EQ(firstPage().bandsOf(BandKind::Detail).size(), 0u);
    EXPECT_EQ(firstPage().bandsOf(BandKind::PageFooter).size(), 1u);
}

TEST_F(PrintTimeTableTest, PreviewPrintsAPdfHoldingTitleRowsAndFooter)
{
#ifndef QRVL_PDFTOTEXT
    GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
#else
    test::TempFolder folder;
    const QString pdf = QString::fromStdString((folder / "timetable.pdf").string());
    onPreview = [&](QPrinter& printer, const std::function<void(QPrinter*)>& paint) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        paint(&printer);
    };
    board.showView(&flights, {1, 0});
    printTimeTable(form, board, {"ROME FIUMICINO", Direction::Departure, true, {}});

    QProcess pdftotext;
    pdftotext.start(QStringLiteral(QRVL_PDFTOTEXT), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(pdftotext.waitForFinished(30000));
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
    for (const char* expected :
         {"Quorvel Report for ROME FIUMICINO - DEPARTURES", "AIRLINE", "FLIGHT", "TO", "AIRPORT", "TIME", "BA200",
          "ARR LIRF", "06:30", "AZ100", "ARR EGLL", "07:45", "National Page N.1"})
        EXPECT_TRUE(text.contains(QString::fromLatin1(expected))) << expected << " not in:\n" << text.toStdString();
    EXPECT_LT(text.indexOf(QStringLiteral("BA200")), text.indexOf(QStringLiteral("AZ100"))) << "board order";
    EXPECT_EQ(text.count(QStringLiteral("\f")), 1) << "one page";
#endif
}

TEST_F(PrintTimeTableTest, LayingOutAndDrawingThePagesShowTheBusyCursorAndCountThePages)
{
    test::TempFolder folder;
    int busyWhilePreviewing = -1;
    onPreview = [&](QPrinter& printer, const std::function<void(QPrinter*)>& paint) {
        busyWhilePreviewing = waits.busy();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString((folder / "timetable.pdf").string()));
        paint(&printer);
    };
    board.showView(&flights,
                   std::vector<tables::RowId>(60, 0));  // 23 legs on the first page, 24 on the next, 13 on the last
    printTimeTable(form, board, {"ROME FIUMICINO", Direction::Departure, true, {}});
    ASSERT_EQ(form.lastPages().size(), 3u);
    EXPECT_EQ(waits.events(), (std::vector<std::string>{"busy", "idle", "busy", "progress Drawing the pages... 0/3",
                                                        "1/3", "2/3", "3/3", "progress done", "idle"}));
    EXPECT_EQ(busyWhilePreviewing, 0) << "the person reads the preview under the normal cursor";
}
