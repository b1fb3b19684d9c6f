// Offline music render: libopenmpt over the embedded module's bytes, repeating like the show's player.
#include "capture/music.h"

#include "util/assets.h"

#include <algorithm>
#include <libopenmpt/libopenmpt.hpp>
#include <map>
#include <memory>
#include <sstream>

static const char* const songName = "data/boo.oxm";

static std::unique_ptr<openmpt::module> openSong(std::string& error) {
    AssetStream* stream = openAsset(songName);
    if (stream == nullptr) {
        error = std::string("the embedded table has no ") + songName;
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
        error = std::string("cannot load ") + songName + ": " + e.what();
    }
    closeAsset(stream);
    return module;
}

bool renderMusic(int64_t firstSample, int64_t sampleCount, std::vector<int16_t>& samples,
                 std::string& error) {
    std::unique_ptr<openmpt::module> module = openSong(error);
    if (!module)
        return false;
    module->set_repeat_count(-1);
    // Rendered from the start rather than seeked, so that the span is exactly what a whole render holds.
    std::vector<int16_t> skip(2 * 4096);
    while (firstSample > 0) {
        const std::size_t n = static_cast<std::size_t>(std::min<int64_t>(firstSample, 4096));
        const std::size_t got = module->read_interleaved_stereo(captureSampleRate, n, skip.data());
        if (got == 0)
            break;
        firstSample -= static_cast<int64_t>(got);
    }
    samples.assign(static_cast<std::size_t>(2 * sampleCount), 0);
    int64_t done = 0;
    while (done < sampleCount) {
        const std::size_t n = static_cast<std::size_t>(std::min<int64_t>(sampleCount - done, 4096));
        const std::size_t got =
            module->read_interleaved_stereo(captureSampleRate, n, samples.data() + 2 * done);
        if (got == 0)
            break; // the rest stays silent
        done += static_cast<int64_t>(got);
    }
    return true;
}

double musicDuration() {
    std::string error;
    std::unique_ptr<openmpt::module> module = openSong(error);
    return module ? module->get_duration_seconds() : -1.0;
}
