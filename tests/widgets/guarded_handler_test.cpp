#include "widgets/guarded_handler.h"

#include "platform/error.h"
#include "tests/support/fakes.h"

#include <gtest/gtest.h>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <functional>
#include <stdexcept>

using namespace quorvel;
using test::Shown;

TEST(GuardedHandler, AnErrorThrownByAClickedButtonsHandlerIsShownAndTheProgramGoesOn)
{
    const struct {
        const char* what;
        std::function<void()> fail;
        const char* shown;
    } cases[] = {
        {"an error with its text", [] { throw Error("flight.cds: truncated at byte 7"); },
         "flight.cds: truncated at byte 7"},
        {"a standard exception", [] { throw std::length_error("vector"); }, "vector"},
        {"something that is no exception", [] { throw 42; }, "An unexpected error occurred."},
        {"an exception without a text", [] { throw std::runtime_error(""); }, "An unexpected error occurred."},
    };
    for (const auto& c : cases) {
        test::ScriptedPrompter prompter;
        QPushButton button(QStringLiteral("OK"));
        std::vector<std::string> steps;
        bool failing = true;
        QObject::connect(&button, &QPushButton::clicked, &button, guarded(prompter, [&] {
            steps.emplace_back("started");
            if (failing) c.fail();
            steps.emplace_back("finished");
        }));
        QTest::mouseClick(&button, Qt::LeftButton);
        EXPECT_EQ(prompter.shown(), (Shown{{"Error", c.shown}})) << c.what;
        EXPECT_EQ(steps, (std::vector<std::string>{"started"})) << c.what;

        failing = false;
        QTest::mouseClick(&button, Qt::LeftButton);
        EXPECT_EQ(steps, (std::vector<std::string>{"started", "started", "finished"})) << c.what;
        EXPECT_EQ(prompter.shown().size(), 1u) << c.what;
    }
}

TEST(GuardedHandler, TheHandlerGetsTheSignalsArgumentsItTakes)
{
    test::ScriptedPrompter prompter;
    QSpinBox box;
    std::vector<int> values;
    int bare = 0;
    QObject::connect(&box, &QSpinBox::valueChanged, &box,
                     guarded(prompter, [&](int value) { values.push_back(value); }));
    QObject::connect(&box, &QSpinBox::valueChanged, &box, guarded(prompter, [&] { ++bare; }));
    box.setValue(7);
    box.setValue(3);
    EXPECT_EQ(values, (std::vector<int>{7, 3}));
    EXPECT_EQ(bare, 2);
    EXPECT_TRUE(prompter.shown().empty());
}
