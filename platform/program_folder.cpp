#include "platform/program_folder.h"

#include "platform/atomic_file.h"
#include "platform/error.h"

#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace quorvel::platform {

namespace fs = std::filesystem;

namespace {

std::string readShippedFile(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) throw Error(file.string() + ": cannot be read: " + std::strerror(errno));
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) throw Error(file.string() + ": cannot be read: " + std::strerror(errno));
    return bytes;
}

// Copies a file or a folder tree; each file goes through the atomic writer, so it is on disk
// before the item is renamed into place.
void copyItem(const fs::path& source, const fs::path& target)
{
    std::error_code error;
    if (!fs::is_directory(source, error)) {
        writeFileAtomically(target, readShippedFile(source));
        return;
    }
    if (!fs::create_directory(target, error) && error)
        throw Error(target.string() + ": cannot be made: " + error.message());
    for (fs::directory_iterator entry(source, error), end; !error && entry != end; entry.increment(error))
        copyItem(entry->path(), target / entry->path().filename());
    if (error) throw Error(source.string() + ": cannot be read: " + error.message());
}

}  // namespace

fs::path dataFolderOf(const fs::path& executable)
{
    return (executable.parent_path().parent_path() / "share" / programDataName).lexically_normal();
}

ProgramFolder chooseProgramFolder(const fs::path& executable, bool executableFolderWritable, const char* xdgDataHome,
                                  const char* home)
{
    const fs::path ownFolder = executable.parent_path();
    const fs::path data = dataFolderOf(executable);
    std::error_code error;
    const bool installed = fs::is_directory(data, error);
    if (executableFolderWritable && !installed) return {ownFolder, {}};

    fs::path base;
    if (xdgDataHome && *xdgDataHome && fs::path(xdgDataHome).is_absolute()) {
        base = xdgDataHome;
    } else if (home && *home) {
        base = fs::path(home) / ".local" / "share";
    } else {
        throw Error(ownFolder.string() +
                    " is no place for the program's files, and neither XDG_DATA_HOME nor HOME is set to find another");
    }
    // A copy that may not be written into still holds the shipped files, ready to be copied.
    return {base / programDataName, installed ? data : ownFolder};
}

bool folderWritable(const fs::path& folder)
{
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::vector<std::string> prepareProgramFolder(const ProgramFolder& place)
{
    std::error_code error;
    fs::create_directories(place.folder, error);
    if (error) throw Error(place.folder.string() + ": the program folder cannot be made: " + error.message());

    std::vector<std::string> copied;
    if (place.dataFolder.empty()) return copied;
    for (const std::string_view item : shippedItems) {
        const std::string name(item);
        const fs::path target = place.folder / name;
        // Anything of that name, even a dangling link, is the user's and stays.
        if (fs::exists(fs::symlink_status(target, error))) continue;
        const fs::path source = place.dataFolder / name;
        // Under a hidden name of this process until complete: two first starts at once do not mix.
        const fs::path partial = place.folder / ("." + name + ".copy-" + std::to_string(::getpid()));
        fs::remove_all(partial, error);
        try {
            copyItem(source, partial);
            fs::rename(partial, target);
        } catch (const std::exception& e) {
            fs::remove_all(partial, error);
            if (fs::exists(fs::symlink_status(target, error))) continue;  // another start was quicker
            throw Error(source.string() + ": cannot be copied into the program folder " + place.folder.string() + ": " +
                        e.what());
        }
        copied.push_back(name);
    }
    if (!copied.empty()) {
        if (const int failure = syncFolder(place.folder))
            throw Error(place.folder.string() + ": the copied files cannot be written: " + std::strerror(failure));
    }
    return copied;
}

ProgramFolder thisProgramFolder()
{
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    if (error) throw Error("/proc/self/exe: the program's own file cannot be found: " + error.message());
    return chooseProgramFolder(executable, folderWritable(executable.parent_path()), std::getenv("XDG_DATA_HOME"),
                               std::getenv("HOME"));
}

fs::path readableProgramFile(const ProgramFolder& place, std::string_view name)
{
    const fs::path own = place.folder / name;
    std::error_code error;
    if (fs::exists(own, error) || place.dataFolder.empty()) return own;
    const fs::path shipped = place.dataFolder / name;
    return fs::exists(shipped, error) ? shipped : own;
}

}  // namespace quorvel::platform
