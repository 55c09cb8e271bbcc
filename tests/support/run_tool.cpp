#include "tests/support/run_tool.h"

#include "tests/support/temp_folder.h"

#include <sys/wait.h>
#include <cstdio>

namespace quorvel::test {

ToolRun runTool(const std::string& program, const std::vector<std::string>& args, const std::filesystem::path& scratch,
                const std::string& tz)
{
    const auto quoted = [](const std::string& arg) { return "'" + arg + "'"; };
    std::string command = tz.empty() ? program : "TZ=" + quoted(tz) + " " + program;
    for (const std::string& a : args) command += " " + quoted(a);
    command += " 2>" + quoted((scratch / "stderr").string());
    ToolRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = readBytes(scratch / "stderr");
    return run;
}

}  // namespace quorvel::test
