#include "Pictures.h"

#include <cmath>

namespace veltor::demo {
namespace {

Rgb darker(Rgb colour, double factor)
{
    return {static_cast<uint8_t>(colour.r * factor), static_cast<uint8_t>(colour.g * factor),
            static_cast<uint8_t>(colour.b * factor)};
}

bool inEllipse(double x, double y, double centreX, double centreY, double radiusX, double radiusY)
{
    const double dx = (x - centreX) / radiusX;
    const double dy = (y - centreY) / radiusY;
    return dx * dx + dy * dy <= 1.0;
}

// Inside the triangle (ax, ay), (bx, by), (cx, cy), whatever its orientation.
bool inTriangle(double x, double y, double ax, double ay, double bx, double by, double cx,
                double cy)
{
    const auto side = [&](double px, double py, double qx, double qy) {
        return (qx - px) * (y - py) - (qy - py) * (x - px);
    };
    const double s1 = side(ax, ay, bx, by);
    const double s2 = side(bx, by, cx, cy);
    const double s3 = side(cx, cy, ax, ay);
    return (s1 >= 0 && s2 >= 0 && s3 >= 0) || (s1 <= 0 && s2 <= 0 && s3 <= 0);
}

// Shoulders and the upper body: a wide ellipse cut by the bottom edge.
void drawBody(Raster &raster, Rgb jacket)
{
    raster.ellipse(jacket, 60, 170, 62, 58);
}

} // namespace

Raster drawPortrait(const PortraitStyle &style)
{
    Raster raster(PictureWidth, PictureHeight);
    raster.fillVertical(style.backgroundTop, style.backgroundBottom);

    if (style.longHair) {
        // Hair falling behind the head down to the shoulders.
        raster.paint(style.hair, [](double x, double y) {
            return inEllipse(x, y, 60, 64, 33, 40) ||
                   (y >= 64 && y < 114 && std::abs(x - 60) < 31 - (y - 64) * 0.08);
        });
    }
    drawBody(raster, style.jacket);
    // Shirt opening and, for a suit, the tie.
    raster.paint(style.shirt, [](double x, double y) {
        return y < 160 && inTriangle(x, y, 46, 113, 74, 113, 60, 142);
    });
    if (style.tie) {
        raster.paint(style.tieColour, [](double x, double y) {
            return inTriangle(x, y, 56, 115, 64, 115, 60, 122) ||
                   inTriangle(x, y, 57, 121, 63, 121, 60, 146);
        });
    }
    const Rgb neck = darker(style.skin, 0.9);
    raster.rectangle(neck, 50, 84, 70, 116);
    raster.ellipse(neck, 60, 114, 10, 5);
    raster.ellipse(style.skin, 36.5, 64, 4, 7);
    raster.ellipse(style.skin, 83.5, 64, 4, 7);
    raster.ellipse(style.skin, 60, 62, 24, 30);

    if (style.longHair) {
        raster.paint(style.hair, [](double x, double y) {
            return inEllipse(x, y, 60, 50, 27, 22) &&
                   (y < 44 || x < 40 || x > 80 || y < 44 + (x - 40) * 0.1);
        });
    } else {
        raster.paint(style.hair, [](double x, double y) {
            return inEllipse(x, y, 60, 48, 26, 20) && (y < 42 || x < 40 || x > 80);
        });
    }

    const Rgb eyes{55, 45, 40};
    raster.ellipse(eyes, 51, 62, 3, 2);
    raster.ellipse(eyes, 69, 62, 3, 2);
    const Rgb brows = darker(style.hair, 0.9);
    raster.rectangle(brows, 46, 55, 56, 57);
    raster.rectangle(brows, 64, 55, 74, 57);
    raster.paint(darker(style.skin, 0.82),
                 [](double x, double y) { return inTriangle(x, y, 60, 64, 57, 73, 62, 73); });
    raster.ellipse(Rgb{170, 85, 80}, 60, 80, 7, 2);
    return raster;
}

Raster drawNoPhoto()
{
    Raster raster(PictureWidth, PictureHeight);
    raster.fillVertical(Rgb{236, 236, 236}, Rgb{214, 214, 214});
    const Rgb silhouette{178, 178, 178};
    drawBody(raster, silhouette);
    raster.rectangle(silhouette, 50, 84, 70, 116);
    raster.ellipse(silhouette, 60, 60, 25, 31);
    raster.rectangle(Rgb{248, 248, 248}, 8, 128, 112, 150);
    raster.text(Rgb{110, 110, 110}, "НЕТ ФОТО", 60, 132, 2);
    return raster;
}

} // namespace veltor::demo
