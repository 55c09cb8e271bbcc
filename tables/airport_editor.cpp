#include "tables/airport_editor.h"

#include <algorithm>

namespace quorvel::tables {

std::size_t airportFieldWidth(int field)
{
    return std::size_t(airportSchema().fields[std::size_t(field)].width);
}

AirportEditor::AirportEditor(Table& airports, AirportEditorListener& listener)
    : airports_(airports), listener_(listener)
{
    view_ = airportOrder(airports_, order_);
}

void AirportEditor::reset()
{
    close();
    view_ = airportOrder(airports_, order_);
}

void AirportEditor::setOrder(AirportField field)
{
    post();
    order_ = field;
    reorder();
}

void AirportEditor::reorder()
{
    listener_.aboutToReorder();
    const View before = std::move(view_);
    view_ = airportOrder(airports_, order_);
    // Only browsing rows are ordered, so every row of the table is in both views exactly once.
    std::vector<int> position(view_.size());
    for (std::size_t i = 0; i < view_.size(); ++i) position[view_[i]] = int(i);
    std::vector<int> newRowOf(before.size());
    for (std::size_t i = 0; i < before.size(); ++i) newRowOf[i] = position[before[i]];
    listener_.reordered(newRowOf);
}

void AirportEditor::close()
{
    state_ = State::Browse;
    openRow_ = -1;
    pending_ = {};
}

int AirportEditor::positionOf(RowId id) const
{
    return int(std::find(view_.begin(), view_.end(), id) - view_.begin());
}

std::optional<std::string_view> AirportEditor::stored(int row, int field) const
{
    const RowId id = view_[std::size_t(row)];
    if (id == newRow || airports_.isNull(id, field)) return std::nullopt;
    return airports_.text(id, field);
}

std::optional<std::string_view> AirportEditor::value(int row, int field) const
{
    if (row == openRow()) {
        const auto& pending = pending_[std::size_t(field)];
        return pending ? std::optional<std::string_view>(*pending) : std::nullopt;
    }
    return stored(row, field);
}

void AirportEditor::beginEdit(int row)
{
    if (row < 0 || row >= rowCount() || openRow() == row) return;
    const RowId id = view_[std::size_t(row)];
    post();  // another open row goes first; the order may move this one
    row = positionOf(id);
    pending_ = {};
    for (const int field : {AirportCode, AirportDescription})
        if (const auto value = stored(row, field)) pending_[std::size_t(field)] = std::string(*value);
    state_ = State::Edit;
    openRow_ = row;
    listener_.rowChanged(row);
    listener_.editingChanged();
}

int AirportEditor::setValue(int row, int field, std::string_view text)
{
    beginEdit(row);
    if (row < 0 || row >= rowCount() || state_ == State::Browse) return -1;
    pending_[std::size_t(field)] = std::string(text.substr(0, airportFieldWidth(field)));
    listener_.cellChanged(openRow_, field);
    return openRow_;
}

int AirportEditor::insertBlank(int row)
{
    post();
    row = std::clamp(row, 0, rowCount());
    listener_.aboutToInsert(row);
    view_.insert(view_.begin() + row, newRow);
    listener_.inserted(row);
    close();
    state_ = State::Insert;
    openRow_ = row;
    listener_.rowChanged(row);
    listener_.editingChanged();
    return row;
}

void AirportEditor::post()
{
    if (state_ == State::Browse) return;
    const int row = openRow_;
    RowId& id = view_[std::size_t(row)];
    if (state_ == State::Insert) id = airports_.appendRow();
    for (const int field : {AirportCode, AirportDescription}) {
        if (const auto& value = pending_[std::size_t(field)])
            airports_.setText(id, field, *value);
        else
            airports_.setNull(id, field);
    }
    close();
    listener_.rowChanged(row);
    reorder();
    listener_.editingChanged();
}

void AirportEditor::cancel()
{
    if (state_ == State::Browse) return;
    const int row = openRow_;
    const bool inserted = state_ == State::Insert;
    close();
    if (inserted) {
        listener_.aboutToRemove(row);
        view_.erase(view_.begin() + row);
        listener_.removed(row);
    } else {
        listener_.rowChanged(row);
    }
    listener_.editingChanged();
}

void AirportEditor::removeRowAt(int row)
{
    if (row < 0 || row >= rowCount()) return;
    if (openRow() == row) {
        if (state_ == State::Insert) return cancel();
        close();  // the row's changes go with it
        listener_.editingChanged();
    }
    const RowId id = view_[std::size_t(row)];
    post();
    row = positionOf(id);
    listener_.aboutToRemove(row);
    airports_.eraseRow(id);
    view_.erase(view_.begin() + row);
    for (RowId& other : view_)  // the table's later rows moved up by one; post() left no inserted row
        if (other > id) --other;
    listener_.removed(row);
}

}  // namespace quorvel::tables
