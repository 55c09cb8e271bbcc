#include "serve/share_board_dialog.h"

#include "app/main_form.h"
#include "tables/packet.h"
#include "tests/support/fakes.h"
#include "tests/support/flight_rows.h"
#include "tests/support/test_program.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <nlohmann/json.hpp>

#include <QAction>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>

using namespace quorvel;
using namespace quorvel::ui;

namespace {

nlohmann::json getJson(const std::string& url, const std::string& path)
{
    httplib::Client client(url.substr(0, url.size() - 1));  // without the last "/"
    const auto result = client.Get(path.c_str());
    if (!result || result->status != 200) return nullptr;
    return nlohmann::json::parse(result->body);
}

class ShareBoard : public ::testing::Test {
protected:
    std::unique_ptr<TMainForm> start()
    {
        auto form = std::make_unique<TMainForm>(
            program.environment,
            MainFormServices{clock, timeZone, fileClock, sleeper, prompter, fileDialogs,
                             [] { return std::make_unique<test::QuietSplash>(); }, [](const std::filesystem::path&) {},
                             [](QPrinter&, const std::function<void(QPrinter*)>&) {}, &waits,
                             [this](const std::string& url) { opened.push_back(url); }});
        form->createDialogs();
        form->FormShow();
        return form;
    }
    void writeFlights(int count)
    {
        tables::Table flights = tables::newFlightTable();
        for (int i = 0; i < count; ++i) {
            test::Leg leg;
            leg.dep = "LIRF";
            leg.flight = "AZ" + std::to_string(100 + i);
            test::addLeg(flights, leg);
        }
        tables::writePacketFile(flights, program.programFile("flight.cds"));
    }

    test::TestProgram program{{{"LIRF", "ROME FIUMICINO"}, {"LFPG", "PARIS CHARLES DE GAULLE"}}};
    test::FixedClock clock{{2024, 1, 1, 13, 45, 0}};
    test::FixedTimeZone timeZone;
    platform::SystemFileClock fileClock;
    test::RecordingSleeper sleeper;
    test::ScriptedPrompter prompter;
    test::ScriptedFileDialogs fileDialogs;
    test::RecordingWaits waits;
    std::vector<std::string> opened;
};

}  // namespace

TEST_F(ShareBoard, StartsServesTheWindowsTablesAndStops)
{
    writeFlights(3);
    const auto form = start();
    EXPECT_EQ(form->ShareBoard1->text(), QString::fromUtf8("Share Board\u2026"));
    EXPECT_TRUE(form->menuBar()->actions().first()->menu()->actions().contains(form->ShareBoard1));
    form->ShareBoard1Click();
    ShareBoardDialog& dialog = *form->shareBoardDlg;
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.OpenButton->isEnabled());

    dialog.AddressEdit->setText(QStringLiteral("127.0.0.1:0"));
    dialog.StartButton->click();
    ASSERT_TRUE(dialog.running()) << dialog.AddressLabel->text().toStdString();
    const std::string url = dialog.url();
    EXPECT_TRUE(url.starts_with("http://127.0.0.1:")) << url;
    EXPECT_EQ(dialog.AddressLabel->text(), QString::fromStdString("The board is at " + url));
    EXPECT_EQ(dialog.StartButton->text(), QStringLiteral("Stop"));
    // The address is readable whole: the label is as wide as the URL, which has no place to wrap.
    dialog.layout()->activate();
    EXPECT_GE(dialog.AddressLabel->contentsRect().width(),
              dialog.AddressLabel->fontMetrics().horizontalAdvance(QString::fromStdString(url)));
    EXPECT_GE(dialog.AddressLabel->height(), dialog.AddressLabel->heightForWidth(dialog.AddressLabel->width()));
    EXPECT_FALSE(dialog.AddressEdit->isEnabled());
    dialog.OpenButton->click();
    EXPECT_EQ(opened, std::vector<std::string>{url});

    // Nothing loaded yet: the page says so. Loading the table hands it over, with a new generation.
    const nlohmann::json before = getJson(url, "/api/board?airport=LIRF");
    ASSERT_FALSE(before.is_null());
    EXPECT_FALSE(before["loaded"]);
    form->LoadFlightPlans1Click();
    const nlohmann::json after = getJson(url, "/api/board?airport=LIRF");
    EXPECT_TRUE(after["loaded"]);
    EXPECT_EQ(after["generation"], before["generation"].get<int>() + 1);
    EXPECT_EQ(after["rows"].size(), 3u);

    dialog.StartButton->click();
    EXPECT_FALSE(dialog.running());
    EXPECT_EQ(dialog.AddressLabel->text(), QStringLiteral("Not shared."));
    EXPECT_TRUE(getJson(url, "/api/version").is_null());  // nobody answers there any more
    const std::uint64_t generation = form->boardSnapshots().current()->generation;
    form->LoadFlightPlans1Click();  // not shared: nothing is copied for the server
    EXPECT_EQ(form->boardSnapshots().current()->generation, generation);
}

TEST_F(ShareBoard, ABadOrTakenAddressIsSaidAndNothingStarts)
{
    const auto form = start();
    ShareBoardDialog& dialog = *form->shareBoardDlg;
    dialog.AddressEdit->setText(QStringLiteral("localhost"));
    dialog.StartButton->click();
    EXPECT_FALSE(dialog.running());
    EXPECT_EQ(dialog.AddressLabel->text(), QStringLiteral("The address is not ADDRESS:PORT, such as 127.0.0.1:8017."));

    dialog.AddressEdit->setText(QStringLiteral("127.0.0.1:0"));
    dialog.StartButton->click();
    ASSERT_TRUE(dialog.running());
    const std::string url = dialog.url();
    const std::string port = url.substr(17, url.size() - 18);

    const auto second = start();
    second->shareBoardDlg->AddressEdit->setText(QString::fromStdString("127.0.0.1:" + port));
    second->shareBoardDlg->StartButton->click();
    EXPECT_FALSE(second->shareBoardDlg->running());
    EXPECT_TRUE(second->shareBoardDlg->AddressLabel->text().startsWith(
        QString::fromStdString("cannot listen on 127.0.0.1:" + port)))
        << second->shareBoardDlg->AddressLabel->text().toStdString();
    EXPECT_FALSE(getJson(url, "/api/version").is_null());  // the first one still answers
}
