// report/report_layout.h: a small banded report and its layout into pages.
//
// A report is a page setup, a default font and up to four bands: a title printed once at the
// top of the first page, a column header at the top of every page, a detail band per record,
// and a page footer at the bottom of every page, the last included. Records come as a count and
// a function giving the text of (record, column), so any table view can feed a report.
//
// layOut() turns a report and its records into pages of placed bands and texts, every position
// in millimetres from the paper's top-left corner. Painting (report_painter.h) only draws those
// pages, so what a page holds is decided, and tested, here. Texts are Windows-1252 bytes.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::report {

struct Font {
    std::string family = "Arial";
    double points = 10;
    bool italic = false;
    bool bold = false;

    friend bool operator==(const Font&, const Font&) = default;
};

enum class LineStyle { Solid, Dotted };

struct Frame {
    bool left = false;
    bool top = false;
    bool right = false;
    bool bottom = false;
    LineStyle style = LineStyle::Solid;

    friend bool operator==(const Frame&, const Frame&) = default;
};

enum class FieldKind {
    Label,        // `text` as it stands
    Data,         // the record's text in `column`
    ReportTitle,  // the report's title
    PageNumber,   // `text` (the prefix) immediately followed by the page number
};

// A text in a band. Positions are millimetres from the band's top-left corner; texts are
// left-aligned on a white background. A text sized to itself never runs into the next field on
// its right: a long airline name is cut at a whole character, 2 mm short of the flight number.
struct Field {
    std::string name;  // "QRFlight"
    FieldKind kind = FieldKind::Label;
    double left = 0;
    double top = 0;
    std::optional<double> width;  // a fixed width that clips the text; nothing: sized to its text
    std::string text;             // Label: the text; PageNumber: the prefix
    int column = -1;              // Data: the record's column
    std::optional<Font> font;     // nothing: the report's font

    friend bool operator==(const Field&, const Field&) = default;
};

enum class BandKind { Title, ColumnHeader, Detail, PageFooter };

struct Band {
    BandKind kind = BandKind::Detail;
    double height = 10;  // millimetres
    double width = 190;  // millimetres
    Frame frame;
    std::vector<Field> fields;
};

struct PageSetup {
    double width = 210;  // A4 portrait, millimetres
    double height = 297;
    double marginLeft = 10;
    double marginTop = 10;
    double marginRight = 10;
    double marginBottom = 10;
};

struct Report {
    PageSetup page;
    Font font;                // the default font of every field without its own
    std::string title;        // what ReportTitle fields print
    std::vector<Band> bands;  // at most one of each kind, in any order

    Band* band(BandKind kind);
    const Band* band(BandKind kind) const;
    // The field of that name in any band; throws quorvel::Error when there is none.
    Field& field(std::string_view name);
    const Field& field(std::string_view name) const;
};

struct Records {
    std::size_t count = 0;
    std::function<std::string(std::size_t record, int column)> text;  // record in 0..count-1
};

// The page model: what one page shows, every position in millimetres from the paper's corner.
struct PlacedText {
    std::string field;  // the field's name
    std::string text;
    double left = 0;
    double top = 0;
    std::optional<double> width;  // fixed width; nothing: as wide as the text, up to `room`
    double room = 0;              // to the next field on its right less a 2 mm gap, else to the band's edge
    Font font;

    friend bool operator==(const PlacedText&, const PlacedText&) = default;
};

struct PlacedBand {
    BandKind kind = BandKind::Detail;
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    Frame frame;
    std::optional<std::size_t> record;  // the record a detail band shows
    std::vector<PlacedText> texts;

    const PlacedText* text(std::string_view field) const;  // nullptr when the band has no such field
};

struct Page {
    int number = 1;      // from 1
    double width = 210;  // the paper, millimetres
    double height = 297;
    std::vector<PlacedBand> bands;  // top to bottom

    std::vector<const PlacedBand*> bandsOf(BandKind kind) const;
};

// Lays the records out: the title on page 1, then the column header; detail bands follow while
// they fit above the page footer, which sits on the bottom margin. No records still make one
// page. Throws quorvel::Error when a detail band cannot fit even on a page without a title.
std::vector<Page> layOut(const Report& report, const Records& records);

}  // namespace quorvel::report
