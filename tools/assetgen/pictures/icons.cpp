// The program's icon for the desktop's menus: the bus's face, cut square out of its picture, on a tile of the
// closing picture's dusk sky (so that it reads on light and dark panels alike), reduced to each size.
#include "tools/assetgen/pictures/paint.h"
#include "tools/assetgen/pictures/pictures.h"

bool writeIcons(const std::string& dir) {
    Img bus;
    if (!busPicture(bus))
        return false;
    // The square around the bus with its open door and mirrors, a little clear ground on every side.
    constexpr int x0 = 38, y0 = 40, side = 420;
    constexpr float half = side / 2.0f;
    Img square = makeImg(side, side);
    fillShape(
        square, 0, 0, side, side,
        [](float x, float y) { return sdBox(x, y, half, half, half - 2, half - 2, 64); },
        [](float x, float y) { return dusk(x * kCanvasW / side, y * kCanvasH / side); });
    for (int y = 0; y < side; y++)
        for (int x = 0; x < side; x++) {
            const float* b = bus.at(x0 + x, y0 + y);
            float* p = square.at(x, y);
            for (int k = 0; k < 4; k++)
                p[k] = b[k] + p[k] * (1 - b[3]);
        }
    for (const int size : {48, 256}) {
        const Img icon = resample(square, size, size);
        if (!writePng(dir + "/plix-" + std::to_string(size) + ".png",
                      packRgb(size, size, straightColour(icon, 0), true, 8)))
            return false;
    }
    return true;
}
