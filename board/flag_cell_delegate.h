// board/flag_cell_delegate.h: paints the board's cells. The AIRLINE cell shows the airline's
// flag picture stretched to the cell, else the airline text at the cell's top-left corner; the
// EXP. TIME cell adds the scheduled time of the board's direction at its top-left corner; every
// other cell is painted the standard way, centred.
#pragma once

#include "board/flag_picture_cache.h"

#include <QStyledItemDelegate>
#include <filesystem>

namespace quorvel::flags {
class FlagList;
}

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
