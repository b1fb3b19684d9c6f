// A preloaded library for the end-to-end tests and the start-up benchmark: it notes, with the time
// since the process began, when plix creates its window, opens audio, builds the module, makes
// textures, presents frames, places the camera, sets the shading and closes audio, then passes each
// call on; it also notes the show's clock about ten times a second. The log goes to $PLIX_WATCH_LOG.
#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL.h>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dlfcn.h>
#include <fcntl.h>
#include <libopenmpt/libopenmpt.h>
#include <unistd.h>

// The function this library stands in front of, of the same type.
#define REAL(function)                                                                                       \
    static const auto real = reinterpret_cast<decltype(&function)>(dlsym(RTLD_NEXT, #function))

namespace {

int logFd = -2;

// CLOCK_MONOTONIC in nanoseconds: the same clock the benchmark reads before it starts plix.
long long now() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000000000LL + t.tv_nsec;
}

void note(const char* event) {
    if (logFd == -2) {
        const char* path = std::getenv("PLIX_WATCH_LOG");
        logFd = path ? open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644) : -1;
    }
    char line[128];
    const int n = std::snprintf(line, sizeof line, "%s %lld\n", event, now());
    if (logFd >= 0 && write(logFd, line, size_t(n)) != n)
        logFd = -1;
}

} // namespace

extern "C" {

int glutCreateWindow(const char* title) {
    static const auto real = reinterpret_cast<int (*)(const char*)>(dlsym(RTLD_NEXT, "glutCreateWindow"));
    note("window-begin");
    const int id = real(title);
    note("window-end");
    return id;
}

void glutSwapBuffers() {
    static const auto real = reinterpret_cast<void (*)()>(dlsym(RTLD_NEXT, "glutSwapBuffers"));
    static std::atomic<int> swaps;
    real();
    if (swaps++ < 3) // the first few frames are enough to see that drawing began
        note("swap");
    // The songTime of the frame just presented (plix exports it), to see the frames follow the clock.
    static const auto* clock = reinterpret_cast<const float*>(dlsym(RTLD_DEFAULT, "songTime"));
    static long long lastClock;
    if (clock && now() - lastClock >= 100000000) {
        lastClock = now();
        char event[32];
        std::snprintf(event, sizeof event, "clock %.3f", *clock);
        note(event);
    }
}

// The camera's eye (x and z; y never moves), noted when a frame places it somewhere new.
void gluLookAt(GLdouble ex, GLdouble ey, GLdouble ez, GLdouble cx, GLdouble cy, GLdouble cz, GLdouble ux,
               GLdouble uy, GLdouble uz) {
    REAL(gluLookAt);
    static double lastX = -1e9, lastZ = -1e9;
    if (ex != lastX || ez != lastZ) {
        char event[64];
        std::snprintf(event, sizeof event, "eye %g %g", ex, ez);
        note(event);
        lastX = ex, lastZ = ez;
    }
    real(ex, ey, ez, cx, cy, cz, ux, uy, uz);
}

void glShadeModel(GLenum mode) {
    REAL(glShadeModel);
    real(mode);
    note(mode == GL_FLAT ? "shade flat" : "shade smooth");
}

void glTexImage2D(GLenum target, GLint level, GLint internal, GLsizei w, GLsizei h, GLint border,
                  GLenum format, GLenum type, const void* pixels) {
    REAL(glTexImage2D);
    real(target, level, internal, w, h, border, format, type, pixels);
    note("texture");
}

int SDL_InitSubSystem(Uint32 flags) {
    REAL(SDL_InitSubSystem);
    note("audio-begin");
    return real(flags);
}

SDL_AudioDeviceID SDL_OpenAudioDevice(const char* device, int capture, const SDL_AudioSpec* want,
                                      SDL_AudioSpec* have, int changes) {
    REAL(SDL_OpenAudioDevice);
    const SDL_AudioDeviceID id = real(device, capture, want, have, changes);
    note(id ? "audio-end" : "audio-failed");
    return id;
}

void SDL_CloseAudioDevice(SDL_AudioDeviceID id) {
    REAL(SDL_CloseAudioDevice);
    real(id);
    note("audio-closed");
}

openmpt_module* openmpt_module_create2(openmpt_stream_callbacks callbacks, void* stream, openmpt_log_func log,
                                       void* logUser, openmpt_error_func error, void* errorUser, int* code,
                                       const char** message, const openmpt_module_initial_ctl* ctls) {
    REAL(openmpt_module_create2);
    note("module-begin");
    openmpt_module* module = real(callbacks, stream, log, logUser, error, errorUser, code, message, ctls);
    note(module ? "module-end" : "module-failed");
    return module;
}

} // extern "C"
