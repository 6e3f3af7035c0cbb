#include "platform/JpegImage.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace platform {

namespace {

// Beyond this many pixels a picture is not one a window shows.
constexpr unsigned long long MaxPixels = 16ULL * 1024 * 1024;

// libjpeg reports a fatal error by calling error_exit, which must not return.
// It jumps back to the decoder; no C++ object with a destructor lives in the
// frames it leaves.
struct JumpingErrorManager
{
    jpeg_error_mgr Manager;
    std::jmp_buf Return;
};

void JumpBack(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JumpingErrorManager*>(info->err)->Return, 1);
}

// Warnings (a picture cut short, for one) are not the user's business.
void Silence(j_common_ptr) {}

bool HasShowableSize(const jpeg_decompress_struct& info)
{
    return info.output_width > 0 && info.output_height > 0
           && 1ULL * info.output_width * info.output_height <= MaxPixels;
}

// Decodes into image; false on a fatal libjpeg error. image is the caller's,
// so it keeps its value across the jump.
bool Decode(jpeg_decompress_struct& info, JumpingErrorManager& errors, const QByteArray& data, QImage& image)
{
    if (setjmp(errors.Return) != 0)
        return false;
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    if (!HasShowableSize(info) || info.output_components != 3)
        return false;
    image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                   QImage::Format_RGB888);
    if (image.isNull())
        return false;
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.scanLine(static_cast<int>(info.output_scanline));
        if (jpeg_read_scanlines(&info, &row, 1) != 1)
            return false;
    }
    jpeg_finish_decompress(&info);
    return true;
}

} // namespace

QImage DecodeJpeg(const QByteArray& data)
{
    if (data.isEmpty())
        return {};
    jpeg_decompress_struct info{};
    JumpingErrorManager errors{};
    info.err = jpeg_std_error(&errors.Manager);
    errors.Manager.error_exit = JumpBack;
    errors.Manager.output_message = Silence;
    QImage image;
    const bool decoded = Decode(info, errors, data, image);
    jpeg_destroy_decompress(&info);
    return decoded ? image : QImage();
}

} // namespace platform
