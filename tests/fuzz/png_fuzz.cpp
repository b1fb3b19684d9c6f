// libFuzzer target: arbitrary bytes as a picture, decoded through a stream over them.
#include "util/assets.h"
#include "util/png.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The decoder's refusals print on stdout; libpng's own error messages still go to stderr.
    return freopen("/dev/null", "w", stdout) ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0x7fffffff)
        return 0;
    AssetStream stream{int32_t(size), 0, data};
    Image* image = decodePngStream(&stream);
    if (image) {
        // Touch every byte so that a short pixel buffer shows under AddressSanitizer.
        volatile unsigned sum = 0;
        for (size_t i = 0; i < size_t(image->width) * image->height * 4; i++)
            sum = sum + image->pixels[i];
    }
    freeImage(image);
    return 0;
}
