#include "app/main_form.h"
#include "about/splash_screen.h"
#include "app/option_dialog.h"
#include "app/quorvel_application.h"
#include "board/board_model.h"
#include "board/custom_date_time_dialog.h"
#include "convert/conversion_log_dialog.h"
#include "convert/convert_flight_plan_dialog.h"
#include "convert/traffic_check_dialog.h"
#include "flags/flag_list.h"
#include "platform/error.h"
#include "platform/file_stamp_cache.h"
#include "tables/aircraft_table.h"
#include "tables/airport_box_widget.h"
#include "tables/packet.h"
#include "tests/support/fakes.h"
#include "tests/support/flight_rows.h"
#include "tests/support/test_program.h"
#include "widgets/radio_group.h"

#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>

using namespace quorvel;
using namespace quorvel::ui;
using test::Shown;

namespace {

class MainForm : public ::testing::Test {
protected:
    std::unique_ptr<TMainForm> start()
    {
        auto form = std::make_unique<TMainForm>(
            program.environment,
            MainFormServices{clock, timeZone, fileClock, sleeper, prompter, fileDialogs,
                             [] { return std::make_unique<test::QuietSplash>(); },
                             [this](const std::filesystem::path& executable) { aboutShown.push_back(executable); },
                             [this](QPrinter&, const std::function<void(QPrinter*)>&) { ++previews; }, &waits});
        form->createDialogs();
        return form;
    }
    void writeFlights(const std::vector<test::Leg>& legs)
    {
        tables::Table flights = tables::newFlightTable();
        for (const test::Leg& leg : legs) test::addLeg(flights, leg);
        tables::writePacketFile(flights, program.programFile("flight.cds"));
    }
    static test::Leg leg(std::string flight, std::string time, bool national = true)
    {
        test::Leg l;
        l.flight = std::move(flight);
        l.timeDep = std::move(time);
        l.national = national;
        l.percent = 50;
        return l;
    }

    test::TestProgram program;
    test::FixedClock clock{{2024, 1, 1, 13, 45, 0}};  // a Monday
    test::FixedTimeZone timeZone;
    platform::SystemFileClock fileClock;
    test::RecordingSleeper sleeper;
    test::ScriptedPrompter prompter;
    test::ScriptedFileDialogs fileDialogs;
    std::vector<std::filesystem::path> aboutShown;
    int previews = 0;
    test::RecordingWaits waits;
};

QStringList menuCaptions(QMenu* menu)
{
    QStringList captions;
    for (QAction* action : menu->actions()) captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return captions;
}

}  // namespace

TEST_F(MainForm, MenuCaptionsSeparatorsAndStartingState)
{
    const auto form = start();
    EXPECT_EQ(form->windowTitle(), "Quorvel for FS2002");
    const QList<QAction*> menus = form->menuBar()->actions();
    ASSERT_EQ(menus.size(), 5);  // the design's four and View, before Help
    EXPECT_EQ(menuCaptions(menus[0]->menu()),
              (QStringList{"Load  FlighPlans", "Print TimeTable", QString::fromUtf8("Share Board\u2026"), "-",
                           "Airport Manager", "Flag Manager", "-", "Exit"}));
    EXPECT_EQ(menuCaptions(menus[1]->menu()),
              (QStringList{"Aircraft", "FlightPlan", "Check FlightPlans...", "-", "View Log", "-", "Rescan airline"}));
    EXPECT_EQ(menuCaptions(menus[2]->menu()), (QStringList{"General", "Custom DateTime"}));
    EXPECT_EQ(menuCaptions(menus[3]->menu()),
              (QStringList{"Computer Time", "Airport Time", "UTC", "-", "Whole Day", "Next N Hours..."}));
    EXPECT_EQ(menuCaptions(menus[4]->menu()), (QStringList{"Program Folder", "About"}));
    EXPECT_FALSE(form->Rescanairline1->isEnabled());
    EXPECT_EQ(form->panelText(5), "LFS: OFF");
    EXPECT_EQ(form->panelText(6), "Aircraft:");
    EXPECT_EQ(form->Timer1->interval(), 60000);
    EXPECT_EQ(form->DBLookupComboBox1->geometry(), QRect(160, 8, 145, 24));
    EXPECT_EQ(form->CDTCheck->geometry(), QRect(456, 8, 241, 25));
}

TEST_F(MainForm, MenuStateFollowsTheTableFiles)
{
    {
        const auto form = start();
        EXPECT_FALSE(form->LoadFlightPlans1->isEnabled());
        EXPECT_FALSE(form->FlightPlan1->isEnabled());
    }
    writeFlights({});
    test::writeBytes(program.programFile("aircraft.cds"), "");
    const auto form = start();
    EXPECT_TRUE(form->LoadFlightPlans1->isEnabled());
    EXPECT_TRUE(form->FlightPlan1->isEnabled());
}

TEST_F(MainForm, FirstRunWritesTheNineSettingsAtClose)
{
    const auto form = start();
    form->FormShow();
    EXPECT_EQ(form->DBLookupComboBox1->currentCode(), "");
    EXPECT_EQ(form->panelText(3), "Traffic:");
    form->close();
    EXPECT_EQ(test::readBytes(program.environment.settingsFile),
              "[Airport]\r\ndefault=\r\n"
              "[FlightPlan]\r\nAutoload=0\r\nOverDST=0\r\nFlpName=flightplans.txt\r\nAirName=aircraft."
              "txt\r\nTrafficPercent=100\r\n"
              "[Aircraft]\r\nSearchByUI=0\r\n"
              "[Behaviour]\r\nGridColor=clBlack\r\nFontColor=clWhite\r\n");
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(MainForm, ASettingsFileThatCannotBeWrittenIsReportedAndTheWindowStillCloses)
{
    std::filesystem::create_directory(program.environment.settingsFile);  // a folder where the file belongs
    const auto form = start();
    form->show();
    form->close();
    EXPECT_FALSE(form->isVisible());
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].first, "WARNING");
    EXPECT_NE(prompter.shown()[0].second.find(program.environment.settingsFile.string()), std::string::npos);
}

TEST_F(MainForm, AutoloadFillsTheBoardForTheDefaultAirport)
{
    program.writeSettings("[Airport]\ndefault=LIRF\n[FlightPlan]\nAutoload=1\nTrafficPercent=75\n");
    writeFlights({leg("LATE", "18:00"), leg("EARLY", "06:00"), leg("ABROAD", "07:00", false)});
    const auto form = start();
    form->FormShow();
    EXPECT_EQ(form->DBLookupComboBox1->currentCode(), "LIRF");
    const BoardModel& board = form->boardModel();
    ASSERT_EQ(board.rowCount(), 2);
    EXPECT_EQ(board.data(board.index(0, 1), Qt::DisplayRole).toString(), "EARLY");
    EXPECT_EQ(form->panelText(2), "Flights:2/3");
    EXPECT_EQ(form->panelText(3), "Traffic:75");
    EXPECT_TRUE(form->panelText(4).startsWith("Available flights:"));
    EXPECT_EQ(form->panelText(7), "");
    EXPECT_FALSE(form->DBGrid1->isColumnHidden(3));
    EXPECT_TRUE(form->DBGrid1->isColumnHidden(2));

    form->RadioGroup2->setItemIndex(1);
    form->RadioGroup2Click();
    EXPECT_EQ(form->panelText(2), "Flights:1/3");
    form->CB15minutesflights->setChecked(true);
    form->CB15minutesflightsClick();  // 13:30 on: only the evening leg... which is national
    EXPECT_EQ(form->panelText(2), "Flights:0/3");
    form->RadioGroup1->setItemIndex(1);
    form->DBLookupComboBox1Click();
    EXPECT_TRUE(form->DBGrid1->isColumnHidden(3));
    EXPECT_FALSE(form->DBGrid1->isColumnHidden(2));
}

TEST_F(MainForm, AutoloadWithoutAFlightTableStopsTheShowWithAnError)
{
    program.writeSettings("[Airport]\ndefault=LIRF\n[FlightPlan]\nAutoload=1\n");
    const auto form = start();
    try {
        form->FormShow();
        ADD_FAILURE() << "the missing flight table went unreported";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("flight.cds"), std::string::npos);
    }
    EXPECT_TRUE(form->flagList().lines().empty());  // later show steps did not run
    EXPECT_EQ(form->panelText(2), "Flights:");
}

TEST_F(MainForm, UnknownDefaultAirportLeavesTheBoxEmptyWithoutError)
{
    program.writeSettings("[Airport]\ndefault=ZZZZ\n");
    const auto form = start();
    form->FormShow();
    EXPECT_FALSE(form->DBLookupComboBox1->hasText());
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_EQ(form->flagList().flagName("alitalia"), "AZA");
}

TEST_F(MainForm, GmtPanelShowsTheStandardOffsetInWholeHours)
{
    const struct {
        const char* tz;
        platform::TimeZone zone;
        const char* panel;
    } cases[] = {{"IST-5:30", {-19800, false}, "GMT:5"}, {"NST3:30", {12600, false}, "GMT:-3"}};
    for (const auto& [tz, zone, panel] : cases) {
        timeZone.set(zone);
        const auto form = start();
        form->FormShow();
        EXPECT_EQ(form->panelText(0), panel) << tz;
    }
}

TEST_F(MainForm, BadColourSettingStopsTheShowAndIsReportedAtDialogCreation)
{
    program.writeSettings("[Airport]\ndefault=LIRF\n[Behaviour]\nGridColor=purplish\n");
    const auto form = start();
    EXPECT_EQ(prompter.shown(), (Shown{{"Error", "'purplish' is not a valid integer value"}}));
    EXPECT_THROW(form->FormShow(), Error);
}

TEST_F(MainForm, AnErrorInAMenuCommandIsShownAndTheWindowGoesOn)
{
    program.writeSettings("[Airport]\ndefault=LIRF\n");
    writeFlights({leg("EARLY", "06:00"), leg("LATE", "18:00")});
    const auto form = start();
    form->FormShow();
    form->LoadFlightPlans1->trigger();
    ASSERT_EQ(form->boardModel().rowCount(), 2);
    ASSERT_TRUE(prompter.shown().empty());

    test::writeBytes(program.programFile("flight.cds"), "CDS");  // cut short by a crash
    form->LoadFlightPlans1->trigger();
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].first, "Error");
    EXPECT_NE(prompter.shown()[0].second.find("flight.cds"), std::string::npos) << prompter.shown()[0].second;
    EXPECT_EQ(form->boardModel().rowCount(), 2) << "the rest of the command did not run";
    EXPECT_EQ(form->panelText(2), "Flights:2/2");
    EXPECT_EQ(waits.busy(), 0);

    prompter.clear();
    writeFlights({leg("ONLY", "06:00")});
    form->LoadFlightPlans1->trigger();
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_EQ(form->boardModel().rowCount(), 1);
}

TEST_F(MainForm, AnErrorWhileTheWindowIsShownIsShownAndTheWindowStillOpens)
{
    program.writeSettings("[Airport]\ndefault=LIRF\n[Behaviour]\nGridColor=purplish\n");
    const auto form = start();
    prompter.clear();
    form->show();
    EXPECT_EQ(prompter.shown(), (Shown{{"Error", "'purplish' is not a valid integer value"}}));
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->Panel1->isEnabled()) << "the rest of the show did not run";
}

TEST_F(MainForm, UnknownColourNameStillLetsTheOptionsDialogApply)
{
    program.writeSettings("[Airport]\ndefault=LIRF\n[Behaviour]\nGridColor=clFoo\nFontColor=clYellow\n");
    const auto form = start();
    EXPECT_EQ(prompter.shown(), (Shown{{"Error", "'clFoo' is not a valid integer value"}}))
        << "the start-up warning stays";
    prompter.clear();
    TOptionDlg& options = *form->optionDlg;
    form->General1Click();
    options.flpname->setText("other.txt");
    ASSERT_NO_THROW(options.OKBtnClick());
    EXPECT_FALSE(options.isVisible());
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_EQ(form->settings().gridColor, "clBlack");
    EXPECT_EQ(form->settings().flightPlanFile, "other.txt");
    EXPECT_EQ(form->DBGrid1->palette().color(QPalette::Base), QColor(Qt::black));
    EXPECT_EQ(form->DBGrid1->palette().color(QPalette::Text), QColor(Qt::yellow));
}

TEST_F(MainForm, AboutShowsTheProgramsOwnRecord)
{
    const auto form = start();
    form->About1Click();
    EXPECT_EQ(aboutShown, (std::vector<std::filesystem::path>{program.environment.executable}));
}

TEST_F(MainForm, HelpSaysWhereTheProgramFolderIs)
{
    const auto form = start();
    form->ProgramFolder1->trigger();
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].first, "Program Folder");
    const std::string& text = prompter.shown()[0].second;
    EXPECT_TRUE(
        text.starts_with("Quorvel keeps its tables and flags in\n" + program.environment.programFolder.string() + "\n"))
        << text;
}

TEST(ApplicationErrors, UncaughtErrorsReachTheOneErrorBox)
{
    const struct {
        const char* what;
        std::function<bool()> deliver;
        const char* shown;
    } cases[] = {
        {"an error with its text", []() -> bool { throw Error("flight.cds: truncated at byte 7"); },
         "flight.cds: truncated at byte 7"},
        {"something that is no exception", []() -> bool { throw 42; }, "An unexpected error occurred."},
        {"an exception without a text", []() -> bool { throw std::runtime_error(""); },
         "An unexpected error occurred."},
    };
    for (const auto& c : cases) {
        test::ScriptedPrompter prompter;
        EXPECT_FALSE(deliverGuarded(c.deliver, &prompter)) << c.what;
        EXPECT_EQ(prompter.shown(), (Shown{{"Error", c.shown}})) << c.what;
    }
    test::ScriptedPrompter prompter;
    EXPECT_TRUE(deliverGuarded([] { return true; }, &prompter));
    EXPECT_TRUE(prompter.shown().empty());
}

// The program itself: an aborted start ends with status 1 and leaves the settings alone.
TEST(ProgramExit, AbortedStartEndsWithStatusOneAndWritesNothing)
{
    test::TestProgram program;
    std::filesystem::copy_file(QRVL_PROGRAM_PATH, program.programFile("quorvel"));
    program.writeSettings("[Airport]\ndefault=LIRF\n");
    const auto run = [&program] {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("WINEPREFIX", QString::fromStdString(program.environment.winePrefix.string()));
        env.insert("XDG_CONFIG_HOME", QString::fromStdString((program.root / "config").string()));
        process.setProcessEnvironment(env);
        process.start(QString::fromStdString(program.programFile("quorvel").string()), {});
        EXPECT_TRUE(process.waitForFinished(20000));
        return process.exitCode();
    };
    std::filesystem::remove(program.root / "prefix" / "system.reg");
    EXPECT_EQ(run(), 1);
    test::writeBytes(program.root / "prefix" / "system.reg",
                     "[Software\\\\Microsoft\\\\Microsoft Games\\\\Flight Simulator\\\\8.0] 1\n");
    std::filesystem::remove(program.programFile("airport.cds"));
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(test::readBytes(program.environment.settingsFile), "[Airport]\ndefault=LIRF\n");
}

TEST_F(MainForm, AircraftScanWritesTheTableAndEnablesTheConversion)
{
    std::filesystem::create_directories(program.aircraftFolder() / "B737");
    test::writeBytes(
        program.aircraftFolder() / "B737" / "aircraft.cfg",
        "[fltsim.0]\r\ntitle=Boeing 737 Alpina\r\natc_airline=ALPINA AIR\r\n[General]\r\natc_model=B738\r\n");
    test::writeBytes(program.programFile("aircraft.txt"), "AC#1,450,\"Boeing 737 Alpina\"\r\nAC#2,450,\"Unknown\"\r\n");
    const auto form = start();
    EXPECT_FALSE(form->FlightPlan1->isEnabled());
    form->Aircraft1Click();
    EXPECT_TRUE(form->FlightPlan1->isEnabled());
    EXPECT_EQ(form->ProgressBar1->value(), 1);  // the last line's index
    EXPECT_EQ(form->panelText(7), "");
    EXPECT_EQ(waits.events(), (std::vector<std::string>{"busy", "idle"})) << "while the aircraft folders are read";
    const tables::Table aircraft = tables::readAircraftFile(program.programFile("aircraft.cds"));
    ASSERT_EQ(aircraft.rowCount(), 2u);
    EXPECT_EQ(aircraft.text(0, tables::AircraftNumber), "AC#1");
    EXPECT_EQ(aircraft.text(1, tables::AircraftNumber), "<nf>");
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(MainForm, AircraftScanWithoutTheListWarnsAndChangesNothing)
{
    const auto form = start();
    form->Aircraft1Click();
    EXPECT_EQ(prompter.shown(), (Shown{{"WARNING", "The aircraft file not exist in QRVL directory"}}));
    EXPECT_FALSE(form->FlightPlan1->isEnabled());
    EXPECT_FALSE(std::filesystem::exists(program.programFile("aircraft.cds")));
}

TEST_F(MainForm, AircraftScanFindsAListWhoseNameIsNotAscii)
{
    program.writeSettings("[FlightPlan]\r\nAirName=avi\xF3n.txt\r\n");  // the settings file holds Windows-1252
    test::writeBytes(program.programFile("avi\u00F3n.txt"), "AC#1,450,\"Boeing 737 Alpina\"\r\n");
    const auto form = start();
    form->Aircraft1Click();
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_TRUE(form->FlightPlan1->isEnabled());
    const tables::Table aircraft = tables::readAircraftFile(program.programFile("aircraft.cds"));
    ASSERT_EQ(aircraft.rowCount(), 1u);
    EXPECT_EQ(aircraft.text(0, tables::AircraftTitle), "Boeing 737 Alpina");
}

TEST_F(MainForm, ConversionRunsBehindItsDialogAndEnablesLoading)
{
    test::writeBytes(program.programFile("flightplans.txt"),
                     "AC#9,X,100%,24Hr,IFR,10:00:00,11:00:00,1,F,AZ1,EGLL,12:00:00,13:00:00,1,F,AZ2,LIRF\r\n");
    tables::writeAircraftFile(tables::newAircraftTable(), program.programFile("aircraft.cds"));
    program.writeSettings("[Airport]\ndefault=LIRF\n");
    const auto form = start();
    form->FormShow();
    EXPECT_FALSE(form->LoadFlightPlans1->isEnabled());

    // Answer the modal dialog the way a user would: press its button once it reads "Ok".
    QTimer presser;
    QObject::connect(&presser, &QTimer::timeout, [&presser] {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<TdlgConvertFP*>(window); dialog && dialog->Button1->text() == "Ok") {
                presser.stop();
                dialog->Button1->click();
            }
    });
    presser.start(10);
    form->FlightPlan1Click();

    EXPECT_TRUE(form->LoadFlightPlans1->isEnabled());
    EXPECT_EQ(form->conversionLog->log().lines(),
              (std::vector<std::string>{"AC#9 not found (flightplans.txt, line 1)"}));
    EXPECT_EQ(form->boardModel().rowCount(), 0);  // the board waits for the load command
    form->LoadFlightPlans1Click();
    EXPECT_EQ(form->panelText(2), "Flights:0/2");  // Rome to London is no national leg
    form->RadioGroup2->setItemIndex(1);
    form->RadioGroup2Click();
    EXPECT_EQ(form->panelText(2), "Flights:1/2");
}

TEST_F(MainForm, CheckFlightPlansShowsTheConfiguredFilesAndItsSkipButtonConverts)
{
    // Line 2 stops a plain conversion: a touch-and-go arrival in a weekly plan.
    test::writeBytes(program.programFile("traffic.txt"),
                     "AC#9,X,100%,24Hr,IFR,10:00:00,11:00:00,1,F,AZ1,EGLL,12:00:00,13:00:00,1,F,AZ2,LIRF\r\n"
                     "AC#9,X,100%,WEEK,IFR,1/10:00,TNG1/11:00,1,F,AZ3,LIRF\r\n");
    test::writeBytes(program.programFile("ai.txt"), "AC#9,1,\"Some B737\"\r\n");
    tables::writeAircraftFile(tables::newAircraftTable(), program.programFile("aircraft.cds"));
    program.writeSettings("[Airport]\ndefault=LIRF\n[FlightPlan]\nFlpName=traffic.txt\nAirName=ai.txt\n");
    const auto form = start();
    form->FormShow();
    EXPECT_EQ(form->CheckFlightPlans1->text(), "Check FlightPlans...");

    QStringList seen;
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, [&] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (!window->isVisible()) continue;
            if (auto* check = qobject_cast<ui::TrafficCheckDialog*>(window)) {
                check->waitForCheck();
                seen << check->summaryLabel->text().section('\n', 0, 0) << check->skipButton->text();
                check->skipButton->click();
            } else if (auto* dialog = qobject_cast<TdlgConvertFP*>(window); dialog && dialog->Button1->text() == "Ok") {
                answerer.stop();
                dialog->Button1->click();
            }
        }
    });
    answerer.start(10);
    form->CheckFlightPlans1Click();

    // The aircraft table lacks AC#9, which both lines use, and no installed aircraft has its title.
    EXPECT_EQ(seen, (QStringList{"1 errors, 3 warnings, 0 notes", "Convert, skipping the 1 line with errors"}));
    EXPECT_EQ(form->conversionLog->log().lines(),
              (std::vector<std::string>{"AC#9 not found (traffic.txt, line 1)",
                                        "traffic.txt, line 2 skipped: Found Error: G1/11"}));
    EXPECT_EQ(tables::readFlightFile(program.programFile("flight.cds")).rowCount(), 2u);
    EXPECT_TRUE(form->LoadFlightPlans1->isEnabled());
}

TEST_F(MainForm, NoFlightPlanFileNameMeansNoConversion)
{
    program.writeSettings("[FlightPlan]\nFlpName=\n");
    const auto form = start();
    form->FlightPlan1Click();
    EXPECT_FALSE(std::filesystem::exists(program.programFile("flight.cds")));
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(MainForm, ClickingOneRowShowsItsAircraftModel)
{
    program.writeSettings("[Airport]\ndefault=LIRF\n[FlightPlan]\nAutoload=1\n");
    tables::Table flights = tables::newFlightTable();
    test::addLeg(flights, leg("ONE", "10:00"));
    flights.setText(test::addLeg(flights, leg("TWO", "11:00")), tables::Model, "A320");
    tables::writePacketFile(flights, program.programFile("flight.cds"));
    const auto form = start();
    form->FormShow();
    form->DBGrid1->selectRow(1);
    form->DBGrid1CellClick();
    EXPECT_EQ(form->panelText(6), "Aircraft:A320");
    form->DBGrid1->selectAll();  // two rows: the panel keeps its text
    form->DBGrid1CellClick();
    EXPECT_EQ(form->panelText(6), "Aircraft:A320");
    form->DBGrid1->selectRow(0);
    form->DBGrid1CellClick();
    EXPECT_EQ(form->panelText(6), "Aircraft:B737");
}

TEST_F(MainForm, ClockTickRequeriesOnlyWithTheCutOnAndATableLoaded)
{
    program.writeSettings("[Airport]\ndefault=LIRF\n[FlightPlan]\nAutoload=1\n");
    writeFlights({leg("EARLY", "13:40"), leg("LATE", "13:55")});
    const auto form = start();
    form->FormShow();
    form->CB15minutesflights->setChecked(true);
    form->CB15minutesflightsClick();
    EXPECT_EQ(form->panelText(2), "Flights:2/2");
    clock.set({2024, 1, 1, 13, 56, 0});
    form->Timer1Timer();  // 13:41 on: the 13:40 leg drops off
    EXPECT_EQ(form->panelText(2), "Flights:1/2");
    EXPECT_TRUE(form->StaticText2->text().endsWith("01/01/2024 13:56"));
    form->CB15minutesflights->setChecked(false);
    form->CB15minutesflightsClick();
    clock.set({2024, 1, 1, 23, 0, 0});
    form->Timer1Timer();
    EXPECT_EQ(form->panelText(2), "Flights:2/2");  // the cut is off: the tick leaves the board alone
}

TEST_F(MainForm, CustomMomentDrivesTheBoardOnlyWhenTicked)
{
    program.writeSettings("[Airport]\ndefault=LIRF\n[FlightPlan]\nAutoload=1\n");
    test::Leg sunday = leg("SUNDAY", "10:00");
    sunday.schedulingDep = "0";
    writeFlights({sunday});
    const auto form = start();
    form->FormShow();
    EXPECT_EQ(form->panelText(2), "Flights:0/1");  // Monday

    QTimer answer;
    answer.setSingleShot(true);
    QObject::connect(&answer, &QTimer::timeout, [&form] {
        form->customDateTimeDlg->DatePicker->setDate(QDate(2023, 12, 31));
        form->customDateTimeDlg->OKBtn->click();
    });
    answer.start(0);
    form->CustomDateTime1Click();
    EXPECT_EQ(form->customMoment().day, 31);
    EXPECT_EQ(form->panelText(2), "Flights:0/1");  // not ticked: the board follows the clock
    form->CDTCheck->setChecked(true);
    form->CDTCheckClick();
    EXPECT_EQ(form->panelText(2), "Flights:1/1");
    EXPECT_TRUE(form->Panel1->text().contains("31/12/2023"));
}

TEST_F(MainForm, PrintTimeTableOpensThePreviewEvenForAnEmptyBoard)
{
    const auto form = start();
    form->FormShow();
    waits.clear();
    form->PrintTimeTable1Click();
    EXPECT_EQ(previews, 1);
    EXPECT_FALSE(form->reportForm->lastPages().empty());
    EXPECT_EQ(waits.events(), (std::vector<std::string>{"busy", "idle"})) << "while the pages are laid out";
}

TEST_F(MainForm, LoadingTheFlightTableShowsTheBusyCursorUntilTheBoardIsFilled)
{
    writeFlights({leg("AZ100", "14:00")});
    program.writeSettings("[Airport]\ndefault=LIRF\n");
    const auto form = start();
    form->FormShow();
    waits.clear();
    form->LoadFlightPlans1Click();
    EXPECT_EQ(form->panelText(2), "Flights:1/1");
    // The load holds the cursor from before reading the file until the board query after it is done.
    EXPECT_EQ(waits.events(), (std::vector<std::string>{"busy", "busy", "idle", "idle"}));
    EXPECT_EQ(waits.busy(), 0);
}

TEST_F(MainForm, JustAfterMidnightTheGridShowsYesterdaysLateLegsFirst)
{
    clock.set({2024, 1, 1, 0, 14, 0});  // Monday, 00:14
    program.writeSettings("[Airport]\ndefault=LIRF\n[FlightPlan]\nAutoload=1\n");
    test::Leg sunday = leg("SUN2359", "23:59");
    sunday.schedulingDep = "0";
    test::Leg early = leg("SUN2358", "23:58");
    early.schedulingDep = "0";
    test::Leg monday = leg("MON0005", "00:05");
    monday.schedulingDep = "1";
    writeFlights({monday, leg("DAILY", "12:00"), early, sunday});
    const auto form = start();
    form->FormShow();
    form->CB15minutesflights->setChecked(true);
    form->CB15minutesflightsClick();
    const BoardModel& board = form->boardModel();
    QStringList flights;
    for (int row = 0; row < board.rowCount(); ++row)
        flights << board.data(board.index(row, 1), Qt::DisplayRole).toString();
    EXPECT_EQ(flights, (QStringList{"SUN2359", "DAILY", "MON0005"}));
    EXPECT_EQ(board.data(board.index(0, 6), BoardModel::ScheduledTimeRole).toString(), "23:59");
}

namespace {

// The darkest pixel's lightness, 0 to 255: where the text is, if there is any.
int darkestLightness(const QImage& image)
{
    int darkest = 255;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) darkest = std::min(darkest, image.pixelColor(x, y).lightness());
    return darkest;
}

// Makes a locale the default for as long as it lives.
class DefaultLocale {
public:
    explicit DefaultLocale(const QLocale& locale) { QLocale::setDefault(locale); }
    ~DefaultLocale() { QLocale::setDefault(saved_); }

private:
    QLocale saved_;
};

}  // namespace

TEST_F(MainForm, CustomDateTimePanelTakesTheButtonHighlightWhileTicked)
{
    const auto form = start();
    form->show();
    for (const bool ticked : {true, false, true}) {
        form->CDTCheck->setChecked(ticked);
        form->CDTCheckClick();
        EXPECT_FALSE(form->Panel1->isEnabled());  // a display only, yet drawn in its enabled colours
        const QImage shown = form->Panel1->grab().toImage();
        const QColor expected =
            QApplication::palette().color(QPalette::Active, ticked ? QPalette::Light : QPalette::Button);
        EXPECT_EQ(shown.pixelColor(4, 4), expected) << ticked;
        EXPECT_EQ(shown.pixelColor(shown.width() - 5, shown.height() - 5), expected) << ticked;
        EXPECT_LT(darkestLightness(shown), 64) << "the date is written in the normal text colour";
    }
}

TEST_F(MainForm, StatusPanelsKeepTheirDesignedWidthsAndWidenForLongerTexts)
{
    const auto form = start();
    form->resize(1280, 900);
    form->show();
    const QList<QLabel*> panels = form->statusBar()->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_EQ(panels.size(), 8);
    const int designed[8] = {50, 50, 115, 65, 150, 50, 80, 50};
    const auto check = [&](const char* when) {
        QApplication::processEvents();  // the status bar lays itself out again
        for (int p = 0; p < 8; ++p) {
            EXPECT_GE(panels[p]->width(), designed[p]) << when << " panel " << p;
            const QString text = p == 1 ? QString() : panels[p]->text();
            EXPECT_LE(panels[p]->fontMetrics().horizontalAdvance(text), panels[p]->contentsRect().width())
                << when << " panel " << p << ": " << text.toStdString();
        }
        // The daylight panel is drawn by the program; either of its texts must fit where it is drawn.
        const QWidget* drawn = panels[1]->findChild<QWidget*>();
        ASSERT_NE(drawn, nullptr);
        for (const char* text : {"DST:ON", "DST:OFF"})
            EXPECT_LE(drawn->fontMetrics().horizontalAdvance(QString::fromLatin1(text)), drawn->width())
                << when << text;
    };
    check("at start");
    // What the board query and a grid click write for a table of a million flights.
    panels[0]->setText(QStringLiteral("GMT:-10"));
    panels[2]->setText(QStringLiteral("Flights:16613/1000000"));
    panels[3]->setText(QStringLiteral("Traffic:100"));
    panels[4]->setText(QStringLiteral("Available flights:1000000"));
    panels[6]->setText(QStringLiteral("Aircraft:Boeing 737-800"));
    check("with long counts");
    panels[2]->setText(QStringLiteral("Flights:0/0"));
    QApplication::processEvents();
    EXPECT_EQ(panels[2]->width(), designed[2]);  // a short text gives the panel back its designed width
}

TEST_F(MainForm, ClockUsesTheLocaleSeparatorsUntilACutQueryOrAConversionSetsTheColon)
{
    const DefaultLocale finnish(QLocale(QLocale::Finnish, QLocale::Finland));  // "d.M.yyyy" and "H.mm"
    program.writeSettings("[Airport]\ndefault=LIRF\n");
    for (const bool byConversion : {false, true}) {
        const auto form = start();
        form->FormShow();
        EXPECT_TRUE(form->StaticText2->text().endsWith("01.01.2024 13.45")) << form->StaticText2->text().toStdString();
        EXPECT_EQ(form->Panel1->text(), form->StaticText2->text());
        form->DBLookupComboBox1Click();  // without the cut the separators stay
        form->Timer1Timer();
        EXPECT_TRUE(form->StaticText2->text().endsWith("01.01.2024 13.45"));
        if (byConversion) {
            QTimer::singleShot(0, [] {
                for (QWidget* window : QApplication::topLevelWidgets())
                    if (auto* dialog = qobject_cast<TdlgConvertFP*>(window)) dialog->Button1->click();
            });
            form->FlightPlan1Click();
        } else {
            form->CB15minutesflights->setChecked(true);
            form->CB15minutesflightsClick();
            form->CB15minutesflights->setChecked(false);
            form->CB15minutesflightsClick();
        }
        form->Timer1Timer();
        EXPECT_TRUE(form->StaticText2->text().endsWith("01.01.2024 13:45")) << form->StaticText2->text().toStdString();
    }
}
