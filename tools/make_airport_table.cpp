// qrvl-make-airports: turns the airport list kept as text (data/airports.csv) into the table
// file "airport.cds" that the program needs in its folder to start.
//
// The CSV is RFC 4180: a header line "ICAO_CODE,DESCRIPTION", then one airport a line, in
// UTF-8; fields may be quoted, with "" for a quote inside. A text that the table cannot hold
// whole (a code over 4 or a description over 30 characters, a character outside Windows-1252)
// is an error naming the line, so the shipped list never loses a letter silently.

#include "platform/error.h"
#include "tables/airport_table.h"

#include <cstdint>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace quorvel;
using namespace quorvel::tables;

struct Record {
    int line = 0;  // where the record starts, from 1
    std::vector<std::string> fields;
};

class CsvReader {
public:
    CsvReader(std::string text, std::string fileName) : text_(std::move(text)), fileName_(std::move(fileName))
    {
        if (text_.starts_with("\xEF\xBB\xBF")) pos_ = 3;
    }

    bool next(Record& record)
    {
        if (pos_ >= text_.size()) return false;
        record = Record{line_, {}};
        std::string field;
        for (;;) {
            if (pos_ < text_.size() && text_[pos_] == '"') {
                ++pos_;
                readQuoted(field, record.line);
            }
            const char c = pos_ < text_.size() ? text_[pos_] : '\n';
            if (c == ',') {
                record.fields.push_back(std::move(field));
                field.clear();
                ++pos_;
            } else if (c == '\n' || (c == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n')) {
                record.fields.push_back(std::move(field));
                pos_ += c == '\r' ? 2 : 1;
                ++line_;
                return true;
            } else if (c == '"') {
                fail(line_, "a quote inside an unquoted field");
            } else {
                field += c;
                ++pos_;
            }
        }
    }

    [[noreturn]] void fail(int line, const std::string& reason) const
    {
        throw Error(fileName_ + ":" + std::to_string(line) + ": " + reason);
    }

private:
    void readQuoted(std::string& field, int startLine)
    {
        for (;;) {
            if (pos_ >= text_.size()) fail(startLine, "a quoted field is not closed");
            const char c = text_[pos_++];
            if (c == '"') {
                if (pos_ < text_.size() && text_[pos_] == '"') {
                    field += '"';
                    ++pos_;
                    continue;
                }
                const char after = pos_ < text_.size() ? text_[pos_] : '\n';
                if (after != ',' && after != '\n' && after != '\r') fail(line_, "text after a closing quote");
                return;
            }
            if (c == '\n') ++line_;
            field += c;
        }
    }

    std::string text_;
    std::string fileName_;
    std::size_t pos_ = 0;
    int line_ = 1;
};

// The Windows-1252 byte of a Unicode character, or -1 when it has none.
int windows1252Of(std::uint32_t u)
{
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return int(u);
    static const std::uint16_t high[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                           0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                           0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                           0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    for (int i = 0; i < 32; ++i)
        if (high[i] != 0 && high[i] == u) return 0x80 + i;
    return -1;
}

// UTF-8 to Windows-1252; nothing when the text is not UTF-8 or holds a character the table cannot.
std::optional<std::string> toWindows1252(std::string_view utf8)
{
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int length = lead < 0x80             ? 1
                           : (lead & 0xE0) == 0xC0 ? 2
                           : (lead & 0xF0) == 0xE0 ? 3
                           : (lead & 0xF8) == 0xF0 ? 4
                                                   : 0;
        if (length == 0 || i + std::size_t(length) > utf8.size()) return std::nullopt;
        std::uint32_t u = length == 1 ? lead : lead & (0x7F >> length);
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + std::size_t(k)]);
            if ((next & 0xC0) != 0x80) return std::nullopt;
            u = (u << 6) | (next & 0x3F);
        }
        const int byte = windows1252Of(u);
        if (byte < 0) return std::nullopt;
        out += static_cast<char>(byte);
        i += std::size_t(length);
    }
    return out;
}

Table readAirportCsv(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) throw Error(file.string() + ": cannot be opened");
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) throw Error(file.string() + ": cannot be read");

    CsvReader reader(bytes.str(), file.string());
    Record record;
    if (!reader.next(record) || record.fields != std::vector<std::string>{"ICAO_CODE", "DESCRIPTION"})
        reader.fail(1, "the first line must be ICAO_CODE,DESCRIPTION");

    Table airports = newAirportTable();
    while (reader.next(record)) {
        if (record.fields.size() != 2)
            reader.fail(record.line, "2 fields expected, " + std::to_string(record.fields.size()) + " found");
        const RowId row = airports.appendRow();
        for (const int field : {AirportCode, AirportDescription}) {
            const FieldDef& def = airportSchema().fields[std::size_t(field)];
            const auto text = toWindows1252(record.fields[std::size_t(field)]);
            if (!text) reader.fail(record.line, def.name + " is not UTF-8 text that Windows-1252 can hold");
            if (text->size() > std::size_t(def.width))
                reader.fail(record.line, def.name + " \"" + record.fields[std::size_t(field)] + "\" is longer than " +
                                             std::to_string(def.width) + " characters");
            airports.setText(row, field, *text);
        }
    }
    return airports;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: qrvl-make-airports AIRPORTS.csv OUT.cds\n";
        return 2;
    }
    try {
        writeAirportFile(readAirportCsv(argv[1]), argv[2]);
    } catch (const std::exception& e) {
        std::cerr << "qrvl-make-airports: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
