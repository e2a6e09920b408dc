#pragma once
#include <QImage>
#include <filesystem>

// Employee photos: JPEG decoded by libjpeg-turbo, bitmaps and icons through QImage. Any file
// that cannot be read or decoded raises FileError naming it; no byte sequence crashes.
namespace veltor {

QImage loadPicture(const std::filesystem::path &file);

// Decodes JPEG bytes; FileError (naming `nameForMessages`) when they are not a whole JPEG.
QImage decodeJpeg(const unsigned char *bytes, size_t size, const std::string &nameForMessages);

} // namespace veltor
