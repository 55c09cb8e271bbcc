#include "tables/csv.h"

#include "platform/windows1252.h"

namespace quorvel::tables {

namespace {

void writeText(std::ostream& out, std::string_view text)
{
    const std::string utf8 = platform::utf8FromWindows1252(text);
    if (utf8.empty() || utf8.find_first_of(",\"\r\n") != std::string::npos) {
        out << '"';
        for (const char c : utf8) {
            if (c == '"') out << '"';
            out << c;
        }
        out << '"';
    } else {
        out << utf8;
    }
}

}  // namespace

void writeCsv(std::ostream& out, const Table& table, const View& rows)
{
    writeCsv(out, table, rows, {}, {});
}

void writeCsv(std::ostream& out, const Table& table, const View& rows, const std::vector<std::string>& leadNames,
              const std::vector<std::vector<std::string>>& leadValues)
{
    const auto& fields = table.schema().fields;
    for (const std::string& name : leadNames) {
        writeText(out, name);
        out << ',';
    }
    for (std::size_t f = 0; f < fields.size(); ++f) {
        if (f) out << ',';
        writeText(out, fields[f].name);
    }
    out << "\r\n";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const RowId row = rows[i];
        for (std::size_t c = 0; c < leadNames.size(); ++c) {
            if (i < leadValues.size() && c < leadValues[i].size()) writeText(out, leadValues[i][c]);
            out << ',';
        }
        for (std::size_t f = 0; f < fields.size(); ++f) {
            if (f) out << ',';
            if (table.isNull(row, int(f))) continue;
            switch (fields[f].type) {
                case FieldType::Text:
                    writeText(out, table.text(row, int(f)));
                    break;
                case FieldType::Int16:
                    out << table.integer(row, int(f));
                    break;
                case FieldType::Boolean:
                    out << (table.boolean(row, int(f)) ? "True" : "False");
                    break;
            }
        }
        out << "\r\n";
    }
}

}  // namespace quorvel::tables
