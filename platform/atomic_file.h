// platform/atomic_file.h: every file the program writes goes through here.
// The bytes go to a temporary file beside the target, are flushed to disk and
// renamed over the target, so a failed or interrupted write leaves the old file whole.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace quorvel::platform {

class AtomicFile {
public:
    explicit AtomicFile(std::filesystem::path target);  // throws quorvel::Error when the folder refuses a new file
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile();                                      // removes the temporary file unless committed

    void write(std::string_view bytes);                 // buffered; throws quorvel::Error
    void commit();                                      // flush, sync, rename into place; throws quorvel::Error

private:
    void flushBuffer();
    [[noreturn]] void fail(const std::string& action, int error);

    std::filesystem::path target_;
    std::string temporary_;
    int fd_ = -1;
    std::string buffer_;
};

// Writes the whole of `bytes` to `target` atomically; throws quorvel::Error naming the path and the reason.
void writeFileAtomically(const std::filesystem::path& target, std::string_view bytes);

}  // namespace quorvel::platform
