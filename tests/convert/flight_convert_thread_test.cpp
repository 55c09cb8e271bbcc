#include "convert/flight_convert_thread.h"
#include "tables/flight_table.h"
#include "tests/convert/conversion_fixture.h"

#include <gtest/gtest.h>
#include <QCoreApplication>

#include <functional>
#include <memory>

using namespace quorvel;
using namespace quorvel::ui;
using quorvel::convert::Outcome;

namespace {

// Shows nothing; runs `onMessage` where the box would be open.
struct HookedPrompter final : Prompter {
    std::function<void()> onMessage;
    void message(std::string_view, std::string_view) override { onMessage(); }
    bool confirm(std::string_view, std::string_view) override { return true; }
};

class FlightConvertThreadTest : public test::ConversionFixture {
protected:
    std::unique_ptr<FlightConvertThread> makeThread(const std::string& plan)
    {
        tables::createEmptyFlightFile(folder / tables::flightFileName);
        test::writeBytes(folder / "plans.txt", plan);
        auto thread = std::make_unique<FlightConvertThread>(inputs(0), prompter);
        QObject::connect(thread.get(), &FlightConvertThread::finished, [this] { ++finishedCount; });
        return thread;
    }

    HookedPrompter prompter;
    int finishedCount = 0;
};

struct WaitCase {
    const char* name;
    std::string plan;
    const char* waitedFor;  // what the GUI thread was doing for the worker when it stopped it
    Outcome outcome;
    std::size_t planLines;
};

}  // namespace

TEST_F(FlightConvertThreadTest, StopReleasesAWorkerWaitingOnTheGuiThread)
{
    const std::vector<WaitCase> cases{
        {"log line", "AC#5,x,1%,24Hr,IFR,10:00,11:00,1,F,F1,LIRF\r\n" + test::bigPlan(50), "log AC#5", Outcome::Stopped,
         1},
        {"message box", "AC#1,x,1%,WEEK,IFR,1/10:00,1/24:10,1,F,F1,LIRF\r\n" + test::bigPlan(50), "message",
         Outcome::TimeError, 1},
    };
    for (const WaitCase& c : cases) {
        SCOPED_TRACE(c.name);
        finishedCount = 0;
        const auto thread = makeThread(c.plan);
        std::vector<std::string> stoppedIn;
        // The worker waits for this very call to return, so stop() has to release it without the
        // answer and join it without the event loop: `finished` cannot have been delivered yet.
        const auto stopHere = [&](const std::string& waitedFor) {
            thread->stop();
            EXPECT_FALSE(thread->summary());
            EXPECT_EQ(finishedCount, 0);
            stoppedIn.push_back(waitedFor);
        };
        QObject::connect(thread.get(), &FlightConvertThread::logLineAdded,
                         [&](const std::string& key) { stopHere("log " + key); });
        prompter.onMessage = [&] { stopHere("message"); };

        thread->start();
        thread->waitUntilFinished();

        EXPECT_EQ(stoppedIn, std::vector<std::string>{c.waitedFor});
        EXPECT_EQ(finishedCount, 1);
        ASSERT_TRUE(thread->summary());
        EXPECT_EQ(thread->summary()->outcome, c.outcome);
        EXPECT_EQ(thread->summary()->planLines, c.planLines);
        EXPECT_EQ(flights().rowCount(), 0u);
    }
}

TEST_F(FlightConvertThreadTest, StartRunsOnceEvenAfterTheRunEnded)
{
    const auto thread = makeThread("AC#1,x,100%,24Hr,IFR,10:00,11:00,1,F,F1,LFPG,12:00,13:00,1,F,F2,LIRF\r\n");
    EXPECT_FALSE(thread->started());
    thread->start();
    EXPECT_TRUE(thread->started());
    thread->waitUntilFinished();
    ASSERT_EQ(flights().rowCount(), 2u);

    tables::createEmptyFlightFile(folder / tables::flightFileName);
    thread->start();
    thread->waitUntilFinished();
    QCoreApplication::sendPostedEvents();  // a second run, joined above, would have posted its end
    EXPECT_TRUE(thread->started());
    EXPECT_EQ(finishedCount, 1);
    EXPECT_EQ(flights().rowCount(), 0u);
}
