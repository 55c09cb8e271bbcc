#include "app/option_dialog.h"
#include "platform/error.h"
#include "tests/support/fakes.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include "tables/airport_box_widget.h"
#include "tables/airport_table.h"

using quorvel::app::Settings;
using namespace quorvel::ui;
using quorvel::test::ScriptedPrompter;
using quorvel::test::Shown;

namespace {

// The main window's lookup copy, kept in description order.
quorvel::tables::AirportLookup testAirports()
{
    quorvel::tables::Table table(quorvel::tables::airportSchema());
    for (const auto& [code, description] : {std::pair{"LIRF", "Roma Fiumicino"}, std::pair{"EGLL", "London Heathrow"},
                                            std::pair{"KJFK", "New York Kennedy"}}) {
        const auto row = table.appendRow();
        table.setText(row, quorvel::tables::AirportCode, code);
        table.setText(row, quorvel::tables::AirportDescription, description);
    }
    quorvel::tables::AirportLookup lookup;
    lookup.assign(table);
    return lookup;
}

class OptionDialog : public ::testing::Test {
protected:
    TOptionDlg& dialog()
    {
        if (!dialog_) {
            dialog_ = std::make_unique<TOptionDlg>(
                settings, airports, prompter,
                OptionDlgHooks{[this] { ++statusBarRedraws; },
                               [this] { appliedColours.push_back(settings.gridColor + "/" + settings.fontColor); },
                               [this] { ++boardQueries; }});
        }
        return *dialog_;
    }
    void typeInto(QWidget* widget, Qt::Key key, const QString& text = {})
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(widget, &press);
    }
    void selectColour(QComboBox* box, const char* identifier)
    {
        box->setCurrentIndex(box->findData(QString::fromUtf8(identifier)));
        ASSERT_GE(box->currentIndex(), 0) << identifier;
    }

    Settings settings;
    quorvel::tables::AirportLookup airports = testAirports();
    ScriptedPrompter prompter;
    int statusBarRedraws = 0;
    int boardQueries = 0;
    std::vector<std::string> appliedColours;
    std::unique_ptr<TOptionDlg> dialog_;
};

}  // namespace

TEST_F(OptionDialog, CaptionsHintsAndLayout)
{
    TOptionDlg& d = dialog();
    EXPECT_EQ(d.windowTitle(), "Quorvel - Options");
    EXPECT_EQ(d.size(), QSize(427, 300));
    EXPECT_EQ(d.minimumSize(), d.maximumSize());
    ASSERT_EQ(d.PageControl1->count(), 4);
    EXPECT_EQ(d.PageControl1->tabText(0), "General");
    EXPECT_EQ(d.PageControl1->tabText(1), "Aircraft");
    EXPECT_EQ(d.PageControl1->tabText(2), "FlightPlan");
    EXPECT_EQ(d.PageControl1->tabText(3), "Behaviour");

    const struct {
        QWidget* widget;
        QString caption;
        QString hint;
    } controls[] = {
        {d.Label1, "Default Airport:", "Select the default airport. Incremental search allowed"},
        {d.DBLookupComboBox1, {}, "Select the default airport. Incremental search allowed"},
        {d.CBLoadFP, "Load flightplan at startup", "Set if you want auto-load fp at program startup"},
        {d.Label2, "Flightplans filename (with extension)", {}},
        {d.Label3, "Aircraft file name (with extension)", {}},
        {d.RGSAirline, " Search airline by: ", "Select the criteria on airline name searching"},
        {d.CBOvrDST, "Override DST auto-setting", "Override system' DST settings"},
        {d.Label4, "Traffic % up to", {}},
        {d.Label5, "Time Table Background Color:", "Set the time-table background color"},
        {d.TTBackColorBox, {}, "Set the time-table background color"},
        {d.Label6, "Time Table Font Color:", "Set the time-table font color"},
        {d.TTFontColorBox, {}, "Set the time-table font color"},
        {d.OKBtn, "OK", {}},
        {d.CancelBtn, "Cancel", {}},
        {d.HelpBtn, "&Help", {}},
    };
    for (const auto& c : controls) {
        QString caption;
        if (auto* label = qobject_cast<QLabel*>(c.widget)) caption = label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(c.widget)) caption = button->text();
        if (auto* group = qobject_cast<QGroupBox*>(c.widget)) caption = group->title();
        EXPECT_EQ(caption, c.caption) << c.caption.toStdString();
        EXPECT_EQ(c.widget->toolTip(), c.hint) << c.caption.toStdString();
    }
    EXPECT_EQ(d.RGSAirline->item(0)->text(), "by \"atc_airline\" value");
    EXPECT_EQ(d.RGSAirline->item(1)->text(), "by \"ui_variation\" value");
    EXPECT_TRUE(d.OKBtn->isDefault());
    EXPECT_EQ(d.TTBackColorBox->count(), 20);
    EXPECT_EQ(d.TTBackColorBox->itemData(0).toString(), "clBlack");
    EXPECT_FALSE(d.TTBackColorBox->itemIcon(0).isNull());
}

TEST_F(OptionDialog, FillsTheControlsFromTheSettingsOnce)
{
    settings = {"EGLL", true, true, true, "Plans.TXT", "AI.txt", "clNavy", "clYellow", "50"};
    TOptionDlg& d = dialog();
    EXPECT_FALSE(d.createError());
    EXPECT_EQ(d.DBLookupComboBox1->currentText(), "London Heathrow");
    EXPECT_TRUE(d.CBLoadFP->isChecked());
    EXPECT_EQ(d.RGSAirline->itemIndex(), 1);
    EXPECT_TRUE(d.CBOvrDST->isChecked());
    EXPECT_EQ(d.flpname->text(), "Plans.TXT");
    EXPECT_EQ(d.airname->text(), "ai.txt");
    EXPECT_EQ(d.TTBackColorBox->currentData().toString(), "clNavy");
    EXPECT_EQ(d.TTFontColorBox->currentData().toString(), "clYellow");
    EXPECT_EQ(d.CSpinEdit1->text(), "50");

    settings.flightPlanFile = "changed.txt";  // later showings do not refill the dialog
    d.show();
    EXPECT_EQ(d.flpname->text(), "Plans.TXT");
    EXPECT_EQ(d.shownTrafficPercent(), "50");
}

TEST_F(OptionDialog, TrafficPercentOutsideTheSpinRange)
{
    for (const auto& [text, shown] : {std::pair{"150", "100"}, std::pair{"-5", "0"}, std::pair{"abc", "100"}}) {
        settings.trafficPercent = text;
        TOptionDlg d(settings, airports, prompter, {});
        EXPECT_EQ(d.CSpinEdit1->text(), shown) << text;
    }
}

TEST_F(OptionDialog, SwitchingDaylightOverrideWarnsOnce)
{
    TOptionDlg& d = dialog();
    d.show();
    d.CBOvrDST->setChecked(true);
    d.OKBtnClick();
    EXPECT_TRUE(settings.overrideDst);
    EXPECT_EQ(prompter.shown(), (Shown{{"Warning", "You need to reconvert your flighplan!"}}));
    EXPECT_EQ(statusBarRedraws, 1);
    EXPECT_FALSE(d.isVisible());

    d.show();
    d.OKBtnClick();
    EXPECT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(statusBarRedraws, 1);

    d.show();
    d.CBOvrDST->setChecked(false);
    d.OKBtnClick();
    EXPECT_FALSE(settings.overrideDst);
    EXPECT_EQ(prompter.shown().size(), 2u);
    EXPECT_EQ(statusBarRedraws, 2);
}

TEST_F(OptionDialog, OnlyAChangedTrafficPercentRerunsTheBoardQuery)
{
    TOptionDlg& d = dialog();
    d.show();
    d.CSpinEdit1->setValue(50);
    d.OKBtnClick();
    EXPECT_EQ(settings.trafficPercent, "50");
    EXPECT_EQ(boardQueries, 1);

    d.show();
    d.CSpinEdit1->setValue(60);
    d.CSpinEdit1->setValue(50);
    d.CBLoadFP->setChecked(true);
    d.flpname->setText("other.txt");
    selectColour(d.TTBackColorBox, "clRed");
    d.OKBtnClick();
    EXPECT_EQ(boardQueries, 1);
    EXPECT_TRUE(settings.autoload);
    EXPECT_EQ(appliedColours, (std::vector<std::string>{"clBlack/clWhite", "clRed/clWhite"}));
}

TEST_F(OptionDialog, TrafficPercentIsSteppedNotTyped)
{
    TOptionDlg& d = dialog();
    d.show();
    d.CSpinEdit1->setFocus();
    d.CSpinEdit1->selectAll();
    typeInto(d.CSpinEdit1, Qt::Key_5, "5");
    EXPECT_EQ(d.CSpinEdit1->text(), "100");
    typeInto(d.CSpinEdit1, Qt::Key_Backspace);
    EXPECT_EQ(d.CSpinEdit1->text(), "100");
    typeInto(d.CSpinEdit1, Qt::Key_Down);
    EXPECT_EQ(d.CSpinEdit1->text(), "99");
    d.CSpinEdit1->setValue(0);
    typeInto(d.CSpinEdit1, Qt::Key_Down);
    EXPECT_EQ(d.CSpinEdit1->text(), "0");
}

TEST_F(OptionDialog, AircraftFileNameIsLowerCaseAndFlightPlanNameKeepsCapitals)
{
    TOptionDlg& d = dialog();
    d.show();
    d.airname->clear();
    d.flpname->clear();
    for (QLineEdit* edit : {d.airname, d.flpname}) {
        edit->setFocus();
        typeInto(edit, Qt::Key_M, "M");
        typeInto(edit, Qt::Key_Y, "y");
        edit->insert("AI.TXT");
    }
    EXPECT_EQ(d.airname->text(), "myai.txt");
    EXPECT_EQ(d.flpname->text(), "MyAI.TXT");
    d.OKBtnClick();
    EXPECT_EQ(settings.aircraftListFile, "myai.txt");
    EXPECT_EQ(settings.flightPlanFile, "MyAI.TXT");
}

TEST_F(OptionDialog, CancelKeepsTheControlsButNotTheSettings)
{
    TOptionDlg& d = dialog();
    const Settings before = settings;
    d.show();
    selectColour(d.TTBackColorBox, "clTeal");
    d.CBOvrDST->setChecked(true);
    d.CSpinEdit1->setValue(10);
    d.CancelBtn->click();
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(settings, before);
    EXPECT_TRUE(appliedColours.empty());
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_EQ(boardQueries, 0);

    d.show();
    EXPECT_EQ(d.TTBackColorBox->currentData().toString(), "clTeal");
    EXPECT_EQ(d.CSpinEdit1->text(), "10");
    d.OKBtnClick();  // the dialog shows 10, the settings said 100 when it was shown
    EXPECT_EQ(settings.gridColor, "clTeal");
    EXPECT_EQ(boardQueries, 1);
}

TEST_F(OptionDialog, DefaultAirportChangesOnlyWhenOneIsSelected)
{
    for (const char* code : {"", "ZZZZ"}) {
        settings.defaultAirport = code;
        TOptionDlg d(settings, airports, prompter, {});
        EXPECT_EQ(d.DBLookupComboBox1->currentIndex(), -1) << code;
        EXPECT_EQ(d.DBLookupComboBox1->currentText(), "") << code;
        d.OKBtnClick();
        EXPECT_EQ(settings.defaultAirport, code);
    }

    TOptionDlg& d = dialog();
    d.DBLookupComboBox1->selectCode("KJFK");
    EXPECT_EQ(d.DBLookupComboBox1->currentText(), "New York Kennedy");
    EXPECT_EQ(d.DBLookupComboBox1->currentCode(), "KJFK");
    d.OKBtnClick();
    EXPECT_EQ(settings.defaultAirport, "KJFK");
}

TEST_F(OptionDialog, AnUnreadableColourIsReportedAndTheDialogStaysUsable)
{
    settings.gridColor = "xyz";
    settings.fontColor = "$00FF8000";  // a number that names no listed colour
    settings.flightPlanFile = "after.txt";
    settings.trafficPercent = "40";
    TOptionDlg& d = dialog();
    EXPECT_EQ(d.createError(), "'xyz' is not a valid integer value");
    EXPECT_EQ(d.flpname->text(), "after.txt");
    EXPECT_EQ(d.CSpinEdit1->text(), "40");
    EXPECT_EQ(d.TTBackColorBox->currentData().toString(), "clBlack") << "the background's default stands in for 'xyz'";
    EXPECT_EQ(d.TTFontColorBox->currentIndex(), -1);
    try {
        d.FormCreate();
        FAIL() << "FormCreate accepted 'xyz'";
    } catch (const quorvel::Error& error) {
        EXPECT_STREQ(error.what(), "'xyz' is not a valid integer value");
    }

    d.show();
    d.OKBtnClick();  // the box shows black, so OK applies black; a box showing nothing keeps its number
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(settings.gridColor, "clBlack");
    EXPECT_EQ(settings.fontColor, "$00FF8000");
    d.show();
    selectColour(d.TTBackColorBox, "clGreen");
    d.OKBtnClick();
    EXPECT_EQ(settings.gridColor, "clGreen");
    EXPECT_EQ(appliedColours, (std::vector<std::string>{"clBlack/$00FF8000", "clGreen/$00FF8000"}));
}

TEST_F(OptionDialog, OkAppliesAllOrNothing)
{
    const Settings before = settings;
    TOptionDlg d(
        settings, airports, prompter,
        OptionDlgHooks{{}, [] { throw quorvel::Error("the board refused its colours"); }, [this] { ++boardQueries; }});
    d.show();
    d.CBLoadFP->setChecked(true);
    d.flpname->setText("other.txt");
    d.CSpinEdit1->setValue(50);
    selectColour(d.TTBackColorBox, "clRed");
    EXPECT_THROW(d.OKBtnClick(), quorvel::Error);
    EXPECT_EQ(settings, before) << "no setting changes when the colours cannot be applied";
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(boardQueries, 0);
}
