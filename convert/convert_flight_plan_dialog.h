// convert/convert_flight_plan_dialog.h: the modal progress dialog of one conversion. Creating it
// replaces "flight.cds" by an empty table; showing it starts the run; its one button stops the
// run and closes, and after a finished run reads "Ok" and closes.
#pragma once

#include "convert/conversion_run.h"
#include "platform/interaction.h"
#include "platform/time_zone.h"

#include <QDialog>
#include <filesystem>
#include <memory>
#include <string>

namespace quorvel::ui {
class FlightConvertThread;
}
class QLabel;
class QProgressBar;
class QPushButton;
class TdlgCLog;

class TdlgConvertFP final : public QDialog {
    Q_OBJECT
public:
    // `flightPlanSetting` is FlpName (Windows-1252; a bare name is a file of `programFolder`).
    // `airports`, `log` and `prompter` must outlive the dialog. Runs FormCreate, whose
    // quorvel::Error (flight.cds cannot be replaced) leaves the constructor: nothing was started.
    // With `skipBadLines` the lines with a bad time or number are left out and logged.
    TdlgConvertFP(const std::filesystem::path& programFolder, const std::string& flightPlanSetting, bool overrideDst,
                  const quorvel::tables::AirportLookup& airports, TdlgCLog& log, quorvel::Prompter& prompter,
                  quorvel::platform::TimeZone zone, bool skipBadLines, QWidget* parent = nullptr);
    // Stops the run and joins it; reports it had not delivered yet are dropped.
    ~TdlgConvertFP() override;

    void FormCreate();
    void FormShow();      // starts the run; runs on the first show
    void Button1Click();  // stop request and close with Cancel
    quorvel::ui::FlightConvertThread& worker() { return *worker_; }

    QProgressBar* ProgressBar1;
    QLabel* Label1;
    QPushButton* Button1;

public slots:
    void reject() override;  // every way out of the dialog stops the run

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    quorvel::convert::ConvertInputs inputs_;
    TdlgCLog& log_;
    quorvel::Prompter& prompter_;
    std::unique_ptr<quorvel::ui::FlightConvertThread> worker_;
};
