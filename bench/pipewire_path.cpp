// The A/V benchmark's measuring path on PipeWire (see pipewire_path.h). PipeWire's pulse server reports
// no latency for a monitor and delivers a monitor's samples some graph cycles after the sink took them;
// PipeWire's own streams say at which graph cycle (its wall time and clock position) each buffer moves.
#include "bench/pipewire_path.h"
#include "show/song.h"

#include <pipewire/pipewire.h>
#include <spa/param/audio/format-utils.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <thread>

namespace {

constexpr int rate = songMixRate; // the private servers run at it too

struct Cycle {
    double wall;     // the cycle's start, CLOCK_MONOTONIC seconds
    size_t first;    // the index in the stream of the buffer's first sample
    uint32_t frames; // the buffer's length
};

struct Native {
    pw_stream* stream = nullptr;
    bool play = false;
    int64_t clickPeriod = 0;
    std::vector<float> mono;
    std::vector<Cycle> cycles;
    std::vector<std::pair<double, uint32_t>> clicks; // each click's cycle (its start) and place in it
    size_t frames = 0;
    bool otherRate = false;
};

pw_thread_loop* loop;
Native recorder, clicks;

void process(void* user) {
    auto* st = static_cast<Native*>(user);
    pw_buffer* b = pw_stream_dequeue_buffer(st->stream);
    if (!b)
        return;
    spa_data& d = b->buffer->datas[0];
    pw_time t;
    pw_stream_get_time_n(st->stream, &t, sizeof t);
    st->otherRate |= t.rate.denom != rate;
    auto* samples = static_cast<float*>(d.data);
    uint32_t frames;
    if (st->play) {
        frames = d.maxsize / (2 * sizeof(float));
        if (b->requested && b->requested < frames)
            frames = uint32_t(b->requested);
        for (uint32_t j = 0; j < frames; ++j) {
            bool click = int64_t(st->frames + j) % st->clickPeriod == st->clickPeriod / 2;
            samples[2 * j] = samples[2 * j + 1] = click ? -0.9f : 0.0f;
            if (click)
                st->clicks.push_back({double(t.now) * 1e-9, j});
        }
        d.chunk->offset = 0;
        d.chunk->stride = 2 * sizeof(float);
        d.chunk->size = frames * 2 * sizeof(float);
    } else {
        frames = d.chunk->size / (2 * sizeof(float));
        const float* in = samples ? samples + d.chunk->offset / sizeof(float) : nullptr;
        for (uint32_t j = 0; j < frames; ++j)
            st->mono.push_back(in ? 0.5f * (in[2 * j] + in[2 * j + 1]) : 0.0f);
    }
    st->cycles.push_back({double(t.now) * 1e-9, st->frames, frames});
    st->frames += frames;
    pw_stream_queue_buffer(st->stream, b);
}

const pw_stream_events events = [] {
    pw_stream_events e{};
    e.version = PW_VERSION_STREAM_EVENTS;
    e.process = process;
    return e;
}();

// A new recording, or clicks that go on from the last ones.
bool start(Native& st, const std::string& sink, bool fresh) {
    if (fresh) {
        st.mono.clear();
        st.cycles.clear();
        st.clicks.clear();
        st.frames = 0;
    }
    st.otherRate = false;
    st.mono.reserve(size_t(rate) * 60);
    st.cycles.reserve(20000);
    pw_thread_loop_lock(loop);
    // No latency request: the graph's quantum stays what its other players make it.
    pw_properties* props =
        pw_properties_new(PW_KEY_MEDIA_TYPE, "Audio", PW_KEY_TARGET_OBJECT, sink.c_str(), nullptr);
    if (!st.play)
        pw_properties_set(props, PW_KEY_STREAM_CAPTURE_SINK, "true");
    st.stream = pw_stream_new_simple(pw_thread_loop_get_loop(loop), st.play ? "clicks" : "monitor", props,
                                     &events, &st);
    uint8_t buffer[512];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(buffer, sizeof buffer);
    spa_audio_info_raw info{};
    info.format = SPA_AUDIO_FORMAT_F32;
    info.rate = rate;
    info.channels = 2;
    info.position[0] = SPA_AUDIO_CHANNEL_FL;
    info.position[1] = SPA_AUDIO_CHANNEL_FR;
    const spa_pod* params[] = {spa_format_audio_raw_build(&builder, SPA_PARAM_EnumFormat, &info)};
    int failed = !st.stream ||
                 pw_stream_connect(st.stream, st.play ? PW_DIRECTION_OUTPUT : PW_DIRECTION_INPUT, PW_ID_ANY,
                                   pw_stream_flags(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS |
                                                   PW_STREAM_FLAG_RT_PROCESS),
                                   params, 1) < 0;
    pw_thread_loop_unlock(loop);
    return !failed;
}

void stop(Native& st) {
    pw_thread_loop_lock(loop);
    if (st.stream)
        pw_stream_destroy(st.stream);
    st.stream = nullptr;
    pw_thread_loop_unlock(loop);
    if (st.otherRate)
        std::printf("  (the graph does not run at %d Hz: its samples are resampled)\n", rate);
}

// The cycle of the recording that holds this sample, or -1.
long cycleOf(double sample) {
    const auto& c = recorder.cycles;
    size_t low = 0, high = c.size();
    while (low < high) {
        size_t mid = (low + high) / 2;
        if (double(c[mid].first + c[mid].frames) <= sample)
            low = mid + 1;
        else
            high = mid;
    }
    return low < c.size() && double(c[low].first) <= sample ? long(low) : -1;
}

} // namespace

bool pipewireConnect() {
    pw_init(nullptr, nullptr);
    loop = pw_thread_loop_new("avsync", nullptr);
    return loop && pw_thread_loop_start(loop) == 0;
}

void pipewireDisconnect() {
    pw_thread_loop_stop(loop);
    pw_thread_loop_destroy(loop);
    pw_deinit();
}

bool pipewireStartRecording(const std::string& sink) {
    clicks.clicks.clear();
    clicks.frames = 0;
    return start(recorder, sink, true);
}

void pipewireStopRecording() {
    stop(recorder);
}

const std::vector<float>& pipewireRecorded() {
    return recorder.mono;
}

double pipewireHeardAt(double sample, int lag) {
    long c = cycleOf(sample);
    if (c < lag || lag < 0)
        return NAN;
    return recorder.cycles[c - lag].wall + (sample - double(recorder.cycles[c].first)) / rate;
}

void pipewireClicks(const std::string& sink, double seconds) {
    clicks.play = true;
    clicks.clickPeriod = rate / 4;
    if (!start(clicks, sink, false)) {
        std::printf("  could not play clicks through PipeWire\n");
        return;
    }
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    stop(clicks);
}

int pipewireMonitorLag() {
    // Each click heard is traced back to the graph cycle that took it from the click stream. A click is
    // a lone sample of -0.9, which neither the song nor the pulse server's clicks hold.
    const auto& heard = recorder.mono;
    int lag = -2, found = 0, offCycle = 0;
    for (size_t i = 1; i + 1 < heard.size(); ++i) {
        if (heard[i] > -0.85f || std::fabs(heard[i - 1]) > 0.01f || std::fabs(heard[i + 1]) > 0.01f)
            continue;
        ++found;
        // The click taken last before the cycle that delivered it; cycles are named by their start.
        long delivered = cycleOf(double(i));
        double wall = recorder.cycles[size_t(delivered)].wall;
        std::pair<double, uint32_t> taken = {0, 0};
        for (const auto& click : clicks.clicks)
            if (click.first <= wall + 1e-6)
                taken = click;
        long c = -1;
        for (size_t k = 0; k < recorder.cycles.size(); ++k)
            if (std::fabs(recorder.cycles[k].wall - taken.first) < 1e-6)
                c = long(k);
        long cycles = c < 0 ? -1 : delivered - c;
        offCycle += i - recorder.cycles[size_t(delivered)].first != taken.second;
        lag = lag == -2 || lag == cycles ? int(cycles) : -1;
    }
    std::printf(
        "  PipeWire's clicks: %d heard of %zu played; the monitor delivered each %d graph cycles after "
        "the sink took it (%d at another place in the cycle)\n",
        found, clicks.clicks.size(), lag, offCycle);
    return found && !offCycle ? lag : -1;
}

int pipewireCycles() {
    return int(recorder.cycles.size());
}

int pipewireCycleGaps() {
    int gaps = 0;
    for (size_t k = 1; k < recorder.cycles.size(); ++k)
        gaps += recorder.cycles[k].wall - recorder.cycles[k - 1].wall >
                1.5 * recorder.cycles[k - 1].frames / rate;
    return gaps;
}
