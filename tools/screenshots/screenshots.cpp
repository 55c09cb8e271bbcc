// qrvl-screenshots: the program's real windows over the demo, as a person sees them on a desktop
// with a window manager, saved as pictures: the splash screen in the middle of start-up, the board
// (departures and arrivals), the options dialog, the print preview, the Airport Manager, the Flag
// Manager and its picture dialog, the custom date-time dialog, the about box, the conversion
// dialog in the middle of a run, the conversion log and the check window over a file with
// problems (whose report it also exports as a web page, CHECK_PAGE). tools/screenshots/take runs
// it on a copy of the demo under Xvfb and openbox.
//
// Each picture is read back from the screen, not painted again for the camera, so it shows what
// offscreen tests cannot: the window manager's frames and placement, and a window that never
// reached the screen. It also checks what it sees and ends with
// `screenshots: P pictures, C checks, F failed`, its status 1 when F > 0.

#include "about/about_dialog.h"
#include "about/splash_form.h"
#include "app/main_form.h"
#include "app/option_dialog.h"
#include "app/quorvel_application.h"
#include "app/settings.h"
#include "board/board_model.h"
#include "board/custom_date_time_dialog.h"
#include "convert/conversion_log_dialog.h"
#include "convert/convert_flight_plan_dialog.h"
#include "convert/traffic_check_dialog.h"
#include "convert/traffic_check_model.h"
#include "flags/flag_manager_dialog.h"
#include "platform/atomic_file.h"
#include "platform/file_stamp_cache.h"
#include "platform/wine_paths.h"
#include "serve/share_board_dialog.h"
#include "tables/airport_manager_dialog.h"
#include "widgets/message_box_prompter.h"
#include "widgets/picture_file_dialog.h"
#include "widgets/radio_group.h"

#include <QAbstractItemView>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <thread>

using namespace quorvel::ui;

namespace {

// What the tool saw: the pictures it saved and the checks it made.
class Findings {
public:
    explicit Findings(QString folder) : folder_(std::move(folder)) {}

    void save(const QImage& picture, const QString& name)
    {
        const QString file = folder_ + QLatin1Char('/') + name;
        if (picture.isNull() || !picture.save(file)) {
            check(QStringLiteral("picture ") + name, false, QStringLiteral("cannot write ") + file);
            return;
        }
        ++pictures_;
        std::cout << file.toStdString() << '\n';
    }

    void check(const QString& what, bool ok, const QString& detail)
    {
        ++checks_;
        if (!ok) ++failed_;
        std::cout << "check: " << what.toStdString() << ": " << (ok ? "ok" : "FAILED") << " (" << detail.toStdString()
                  << ")\n";
    }

    int finish() const
    {
        std::cout << "screenshots: " << pictures_ << " pictures, " << checks_ << " checks, " << failed_ << " failed\n";
        return failed_ > 0 ? 1 : 0;
    }

private:
    QString folder_;
    int pictures_ = 0;
    int checks_ = 0;
    int failed_ = 0;
};

// The screen as the X server holds it, over `area` (global coordinates).
QImage screenArea(const QRect& area)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen->grabWindow(0, area.x(), area.y(), area.width(), area.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// Lets the window manager map, frame and place the window, and the window paint itself.
// False when the window was never shown on the screen.
bool settle(QWidget& window)
{
    const bool exposed = QTest::qWaitForWindowExposed(&window, 5000);
    QTest::qWait(500);
    return exposed;
}

// The share of pixels of `picture` inside `area` that are not near black.
double litShare(const QImage& picture, const QRect& area)
{
    const QRect inside = area.intersected(picture.rect());
    if (inside.isEmpty()) return 0;
    long lit = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            if (qGray(picture.pixel(x, y)) > 32) ++lit;
    return double(lit) / (double(inside.width()) * inside.height());
}

// The share of pixels that differ clearly between two pictures of the same size.
double differingShare(const QImage& a, const QImage& b)
{
    if (a.size() != b.size() || a.isNull()) return 1;
    long differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q)) > 60)
                ++differing;
        }
    return double(differing) / (double(a.width()) * a.height());
}

QString percent(double share)
{
    return QString::number(share * 100, 'f', 1) + QLatin1Char('%');
}

// Saves `window` with its frame as the screen shows it, and checks that it is framed and on screen.
void take(Findings& findings, QWidget& window, const QString& name)
{
    const bool exposed = settle(window);
    const QRect frame = window.frameGeometry();
    findings.check(name + QStringLiteral(": shown on the screen"), exposed,
                   QStringLiteral("the window manager mapped it"));
    const QRect screen = window.screen()->geometry();
    findings.save(screenArea(frame), name);
    findings.check(name + QStringLiteral(": framed by the window manager"), frame.top() < window.geometry().top(),
                   QStringLiteral("frame top %1, window top %2").arg(frame.top()).arg(window.geometry().top()));
    findings.check(
        name + QStringLiteral(": whole window on the screen"), screen.contains(frame),
        QStringLiteral("frame %1,%2 %3x%4").arg(frame.x()).arg(frame.y()).arg(frame.width()).arg(frame.height()));
}

// The board in the airport's own time over the next 24 hours, which from any moment runs across
// midnight: the grid is scrolled to the last rows of today, so that the next day's rows show
// their day, and the printout of that board is taken too. Leaves the board in computer time again.
void lookAtAirportTime(Findings& findings, TMainForm& form, QString& previewPicture)
{
    form.setBoardTime(quorvel::board::TimeMode::Airport, 24);
    findings.check(QStringLiteral("board in airport time: the caption says which time"),
                   form.windowTitle().contains(QStringLiteral("Times: Europe/Rome")), form.windowTitle());
    const QAbstractItemModel& rows = *form.DBGrid1->model();
    int nextDay = -1;
    for (int row = 0; row < rows.rowCount() && nextDay < 0; ++row) {
        // "Wed 00:40" on the next day
        const QString time = rows.index(row, 0).data(quorvel::ui::BoardModel::ScheduledTimeRole).toString();
        if (!time.isEmpty() && time.front().isLetter()) nextDay = row;
    }
    findings.check(QStringLiteral("board in airport time: the next day's rows show their day"), nextDay >= 0,
                   QStringLiteral("first of them: row %1 of %2").arg(nextDay).arg(rows.rowCount()));
    if (nextDay >= 0)
        form.DBGrid1->scrollTo(rows.index(std::max(nextDay - 5, 0), 0), QAbstractItemView::PositionAtTop);
    take(findings, form, QStringLiteral("board-airport-time.png"));
    previewPicture = QStringLiteral("print-airport-time.png");
    form.PrintTimeTable1Click();
    previewPicture = QStringLiteral("print-preview.png");
    form.setBoardTime(quorvel::board::TimeMode::Computer, 0);
}

// File > "Share Board...", started on a free port of this computer: the address it shows must be
// whole. Stopped and closed again.
void lookAtShareBoard(Findings& findings, TMainForm& form)
{
    form.ShareBoard1Click();
    quorvel::ui::ShareBoardDialog& dialog = *form.shareBoardDlg;
    dialog.AddressEdit->setText(QStringLiteral("127.0.0.1:0"));
    dialog.startClick();
    const QLabel& address = *dialog.AddressLabel;
    findings.check(QStringLiteral("Share Board: the server runs"), dialog.running(), address.text());
    findings.check(QStringLiteral("Share Board: the address shows whole"),
                   address.fontMetrics().horizontalAdvance(address.text()) <= address.contentsRect().width(),
                   QStringLiteral("text %1 px, label %2 px")
                       .arg(address.fontMetrics().horizontalAdvance(address.text()))
                       .arg(address.contentsRect().width()));
    take(findings, dialog, QStringLiteral("share-board.png"));
    if (dialog.running()) dialog.startClick();
    dialog.hide();
}

// Runs `open`, which shows a modal window and returns once it is closed. Once a modal window of
// type T is up, `look` runs on it: it takes its pictures and must close it. A window that does
// not come up within 20 s fails the check, and whatever is modal then is closed.
template <class T>
void whileOpen(Findings& findings, const QString& name, const std::function<void()>& open,
               const std::function<void(T&)>& look)
{
    bool seen = false;
    QElapsedTimer waited;
    waited.start();
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (seen) return;
        if (auto* window = qobject_cast<T*>(QApplication::activeModalWidget()); window && window->isVisible()) {
            seen = true;
            poll.stop();
            look(*window);
        } else if (waited.elapsed() > 20000) {
            seen = true;
            findings.check(name + QStringLiteral(": opens"), false, QStringLiteral("no such window after 20 s"));
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->reject();
        }
    });
    poll.start();
    open();
}

// The splash screen's waits, as the program makes them (the window system's events are handled,
// the user's input waits), with a look at the screen in the middle of start-up.
class WatchedWaits final : public quorvel::Sleeper {
public:
    explicit WatchedWaits(Findings& findings) : findings_(findings) {}

    std::unique_ptr<quorvel::about::SplashScreen> makeSplash()
    {
        auto splash = std::make_unique<TSplashForm>();
        splash_ = splash.get();
        QObject::connect(splash.get(), &QObject::destroyed, [this] { splash_ = nullptr; });
        since_.start();
        return splash;
    }

    void wait(std::chrono::milliseconds duration) override
    {
        sleeper_.wait(duration);
        if (splash_ && !looked_ && splash_->isVisible() && since_.elapsed() >= 400) {
            looked_ = true;
            look(*splash_);
        }
    }

    bool looked() const { return looked_; }

private:
    EventLoopSleeper sleeper_;
    void look(TSplashForm& splash)
    {
        const QRect area(splash.mapToGlobal(QPoint(0, 0)), splash.size());
        const QImage onScreen = screenArea(area);
        findings_.save(onScreen, QStringLiteral("splash.png"));
        const QRect picture(splash.Image1->mapTo(&splash, QPoint(0, 0)), splash.Image1->size());
        const double lit = litShare(onScreen, picture);
        findings_.check(QStringLiteral("splash: the picture is on the screen"), lit > 0.05,
                        percent(lit) + QStringLiteral(" of its pixels are not black"));
        const double differing =
            differingShare(onScreen, splash.grab().toImage().convertToFormat(QImage::Format_RGB32));
        findings_.check(QStringLiteral("splash: the screen shows what the splash paints"), differing < 0.05,
                        percent(differing) + QStringLiteral(" of the pixels differ"));
    }

    Findings& findings_;
    TSplashForm* splash_ = nullptr;
    QElapsedTimer since_;
    bool looked_ = false;
};

void lookAtConversion(Findings& findings, TdlgConvertFP& dialog)
{
    // The run goes on meanwhile; the dialog is caught once its counter shows.
    QElapsedTimer waited;
    waited.start();
    while (!dialog.Label1->text().startsWith(QStringLiteral("Flights:")) && waited.elapsed() < 10000) QTest::qWait(5);
    const bool exposed = QTest::qWaitForWindowExposed(&dialog, 5000);
    QTest::qWait(150);
    // A finished run's button says "Ok"; its bar need not be full, as comments count as lines.
    const bool running = exposed && dialog.Button1->text() == QStringLiteral("Stop");
    const QString label = dialog.Label1->text();
    findings.save(screenArea(dialog.frameGeometry()), QStringLiteral("convert-running.png"));
    findings.check(QStringLiteral("conversion: caught in the middle of its run"),
                   running && label.startsWith(QStringLiteral("Flights:")),
                   QStringLiteral("bar at %1 of %2, counter \"%3\"")
                       .arg(dialog.ProgressBar1->value())
                       .arg(dialog.ProgressBar1->maximum())
                       .arg(label));
    // The label fits the counter as it grows; the longest it gets, the total twice, must still
    // find room in the dialog.
    const QString longest = QStringLiteral("Flights:%1/%1").arg(dialog.ProgressBar1->maximum());
    const QFontMetrics metrics(dialog.Label1->font());
    const QRect shown = dialog.Label1->contentsRect().translated(dialog.Label1->pos()).intersected(dialog.rect());
    findings.check(QStringLiteral("conversion: the whole \"Flights:\" counter is visible"),
                   shown.width() >= metrics.horizontalAdvance(label),
                   QStringLiteral("\"%1\" needs %2 px, the label shows %3 px")
                       .arg(label)
                       .arg(metrics.horizontalAdvance(label))
                       .arg(shown.width()));
    const int room = dialog.rect().width() - dialog.Label1->x() - dialog.Label1->contentsMargins().left();
    findings.check(QStringLiteral("conversion: the longest counter has room in the dialog"),
                   room >= metrics.horizontalAdvance(longest),
                   QStringLiteral("\"%1\" needs %2 px, the dialog has %3 px")
                       .arg(longest)
                       .arg(metrics.horizontalAdvance(longest))
                       .arg(room));
    while (dialog.isVisible() && waited.elapsed() < 120000) {
        if (dialog.Button1->text() != QStringLiteral("Stop")) dialog.Button1->click();
        QTest::qWait(20);
    }
}

// The check window over a file with problems: sorted worst first, one problem's line shown with
// its field marked. Checks that what it says is whole: headers, buttons, summary, the shown line.
void lookAtCheck(Findings& findings, TrafficCheckDialog& dialog, const QString& page)
{
    dialog.waitForCheck();
    QTableView& view = *dialog.problemView;
    view.sortByColumn(TrafficCheckModel::SeverityColumn, Qt::AscendingOrder);
    view.selectRow(0);
    dialog.showLine(view.model()->index(0, 0));
    settle(dialog);
    take(findings, dialog, QStringLiteral("check-window.png"));

    const QHeaderView& header = *view.horizontalHeader();
    QStringList clipped;
    for (int column = 0; column < TrafficCheckModel::EffectColumn; ++column) {
        const QString title = view.model()->headerData(column, Qt::Horizontal).toString();
        if (header.sectionSize(column) < header.fontMetrics().horizontalAdvance(title) + 12) clipped << title;
    }
    findings.check(QStringLiteral("check window: every column title shows whole"), clipped.isEmpty(),
                   clipped.isEmpty() ? QStringLiteral("all fit") : clipped.join(QStringLiteral(", ")));
    QStringList narrow;
    for (QPushButton* button :
         {dialog.exportCsvButton, dialog.exportHtmlButton, dialog.convertButton, dialog.skipButton, dialog.closeButton})
        if (button->isVisible() && button->width() < button->fontMetrics().horizontalAdvance(button->text()) + 8)
            narrow << button->text();
    findings.check(QStringLiteral("check window: every button caption shows whole"), narrow.isEmpty(),
                   narrow.isEmpty() ? QStringLiteral("all fit") : narrow.join(QStringLiteral(", ")));
    findings.check(
        QStringLiteral("check window: the skip button counts the lines with errors"),
        dialog.skipButton->isVisible() &&
            dialog.skipButton->text() == QStringLiteral("Convert, skipping the %1 lines with errors")
                                             .arg(dialog.checkResult() ? dialog.checkResult()->summary.badLines : 0),
        dialog.skipButton->text());
    const QSize summaryNeeds = dialog.summaryLabel->sizeHint();
    findings.check(
        QStringLiteral("check window: the summary shows whole"),
        dialog.summaryLabel->width() >= summaryNeeds.width() && dialog.summaryLabel->height() >= summaryNeeds.height(),
        QStringLiteral("needs %1x%2, has %3x%4")
            .arg(summaryNeeds.width())
            .arg(summaryNeeds.height())
            .arg(dialog.summaryLabel->width())
            .arg(dialog.summaryLabel->height()));
    const QTextEdit& line = *dialog.lineView;
    const int lineWidth = line.fontMetrics().horizontalAdvance(line.toPlainText());
    findings.check(QStringLiteral("check window: the faulty line is shown"), !line.toPlainText().isEmpty(),
                   QStringLiteral("%1 px of line in a %2 px pane").arg(lineWidth).arg(line.viewport()->width()));

    quorvel::platform::writeFileAtomically(page.toStdString(), dialog.htmlPage());
    dialog.reject();
}

}  // namespace

int main(int argc, char** argv)
{
    QuorvelApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    if (argc < 3) {
        std::cerr << "usage: qrvl-screenshots PROGRAM_FOLDER OUT_FOLDER [EXECUTABLE [PROBLEM_PLANS CHECK_PAGE]]\n";
        return 2;
    }
    Findings findings(QString::fromLocal8Bit(argv[2]));
    quorvel::app::ProgramEnvironment environment;
    environment.programFolder = argv[1];
    environment.executable = argc > 3 ? std::filesystem::path(argv[3]) : environment.programFolder / "quorvel";
    environment.winePrefix = quorvel::platform::winePrefix(std::getenv("WINEPREFIX"), std::getenv("HOME"));
    environment.settingsFile = quorvel::app::settingsPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));

    MessageBoxPrompter prompter;
    WatchedWaits waits(findings);
    QtFileDialogs fileDialogs;
    quorvel::SystemClock clock;
    quorvel::platform::SystemTimeZone timeZone;
    quorvel::platform::SystemFileClock fileClock;
    application.setErrorPrompter(&prompter);
    QString previewPicture = QStringLiteral("print-preview.png");
    const auto preview = [&findings, &previewPicture](QPrinter& printer,
                                                      const std::function<void(QPrinter*)>& paint) {
        QPrintPreviewDialog dialog(&printer);
        dialog.resize(820, 900);
        QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, paint);
        QTimer::singleShot(0, &dialog, [&dialog, &findings, &previewPicture] {
            if (auto* view = dialog.findChild<QPrintPreviewWidget*>()) view->fitToWidth();
            take(findings, dialog, previewPicture);
            dialog.accept();
        });
        dialog.exec();
    };
    MainFormServices services{
        clock,        timeZone, fileClock, waits, prompter, fileDialogs, [&waits] { return waits.makeSplash(); },
        showAboutBox, preview};
    TMainForm form(environment, services);
    findings.check(QStringLiteral("splash: seen in the middle of start-up"), waits.looked(),
                   QStringLiteral("start-up waited %1")
                       .arg(waits.looked() ? QStringLiteral("long enough") : QStringLiteral("too little")));
    form.createDialogs();
    form.show();
    take(findings, form, QStringLiteral("board-departures.png"));
    form.RadioGroup1->setItemIndex(1);
    form.DBLookupComboBox1Click();
    take(findings, form, QStringLiteral("board-arrivals.png"));
    form.optionDlg->show();
    take(findings, *form.optionDlg, QStringLiteral("options.png"));
    form.optionDlg->hide();
    form.RadioGroup1->setItemIndex(0);
    form.DBLookupComboBox1Click();
    form.PrintTimeTable1Click();
    lookAtAirportTime(findings, form, previewPicture);

    whileOpen<TAManager>(
        findings, QStringLiteral("Airport Manager"), [&] { form.AirportManager1Click(); },
        [&](TAManager& manager) {
            take(findings, manager, QStringLiteral("airport-manager.png"));
            static_cast<QDialog&>(manager).reject();  // the close box: nothing is written
        });
    whileOpen<TFlagManager>(
        findings, QStringLiteral("Flag Manager"), [&] { form.FlagManager1Click(); },
        [&](TFlagManager& manager) {
            for (int row = 0; row < manager.ValueListEditor1->rowCount(); ++row)
                if (manager.hasEditButton(row)) {
                    manager.ValueListEditor1->setCurrentCell(row, 1);
                    break;
                }
            take(findings, manager, QStringLiteral("flag-manager.png"));
            findings.check(QStringLiteral("Flag Manager: a flag picture is shown"), !manager.preview().isNull(),
                           QStringLiteral("row %1 chosen").arg(manager.ValueListEditor1->currentRow()));
            whileOpen<QFileDialog>(
                findings, QStringLiteral("flag picture dialog"), [&] { manager.ValueListEditor1EditButtonClick(); },
                [&](QFileDialog& pictures) {
                    // A file under the cursor, so that the preview beside the list shows it.
                    const QStringList files = pictures.directory().entryList(
                        {QStringLiteral("*.bmp"), QStringLiteral("*.BMP")}, QDir::Files, QDir::Name);
                    if (!files.isEmpty()) pictures.selectFile(pictures.directory().filePath(files.front()));
                    QTest::qWait(200);  // the folder is listed in the background
                    for (auto* view : pictures.findChildren<QAbstractItemView*>())
                        if (view->isVisible() && view->selectionModel() &&
                            !view->selectionModel()->selectedRows().isEmpty())
                            view->setCurrentIndex(view->selectionModel()->selectedRows().front());
                    const auto* preview = qobject_cast<PictureFileDialog*>(&pictures);
                    findings.check(QStringLiteral("flag picture dialog: the preview shows the file under the cursor"),
                                   preview && !preview->preview()->pixmap().isNull(),
                                   files.isEmpty() ? QStringLiteral("no picture in the flag folder") : files.front());
                    take(findings, pictures, QStringLiteral("flag-picture-dialog.png"));
                    pictures.reject();
                });
            manager.FMCancelButtonClick();
        });
    whileOpen<TCustomDateTimeDlg>(
        findings, QStringLiteral("custom date-time dialog"), [&] { form.CustomDateTime1Click(); },
        [&](TCustomDateTimeDlg& dialog) {
            take(findings, dialog, QStringLiteral("custom-date-time.png"));
            dialog.reject();
        });
    whileOpen<TVersionAwareAbout>(
        findings, QStringLiteral("about box"), [&] { form.About1Click(); },
        [&](TVersionAwareAbout& box) {
            take(findings, box, QStringLiteral("about.png"));
            box.accept();
        });
    whileOpen<TdlgConvertFP>(
        findings, QStringLiteral("conversion dialog"), [&] { form.FlightPlan1Click(); },
        [&](TdlgConvertFP& dialog) { lookAtConversion(findings, dialog); });
    whileOpen<TdlgCLog>(
        findings, QStringLiteral("conversion log"), [&] { form.ViewLog1Click(); },
        [&](TdlgCLog& log) {
            take(findings, log, QStringLiteral("conversion-log.png"));
            log.CancelBtnClick();
        });
    if (argc > 5) {
        // The check over the file with problems, as Convert > "Check FlightPlans..." opens it.
        const std::string configured = form.settings().flightPlanFile;
        form.settings().flightPlanFile = argv[4];
        whileOpen<TrafficCheckDialog>(
            findings, QStringLiteral("check window"), [&] { form.CheckFlightPlans1Click(); },
            [&](TrafficCheckDialog& dialog) { lookAtCheck(findings, dialog, QString::fromLocal8Bit(argv[5])); });
        form.settings().flightPlanFile = configured;
    }
    lookAtShareBoard(findings, form);
    whileOpen<QMessageBox>(
        findings, QStringLiteral("program folder message"), [&] { form.ProgramFolder1Click(); },
        [&](QMessageBox& box) {
            take(findings, box, QStringLiteral("program-folder.png"));
            box.accept();
        });
    return findings.finish();
}
