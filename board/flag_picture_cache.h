// board/flag_picture_cache.h: decoded flag pictures for the board's airline cells.
// A picture is decoded once and kept while its file keeps its modification time and size, so
// scrolling a long board looks at each file's status only; a replaced file shows at the next
// paint. A file changed within the last two seconds may change again within the same tick of a
// coarse file-system clock, so it is decoded again at every paint until it is older.
// Used on the user-interface thread only.
#pragma once

#include <QImage>
#include <filesystem>
#include <string>
#include <unordered_map>

class FlagPictureCache {
public:
    // The picture in `file`, or nullptr when the file is missing or is not a bitmap (BMP).
    // The pointer stays valid until the next call.
    const QImage* picture(const std::filesystem::path& file);

    int decodes() const { return decodes_; }   // how many times a file was read and decoded

private:
    struct Entry {
        std::filesystem::file_time_type modified;
        std::uintmax_t size = 0;
        bool settled = false;
        QImage image;                           // null when the file is not a bitmap
    };

    std::unordered_map<std::string, Entry> entries_;
    int decodes_ = 0;
};
