// bench/bench_probe.h: measurements that need a fresh process of their own: the peak resident
// memory of loading the flight table, and the program's start-up without its fixed waits.
// The benchmark program runs itself again with --child to take them.
#pragma once

#include <filesystem>
#include <string>

// In the child: prints one line "<peak bytes over the baseline> <records>" and returns the exit status.
int memoryChild(const std::filesystem::path& flightFile);
// In the child: prints one line "<milliseconds> <fixed waits in milliseconds>"; `folder` holds the
// program folder, Wine prefix and settings that prepareStartupFolder() made.
int startupChild(int argc, char** argv, const std::filesystem::path& folder);

// Lays out a program folder with the shipped airport table and the demo flags, a Wine prefix with
// the demo simulator, and settings that do not load a flight table at the first show.
void prepareStartupFolder(const std::filesystem::path& folder, const std::filesystem::path& airportTable,
                          const std::filesystem::path& sourceFolder);

// Runs this program again with `arguments` and returns the last line it printed; throws
// std::runtime_error with all it printed when it fails.
std::string runChild(const std::string& arguments);

// The value of a "Vm..." line of /proc/self/status, in bytes.
std::uint64_t procStatusBytes(const char* key);
