// qrvl-monkey: the real program's windows, made as app/main.cpp makes them, driven by random but
// valid input from a seeded generator: clicks on buttons, check boxes and grid cells, typing into
// the boxes and cells, keys, menu choices, dialogs opened and closed, conversions started and
// stopped, Airport Manager and Flag Manager edits. Input goes only where a person could put it:
// into the open popup, else the modal window on top, else the main window or the options dialog.
// scripts/monkey runs it on a copy of the demo under Xvfb and a window manager.
//
// What it reports as a finding (besides a crash or a sanitizer report, which end the process):
// - the user-interface thread did not come back to its event loop for 10 s;
// - "airport.cds" or "fmlist" was written by an event that does not save it (only the Airport
//   Manager's Close and the Flag Manager's OK may: clicked, Space on them, or Enter or Esc in
//   their windows), or a save left a file that no longer reads back;
// - Exit did not end the program, or the settings were not written at the end.
//
// Every event is written to the event log as it starts, so the last line names what was
// running when the process died; the same seed replays the same choices.

#include "about/about_dialog.h"
#include "about/splash_form.h"
#include "app/main_form.h"
#include "app/option_dialog.h"
#include "app/quorvel_application.h"
#include "app/settings.h"
#include "flags/flag_list.h"
#include "flags/flag_manager_dialog.h"
#include "platform/file_stamp_cache.h"
#include "platform/wine_paths.h"
#include "tables/airport_manager_dialog.h"
#include "tables/airport_table.h"
#include "widgets/message_box_prompter.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPrintPreviewDialog>
#include <QTest>
#include <QTimer>

#include <execinfo.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <random>
#include <thread>

using namespace quorvel::ui;

extern "C" void __sanitizer_print_stack_trace() __attribute__((weak));

namespace fs = std::filesystem;

namespace {

constexpr auto hangLimit = std::chrono::seconds(10);

// The user-interface thread's stack, printed from inside that thread when the watchdog asks.
void printStack(int)
{
    static const char header[] = "monkey: the user-interface thread is here:\n";
    [[maybe_unused]] const auto written = write(STDERR_FILENO, header, sizeof header - 1);
    if (__sanitizer_print_stack_trace) {
        __sanitizer_print_stack_trace();
    } else {
        void* frames[64];
        backtrace_symbols_fd(frames, backtrace(frames, 64), STDERR_FILENO);
    }
}

// A file the monkey keeps an eye on: its bytes and the identity of the file holding them (a save
// replaces the file, so even a save of the same bytes shows).
struct WatchedFile {
    std::string name;
    fs::path path;
    std::string bytes;
    ino_t inode = 0;
    timespec modified{};

    bool refresh()  // true when the file changed since the last look
    {
        struct stat info {};
        std::string now;
        ino_t inodeNow = 0;
        timespec modifiedNow{};
        if (::stat(path.c_str(), &info) == 0) {
            inodeNow = info.st_ino;
            modifiedNow = info.st_mtim;
            std::ifstream in(path, std::ios::binary);
            now.assign(std::istreambuf_iterator<char>(in), {});
        }
        const bool changed = now != bytes || inodeNow != inode || modifiedNow.tv_sec != modified.tv_sec ||
                             modifiedNow.tv_nsec != modified.tv_nsec;
        bytes = std::move(now);
        inode = inodeNow;
        modified = modifiedNow;
        return changed;
    }
};

enum Writes : unsigned { WritesNothing = 0, WritesAirports = 1, WritesFlags = 2 };

QString describe(const QWidget* widget)
{
    if (!widget) return QStringLiteral("(none)");
    QString text = QString::fromLatin1(widget->metaObject()->className());
    if (!widget->objectName().isEmpty()) text += QLatin1Char(' ') + widget->objectName();
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        text += QStringLiteral(" \"%1\"").arg(button->text());
    if (widget->isWindow() && !widget->windowTitle().isEmpty())
        text += QStringLiteral(" [%1]").arg(widget->windowTitle());
    return text;
}

template <class T>
std::vector<T*> usable(QWidget* window)
{
    std::vector<T*> found;
    for (T* child : window->findChildren<T*>())
        if (child->isVisibleTo(window) && child->isEnabled() && child->window() == window) found.push_back(child);
    return found;
}

class Monkey final : public QObject {
public:
    Monkey(TMainForm& form, std::uint64_t seed, int seconds, long maxEvents, fs::path programFolder, fs::path eventLog)
        : form_(form),
          random_(seed),
          seconds_(seconds),
          maxEvents_(maxEvents),
          programFolder_(std::move(programFolder)),
          log_(eventLog)
    {
        watched_[0] = {"airport.cds", programFolder_ / quorvel::tables::airportFileName, {}, 0, {}};
        watched_[1] = {"fmlist", quorvel::flags::flagListFile(form_.flagFolder()), {}, 0, {}};
        for (auto& file : watched_) file.refresh();
        clock_.start();
        heartbeat_ = 0;
        connect(&tick_, &QTimer::timeout, this, &Monkey::tick);
        tick_.start(30);
    }

    long events() const { return events_; }
    int findings() const { return findings_; }
    int elapsedSeconds() const { return int(clock_.elapsed() / 1000); }

    // Runs on its own thread: a user-interface thread that stops ticking for 10 s is a finding.
    void watch(pthread_t userInterface)
    {
        while (!stopWatching_) {
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
            const auto silent = std::chrono::milliseconds(clock_.elapsed() - heartbeat_.load());
            if (silent < hangLimit || stopWatching_) continue;
            std::fprintf(stderr, "monkey: FINDING: no answer for %lld s; last event: %s\n",
                         static_cast<long long>(std::chrono::duration_cast<std::chrono::seconds>(silent).count()),
                         lastEvent_.c_str());
            pthread_kill(userInterface, SIGUSR2);
            std::this_thread::sleep_for(std::chrono::seconds(1));
            std::fprintf(stderr, "monkey-driver: %ld events, %d findings\n", events_.load(), findings_.load() + 1);
            std::fflush(stderr);
            std::_Exit(3);
        }
    }
    void stopWatching() { stopWatching_ = true; }

    void finding(const std::string& what)
    {
        ++findings_;
        std::cerr << "monkey: FINDING: " << what << "; event " << events_ << ": " << lastEvent_ << std::endl;
        log_ << "FINDING: " << what << std::endl;
    }

private:
    // --- the clock of the run ------------------------------------------------------------------

    void tick()
    {
        heartbeat_ = clock_.elapsed();
        checkFiles(allowedWrites());
        if (scheduled_) return;
        const bool timeUp = clock_.elapsed() >= qint64(seconds_) * 1000 || (maxEvents_ >= 0 && events_ >= maxEvents_);
        if (timeUp) {
            finish();
            return;
        }
        scheduled_ = true;
        // Each event runs from its own zero timer, so that one which opens a modal window leaves
        // this timer free to go on ticking inside that window's event loop.
        QTimer::singleShot(0, this, [this] {
            scheduled_ = false;
            if (!finishing_) nextEvent();
        });
    }

    // Closes what is open, top first, then chooses Exit as a user would.
    void finish()
    {
        if (!finishing_) {
            finishing_ = true;
            finishStarted_ = clock_.elapsed();
        }
        if (QWidget* popup = QApplication::activePopupWidget()) {
            popup->close();
            return;
        }
        if (QWidget* modal = QApplication::activeModalWidget()) {
            if (clock_.elapsed() - lastClose_ < 200) return;
            lastClose_ = clock_.elapsed();
            if (auto* messageBox = qobject_cast<QMessageBox*>(modal)) {
                if (QAbstractButton* button =
                        messageBox->escapeButton() ? messageBox->escapeButton() : messageBox->defaultButton())
                    button->click();
                else
                    messageBox->reject();
            } else if (modal->inherits("TdlgConvertFP")) {
                if (auto buttons = usable<QAbstractButton>(modal); !buttons.empty()) buttons.front()->click();
            } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                dialog->reject();
            } else {
                modal->close();
            }
            return;
        }
        if (!exitChosen_) {
            exitChosen_ = true;
            QTimer::singleShot(0, &form_, [this] {
                act(QStringLiteral("menu File > Exit"), WritesNothing, [this] { form_.Exit1->trigger(); });
            });
            return;
        }
        if (clock_.elapsed() - finishStarted_ > 10000) {
            finding("Exit did not end the program within 10 s");
            QApplication::exit(0);
        }
    }

    // --- choosing an event ------------------------------------------------------------------------

    int below(int n) { return n <= 1 ? 0 : int(std::uniform_int_distribution<int>(0, n - 1)(random_)); }
    bool chance(int percent) { return below(100) < percent; }
    template <class T>
    T* pick(const std::vector<T*>& from)
    {
        return from.empty() ? nullptr : from[std::size_t(below(int(from.size())))];
    }

    void nextEvent()
    {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            inPopup(popup);
            return;
        }
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            modalEvents_ = 0;
            if (form_.optionDlg->isVisible() && chance(25)) {
                inWindow(form_.optionDlg, WritesNothing);
                return;
            }
            inMainWindow();
            return;
        }
        if (modal != lastModal_) {
            lastModal_ = modal;
            modalEvents_ = 0;
        }
        ++modalEvents_;
        if (qobject_cast<QMessageBox*>(modal)) {
            if (auto buttons = usable<QAbstractButton>(modal); !buttons.empty()) click(pick(buttons), WritesNothing);
        } else if (auto* files = qobject_cast<QFileDialog*>(modal)) {
            inFileDialog(files);
        } else if (modal->inherits("TdlgConvertFP")) {
            // Mostly let the run go on; now and then stop it (or press "Ok" once it is done).
            if (chance(15))
                if (auto buttons = usable<QAbstractButton>(modal); !buttons.empty())
                    click(buttons.front(), WritesNothing);
        } else if (qobject_cast<QPrintPreviewDialog*>(modal)) {
            // Its tool bar prints on paper; the monkey only looks and closes.
            if (chance(20)) closeBox(modal, WritesNothing);
        } else {
            const unsigned writes = qobject_cast<TAManager*>(modal)      ? WritesAirports
                                    : qobject_cast<TFlagManager*>(modal) ? WritesFlags
                                                                         : WritesNothing;
            // A person leaves a dialog sooner or later; so does the monkey.
            if (modalEvents_ > 40 && chance(20)) {
                if (chance(50))
                    key(modal, Qt::Key_Escape, writes);
                else
                    closeBox(modal, WritesNothing);
                return;
            }
            inWindow(modal, writes);
        }
    }

    void inMainWindow()
    {
        const int choice = below(100);
        if (choice < 12) {
            menuChoice();
        } else if (choice < 16) {
            openMenu();
        } else {
            inWindow(&form_, WritesNothing);
        }
    }

    void menuChoice()
    {
        std::vector<QAction*> actions;
        for (QAction* action :
             {form_.LoadFlightPlans1, form_.PrintTimeTable1, form_.AirportManager1, form_.FlagManager1, form_.Aircraft1,
              form_.FlightPlan1, form_.ViewLog1, form_.General1, form_.CustomDateTime1, form_.About1,
              form_.AirportManager1, form_.FlagManager1, form_.FlightPlan1, form_.CheckFlightPlans1})
            if (action->isEnabled()) actions.push_back(action);
        QAction* action = pick(actions);
        if (!action) return;
        QString path = action->text();
        if (auto* menu = qobject_cast<QMenu*>(action->parent())) path = menu->title() + QStringLiteral(" > ") + path;
        act(QStringLiteral("menu %1").arg(path), WritesNothing, [action] { action->trigger(); });
    }

    void openMenu()
    {
        const QList<QAction*> menus = form_.menuBar()->actions();
        QAction* menu = menus[below(int(menus.size()))];
        act(QStringLiteral("click menu bar \"%1\"").arg(menu->text()), WritesNothing, [this, menu] {
            QTest::mouseClick(form_.menuBar(), Qt::LeftButton, {}, form_.menuBar()->actionGeometry(menu).center());
        });
    }

    void inPopup(QWidget* popup)
    {
        if (auto* menu = qobject_cast<QMenu*>(popup)) {
            std::vector<QAction*> actions;
            for (QAction* action : menu->actions())
                if (action->isEnabled() && !action->isSeparator() && action != form_.Exit1 && !action->menu())
                    actions.push_back(action);
            if (actions.empty() || chance(20)) {
                key(popup, Qt::Key_Escape, WritesNothing);
                return;
            }
            QAction* action = pick(actions);
            act(QStringLiteral("click menu item \"%1\"").arg(action->text()), WritesNothing,
                [menu, action] { QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center()); });
            return;
        }
        if (auto* view = popup->findChild<QAbstractItemView*>(); view && chance(70)) {
            clickCell(view, false);
            return;
        }
        key(popup, chance(50) ? Qt::Key_Escape : Qt::Key_Down, WritesNothing);
    }

    void inFileDialog(QFileDialog* dialog)
    {
        if (modalEvents_ < 3) return;  // a person looks before choosing
        if (chance(50)) {
            act(QStringLiteral("cancel %1").arg(describe(dialog)), WritesNothing, [dialog] { dialog->reject(); });
            return;
        }
        QString file;
        if (dialog->acceptMode() == QFileDialog::AcceptSave) {
            file = QString::fromStdString((programFolder_ / "saved.log").string());
        } else {
            const QStringList files = dialog->directory().entryList(QDir::Files);
            if (files.isEmpty()) return;
            file = dialog->directory().filePath(files[below(int(files.size()))]);
        }
        act(QStringLiteral("choose %1 in %2").arg(file, describe(dialog)), WritesNothing, [dialog, file] {
            dialog->selectFile(file);
            static_cast<QDialog*>(dialog)->accept();
        });
    }

    // One event somewhere in `window`. `writes` says which files the window's own saving
    // events (its default button, Esc, Enter) may write.
    void inWindow(QWidget* window, unsigned writes)
    {
        const auto buttons = usable<QAbstractButton>(window);
        const auto views = usable<QAbstractItemView>(window);
        std::vector<QWidget*> boxes;
        for (auto* box : usable<QComboBox>(window)) boxes.push_back(box);
        for (auto* box : usable<QAbstractSpinBox>(window)) boxes.push_back(box);
        for (auto* box : usable<QLineEdit>(window))
            if (!partOfAnotherControl(box)) boxes.push_back(box);

        const int choice = below(100);
        if (choice < 35 && !views.empty()) {
            QAbstractItemView* view = pick(views);
            if (chance(30))
                editCell(view, writes);
            else
                clickCell(view, chance(10));
        } else if (choice < 65 && !buttons.empty()) {
            QAbstractButton* button = pick(buttons);
            click(button, savingButton(button) ? writes : WritesNothing);
        } else if (choice < 80 && !boxes.empty()) {
            typeInto(pick(boxes), writes);
        } else {
            QWidget* target = QApplication::focusWidget() && QApplication::focusWidget()->window() == window
                                  ? QApplication::focusWidget()
                                  : window;
            static const Qt::Key keys[] = {Qt::Key_Down,   Qt::Key_Up,     Qt::Key_PageDown, Qt::Key_PageUp,
                                           Qt::Key_Home,   Qt::Key_End,    Qt::Key_Tab,      Qt::Key_Left,
                                           Qt::Key_Right,  Qt::Key_Space,  Qt::Key_Return,   Qt::Key_Escape,
                                           Qt::Key_Insert, Qt::Key_Delete, Qt::Key_F2};
            const Qt::Key pressed = keys[below(int(std::size(keys)))];
            if (window == &form_ && pressed == Qt::Key_Escape) return;
            const bool control =
                window != &form_ && (pressed == Qt::Key_Delete || pressed == Qt::Key_Return) && chance(30);
            key(target, pressed, writes, control ? Qt::ControlModifier : Qt::NoModifier);
        }
    }

    // The line edits inside combo boxes, spin boxes and cell editors are reached through those.
    static bool partOfAnotherControl(const QWidget* edit)
    {
        for (const QWidget* up = edit->parentWidget(); up && !up->isWindow(); up = up->parentWidget())
            if (qobject_cast<const QComboBox*>(up) || qobject_cast<const QAbstractSpinBox*>(up) ||
                qobject_cast<const QAbstractItemView*>(up))
                return true;
        return false;
    }

    static bool savingButton(const QAbstractButton* button)
    {
        const QWidget* window = button->window();
        if (auto* manager = qobject_cast<const TAManager*>(window)) return button == manager->Button1;
        if (auto* flags = qobject_cast<const TFlagManager*>(window)) return button == flags->FMOkButton;
        return false;
    }

    // --- the events themselves ------------------------------------------------------------------

    void click(QAbstractButton* button, unsigned writes)
    {
        act(QStringLiteral("click %1 in %2").arg(describe(button), describe(button->window())), writes,
            [button] { QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center()); });
    }

    void closeBox(QWidget* window, unsigned writes)
    {
        act(QStringLiteral("close box of %1").arg(describe(window)), writes, [window] { window->close(); });
    }

    void key(QWidget* target, Qt::Key pressed, unsigned writes, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        // Enter and Esc are how a window's default button or Close is pressed from the keyboard,
        // and Space presses the button that has the focus.
        const auto* button = qobject_cast<const QAbstractButton*>(target);
        const bool saving = pressed == Qt::Key_Escape || pressed == Qt::Key_Return || pressed == Qt::Key_Enter ||
                            (pressed == Qt::Key_Space && button && savingButton(button));
        act(QStringLiteral("key %1%2 in %3")
                .arg(modifiers & Qt::ControlModifier ? QStringLiteral("Ctrl+") : QString(),
                     QKeySequence(pressed).toString(), describe(target)),
            saving ? writes : WritesNothing,
            [target, pressed, modifiers] { QTest::keyClick(target, pressed, modifiers); });
    }

    QModelIndex randomCell(QAbstractItemView* view)
    {
        QAbstractItemModel* model = view->model();
        if (!model || model->rowCount(view->rootIndex()) == 0 || model->columnCount(view->rootIndex()) == 0) return {};
        const QModelIndex index = model->index(below(model->rowCount(view->rootIndex())),
                                               below(model->columnCount(view->rootIndex())), view->rootIndex());
        view->scrollTo(index);
        return view->visualRect(index).isEmpty() ? QModelIndex{} : index;
    }

    void clickCell(QAbstractItemView* view, bool twice)
    {
        const QModelIndex index = randomCell(view);
        if (!index.isValid()) return;
        const QPoint at = view->visualRect(index).center();
        act(QStringLiteral("%1 cell %2,%3 of %4 in %5")
                .arg(twice ? QStringLiteral("double-click") : QStringLiteral("click"))
                .arg(index.row())
                .arg(index.column())
                .arg(describe(view), describe(view->window())),
            WritesNothing, [view, at, twice] {
                if (twice)
                    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
                else
                    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
            });
    }

    void editCell(QAbstractItemView* view, unsigned writes)
    {
        const QModelIndex index = randomCell(view);
        if (!index.isValid()) return;
        const QString text = randomText();
        QPointer<QWidget> editor;
        act(QStringLiteral("type \"%1\" into cell %2,%3 of %4 in %5")
                .arg(text)
                .arg(index.row())
                .arg(index.column())
                .arg(describe(view), describe(view->window())),
            WritesNothing, [view, index, text, &editor] {
                QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
                QTest::keyClick(view, Qt::Key_F2);
                editor = QApplication::focusWidget();
                if (!editor || editor->window() != view->window()) editor = view;
                QTest::keyClicks(editor, text);
            });
        if (editor && chance(70)) key(editor, chance(80) ? Qt::Key_Return : Qt::Key_Escape, writes);
    }

    void typeInto(QWidget* box, unsigned writes)
    {
        QString text;
        if (qobject_cast<QAbstractSpinBox*>(box))
            text = QString::number(below(130));
        else
            text = randomText();
        QWidget* target = box;
        if (auto* combo = qobject_cast<QComboBox*>(box); combo && combo->lineEdit()) target = combo->lineEdit();
        const bool selectAll = chance(30);
        QPointer<QWidget> typed = target;
        act(QStringLiteral("type \"%1\" into %2 in %3").arg(text, describe(box), describe(box->window())),
            WritesNothing, [box, target, text, selectAll] {
                box->setFocus(Qt::OtherFocusReason);
                if (selectAll) QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
                QTest::keyClicks(target, text);
            });
        if (typed && chance(40)) key(typed, Qt::Key_Return, writes);
    }

    QString randomText()
    {
        static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 abcxyz";
        QString text;
        for (int n = 1 + below(6); n > 0; --n) text += QLatin1Char(letters[below(int(sizeof letters - 1))]);
        return text;
    }

    // --- what happened ----------------------------------------------------------------------------

    // Runs one event: announced in the log first, its saves checked when it returns.
    void act(const QString& what, unsigned writes, const std::function<void()>& event)
    {
        record(what, writes);
        event();
        done();
    }

    void record(const QString& what, unsigned writes)
    {
        ++events_;
        lastEvent_ = QStringLiteral("%1 (t=%2 s)").arg(what).arg(clock_.elapsed() / 1000.0, 0, 'f', 1).toStdString();
        log_ << events_.load() << ' ' << lastEvent_ << std::endl;
        running_.push_back(writes);
    }

    // The event that record() announced has returned; what it saved must be what it may save.
    void done()
    {
        if (running_.empty()) return;
        const unsigned writes = allowedWrites();
        running_.pop_back();
        checkFiles(writes);
    }

    unsigned allowedWrites() const
    {
        unsigned writes = WritesNothing;
        for (unsigned w : running_) writes |= w;  // an event still running (its modal window open) may still save
        return writes;
    }

    void checkFiles(unsigned allowed)
    {
        const unsigned bits[2] = {WritesAirports, WritesFlags};
        for (std::size_t i = 0; i < 2; ++i) {
            WatchedFile& file = watched_[i];
            if (!file.refresh()) continue;
            if (!(allowed & bits[i])) {
                finding("\"" + file.name + "\" was written by an event that does not save it");
                continue;
            }
            log_ << "  saved " << file.name << std::endl;
            try {
                if (i == 0)
                    quorvel::tables::AirportLookup{}.load(file.path);
                else
                    quorvel::flags::FlagList{}.load(file.path);
            } catch (const std::exception& e) {
                finding("\"" + file.name + "\" was saved but does not read back: " + e.what());
            }
        }
    }

    TMainForm& form_;
    std::mt19937_64 random_;
    int seconds_;
    long maxEvents_;
    fs::path programFolder_;
    std::ofstream log_;
    QTimer tick_;
    QElapsedTimer clock_;
    std::atomic<qint64> heartbeat_;
    std::atomic<bool> stopWatching_ = false;
    std::atomic<long> events_ = 0;
    std::atomic<int> findings_ = 0;
    std::string lastEvent_ = "(none yet)";
    std::vector<unsigned> running_;
    WatchedFile watched_[2];
    QWidget* lastModal_ = nullptr;
    int modalEvents_ = 0;
    bool scheduled_ = false;
    bool finishing_ = false;
    bool exitChosen_ = false;
    qint64 finishStarted_ = 0;
    qint64 lastClose_ = 0;
};

struct Arguments {
    fs::path programFolder;
    fs::path executable;
    fs::path eventLog = "monkey-events.log";
    std::uint64_t seed = 1;
    int seconds = 60;
    long events = -1;
};

Arguments parse(int argc, char** argv)
{
    Arguments arguments;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw std::invalid_argument(option + " needs a value");
            return argv[++i];
        };
        if (option == "--program-folder")
            arguments.programFolder = value();
        else if (option == "--executable")
            arguments.executable = value();
        else if (option == "--event-log")
            arguments.eventLog = value();
        else if (option == "--seed")
            arguments.seed = std::stoull(value());
        else if (option == "--seconds")
            arguments.seconds = std::stoi(value());
        else if (option == "--events")
            arguments.events = std::stol(value());
        else
            throw std::invalid_argument("unknown option " + option);
    }
    if (arguments.programFolder.empty()) throw std::invalid_argument("--program-folder is needed");
    if (arguments.executable.empty()) arguments.executable = arguments.programFolder / "quorvel";
    return arguments;
}

}  // namespace

int main(int argc, char** argv)
{
    QuorvelApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    Arguments arguments;
    try {
        arguments = parse(argc, argv);
    } catch (const std::exception& e) {
        std::cerr
            << "qrvl-monkey: " << e.what()
            << "\nusage: qrvl-monkey --program-folder DIR [--executable FILE] [--seed S] [--seconds N] [--events N] "
               "[--event-log FILE]\n";
        return 2;
    }
    std::signal(SIGUSR2, printStack);

    quorvel::app::ProgramEnvironment environment;
    environment.programFolder = arguments.programFolder;
    environment.executable = arguments.executable;
    environment.winePrefix = quorvel::platform::winePrefix(std::getenv("WINEPREFIX"), std::getenv("HOME"));
    environment.settingsFile = quorvel::app::settingsPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));

    MessageBoxPrompter prompter;
    EventLoopSleeper sleeper;
    QtWaits waits;
    QtFileDialogs fileDialogs;
    quorvel::SystemClock clock;
    quorvel::platform::SystemTimeZone timeZone;
    application.setErrorPrompter(&prompter);
    quorvel::platform::SystemFileClock fileClock;
    MainFormServices services{clock,
                              timeZone,
                              fileClock,
                              sleeper,
                              prompter,
                              fileDialogs,
                              [] { return std::make_unique<TSplashForm>(); },
                              showAboutBox,
                              dialogPreviewer(),
                              &waits};
    const auto settingsBefore =
        fs::exists(environment.settingsFile) ? fs::last_write_time(environment.settingsFile) : fs::file_time_type{};
    int findings = 0;
    long events = 0;
    int seconds = 0;
    try {
        TMainForm form(environment, services);
        form.createDialogs();
        form.show();
        Monkey monkey(form, arguments.seed, arguments.seconds, arguments.events, arguments.programFolder,
                      arguments.eventLog);
        std::thread watchdog([&monkey, ui = pthread_self()] { monkey.watch(ui); });
        QApplication::exec();
        monkey.stopWatching();
        watchdog.join();
        findings = monkey.findings();
        events = monkey.events();
        seconds = monkey.elapsedSeconds();
    } catch (const std::exception& e) {
        std::cerr << "monkey: FINDING: the program ended with an error: " << e.what() << '\n';
        ++findings;
    }
    if (!fs::exists(environment.settingsFile) || fs::last_write_time(environment.settingsFile) == settingsBefore) {
        std::cerr << "monkey: FINDING: the settings were not written when the program ended\n";
        ++findings;
    }
    std::cerr << "monkey-driver: " << seconds << " seconds, " << events << " events, " << findings << " findings"
              << std::endl;
    return findings > 0 ? 1 : 0;
}
