#include "convert/conversion_log_dialog.h"
#include "convert/convert_flight_plan_dialog.h"
#include "convert/flight_convert_thread.h"
#include "tables/flight_table.h"
#include "tests/convert/conversion_fixture.h"
#include "tests/support/fakes.h"

#include <gtest/gtest.h>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace quorvel;
using namespace quorvel::ui;
using quorvel::convert::Outcome;
using quorvel::test::Shown;

namespace {

class ConvertDialog : public test::ConversionFixture {
protected:
    std::unique_ptr<TdlgConvertFP> makeDialog(const std::string& plan, bool skipBadLines = false)
    {
        test::writeBytes(folder / "plans.txt", plan);
        return std::make_unique<TdlgConvertFP>(folder.path(), "plans.txt", false, airports, log, prompter,
                                               platform::TimeZone{0, false}, skipBadLines);
    }
    QStringList memoLines() const
    {
        const QString text = log.MemoLog->toPlainText();
        return text.isEmpty() ? QStringList() : text.split('\n');
    }

    test::ScriptedPrompter prompter;
    test::ScriptedFileDialogs fileDialogs;
    TdlgCLog log{fileDialogs, prompter, {}};
};

const std::string twoPlans =
    "AC#1,x,100%,24Hr,IFR,10:00,11:00,1,F,F1,XXXX,12:00,13:00,1,F,F2,LIRF\r\n"
    "// comment, with commas\r\n"
    "AC#9,x,100%,WEEK,IFR,1/10:00,1/11:00,1,F,F3,LFPG,2/12:00,2/13:00,1,F,F4,LIRF\r\n";

}  // namespace

TEST_F(ConvertDialog, LayoutBeforeTheRun)
{
    test::writeBytes(folder / "flight.cds", "old table");
    const auto dialog = makeDialog(twoPlans);
    EXPECT_EQ(dialog->windowTitle(), "Convert Flight Plan");
    EXPECT_EQ(dialog->size(), QSize(234, 121));
    EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());
    EXPECT_FALSE(dialog->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(dialog->windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_EQ(dialog->ProgressBar1->geometry(), QRect(24, 16, 185, 33));
    EXPECT_EQ(dialog->ProgressBar1->minimum(), 0);
    EXPECT_EQ(dialog->ProgressBar1->maximum(), 100);
    EXPECT_EQ(dialog->Label1->pos(), QPoint(24, 56));
    EXPECT_EQ(dialog->Label1->text(), " ");
    EXPECT_EQ(dialog->Label1->textFormat(), Qt::PlainText);
    EXPECT_EQ(dialog->Button1->geometry(), QRect(56, 88, 129, 25));
    EXPECT_EQ(dialog->Button1->text(), "Stop");
    // Created, not shown: the table is already empty and nothing runs yet.
    EXPECT_EQ(flights().rowCount(), 0u);
    EXPECT_FALSE(dialog->worker().started());
}

TEST_F(ConvertDialog, AWholeConversionEndsWithOkAndItsLogLines)
{
    const auto dialog = makeDialog(twoPlans);
    std::vector<QString> captions{dialog->Button1->text()};
    QObject::connect(&dialog->worker(), &FlightConvertThread::buttonCaptionChanged,
                     [&captions](const QString& caption) { captions.push_back(caption); });
    dialog->show();
    dialog->worker().waitUntilFinished();

    EXPECT_EQ(dialog->worker().summary()->outcome, Outcome::Finished);
    EXPECT_EQ(captions, (std::vector<QString>{"Stop", "Ok"}));
    EXPECT_EQ(dialog->Button1->text(), "Ok");
    EXPECT_EQ(dialog->Label1->text(), "Flights:2/3");
    EXPECT_EQ(dialog->ProgressBar1->maximum(), 3);
    EXPECT_EQ(dialog->ProgressBar1->value(), 2);
    EXPECT_EQ(memoLines(), (QStringList{"XXXX not found (plans.txt, line 1)", "AC#9 not found (plans.txt, line 3)"}));
    EXPECT_EQ(flights().rowCount(), 4u);
    EXPECT_TRUE(prompter.shown().empty());

    dialog->Button1->click();  // "Ok" closes
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
}

TEST_F(ConvertDialog, TheCounterShowsItsWholeText)
{
    const auto dialog = makeDialog(twoPlans);
    dialog->show();
    dialog->worker().waitUntilFinished();
    // The run's own last count, then counts of a table with a million flights.
    for (const QString& expected : {QStringLiteral("Flights:2/3"), QStringLiteral("Flights:16613/1000000"),
                                    QStringLiteral("Flights:1000000/1000000")}) {
        if (dialog->Label1->text() != expected) emit dialog->worker().labelChanged(expected);
        const QLabel& label = *dialog->Label1;
        EXPECT_EQ(label.text(), expected);
        EXPECT_EQ(label.pos(), QPoint(24, 56));
        EXPECT_LE(label.fontMetrics().horizontalAdvance(expected), label.contentsRect().width())
            << expected.toStdString();
        EXPECT_GE(label.contentsRect().height(), label.fontMetrics().height());
        EXPECT_TRUE(dialog->rect().contains(label.geometry())) << expected.toStdString();
    }
}

TEST_F(ConvertDialog, TheLogKeepsEveryConversionsLinesOnce)
{
    for (const char* plan : {"AC#1,x,1%,24Hr,IFR,10:00,11:00,1,F,F1,XXXX,12:00,13:00,1,F,F2,LIRF\n",
                             "AC#1,x,1%,24Hr,IFR,10:00,11:00,1,F,F1,xxxx,12:00,13:00,1,F,F2,YYYY\n"}) {
        const auto dialog = makeDialog(plan);
        dialog->show();
        dialog->worker().waitUntilFinished();
    }
    // Each key once, with the line of the conversion that first missed it.
    EXPECT_EQ(memoLines(), (QStringList{"XXXX not found (plans.txt, line 1)", "YYYY not found (plans.txt, line 1)"}));
}

TEST_F(ConvertDialog, PressingStopMidRunLeavesTheEmptyTable)
{
    // Line 5 names an unknown aircraft: its log line holds the worker until the GUI thread has
    // taken it, so pressing "Stop" there is certain to come before the run's end.
    std::string plan = test::bigPlan(4) + "AC#5,x,1%,24Hr,IFR,10:00,11:00,1,F,F1,LIRF\r\n" + test::bigPlan(5000);
    const auto dialog = makeDialog(plan);
    QObject::connect(&dialog->worker(), &FlightConvertThread::logLineAdded, dialog.get(),
                     [&dialog](const std::string&) { dialog->Button1->click(); });
    dialog->show();
    dialog->worker().waitUntilFinished();

    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->worker().summary()->outcome, Outcome::Stopped);
    EXPECT_EQ(dialog->worker().summary()->planLines, 5u);
    EXPECT_EQ(dialog->Button1->text(), "Stop");
    EXPECT_EQ(flights().rowCount(), 0u);
    EXPECT_EQ(flights().schema(), tables::flightSchema());
}

TEST_F(ConvertDialog, DestroyingTheDialogStopsTheRunAndServesItWhileItWaits)
{
    const std::string unknown = "x,1%,24Hr,IFR,10:00,11:00,1,F,F1,LIRF\r\n";
    auto dialog = makeDialog(test::bigPlan(4) + "AC#5," + unknown + "AC#6," + unknown + test::bigPlan(5000));
    // The dialog goes while the run is at line 5 or 6; line 6 may make the worker wait on the
    // GUI thread while the dialog's destructor is already waiting for the run.
    QObject::connect(&dialog->worker(), &FlightConvertThread::logLineAdded, &log,
                     [this, &dialog](const std::string& key) {
                         if (key == "AC#5") QTimer::singleShot(0, &log, [&dialog] { dialog.reset(); });
                     });
    dialog->show();
    QTest::keyClick(dialog.get(), Qt::Key_Escape);  // not a way out
    EXPECT_TRUE(dialog->isVisible());
    for (int i = 0; i < 1000 && dialog; ++i) QTest::qWait(10);
    ASSERT_FALSE(dialog);
    EXPECT_EQ(flights().rowCount(), 0u);
    EXPECT_EQ(memoLines().value(0), "AC#5 not found (plans.txt, line 5)");
}

TEST_F(ConvertDialog, TimeErrorShowsItsMessageAndClosesTheDialogAndTheLogNamesTheLine)
{
    const auto dialog = makeDialog(twoPlans + "AC#1,x,1%,WEEK,IFR,1/10:00,1/24:10,1,F,F1,LIRF\n");
    dialog->show();
    dialog->worker().waitUntilFinished();
    EXPECT_EQ(prompter.shown(), (Shown{{"WARNING", "Found Error: 24:10"}}));  // the message box's own text
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(flights().rowCount(), 0u);
    EXPECT_EQ(memoLines(), (QStringList{"XXXX not found (plans.txt, line 1)", "AC#9 not found (plans.txt, line 3)",
                                        "Stopped at plans.txt, line 4: Found Error: 24:10"}));
}

TEST_F(ConvertDialog, SkippingBadLinesLogsThemAndSavesTheRest)
{
    const auto dialog = makeDialog("AC#1,x,1%,WEEK,IFR,1/10:00,TNG1/11:00,1,F,F1,LIRF\n" + twoPlans +
                                       "AC#1,x,1x%,24Hr,IFR,10:00,11:00,1,F,F1,LIRF\n",
                                   true);
    dialog->show();
    dialog->worker().waitUntilFinished();
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_EQ(dialog->Button1->text(), "Ok");
    EXPECT_EQ(dialog->worker().summary()->skippedLines, (std::vector<std::size_t>{1, 5}));
    EXPECT_EQ(memoLines(), (QStringList{"plans.txt, line 1 skipped: Found Error: G1/11",
                                        "XXXX not found (plans.txt, line 2)", "AC#9 not found (plans.txt, line 4)",
                                        "plans.txt, line 5 skipped: the traffic percentage \"1x%\" is not a whole "
                                        "number from -32768 to 32767 followed by the percent sign"}));
    EXPECT_EQ(flights().rowCount(), 4u);
}

TEST_F(ConvertDialog, MalformedInputWarnsAndTheDialogStaysOnStop)
{
    const auto dialog = makeDialog("AC#1,x,1x%,24Hr,IFR,10:00,11:00,1,F,F1,LIRF\n");
    dialog->show();
    dialog->worker().waitUntilFinished();
    const std::string problem =
        "plans.txt, line 1: the traffic percentage \"1x%\" is not a whole number from -32768 to 32767 followed by "
        "the percent sign";
    EXPECT_EQ(prompter.shown(), (Shown{{"WARNING", problem}}));
    EXPECT_EQ(memoLines(), QStringList{QString::fromStdString("Stopped at " + problem)});
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->Button1->text(), "Stop");
    dialog->Button1->click();
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(ConvertDialog, MissingPlanFileWarnsThenShowsOkOverTheEmptyTable)
{
    const auto dialog = makeDialog("");
    std::filesystem::remove(folder / "plans.txt");
    dialog->show();
    dialog->worker().waitUntilFinished();
    EXPECT_EQ(prompter.shown(), (Shown{{"WARNING", "The flightplan file not exist in QRVL directory"}}));
    EXPECT_EQ(dialog->Button1->text(), "Ok");
    EXPECT_EQ(dialog->Label1->text(), " ");
    EXPECT_EQ(dialog->ProgressBar1->value(), 0);
    EXPECT_TRUE(std::filesystem::exists(folder / "flight.cds"));
}

TEST_F(ConvertDialog, AnErrorInTheRunIsShownAsItsResult)
{
    const auto dialog = makeDialog(twoPlans);
    test::writeBytes(folder / "flight.cds", "not a table");  // spoilt between creation and show
    dialog->show();
    dialog->worker().waitUntilFinished();
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].first, "Error");
    EXPECT_NE(prompter.shown()[0].second.find((folder / "flight.cds").string()), std::string::npos);
    EXPECT_FALSE(dialog->worker().summary());
    EXPECT_EQ(dialog->Button1->text(), "Stop");
}

TEST_F(ConvertDialog, LogWindowLayout)
{
    EXPECT_EQ(log.windowTitle(), "Conversion Log");
    EXPECT_EQ(log.size(), QSize(384, 179));
    EXPECT_EQ(log.minimumSize(), log.maximumSize());
    EXPECT_EQ(log.Bevel1->geometry(), QRect(8, 8, 281, 161));
    EXPECT_EQ(log.MemoLog->geometry(), QRect(16, 16, 265, 145));
    EXPECT_TRUE(log.MemoLog->isReadOnly());
    EXPECT_EQ(log.MemoLog->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(log.CancelBtn->geometry(), QRect(300, 10, 75, 25));
    EXPECT_EQ(log.CancelBtn->text(), "Close");
    EXPECT_EQ(log.Button1->geometry(), QRect(300, 46, 75, 25));
    EXPECT_EQ(log.Button1->text(), "Save to...");

    log.show();
    QTest::keyClick(&log, Qt::Key_Escape);  // Esc is "Close"
    EXPECT_FALSE(log.isVisible());
}

TEST_F(ConvertDialog, LogSavesItsLinesWithCrLf)
{
    EXPECT_TRUE(log.addLine("EDDF"));
    EXPECT_FALSE(log.addLine("eddf"));
    EXPECT_TRUE(log.addLine("Z\xFCR1"));
    EXPECT_EQ(memoLines(), (QStringList{"EDDF not found", QString::fromUtf8("Z\u00FCR1 not found")}));

    fileDialogs.answer(folder / "conversion.log");
    log.Button1Click();
    EXPECT_EQ(fileDialogs.asked(), std::vector<std::string>{"Save Log file"});
    EXPECT_EQ(test::readBytes(folder / "conversion.log"), "EDDF not found\r\nZ\xFCR1 not found\r\n");

    log.Button1Click();  // cancelled: nothing written
    EXPECT_EQ(test::readBytes(folder / "conversion.log"), "EDDF not found\r\nZ\xFCR1 not found\r\n");
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(ConvertDialog, EmptyLogSavesAnEmptyFileAndAFailedSaveIsShown)
{
    fileDialogs.answer(folder / "empty.log");
    log.Button1Click();
    EXPECT_TRUE(std::filesystem::exists(folder / "empty.log"));
    EXPECT_EQ(test::readBytes(folder / "empty.log"), "");

    log.addLine("EDDF");
    const auto target = folder / "missing folder" / "x.log";
    fileDialogs.answer(target);
    log.Button1Click();
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].first, "Error");
    EXPECT_TRUE(prompter.shown()[0].second.starts_with(target.string() + ": ")) << prompter.shown()[0].second;
    EXPECT_NE(prompter.shown()[0].second.find("No such file or directory"), std::string::npos);
}
