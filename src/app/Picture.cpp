#include "app/Picture.h"

#include "storage/FileNames.h"
#include "text/Errors.h"

#include <QFile>
#include <QFileInfo>
#include <QString>
#include <csetjmp>
#include <cstdint>
#include <cstdio>

#include <jpeglib.h>

namespace veltor {
namespace {

// libjpeg's default error handler calls exit(); this one jumps back to the decoder instead, so
// a damaged file becomes an ordinary error.
struct JpegErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void jpegErrorExit(j_common_ptr info)
{
    auto *err = reinterpret_cast<JpegErrorManager *>(info->err);
    (*info->err->format_message)(info, err->message);
    std::longjmp(err->jump, 1);
}

void jpegOutputMessage(j_common_ptr) {}

constexpr uint64_t MaxDecodedPixels = 8'000'000;

// Kept free of C++ objects with destructors between setjmp and longjmp.
bool decodeJpegInto(const unsigned char *bytes, size_t size, QImage *image, char *errorText)
{
    jpeg_decompress_struct info;
    JpegErrorManager err;
    info.err = jpeg_std_error(&err.base);
    err.base.error_exit = jpegErrorExit;
    err.base.output_message = jpegOutputMessage;
    err.message[0] = '\0';
    if (setjmp(err.jump)) {
        std::snprintf(errorText, JMSG_LENGTH_MAX, "%s", err.message);
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    if (info.image_width == 0 || info.image_height == 0 || info.image_width > 20000
        || info.image_height > 20000) {
        std::snprintf(errorText, JMSG_LENGTH_MAX, "unsupported image size");
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.out_color_space = JCS_RGB;
    // A photo is only ever shown in a frame a few hundred pixels wide, so a large one is decoded
    // at a half, quarter or eighth of its size (a 12-megapixel phone photo at half): faster, and a
    // damaged file of a few kilobytes that claims 20000 x 20000 pixels no longer takes over a
    // gigabyte.
    jpeg_calc_output_dimensions(&info);
    while (uint64_t(info.output_width) * info.output_height > MaxDecodedPixels
           && info.scale_denom < 8) {
        info.scale_num = 1;
        info.scale_denom *= 2;
        jpeg_calc_output_dimensions(&info);
    }
    jpeg_start_decompress(&info);
    if (info.output_width == 0 || info.output_height == 0
        || uint64_t(info.output_width) * info.output_height > MaxDecodedPixels
        || info.output_components != 3) {
        std::snprintf(errorText, JMSG_LENGTH_MAX, "unsupported image size");
        jpeg_destroy_decompress(&info);
        return false;
    }
    *image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                    QImage::Format_RGB888);
    if (image->isNull()) {
        std::snprintf(errorText, JMSG_LENGTH_MAX, "out of memory");
        jpeg_destroy_decompress(&info);
        return false;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image->scanLine(static_cast<int>(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

} // namespace

QImage decodeJpeg(const unsigned char *bytes, size_t size, const std::string &nameForMessages)
{
    QImage image;
    char errorText[JMSG_LENGTH_MAX] = {};
    if (size == 0 || !decodeJpegInto(bytes, size, &image, errorText))
        throw FileError("Файл \"" + nameForMessages
                        + "\" не является изображением JPEG или поврежден");
    return image;
}

QImage loadPicture(const std::filesystem::path &file)
{
    // Through Qt's file names: the standard library's wide conversion of a path depends on the
    // C locale and fails on Russian letters under the "C" locale.
    const QString qtName = pathToQString(file);
    const std::string name = qtName.toStdString();
    QFile f(qtName);
    if (!f.open(QIODevice::ReadOnly))
        throw FileError("Не удается открыть файл изображения \"" + name + "\"");
    const QByteArray bytes = f.readAll();
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.constData());
    if (bytes.size() >= 2 && data[0] == 0xFF && data[1] == 0xD8)
        return decodeJpeg(data, static_cast<size_t>(bytes.size()), name);
    const QString suffix = QFileInfo(qtName).suffix().toLower();
    if (suffix == "wmf" || suffix == "emf")
        throw FileError("Метафайлы Windows не поддерживаются: \"" + name + "\"");
    QImage image;
    if (!image.loadFromData(bytes) || image.isNull())
        throw FileError("Файл \"" + name + "\" не является изображением или поврежден");
    return image;
}

} // namespace veltor
