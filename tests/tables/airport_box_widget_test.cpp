#include "tables/airport_box_widget.h"
#include "tables/airport_list_model.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QAbstractItemView>
#include <QComboBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <cstdio>

using namespace quorvel::tables;
using namespace quorvel::ui;

namespace {

Table airportTable(const std::vector<std::pair<std::string, std::string>>& rows)
{
    Table table = newAirportTable();
    for (const auto& [code, description] : rows) {
        const RowId row = table.appendRow();
        table.setText(row, AirportCode, code);
        table.setText(row, AirportDescription, description);
    }
    return table;
}

// In list order: AALBORG, LONDON GATWICK, LONDON HEATHROW, SYDNEY (YSSY), SYDNEY (CYQY), ZURICH, \xC9VORA.
const std::vector<std::pair<std::string, std::string>> airports = {
    {"YSSY", "SYDNEY"}, {"EGLL", "LONDON HEATHROW"}, {"CYQY", "SYDNEY"},   {"EKYT", "AALBORG"},
    {"LSZH", "ZURICH"}, {"EGKK", "LONDON GATWICK"},  {"LPEV", "\xC9VORA"},
};

class AirportBoxTest : public ::testing::Test {
protected:
    AirportBoxTest()
    {
        lookup.assign(airportTable(airports));
        box = std::make_unique<AirportBox>(lookup);
        box->setSearchPause(40);
        picks = std::make_unique<QSignalSpy>(box.get(), &AirportBox::airportPicked);
        tester = std::make_unique<QAbstractItemModelTester>(box->model(),
                                                            QAbstractItemModelTester::FailureReportingMode::Fatal);
    }

    // Each character as a key press carrying its text, as a keyboard sends it (accented letters too).
    void type(const QString& keys)
    {
        for (const QChar c : keys) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QCoreApplication::sendEvent(box->lineEdit(), &press);
        }
    }
    void pause() { QTest::qWait(box->searchPause() * 4); }

    AirportLookup lookup;
    std::unique_ptr<AirportBox> box;
    std::unique_ptr<QSignalSpy> picks;
    std::unique_ptr<QAbstractItemModelTester> tester;
};

}  // namespace

TEST_F(AirportBoxTest, ListsDescriptionsInOrderAndYieldsCodes)
{
    ASSERT_EQ(box->count(), 7);
    const QStringList shown = {"AALBORG", "LONDON GATWICK", "LONDON HEATHROW", "SYDNEY",
                               "SYDNEY",  "ZURICH",         "\u00C9VORA"};
    const QStringList codes = {"EKYT", "EGKK", "EGLL", "YSSY", "CYQY", "LSZH", "LPEV"};
    for (int i = 0; i < box->count(); ++i) {
        EXPECT_EQ(box->itemText(i), shown[i]);
        EXPECT_EQ(box->itemData(i, Qt::UserRole).toString(), codes[i]);
    }
    EXPECT_FALSE(box->hasText());  // nothing chosen at first
    EXPECT_EQ(box->currentCode(), QString());
}

TEST_F(AirportBoxTest, SelectingByCodeShowsThatEntryAndIsNoPick)
{
    const struct {
        QString code;
        int index;
        QString text;
    } cases[] = {
        {"CYQY", 4, "SYDNEY"},  // the second SYDNEY, not the first
        {"EGLL", 2, "LONDON HEATHROW"}, {"", -1, ""}, {"KJFK", -1, ""}, {"egll", -1, ""},
    };
    for (const auto& c : cases) {
        box->selectCode("LSZH");
        box->selectCode(c.code);
        EXPECT_EQ(box->currentIndex(), c.index) << c.code.toStdString();
        EXPECT_EQ(box->currentText(), c.text) << c.code.toStdString();
        EXPECT_EQ(box->currentCode(), c.index < 0 ? QString() : c.code) << c.code.toStdString();
        EXPECT_EQ(box->hasText(), c.index >= 0) << c.code.toStdString();
    }
    pause();
    EXPECT_EQ(picks->count(), 0);
}

TEST_F(AirportBoxTest, TypingMovesToTheFirstDescriptionWithThatBeginningAndSettlesAsOnePick)
{
    type("lon");
    EXPECT_EQ(box->currentCode(), "EGKK");
    EXPECT_EQ(box->lineEdit()->selectedText(), "DON GATWICK");  // what was not typed is highlighted
    type("DON H");
    EXPECT_EQ(box->currentCode(), "EGLL");
    EXPECT_EQ(picks->count(), 0);  // still typing
    pause();
    EXPECT_EQ(picks->count(), 1);
    EXPECT_EQ(box->currentCode(), "EGLL");

    type("syd");  // after the pause the prefix starts afresh
    EXPECT_EQ(box->currentCode(), "YSSY");
    type("\u00E9");  // no "SYD\u00C9": the key is dropped and the search goes on from "SYD"
    EXPECT_EQ(box->currentText(), "SYDNEY");
    pause();
    EXPECT_EQ(picks->count(), 2);

    type("\u00E9v");  // accented letters fold too
    EXPECT_EQ(box->currentCode(), "LPEV");
}

TEST_F(AirportBoxTest, OnlyListEntriesCanBeChosen)
{
    type("qx");
    EXPECT_FALSE(box->hasText());
    EXPECT_EQ(box->lineEdit()->text(), QString());
    type("z");
    QTest::keyClick(box->lineEdit(), Qt::Key_Backspace);
    QTest::keyClick(box->lineEdit(), Qt::Key_Delete);
    EXPECT_EQ(box->currentText(), "ZURICH");
    EXPECT_TRUE(box->lineEdit()->isReadOnly());
    pause();
    EXPECT_EQ(picks->count(), 1);
}

TEST_F(AirportBoxTest, BackspaceShortensTheTypedBeginning)
{
    type("london h");
    ASSERT_EQ(box->currentCode(), "EGLL");
    QTest::keyClick(box->lineEdit(), Qt::Key_Backspace);
    QTest::keyClick(box->lineEdit(), Qt::Key_Backspace);
    type("g");
    EXPECT_EQ(box->currentCode(), "EGKK");
}

TEST_F(AirportBoxTest, EnterAndAClickInTheListArePicks)
{
    box->selectCode("LSZH");
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(picks->count(), 1);

    type("a");
    QTest::keyClick(box->lineEdit(), Qt::Key_Enter);  // ends the search at once, as one pick
    EXPECT_EQ(picks->count(), 2);
    pause();
    EXPECT_EQ(picks->count(), 2);
    EXPECT_EQ(box->currentCode(), "EKYT");

    box->show();
    box->showPopup();
    QAbstractItemView* list = box->view();
    const QRect item = list->visualRect(box->model()->index(4, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
    EXPECT_EQ(box->currentCode(), "CYQY");
    EXPECT_EQ(picks->count(), 3);
}

TEST_F(AirportBoxTest, ReloadKeepsTheChosenCodeWhenTheNewRowsStillHoldIt)
{
    box->selectCode("LSZH");
    lookup.assign(airportTable({{"LSZH", "ZURICH KLOTEN"}, {"AAAA", "AAA"}}));
    box->reload();
    EXPECT_EQ(box->count(), 2);
    EXPECT_EQ(box->currentCode(), "LSZH");
    EXPECT_EQ(box->currentText(), "ZURICH KLOTEN");

    lookup.assign(airportTable({{"EGLL", "LONDON HEATHROW"}}));
    box->reload();
    EXPECT_FALSE(box->hasText());
    EXPECT_EQ(box->currentCode(), QString());
    pause();
    EXPECT_EQ(picks->count(), 0);
}

TEST_F(AirportBoxTest, EnterAndEscStillReachTheWindowsButtons)
{
    for (const auto& [key, result] :
         {std::pair{Qt::Key_Return, QDialog::Accepted}, {Qt::Key_Escape, QDialog::Rejected}}) {
        QDialog dialog;
        auto* inDialog = new AirportBox(lookup, &dialog);
        auto* ok = new QPushButton("OK", &dialog);
        ok->setDefault(true);
        QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
        QSignalSpy picked(inDialog, &AirportBox::airportPicked);
        inDialog->selectCode("EGLL");
        dialog.setResult(-1);
        dialog.show();
        QTest::keyClick(inDialog->lineEdit(), key);
        EXPECT_EQ(dialog.result(), result) << key;
        EXPECT_EQ(picked.count(), key == Qt::Key_Return ? 1 : 0) << key;
    }
}

TEST(AirportBoxSize, TakesTheSameRoomWhateverItsEntriesWithAComboBoxHeight)
{
    // Thousands of names of the longest kind ask for no more room than a few short ones: the box
    // does not measure its entries to size itself.
    std::vector<std::pair<std::string, std::string>> many;
    for (int i = 0; i < 3000; ++i) {
        char code[8];
        std::snprintf(code, sizeof code, "X%03d", i);
        many.emplace_back(code, "WWWWWWWWWWWWWWWWWWWWWWWWWWWW" + std::to_string(i % 10));
    }
    AirportLookup few, longNames;
    few.assign(airportTable(airports));
    longNames.assign(airportTable(many));
    AirportBox small(few), large(longNames);
    EXPECT_EQ(large.sizeHint(), small.sizeHint());
    EXPECT_EQ(large.minimumSizeHint(), small.minimumSizeHint());

    QComboBox plain;
    plain.setEditable(true);
    plain.addItem(QStringLiteral("SYDNEY"));
    EXPECT_EQ(large.sizeHint().height(), plain.sizeHint().height()) << "no room kept for pictures";
    EXPECT_GE(large.minimumSizeHint().width(), large.fontMetrics().horizontalAdvance(QStringLiteral("LONDON GATWI")))
        << "a squeezed box still shows a dozen letters";

    // Shown in the main window's place, its list is at least as wide as the box.
    large.setGeometry(0, 0, 145, 24);
    large.show();
    large.showPopup();
    EXPECT_GE(large.view()->window()->width(), 145);
    large.hidePopup();
}
