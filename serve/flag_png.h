// serve/flag_png.h: the flag pictures of the flag folder as PNG, for browsers.
//
// Only a name that the flag list gives is looked up, and its file is found by the folder's
// listing (flags/flag_picture.h), so no name reaches another file of the disk. Pictures are
// Windows bitmaps; each is converted once and kept while its file's size and time stay the
// same, so a picture replaced in the Flag Manager is served anew.
#pragma once

#include "flags/flag_list.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel::serve {

inline constexpr std::uintmax_t maxFlagFileBytes = 4 * 1024 * 1024;
inline constexpr int maxFlagSide = 2048;  // pixels

// The PNG bytes of a bitmap file; nothing when the bytes are not a bitmap (or one too large).
std::optional<std::string> bitmapToPng(std::string_view bitmap);

// The flag name of `list` that equals `requested` (UTF-8, as a URL gives it) ignoring letter
// case, as the list writes it; nothing when the list gives no such name.
std::optional<std::string> listedFlagName(const flags::FlagList& list, std::string_view requested);

// Safe to call from any thread.
class FlagPngCache {
public:
    // The PNG of flag `flagName` (Windows-1252, from the list) in `flagFolder`; nothing when the
    // folder holds no picture of that name or it is not a readable bitmap.
    std::shared_ptr<const std::string> png(const std::filesystem::path& flagFolder, std::string_view flagName);

    int conversions() const;  // how many pictures were converted so far

private:
    struct Entry {
        std::filesystem::file_time_type time;
        std::uintmax_t size = 0;
        std::shared_ptr<const std::string> png;
    };
    mutable std::mutex mutex_;
    std::map<std::filesystem::path, Entry> entries_;
    int conversions_ = 0;
};

}  // namespace quorvel::serve
