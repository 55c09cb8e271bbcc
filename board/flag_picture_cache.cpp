#include "board/flag_picture_cache.h"

#include "app/qt_text.h"

namespace {

// Far more pictures than any board shows; past this the cache starts again rather than grow.
constexpr std::size_t pictureLimit = 512;

}  // namespace

FlagPictureCache::FlagPictureCache(const quorvel::platform::FileClock& clock) : files_(clock), images_(clock, pictureLimit)
{
}

const QImage* FlagPictureCache::picture(const std::filesystem::path& flagFolder, std::string_view flagName)
{
    const std::optional<std::filesystem::path> file = files_.find(flagFolder, flagName);
    if (!file) return nullptr;
    // A file that is not a bitmap is kept as a null image, so it is not decoded at every paint.
    const QImage* image = images_.get(*file, [](const std::filesystem::path& path) {
        quorvel::platform::FileStampCache<QImage>::Made made;
        made.value.load(fromUtf8(path.string()), "BMP");
        return made;
    });
    return image && !image->isNull() ? image : nullptr;
}
