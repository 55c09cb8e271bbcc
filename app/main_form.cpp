#include "app/main_form.h"

#include "aircraft/aircraft_scan.h"
#include "app/colours.h"
#include "app/option_dialog.h"
#include "board/board_grid_view.h"
#include "board/board_model.h"
#include "board/board_query.h"
#include "board/clock_rules.h"
#include "board/custom_date_time_dialog.h"
#include "convert/conversion_log_dialog.h"
#include "convert/convert_flight_plan_dialog.h"
#include "convert/leg_rules.h"
#include "convert/traffic_check_dialog.h"
#include "flags/flag_list.h"
#include "flags/flag_manager_dialog.h"
#include "platform/error.h"
#include "platform/free_memory.h"
#include "platform/time_zone.h"
#include "platform/wine_paths.h"
#include "serve/share_board_dialog.h"
#include "tables/aircraft_table.h"
#include "tables/airport_box_widget.h"
#include "tables/airport_manager_dialog.h"
#include "widgets/clock_caption.h"
#include "widgets/guarded_handler.h"
#include "widgets/qt_text.h"
#include "widgets/radio_group.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDate>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <optional>

using namespace quorvel;
using namespace quorvel::ui;

namespace {

constexpr int headerHeight = 112;
constexpr int panelWidths[8] = {50, 50, 115, 65, 150, 50, 80, 50};
constexpr int daylightMargin = 2;

// The status bar's owner-drawn panel: the main window decides what it shows.
class DrawnPanel final : public QWidget {
public:
    DrawnPanel(std::function<void(QPainter&, const QRect&)> draw, QWidget* parent)
        : QWidget(parent), draw_(std::move(draw))
    {
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        draw_(painter, rect());
    }

private:
    std::function<void(QPainter&, const QRect&)> draw_;
};

// The busy cursor and "Processing..." for as long as a command runs, whatever way it ends.
class BusyScope {
public:
    BusyScope(Waits& waits, QLabel* panel, QStatusBar* bar) : busy_(waits), panel_(panel)
    {
        panel_->setText(QStringLiteral("Processing..."));
        bar->repaint();
    }
    ~BusyScope() { panel_->clear(); }

private:
    BusyWait busy_;
    QLabel* panel_;
};

// A disabled widget that still draws in its enabled colours.
void drawAsEnabled(QWidget& widget)
{
    QPalette palette = widget.palette();
    for (int role = 0; role < QPalette::NColorRoles; ++role)
        palette.setColor(QPalette::Disabled, QPalette::ColorRole(role),
                         palette.color(QPalette::Active, QPalette::ColorRole(role)));
    widget.setPalette(palette);
}

// The width of the daylight panel, whose text the program draws itself: the wider of its texts.
int daylightPanelWidth(const QLabel& panel)
{
    int text = 0;
    for (const bool daylight : {false, true})
        for (const bool overridden : {false, true})
            text = std::max(text, panel.fontMetrics().horizontalAdvance(fromUtf8(
                                      board::daylightPanel(platform::TimeZone{0, daylight}, overridden).text)));
    return text + 2 * panel.frameWidth() + 2 * daylightMargin + 1;
}

// Waits nobody sees, for a window run without a person at the screen.
struct NoWaits final : Waits {
    void busyStarted() override {}
    void busyFinished() override {}
    void progressStarted(std::string_view, int) override {}
    void progressed(int) override {}
    void progressFinished() override {}
};

QColor colourFromSetting(const std::string& text)
{
    const auto value = app::colourValue(text);
    if (!value) throw Error(app::colourError(text));
    // The colour notation is $00BBGGRR.
    return QColor(int(*value & 0xFF), int((*value >> 8) & 0xFF), int((*value >> 16) & 0xFF));
}

}  // namespace

TMainForm::TMainForm(app::ProgramEnvironment environment, MainFormServices services, QWidget* parent)
    : QMainWindow(parent),
      environment_(std::move(environment)),
      services_(std::move(services)),
      noWaits_(services_.waits ? nullptr : std::make_unique<NoWaits>()),
      waits_(services_.waits ? *services_.waits : *noWaits_)
{
    setWindowTitle(QStringLiteral("Quorvel for FS2002"));
    FormCreate();
}

TMainForm::~TMainForm()
{
    // The board server reads this window's snapshots until its threads end: it goes first.
    delete shareBoardDlg;
}

void TMainForm::FormCreate()
{
    {
        const std::unique_ptr<about::SplashScreen> splash = services_.makeSplash();
        state_ = app::runStartup(environment_, *splash, services_.sleeper, airports_);
    }
    flagList_ = std::make_unique<flags::FlagList>();

    flagFolder_ = flags::flagFolderOf(environment_.programFolder);
    buildMenu();
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* strip = new QWidget(central);
    strip->setFixedHeight(headerHeight);
    buildHeader(strip);
    layout->addWidget(strip);

    boardModel_ = new BoardModel(this);
    DBGrid1 = new QTableView(central);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setModel(boardModel_);
    configureBoardGrid(*DBGrid1, *flagList_, flagFolder_, services_.fileClock);
    connect(DBGrid1, &QTableView::clicked, this, guarded(services_.prompter, [this] { DBGrid1CellClick(); }));
    layout->addWidget(DBGrid1, 1);
    setCentralWidget(central);

    buildStatusBar();
    buildTimeControls();
    Timer1 = new QTimer(this);
    Timer1->setInterval(60000);
    connect(Timer1, &QTimer::timeout, this, guarded(services_.prompter, [this] { Timer1Timer(); }));
    Timer1->start();

    LoadFlightPlans1->setEnabled(state_.flightTableExists);
    FlightPlan1->setEnabled(state_.aircraftTableExists);
    resize(705, 458 + menuBar()->sizeHint().height());
}

void TMainForm::buildMenu()
{
    const auto add = [this](QMenu* menu, const char* caption, void (TMainForm::*handler)()) {
        QAction* action = menu->addAction(QString::fromLatin1(caption));
        if (handler)
            connect(action, &QAction::triggered, this,
                    guarded(services_.prompter, [this, handler] { (this->*handler)(); }));
        return action;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
    LoadFlightPlans1 = add(file, "Load  FlighPlans", &TMainForm::LoadFlightPlans1Click);
    PrintTimeTable1 = add(file, "Print TimeTable", &TMainForm::PrintTimeTable1Click);
    ShareBoard1 = file->addAction(QString::fromUtf8("Share Board\u2026"));
    connect(ShareBoard1, &QAction::triggered, this, guarded(services_.prompter, [this] { ShareBoard1Click(); }));
    file->addSeparator();
    AirportManager1 = add(file, "Airport Manager", &TMainForm::AirportManager1Click);
    FlagManager1 = add(file, "Flag Manager", &TMainForm::FlagManager1Click);
    file->addSeparator();
    Exit1 = add(file, "Exit", &TMainForm::Exit1Click);

    QMenu* convert = menuBar()->addMenu(QStringLiteral("Convert"));
    Aircraft1 = add(convert, "Aircraft", &TMainForm::Aircraft1Click);
    FlightPlan1 = add(convert, "FlightPlan", &TMainForm::FlightPlan1Click);
    CheckFlightPlans1 = add(convert, "Check FlightPlans...", &TMainForm::CheckFlightPlans1Click);
    convert->addSeparator();
    ViewLog1 = add(convert, "View Log", &TMainForm::ViewLog1Click);
    convert->addSeparator();
    Rescanairline1 = add(convert, "Rescan airline", nullptr);
    Rescanairline1->setEnabled(false);

    QMenu* options = menuBar()->addMenu(QStringLiteral("Options"));
    General1 = add(options, "General", &TMainForm::General1Click);
    CustomDateTime1 = add(options, "Custom DateTime", &TMainForm::CustomDateTime1Click);

    QMenu* help = menuBar()->addMenu(QStringLiteral("Help"));
    ProgramFolder1 = add(help, "Program Folder", &TMainForm::ProgramFolder1Click);
    About1 = add(help, "About", &TMainForm::About1Click);
}

void TMainForm::buildHeader(QWidget* strip)
{
    RadioGroup1 = new RadioGroup(QStringLiteral(" TimeTable "),
                                 {QStringLiteral("Departure"), QStringLiteral("Arrival")}, 1, strip);
    RadioGroup1->setGeometry(8, 8, 97, 57);
    RadioGroup1->setToolTip(QStringLiteral("Select the flights scheduling"));
    connect(RadioGroup1, &RadioGroup::itemClicked, this,
            guarded(services_.prompter, [this] { DBLookupComboBox1Click(); }));

    StaticText1 = new QLabel(QStringLiteral("Airport:"), strip);
    StaticText1->move(112, 10);

    DBLookupComboBox1 = new AirportBox(airports_, strip);
    DBLookupComboBox1->setGeometry(160, 8, 145, 24);
    DBLookupComboBox1->setToolTip(QStringLiteral("Select the airport: incremental search allowed"));
    DBLookupComboBox1->selectCode(QString());
    connect(DBLookupComboBox1, &AirportBox::airportPicked, this,
            guarded(services_.prompter, [this] { DBLookupComboBox1Click(); }));

    CB15minutesflights = new QCheckBox(QStringLiteral("Cut over 15 m. flights"), strip);
    CB15minutesflights->setLayoutDirection(Qt::RightToLeft);  // the text stands left of the box
    CB15minutesflights->setGeometry(112, 40, 193, 17);
    CB15minutesflights->setToolTip(QStringLiteral("Cut off the flight to/from this airport at the last 15 minutes"));
    connect(CB15minutesflights, &QCheckBox::clicked, this,
            guarded(services_.prompter, [this] { CB15minutesflightsClick(); }));

    RadioGroup2 = new RadioGroup(QStringLiteral("Flights"),
                                 {QStringLiteral("National"), QStringLiteral("International")}, 2, strip);
    RadioGroup2->setGeometry(8, 64, 281, 41);
    connect(RadioGroup2, &RadioGroup::itemClicked, this, guarded(services_.prompter, [this] { RadioGroup2Click(); }));

    StaticText2 = new QLabel(strip);
    StaticText2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    StaticText2->setAlignment(Qt::AlignCenter);
    StaticText2->setGeometry(312, 8, 122, 20);

    ProgressBar1 = new QProgressBar(strip);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setGeometry(312, 40, 129, 25);

    CDTCheck = new QCheckBox(QStringLiteral("Enable custom Date-Time values"), strip);
    CDTCheck->setGeometry(456, 8, 241, 25);
    connect(CDTCheck, &QCheckBox::clicked, this, guarded(services_.prompter, [this] { CDTCheckClick(); }));

    Panel1 = new QLabel(strip);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setAlignment(Qt::AlignCenter);
    Panel1->setAutoFillBackground(true);
    Panel1->setBackgroundRole(QPalette::Button);
    Panel1->setGeometry(456, 40, 217, 25);
    drawAsEnabled(*Panel1);  // only a display: it takes no input, yet reads as plainly as the clock
}

void TMainForm::buildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    const QString starts[8] = {QStringLiteral("GMT:"),
                               QString(),
                               QStringLiteral("Flights:"),
                               QStringLiteral("Traffic:"),
                               QStringLiteral("Available Flights:"),
                               QStringLiteral("LFS: OFF"),
                               QStringLiteral("Aircraft:"),
                               QString()};
    for (int p = 0; p < 8; ++p) {
        auto* label = new QLabel(starts[p], bar);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setContentsMargins(1, 0, 0, 0);
        // The designed width is the least a panel takes; a longer text (a million flights) widens it.
        label->setMinimumWidth(panelWidths[p]);
        if (p < 7) label->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
        panels_.push_back(label);
        if (p == 1) {
            label->setMinimumWidth(std::max(panelWidths[p], daylightPanelWidth(*label)));
            daylightPanel_ = new DrawnPanel(
                [this](QPainter& painter, const QRect& rect) { paintDaylightPanel(painter, rect); }, label);
            auto* inner = new QVBoxLayout(label);
            inner->setContentsMargins(daylightMargin, 1, daylightMargin, 1);
            inner->addWidget(daylightPanel_);
        }
        bar->addWidget(label, p == 7 ? 1 : 0);
    }
}

void TMainForm::createDialogs()
{
    optionDlg = new TOptionDlg(state_.settings, airports_, services_.prompter,
                               OptionDlgHooks{[this] { statusBar()->repaint(); }, [this] { applyColours(); },
                                              [this] { DBLookupComboBox1Click(); }},
                               this);
    if (const auto& error = optionDlg->createError()) services_.prompter.message("Error", *error);
    aManager = new TAManager(services_.prompter, environment_.programFolder, this);
    flagManager = new TFlagManager(*flagList_, flagFolder_, services_.prompter, services_.fileDialogs, this);
    conversionLog = new TdlgCLog(services_.fileDialogs, services_.prompter, environment_.programFolder, this);
    customDateTimeDlg = new TCustomDateTimeDlg(customMoment_, this);
    reportForm = new TReportForm(services_.printPreview, waits_, this);
    shareBoardDlg = new ShareBoardDialog(boardSnapshots_, services_.clock,
                                         ShareBoardHooks{[this] { publishBoard(); }, services_.openUrl}, this);
}

void TMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!shown_) guarded(services_.prompter, [this] { FormShow(); })();
}

void TMainForm::FormShow()
{
    shown_ = true;
    RadioGroup1->setItemIndex(0);
    RadioGroup2->setItemIndex(0);
    showNational_ = true;
    clockMoment_ = services_.clock.now();
    StaticText2->setText(clockText(clockMoment_));
    customMoment_ = clockMoment_;
    panels_[0]->setText(fromUtf8(platform::gmtPanelText(services_.timeZone.zone())));
    DBLookupComboBox1->selectCode(QString::fromStdString(state_.settings.defaultAirport));
    if (state_.settings.autoload) LoadFlightPlans1Click();
    flagList_->load(flags::flagListFile(flagFolder_));
    applyColours();
    Panel1->setEnabled(false);
    CDTCheck->setChecked(false);
    Panel1->setText(StaticText2->text());
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    guarded(services_.prompter, [this] { FormClose(); })();
    event->accept();
}

void TMainForm::FormClose()
{
    try {
        app::saveSettings(environment_.settingsFile, state_.settings);
    } catch (const Error& e) {
        // The program still ends; the user learns which changes were not kept and why.
        services_.prompter.message("WARNING", std::string("The settings could not be saved.\n") + e.what());
    }
}

void TMainForm::LoadFlightPlans1Click()
{
    const BusyWait busy(waits_);
    auto loaded = std::make_unique<tables::LoadedFlights>(
        tables::loadFlights(environment_.programFolder / tables::flightFileName, platform::availablePhysicalMemory()));
    boardModel_->showView(&loaded->table, {});  // the query below fills the board
    flights_ = std::move(loaded);
    offsetNoticeDue_ = !board::recordedUtcOffsetHours(flights_->table);
    DBLookupComboBox1Click();
    publishBoardIfShared();  // the page refreshes at once
}

void TMainForm::Aircraft1Click()
{
    // What the scan shows while it runs on this thread: hourglass and panel 7 for the catalogue,
    // the progress bar for the matching of the AI aircraft list.
    struct WindowReport final : aircraft::ScanReport {
        TMainForm& form;
        std::optional<BusyScope> busy;
        explicit WindowReport(TMainForm& f) : form(f) {}
        void catalogueStarted() override { busy.emplace(form.waits_, form.panels_[7], form.statusBar()); }
        void catalogueFinished() override { busy.reset(); }
        void progressRange(int maximum) override { form.ProgressBar1->setRange(0, std::max(maximum, 1)); }
        void progress(int position) override { form.ProgressBar1->setValue(position); }
        void warning(std::string_view caption, std::string_view text) override
        {
            form.services_.prompter.message(caption, text);
        }
    } report(*this);

    const app::Settings& settings = state_.settings;
    const aircraft::ScanInputs inputs{
        state_.simulatorFolder,  state_.aircraftFolders,
        settings.searchByUI,     platform::settingFile(environment_.programFolder, settings.aircraftListFile),
        environment_.winePrefix, environment_.programFolder / tables::aircraftFileName,
    };
    if (aircraft::scanAircraft(inputs, report) == aircraft::ScanOutcome::TableWritten)
        FlightPlan1->setEnabled(std::filesystem::exists(inputs.outFile));
}

void TMainForm::FlightPlan1Click()
{
    convertFlightPlans(false);
}

void TMainForm::CheckFlightPlans1Click()
{
    const app::Settings& settings = state_.settings;
    if (settings.flightPlanFile.empty()) return;
    // The files and the offset the conversion would use.
    const std::filesystem::path aircraftTable = environment_.programFolder / tables::aircraftFileName;
    convert::CheckInputs inputs{
        .flightPlanFile = platform::settingFile(environment_.programFolder, settings.flightPlanFile),
        .aircraftListFile = platform::settingFile(environment_.programFolder, settings.aircraftListFile),
        .airports = airports_,
        .aircraftTableFile = std::filesystem::exists(aircraftTable) ? std::optional(aircraftTable) : std::nullopt,
        .utcOffsetHours = convert::utcOffsetHours(services_.timeZone.zone(), settings.overrideDst),
        // Read on the check's thread: the list's titles against those the aircraft scan would find.
        .installedTitles =
            [scan =
                 aircraft::ScanInputs{
                     state_.simulatorFolder, state_.aircraftFolders, false, {}, environment_.winePrefix, {}}] {
                return aircraft::installedTitles(scan);
            },
    };
    ui::CheckChoice choice = ui::CheckChoice::None;
    {
        ui::TrafficCheckDialog dialog(std::move(inputs), services_.prompter, services_.fileDialogs,
                                      environment_.programFolder, FlightPlan1->isEnabled(), this);
        dialog.exec();
        choice = dialog.choice();
    }
    if (choice != ui::CheckChoice::None) convertFlightPlans(choice == ui::CheckChoice::ConvertSkippingBadLines);
}

void TMainForm::convertFlightPlans(bool skipBadLines)
{
    if (state_.settings.flightPlanFile.empty()) return;
    {
        TdlgConvertFP dialog(environment_.programFolder, state_.settings.flightPlanFile, state_.settings.overrideDst,
                             airports_, *conversionLog, services_.prompter, services_.timeZone.zone(), skipBadLines,
                             this);
        dialog.exec();
    }
    colonTimeSeparator_ = true;  // the conversion wrote its times with ":", and the clock does from now on
    // The board keeps the table loaded before until the user loads the new one.
    LoadFlightPlans1->setEnabled(std::filesystem::exists(environment_.programFolder / tables::flightFileName));
}

void TMainForm::ShareBoard1Click()
{
    shareBoardDlg->show();
    shareBoardDlg->raise();
    shareBoardDlg->activateWindow();
}

void TMainForm::publishBoard()
{
    boardSnapshots_.publish(
        serve::makeBoardData(flights_, airports_, airportZones_, *flagList_, flagFolder_,
                             convert::utcOffsetHours(services_.timeZone.zone(), state_.settings.overrideDst)));
}

void TMainForm::publishBoardIfShared()
{
    if (shareBoardDlg && shareBoardDlg->running()) publishBoard();
}

void TMainForm::ViewLog1Click()
{
    conversionLog->exec();
}

void TMainForm::PrintTimeTable1Click()
{
    const print::TimetableChoice choice{
        toWindows1252(DBLookupComboBox1->currentText()),
        RadioGroup1->itemIndex() == 1 ? board::Direction::Arrival : board::Direction::Departure, showNational_,
        printedTimes_};
    printTimeTable(*reportForm, *boardModel_, choice);
}

void TMainForm::CustomDateTime1Click()
{
    const LocalDateTime before = customMoment_;
    const bool accepted = customDateTimeDlg->exec() == QDialog::Accepted;
    if (board::customDateTimeRequeries(accepted, CDTCheck->isChecked(), before, customMoment_))
        DBLookupComboBox1Click();
    Panel1->setText(clockText(customMoment_));
}

void TMainForm::DBGrid1CellClick()
{
    if (const auto text = aircraftPanelText(*DBGrid1, *boardModel_)) panels_[6]->setText(*text);
}

void TMainForm::DBLookupComboBox1Click()
{
    const BusyScope busy(waits_, panels_[7], statusBar());
    const board::BoardInputs inputs = boardInputs();
    const board::BoardQuery query = board::buildQuery(inputs);
    tables::View view;
    BoardModel::ShownTimes shownTimes;
    selectBoardRows(inputs, query, view, shownTimes);
    const std::size_t visible = view.size();
    boardModel_->setDirection(inputs.direction);
    boardModel_->showView(flights_ ? &flights_->table : nullptr, std::move(view), std::move(shownTimes));
    for (int column = 2; column <= 5; ++column)
        DBGrid1->setColumnHidden(column, !query.columnVisible[std::size_t(column)]);
    // Times are written with ":" from the first query with the cut on, and the clock follows.
    if (inputs.cut15) colonTimeSeparator_ = true;
    const board::StatusPanels texts = board::statusPanels(inputs, visible);
    panels_[2]->setText(fromWindows1252(texts.flights));
    panels_[3]->setText(fromWindows1252(texts.traffic));
    panels_[4]->setText(fromWindows1252(texts.available));
}

board::BoardInputs TMainForm::boardInputs() const
{
    board::BoardInputs inputs;
    if (DBLookupComboBox1->hasText()) inputs.airport = toWindows1252(DBLookupComboBox1->currentCode());
    inputs.direction = RadioGroup1->itemIndex() == 1 ? board::Direction::Arrival : board::Direction::Departure;
    inputs.moment = CDTCheck->isChecked() ? customMoment_ : services_.clock.now();
    inputs.cut15 = cutOver15_;
    inputs.national = showNational_;
    inputs.trafficPercent = state_.settings.trafficPercent;
    inputs.totalFlights = flights_ ? flights_->totalFlights : 0;
    inputs.availableFlights = flights_ ? flights_->availableFlights : 0;
    return inputs;
}

void TMainForm::Timer1Timer()
{
    clockMoment_ = services_.clock.now();
    StaticText2->setText(clockText(clockMoment_));
    if ((cutOver15_ || state_.settings.windowHours > 0) && flights_) DBLookupComboBox1Click();  // the window moves on
}

void TMainForm::CDTCheckClick()
{
    Panel1->setBackgroundRole(CDTCheck->isChecked() ? QPalette::Light : QPalette::Button);
    DBLookupComboBox1Click();
}

void TMainForm::CB15minutesflightsClick()
{
    cutOver15_ = CB15minutesflights->isChecked();
    DBLookupComboBox1Click();
}

void TMainForm::RadioGroup2Click()
{
    showNational_ = RadioGroup2->itemIndex() == 0;
    DBLookupComboBox1Click();
}

void TMainForm::AirportManager1Click()
{
    aManager->exec();
    // The lookup copy follows the file, never the manager's unsaved edits.
    airports_.load(environment_.programFolder / tables::airportFileName);
    DBLookupComboBox1->reload();
    if (optionDlg) optionDlg->DBLookupComboBox1->reload();
    publishBoardIfShared();
}

void TMainForm::FlagManager1Click()
{
    flagManager->exec();
    flagList_->load(flags::flagListFile(flagFolder_));
    DBGrid1->viewport()->update();
    publishBoardIfShared();
}

void TMainForm::Exit1Click()
{
    boardModel_->showView(nullptr, {});
    flights_.reset();
    close();
}

void TMainForm::General1Click()
{
    optionDlg->show();
    optionDlg->raise();
    optionDlg->activateWindow();
}

void TMainForm::About1Click()
{
    services_.showAbout(environment_.executable);
}

void TMainForm::ProgramFolder1Click()
{
    services_.prompter.message("Program Folder", "Quorvel keeps its tables and flags in\n" +
                                                     environment_.programFolder.string() +
                                                     "\n\nCopy the simulator's flight plan file and AI aircraft "
                                                     "list there before a conversion.");
}

QString TMainForm::panelText(int panel) const
{
    if (panel == 1) {
        const bool overridden = optionDlg ? optionDlg->CBOvrDST->isChecked() : state_.settings.overrideDst;
        return fromUtf8(board::daylightPanel(services_.timeZone.zone(), overridden).text);
    }
    return panels_[std::size_t(panel)]->text();
}

void TMainForm::paintDaylightPanel(QPainter& painter, const QRect& rect) const
{
    const bool overridden = optionDlg ? optionDlg->CBOvrDST->isChecked() : state_.settings.overrideDst;
    const board::DaylightPanel panel = board::daylightPanel(services_.timeZone.zone(), overridden);
    painter.setPen(QColor(panel.colour.red, panel.colour.green, panel.colour.blue));
    painter.drawText(rect, Qt::AlignLeft | Qt::AlignTop, fromUtf8(panel.text));
}

QString TMainForm::clockText(const LocalDateTime& moment) const
{
    const QLocale locale;  // the user's, unless a test made another the default
    ClockSeparators separators = clockSeparators(locale);
    if (colonTimeSeparator_) separators.time = QStringLiteral(":");
    return clockCaption(moment, locale, separators);
}

QColor TMainForm::gridColour() const
{
    return colourFromSetting(state_.settings.gridColor);
}

QColor TMainForm::fontColour() const
{
    return colourFromSetting(state_.settings.fontColor);
}

void TMainForm::applyColours()
{
    applyBoardColours(*DBGrid1, gridColour(), fontColour());
}
