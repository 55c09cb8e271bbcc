#include "convert/traffic_check_dialog.h"

#include "convert/traffic_check_model.h"
#include "tests/convert/conversion_fixture.h"
#include "tests/support/fakes.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>

using namespace quorvel;
using namespace quorvel::ui;
using quorvel::test::Shown;

namespace {

// Line 1 stops a conversion (a touch-and-go arrival in a weekly plan), line 2 is clean, line 3
// has an unknown airport in lower case and line 4 a bad percentage; line 5 is a comment.
const std::string mixedPlan =
    "AC#1,x,100%,WEEK,IFR,1/08:00,TNG1/09:00,1,F,B1,LFPG,1/10:00,1/11:00,1,F,B2,LIRF\r\n"
    "AC#1,x,100%,24Hr,IFR,10:00,11:00,1,F,F1,LFPG,12:00,13:00,1,F,F2,LIRF\r\n"
    "AC#1,x,100%,24Hr,IFR,10:00,11:00,1,F,F1,lfpg,12:00,13:00,1,F,F2,LIRF\r\n"
    "AC#1,x,1x%,24Hr,IFR,10:00,11:00,1,F,F1,LFPG,12:00,13:00,1,F,F2,LIRF\r\n"
    "// the end\r\n";

class TrafficCheckWindow : public test::ConversionFixture {
protected:
    TrafficCheckWindow() { test::writeBytes(folder / "aircraft.txt", "AC#1,450,\"Alitalia B737\"\r\n"); }

    std::unique_ptr<TrafficCheckDialog> open(const std::string& plan, bool canConvert = true)
    {
        test::writeBytes(folder / "plans.txt", plan);
        auto dialog =
            std::make_unique<TrafficCheckDialog>(convert::CheckInputs{.flightPlanFile = folder / "plans.txt",
                                                                      .aircraftListFile = folder / "aircraft.txt",
                                                                      .airports = airports,
                                                                      .aircraftTableFile = std::nullopt,
                                                                      .utcOffsetHours = 0,
                                                                      .installedTitles = {}},
                                                 prompter, fileDialogs, folder.path(), canConvert);
        dialog->waitForCheck();
        return dialog;
    }

    // The view's rows as "LINE kind", top to bottom.
    static QStringList shownRows(const TrafficCheckDialog& dialog)
    {
        QStringList rows;
        const QAbstractItemModel& m = *dialog.problemView->model();
        for (int r = 0; r < m.rowCount(); ++r)
            rows << m.index(r, TrafficCheckModel::LineColumn).data().toString() + " " +
                        m.index(r, TrafficCheckModel::KindColumn).data().toString();
        return rows;
    }

    static void choose(QComboBox* box, const QString& startingWith)
    {
        for (int i = 0; i < box->count(); ++i)
            if (box->itemText(i).startsWith(startingWith)) {
                box->setCurrentIndex(i);
                return;
            }
        FAIL() << "no item " << startingWith.toStdString();
    }

    test::ScriptedPrompter prompter;
    test::ScriptedFileDialogs fileDialogs;
};

}  // namespace

TEST_F(TrafficCheckWindow, ShowsTheSummaryAndEveryProblemInLineOrder)
{
    const auto dialog = open(mixedPlan);
    QAbstractItemModelTester tester(dialog->model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_FALSE(dialog->checking());
    EXPECT_FALSE(dialog->progressBar->isVisible());
    EXPECT_EQ(shownRows(*dialog),
              (QStringList{"1 bad time", "3 unknown airport code", "4 bad percentage", "5 comment line"}));
    const QString summary = dialog->summaryLabel->text();
    EXPECT_TRUE(summary.startsWith("2 errors, 1 warnings, 1 notes\n")) << summary.toStdString();
    EXPECT_TRUE(summary.contains("4 flight plan lines, 2 with errors")) << summary.toStdString();
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(TrafficCheckWindow, SortsNumbersAsNumbersAndSeveritiesWorstFirst)
{
    std::string plan;
    for (int i = 0; i < 11; ++i) plan += "// comment\r\n";  // lines 1 to 11, notes
    plan += mixedPlan;                                      // lines 12 to 16
    const auto dialog = open(plan);
    QTableView& view = *dialog->problemView;

    view.sortByColumn(TrafficCheckModel::LineColumn, Qt::DescendingOrder);
    EXPECT_EQ(shownRows(*dialog).mid(0, 3),
              (QStringList{"16 comment line", "15 bad percentage", "14 unknown airport code"}));
    EXPECT_EQ(shownRows(*dialog).last(), "1 comment line");  // "9" > "16" as text; not as a number

    view.sortByColumn(TrafficCheckModel::SeverityColumn, Qt::AscendingOrder);
    const QAbstractItemModel& m = *view.model();
    EXPECT_EQ(m.index(0, TrafficCheckModel::SeverityColumn).data().toString(), "error");
    EXPECT_EQ(m.index(1, TrafficCheckModel::SeverityColumn).data().toString(), "error");
    EXPECT_EQ(m.index(2, TrafficCheckModel::SeverityColumn).data().toString(), "warning");
    EXPECT_EQ(m.index(m.rowCount() - 1, TrafficCheckModel::SeverityColumn).data().toString(), "note");

    // A click on a header sorts too, as the user does it.
    dialog->show();
    const QHeaderView& header = *view.horizontalHeader();
    QTest::mouseClick(view.horizontalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(header.sectionViewportPosition(TrafficCheckModel::KindColumn) + 5, header.height() / 2));
    EXPECT_EQ(header.sortIndicatorSection(), int(TrafficCheckModel::KindColumn));
    EXPECT_EQ(m.index(0, TrafficCheckModel::KindColumn).data().toString(), "bad percentage");
}

TEST_F(TrafficCheckWindow, FiltersBySeverityKindAndFile)
{
    test::writeBytes(folder / "aircraft.txt", "AC#1,450,\"Alitalia B737\"\r\nAC#1,450,\"Air Inter A320\"\r\n");
    const auto dialog = open(mixedPlan);
    QAbstractItemModelTester tester(dialog->filter, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(dialog->problemView->model()->rowCount(), 5);

    const struct {
        QComboBox* box;
        QString item;
        QStringList rows;
    } cases[] = {
        {dialog->severityBox, "error (2)", {"1 bad time", "4 bad percentage"}},
        {dialog->severityBox,
         "All",
         {"1 bad time", "3 unknown airport code", "4 bad percentage", "5 comment line",
          "2 aircraft number listed twice"}},
        {dialog->kindBox, "unknown airport code (1)", {"3 unknown airport code"}},
        {dialog->kindBox,
         "All",
         {"1 bad time", "3 unknown airport code", "4 bad percentage", "5 comment line",
          "2 aircraft number listed twice"}},
        {dialog->fileBox, "aircraft.txt", {"2 aircraft number listed twice"}},
    };
    for (const auto& c : cases) {
        choose(c.box, c.item);
        EXPECT_EQ(shownRows(*dialog), c.rows) << c.item.toStdString();
    }
    // The choices add up: warnings of the plan file alone.
    choose(dialog->fileBox, "plans.txt");
    choose(dialog->severityBox, "warning");
    EXPECT_EQ(shownRows(*dialog), QStringList{"3 unknown airport code"});
}

TEST_F(TrafficCheckWindow, DoubleClickShowsTheWholeLineWithTheFieldMarked)
{
    const auto dialog = open(mixedPlan);
    dialog->show();
    QTableView& view = *dialog->problemView;
    const QModelIndex second = view.model()->index(1, TrafficCheckModel::TextColumn);  // line 3, field 11
    const QRect cell = view.visualRect(second);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, cell.center());

    const QString line =
        QString::fromStdString(mixedPlan.substr(mixedPlan.find("AC#1,x,100%,24Hr,IFR,10:00,11:00,1,F,F1,lfpg")))
            .section("\r\n", 0, 0);
    EXPECT_EQ(dialog->lineView->toPlainText(), line);
    EXPECT_TRUE(dialog->placeLabel->text().startsWith("plans.txt, line 3, field 11: written in lower case"))
        << dialog->placeLabel->text().toStdString();

    // Exactly the characters of "lfpg" are marked.
    const int start = int(line.indexOf(",lfpg,")) + 1;
    const QTextBlock block = dialog->lineView->document()->firstBlock();
    for (int i = 0; i < line.size(); ++i) {
        QTextCursor at(block);
        at.setPosition(i + 1);  // the format of the character before the cursor
        const bool marked = at.charFormat().background().style() != Qt::NoBrush;
        EXPECT_EQ(marked, i >= start && i < start + 4) << i;
    }
    // And it shows: the marked field is painted in its colour.
    const QImage picture = dialog->lineView->viewport()->grab().toImage();
    bool coloured = false;
    for (int y = 0; y < picture.height() && !coloured; ++y)
        for (int x = 0; x < picture.width() && !coloured; ++x)
            coloured = picture.pixelColor(x, y) == QColor(0xff, 0x99, 0x99);
    EXPECT_TRUE(coloured);
}

TEST_F(TrafficCheckWindow, SkipButtonCountsTheLinesWithErrorsAndChoosesTheSkippingConversion)
{
    const struct {
        std::string plan;
        bool visible;
        QString text;
    } cases[] = {
        {mixedPlan, true, "Convert, skipping the 2 lines with errors"},
        {mixedPlan.substr(mixedPlan.find("\r\n") + 2), true, "Convert, skipping the 1 line with errors"},
        {"AC#1,x,100%,24Hr,IFR,10:00,11:00,1,F,F1,LFPG,12:00,13:00,1,F,F2,LIRF\r\n", false, ""},
    };
    for (const auto& c : cases) {
        const auto dialog = open(c.plan);
        dialog->show();
        EXPECT_EQ(dialog->skipButton->isVisible(), c.visible) << c.plan;
        if (!c.visible) continue;
        EXPECT_EQ(dialog->skipButton->text(), c.text);
        // The whole caption shows.
        EXPECT_GE(dialog->skipButton->width(), dialog->skipButton->fontMetrics().horizontalAdvance(c.text) + 8);
        QTest::mouseClick(dialog->skipButton, Qt::LeftButton);
        EXPECT_EQ(dialog->choice(), CheckChoice::ConvertSkippingBadLines);
        EXPECT_EQ(dialog->result(), int(QDialog::Accepted));
    }
    const auto plain = open(mixedPlan);
    plain->show();
    QTest::mouseClick(plain->convertButton, Qt::LeftButton);
    EXPECT_EQ(plain->choice(), CheckChoice::Convert);

    const auto closed = open(mixedPlan);
    closed->show();
    QTest::mouseClick(closed->closeButton, Qt::LeftButton);
    EXPECT_EQ(closed->choice(), CheckChoice::None);

    const auto noTable = open(mixedPlan, false);  // no aircraft table: nothing to convert with
    EXPECT_FALSE(noTable->convertButton->isEnabled());
    EXPECT_FALSE(noTable->skipButton->isEnabled());
}

TEST_F(TrafficCheckWindow, ExportsWriteTheChosenFilesThroughTheDialog)
{
    const auto dialog = open(mixedPlan);
    fileDialogs.answer(folder / "check.csv");
    dialog->exportCsvButton->click();
    fileDialogs.answer(folder / "check.html");
    dialog->exportHtmlButton->click();
    dialog->exportCsvButton->click();  // cancelled: nothing happens
    EXPECT_EQ(fileDialogs.asked(),
              (std::vector<std::string>{"Export the check", "Export the check", "Export the check"}));

    const std::string csv = test::readBytes(folder / "check.csv");
    EXPECT_TRUE(csv.starts_with("file,line,field,severity,kind,text,detail,effect\r\nplans.txt,1,7,error,bad-time,"))
        << csv;
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 5);
    const std::string page = test::readBytes(folder / "check.html");
    EXPECT_TRUE(page.starts_with("<!DOCTYPE html>"));
    EXPECT_NE(page.find("<title>Traffic check: plans.txt, aircraft.txt</title>"), std::string::npos);
    EXPECT_NE(page.find("2 errors, 1 warnings, 1 notes"), std::string::npos);

    fileDialogs.answer(folder / "no such folder" / "check.csv");
    dialog->exportCsvButton->click();
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].first, "Error");
}

TEST_F(TrafficCheckWindow, AnUnreadableFileIsShownAndNothingCanBeExported)
{
    std::filesystem::remove(folder / "aircraft.txt");
    const auto broken = open(mixedPlan);
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].first, "Error");
    EXPECT_NE(prompter.shown()[0].second.find("aircraft.txt"), std::string::npos);
    EXPECT_EQ(broken->summaryLabel->text().toStdString(), prompter.shown()[0].second);
    EXPECT_FALSE(broken->exportCsvButton->isEnabled());
    EXPECT_FALSE(broken->convertButton->isEnabled());
    EXPECT_EQ(broken->problemView->model()->rowCount(), 0);
}
