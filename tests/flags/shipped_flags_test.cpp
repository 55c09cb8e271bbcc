// The flag list and pictures that come with the program: every picture the list names is a
// bitmap the board can draw, and the list holds the cases the demo is meant to show.
#include "flags/flag_list.h"
#include "flags/flag_picture.h"
#include "widgets/qt_text.h"

#include <gtest/gtest.h>
#include <QImage>

#include <map>

using namespace quorvel::ui;

namespace flags = quorvel::flags;

TEST(ShippedFlags, ListedPicturesAreBitmapsExceptTheDeliberateGaps)
{
    const std::filesystem::path folder = QRVL_SHIPPED_FLAG_FOLDER;
    const flags::FlagList list = flags::FlagList::read(flags::flagListFile(folder));
    std::map<std::string, std::string> pictures;  // airline -> picture file, "" when none
    for (const std::string& line : list.lines()) {
        const std::string airline = line.substr(0, line.find('='));
        const auto picture = flags::flagPicture(folder, *list.flagName(airline));
        pictures[airline] = picture ? picture->filename().string() : "";
        if (picture) {
            EXPECT_FALSE(QImage(fromUtf8(picture->string()), "BMP").isNull()) << *picture;
        }
    }
    EXPECT_EQ(pictures, (std::map<std::string, std::string>{{"ALPINA AIR", "ALP.BMP"},
                                                            {"AZURE LINES", "AZL.bmp"},
                                                            {"BOREAL CARGO", ""},  // its picture is missing
                                                            {"CEDAR GULF", "CDR.bmp"},
                                                            {"CORVINA EXPRESS", "CVX.bmp"},
                                                            {"KESTREL REGIONAL", ""},  // no flag name
                                                            {"MERIDIAN AIR", "MRD.bmp"},
                                                            {"NORDIC SKY", "nsk.bmp"},
                                                            {"SAKURA PACIFIC", "SKP.bmp"},
                                                            {"SAVANNA AIR", "SVA.bmp"},
                                                            {"Terra Atlantica", "TAT.bmp"}}));
    EXPECT_EQ(list.flagName("TERRA ATLANTICA"), "TAT");
}
