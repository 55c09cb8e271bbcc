#include "app/option_dialog.h"

#include "app/colours.h"
#include "app/option_changes.h"
#include "platform/error.h"
#include "widgets/qt_text.h"

#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QValidator>
#include <algorithm>
#include "tables/airport_box_widget.h"
#include "widgets/guarded_handler.h"

using quorvel::app::Settings;
using namespace quorvel::ui;

namespace {

const QString airportHint = QStringLiteral("Select the default airport. Incremental search allowed");
const QString backColourHint = QStringLiteral("Set the time-table background color");
const QString fontColourHint = QStringLiteral("Set the time-table font color");

// Every letter becomes lower case, whether typed, pasted or set by the program.
class LowerCaseValidator final : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override
    {
        input = input.toLower();
        position = std::min(position, int(input.size()));
        return Acceptable;
    }
};

// The number can only be stepped with the arrows (buttons, keys, wheel); typed digits are ignored.
class ArrowOnlySpinBox final : public QSpinBox {
public:
    explicit ArrowOnlySpinBox(QWidget* parent) : QSpinBox(parent) { lineEdit()->setReadOnly(true); }
};

// A colour list that opens itself when the user types into it.
class DropDownColourBox final : public QComboBox {
public:
    using QComboBox::QComboBox;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        QComboBox::keyPressEvent(event);
        if (!event->text().isEmpty() && event->text().at(0).isPrint()) showPopup();
    }
};

void fillColours(QComboBox& box)
{
    for (const quorvel::app::NamedColour& colour : quorvel::app::namedColours()) {
        QPixmap swatch(16, 16);
        swatch.fill(QColor(quorvel::app::redOf(colour.value), quorvel::app::greenOf(colour.value),
                           quorvel::app::blueOf(colour.value)));
        box.addItem(QIcon(swatch), fromUtf8(colour.displayName), fromUtf8(colour.identifier));
    }
}

QLabel* labelFor(const QString& text, QWidget* buddy, const QString& hint = {})
{
    auto* label = new QLabel(text);
    label->setBuddy(buddy);
    label->setToolTip(hint);
    return label;
}

}  // namespace

TOptionDlg::TOptionDlg(Settings& settings, const quorvel::tables::AirportLookup& airports, quorvel::Prompter& prompter,
                       OptionDlgHooks hooks, QWidget* parent)
    : QDialog(parent), settings_(settings), airports_(airports), prompter_(prompter), hooks_(std::move(hooks))
{
    buildControls();
    try {
        FormCreate();
    } catch (const quorvel::Error& error) {
        createError_ = error.what();
    }
}

void TOptionDlg::buildControls()
{
    setWindowTitle(QStringLiteral("Quorvel - Options"));
    setFixedSize(427, 300);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    PageControl1 = new QTabWidget;

    auto* general = new QWidget;
    DBLookupComboBox1 = new AirportBox(airports_);
    DBLookupComboBox1->setToolTip(airportHint);
    Label1 = labelFor(QStringLiteral("Default Airport:"), DBLookupComboBox1, airportHint);
    CBLoadFP = new QCheckBox(QStringLiteral("Load flightplan at startup"));
    CBLoadFP->setToolTip(QStringLiteral("Set if you want auto-load fp at program startup"));
    flpname = new QLineEdit(QStringLiteral("flightplans.txt"));
    Label2 = labelFor(QStringLiteral("Flightplans filename (with extension)"), flpname);
    airname = new QLineEdit;
    airname->setValidator(new LowerCaseValidator(airname));
    airname->setText(QStringLiteral("aircraft.txt"));
    Label3 = labelFor(QStringLiteral("Aircraft file name (with extension)"), airname);
    auto* generalLayout = new QVBoxLayout(general);
    for (QWidget* widget :
         std::initializer_list<QWidget*>{Label1, DBLookupComboBox1, CBLoadFP, Label2, flpname, Label3, airname})
        generalLayout->addWidget(widget);
    generalLayout->addStretch();
    PageControl1->addTab(general, QStringLiteral("General"));

    auto* aircraft = new QWidget;
    RGSAirline =
        new RadioGroup(QStringLiteral(" Search airline by: "),
                       {QStringLiteral("by \"atc_airline\" value"), QStringLiteral("by \"ui_variation\" value")}, 1);
    RGSAirline->setToolTip(QStringLiteral("Select the criteria on airline name searching"));
    RGSAirline->setItemIndex(0);
    auto* aircraftLayout = new QVBoxLayout(aircraft);
    aircraftLayout->addWidget(RGSAirline);
    aircraftLayout->addStretch();
    PageControl1->addTab(aircraft, QStringLiteral("Aircraft"));

    auto* flightPlan = new QWidget;
    CBOvrDST = new QCheckBox(QStringLiteral("Override DST auto-setting"));
    CBOvrDST->setToolTip(QStringLiteral("Override system' DST settings"));
    CSpinEdit1 = new ArrowOnlySpinBox(flightPlan);
    CSpinEdit1->setRange(0, 100);
    CSpinEdit1->setSingleStep(1);
    CSpinEdit1->setValue(100);
    Label4 = labelFor(QStringLiteral("Traffic % up to"), CSpinEdit1);
    auto* trafficRow = new QHBoxLayout;
    trafficRow->addWidget(Label4);
    trafficRow->addWidget(CSpinEdit1);
    trafficRow->addStretch();
    auto* flightPlanLayout = new QVBoxLayout(flightPlan);
    flightPlanLayout->addWidget(CBOvrDST);
    flightPlanLayout->addLayout(trafficRow);
    flightPlanLayout->addStretch();
    PageControl1->addTab(flightPlan, QStringLiteral("FlightPlan"));

    auto* behaviour = new QWidget;
    TTBackColorBox = new DropDownColourBox;
    fillColours(*TTBackColorBox);
    TTBackColorBox->setToolTip(backColourHint);
    Label5 = labelFor(QStringLiteral("Time Table Background Color:"), TTBackColorBox, backColourHint);
    TTFontColorBox = new QComboBox;
    fillColours(*TTFontColorBox);
    TTFontColorBox->setToolTip(fontColourHint);
    Label6 = labelFor(QStringLiteral("Time Table Font Color:"), TTFontColorBox, fontColourHint);
    auto* behaviourLayout = new QVBoxLayout(behaviour);
    for (QWidget* widget : std::initializer_list<QWidget*>{Label5, TTBackColorBox, Label6, TTFontColorBox})
        behaviourLayout->addWidget(widget);
    behaviourLayout->addStretch();
    PageControl1->addTab(behaviour, QStringLiteral("Behaviour"));

    OKBtn = new QPushButton(QStringLiteral("OK"));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"));
    HelpBtn = new QPushButton(QStringLiteral("&Help"));
    connect(OKBtn, &QPushButton::clicked, this, guarded(prompter_, [this] { OKBtnClick(); }));
    connect(CancelBtn, &QPushButton::clicked, this, guarded(prompter_, [this] { CancelBtnClick(); }));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    buttons->addWidget(HelpBtn);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    layout->addLayout(buttons);
}

bool TOptionDlg::selectColour(QComboBox& box, const std::string& text, const std::string& fallback)
{
    const auto value = quorvel::app::colourValue(text);
    // A text that names no colour at all shows the setting's default, so the box always holds a
    // colour OK can apply. A number that names no colour of the list shows nothing; OK then keeps
    // the number, which applies as it stands.
    const std::string shown = value ? quorvel::app::colourIdentifier(*value) : fallback;
    box.setCurrentIndex(box.findData(fromUtf8(shown)));
    return value.has_value();
}

void TOptionDlg::FormCreate()
{
    const Settings defaults;
    DBLookupComboBox1->selectCode(fromWindows1252(settings_.defaultAirport));
    CBLoadFP->setChecked(settings_.autoload);
    RGSAirline->setItemIndex(settings_.searchByUI ? 1 : 0);
    CBOvrDST->setChecked(settings_.overrideDst);
    flpname->setText(fromWindows1252(settings_.flightPlanFile));
    airname->setText(fromWindows1252(settings_.aircraftListFile));
    const bool gridKnown = selectColour(*TTBackColorBox, settings_.gridColor, defaults.gridColor);
    const bool fontKnown = selectColour(*TTFontColorBox, settings_.fontColor, defaults.fontColor);
    // The spin box holds only 0..100: a larger or smaller number is clamped, any other text shows
    // the default 100. The setting itself changes only when OK is pressed.
    const auto percent = quorvel::app::parseInteger(settings_.trafficPercent);
    CSpinEdit1->setValue(percent ? std::clamp(*percent, 0, 100) : 100);
    if (!gridKnown) throw quorvel::Error(quorvel::app::colourError(settings_.gridColor));
    if (!fontKnown) throw quorvel::Error(quorvel::app::colourError(settings_.fontColor));
}

void TOptionDlg::FormShow()
{
    shownTrafficPercent_ = settings_.trafficPercent;
}

void TOptionDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) guarded(prompter_, [this] { FormShow(); })();
}

Settings TOptionDlg::chosenSettings() const
{
    Settings chosen = settings_;
    if (DBLookupComboBox1->hasText()) chosen.defaultAirport = toWindows1252(DBLookupComboBox1->currentCode());
    chosen.autoload = CBLoadFP->isChecked();
    chosen.searchByUI = RGSAirline->itemIndex() != 0;
    chosen.overrideDst = CBOvrDST->isChecked();
    chosen.flightPlanFile = toWindows1252(flpname->text());
    chosen.aircraftListFile = toWindows1252(airname->text());
    if (TTBackColorBox->currentIndex() >= 0) chosen.gridColor = toWindows1252(TTBackColorBox->currentData().toString());
    if (TTFontColorBox->currentIndex() >= 0) chosen.fontColor = toWindows1252(TTFontColorBox->currentData().toString());
    chosen.trafficPercent = toWindows1252(CSpinEdit1->text());
    return chosen;
}

void TOptionDlg::OKBtnClick()
{
    // All or nothing: when the board refuses what was chosen, the settings go back to what they
    // were and the dialog stays open.
    const Settings before = settings_;
    settings_ = chosenSettings();
    const quorvel::app::OptionChanges changes = quorvel::app::optionChanges(before, settings_, shownTrafficPercent_);
    try {
        if (changes.reconvert) {
            prompter_.message("Warning", "You need to reconvert your flighplan!");
            if (hooks_.redrawStatusBar) hooks_.redrawStatusBar();
        }
        if (hooks_.applyColours) hooks_.applyColours();
    } catch (...) {
        settings_ = before;
        throw;
    }
    accept();
    if (changes.requery && hooks_.runBoardQuery) hooks_.runBoardQuery();
}

void TOptionDlg::CancelBtnClick()
{
    reject();
}
