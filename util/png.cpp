// PNG decoding with libpng from the embedded asset streams, and texture creation from the result.
#include "util/png.h"

#include "util/assets.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <png.h>

namespace {

// The row table's size bounds the height; the width is bounded so that no header can make the decoder
// allocate more than 32 MiB of rows; the show's pictures are 512 wide at most.
constexpr uint32_t maxRows = 2048;
constexpr uint32_t maxWidth = 4096;

// Everything a decode holds while libpng may jump back to the error point. It lives in the caller of
// the function that calls setjmp, so nothing in it is a local of that function and its values survive
// the jump.
struct Decode {
    AssetStream* stream;
    png_structp png;
    png_infop info;
    png_bytep rows[maxRows];
    uint32_t rowCount;
    uint32_t width;
    uint32_t height;
    bool hasAlpha;
};

void releaseRows(Decode& d) {
    for (uint32_t i = 0; i < d.rowCount; i++)
        png_free(d.png, d.rows[i]);
    d.rowCount = 0;
}

// Reads header and rows; returns false when libpng reported an error (the rows taken so far stay
// recorded in d.rows for the caller to release).
bool readRows(Decode& d) {
    if (setjmp(png_jmpbuf(d.png)))
        return false;

    // No chunk a texture needs comes near 8 MB, and a damaged length must not become a huge
    // allocation; a header beyond the picture limits is refused before any row is allocated. Benign
    // errors stay libpng's warnings: a damaged ancillary chunk is dropped and the picture still decodes.
    png_set_chunk_malloc_max(d.png, 8 << 20);
    png_set_user_limits(d.png, maxWidth, maxRows);
    // Chunks a texture does not need are skipped unread: an oversized one is only a warning, and libpng
    // would otherwise allocate whatever length it claims before finding the data missing.
    static const png_byte unused[] = "tEXt\0zTXt\0iTXt\0iCCP\0sPLT\0eXIf\0pCAL\0sCAL";
    png_set_keep_unknown_chunks(d.png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
    png_set_keep_unknown_chunks(d.png, PNG_HANDLE_CHUNK_NEVER, unused, int(sizeof unused / 5));
    png_set_read_fn(d.png, d.stream, readPngData);
    png_set_sig_bytes(d.png, 8);
    png_read_info(d.png, d.info);

    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colorType = 0;
    png_get_IHDR(d.png, d.info, &width, &height, &bitDepth, &colorType, nullptr, nullptr, nullptr);
    int channels = png_get_channels(d.png, d.info);
    bool hasTrns = png_get_valid(d.png, d.info, PNG_INFO_tRNS) != 0;

    if (bitDepth == 16)
        png_set_strip_16(d.png);
    png_set_expand(d.png);
    // Gray pictures are widened so that every decoded picture is R G B A.
    if ((colorType & PNG_COLOR_MASK_COLOR) == 0)
        png_set_gray_to_rgb(d.png);
    png_set_filler(d.png, 0xFF, PNG_FILLER_AFTER);
    // An interlaced picture is read in its passes into the same rows.
    png_set_interlace_handling(d.png);

    // A stored alpha channel (4 channels, or 2 for gray with alpha) or a tRNS chunk keeps the decoded
    // alpha; anything else is opaque.
    d.hasAlpha = hasTrns || channels == 4 || (colorType & PNG_COLOR_MASK_ALPHA) != 0;

    // The row buffers are width * 4 bytes: make sure the transformations really give that.
    png_read_update_info(d.png, d.info);
    if (png_get_rowbytes(d.png, d.info) != png_size_t(width) * 4)
        png_error(d.png, "transformed rows are not 8-bit RGBA");

    d.width = width;
    d.height = height;
    for (uint32_t i = 0; i < height; i++) {
        d.rows[i] = static_cast<png_bytep>(png_malloc(d.png, png_alloc_size_t(width) * 4));
        d.rowCount = i + 1;
    }
    png_read_image(d.png, d.rows);
    png_read_end(d.png, nullptr);
    return true;
}

Image* assemble(const Decode& d) {
    size_t rowBytes = size_t(d.width) * 4;
    Image* image = static_cast<Image*>(malloc(sizeof(Image)));
    unsigned char* pixels = static_cast<unsigned char*>(malloc(rowBytes * d.height));
    if (!image || !pixels) {
        free(image);
        free(pixels);
        return nullptr;
    }
    for (uint32_t i = 0; i < d.height; i++)
        memcpy(pixels + i * rowBytes, d.rows[i], rowBytes);
    if (!d.hasAlpha) {
        for (size_t p = 3; p < rowBytes * d.height; p += 4)
            pixels[p] = 255;
    }
    image->width = d.width;
    image->height = d.height;
    image->pixels = pixels;
    return image;
}

} // namespace

void readPngData(png_structp decoder, png_bytep data, png_size_t length) {
    AssetStream* stream = static_cast<AssetStream*>(png_get_io_ptr(decoder));
    // Asking for more than a stream can ever hold is a short read as well.
    if (length > 0x7fffffff || readAsset(data, int32_t(length), stream) != int32_t(length))
        png_error(decoder, "picture data ends early");
}

Image* decodePngStream(AssetStream* stream) {
    unsigned char signature[8];
    if (readAsset(signature, 8, stream) != 8 || png_sig_cmp(signature, 0, 8) != 0) {
        printf("png: invalid data\n");
        return nullptr;
    }

    Decode d{};
    d.stream = stream;
    d.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!d.png)
        return nullptr;
    d.info = png_create_info_struct(d.png);
    if (!d.info) {
        png_destroy_read_struct(&d.png, nullptr, nullptr);
        return nullptr;
    }

    Image* image = readRows(d) ? assemble(d) : nullptr;
    releaseRows(d);
    png_destroy_read_struct(&d.png, &d.info, nullptr);
    return image;
}

Image* decodePng(const char* path) {
    AssetStream* stream = openAsset(path);
    if (!stream)
        return nullptr;
    Image* image = decodePngStream(stream);
    closeAsset(stream);
    return image;
}

void freeImage(Image* image) {
    if (!image)
        return;
    free(image->pixels);
    free(image);
}

void loadTexture(GLuint* textureName, const char* path) {
    Image* image = decodePng(path);
    if (!image) {
        printf("util: ERROR loading %s\n", path);
        return;
    }
    // An error that earlier code left behind is not this upload's. The GL keeps one flag per kind of
    // error, a handful at most; the bound guards against a lost context that reports one for ever.
    for (int flags = 0; flags < 16 && glGetError() != GL_NO_ERROR; flags++) {
    }
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, 4, GLsizei(image->width), GLsizei(image->height), 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, image->pixels);
    freeImage(image);
    // A picture the GL refuses (too large for it, no memory left) would otherwise keep a name for an
    // empty texture, silently: it fails as a picture that does not decode fails.
    if (glGetError() != GL_NO_ERROR) {
        glDeleteTextures(1, &name);
        printf("util: ERROR loading %s\n", path);
        return;
    }
    *textureName = name;
}
