// app/option_changes.h: what pressing OK in the options dialog asks of the rest of the program,
// beyond storing the new settings.
//
// Only two settings reach further than the settings themselves: the daylight-saving override
// changes how flight plans convert, so switching it asks the user to convert again; the traffic
// percent bounds the board's rows, so a new value runs the board query again.
#pragma once

#include "app/settings.h"

#include <string_view>

namespace quorvel::app {

struct OptionChanges {
    bool reconvert = false;  // warn that the flight plan needs converting again
    bool requery = false;    // run the board query with the new traffic percent

    bool operator==(const OptionChanges&) const = default;
};

// `before` and `after` are the settings around OK; `shownTrafficPercent` is the traffic percent
// text as it was when the dialog was last shown. Percents compare as text, as the file holds them.
OptionChanges optionChanges(const Settings& before, const Settings& after, std::string_view shownTrafficPercent);

}  // namespace quorvel::app
