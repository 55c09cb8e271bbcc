#include "board/flag_picture_cache.h"

#include "app/qt_text.h"

#include <chrono>

namespace {

namespace fs = std::filesystem;

constexpr auto settleTime = std::chrono::seconds(2);
// Far more pictures than any board shows; past this the cache starts again rather than grow.
constexpr std::size_t entryLimit = 512;

}  // namespace

const QImage* FlagPictureCache::picture(const fs::path& file)
{
    std::error_code error;
    const fs::file_time_type modified = fs::last_write_time(file, error);
    const std::uintmax_t size = error ? 0 : fs::file_size(file, error);
    const std::string key = file.string();
    if (error) {
        entries_.erase(key);
        return nullptr;
    }
    auto found = entries_.find(key);
    if (found == entries_.end() || !found->second.settled || found->second.modified != modified ||
        found->second.size != size) {
        if (found == entries_.end() && entries_.size() >= entryLimit) entries_.clear();
        Entry entry;
        entry.modified = modified;
        entry.size = size;
        entry.settled = fs::file_time_type::clock::now() - modified > settleTime;
        // A file that is not a bitmap stays cached as such, so it is not decoded at every paint.
        entry.image.load(fromUtf8(key), "BMP");
        ++decodes_;
        found = entries_.insert_or_assign(key, std::move(entry)).first;
    }
    return found->second.image.isNull() ? nullptr : &found->second.image;
}
