// convert/traffic_check_dialog.h: Convert > "Check FlightPlans...": the traffic check of the
// configured files in a window, before a conversion replaces the flight table.
//
// The check (convert/traffic_check.h) runs on a thread of its own from the moment the window is
// made; the window polls its progress and shows a bar once it takes longer than a moment. Then it
// shows the summary, the problems in a table that sorts and filters by severity, kind and file,
// and on a double-click the whole line with the faulty field marked. It exports the same CSV and
// HTML as qrvl-tool check. Its convert buttons close it with the user's choice; the main window
// runs the conversion.
#pragma once

#include "convert/traffic_check.h"
#include "platform/interaction.h"

#include <QDialog>
#include <atomic>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;
class QTextEdit;
class QTimer;

namespace quorvel::ui {

class TrafficCheckModel;
class TrafficCheckFilter;

enum class CheckChoice {
    None,                     // closed without converting
    Convert,                  // the conversion as it always runs: it stops on the first error
    ConvertSkippingBadLines,  // the conversion that leaves out the lines with errors
};

class TrafficCheckDialog final : public QDialog {
    Q_OBJECT
public:
    // Starts the check. `inputs.airports`, `prompter` and `fileDialogs` must outlive the window;
    // exports start in `exportFolder`. `canConvert` is false while there is no aircraft table.
    TrafficCheckDialog(quorvel::convert::CheckInputs inputs, quorvel::Prompter& prompter,
                       quorvel::FileDialogs& fileDialogs, std::filesystem::path exportFolder, bool canConvert,
                       QWidget* parent = nullptr);
    ~TrafficCheckDialog() override;  // ends a check still running and joins it

    void waitForCheck();  // blocks until the check has ended and shows its result
    bool checking() const { return !result_ && error_.empty(); }
    const std::optional<quorvel::convert::CheckResult>& checkResult() const { return result_; }
    CheckChoice choice() const { return choice_; }

    void showLine(const QModelIndex& index);  // a row of problemView: its whole line, the field marked
    void exportCsv();
    void exportHtml();
    std::string htmlPage() const;  // what exportHtml() writes; empty before the result
    void convertClick();
    void convertSkippingClick();

    QLabel* summaryLabel;
    QProgressBar* progressBar;
    QComboBox* severityBox;
    QComboBox* kindBox;
    QComboBox* fileBox;
    QTableView* problemView;
    QLabel* placeLabel;
    QTextEdit* lineView;
    QPushButton* exportCsvButton;
    QPushButton* exportHtmlButton;
    QPushButton* convertButton;
    QPushButton* skipButton;
    QPushButton* closeButton;
    TrafficCheckModel* model;
    TrafficCheckFilter* filter;

private:
    void poll();        // GUI thread: progress, and the result once the check has ended
    void showResult();  // GUI thread, after the join
    void fillFilters();
    void applyFilters();
    void exportAs(const char* filter, const char* suffix, const std::string& bytes);

    quorvel::convert::CheckInputs inputs_;
    quorvel::Prompter& prompter_;
    quorvel::FileDialogs& fileDialogs_;
    std::filesystem::path exportFolder_;
    bool canConvert_;
    CheckChoice choice_ = CheckChoice::None;
    QTimer* pollTimer_;

    std::atomic<bool> cancel_{false};
    std::atomic<bool> ended_{false};
    std::atomic<std::size_t> done_{0};
    std::atomic<std::size_t> total_{0};
    std::optional<quorvel::convert::CheckResult> checked_;  // the thread's, read after the join
    std::string failure_;                                   // the thread's, read after the join
    std::optional<quorvel::convert::CheckResult> result_;   // GUI thread
    std::string error_;                                     // GUI thread: why the check could not run
    std::jthread worker_;
};

}  // namespace quorvel::ui
