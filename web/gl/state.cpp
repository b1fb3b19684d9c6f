// The state calls of the page's GL. What WebGL keeps (blending, culling, the depth test, the bound
// texture, the viewport) goes to it only when it changes, after the quads gathered under the old value
// are drawn; what only desktop GL has (texturing, lighting and lights, the shade model) is kept here
// and applied to the vertices. This layer is the only user of the page's WebGL context, so a copy of
// its state here is the truth.
#include "web/gl/layer.h"

#include <GL/gl.h>

// WebGL's own entry points, under the names emscripten gives them beside the GL names taken here.
extern "C" {
void emscripten_glEnable(GLenum cap);
void emscripten_glDisable(GLenum cap);
void emscripten_glBlendFunc(GLenum source, GLenum destination);
void emscripten_glCullFace(GLenum face);
void emscripten_glDepthFunc(GLenum function);
void emscripten_glBindTexture(GLenum target, GLuint texture);
void emscripten_glDeleteTextures(GLsizei count, const GLuint* textures);
void emscripten_glTexParameteri(GLenum target, GLenum name, GLint value);
void emscripten_glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                             GLint border, GLenum format, GLenum type, const void* pixels);
void emscripten_glViewport(GLint x, GLint y, GLsizei width, GLsizei height);
void emscripten_glScissor(GLint x, GLint y, GLsizei width, GLsizei height);
void emscripten_glClear(GLbitfield mask);
void emscripten_glClearDepthf(GLfloat depth);
void emscripten_glHint(GLenum target, GLenum mode);
void emscripten_glFlush();
void emscripten_glFinish();
}

namespace {

// WebGL's state as it starts, which is desktop GL's.
bool blend = false, cull = false, depthTest = false;
GLenum blendSource = GL_ONE, blendDestination = GL_ZERO, cullFace = GL_BACK, depthFunction = GL_LESS;
GLuint boundTexture = 0;
GLint viewport[4] = {-1, -1, -1, -1};

bool texturing = false, lighting = false, flat = false;
bool lights[8] = {};

// The flag of a capability, when WebGL or this layer keeps one for it.
bool* flagOf(GLenum cap) {
    switch (cap) {
    case GL_BLEND:
        return &blend;
    case GL_CULL_FACE:
        return &cull;
    case GL_DEPTH_TEST:
        return &depthTest;
    case GL_TEXTURE_2D:
        return &texturing;
    case GL_LIGHTING:
        return &lighting;
    default:
        return cap >= GL_LIGHT0 && cap < GL_LIGHT0 + 8 ? &lights[cap - GL_LIGHT0] : nullptr;
    }
}

void setCapability(GLenum cap, bool on) {
    bool* flag = flagOf(cap);
    if (flag && *flag == on)
        return;
    // Lighting is applied to each vertex as it is given, so only texturing and WebGL's flags part batches.
    const bool webgl = cap == GL_BLEND || cap == GL_CULL_FACE || cap == GL_DEPTH_TEST || !flag;
    if (webgl || cap == GL_TEXTURE_2D)
        flushDrawing();
    if (flag)
        *flag = on;
    if (webgl)
        on ? emscripten_glEnable(cap) : emscripten_glDisable(cap);
}

} // namespace

bool texturingOn() {
    return texturing && boundTexture != 0;
}

bool lightingOn() {
    return lighting;
}

bool lightOn(int light) {
    return lights[light];
}

bool flatShading() {
    return flat;
}

extern "C" {

void glEnable(GLenum cap) {
    setCapability(cap, true);
}

void glDisable(GLenum cap) {
    setCapability(cap, false);
}

void glBlendFunc(GLenum source, GLenum destination) {
    if (source == blendSource && destination == blendDestination)
        return;
    flushDrawing();
    blendSource = source, blendDestination = destination;
    emscripten_glBlendFunc(source, destination);
}

void glCullFace(GLenum face) {
    if (face == cullFace)
        return;
    flushDrawing();
    cullFace = face;
    emscripten_glCullFace(face);
}

void glDepthFunc(GLenum function) {
    if (function == depthFunction)
        return;
    flushDrawing();
    depthFunction = function;
    emscripten_glDepthFunc(function);
}

void glBindTexture(GLenum target, GLuint texture) {
    if (target == GL_TEXTURE_2D && texture == boundTexture)
        return;
    flushDrawing();
    if (target == GL_TEXTURE_2D)
        boundTexture = texture;
    emscripten_glBindTexture(target, texture);
}

void glDeleteTextures(GLsizei count, const GLuint* textures) {
    flushDrawing();
    for (GLsizei i = 0; i < count; i++)
        if (textures[i] == boundTexture)
            boundTexture = 0;
    emscripten_glDeleteTextures(count, textures);
}

void glTexParameteri(GLenum target, GLenum name, GLint value) {
    flushDrawing();
    emscripten_glTexParameteri(target, name, value);
}

// WebGL takes no component count (1 to 4) as an internal format, only the format's name.
void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                  GLint border, GLenum format, GLenum type, const void* pixels) {
    static const GLint named[5] = {0, GL_LUMINANCE, GL_LUMINANCE_ALPHA, GL_RGB, GL_RGBA};
    if (internalFormat >= 1 && internalFormat <= 4)
        internalFormat = named[internalFormat];
    flushDrawing();
    emscripten_glTexImage2D(target, level, internalFormat, width, height, border, format, type, pixels);
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    if (x == viewport[0] && y == viewport[1] && width == viewport[2] && height == viewport[3])
        return;
    flushDrawing();
    viewport[0] = x, viewport[1] = y, viewport[2] = width, viewport[3] = height;
    emscripten_glViewport(x, y, width, height);
}

void glScissor(GLint x, GLint y, GLsizei width, GLsizei height) {
    flushDrawing();
    emscripten_glScissor(x, y, width, height);
}

void glClear(GLbitfield mask) {
    flushDrawing();
    emscripten_glClear(mask);
    restartDrawing();
}

// Both finish what was gathered too.
void glFlush() {
    flushDrawing();
    emscripten_glFlush();
}

void glFinish() {
    flushDrawing();
    emscripten_glFinish();
}

void glClearDepth(GLclampd depth) {
    emscripten_glClearDepthf(GLfloat(depth));
}

void glShadeModel(GLenum mode) {
    flat = mode == GL_FLAT;
}

// WebGL always interpolates with perspective, the nicest correction there is.
void glHint(GLenum target, GLenum mode) {
    if (target != GL_PERSPECTIVE_CORRECTION_HINT)
        emscripten_glHint(target, mode);
}

} // extern "C"
