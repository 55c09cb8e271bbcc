// The program's entry: the real clock, waits, message boxes and file dialogs, the windows in
// their order, and the message loop.

#include "about/about_dialog.h"
#include "about/splash_form.h"
#include "app/main_form.h"
#include "app/quorvel_application.h"
#include "app/settings.h"
#include "platform/file_stamp_cache.h"
#include "platform/program_folder.h"
#include "platform/wine_paths.h"
#include "widgets/message_box_prompter.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QTimer>
#include <QUrl>
#include <cstdlib>
#include <filesystem>
#include <iostream>

using namespace quorvel::ui;

namespace {

quorvel::app::ProgramEnvironment programEnvironment()
{
    quorvel::app::ProgramEnvironment environment;
    std::error_code error;
    environment.executable = std::filesystem::read_symlink("/proc/self/exe", error);
    // Installed, the tables live in the user's data folder, filled from the shipped files at the first start.
    const quorvel::platform::ProgramFolder place = quorvel::platform::thisProgramFolder();
    quorvel::platform::prepareProgramFolder(place);
    environment.programFolder = place.folder;
    environment.winePrefix = quorvel::platform::winePrefix(std::getenv("WINEPREFIX"), std::getenv("HOME"));
    environment.settingsFile = quorvel::app::settingsPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
    return environment;
}

}  // namespace

int main(int argc, char** argv)
{
    QuorvelApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    // The menu entry's name: desktops find the window's icon through it.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quorvel.Quorvel"));
    MessageBoxPrompter prompter;
    EventLoopSleeper sleeper;
    QtFileDialogs fileDialogs;
    quorvel::SystemClock clock;
    quorvel::platform::SystemTimeZone timeZone;
    QtWaits waits;
    quorvel::platform::SystemFileClock fileClock;
    application.setErrorPrompter(&prompter);

    try {
        MainFormServices services{clock,
                                  timeZone,
                                  fileClock,
                                  sleeper,
                                  prompter,
                                  fileDialogs,
                                  [] { return std::make_unique<TSplashForm>(); },
                                  showAboutBox,
                                  dialogPreviewer(),
                                  &waits,
                                  [](const std::string& url) { QDesktopServices::openUrl(QUrl(QString::fromStdString(url))); }};
        TMainForm mainForm(programEnvironment(), services);
        mainForm.createDialogs();
        mainForm.show();
        // For the tests of an installed copy: start up, then close as Exit does.
        if (QApplication::arguments().contains(QStringLiteral("--quit-after-start")))
            QTimer::singleShot(0, mainForm.Exit1, &QAction::trigger);
        return QApplication::exec();
    } catch (const quorvel::app::StartupAborted&) {
        return 1;
    } catch (const std::exception& e) {
        // An error that escapes the windows' creation or the message loop is a failure, not a success.
        std::cerr << "quorvel: " << e.what() << '\n';
        prompter.message("Error", e.what());
        return 1;
    }
}
