#include "flags/flag_picture.h"

#include "platform/case_fold.h"
#include "platform/error.h"
#include "platform/windows1252.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace quorvel::flags {

namespace {

namespace fs = std::filesystem;

// A folder changed less than this long before it was listed may change again within the same
// tick of a coarse file-system clock; such a listing is taken again at every call until it is older.
constexpr auto settleTime = std::chrono::seconds(2);
constexpr std::size_t folderLimit = 16;

struct Listing {
    fs::file_time_type modified;
    bool settled = false;
    std::unordered_map<std::string, std::vector<std::string>> namesByFolded;  // folded file name -> names, sorted
};

Listing listFolder(const fs::path& folder, fs::file_time_type modified)
{
    Listing listing;
    listing.modified = modified;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
        std::error_code ignored;
        if (!entry->is_regular_file(ignored)) continue;
        const std::string name = entry->path().filename().string();
        listing.namesByFolded[platform::foldUtf8(name)].push_back(name);
    }
    for (auto& [folded, names] : listing.namesByFolded) std::sort(names.begin(), names.end());
    // A listing cut short by an error must not be trusted later.
    listing.settled = !error && fs::file_time_type::clock::now() - modified > settleTime;
    return listing;
}

class ListingCache {
public:
    std::optional<std::string> find(const fs::path& folder, const std::string& wanted)
    {
        std::error_code error;
        const fs::file_time_type modified = fs::last_write_time(folder, error);
        const std::lock_guard lock(mutex_);
        if (error) {
            listings_.erase(folder.string());
            return std::nullopt;
        }
        auto found = listings_.find(folder.string());
        if (found == listings_.end() || found->second.modified != modified || !found->second.settled) {
            if (found == listings_.end() && listings_.size() >= folderLimit) listings_.clear();
            found = listings_.insert_or_assign(folder.string(), listFolder(folder, modified)).first;
        }
        const auto names = found->second.namesByFolded.find(platform::foldUtf8(wanted));
        if (names == found->second.namesByFolded.end()) return std::nullopt;
        const std::vector<std::string>& candidates = names->second;
        const std::string base = wanted.substr(0, wanted.size() - std::string_view(flagPictureExtension).size());
        for (const std::string& preferred : {wanted, base + ".BMP"})
            if (std::binary_search(candidates.begin(), candidates.end(), preferred)) return preferred;
        return candidates.front();
    }

private:
    std::mutex mutex_;
    std::unordered_map<std::string, Listing> listings_;
};

ListingCache& listingCache()
{
    static ListingCache cache;
    return cache;
}

std::string pictureFileName(std::string_view flagName)
{
    return platform::utf8FromWindows1252(flagName) + flagPictureExtension;
}

}  // namespace

std::optional<fs::path> flagPicture(const fs::path& flagFolder, std::string_view flagName)
{
    if (flagName.empty()) return std::nullopt;
    const std::optional<std::string> name = listingCache().find(flagFolder, pictureFileName(flagName));
    if (!name) return std::nullopt;
    return flagFolder / *name;
}

fs::path requireFlagPicture(const fs::path& flagFolder, std::string_view flagName)
{
    if (auto picture = flagPicture(flagFolder, flagName)) return *picture;
    throw Error(expectedFlagPicture(flagFolder, flagName).string() + ": cannot be loaded: there is no such picture in the flag folder");
}

fs::path expectedFlagPicture(const fs::path& flagFolder, std::string_view flagName)
{
    return flagFolder / pictureFileName(flagName);
}

std::string notABitmapMessage(const fs::path& picture)
{
    return picture.string() + ": cannot be loaded: it is not a bitmap (BMP) picture";
}

}  // namespace quorvel::flags
