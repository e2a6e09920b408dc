#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A small RGB picture drawn from filled shapes, for the demo photos and the no-photo picture,
// and its encodings as a JPEG file and a 24-bit BMP file. Drawing uses no clock and no system
// font, so the same calls give the same bytes on every run.
namespace veltor::demo {

struct Rgb {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
};

class Raster {
public:
    Raster(int width, int height);

    int width() const { return m_width; }
    int height() const { return m_height; }
    Rgb pixel(int x, int y) const;

    // Each row blends linearly from `top` (row 0) to `bottom` (last row).
    void fillVertical(Rgb top, Rgb bottom);

    // Paints `colour` where `inside(x, y)` holds, x and y in pixel units with (0, 0) the top left
    // corner of the picture. Edges are smoothed by sampling each pixel 4 x 4 times.
    void paint(Rgb colour, const std::function<bool(double, double)> &inside);

    // Convenience shapes on top of paint().
    void ellipse(Rgb colour, double centreX, double centreY, double radiusX, double radiusY);
    void rectangle(Rgb colour, double left, double top, double right, double bottom);

    // Text in a built-in 5 x 7 dot font of the capitals it knows (Е Н О Т Ф and the blank),
    // each dot `scale` pixels square, the text centred on centreX.
    void text(Rgb colour, const std::string &utf8, double centreX, double top, int scale);

    // Baseline JPEG (quality 85, 4:2:0) and BMP (24 bits, bottom-up rows) file contents.
    std::string jpegBytes() const;
    std::string bmpBytes() const;

private:
    int m_width;
    int m_height;
    std::vector<uint8_t> m_rgb;
};

} // namespace veltor::demo
