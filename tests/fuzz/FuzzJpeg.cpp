// Any bytes as a photo: decoding gives an image or raises FileError, never a crash or exit().
#include "app/Picture.h"
#include "text/Errors.h"

using namespace veltor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    try {
        const QImage image = decodeJpeg(bytes, size, "fuzz.jpg");
        if (!image.isNull())
            (void)image.pixel(image.width() - 1, image.height() - 1);
    } catch (const FileError &) {
    }
    return 0;
}
