// board/flag_cell_delegate.h: paints the board's cells. The AIRLINE cell shows the airline's
// flag picture stretched to the cell, else the airline text at the cell's top-left corner; the
// EXP. TIME cell adds the scheduled time of the board's direction at its top-left corner; every
// other cell is painted the standard way, centred.
#pragma once

#include "flags/flag_picture.h"
#include "platform/file_stamp_cache.h"

#include <QImage>
#include <QStyledItemDelegate>
#include <filesystem>
#include <string_view>

namespace quorvel::flags {
class FlagList;
}

namespace quorvel::ui {

// The flag pictures of the board's airline cells, found and decoded. The flag folder's listing
// and each decoded picture are kept while the folder's and the file's stamps hold
// (platform/file_stamp_cache.h), so scrolling a long board looks at file status only; a picture
// added, renamed or replaced shows at the next paint. Owned by the delegate, on the
// user-interface thread.
class FlagPictureCache {
public:
    explicit FlagPictureCache(const quorvel::platform::FileClock& clock);  // `clock` must outlive the cache

    // The picture of `flagName` (Windows-1252) in `flagFolder`, or nullptr when the folder holds
    // none or its file is not a bitmap (BMP). The pointer stays valid until the next call.
    const QImage* picture(const std::filesystem::path& flagFolder, std::string_view flagName);

    int decodes() const { return images_.makes(); }  // how many times a file was read and decoded

private:
    quorvel::flags::FlagPictureFinder files_;
    quorvel::platform::FileStampCache<QImage> images_;  // a null image for a file that is not a bitmap
};

class FlagCellDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    // `flagList` must outlive the delegate; it is read at every paint, so a reloaded list shows
    // at the next paint. `fileClock` dates the flag files for the picture cache and must outlive it too.
    FlagCellDelegate(const quorvel::flags::FlagList& flagList, std::filesystem::path flagFolder,
                     const quorvel::platform::FileClock& fileClock, QObject* parent = nullptr);

    void setFlagFolder(std::filesystem::path flagFolder) { flagFolder_ = std::move(flagFolder); }
    const FlagPictureCache& pictureCache() const { return pictures_; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    void paintAirline(QPainter* painter, const QStyleOptionViewItem& option, const QString& airline) const;

    const quorvel::flags::FlagList& flagList_;
    std::filesystem::path flagFolder_;
    mutable FlagPictureCache pictures_;
};

}  // namespace quorvel::ui
