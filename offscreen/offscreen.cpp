// The offscreen GL context: EGL surfaceless display, one pbuffer, one compatibility-profile context.
#include "offscreen/offscreen.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

EGLDisplay display = EGL_NO_DISPLAY;
EGLSurface surface = EGL_NO_SURFACE;
EGLContext context = EGL_NO_CONTEXT;
int frameWidth = 0;
int frameHeight = 0;

bool fail(std::string* reason, const char* what) {
    if (reason) {
        char text[200];
        snprintf(text, sizeof text, "%s (EGL error 0x%04x)", what, unsigned(eglGetError()));
        *reason = text;
    }
    closeOffscreen();
    return false;
}

// eglChooseConfig puts deeper colour first (10-bit on llvmpipe); the show's window is 8 bits a channel
// with a depth buffer, so pick that exactly: 8-bit RGB, no alpha and a 24-bit depth buffer preferred.
EGLConfig chooseConfig() {
    const EGLint attribs[] = {
        EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_DEPTH_SIZE, 16, EGL_NONE};
    EGLConfig configs[256];
    EGLint count = 0;
    if (!eglChooseConfig(display, attribs, configs, 256, &count))
        return nullptr;
    EGLConfig best = nullptr;
    int bestScore = -1;
    for (EGLint i = 0; i < count; i++) {
        EGLint red = 0, green = 0, blue = 0, alpha = 0, depth = 0;
        eglGetConfigAttrib(display, configs[i], EGL_RED_SIZE, &red);
        eglGetConfigAttrib(display, configs[i], EGL_GREEN_SIZE, &green);
        eglGetConfigAttrib(display, configs[i], EGL_BLUE_SIZE, &blue);
        eglGetConfigAttrib(display, configs[i], EGL_ALPHA_SIZE, &alpha);
        eglGetConfigAttrib(display, configs[i], EGL_DEPTH_SIZE, &depth);
        if (red != 8 || green != 8 || blue != 8)
            continue;
        int score = (depth == 24 ? 2 : 0) + (alpha == 0 ? 1 : 0);
        if (score > bestScore) {
            best = configs[i];
            bestScore = score;
        }
    }
    return best;
}

} // namespace

bool openOffscreen(int width, int height, std::string* reason) {
    if (context != EGL_NO_CONTEXT) {
        if (reason)
            *reason = "an offscreen context is already open";
        return false;
    }
    if (width <= 0 || height <= 0) {
        if (reason)
            *reason = "pbuffer size must be positive";
        return false;
    }
    // Mesa's software rasteriser gives the same pixels on every machine, GPU or not.
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);

    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!clientExtensions || !strstr(clientExtensions, "EGL_MESA_platform_surfaceless"))
        return fail(reason, "EGL has no surfaceless platform (EGL_MESA_platform_surfaceless)");

    display = eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY)
        return fail(reason, "eglGetPlatformDisplay(surfaceless) failed");
    EGLint major = 0, minor = 0;
    if (!eglInitialize(display, &major, &minor))
        return fail(reason, "eglInitialize failed");
    if (!eglBindAPI(EGL_OPENGL_API))
        return fail(reason, "eglBindAPI(EGL_OPENGL_API) failed");

    EGLConfig config = chooseConfig();
    if (!config)
        return fail(reason, "no EGL config with a pbuffer, desktop GL and 8-bit RGB");

    const EGLint surfaceAttribs[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    surface = eglCreatePbufferSurface(display, config, surfaceAttribs);
    if (surface == EGL_NO_SURFACE)
        return fail(reason, "eglCreatePbufferSurface failed");

    const EGLint contextAttribs[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                     EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttribs);
    if (context == EGL_NO_CONTEXT)
        return fail(reason, "eglCreateContext (desktop GL, compatibility profile) failed");
    if (!eglMakeCurrent(display, surface, surface, context))
        return fail(reason, "eglMakeCurrent failed");

    frameWidth = width;
    frameHeight = height;
    glViewport(0, 0, width, height);
    return true;
}

void readOffscreenPixels(unsigned char* rgba) {
    glFinish();
    std::vector<unsigned char> asRead(size_t(frameWidth) * frameHeight * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, frameWidth, frameHeight, GL_RGBA, GL_UNSIGNED_BYTE, asRead.data());
    flipGlRows(asRead.data(), frameWidth, frameHeight, rgba, 4);
}

void flipGlRows(const unsigned char* rgba, int width, int height, unsigned char* to, int channels) {
    const size_t w = size_t(width);
    for (int y = 0; y < height; y++) {
        const unsigned char* from = rgba + size_t(height - 1 - y) * w * 4;
        unsigned char* row = to + size_t(y) * w * channels;
        if (channels == 4) {
            memcpy(row, from, w * 4);
            continue;
        }
        for (size_t x = 0; x < w; x++) {
            row[3 * x] = from[4 * x];
            row[3 * x + 1] = from[4 * x + 1];
            row[3 * x + 2] = from[4 * x + 2];
        }
    }
}

int offscreenWidth() {
    return frameWidth;
}
int offscreenHeight() {
    return frameHeight;
}

const char* offscreenRenderer() {
    const GLubyte* renderer = context != EGL_NO_CONTEXT ? glGetString(GL_RENDERER) : nullptr;
    return renderer ? reinterpret_cast<const char*>(renderer) : "";
}

// Not eglTerminate: Mesa's software driver leaks what it built for a display that is terminated, and
// the tests open a context for each case.
void closeOffscreen() {
    if (display != EGL_NO_DISPLAY) {
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        if (context != EGL_NO_CONTEXT)
            eglDestroyContext(display, context);
        if (surface != EGL_NO_SURFACE)
            eglDestroySurface(display, surface);
    }
    surface = EGL_NO_SURFACE;
    context = EGL_NO_CONTEXT;
    frameWidth = 0;
    frameHeight = 0;
}
