// tables/airport_table.h: the airport table, ICAO code and description, kept in "airport.cds",
// and the main window's read-only lookup copy of it.
//
// The lookup copy is built once per load, in ascending DESCRIPTION order, with a hash of each
// code's first row in that order. After load() it is only read, so the conversion worker may
// call its const methods while the user-interface thread reads it too; nothing may load() it then.
#pragma once

#include "platform/case_fold.h"
#include "tables/table.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quorvel::tables {

enum AirportField : int { AirportCode, AirportDescription };

inline constexpr const char* airportFileName = "airport.cds";

const Schema& airportSchema();  // ICAO_CODE text 4, DESCRIPTION text 30, no indexes
Table newAirportTable();        // empty, with the airport schema

// Reads `file` into a table with the airport schema. The two fields are found by name, so
// a file that stores them in another order or with other widths still reads; longer values
// are cut to 4 and 30 characters. Throws quorvel::Error naming the file when either field is
// missing or the file cannot be read.
Table readAirportFile(const std::filesystem::path& file);
// Writes the rows in stored order, atomically. Throws quorvel::Error naming the file.
void writeAirportFile(const Table& airports, const std::filesystem::path& file);

// Rows of `airports` ordered ascending by `field`, rows with equal values in stored order.
View airportOrder(const Table& airports, AirportField field);

class AirportLookup {
public:
    // Replaces the rows by those of `file`; on failure the rows stay as they were. Throws quorvel::Error.
    void load(const std::filesystem::path& file);
    void assign(const Table& airports);  // the same from a table in memory

    std::size_t size() const { return entries_.size(); }
    // Entry i in ascending DESCRIPTION order; a null value reads as empty.
    std::string_view code(std::size_t i) const { return entries_[i].code; }
    std::string_view description(std::size_t i) const { return entries_[i].description; }

    // The description of the first entry with exactly this code; nothing for an empty or unknown code.
    std::optional<std::string> descriptionOf(std::string_view code) const;
    std::optional<std::size_t> indexOfCode(std::string_view code) const;
    // The first entry whose description begins with `typed`, letter case ignored
    // (Windows-1252 letters included); the first entry when `typed` is empty.
    std::optional<std::size_t> findPrefix(std::string_view typed) const;

private:
    struct Entry {
        std::string code;
        std::string description;
    };

    std::vector<Entry> entries_;
    std::unordered_map<std::string, std::size_t, platform::TextHash, std::equal_to<>> firstOfCode_;
};

}  // namespace quorvel::tables
