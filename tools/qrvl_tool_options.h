// What the commands of qrvl-tool share: their entry points, the reading of their command lines
// (a usage error, --help, an option's value, the UTC offset), and the zone list they read.
#pragma once

#include "board/board_query.h"
#include "board/board_time.h"

#include <filesystem>
#include <string>
#include <vector>

namespace quorvel::tool {

// A command line a command cannot run with. main() reports it as
// "qrvl-tool COMMAND: TEXT (see qrvl-tool COMMAND --help)" and exits with status 2.
struct UsageError {
    std::string text;
};

// "--help" or "-h" anywhere among a command's arguments.
bool wantsHelp(const std::vector<std::string>& args);

// The value that follows the option at args[i] ("--out FILE"); moves i onto it.
const std::string& optionValue(const std::vector<std::string>& args, std::size_t& i);

// The value of --utc-offset-hours: whole hours from -24 to 24.
int utcOffsetHoursOption(const std::string& text);

// The commands besides dump and board, each in a file of its own; each returns the exit status.
int scanCommand(const std::vector<std::string>& args);
int convertCommand(const std::vector<std::string>& args);
int checkCommand(const std::vector<std::string>& args);
int serveCommand(const std::vector<std::string>& args);

// The board command when --zone is airport or utc, or a window is asked for.
int timedBoardCommand(const board::BoardInputs& inputs, board::TimeInputs time, bool momentGiven,
                      const std::string& flightsFile, const std::string& zonesOption, bool overrideDst, bool explain);
// The zone list: the one given, else the one beside the flight table, else the program folder's.
std::filesystem::path zonesFile(const std::string& given, const std::string& flightsFile);

}  // namespace quorvel::tool
