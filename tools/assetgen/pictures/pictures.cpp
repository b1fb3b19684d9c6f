// Paints the nine pictures and writes them into a folder; also the finishing steps they share.
#include "tools/assetgen/pictures/pictures.h"
#include "tools/assetgen/pictures/noise.h"
#include "tools/assetgen/pictures/paint.h"

#include <cmath>
#include <cstdio>

void addGrain(Img& im, float strength, uint32_t seed) {
    for (int y = 0; y < im.h; y++)
        for (int x = 0; x < im.w; x++) {
            // Two hashes summed give a softer, roughly triangular distribution.
            const float n = (hash2(x, y, seed) + hash2(x, y, seed ^ 0x5bd1e995u) - 1.0f) * strength;
            float* p = im.at(x, y);
            for (int k = 0; k < 3; k++)
                p[k] = std::fmax(0.0f, p[k] + n * p[3]);
        }
}

void vignette(Img& im, float strength) {
    modulate(im, [&](float x, float y) {
        const float dx = x / im.w - 0.5f, dy = y / im.h - 0.5f;
        return 1.0f - strength * smooth(0.1f, 0.75f, dx * dx + dy * dy) * 2.0f;
    });
}

bool writePictures(const std::string& dir) {
    struct Entry {
        const char* name;
        bool (*paint)(PngData&);
    };
    static const Entry entries[] = {
        {"HeatTube.png", paintHeatTube}, {"LagerFeuer.png", paintLagerFeuer},
        {"Back.png", paintBack},         {"Bus.png", paintBus},
        {"People.png", paintPeople},     {"SouthPark.png", paintFontSheet},
        {"Flocke.png", paintFlocke},     {"Fire.png", paintFire},
        {"TheEnd.png", paintTheEnd},
    };
    for (const Entry& e : entries) {
        PngData png;
        if (!e.paint(png)) {
            std::fprintf(stderr, "assetgen: cannot paint %s\n", e.name);
            return false;
        }
        if (!writePng(dir + "/" + e.name, png))
            return false;
    }
    return true;
}
