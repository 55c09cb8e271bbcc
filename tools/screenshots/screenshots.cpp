// qrvl-screenshots: the program's real windows over the demo, saved as pictures, so people can
// look at what they build: the board (departures and arrivals), the options dialog and the
// print preview. tools/screenshots/take runs it on the demo under Xvfb.

#include "app/main_form.h"
#include "app/message_box_prompter.h"
#include "app/option_dialog.h"
#include "app/quorvel_application.h"
#include "app/radio_group.h"
#include "app/settings.h"
#include "platform/file_stamp_cache.h"
#include "platform/wine_paths.h"

#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QScreen>
#include <QTimer>
#include <cstdlib>
#include <iostream>

namespace {

class NoSplash final : public quorvel::about::SplashScreen {
public:
    void show() override {}
    void say(std::string_view) override {}
    void setGaugeRange(int, int) override {}
    void setGauge(int value) override { gauge_ = value; }
    int gauge() const override { return gauge_; }
    void close() override {}

private:
    int gauge_ = 0;
};

class NoWait final : public quorvel::Sleeper {
public:
    void wait(std::chrono::milliseconds) override {}
};

void save(QWidget& window, const QString& file)
{
    QApplication::processEvents();
    if (!window.grab().save(file)) std::cerr << "cannot write " << file.toStdString() << '\n';
    else std::cout << file.toStdString() << '\n';
}

}  // namespace

int main(int argc, char** argv)
{
    QuorvelApplication application(argc, argv);
    const QString out = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral(".");
    if (argc < 2) {
        std::cerr << "usage: qrvl-screenshots PROGRAM_FOLDER [OUT_FOLDER]\n";
        return 2;
    }
    quorvel::app::ProgramEnvironment environment;
    environment.programFolder = argv[1];
    environment.executable = environment.programFolder / "quorvel";
    environment.winePrefix = quorvel::platform::winePrefix(std::getenv("WINEPREFIX"), std::getenv("HOME"));
    environment.settingsFile = quorvel::app::settingsPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));

    MessageBoxPrompter prompter;
    NoWait sleeper;
    QtFileDialogs fileDialogs;
    quorvel::SystemClock clock;
    quorvel::platform::SystemFileClock fileClock;
    application.setErrorPrompter(&prompter);
    const auto preview = [&out](QPrinter& printer, const std::function<void(QPrinter*)>& paint) {
        QPrintPreviewDialog dialog(&printer);
        dialog.resize(820, 900);
        QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, paint);
        QTimer::singleShot(300, &dialog, [&dialog, &out] {
            if (auto* view = dialog.findChild<QPrintPreviewWidget*>()) view->fitToWidth();
            QApplication::processEvents();
            save(dialog, out + "/print-preview.png");
            dialog.accept();
        });
        dialog.exec();
    };
    MainFormServices services{clock, fileClock, sleeper, prompter, fileDialogs, [] { return std::make_unique<NoSplash>(); },
                              [](const std::filesystem::path&) {}, preview};
    TMainForm form(environment, services);
    form.createDialogs();
    form.show();
    save(form, out + "/board-departures.png");
    form.RadioGroup1->setItemIndex(1);
    form.DBLookupComboBox1Click();
    save(form, out + "/board-arrivals.png");
    form.optionDlg->show();
    save(*form.optionDlg, out + "/options.png");
    form.optionDlg->hide();
    form.RadioGroup1->setItemIndex(0);
    form.DBLookupComboBox1Click();
    form.PrintTimeTable1Click();
    return 0;
}
