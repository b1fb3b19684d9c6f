// PNG pictures from the embedded files: decoding to 8-bit RGBA and making textures of them.
#pragma once

#include <GL/gl.h>
#include <cstdint>

struct Image {
    uint32_t width;
    uint32_t height;
    unsigned char* pixels; // width * height * 4 bytes, R G B A, top row first
};

Image* decodePng(const char* path);
void freeImage(Image* image);
void loadTexture(GLuint* textureName, const char* path);
