// widgets/jpeg_image.h: the splash and logo pictures, JPEG files compiled into the program as Qt
// resources and decoded with libjpeg. A damaged picture is a quorvel::Error naming it and saying
// what libjpeg found wrong; libjpeg's warnings (a cut-off file, bad data) count as damage too.
#pragma once

#include <QImage>
#include <QString>
#include <string_view>

namespace quorvel::ui {

inline constexpr const char* kSplashPicture = ":/about/splash.jpg";  // 247 x 175
inline constexpr const char* kLogoPicture = ":/about/logo.jpg";      // 251 x 105

// Decodes a whole JPEG file held in memory into an RGB image. `source` names it for the error text.
QImage decodeJpeg(std::string_view bytes, std::string_view source);  // throws quorvel::Error

// Decodes a picture of the program's resources, such as kSplashPicture.
QImage loadJpegResource(const QString& resource);  // throws quorvel::Error

}  // namespace quorvel::ui
