#include "widgets/jpeg_image.h"

#include "platform/error.h"

#include <jpeglib.h>
#include <QFile>
#include <csetjmp>
#include <cstdio>

// The pictures live in a static library; naming their initialiser pulls it into the program.
static void initialisePictures()
{
    Q_INIT_RESOURCE(about_pictures);
}

namespace quorvel::ui {

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return. It jumps back to the
// setjmp in the step that called libjpeg. Those steps hold no C++ objects whose destructors the
// jump would skip: they touch only the plain C structures below and memory owned by the caller.
struct Decoder {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    std::jmp_buf jump{};
    bool created = false;
    char message[JMSG_LENGTH_MAX] = {};  // the first error or warning
};

Decoder& decoderOf(j_common_ptr info)
{
    return *static_cast<Decoder*>(info->client_data);
}

extern "C" void onError(j_common_ptr info)
{
    Decoder& decoder = decoderOf(info);
    (*info->err->format_message)(info, decoder.message);
    std::longjmp(decoder.jump, 1);
}

// Level -1 is a warning about damaged data, which libjpeg would otherwise only count and print.
extern "C" void onMessage(j_common_ptr info, int level)
{
    Decoder& decoder = decoderOf(info);
    if (level < 0 && decoder.message[0] == '\0') (*info->err->format_message)(info, decoder.message);
    if (level < 0) ++info->err->num_warnings;
}

bool start(Decoder& decoder, const unsigned char* bytes, unsigned long size)
{
    if (setjmp(decoder.jump)) return false;
    decoder.info.err = jpeg_std_error(&decoder.errors);
    decoder.errors.error_exit = onError;
    decoder.errors.emit_message = onMessage;
    decoder.info.client_data = &decoder;
    jpeg_create_decompress(&decoder.info);
    decoder.created = true;
    jpeg_mem_src(&decoder.info, bytes, size);
    jpeg_read_header(&decoder.info, TRUE);
    decoder.info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&decoder.info);
    return decoder.errors.num_warnings == 0;
}

bool readRows(Decoder& decoder, unsigned char* pixels, std::size_t bytesPerLine)
{
    if (setjmp(decoder.jump)) return false;
    while (decoder.info.output_scanline < decoder.info.output_height) {
        JSAMPROW row = pixels + decoder.info.output_scanline * bytesPerLine;
        jpeg_read_scanlines(&decoder.info, &row, 1);
    }
    jpeg_finish_decompress(&decoder.info);
    return decoder.errors.num_warnings == 0;
}

class DecoderGuard {
public:
    explicit DecoderGuard(Decoder& decoder) : decoder_(decoder) {}
    ~DecoderGuard()
    {
        if (decoder_.created) jpeg_destroy_decompress(&decoder_.info);
    }
    DecoderGuard(const DecoderGuard&) = delete;
    DecoderGuard& operator=(const DecoderGuard&) = delete;

private:
    Decoder& decoder_;
};

constexpr unsigned kLargestSide = 16384;  // far beyond any picture of ours; guards the allocation

}  // namespace

QImage decodeJpeg(std::string_view bytes, std::string_view source)
{
    const auto damaged = [&](const std::string& reason) {
        return Error(std::string(source) + " is not a readable JPEG picture: " + reason);
    };
    if (bytes.empty()) throw damaged("it is empty");

    Decoder decoder;
    const DecoderGuard guard(decoder);
    if (!start(decoder, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()))
        throw damaged(decoder.message);
    const unsigned width = decoder.info.output_width, height = decoder.info.output_height;
    if (decoder.info.output_components != 3 || width == 0 || height == 0 || width > kLargestSide ||
        height > kLargestSide)
        throw damaged("its size " + std::to_string(width) + " x " + std::to_string(height) + " is out of range");

    QImage image(int(width), int(height), QImage::Format_RGB888);
    if (image.isNull())
        throw damaged("no memory for " + std::to_string(width) + " x " + std::to_string(height) + " pixels");
    if (!readRows(decoder, image.bits(), std::size_t(image.bytesPerLine()))) throw damaged(decoder.message);
    return image;
}

QImage loadJpegResource(const QString& resource)
{
    initialisePictures();
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly))
        throw Error("The picture " + resource.toStdString() + " cannot be read: " + file.errorString().toStdString());
    const QByteArray bytes = file.readAll();
    return decodeJpeg(std::string_view(bytes.constData(), std::size_t(bytes.size())), resource.toStdString());
}

}  // namespace quorvel::ui
