// flags/flag_picture.h: which file in the flag folder is the picture of a flag name.
// The picture of flag name N is N + ".bmp", found whatever the letter case of the whole file
// name ("AZA.BMP", "aza.bmp" and "Aza.Bmp" are one picture). Names are matched against the
// folder's listing, so a flag name holding a path ("../x") never reaches outside the folder.
//
// The board resolves a picture for every painted airline cell, so listings are cached per
// folder and keyed by the folder's modification time: a picture added, removed or renamed
// is seen at the next call. The cache is shared by every caller and safe across threads.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel::flags {

inline constexpr const char* flagPictureExtension = ".bmp";

// The picture file of `flagName` (Windows-1252) in `flagFolder`, or nothing when the folder
// holds no such file or the name is empty. Where several files differ only in letter case,
// N.bmp is preferred, then N.BMP, then the first in byte order.
std::optional<std::filesystem::path> flagPicture(const std::filesystem::path& flagFolder, std::string_view flagName);

// As flagPicture, but a missing picture is a quorvel::Error naming the file that was looked for.
std::filesystem::path requireFlagPicture(const std::filesystem::path& flagFolder, std::string_view flagName);

// The file name a flag name asks for, flagFolder/N.bmp, for messages.
std::filesystem::path expectedFlagPicture(const std::filesystem::path& flagFolder, std::string_view flagName);

// The text of the error when `picture` exists but cannot be read as a bitmap.
std::string notABitmapMessage(const std::filesystem::path& picture);

}  // namespace quorvel::flags
