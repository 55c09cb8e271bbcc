#include "app/option_changes.h"

namespace quorvel::app {

OptionChanges optionChanges(const Settings& before, const Settings& after, std::string_view shownTrafficPercent)
{
    // A percent stepped away and back before OK is no change; the texts differ only when the
    // value the board was filtered with when the dialog opened is no longer the setting.
    return {.reconvert = before.overrideDst != after.overrideDst,
            .requery = after.trafficPercent != shownTrafficPercent};
}

}  // namespace quorvel::app
