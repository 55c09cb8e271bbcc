// platform/file_stamp_cache.h: values made from a file or a folder, kept while its stamp holds.
//
// A value (a decoded picture, a folder's listing) is kept while the file's stamp, its
// modification time and size, stays as it was, so a caller that asks at every paint only looks
// at the file's status. A file system with a coarse clock can change a file twice within one
// tick and leave the stamp as it was; so a value made less than the settle time after the stamp
// was set is made again at every call, until one is made when the stamp is older than that.
// The present comes from a FileClock its owner passes in, so tests can move it. A cache belongs
// to its one user and is not safe across threads.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>
#include <unordered_map>
#include <utility>

namespace quorvel::platform {

// The present on the clock that file modification times are stamped with.
struct FileClock {
    virtual ~FileClock() = default;
    virtual std::filesystem::file_time_type now() const = 0;
};

class SystemFileClock final : public FileClock {
public:
    std::filesystem::file_time_type now() const override { return std::filesystem::file_time_type::clock::now(); }
};

inline constexpr auto fileSettleTime = std::chrono::seconds(2);

template <typename Value>
class FileStampCache {
public:
    struct Made {
        Value value;
        bool complete = true;  // false for a read cut short: it is used once and made again next time
    };

    // Keeps at most `limit` files; a new file past that empties the cache rather than grow it.
    // `clock` must outlive the cache.
    FileStampCache(const FileClock& clock, std::size_t limit) : clock_(clock), limit_(limit) {}

    // The value of `file`: the kept one while its stamp holds and it was made settled, else
    // `make(file)`, which returns a Made. Nothing, and nothing kept, when the file's status
    // cannot be read (it is gone). The pointer stays valid until the next call.
    template <typename Make>
    const Value* get(const std::filesystem::path& file, Make&& make)
    {
        std::error_code error;
        const std::filesystem::file_time_type modified = std::filesystem::last_write_time(file, error);
        const std::string key = file.string();
        if (error) {
            entries_.erase(key);
            return nullptr;
        }
        std::uintmax_t size = std::filesystem::file_size(file, error);
        if (error) size = 0;  // a folder has no size; its time alone stamps it
        auto found = entries_.find(key);
        if (found == entries_.end() || !found->second.settled || found->second.modified != modified ||
            found->second.size != size) {
            if (found == entries_.end() && entries_.size() >= limit_) entries_.clear();
            // Read the clock before making, so a value made slowly is never taken for newer than it is.
            const bool old = clock_.now() - modified > fileSettleTime;
            Made made = make(file);
            ++makes_;
            found = entries_.insert_or_assign(key, Entry{modified, size, made.complete && old, std::move(made.value)})
                        .first;
        }
        return &found->second.value;
    }

    int makes() const { return makes_; }  // how many times a value was made

private:
    struct Entry {
        std::filesystem::file_time_type modified;
        std::uintmax_t size = 0;
        bool settled = false;
        Value value;
    };

    const FileClock& clock_;
    std::size_t limit_;
    std::unordered_map<std::string, Entry> entries_;
    int makes_ = 0;
};

}  // namespace quorvel::platform
