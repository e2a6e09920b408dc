#include "Raster.h"

#include <jpeglib.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <stdexcept>
#include <string_view>

namespace veltor::demo {
namespace {

constexpr int SamplesPerAxis = 4;

uint8_t mix(uint8_t from, uint8_t to, double share)
{
    return static_cast<uint8_t>(from + (to - from) * share + 0.5);
}

void putLe(std::string &bytes, uint32_t value, int width)
{
    for (int i = 0; i < width; ++i)
        bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// libjpeg's default error handler ends the process; this one throws instead.
[[noreturn]] void throwJpegError(j_common_ptr info)
{
    char message[JMSG_LENGTH_MAX] = {};
    (*info->err->format_message)(info, message);
    throw std::runtime_error(std::string("JPEG: ") + message);
}

struct Glyph {
    char32_t letter;
    std::array<std::string_view, 7> rows;
};

// Only the letters of "НЕТ ФОТО" are needed.
constexpr Glyph Glyphs[] = {
    {U'Н', {"X...X", "X...X", "X...X", "XXXXX", "X...X", "X...X", "X...X"}},
    {U'Е', {"XXXXX", "X....", "X....", "XXXX.", "X....", "X....", "XXXXX"}},
    {U'Т', {"XXXXX", "..X..", "..X..", "..X..", "..X..", "..X..", "..X.."}},
    {U'Ф', {"..X..", "XXXXX", "X.X.X", "X.X.X", "XXXXX", "..X..", "..X.."}},
    {U'О', {".XXX.", "X...X", "X...X", "X...X", "X...X", "X...X", ".XXX."}},
    {U' ', {".....", ".....", ".....", ".....", ".....", ".....", "....."}},
};

std::u32string decodeUtf8(const std::string &utf8)
{
    std::u32string result;
    for (size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            result.push_back(lead);
            ++i;
        } else if ((lead & 0xE0) == 0xC0 && i + 1 < utf8.size()) {
            result.push_back(((lead & 0x1F) << 6) |
                             (static_cast<unsigned char>(utf8[i + 1]) & 0x3F));
            i += 2;
        } else {
            throw std::invalid_argument("Raster::text: only ASCII and two-byte UTF-8 letters");
        }
    }
    return result;
}

const Glyph &glyphOf(char32_t letter)
{
    for (const Glyph &glyph : Glyphs) {
        if (glyph.letter == letter)
            return glyph;
    }
    throw std::invalid_argument("Raster::text: no glyph for a letter");
}

} // namespace

Raster::Raster(int width, int height)
    : m_width(width), m_height(height), m_rgb(static_cast<size_t>(width) * height * 3, 0)
{
    if (width <= 0 || height <= 0)
        throw std::invalid_argument("Raster: empty picture");
}

Rgb Raster::pixel(int x, int y) const
{
    const size_t at = (static_cast<size_t>(y) * m_width + x) * 3;
    return {m_rgb[at], m_rgb[at + 1], m_rgb[at + 2]};
}

void Raster::fillVertical(Rgb top, Rgb bottom)
{
    for (int y = 0; y < m_height; ++y) {
        const double share = m_height == 1 ? 0.0 : static_cast<double>(y) / (m_height - 1);
        const Rgb row{mix(top.r, bottom.r, share), mix(top.g, bottom.g, share),
                      mix(top.b, bottom.b, share)};
        for (int x = 0; x < m_width; ++x) {
            const size_t at = (static_cast<size_t>(y) * m_width + x) * 3;
            m_rgb[at] = row.r;
            m_rgb[at + 1] = row.g;
            m_rgb[at + 2] = row.b;
        }
    }
}

void Raster::paint(Rgb colour, const std::function<bool(double, double)> &inside)
{
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x) {
            int hits = 0;
            for (int sy = 0; sy < SamplesPerAxis; ++sy) {
                for (int sx = 0; sx < SamplesPerAxis; ++sx) {
                    if (inside(x + (sx + 0.5) / SamplesPerAxis, y + (sy + 0.5) / SamplesPerAxis))
                        ++hits;
                }
            }
            if (hits == 0)
                continue;
            const double share = static_cast<double>(hits) / (SamplesPerAxis * SamplesPerAxis);
            const size_t at = (static_cast<size_t>(y) * m_width + x) * 3;
            m_rgb[at] = mix(m_rgb[at], colour.r, share);
            m_rgb[at + 1] = mix(m_rgb[at + 1], colour.g, share);
            m_rgb[at + 2] = mix(m_rgb[at + 2], colour.b, share);
        }
    }
}

void Raster::ellipse(Rgb colour, double centreX, double centreY, double radiusX, double radiusY)
{
    paint(colour, [=](double x, double y) {
        const double dx = (x - centreX) / radiusX;
        const double dy = (y - centreY) / radiusY;
        return dx * dx + dy * dy <= 1.0;
    });
}

void Raster::rectangle(Rgb colour, double left, double top, double right, double bottom)
{
    paint(colour,
          [=](double x, double y) { return x >= left && x < right && y >= top && y < bottom; });
}

void Raster::text(Rgb colour, const std::string &utf8, double centreX, double top, int scale)
{
    const std::u32string letters = decodeUtf8(utf8);
    // Five dots per letter and one between letters.
    const double advance = 6.0 * scale;
    const double width = letters.empty() ? 0 : advance * letters.size() - scale;
    double left = centreX - width / 2;
    for (const char32_t letter : letters) {
        const Glyph &glyph = glyphOf(letter);
        for (int row = 0; row < 7; ++row) {
            for (int column = 0; column < 5; ++column) {
                if (glyph.rows[static_cast<size_t>(row)][static_cast<size_t>(column)] == 'X') {
                    rectangle(colour, left + column * scale, top + row * scale,
                              left + (column + 1) * scale, top + (row + 1) * scale);
                }
            }
        }
        left += advance;
    }
}

std::string Raster::jpegBytes() const
{
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    errors.error_exit = throwJpegError;

    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    // jpeg_mem_dest allocates with malloc; the buffer is released whatever happens.
    const auto releaseBuffer = [&] { std::free(buffer); };
    try {
        jpeg_create_compress(&info);
        jpeg_mem_dest(&info, &buffer, &size);
        info.image_width = static_cast<JDIMENSION>(m_width);
        info.image_height = static_cast<JDIMENSION>(m_height);
        info.input_components = 3;
        info.in_color_space = JCS_RGB;
        jpeg_set_defaults(&info);
        jpeg_set_quality(&info, 85, TRUE);
        info.dct_method = JDCT_ISLOW; // the exact integer transform: the same bytes on every CPU
        jpeg_start_compress(&info, TRUE);
        while (info.next_scanline < info.image_height) {
            JSAMPROW row =
                const_cast<JSAMPROW>(&m_rgb[static_cast<size_t>(info.next_scanline) * m_width * 3]);
            jpeg_write_scanlines(&info, &row, 1);
        }
        jpeg_finish_compress(&info);
        std::string bytes(reinterpret_cast<const char *>(buffer), size);
        jpeg_destroy_compress(&info);
        releaseBuffer();
        return bytes;
    } catch (...) {
        jpeg_destroy_compress(&info);
        releaseBuffer();
        throw;
    }
}

std::string Raster::bmpBytes() const
{
    const uint32_t rowBytes = (static_cast<uint32_t>(m_width) * 3 + 3) / 4 * 4;
    const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(m_height);
    constexpr uint32_t HeadersBytes = 14 + 40;
    std::string bytes;
    bytes.reserve(HeadersBytes + imageBytes);
    bytes += "BM";
    putLe(bytes, HeadersBytes + imageBytes, 4);
    putLe(bytes, 0, 4); // reserved
    putLe(bytes, HeadersBytes, 4);
    putLe(bytes, 40, 4); // BITMAPINFOHEADER
    putLe(bytes, static_cast<uint32_t>(m_width), 4);
    putLe(bytes, static_cast<uint32_t>(m_height), 4); // positive: rows stored bottom-up
    putLe(bytes, 1, 2);                               // planes
    putLe(bytes, 24, 2);                              // bits per pixel
    putLe(bytes, 0, 4);                               // no compression
    putLe(bytes, imageBytes, 4);
    putLe(bytes, 2835, 4); // 72 dots per inch
    putLe(bytes, 2835, 4);
    putLe(bytes, 0, 4);
    putLe(bytes, 0, 4);
    for (int y = m_height - 1; y >= 0; --y) {
        for (int x = 0; x < m_width; ++x) {
            const Rgb p = pixel(x, y);
            bytes.push_back(static_cast<char>(p.b));
            bytes.push_back(static_cast<char>(p.g));
            bytes.push_back(static_cast<char>(p.r));
        }
        bytes.append(rowBytes - static_cast<uint32_t>(m_width) * 3, '\0');
    }
    return bytes;
}

} // namespace veltor::demo
