// tests/support/run_tool.h: runs qrvl-tool as a user would, and keeps what it said.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quorvel::test {

struct ToolRun {
    int status = -1;  // exit status; -1 when it did not exit normally
    std::string out;
    std::string err;
};

// Runs `program` with `args` (and TZ set when `tz` is not empty); standard error goes through a
// file in `scratch`.
ToolRun runTool(const std::string& program, const std::vector<std::string>& args, const std::filesystem::path& scratch,
                const std::string& tz = {});

}  // namespace quorvel::test
