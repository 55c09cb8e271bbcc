// The main window's board in airport time, UTC and a rolling window, against qrvl-tool.

#include "about/splash_screen.h"
#include "app/main_form.h"
#include "board/board_model.h"
#include "board/custom_date_time_dialog.h"
#include "platform/file_stamp_cache.h"
#include "print/report_form.h"
#include "tables/packet.h"
#include "tests/support/fakes.h"
#include "tests/support/flight_rows.h"
#include "tests/support/run_tool.h"
#include "tests/support/test_program.h"

#include <gtest/gtest.h>
#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimeEdit>
#include <QTimer>

#include <random>
#include <sstream>

using namespace quorvel;
using namespace quorvel::ui;

namespace {

class BoardTimeForm : public ::testing::Test {
protected:
    BoardTimeForm()
    {
        test::writeBytes(program.programFile("airport-zones.csv"), "ICAO_CODE,TIME_ZONE\r\nLIRF,Europe/Rome\r\n");
        program.writeSettings("[Airport]\ndefault=LIRF\n[FlightPlan]\nAutoload=1\n");
    }
    std::unique_ptr<TMainForm> start()
    {
        auto form = std::make_unique<TMainForm>(
            program.environment,
            MainFormServices{clock, timeZone, fileClock, sleeper, prompter, fileDialogs,
                             [] { return std::make_unique<test::QuietSplash>(); }, [](const std::filesystem::path&) {},
                             [this](QPrinter&, const std::function<void(QPrinter*)>&) { ++previews; }, &waits});
        form->createDialogs();
        form->FormShow();
        return form;
    }
    // The custom date-time, ticked, as a user sets it in its dialog.
    static void setCustomMoment(TMainForm& form, QDate date, QTime time)
    {
        QTimer answer;
        answer.setSingleShot(true);
        QObject::connect(&answer, &QTimer::timeout, [&form, date, time] {
            form.customDateTimeDlg->DatePicker->setDate(date);
            form.customDateTimeDlg->TimePicker->setTime(time);
            form.customDateTimeDlg->OKBtn->click();
        });
        answer.start(0);
        form.CustomDateTime1Click();
        form.CDTCheck->setChecked(true);
        form.CDTCheckClick();
    }
    // Each row as "FLIGHT TIME", the time as the grid shows it.
    static QStringList rows(const TMainForm& form)
    {
        const BoardModel& board = form.boardModel();
        QStringList shown;
        for (int row = 0; row < board.rowCount(); ++row)
            shown << board.data(board.index(row, 1), Qt::DisplayRole).toString() + " " +
                         board.data(board.index(row, 5), Qt::DisplayRole).toString();
        return shown;
    }

    test::TestProgram program;
    test::FixedClock clock{{2024, 1, 8, 13, 45, 0}};  // a Monday
    platform::SystemTimeZone timeZone;                // the zone the test sets in TZ
    platform::SystemFileClock fileClock;
    test::RecordingSleeper sleeper;
    test::ScriptedPrompter prompter;
    test::ScriptedFileDialogs fileDialogs;
    test::RecordingWaits waits;
    int previews = 0;
};

// qrvl-tool's rows "FLIGHT TIME" with the time as the grid writes it: the day's name before it
// when the row's date is not the reference date.
QStringList toolRows(const std::string& csv, const std::string& referenceDate)
{
    static const char* const names[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    QStringList shown;
    std::istringstream lines(csv);
    std::string line;
    std::getline(lines, line);  // the header
    while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        std::istringstream cut(line);
        for (std::string field; std::getline(cut, field, ',');) fields.push_back(field);
        if (fields.size() < 8) continue;
        std::string time = fields[1];
        if (fields[0] != referenceDate) {
            const QDate date = QDate::fromString(QString::fromStdString(fields[0]), Qt::ISODate);
            time = std::string(names[date.dayOfWeek() % 7]) + " " + time;
        }
        shown << QString::fromStdString(fields[7] + " " + time);
    }
    return shown;
}

}  // namespace

// The window and qrvl-tool, over one table, in airport time with a window across midnight.
TEST_F(BoardTimeForm, ToolAndWindowAgreeOnEveryRowInAirportTimeAcrossMidnight)
{
    std::mt19937 draw(3);
    const char* days[] = {"0", "1", "2", "5", "0123456", "12"};
    tables::Table flights = tables::newFlightTable();
    for (int i = 0; i < 400; ++i) {
        test::Leg leg;
        leg.flight = "F" + std::to_string(i);
        char time[8];
        std::snprintf(time, sizeof time, "%02u:%02u", unsigned(draw() % 24), unsigned(draw() % 6 * 10));
        leg.timeDep = time;
        leg.schedulingDep = days[draw() % 6];
        leg.dep = draw() % 4 ? "LIRF" : "EGLL";
        test::addLeg(flights, leg);
    }
    flights.setIntegerProperty(tables::utcOffsetPropertyName, -2);
    tables::writePacketFile(flights, program.programFile("flight.cds"));

    const auto form = start();
    setCustomMoment(*form, QDate(2024, 1, 8), QTime(20, 0));
    form->AirportTime1->trigger();
    form->askWindowHours = [](int) { return std::optional<int>(12); };
    form->NextHours1->trigger();
    EXPECT_EQ(form->NextHours1->text(), "Next 12 Hours...");
    EXPECT_EQ(form->timesText(), "Times: Europe/Rome (UTC+01:00), next 12 h");
    EXPECT_EQ(form->windowTitle(), "Quorvel for FS2002 - Times: Europe/Rome (UTC+01:00), next 12 h");

    const QStringList window = rows(*form);
    const test::ToolRun tool =
        test::runTool(QRVL_TOOL_PATH,
                      {"board", "--flights", program.programFile("flight.cds").string(), "--airport", "LIRF", "--zone",
                       "airport", "--window", "12", "--at", "2024-01-08 20:00"},
                      program.root.path());
    ASSERT_EQ(tool.status, 0) << tool.err;
    EXPECT_GT(window.size(), 20);
    EXPECT_TRUE(window.filter(QStringLiteral(" Tue ")).size() > 0);  // rows after midnight carry their day
    EXPECT_EQ(window, toolRows(tool.out, "2024-01-08"));
}

TEST_F(BoardTimeForm, ViewMenuModesAreRememberedOnlyOnceChanged)
{
    test::Leg late;
    late.flight = "LATE";
    late.timeDep = "23:30";  // Greenwich 23:30 on Monday, stored unmoved
    late.schedulingDep = "1";
    tables::Table flights = tables::newFlightTable();
    test::addLeg(flights, late);
    flights.setIntegerProperty(tables::utcOffsetPropertyName, 0);
    tables::writePacketFile(flights, program.programFile("flight.cds"));

    auto form = start();
    QStringList menus;
    for (QAction* menu : form->menuBar()->actions()) menus << menu->text();
    EXPECT_EQ(menus, (QStringList{"File", "Convert", "Options", "View", "Help"}));
    EXPECT_TRUE(form->ComputerTime1->isChecked());
    EXPECT_TRUE(form->WholeDay1->isChecked());
    EXPECT_EQ(form->timesText(), "");  // the design's board, as it was
    EXPECT_EQ(form->windowTitle(), "Quorvel for FS2002");
    EXPECT_EQ(rows(*form), QStringList{"LATE 23:30"});

    form->UtcTime1->trigger();
    EXPECT_EQ(form->timesText(), "Times: UTC (UTC+00:00)");
    setCustomMoment(*form, QDate(2024, 1, 9), QTime(10, 0));
    EXPECT_EQ(rows(*form), QStringList{});
    form->AirportTime1->trigger();  // Tuesday in Rome: Monday 23:30 Greenwich is Tuesday 00:30
    EXPECT_EQ(rows(*form), QStringList{"LATE 00:30"});

    // A cancelled question keeps the day board.
    form->askWindowHours = [](int) { return std::optional<int>(); };
    form->NextHours1->trigger();
    EXPECT_TRUE(form->WholeDay1->isChecked());

    // The print title says which time it shows, and the printed time is the board's.
    form->PrintTimeTable1Click();
    EXPECT_EQ(previews, 1);
    EXPECT_EQ(form->reportForm->QuickRep1.title, "Quorvel Report for ROME FIUMICINO - DEPARTURES - Europe/Rome time");
    bool printedTime = false;
    for (const auto& page : form->reportForm->lastPages())
        for (const auto& band : page.bands)
            for (const auto& text : band.texts)
                printedTime = printedTime || (text.field == "QRTime" && text.text == "00:30");
    EXPECT_TRUE(printedTime);

    form->close();
    form.reset();
    const std::string ini = test::readBytes(program.environment.settingsFile);
    EXPECT_NE(ini.find("[BoardTime]\r\nMode=airport\r\nWindowHours=0\r\n"), std::string::npos) << ini;

    form = start();  // the next start shows the board as it was left
    EXPECT_TRUE(form->AirportTime1->isChecked());
}

// A table converted before offsets were recorded is read with the offset a conversion would
// take now, and the status bar says so once; an airport without a zone falls back.
TEST_F(BoardTimeForm, OldTablesAndAirportsWithoutAZoneAreSaidInTheStatusBar)
{
    program.writeSettings("[Airport]\ndefault=LIRF\n[FlightPlan]\nAutoload=1\n[BoardTime]\nMode=utc\nWindowHours=3\n");
    test::Leg leg;
    tables::Table flights = tables::newFlightTable();
    test::addLeg(flights, leg);
    tables::writePacketFile(flights, program.programFile("flight.cds"));
    test::writeBytes(program.programFile("airport-zones.csv"), "ICAO_CODE,TIME_ZONE\r\n");

    const auto form = start();
    EXPECT_EQ(form->timesText(), "Times: UTC (UTC+00:00), next 3 h");
    EXPECT_TRUE(form->statusBar()->currentMessage().startsWith("The flight table does not record"))
        << form->statusBar()->currentMessage().toStdString();
    form->statusBar()->clearMessage();
    form->Timer1Timer();  // the window moves on with the clock, and the notice is not repeated
    EXPECT_EQ(form->statusBar()->currentMessage(), "");

    form->AirportTime1->trigger();
    EXPECT_EQ(form->timesText(), "Times: computer (no time zone for LIRF), next 3 h");
    EXPECT_EQ(form->statusBar()->currentMessage(), "Times: computer (no time zone for LIRF), next 3 h");
}
