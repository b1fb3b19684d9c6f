// PNG pictures from the embedded files: decoding to 8-bit RGBA and making textures of them.
#pragma once

#include <GL/gl.h>
#include <cstddef>
#include <cstdint>

struct AssetStream;
struct png_struct_def;

struct Image {
    uint32_t width;
    uint32_t height;
    unsigned char* pixels; // width * height * 4 bytes, R G B A, top row first
};

// Opens the asset, decodes it and closes it again; null when the picture cannot be had.
Image* decodePng(const char* path);
// Decodes the picture that starts at the stream's position; the stream stays open.
Image* decodePngStream(AssetStream* stream);
void freeImage(Image* image);
void loadTexture(GLuint* textureName, const char* path);

// libpng's read function: fills data from the AssetStream set as the decoder's I/O pointer.
void readPngData(png_struct_def* decoder, unsigned char* data, size_t length);
