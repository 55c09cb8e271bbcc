#include "platform/atomic_file.h"

#include "platform/error.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel::platform {

namespace {
constexpr std::size_t bufferLimit = 1 << 20;
}

AtomicFile::AtomicFile(std::filesystem::path target) : target_(std::move(target))
{
    std::filesystem::path folder = target_.parent_path();
    if (folder.empty()) folder = ".";
    std::string pattern = (folder / ("." + target_.filename().string() + ".XXXXXX")).string();
    fd_ = ::mkstemp(pattern.data());
    if (fd_ < 0) fail("cannot be written", errno);
    temporary_ = pattern;
    // mkstemp makes the file private; a table file should be as readable as any other file we create.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd_, 0666 & ~mask);
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
        buffer_.assign(bytes);
        flushBuffer();
        return;
    }
    buffer_.append(bytes);
}

void AtomicFile::flushBuffer()
{
    const char* data = buffer_.data();
    std::size_t left = buffer_.size();
    while (left > 0) {
        const ssize_t written = ::write(fd_, data, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            fail("cannot be written", errno);
        }
        data += written;
        left -= std::size_t(written);
    }
    buffer_.clear();
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
