// board/flag_picture_cache.h: the flag pictures of the board's airline cells, found and decoded.
// The flag folder's listing and each decoded picture are kept while the folder's and the file's
// stamps hold (platform/file_stamp_cache.h), so scrolling a long board looks at file status
// only; a picture added, renamed or replaced shows at the next paint. Owned by the delegate
// that paints the board, on the user-interface thread.
#pragma once

#include "flags/flag_picture.h"
#include "platform/file_stamp_cache.h"

#include <QImage>
#include <filesystem>
#include <string_view>

class FlagPictureCache {
public:
    explicit FlagPictureCache(const quorvel::platform::FileClock& clock);   // `clock` must outlive the cache

    // The picture of `flagName` (Windows-1252) in `flagFolder`, or nullptr when the folder holds
    // none or its file is not a bitmap (BMP). The pointer stays valid until the next call.
    const QImage* picture(const std::filesystem::path& flagFolder, std::string_view flagName);

    int decodes() const { return images_.makes(); }   // how many times a file was read and decoded

private:
    quorvel::flags::FlagPictureFinder files_;
    quorvel::platform::FileStampCache<QImage> images_;   // a null image for a file that is not a bitmap
};
