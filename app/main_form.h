// app/main_form.h: the main window: the board with its header strip, menu and status bar.
// It owns the shared state of the running program (settings, airport lookup copy, loaded
// flight table, flag list) and hands each command to the core.
#pragma once

#include "about/splash_screen.h"
#include "app/settings.h"
#include "app/startup.h"
#include "board/board_model.h"
#include "board/board_query.h"
#include "board/board_time.h"
#include "platform/interaction.h"
#include "platform/local_time.h"
#include "platform/time_zone.h"
#include "print/report_form.h"
#include "serve/board_snapshot.h"
#include "tables/airport_table.h"
#include "tables/airport_zones.h"
#include "tables/flight_table.h"

#include <QMainWindow>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QCheckBox;
class QLabel;
class QProgressBar;
class QTableView;
class QTimer;
class TAManager;
class TFlagManager;
class TOptionDlg;
class TdlgCLog;
class TCustomDateTimeDlg;

namespace quorvel::ui {
class AirportBox;
class RadioGroup;
class ShareBoardDialog;
}  // namespace quorvel::ui
namespace quorvel::flags {
class FlagList;
}
namespace quorvel::platform {
struct FileClock;
}

// The outside world as the main window meets it.
struct MainFormServices {
    const quorvel::Clock& clock;
    const quorvel::platform::TimeZoneSource& timeZone;  // the GMT and daylight panels and the conversion
    const quorvel::platform::FileClock& fileClock;      // dates the flag pictures the board keeps
    quorvel::Sleeper& sleeper;
    quorvel::Prompter& prompter;
    quorvel::FileDialogs& fileDialogs;
    std::function<std::unique_ptr<quorvel::about::SplashScreen>()> makeSplash;
    std::function<void(const std::filesystem::path& executable)> showAbout;  // the modal about box
    PrintPreviewer printPreview;                                             // the print preview of the timetable
    quorvel::Waits* waits = nullptr;  // busy cursor and progress of the long commands; nothing: none shown
    std::function<void(const std::string& url)> openUrl = [](const std::string&) {};  // the default browser
};

class TMainForm final : public QMainWindow {
    Q_OBJECT
public:
    // Runs the creation sequence; throws quorvel::app::StartupAborted when start-up must end.
    TMainForm(quorvel::app::ProgramEnvironment environment, MainFormServices services, QWidget* parent = nullptr);
    ~TMainForm() override;

    // Creates the windows that live beside the main window, in the program's order.
    void createDialogs();

    void FormShow();
    void FormClose();
    void LoadFlightPlans1Click();
    void Aircraft1Click();
    void FlightPlan1Click();
    void CheckFlightPlans1Click();  // the traffic check of the configured files; its buttons convert
    void ViewLog1Click();
    void PrintTimeTable1Click();
    void ShareBoard1Click();  // the board for a browser (serve/share_board_dialog.h)
    void CustomDateTime1Click();
    void DBGrid1CellClick();
    void AirportManager1Click();
    void FlagManager1Click();
    void Exit1Click();
    void General1Click();
    void About1Click();
    void ProgramFolder1Click();  // says where the tables and the simulator's copied files belong
    void DBLookupComboBox1Click();  // the board query
    void Timer1Timer();
    void CDTCheckClick();
    void CB15minutesflightsClick();
    void RadioGroup2Click();
    // View menu: the time the board shows and its rolling window (kept in the settings).
    void setBoardTime(quorvel::board::TimeMode mode, int windowHours);
    void NextHours1Click();                                         // asks for N through askWindowHours
    std::function<std::optional<int>(int current)> askWindowHours;  // a small dialog; tests answer it

    QString panelText(int panel) const;  // status bar panel 0..7 as shown
    const quorvel::app::Settings& settings() const { return state_.settings; }
    quorvel::app::Settings& settings() { return state_.settings; }
    const quorvel::app::StartupState& startupState() const { return state_; }
    const quorvel::tables::AirportLookup& airports() const { return airports_; }
    const quorvel::flags::FlagList& flagList() const { return *flagList_; }
    const quorvel::ui::BoardModel& boardModel() const { return *boardModel_; }
    const std::filesystem::path& flagFolder() const { return flagFolder_; }
    QColor gridColour() const;
    QColor fontColour() const;

    // Menu
    QAction* LoadFlightPlans1 = nullptr;
    QAction* PrintTimeTable1 = nullptr;
    QAction* ShareBoard1 = nullptr;
    QAction* AirportManager1 = nullptr;
    QAction* FlagManager1 = nullptr;
    QAction* Exit1 = nullptr;
    QAction* Aircraft1 = nullptr;
    QAction* FlightPlan1 = nullptr;
    QAction* CheckFlightPlans1 = nullptr;
    QAction* ViewLog1 = nullptr;
    QAction* Rescanairline1 = nullptr;
    QAction* General1 = nullptr;
    QAction* CustomDateTime1 = nullptr;
    QAction* About1 = nullptr;
    QAction* ProgramFolder1 = nullptr;
    QAction* ComputerTime1 = nullptr;
    QAction* AirportTime1 = nullptr;
    QAction* UtcTime1 = nullptr;
    QAction* WholeDay1 = nullptr;
    QAction* NextHours1 = nullptr;
    // "Times: Europe/Rome (UTC+01:00), next 12 h", also in the caption; empty on the design's board.
    const QString& timesText() const { return timesText_; }
    // Header strip
    quorvel::ui::RadioGroup* RadioGroup1 = nullptr;
    QLabel* StaticText1 = nullptr;
    quorvel::ui::AirportBox* DBLookupComboBox1 = nullptr;
    QCheckBox* CB15minutesflights = nullptr;
    quorvel::ui::RadioGroup* RadioGroup2 = nullptr;
    QLabel* StaticText2 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QCheckBox* CDTCheck = nullptr;
    QLabel* Panel1 = nullptr;
    // Board and status
    QTableView* DBGrid1 = nullptr;
    QTimer* Timer1 = nullptr;
    TOptionDlg* optionDlg = nullptr;
    TAManager* aManager = nullptr;
    TFlagManager* flagManager = nullptr;
    TdlgCLog* conversionLog = nullptr;
    TCustomDateTimeDlg* customDateTimeDlg = nullptr;
    TReportForm* reportForm = nullptr;
    quorvel::ui::ShareBoardDialog* shareBoardDlg = nullptr;
    // What the board server reads: the tables as last handed over, and their generation.
    const quorvel::serve::SnapshotStore& boardSnapshots() const { return boardSnapshots_; }
    const quorvel::LocalDateTime& customMoment() const { return customMoment_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void buildMenu();
    void buildHeader(QWidget* strip);
    void buildStatusBar();
    void applyColours();
    void paintDaylightPanel(QPainter& painter, const QRect& rect) const;  // StatusBar1DrawPanel, panel 1
    quorvel::board::BoardInputs boardInputs() const;
    void buildTimeControls();
    void convertFlightPlans(bool skipBadLines);
    quorvel::board::TimeInputs boardTime(const quorvel::board::BoardInputs& inputs) const;
    // The board's rows; in another time or with a window also each row's time as shown.
    void selectBoardRows(const quorvel::board::BoardInputs& inputs, const quorvel::board::BoardQuery& query,
                         quorvel::tables::View& view, quorvel::ui::BoardModel::ShownTimes& shownTimes);
    QString clockText(const quorvel::LocalDateTime& moment) const;  // the clock caption in the user's locale
    void publishBoard();          // the tables as they are now, for the board server's next requests
    void publishBoardIfShared();  // the same, while the board is shared

    quorvel::app::ProgramEnvironment environment_;
    MainFormServices services_;
    std::unique_ptr<quorvel::Waits> noWaits_;  // stands in when the services bring no waits
    quorvel::Waits& waits_;
    quorvel::app::StartupState state_;
    quorvel::tables::AirportLookup airports_;
    std::unique_ptr<quorvel::flags::FlagList> flagList_;
    std::filesystem::path flagFolder_;
    std::shared_ptr<const quorvel::tables::LoadedFlights> flights_;  // the board's table; empty until loaded
    quorvel::serve::SnapshotStore boardSnapshots_;
    quorvel::ui::BoardModel* boardModel_ = nullptr;
    std::vector<QLabel*> panels_;
    QWidget* daylightPanel_ = nullptr;
    quorvel::LocalDateTime clockMoment_;
    quorvel::LocalDateTime customMoment_;
    bool cutOver15_ = false;
    bool showNational_ = true;
    bool shown_ = false;
    quorvel::tables::AirportZones airportZones_;
    QString timesText_;
    QString designedTitle_;            // the caption without the times
    bool offsetNoticeDue_ = false;     // the loaded table does not record its offset: say so once
    std::string printedTimes_;         // "Europe/Rome time" for the printout's title; empty in computer time
    bool colonTimeSeparator_ = false;  // set by a query with the cut on and by a conversion, for the rest of the run
};
