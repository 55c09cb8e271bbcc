// tests/support/silent_report.h: a conversion report that shows nothing, for runs whose
// only interest is what they leave on disk.
#pragma once

#include "convert/conversion_run.h"

namespace quorvel::test {

struct SilentReport final : convert::ConversionReport {
    void progressRange(int, int) override {}
    void progress(int) override {}
    void label(std::string_view) override {}
    void logLine(std::string_view) override {}
    void message(std::string_view, std::string_view) override {}
    void buttonCaption(std::string_view) override {}
    void pressButton() override {}
};

}  // namespace quorvel::test
