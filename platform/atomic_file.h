// platform/atomic_file.h: every file the program writes goes through here.
// The bytes go to a hidden temporary file beside the target (".flight.cds.XXXXXX"), are flushed
// to disk and renamed over the target, so a failed or interrupted write leaves the old file whole.
// The folder is flushed after the rename, so a power cut cannot take the new name back.
//
// A save that was killed leaves its temporary file behind. The next successful save of the same
// target removes such leftovers: the regular files named "." + target name + "." + six letters or
// digits, and nothing else. A save in progress holds a lock on its temporary file, so another
// program saving the same target at the same moment never loses its file.
#pragma once

#include <sys/types.h>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace quorvel::platform {

class AtomicFile {
public:
    explicit AtomicFile(std::filesystem::path target);  // throws quorvel::Error when the folder refuses a new file
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile();  // removes the temporary file unless committed

    void write(std::string_view bytes);  // buffered; throws quorvel::Error
    // Replaces bytes already written, from `offset` on (a count known only at the end); throws quorvel::Error.
    void writeAt(std::uint64_t offset, std::string_view bytes);
    void commit();  // flush, sync, rename into place, remove leftovers, sync the folder; throws quorvel::Error

private:
    void flushBuffer();
    void writeAll(std::string_view bytes);
    [[noreturn]] void fail(const std::string& action, int error);

    std::filesystem::path target_;
    std::string temporary_;
    int fd_ = -1;
    std::string buffer_;
};

// The process's umask, read from the "Umask:" line of its status file without changing it;
// 077 (files private) when the line cannot be read.
mode_t processUmask(const std::filesystem::path& status = "/proc/self/status");

// Flushes the folder's entries (a rename into it) to disk; 0 or the error. A folder we may not
// open for reading, or a file system that cannot flush folders, is left to the system.
int syncFolder(const std::filesystem::path& folder);

// Writes the whole of `bytes` to `target` atomically; throws quorvel::Error naming the path and the reason.
void writeFileAtomically(const std::filesystem::path& target, std::string_view bytes);

}  // namespace quorvel::platform
