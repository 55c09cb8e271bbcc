// app/option_dialog.h: the options dialog, which edits the settings the main window holds.
//
// It exists, hidden, for the whole run and is filled from the settings only once, when it is
// created; after Cancel the controls keep what the user left in them. OK writes the controls back
// into the settings; the file itself is written only when the main window closes.
#pragma once

#include "app/settings.h"
#include "platform/interaction.h"
#include "tables/airport_table.h"
#include "widgets/radio_group.h"

#include <QDialog>
#include <QString>
#include <functional>
#include <optional>
#include <string>

namespace quorvel::ui {
class AirportBox;
}
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;

// What OK asks of the main window; an empty hook is skipped.
struct OptionDlgHooks {
    std::function<void()> redrawStatusBar;  // after the daylight-saving override was switched
    std::function<void()> applyColours;     // paint the board with settings.gridColor / fontColor
    std::function<void()> runBoardQuery;    // after the traffic percent changed
};

// Airport lookup over a model whose Qt::UserRole holds the ICAO code. An empty or unlisted code
// leaves the box showing nothing.

class TOptionDlg final : public QDialog {
    Q_OBJECT
public:
    // `settings` and `airports` (DisplayRole DESCRIPTION, Qt::UserRole ICAO_CODE) must outlive the dialog.
    // Runs FormCreate; an error it raises is kept in createError() for the caller to report.
    TOptionDlg(quorvel::app::Settings& settings, const quorvel::tables::AirportLookup& airports,
               quorvel::Prompter& prompter, OptionDlgHooks hooks, QWidget* parent = nullptr);

    // Fills the controls from the settings. A colour text that is neither a colour identifier nor
    // a number shows that setting's default colour in its box and throws quorvel::Error
    // (colourError's message) once every other control is filled, so the dialog stays usable.
    void FormCreate();
    void FormShow();  // remembers shownTrafficPercent; runs whenever the dialog is shown
    // Controls -> settings, warnings, colours, close, board query; all of it or, when the colours
    // cannot be applied, none of it.
    void OKBtnClick();
    void CancelBtnClick();

    // The message of the error FormCreate raised while the constructor ran it, if any.
    const std::optional<std::string>& createError() const { return createError_; }
    const std::string& shownTrafficPercent() const { return shownTrafficPercent_; }

    QTabWidget* PageControl1;
    // General
    QLabel* Label1;
    quorvel::ui::AirportBox* DBLookupComboBox1;
    QCheckBox* CBLoadFP;
    QLabel* Label2;
    QLineEdit* flpname;
    QLabel* Label3;
    QLineEdit* airname;  // turns every letter into lower case
    // Aircraft
    quorvel::ui::RadioGroup* RGSAirline;  // item 0: by "atc_airline", item 1: by "ui_variation"
    // FlightPlan
    QCheckBox* CBOvrDST;
    QLabel* Label4;
    QSpinBox* CSpinEdit1;  // 0..100, stepped with the arrows only
    // Behaviour
    QLabel* Label5;
    QComboBox* TTBackColorBox;  // Qt::UserRole holds the colour identifier
    QLabel* Label6;
    QComboBox* TTFontColorBox;
    // Bottom row
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QPushButton* HelpBtn;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    // False for a text that names no colour; the box then shows `fallback` (an identifier).
    bool selectColour(QComboBox& box, const std::string& text, const std::string& fallback);
    quorvel::app::Settings chosenSettings() const;  // the settings as the controls show them

    quorvel::app::Settings& settings_;
    const quorvel::tables::AirportLookup& airports_;
    quorvel::Prompter& prompter_;
    OptionDlgHooks hooks_;
    std::string shownTrafficPercent_;
    std::optional<std::string> createError_;
};
