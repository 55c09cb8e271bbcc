#include "report/report_layout.h"

#include "platform/error.h"

#include <gtest/gtest.h>

using namespace quorvel;
using namespace quorvel::report;

namespace {

Field field(std::string name, FieldKind kind, double left, double top, std::string text = {}, int column = -1)
{
    Field f;
    f.name = std::move(name);
    f.kind = kind;
    f.left = left;
    f.top = top;
    f.text = std::move(text);
    f.column = column;
    return f;
}

Band band(BandKind kind, double height, std::vector<Field> fields)
{
    Band b;
    b.kind = kind;
    b.height = height;
    b.width = 189.8;
    b.fields = std::move(fields);
    return b;
}

// Four bands of 10.6 mm on A4 with 10 mm margins: 23 rows fit under the title on page 1, 24 on the others.
Report fourBands()
{
    Report report;
    report.title = "Board";
    Field title = field("Title", FieldKind::ReportTitle, 0, 4.2);
    title.font = Font{"Arial", 14, true, false};
    report.bands = {
        band(BandKind::PageFooter, 10.6, {field("Footer", FieldKind::PageNumber, 0, 2.8, "Page ")}),
        band(BandKind::Title, 10.6, {title}),
        band(BandKind::ColumnHeader, 10.6, {field("Head", FieldKind::Label, 31.8, 4.2, "FLIGHT")}),
        band(BandKind::Detail, 10.6, {field("Flight", FieldKind::Data, 31.0, 2.8, {}, 5)}),
    };
    return report;
}

Records numbered(std::size_t count)
{
    return {count,
            [](std::size_t record, int column) { return "R" + std::to_string(record) + "C" + std::to_string(column); }};
}

}  // namespace

TEST(ReportLayout, EmptyRecordsMakeOnePageWithTitleHeaderAndFooter)
{
    const std::vector<Page> pages = layOut(fourBands(), numbered(0));
    ASSERT_EQ(pages.size(), 1u);
    const Page& page = pages[0];
    EXPECT_EQ(page.number, 1);
    EXPECT_EQ(page.width, 210);
    EXPECT_EQ(page.height, 297);
    ASSERT_EQ(page.bands.size(), 3u);
    const struct {
        BandKind kind;
        double top;
        const char* field;
        double textLeft;
        double textTop;
        const char* text;
    } expected[] = {
        {BandKind::Title, 10, "Title", 10, 14.2, "Board"},
        {BandKind::ColumnHeader, 20.6, "Head", 41.8, 24.8, "FLIGHT"},
        {BandKind::PageFooter, 276.4, "Footer", 10, 279.2, "Page 1"},  // on the bottom margin
    };
    for (std::size_t i = 0; i < 3; ++i) {
        const PlacedBand& placed = page.bands[i];
        EXPECT_EQ(placed.kind, expected[i].kind) << i;
        EXPECT_EQ(placed.left, 10) << i;
        EXPECT_EQ(placed.top, expected[i].top) << i;
        EXPECT_EQ(placed.width, 189.8) << i;
        EXPECT_EQ(placed.height, 10.6) << i;
        const PlacedText* text = placed.text(expected[i].field);
        ASSERT_NE(text, nullptr) << i;
        EXPECT_EQ(text->left, expected[i].textLeft) << i;
        EXPECT_EQ(text->top, expected[i].textTop) << i;
        EXPECT_EQ(text->text, expected[i].text) << i;
    }
    EXPECT_EQ(page.bands[0].texts[0].font, (Font{"Arial", 14, true, false})) << "the title's own font";
    EXPECT_EQ(page.bands[1].texts[0].font, Font{}) << "the report's font";
}

TEST(ReportLayout, PageBreaksHeaderOnEveryPageTitleOnTheFirst)
{
    const struct {
        std::size_t records;
        std::vector<std::size_t> perPage;
    } cases[] = {
        {1, {1}}, {23, {23}}, {24, {23, 1}}, {47, {23, 24}}, {48, {23, 24, 1}}, {150, {23, 24, 24, 24, 24, 24, 7}},
    };
    for (const auto& c : cases) {
        const std::vector<Page> pages = layOut(fourBands(), numbered(c.records));
        ASSERT_EQ(pages.size(), c.perPage.size()) << c.records << " records";
        std::size_t next = 0;
        for (std::size_t p = 0; p < pages.size(); ++p) {
            const Page& page = pages[p];
            SCOPED_TRACE(testing::Message() << c.records << " records, page " << page.number);
            EXPECT_EQ(page.number, int(p + 1));
            EXPECT_EQ(page.bandsOf(BandKind::Title).size(), p == 0 ? 1u : 0u);
            ASSERT_EQ(page.bandsOf(BandKind::ColumnHeader).size(), 1u);
            EXPECT_EQ(page.bandsOf(BandKind::ColumnHeader)[0]->top, p == 0 ? 20.6 : 10);
            ASSERT_EQ(page.bandsOf(BandKind::PageFooter).size(), 1u);
            EXPECT_EQ(page.bandsOf(BandKind::PageFooter)[0]->texts[0].text, "Page " + std::to_string(p + 1));
            const std::vector<const PlacedBand*> details = page.bandsOf(BandKind::Detail);
            ASSERT_EQ(details.size(), c.perPage[p]);
            const double firstTop = p == 0 ? 31.2 : 20.6;
            for (std::size_t d = 0; d < details.size(); ++d, ++next) {
                EXPECT_EQ(details[d]->record, next);
                EXPECT_DOUBLE_EQ(details[d]->top, firstTop + 10.6 * double(d));
                EXPECT_LE(details[d]->top + 10.6, 276.4 + 1e-9) << "above the footer";
                EXPECT_EQ(details[d]->texts[0].text, "R" + std::to_string(next) + "C5");
            }
        }
        EXPECT_EQ(next, c.records) << "every record once, in order";
    }
}

TEST(ReportLayout, BandOrderInTheReportDoesNotMatterOnThePage)
{
    const Page page = layOut(fourBands(), numbered(2)).at(0);
    std::vector<BandKind> kinds;
    for (const PlacedBand& placed : page.bands) kinds.push_back(placed.kind);
    EXPECT_EQ(kinds, (std::vector<BandKind>{BandKind::Title, BandKind::ColumnHeader, BandKind::Detail, BandKind::Detail,
                                            BandKind::PageFooter}));
}

TEST(ReportLayout, FixedWidthAndDataOutsideTheDetailBand)
{
    Report report = fourBands();
    report.field("Head").width = 11.6;
    Field stray = field("Stray", FieldKind::Data, 100, 0, {}, 1);
    report.band(BandKind::ColumnHeader)->fields.push_back(field("Next", FieldKind::Label, 68.2, 0, "AIRPORT"));
    report.band(BandKind::ColumnHeader)->fields.push_back(stray);
    const Page page = layOut(report, numbered(1)).at(0);
    const PlacedBand* header = page.bandsOf(BandKind::ColumnHeader).at(0);
    EXPECT_EQ(header->text("Head")->width, 11.6);
    EXPECT_EQ(page.bandsOf(BandKind::Detail).at(0)->texts[0].width, std::nullopt) << "sized to its text";
    EXPECT_EQ(header->text("Stray")->text, "") << "a header has no record";
    EXPECT_EQ(header->text("Head")->room, 34.4) << "up to the next field, less the gap";
    EXPECT_EQ(header->text("Stray")->room, 89.8) << "up to the band's edge";
}

TEST(ReportLayout, UnknownFieldAndOversizedBandAreErrors)
{
    Report report = fourBands();
    EXPECT_THROW(report.field("Nothing"), Error);
    report.band(BandKind::Detail)->height = 300;
    EXPECT_THROW(layOut(report, numbered(1)), Error);
    EXPECT_EQ(layOut(report, numbered(0)).size(), 1u) << "no record, no detail band to place";
}
