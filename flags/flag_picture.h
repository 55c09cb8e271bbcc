// flags/flag_picture.h: which file in the flag folder is the picture of a flag name.
// The picture of flag name N is N + ".bmp", found whatever the letter case of the whole file
// name ("AZA.BMP", "aza.bmp" and "Aza.Bmp" are one picture). Names are matched against the
// folder's listing, so a flag name holding a path ("../x") never reaches outside the folder.
//
// flagPicture lists the folder at each call. The board resolves a picture for every painted
// airline cell, so it keeps a FlagPictureFinder, which keeps each folder's listing while the
// folder's stamp holds: a picture added, removed or renamed is still seen at the next call.
#pragma once

#include "platform/file_stamp_cache.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quorvel::flags {

inline constexpr const char* flagPictureExtension = ".bmp";

// The picture file of `flagName` (Windows-1252) in `flagFolder`, or nothing when the folder
// holds no such file or the name is empty. Where several files differ only in letter case,
// N.bmp is preferred, then N.BMP, then the first in byte order.
std::optional<std::filesystem::path> flagPicture(const std::filesystem::path& flagFolder, std::string_view flagName);

// The regular files of a folder by their folded names (several names when they differ only in
// letter case, sorted).
struct FolderListing {
    std::unordered_map<std::string, std::vector<std::string>> namesByFolded;
};

// flagPicture for a caller that asks often: each folder is listed again only when its stamp
// changes or was too recent to trust (platform/file_stamp_cache.h). Owned by its one user.
class FlagPictureFinder {
public:
    explicit FlagPictureFinder(const platform::FileClock& clock);  // `clock` must outlive the finder

    std::optional<std::filesystem::path> find(const std::filesystem::path& flagFolder, std::string_view flagName);

    int listings() const { return listings_.makes(); }  // how many times a folder was listed

private:
    platform::FileStampCache<FolderListing> listings_;
};

// As flagPicture, but a missing picture is a quorvel::Error naming the file that was looked for.
std::filesystem::path requireFlagPicture(const std::filesystem::path& flagFolder, std::string_view flagName);

// The file name a flag name asks for, flagFolder/N.bmp, for messages.
std::filesystem::path expectedFlagPicture(const std::filesystem::path& flagFolder, std::string_view flagName);

// The text of the error when `picture` exists but cannot be read as a bitmap.
std::string notABitmapMessage(const std::filesystem::path& picture);

}  // namespace quorvel::flags
