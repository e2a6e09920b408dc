#pragma once
#include "Raster.h"

// The drawn pictures of the demo: stylised passport-style portraits for the employees that have
// a photo, and the grey silhouette shown for an employee without one.
namespace veltor::demo {

inline constexpr int PictureWidth = 120;
inline constexpr int PictureHeight = 160;

struct PortraitStyle {
    Rgb backgroundTop;
    Rgb backgroundBottom;
    Rgb skin;
    Rgb hair;
    Rgb jacket;
    Rgb shirt;
    bool longHair = false;
    bool tie = false;
    Rgb tieColour{};
};

Raster drawPortrait(const PortraitStyle &style);

// A light grey silhouette with the caption "НЕТ ФОТО".
Raster drawNoPhoto();

} // namespace veltor::demo
