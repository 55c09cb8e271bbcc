#include "serve/flag_png.h"

#include "flags/flag_picture.h"
#include "platform/case_fold.h"
#include "platform/windows1252.h"

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <fstream>
#include <iterator>

namespace quorvel::serve {

namespace {

void appendBytes(void* context, void* data, int size)
{
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), std::size_t(size));
}

std::optional<std::string> readSmallFile(const std::filesystem::path& file, std::uintmax_t size)
{
    if (size > maxFlagFileBytes) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    std::string bytes(std::istreambuf_iterator<char>(in), {});
    if (!in.good() && !in.eof()) return std::nullopt;
    return bytes;
}

}  // namespace

std::optional<std::string> bitmapToPng(std::string_view bitmap)
{
    // The library reads several formats; a flag picture is a bitmap, and nothing else is served.
    if (bitmap.size() < 2 || bitmap.size() > maxFlagFileBytes || bitmap.substr(0, 2) != "BM") return std::nullopt;
    const auto* bytes = reinterpret_cast<const stbi_uc*>(bitmap.data());
    const int length = int(bitmap.size());
    int width = 0;
    int height = 0;
    int channels = 0;
    // Asked first, so that a header claiming a huge picture reserves nothing.
    if (!stbi_info_from_memory(bytes, length, &width, &height, &channels)) return std::nullopt;
    if (width <= 0 || height <= 0 || width > maxFlagSide || height > maxFlagSide) return std::nullopt;
    const std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
        stbi_load_from_memory(bytes, length, &width, &height, &channels, 3), stbi_image_free);
    if (!pixels) return std::nullopt;
    std::string png;
    if (!stbi_write_png_to_func(appendBytes, &png, width, height, 3, pixels.get(), width * 3)) return std::nullopt;
    return png;
}

std::optional<std::string> listedFlagName(const flags::FlagList& list, std::string_view requested)
{
    const std::string wanted = platform::foldUtf8(requested);
    if (wanted.empty()) return std::nullopt;
    for (const std::string& line : list.lines()) {
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string name = line.substr(equals + 1);
        if (platform::foldUtf8(platform::utf8FromWindows1252(name)) == wanted) return name;
    }
    return std::nullopt;
}

std::shared_ptr<const std::string> FlagPngCache::png(const std::filesystem::path& flagFolder, std::string_view flagName)
{
    const std::optional<std::filesystem::path> file = flags::flagPicture(flagFolder, flagName);
    if (!file) return nullptr;
    std::error_code error;
    const auto time = std::filesystem::last_write_time(*file, error);
    if (error) return nullptr;
    const auto size = std::filesystem::file_size(*file, error);
    if (error) return nullptr;
    {
        const std::lock_guard lock(mutex_);
        const auto found = entries_.find(*file);
        if (found != entries_.end() && found->second.time == time && found->second.size == size)
            return found->second.png;
    }
    // Converted outside the lock; two requests for a new picture may both convert it.
    const std::optional<std::string> bitmap = readSmallFile(*file, size);
    std::optional<std::string> converted = bitmap ? bitmapToPng(*bitmap) : std::nullopt;
    if (!converted) return nullptr;
    auto png = std::make_shared<const std::string>(std::move(*converted));
    const std::lock_guard lock(mutex_);
    entries_[*file] = Entry{time, size, png};
    ++conversions_;
    return png;
}

int FlagPngCache::conversions() const
{
    const std::lock_guard lock(mutex_);
    return conversions_;
}

}  // namespace quorvel::serve
