// Offline music render: libopenmpt over the embedded module's bytes, repeating like the show's player,
// rendered by a thread of its own in pieces, so that memory stays the same whatever the span.
#include "capture/music.h"

#include "capture/output.h"
#include "capture/stop.h"
#include "show/song.h"
#include "util/assets.h"

#include <algorithm>
#include <atomic>
#include <libopenmpt/libopenmpt.hpp>
#include <map>
#include <memory>
#include <sstream>
#include <thread>
#include <vector>

namespace {

constexpr int64_t piece = 4096; // stereo frames rendered at a time

std::unique_ptr<openmpt::module> song;
std::thread renderer;
std::atomic<bool> cancelled{false};
void (*onFailed)() = nullptr;
bool failed = false;
std::string failure;

std::unique_ptr<openmpt::module> openSong(std::string& error) {
    AssetStream* stream = openAsset(songAsset);
    if (stream == nullptr) {
        error = std::string("the embedded table has no ") + songAsset;
        return nullptr;
    }
    std::unique_ptr<openmpt::module> module;
    std::ostringstream log;
    try {
        // No dither, so that the same span always renders to the same samples.
        const std::map<std::string, std::string> controls{{"dither", "0"}};
        module = std::make_unique<openmpt::module>(stream->bytes, static_cast<std::size_t>(stream->length),
                                                   log, controls);
    } catch (const std::exception& e) {
        error = std::string("cannot load ") + songAsset + ": " + e.what();
    }
    closeAsset(stream);
    return module;
}

bool stopped() {
    return cancelled || stopSignal() != 0;
}

// A failed write after a halt is the halt's doing, not a failure of the music.
void fail(const std::string& error) {
    if (stopped())
        return;
    failed = true;
    failure = error;
    onFailed();
}

void render(FrameOutput* out, int64_t firstSample, int64_t count) {
    try {
        std::vector<int16_t> samples(2 * piece);
        // Rendered from the start rather than seeked, so that the span is exactly what a whole render holds.
        while (firstSample > 0 && !stopped()) {
            const std::size_t n = static_cast<std::size_t>(std::min(firstSample, piece));
            const std::size_t got = song->read_interleaved_stereo(captureSampleRate, n, samples.data());
            if (got == 0)
                break;
            firstSample -= static_cast<int64_t>(got);
        }
        while (count > 0 && !stopped()) {
            const std::size_t n = static_cast<std::size_t>(std::min(count, piece));
            const std::size_t got = song->read_interleaved_stereo(captureSampleRate, n, samples.data());
            std::fill(samples.begin() + 2 * static_cast<std::ptrdiff_t>(got), samples.end(), 0);
            std::string error;
            if (!out->writeSound(samples.data(), n, error)) {
                fail(error);
                return;
            }
            count -= static_cast<int64_t>(n);
        }
        if (count == 0)
            out->endSound();
    } catch (const std::exception& e) {
        fail(std::string("rendering the music failed: ") + e.what());
    }
}

} // namespace

double musicDuration() {
    std::string error;
    std::unique_ptr<openmpt::module> module = openSong(error);
    return module ? module->get_duration_seconds() : -1.0;
}

bool startMusic(FrameOutput& out, int64_t firstSample, int64_t count, void (*onFailure)(),
                std::string& error) {
    song = openSong(error);
    if (!song)
        return false;
    song->set_repeat_count(-1);
    onFailed = onFailure;
    cancelled = failed = false;
    renderer = std::thread(render, &out, firstSample, count);
    return true;
}

void haltMusic() {
    cancelled = true;
}

bool finishMusic(std::string& error) {
    if (renderer.joinable())
        renderer.join();
    song.reset();
    if (failed)
        error = failure;
    return !failed;
}
