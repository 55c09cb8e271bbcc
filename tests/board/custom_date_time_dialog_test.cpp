#include "board/custom_date_time_dialog.h"
#include "board/clock_rules.h"

#include <gtest/gtest.h>
#include <QDateEdit>
#include <QFrame>
#include <QPushButton>
#include <QTimeEdit>

using namespace quorvel;

namespace {

struct CustomDateTimeDialog : ::testing::Test {
    // What CustomDateTime1Click does with the dialog: show it, then ask whether to re-query.
    bool run(const std::function<void()>& user, bool customTimeOn)
    {
        const LocalDateTime before = moment;
        dialog.show();
        user();
        return board::customDateTimeRequeries(dialog.result() == QDialog::Accepted, customTimeOn, before, moment);
    }

    LocalDateTime moment{2024, 1, 1, 13, 45, 30};
    TCustomDateTimeDlg dialog{moment};
};

}  // namespace

TEST_F(CustomDateTimeDialog, LayoutAsDesigned)
{
    EXPECT_EQ(dialog.windowTitle(), "Custom DateTime");
    EXPECT_EQ(dialog.size(), QSize(257, 128));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize()) << "fixed border";
    const struct {
        QWidget* control;
        QRect geometry;
    } controls[] = {
        {dialog.Bevel1, {8, 8, 241, 73}},       {dialog.DatePicker, {24, 32, 121, 24}},
        {dialog.TimePicker, {160, 32, 73, 24}}, {dialog.OKBtn, {47, 92, 75, 25}},
        {dialog.CancelBtn, {151, 92, 75, 25}},
    };
    for (const auto& c : controls) EXPECT_EQ(c.control->geometry(), c.geometry) << c.control->metaObject()->className();
    EXPECT_EQ(dialog.OKBtn->text(), "OK");
    EXPECT_TRUE(dialog.OKBtn->isDefault());
    EXPECT_EQ(dialog.CancelBtn->text(), "Cancel");
    EXPECT_TRUE(dialog.DatePicker->calendarPopup());
    EXPECT_EQ(dialog.TimePicker->displayFormat(), "HH:mm");
}

TEST_F(CustomDateTimeDialog, ShowPutsTheMomentIntoThePickers)
{
    dialog.show();
    EXPECT_EQ(dialog.DatePicker->date(), QDate(2024, 1, 1));
    EXPECT_EQ(dialog.TimePicker->time(), QTime(13, 45));
    dialog.reject();
    moment = {2023, 6, 15, 8, 5, 0};
    dialog.show();
    EXPECT_EQ(dialog.DatePicker->date(), QDate(2023, 6, 15)) << "each show starts from the moment";
    EXPECT_EQ(dialog.TimePicker->time(), QTime(8, 5));
}

TEST_F(CustomDateTimeDialog, OkUnchangedKeepsTheMomentAndDoesNotRequery)
{
    EXPECT_FALSE(run([&] { dialog.OKBtn->click(); }, true));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(moment, (LocalDateTime{2024, 1, 1, 13, 45, 30}));
}

TEST_F(CustomDateTimeDialog, OkChangedStoresTheMoment)
{
    const auto pick = [&] {
        dialog.DatePicker->setDate(QDate(2024, 2, 29));
        dialog.TimePicker->setTime(QTime(0, 10));
        dialog.OKBtn->click();
    };
    EXPECT_TRUE(run(pick, true)) << "custom time on: the board is rebuilt";
    EXPECT_EQ(moment, (LocalDateTime{2024, 2, 29, 0, 10, 30}));

    moment = {2024, 1, 1, 13, 45, 30};
    EXPECT_FALSE(run(pick, false)) << "custom time off: the board keeps following the clock";
    EXPECT_EQ(moment, (LocalDateTime{2024, 2, 29, 0, 10, 30})) << "but the value is kept";
}

TEST_F(CustomDateTimeDialog, CancelLeavesTheMoment)
{
    const auto cancel = [&] {
        dialog.TimePicker->setTime(QTime(21, 0));
        dialog.CancelBtn->click();
    };
    EXPECT_FALSE(run(cancel, true));
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(moment, (LocalDateTime{2024, 1, 1, 13, 45, 30}));
}
