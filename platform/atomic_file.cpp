#include "platform/atomic_file.h"

#include "platform/error.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace quorvel::platform {

namespace {

constexpr std::size_t bufferLimit = 1 << 20;
constexpr std::size_t suffixLength = 6;  // the "XXXXXX" that mkstemp fills with letters and digits

std::filesystem::path folderOf(const std::filesystem::path& target)
{
    std::filesystem::path folder = target.parent_path();
    return folder.empty() ? "." : folder;
}

std::string temporaryPrefix(const std::filesystem::path& target)
{
    return "." + target.filename().string() + ".";
}

bool isAsciiAlphanumeric(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool isTemporaryName(std::string_view name, std::string_view prefix)
{
    return name.size() == prefix.size() + suffixLength && name.starts_with(prefix) &&
           std::all_of(name.begin() + std::ptrdiff_t(prefix.size()), name.end(), isAsciiAlphanumeric);
}

// Removes the temporary files that killed saves of the same target left in `folder`. One that a
// save in progress holds is locked and stays; so does anything that is not a regular file.
void removeLeftovers(const std::filesystem::path& folder, std::string_view prefix)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    const int dirFd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        if (!isTemporaryName(entry->d_name, prefix)) continue;
        const int fd = ::openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat info {};
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(dirFd, entry->d_name, 0);
        ::close(fd);
    }
    ::closedir(dir);
}

}  // namespace

int syncFolder(const std::filesystem::path& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return 0;
    const int error = ::fsync(fd) == 0 || errno == EINVAL || errno == EROFS ? 0 : errno;
    ::close(fd);
    return error;
}

mode_t processUmask(const std::filesystem::path& status)
{
    // Setting the umask to read it back would, for that moment, give the files that another
    // thread creates the wrong mode; the kernel shows it in the process status instead.
    std::ifstream in(status);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.starts_with("Umask:")) continue;
        std::istringstream field(line.substr(6));
        unsigned mask = 0;
        if (field >> std::oct >> mask && mask <= 0777 && (field >> std::ws).eof()) return mode_t(mask);
        break;
    }
    // Without it the temporary file keeps the private mode mkstemp gave it: never more open
    // than the user allows.
    return 077;
}

AtomicFile::AtomicFile(std::filesystem::path target) : target_(std::move(target))
{
    std::string pattern = (folderOf(target_) / (temporaryPrefix(target_) + std::string(suffixLength, 'X'))).string();
    fd_ = ::mkstemp(pattern.data());
    if (fd_ < 0) fail("cannot be written", errno);
    temporary_ = pattern;
    // Tells a save of the same target in another process that this file is no leftover.
    ::flock(fd_, LOCK_EX | LOCK_NB);
    // mkstemp makes the file private; a table file should be as readable as any other file we create.
    ::fchmod(fd_, 0666 & ~processUmask());
    buffer_.reserve(bufferLimit);
}

AtomicFile::~AtomicFile()
{
    if (fd_ >= 0) ::close(fd_);
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

void AtomicFile::write(std::string_view bytes)
{
    if (buffer_.size() + bytes.size() > bufferLimit) flushBuffer();
    if (bytes.size() >= bufferLimit) {
        writeAll(bytes);  // a large piece goes out as it is, without a copy
        return;
    }
    buffer_.append(bytes);
}

void AtomicFile::writeAt(std::uint64_t offset, std::string_view bytes)
{
    flushBuffer();
    while (!bytes.empty()) {
        const ssize_t written = ::pwrite(fd_, bytes.data(), bytes.size(), off_t(offset));
        if (written < 0) {
            if (errno == EINTR) continue;
            fail("cannot be written", errno);
        }
        bytes.remove_prefix(std::size_t(written));
        offset += std::uint64_t(written);
    }
}

void AtomicFile::flushBuffer()
{
    writeAll(buffer_);
    buffer_.clear();
}

void AtomicFile::writeAll(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            fail("cannot be written", errno);
        }
        bytes.remove_prefix(std::size_t(written));
    }
}

void AtomicFile::commit()
{
    flushBuffer();
    if (::fsync(fd_) != 0) fail("cannot be written", errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) fail("cannot be written", errno);
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) fail("cannot be replaced", errno);
    temporary_.clear();
    const std::filesystem::path folder = folderOf(target_);
    removeLeftovers(folder, temporaryPrefix(target_));
    if (const int error = syncFolder(folder)) fail("cannot be written", error);
}

void AtomicFile::fail(const std::string& action, int error)
{
    throw Error(target_.string() + ": " + action + ": " + std::strerror(error));
}

void writeFileAtomically(const std::filesystem::path& target, std::string_view bytes)
{
    AtomicFile file(target);
    file.write(bytes);
    file.commit();
}

}  // namespace quorvel::platform
