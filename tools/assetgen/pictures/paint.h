// The painters of the nine pictures and the steps they share.
#pragma once

#include "tools/assetgen/pictures/pngwrite.h"
#include "tools/assetgen/pictures/raster.h"

#include <cstdint>

// The show stretches full-screen pictures over a 1024 x 768 canvas; they are painted at that size
// (one pixel per canvas unit) and reduced to 512 x 512 texels.
constexpr int kCanvasW = 1024, kCanvasH = 768, kTex = 512;

// Film grain: adds zero-mean noise of the given strength to r, g, b (same for all three, as luminance).
void addGrain(Img& im, float strength, uint32_t seed);
// Darkens towards the corners.
void vignette(Img& im, float strength);

bool paintHeatTube(PngData& out);
bool paintLagerFeuer(PngData& out);
bool paintBack(PngData& out);
bool paintBus(PngData& out);
// The bus as painted (premultiplied), before it is packed; the program's icon is cut from it.
bool busPicture(Img& im);
bool paintPeople(PngData& out);
bool paintFontSheet(PngData& out);
bool paintFlocke(PngData& out);
bool paintFire(PngData& out);
bool paintTheEnd(PngData& out);
// The closing picture's sky at dusk, on the 1024 x 768 canvas; the icon's ground.
Col dusk(float x, float y);
