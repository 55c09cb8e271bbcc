#include "widgets/jpeg_image.h"
#include "platform/error.h"

#include <gtest/gtest.h>
#include <QFile>

using namespace quorvel::ui;

namespace {

std::string resourceBytes(const char* resource)
{
    loadJpegResource(QString::fromLatin1(resource));  // makes the pictures' resources known
    QFile file(QString::fromLatin1(resource));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll().toStdString();
}

}  // namespace

TEST(JpegImage, ShippedPicturesDecodeAtTheirSizes)
{
    const QImage splash = loadJpegResource(QString::fromLatin1(kSplashPicture));
    EXPECT_EQ(splash.size(), QSize(247, 175));
    // The sky is dark blue at the top, the departure board dark near the bottom-left.
    const QColor sky = splash.pixelColor(5, 3);
    EXPECT_GT(sky.blue(), sky.red() + 30);
    EXPECT_LT(splash.pixelColor(10, 165).lightness(), 60);

    const QImage logo = loadJpegResource(QString::fromLatin1(kLogoPicture));
    EXPECT_EQ(logo.size(), QSize(251, 105));
    EXPECT_GT(logo.pixelColor(2, 2).lightness(), 200);  // a pale band
}

TEST(JpegImage, DamagedPicturesAreErrorsNamingThem)
{
    const std::string good = resourceBytes(kSplashPicture);
    std::string scrambled = good;
    for (std::size_t i = 200; i < 400 && i < scrambled.size(); ++i) scrambled[i] = char(0xFF);
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"not a JPEG", "GIF89a not a picture at all"},
        {"cut inside its header", good.substr(0, 100)},
        {"cut inside its pixels", good.substr(0, good.size() / 2)},
        {"scrambled tables", scrambled},
    };
    for (const auto& [what, bytes] : cases) {
        try {
            decodeJpeg(bytes, "picture.jpg");
            ADD_FAILURE() << what << " was decoded";
        } catch (const quorvel::Error& error) {
            EXPECT_TRUE(std::string(error.what()).starts_with("picture.jpg is not a readable JPEG picture: "))
                << error.what();
        }
    }
    EXPECT_THROW(loadJpegResource(QStringLiteral(":/about/missing.jpg")), quorvel::Error);
}
