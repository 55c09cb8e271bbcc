// board/board_grid_view.h: the board grid's look and its click, applied to the main window's DBGrid1.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <array>
#include <filesystem>
#include <optional>

class QTableView;

namespace quorvel::flags {
class FlagList;
}
namespace quorvel::platform {
struct FileClock;
}

namespace quorvel::ui {

class BoardModel;
class FlagCellDelegate;

// Column widths in pixels; 0 stands for the toolkit's default width.
inline constexpr std::array<int, 8> boardColumnWidths = {76, 0, 112, 124, 0, 142, 140, 76};

QFont boardCellFont();   // "MS Sans Serif" 13 pixels italic, else the system's sans serif
QFont boardTitleFont();  // the same, upright

// Widths, fonts, row height and options of the grid (titles, resizable columns, lines, Tab
// between cells, multi-select of rows, no row indicator, no editing), and the delegate that
// paints flags and the expected time. The grid's model must already be a BoardModel; the
// returned delegate belongs to the grid. `flagList` and `fileClock` must outlive the grid.
FlagCellDelegate* configureBoardGrid(QTableView& grid, const quorvel::flags::FlagList& flagList,
                                     const std::filesystem::path& flagFolder,
                                     const quorvel::platform::FileClock& fileClock);

// The board's background and text colours; selected rows keep the toolkit's selection colours.
void applyBoardColours(QTableView& grid, const QColor& background, const QColor& text);

// What panel 6 shows after a click: "Aircraft:" and the model of the selected row when exactly
// one row is selected; nothing otherwise, and the panel keeps its text.
std::optional<QString> aircraftPanelText(const QTableView& grid, const BoardModel& model);

}  // namespace quorvel::ui
