// tables/airport_editor.h: the Airport Manager's editing of its airport table, row by row.
//
// The editor shows the table's rows in a grid order (ascending ICAO_CODE or DESCRIPTION) and
// edits one row at a time as one record. The first change (or beginEdit) opens a row; its new
// values wait in the editor until the row is posted, and only then reach the table and move
// the row to its place in the order. Cancel drops them. An inserted row exists only in the
// editor until it is posted. Whatever changes what the grid shows is told to a listener, before
// and after, so a view over the editor can follow without reading every row again.
#pragma once

#include "tables/airport_table.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::tables {

// The most characters a value of `field` keeps: 4 for ICAO_CODE, 30 for DESCRIPTION.
std::size_t airportFieldWidth(int field);

// Rows are grid positions at the time of the call. Every method has an empty default.
struct AirportEditorListener {
    virtual ~AirportEditorListener() = default;
    virtual void aboutToInsert(int /*row*/) {}
    virtual void inserted(int /*row*/) {}
    virtual void aboutToRemove(int /*row*/) {}
    virtual void removed(int /*row*/) {}
    virtual void aboutToReorder() {}
    // newRowOf[r] is where the row shown at r before the change is shown now.
    virtual void reordered(const std::vector<int>& /*newRowOf*/) {}
    virtual void rowChanged(int /*row*/) {}  // its values or whether it is open
    virtual void cellChanged(int /*row*/, int /*field*/) {}
    virtual void editingChanged() {}  // the state or the open row
};

class AirportEditor {
public:
    enum class State { Browse, Edit, Insert };

    // `airports` must outlive the editor and change only through it (or be followed by reset()).
    // Starts browsing in DESCRIPTION order.
    AirportEditor(Table& airports, AirportEditorListener& listener);

    void reset();  // after the table was replaced: browse, rows in order; tells the listener nothing
    void setOrder(AirportField field);  // posts an open row first
    AirportField order() const { return order_; }

    State state() const { return state_; }
    int openRow() const { return state_ == State::Browse ? -1 : openRow_; }  // -1 when browsing
    int rowCount() const { return int(view_.size()); }

    // The value shown at (`row`, `field`): the open row's new value, else the table's; nothing = null.
    std::optional<std::string_view> value(int row, int field) const;

    void beginEdit(int row);  // opens `row`, posting another open row first; ignores a row out of range
    // Opens `row` when it is not open and sets the field, cut to the field's width. Returns the
    // open row's position (posting another row may have moved it), -1 for a row out of range.
    int setValue(int row, int field, std::string_view text);
    int insertBlank(int row);  // posts, then opens a new empty row at `row` (clamped); returns its position
    void post();               // writes the open row into the table; it moves to its place in the order
    void cancel();             // drops the open row's changes; an inserted row goes away
    // Erases the row from the table, its pending changes with it. Another open row is posted
    // first; an inserted row is only dropped. Ignores a row out of range.
    void removeRowAt(int row);

private:
    static constexpr RowId newRow = ~RowId{0};  // the inserted row in view_

    void reorder();
    void close();  // back to browsing, pending values dropped
    int positionOf(RowId id) const;
    std::optional<std::string_view> stored(int row, int field) const;

    Table& airports_;
    AirportEditorListener& listener_;
    View view_;  // row numbers into airports_ in grid order; newRow marks an inserted row
    AirportField order_ = AirportDescription;
    State state_ = State::Browse;
    int openRow_ = -1;
    std::array<std::optional<std::string>, 2> pending_;  // the open row's values; nothing = null
};

}  // namespace quorvel::tables
