// Decode time of the nine pictures through decodePng (median of 5) against libpng's own pixel
// throughput over the same bytes, read straight into one buffer with the same transformations.
#include "util/assets.h"
#include "util/png.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <png.h>
#include <vector>

namespace {

const char* const names[] = {"data/HeatTube.png", "data/Flocke.png",    "data/LagerFeuer.png",
                             "data/Fire.png",     "data/Back.png",      "data/Bus.png",
                             "data/People.png",   "data/SouthPark.png", "data/TheEnd.png"};
constexpr int runs = 5;

double now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Memory {
    const unsigned char* bytes;
    size_t length, position;
};

void readMemory(png_structp png, png_bytep out, png_size_t n) {
    Memory* m = static_cast<Memory*>(png_get_io_ptr(png));
    if (m->position + n > m->length)
        png_error(png, "short");
    memcpy(out, m->bytes + m->position, n);
    m->position += n;
}

// libpng alone: the same transformations, rows decoded in place into one preallocated buffer.
bool rawDecode(const unsigned char* bytes, size_t length, std::vector<unsigned char>& pixels) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    Memory m{bytes, length, 0};
    png_set_read_fn(png, &m, readMemory);
    png_read_info(png, info);
    png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
    if (png_get_bit_depth(png, info) == 16)
        png_set_strip_16(png);
    png_set_expand(png);
    png_set_filler(png, 0xff, PNG_FILLER_AFTER);
    pixels.resize(size_t(w) * h * 4);
    rows.resize(h);
    for (png_uint_32 y = 0; y < h; y++)
        rows[y] = pixels.data() + size_t(y) * w * 4;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

} // namespace

int main() {
    printf("%-22s %9s %9s %10s %10s %9s\n", "picture", "bytes", "pixels", "decodePng", "libpng", "ratio");
    double totalOurs = 0, totalRaw = 0, totalPixels = 0;
    for (const char* name : names) {
        AssetStream* s = openAsset(name);
        if (!s) {
            printf("%-22s missing\n", name);
            continue;
        }
        const unsigned char* bytes = s->bytes;
        size_t length = size_t(s->length);
        closeAsset(s);

        std::vector<double> ours, raw;
        uint32_t pixels = 0;
        for (int i = 0; i < runs; i++) {
            double t0 = now();
            Image* image = decodePng(name);
            ours.push_back(now() - t0);
            if (image)
                pixels = image->width * image->height;
            freeImage(image);
        }
        std::vector<unsigned char> buffer;
        for (int i = 0; i < runs; i++) {
            double t0 = now();
            rawDecode(bytes, length, buffer);
            raw.push_back(now() - t0);
        }
        double o = median(ours), r = median(raw);
        totalOurs += o;
        totalRaw += r;
        totalPixels += pixels;
        printf("%-22s %9zu %9u %8.3fms %8.3fms %8.2fx\n", name, length, pixels, o * 1e3, r * 1e3, o / r);
    }
    printf("%-22s %9s %9.0f %8.3fms %8.3fms %8.2fx\n", "all nine", "", totalPixels, totalOurs * 1e3,
           totalRaw * 1e3, totalOurs / totalRaw);
    printf("throughput: decodePng %.1f Mpixel/s, libpng alone %.1f Mpixel/s\n", totalPixels / totalOurs / 1e6,
           totalPixels / totalRaw / 1e6);
    return 0;
}
