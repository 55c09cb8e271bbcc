// The main window's View menu: the board in computer time, the airport's time or UTC, for the
// reference day or the next N hours. The rules are the core's (board/board_time.h); this file
// only reads the window's state, asks them, and shows the answer.

#include "app/main_form.h"

#include "app/startup.h"
#include "convert/conversion_run.h"
#include "convert/leg_rules.h"
#include "platform/error.h"
#include "platform/time_zone.h"
#include "tables/airport_box_widget.h"
#include "widgets/qt_text.h"

#include <QActionGroup>
#include <QCheckBox>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <algorithm>

using namespace quorvel;
using namespace quorvel::ui;

namespace {

constexpr int noticeMilliseconds = 15000;

}  // namespace

void TMainForm::buildTimeControls()
{
    try {
        airportZones_.load(environment_.programFolder / tables::airportZonesFileName);
    } catch (const Error&) {
        // Without the list no airport has a zone: airport time falls back and the status bar says so.
    }

    // Between Options and Help, so the design's menus keep their places.
    QMenu* view = new QMenu(QStringLiteral("View"), this);
    QAction* help = nullptr;
    for (QAction* menu : menuBar()->actions())
        if (menu->text() == QStringLiteral("Help")) help = menu;
    menuBar()->insertMenu(help, view);
    auto* modes = new QActionGroup(view);
    const auto addMode = [&](const char* caption, board::TimeMode mode) {
        QAction* action = view->addAction(QString::fromLatin1(caption));
        action->setCheckable(true);
        action->setActionGroup(modes);
        action->setChecked(state_.settings.timeMode == mode);
        connect(action, &QAction::triggered, this, [this, mode] { setBoardTime(mode, state_.settings.windowHours); });
        return action;
    };
    ComputerTime1 = addMode("Computer Time", board::TimeMode::Computer);
    AirportTime1 = addMode("Airport Time", board::TimeMode::Airport);
    UtcTime1 = addMode("UTC", board::TimeMode::Utc);
    view->addSeparator();
    auto* spans = new QActionGroup(view);
    WholeDay1 = view->addAction(QStringLiteral("Whole Day"));
    NextHours1 = view->addAction(QStringLiteral("Next N Hours..."));
    for (QAction* action : {WholeDay1, NextHours1}) {
        action->setCheckable(true);
        action->setActionGroup(spans);
    }
    connect(WholeDay1, &QAction::triggered, this, [this] { setBoardTime(state_.settings.timeMode, 0); });
    connect(NextHours1, &QAction::triggered, this, &TMainForm::NextHours1Click);

    if (!askWindowHours)
        askWindowHours = [this](int current) -> std::optional<int> {
            bool ok = false;
            const int hours =
                QInputDialog::getInt(this, QStringLiteral("Next N Hours"), QStringLiteral("Hours ahead (1 to 24):"),
                                     current > 0 ? current : 12, 1, board::maxWindowHours, 1, &ok);
            return ok ? std::optional<int>(hours) : std::nullopt;
        };

    designedTitle_ = windowTitle();
    setBoardTime(state_.settings.timeMode, state_.settings.windowHours);
}

void TMainForm::setBoardTime(board::TimeMode mode, int windowHours)
{
    state_.settings.timeMode = mode;
    state_.settings.windowHours = std::clamp(windowHours, 0, board::maxWindowHours);
    const int hours = state_.settings.windowHours;
    (mode == board::TimeMode::Airport ? AirportTime1
     : mode == board::TimeMode::Utc   ? UtcTime1
                                      : ComputerTime1)
        ->setChecked(true);
    (hours > 0 ? NextHours1 : WholeDay1)->setChecked(true);
    NextHours1->setText(hours > 0 ? QStringLiteral("Next %1 Hours...").arg(hours) : QStringLiteral("Next N Hours..."));
    if (shown_) DBLookupComboBox1Click();
}

void TMainForm::NextHours1Click()
{
    const std::optional<int> hours = askWindowHours(state_.settings.windowHours);
    // Cancelled: the menu shows the span as it was.
    setBoardTime(state_.settings.timeMode, hours ? *hours : state_.settings.windowHours);
}

board::TimeInputs TMainForm::boardTime(const board::BoardInputs& inputs) const
{
    board::TimeInputs time;
    time.mode = state_.settings.timeMode;
    time.windowHours = state_.settings.windowHours;
    if (const auto zone = airportZones_.zoneOf(inputs.airport)) time.airportZone = std::string(*zone);
    if (!CDTCheck->isChecked()) time.present = instantOfLocal(inputs.moment);
    const std::optional<int> recorded = flights_ ? board::recordedUtcOffsetHours(flights_->table) : std::nullopt;
    time.utcOffsetHours =
        recorded ? *recorded : convert::utcOffsetHours(services_.timeZone.zone(), state_.settings.overrideDst);
    return time;
}

void TMainForm::selectBoardRows(const board::BoardInputs& inputs, const board::BoardQuery& query, tables::View& view,
                                BoardModel::ShownTimes& shownTimes)
{
    const board::TimeInputs time = boardTime(inputs);
    printedTimes_.clear();
    if (!board::usesInstances(time)) {
        timesText_.clear();
        setWindowTitle(designedTitle_);
        if (flights_) view = board::select(*flights_, query);
        return;
    }
    const board::InstanceQuery instanceQuery = board::buildInstanceQuery(inputs, time);
    const board::BoardInterval& interval = instanceQuery.interval;
    if (flights_) {
        board::Instances instances = board::selectInstances(*flights_, instanceQuery);
        // The model words each time when the grid shows its row.
        shownTimes.minutes = std::move(instances.minutes);
        shownTimes.interval = interval;
        view = std::move(instances.rows);
    }
    if (interval.mode != board::TimeMode::Computer)
        printedTimes_ = interval.zone + " time";  // short: the title has one line of the page
    // The caption says at a glance which time the board shows; the design's status panels have no
    // room for it, so notices pass over the status bar for a while instead.
    timesText_ = fromWindows1252(board::timesText(interval, time.windowHours, inputs.airport));
    setWindowTitle(designedTitle_ + QStringLiteral(" - ") + timesText_);
    QString notice;
    if (interval.fellBack) notice = timesText_;
    if (offsetNoticeDue_ && flights_ && interval.mode != board::TimeMode::Computer) {
        notice += (notice.isEmpty() ? QString() : QStringLiteral(" ")) +
                  fromUtf8(board::assumedOffsetNotice(time.utcOffsetHours));
        offsetNoticeDue_ = false;
    }
    if (!notice.isEmpty()) statusBar()->showMessage(notice, noticeMilliseconds);
}
