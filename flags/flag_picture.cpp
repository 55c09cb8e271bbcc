#include "flags/flag_picture.h"

#include "platform/case_fold.h"
#include "platform/error.h"
#include "platform/windows1252.h"

#include <algorithm>

namespace quorvel::flags {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t folderLimit = 16;

// The regular files of `folder`: a subfolder named like a picture is not one.
platform::FileStampCache<FolderListing>::Made listFolder(const fs::path& folder)
{
    platform::FileStampCache<FolderListing>::Made made;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
        std::error_code ignored;
        if (!entry->is_regular_file(ignored)) continue;
        const std::string name = entry->path().filename().string();
        made.value.namesByFolded[platform::foldUtf8(name)].push_back(name);
    }
    for (auto& [folded, names] : made.value.namesByFolded) std::sort(names.begin(), names.end());
    // A listing cut short by an error must not be trusted later.
    made.complete = !error;
    return made;
}

std::string pictureFileName(std::string_view flagName)
{
    return platform::utf8FromWindows1252(flagName) + flagPictureExtension;
}

// The picture of `flagName` among the files of `listing`, whatever their letter case.
std::optional<fs::path> pictureIn(const fs::path& flagFolder, const FolderListing& listing, std::string_view flagName)
{
    const std::string wanted = pictureFileName(flagName);
    const auto names = listing.namesByFolded.find(platform::foldUtf8(wanted));
    if (names == listing.namesByFolded.end()) return std::nullopt;
    const std::vector<std::string>& candidates = names->second;
    const std::string base = wanted.substr(0, wanted.size() - std::string_view(flagPictureExtension).size());
    for (const std::string& preferred : {wanted, base + ".BMP"})
        if (std::binary_search(candidates.begin(), candidates.end(), preferred)) return flagFolder / preferred;
    return flagFolder / candidates.front();
}

}  // namespace

std::optional<fs::path> flagPicture(const fs::path& flagFolder, std::string_view flagName)
{
    if (flagName.empty()) return std::nullopt;
    return pictureIn(flagFolder, listFolder(flagFolder).value, flagName);  // a folder that cannot be read lists nothing
}

FlagPictureFinder::FlagPictureFinder(const platform::FileClock& clock) : listings_(clock, folderLimit) {}

std::optional<fs::path> FlagPictureFinder::find(const fs::path& flagFolder, std::string_view flagName)
{
    if (flagName.empty()) return std::nullopt;
    const FolderListing* listing = listings_.get(flagFolder, listFolder);
    return listing ? pictureIn(flagFolder, *listing, flagName) : std::nullopt;
}

fs::path requireFlagPicture(const fs::path& flagFolder, std::string_view flagName)
{
    if (auto picture = flagPicture(flagFolder, flagName)) return *picture;
    throw Error(expectedFlagPicture(flagFolder, flagName).string() +
                ": cannot be loaded: there is no such picture in the flag folder");
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
