#include "report/report_layout.h"

#include "platform/error.h"

#include <algorithm>
#include <cmath>

namespace quorvel::report {

namespace {

// Positions are summed in whole micrometres, so a page holds exactly the bands its millimetres
// say and a band that fits to the last micrometre is not pushed to the next page by rounding.
using Micrometres = long long;

// About two blanks of a 10 point font: a name cut short stays clear of the field after it.
constexpr Micrometres fieldGap = 2000;

Micrometres micrometres(double mm)
{
    return std::llround(mm * 1000.0);
}
double millimetres(Micrometres um)
{
    return double(um) / 1000.0;
}

template <typename Bands>
auto* findBand(Bands& bands, BandKind kind)
{
    for (auto& band : bands)
        if (band.kind == kind) return &band;
    return static_cast<decltype(&bands.front())>(nullptr);
}

class PageBuilder {
public:
    PageBuilder(const Report& report, const Records& records) : report_(report), records_(records) {}

    std::vector<Page> build()
    {
        const Band* title = report_.band(BandKind::Title);
        const Band* header = report_.band(BandKind::ColumnHeader);
        const Band* detail = report_.band(BandKind::Detail);
        const Band* footer = report_.band(BandKind::PageFooter);
        const Micrometres bottom = micrometres(report_.page.height - report_.page.marginBottom);
        footerTop_ = footer ? bottom - micrometres(footer->height) : bottom;

        startPage();
        if (title) place(*title, std::nullopt);
        if (header) place(*header, std::nullopt);
        if (detail) {
            const Micrometres detailHeight = micrometres(detail->height);
            for (std::size_t record = 0; record < records_.count; ++record) {
                if (y_ + detailHeight > footerTop_) {
                    finishPage(footer);
                    startPage();
                    if (header) place(*header, std::nullopt);
                    if (y_ + detailHeight > footerTop_)
                        throw Error("The report's detail band does not fit on a page between its header and footer");
                }
                place(*detail, record);
            }
        }
        finishPage(footer);
        return std::move(pages_);
    }

private:
    void startPage()
    {
        Page page;
        page.number = int(pages_.size()) + 1;
        page.width = report_.page.width;
        page.height = report_.page.height;
        pages_.push_back(std::move(page));
        y_ = micrometres(report_.page.marginTop);
    }

    void finishPage(const Band* footer)
    {
        if (!footer) return;
        y_ = footerTop_;
        place(*footer, std::nullopt);
    }

    void place(const Band& band, std::optional<std::size_t> record)
    {
        const Micrometres left = micrometres(report_.page.marginLeft);
        PlacedBand placed;
        placed.kind = band.kind;
        placed.left = millimetres(left);
        placed.top = millimetres(y_);
        placed.width = band.width;
        placed.height = band.height;
        placed.frame = band.frame;
        placed.record = record;
        for (const Field& field : band.fields) {
            PlacedText text;
            text.field = field.name;
            text.text = fieldText(field, record);
            text.left = millimetres(left + micrometres(field.left));
            text.top = millimetres(y_ + micrometres(field.top));
            text.width = field.width;
            text.room = millimetres(room(band, field));
            text.font = field.font.value_or(report_.font);
            placed.texts.push_back(std::move(text));
        }
        pages_.back().bands.push_back(std::move(placed));
        y_ += micrometres(band.height);
    }

    static Micrometres room(const Band& band, const Field& field)
    {
        const Micrometres left = micrometres(field.left);
        Micrometres right = micrometres(band.width);
        for (const Field& other : band.fields) {
            const Micrometres otherLeft = micrometres(other.left);
            if (otherLeft > left) right = std::min(right, otherLeft - fieldGap);
        }
        return std::max<Micrometres>(right - left, 0);
    }

    std::string fieldText(const Field& field, std::optional<std::size_t> record) const
    {
        switch (field.kind) {
            case FieldKind::Label:
                return field.text;
            case FieldKind::ReportTitle:
                return report_.title;
            case FieldKind::PageNumber:
                return field.text + std::to_string(pages_.back().number);
            case FieldKind::Data:
                // A data field outside the detail band has no record to show.
                return record && records_.text ? records_.text(*record, field.column) : std::string();
        }
        return {};
    }

    const Report& report_;
    const Records& records_;
    std::vector<Page> pages_;
    Micrometres y_ = 0;
    Micrometres footerTop_ = 0;
};

}  // namespace

Band* Report::band(BandKind kind)
{
    return findBand(bands, kind);
}

const Band* Report::band(BandKind kind) const
{
    return findBand(bands, kind);
}

Field& Report::field(std::string_view name)
{
    return const_cast<Field&>(static_cast<const Report&>(*this).field(name));
}

const Field& Report::field(std::string_view name) const
{
    for (const Band& band : bands)
        for (const Field& field : band.fields)
            if (field.name == name) return field;
    throw Error("The report has no field named " + std::string(name));
}

const PlacedText* PlacedBand::text(std::string_view field) const
{
    for (const PlacedText& placed : texts)
        if (placed.field == field) return &placed;
    return nullptr;
}

std::vector<const PlacedBand*> Page::bandsOf(BandKind kind) const
{
    std::vector<const PlacedBand*> found;
    for (const PlacedBand& band : bands)
        if (band.kind == kind) found.push_back(&band);
    return found;
}

std::vector<Page> layOut(const Report& report, const Records& records)
{
    return PageBuilder(report, records).build();
}

}  // namespace quorvel::report
