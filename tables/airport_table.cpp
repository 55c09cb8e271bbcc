#include "tables/airport_table.h"

#include "platform/case_fold.h"
#include "platform/error.h"
#include "tables/packet.h"

#include <algorithm>

namespace quorvel::tables {

namespace {

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && platform::equalIgnoringCase(text.substr(0, prefix.size()), prefix);
}

int textField(const Table& table, const std::string& name, const std::filesystem::path& file)
{
    const int field = table.schema().fieldIndex(name);
    if (field < 0 || table.schema().fields[std::size_t(field)].type != FieldType::Text)
        throw Error(file.string() + ": not an airport table: it has no text field " + name);
    return field;
}

}  // namespace

const Schema& airportSchema()
{
    static const Schema schema{
        {
            {"ICAO_CODE", FieldType::Text, 4},
            {"DESCRIPTION", FieldType::Text, 30},
        },
        {},
    };
    return schema;
}

Table newAirportTable()
{
    return Table(airportSchema());
}

Table readAirportFile(const std::filesystem::path& file)
{
    const Table stored = readPacketFile(file);
    const int from[] = {textField(stored, "ICAO_CODE", file), textField(stored, "DESCRIPTION", file)};
    if (stored.schema() == airportSchema()) return stored;

    Table airports = newAirportTable();
    airports.reserve(stored.rowCount());
    for (RowId row = 0; row < stored.rowCount(); ++row) {
        const RowId copy = airports.appendRow();
        for (const int field : {AirportCode, AirportDescription})
            if (!stored.isNull(row, from[field])) airports.setText(copy, field, stored.text(row, from[field]));
    }
    return airports;
}

void writeAirportFile(const Table& airports, const std::filesystem::path& file)
{
    if (airports.schema() != airportSchema())
        throw Error(file.string() + ": the table to save is not an airport table");
    writePacketFile(airports, file);
}

View airportOrder(const Table& airports, AirportField field)
{
    View order = airports.allRows();
    airports.orderBy(order, airports.schema().fields[std::size_t(field)].name);
    return order;
}

void AirportLookup::load(const std::filesystem::path& file)
{
    assign(readAirportFile(file));
}

void AirportLookup::assign(const Table& airports)
{
    std::vector<Entry> entries;
    entries.reserve(airports.rowCount());
    for (const RowId row : airportOrder(airports, AirportDescription))
        entries.push_back(
            {std::string(airports.text(row, AirportCode)), std::string(airports.text(row, AirportDescription))});

    std::unordered_map<std::string, std::size_t, platform::TextHash, std::equal_to<>> firstOfCode;
    firstOfCode.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (!entries[i].code.empty()) firstOfCode.try_emplace(entries[i].code, i);  // keeps the first

    entries_ = std::move(entries);
    firstOfCode_ = std::move(firstOfCode);
}

std::optional<std::string> AirportLookup::descriptionOf(std::string_view code) const
{
    const auto i = indexOfCode(code);
    if (!i) return std::nullopt;
    return entries_[*i].description;
}

std::optional<std::size_t> AirportLookup::indexOfCode(std::string_view code) const
{
    const auto found = firstOfCode_.find(code);
    if (found == firstOfCode_.end()) return std::nullopt;
    return found->second;
}

std::optional<std::size_t> AirportLookup::findPrefix(std::string_view typed) const
{
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (startsWithIgnoringCase(entries_[i].description, typed)) return i;
    return std::nullopt;
}

}  // namespace quorvel::tables
