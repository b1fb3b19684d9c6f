// A/V offset on a PulseAudio server or PipeWire's pulse server (the one PULSE_SERVER names): how far
// what is heard lies from what soundGetTime reports. It records the default sink's monitor while the
// sound layer plays the song through SDL's pulseaudio driver, finds the music's sharp onsets in the
// recording by matching the song rendered offline, and compares the wall time at which each onset was
// heard with the wall time at which soundGetTime reported its position. On PulseAudio the recording's
// timeline comes from the server's timing reports; on PipeWire, which reports none for a monitor, from
// PipeWire's graph clock (pipewire_path.h). A first phase checks the timeline against clicks played by
// a second stream. Prints, asserts nothing.
// Usage: avsync_bench [RUNS] [SECONDS]: RUNS with an idle sink, then RUNS with a sink already playing;
// bench/pulse.sh and bench/pipewire.sh run it on a private server.
#include "bench/pipewire_path.h"
#include "show/song.h"
#include "sound/assetfiles.h"
#include "sound/sound.h"
#include "util/assets.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <libopenmpt/libopenmpt.h>
#include <pulse/pulseaudio.h>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int rate = songMixRate;
constexpr int frameBytes = 2 * sizeof(float);
const pa_sample_spec spec = {PA_SAMPLE_FLOAT32NE, rate, 2};

double now() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + t.tv_nsec * 1e-9;
}

void sleepFor(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

pa_threaded_mainloop* loop;
pa_context* context;
bool onPipewire; // then the monitor is recorded through PipeWire's own API

// One timing report: the stream frame being heard at the wall time half-way through its round trip.
struct Report {
    double wall;
    double roundTrip;
    double heardFrame;
};

struct Stream {
    pa_stream* stream = nullptr;
    bool record = false;
    std::vector<float> mono; // what a record stream received, channels averaged
    int64_t written = 0;     // frames a playback stream wrote
    int64_t clickPeriod = 0; // a playback stream writes one-sample clicks this far apart, or silence
    std::vector<double> clicksWritten; // the wall time at which each click went to the server
    std::vector<Report> reports;       // the timing reports, in order
    double asked = 0;                  // wall time of the timing request in flight, 0 when none is
};

void signalLoop(pa_context*, void*) {
    pa_threaded_mainloop_signal(loop, 0);
}

void streamStateChanged(pa_stream*, void*) {
    pa_threaded_mainloop_signal(loop, 0);
}

void received(pa_stream* s, size_t, void* user) {
    auto* st = static_cast<Stream*>(user);
    const void* data;
    size_t bytes;
    while (pa_stream_readable_size(s) > 0 && pa_stream_peek(s, &data, &bytes) == 0 && bytes > 0) {
        size_t frames = bytes / frameBytes;
        const auto* in = static_cast<const float*>(data);
        for (size_t i = 0; i < frames; ++i)
            st->mono.push_back(data ? 0.5f * (in[2 * i] + in[2 * i + 1]) : 0.0f); // no data: a hole
        pa_stream_drop(s);
    }
}

void wanted(pa_stream* s, size_t bytes, void* user) {
    auto* st = static_cast<Stream*>(user);
    void* buffer;
    if (pa_stream_begin_write(s, &buffer, &bytes) < 0)
        return;
    auto* out = static_cast<float*>(buffer);
    size_t frames = bytes / frameBytes;
    size_t clicks = 0;
    for (size_t i = 0; i < frames; ++i, ++st->written) {
        bool click = st->clickPeriod && st->written % st->clickPeriod == st->clickPeriod / 2;
        out[2 * i] = out[2 * i + 1] = click ? 0.9f : 0.0f;
        clicks += click;
    }
    pa_stream_write(s, buffer, frames * frameBytes, nullptr, 0, PA_SEEK_RELATIVE);
    st->clicksWritten.insert(st->clicksWritten.end(), clicks, now());
}

// The frame being heard, from the server's own figures. A playback stream: what the sink has taken,
// less what the sink holds. A record stream on a monitor: what reached the stream, less what the sink
// still holds before playing it.
void timingArrived(pa_stream* s, int success, void* user) {
    auto* st = static_cast<Stream*>(user);
    double back = now();
    const pa_timing_info* t = pa_stream_get_timing_info(s);
    if (success && t && !(st->record ? t->write_index_corrupt : t->read_index_corrupt)) {
        double heard = st->record ? double(t->write_index) / frameBytes +
                                        (double(t->source_usec) - double(t->sink_usec)) * rate / 1e6
                                  : double(t->read_index) / frameBytes - double(t->sink_usec) * rate / 1e6;
        st->reports.push_back({0.5 * (st->asked + back), back - st->asked, heard});
    }
    st->asked = 0;
    pa_threaded_mainloop_signal(loop, 0);
}

void askTiming(Stream& st) {
    pa_threaded_mainloop_lock(loop);
    if (!st.asked && st.stream) {
        st.asked = now();
        if (pa_operation* o = pa_stream_update_timing_info(st.stream, timingArrived, &st))
            pa_operation_unref(o);
        else
            st.asked = 0;
    }
    pa_threaded_mainloop_unlock(loop);
}

void waitFor(pa_operation* o) {
    while (o && pa_operation_get_state(o) == PA_OPERATION_RUNNING)
        pa_threaded_mainloop_wait(loop);
    if (o)
        pa_operation_unref(o);
}

bool connect() {
    loop = pa_threaded_mainloop_new();
    context = pa_context_new(pa_threaded_mainloop_get_api(loop), "avsync_bench");
    pa_context_set_state_callback(context, signalLoop, nullptr);
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        return false;
    pa_threaded_mainloop_lock(loop);
    pa_threaded_mainloop_start(loop);
    pa_context_state_t state;
    while ((state = pa_context_get_state(context)) != PA_CONTEXT_READY && PA_CONTEXT_IS_GOOD(state))
        pa_threaded_mainloop_wait(loop);
    pa_threaded_mainloop_unlock(loop);
    return state == PA_CONTEXT_READY;
}

// The server's name and its default sink.
std::pair<std::string, std::string> serverAndSink() {
    std::pair<std::string, std::string> names;
    pa_threaded_mainloop_lock(loop);
    waitFor(pa_context_get_server_info(
        context,
        [](pa_context*, const pa_server_info* i, void* user) {
            if (i)
                *static_cast<std::pair<std::string, std::string>*>(user) = {i->server_name,
                                                                            i->default_sink_name};
            pa_threaded_mainloop_signal(loop, 0);
        },
        &names));
    pa_threaded_mainloop_unlock(loop);
    return names;
}

// The sink's state and its latency now, as "idle, latency 1931 ms".
std::string sinkState(const std::string& sink) {
    char text[64] = "?";
    pa_threaded_mainloop_lock(loop);
    waitFor(pa_context_get_sink_info_by_name(
        context, sink.c_str(),
        [](pa_context*, const pa_sink_info* i, int eol, void* user) {
            if (!eol && i)
                std::snprintf(static_cast<char*>(user), 64, "%s, latency %.0f ms",
                              i->state == PA_SINK_RUNNING ? "running"
                              : i->state == PA_SINK_IDLE  ? "idle"
                                                          : "other",
                              i->latency / 1e3);
            pa_threaded_mainloop_signal(loop, 0);
        },
        text));
    pa_threaded_mainloop_unlock(loop);
    return text;
}

// A record stream on the monitor with the server's default fragment size (no latency request, so the
// sink's latency stays as its players make it), or a playback stream of silence or clicks; a playback
// stream given a target latency asks the sink to follow it.
bool open(Stream& st, const std::string& device, bool record, int targetMs) {
    pa_threaded_mainloop_lock(loop);
    st.record = record;
    st.stream = pa_stream_new(context, record ? "monitor" : "clicks", &spec, nullptr);
    pa_stream_set_state_callback(st.stream, streamStateChanged, nullptr);
    pa_buffer_attr attr;
    std::memset(&attr, 0xff, sizeof attr);
    attr.tlength = uint32_t(targetMs * rate / 1000 * frameBytes);
    int failed;
    if (record) {
        pa_stream_set_read_callback(st.stream, received, &st);
        failed = pa_stream_connect_record(st.stream, device.c_str(), nullptr, PA_STREAM_NOFLAGS);
    } else {
        pa_stream_set_write_callback(st.stream, wanted, &st);
        failed = pa_stream_connect_playback(st.stream, device.c_str(), targetMs ? &attr : nullptr,
                                            targetMs ? PA_STREAM_ADJUST_LATENCY : PA_STREAM_NOFLAGS, nullptr,
                                            nullptr);
    }
    pa_stream_state_t state = PA_STREAM_FAILED;
    while (!failed && (state = pa_stream_get_state(st.stream)) != PA_STREAM_READY && PA_STREAM_IS_GOOD(state))
        pa_threaded_mainloop_wait(loop);
    pa_threaded_mainloop_unlock(loop);
    return state == PA_STREAM_READY;
}

void close(Stream& st) {
    pa_threaded_mainloop_lock(loop);
    while (st.asked)
        pa_threaded_mainloop_wait(loop); // a timing reply is in flight (timingArrived clears it)
    pa_stream_disconnect(st.stream);
    pa_stream_unref(st.stream);
    st.stream = nullptr;
    pa_threaded_mainloop_unlock(loop);
}

// Keeps asking for timing reports, about every 10 ms, for the given time.
void watch(Stream& a, Stream* b, double seconds) {
    for (double end = now() + seconds; now() < end; sleepFor(0.01)) {
        askTiming(a);
        if (b)
            askTiming(*b);
    }
}

// When the stream's frame was (or will be) heard: the median over the reports taken within 0.3 s of
// it of each report's wall time carried forward at the sample rate. Reports with a slow round trip are
// left out.
double heardAt(const Stream& st, double frame) {
    std::vector<double> walls;
    for (const Report& r : st.reports)
        if (r.roundTrip < 0.002 && std::fabs(r.heardFrame - frame) < 0.3 * rate)
            walls.push_back(r.wall + (frame - r.heardFrame) / rate);
    if (walls.empty())
        return NAN;
    std::nth_element(walls.begin(), walls.begin() + walls.size() / 2, walls.end());
    return walls[walls.size() / 2];
}

struct Stats {
    int n = 0;
    double sum = 0, squares = 0, low = INFINITY, high = -INFINITY;
    void add(double x) {
        ++n;
        sum += x;
        squares += x * x;
        low = std::min(low, x);
        high = std::max(high, x);
    }
    double mean() const { return sum / n; }
    double sd() const { return std::sqrt(std::max(0.0, squares / n - mean() * mean())); }
    void print(const char* what) const {
        if (n)
            std::printf("  %-22s %+7.1f ms  (sd %.1f, %+.1f .. %+.1f, n %d)\n", what, mean() * 1e3,
                        sd() * 1e3, low * 1e3, high * 1e3, n);
        else
            std::printf("  %-22s none\n", what);
    }
};

// The index of the time nearest to t.
size_t nearest(const std::vector<double>& times, double t) {
    size_t k = 0;
    for (size_t j = 1; j < times.size(); ++j)
        if (std::fabs(times[j] - t) < std::fabs(times[k] - t))
            k = j;
    return k;
}

// The calibration: a second stream plays one-sample clicks a quarter second apart while the monitor is
// recorded. Each click is heard when the click stream's reports say; the recording's timeline must say
// the same of the sample where the click appears, and never a time before the click was written. The
// clicks stream keeps 50 ms in hand, so that a busy machine does not let it run dry.
// On PipeWire the same clicks are also recorded through PipeWire's own API, placed on the graph clock.
void calibrate(const std::string& sink) {
    Stream recorder, clicks;
    clicks.clickPeriod = rate / 4;
    std::printf("calibration (sink %s before)\n", sinkState(sink).c_str());
    if (onPipewire) {
        pipewireStartRecording(sink);
        pipewireClicks(sink, 1.0);
    }
    if (!open(recorder, sink + ".monitor", true, 0) || !open(clicks, sink, false, 50)) {
        std::printf("  could not open the streams\n");
        return;
    }
    watch(recorder, &clicks, 4.0);
    close(clicks);
    // The monitor delivers in bursts: let the last ones arrive. The sink's figures once it has gone
    // idle no longer match what the monitor delivers, so no report is asked for meanwhile.
    sleepFor(2.5);
    close(recorder);
    if (onPipewire) {
        pipewireClicks(sink, 1.0);
        pipewireStopRecording();
    }
    // Each click found in the recording is paired with the written click heard nearest to it.
    std::vector<double> clickHeard;
    for (size_t k = 0; k < clicks.clicksWritten.size(); ++k)
        clickHeard.push_back(heardAt(clicks, double(k * clicks.clickPeriod + clicks.clickPeriod / 2)));
    Stats error, firstSecond, roundTrip, sinceWritten;
    int found = 0, spacingOff = 0;
    int64_t previous = -1;
    for (size_t i = 0; i < recorder.mono.size(); ++i) {
        if (recorder.mono[i] < 0.5f)
            continue;
        if (previous >= 0 && int64_t(i) - previous != clicks.clickPeriod)
            ++spacingOff;
        previous = int64_t(i);
        ++found;
        double heard = heardAt(recorder, double(i));
        size_t k = nearest(clickHeard, heard);
        if (std::isnan(heard) || k >= clickHeard.size() || std::isnan(clickHeard[k]))
            continue;
        (k < 4 ? firstSecond : error).add(heard - clickHeard[k]);
        sinceWritten.add(heard - clicks.clicksWritten[k]);
    }
    for (const Report& r : recorder.reports)
        roundTrip.add(r.roundTrip);
    std::printf("  %d clicks heard of %zu written, %d not a period after the one before\n", found,
                clicks.clicksWritten.size(), spacingOff);
    std::printf("  timing reports: %d, round trip %.2f ms mean, %.2f ms worst\n", roundTrip.n,
                roundTrip.mean() * 1e3, roundTrip.high * 1e3);
    std::printf("  recording's time of each click less the click stream's:\n");
    firstSecond.print("first second");
    error.print("afterwards");
    std::printf("  the recording's time of each click less the time it was written (50 ms buffer):\n");
    sinceWritten.print("all clicks");
    int lag = onPipewire ? pipewireMonitorLag() : -1;
    if (lag < 0)
        return;
    Stats native;
    const std::vector<float>& heard = pipewireRecorded();
    for (size_t i = 0; i < heard.size(); ++i) {
        double at = heard[i] >= 0.5f ? pipewireHeardAt(double(i), lag) : NAN;
        if (!std::isnan(at) && !clickHeard.empty())
            native.add(clickHeard[nearest(clickHeard, at)] - at);
    }
    std::printf("  the click stream's time of each click less PipeWire's graph clock (%d cycles, %d gaps):\n",
                pipewireCycles(), pipewireCycleGaps());
    native.print("all clicks");
}

// The song as the sound layer renders it, channels averaged.
std::vector<float> renderSong(double seconds) {
    std::vector<float> mono;
    for (int i = 0; i < embeddedAssetCount; ++i) {
        if (std::strcmp(embeddedAssets[i].name, songAsset) != 0)
            continue;
        openmpt_module* m =
            openmpt_module_create_from_memory2(embeddedAssets[i].bytes, embeddedAssets[i].length, nullptr,
                                               nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
        std::vector<float> stereo(size_t(seconds * rate) * 2);
        size_t got = openmpt_module_read_interleaved_float_stereo(m, rate, stereo.size() / 2, stereo.data());
        openmpt_module_destroy(m);
        for (size_t j = 0; j < got; ++j)
            mono.push_back(0.5f * (stereo[2 * j] + stereo[2 * j + 1]));
    }
    return mono;
}

// Where to compare: the sharp onsets, 128-frame steps where the energy of the sample-to-sample
// difference (the attacks of drums and plucks) jumps fourfold over the 1024 frames before, at least
// 0.1 s apart. The song rises from silence, with few such onsets in its first 3 s, so every quarter
// second of those is compared as well (any stretch of the music matches exactly).
std::vector<size_t> findOnsets(const std::vector<float>& song) {
    constexpr size_t hop = 128;
    std::vector<double> energy(song.size() / hop);
    for (size_t h = 0; h < energy.size(); ++h)
        for (size_t j = std::max<size_t>(1, h * hop); j < (h + 1) * hop; ++j)
            energy[h] += double(song[j] - song[j - 1]) * (song[j] - song[j - 1]);
    std::vector<size_t> onsets;
    for (size_t at = rate / 4; at < size_t(3 * rate); at += rate / 4)
        onsets.push_back(at);
    for (size_t h = 8; h + 1 < energy.size(); ++h) {
        double before = 0;
        for (size_t j = h - 8; j < h; ++j)
            before += energy[j] / 8;
        double after = 0.5 * (energy[h] + energy[h + 1]);
        bool spaced = h * hop - onsets.back() > size_t(0.1 * rate);
        if (spaced && after > 4 * before && after / hop > 1e-6)
            onsets.push_back(h * hop);
    }
    std::sort(onsets.begin(), onsets.end());
    return onsets;
}

// Where the song's frames around an onset lie in the recording: the shift within `reach` of `guess`
// with the least squared difference. The recording holds the very samples (rounded to the sink's
// format), so the right shift leaves next to nothing but that rounding; returns -1 when no shift does.
int64_t locate(const std::vector<float>& song, const std::vector<float>& heard, size_t onset, int64_t guess,
               int64_t reach) {
    constexpr size_t before = 512, length = 2048;
    if (onset < before)
        return -1;
    double energy = 0;
    for (size_t j = 0; j < length; ++j)
        energy += double(song[onset - before + j]) * song[onset - before + j];
    double best = INFINITY;
    int64_t bestShift = -1;
    for (int64_t shift = std::max<int64_t>(0, guess - reach); shift <= guess + reach; ++shift) {
        if (onset - before + shift + length > heard.size())
            break;
        const float* h = &heard[onset - before + shift];
        const float* s = &song[onset - before];
        double d = 0;
        for (size_t j = 0; j < length && d < best; ++j)
            d += double(h[j] - s[j]) * (h[j] - s[j]);
        if (d < best) {
            best = d;
            bestShift = shift;
        }
    }
    return best < 1e-4 * energy + length * 1e-9 ? bestShift : -1;
}

// The clock's readings: the wall time at which each new value of soundGetTime was first seen.
struct Reading {
    double wall;
    int ms;
};

// When the clock passed the given song position, interpolated between the readings about it.
double reportedAt(const std::vector<Reading>& clock, double ms) {
    for (size_t i = 1; i < clock.size(); ++i)
        if (clock[i].ms > ms) {
            const Reading &a = clock[i - 1], &b = clock[i];
            return a.wall + (ms - a.ms) / (b.ms - a.ms) * (b.wall - a.wall);
        }
    return NAN;
}

struct RunResult {
    Stats start, late, all;
    double stall = NAN;
};

RunResult play(const std::string& sink, const std::vector<float>& song, const std::vector<size_t>& onsets,
               double seconds, bool warm) {
    RunResult result;
    Stream recorder, keeper;
    if (warm && !open(keeper, sink, false, 0))
        return result;
    if (warm)
        sleepFor(1.0);
    std::printf("  sink %s before;", sinkState(sink).c_str());
    if (onPipewire ? !pipewireStartRecording(sink) : !open(recorder, sink + ".monitor", true, 0))
        return result;
    if (onPipewire)
        pipewireClicks(sink, 1.0); // before and after the song: the monitor's lag in this recording
    if (!soundInit(rate)) {
        std::printf("no audio device\n");
        return result;
    }
    Song* music = soundLoadSong(songAsset);
    soundPlaySong(music);
    double played = now();
    std::vector<Reading> clock = {{played, 0}};
    double nextAsk = 0;
    for (double t = played; t < played + seconds + 2.5; t = now()) {
        int ms = soundGetTime(music);
        if (ms != clock.back().ms)
            clock.push_back({t, ms});
        if (t >= nextAsk && !onPipewire) {
            askTiming(recorder);
            nextAsk = t + 0.01;
        }
        sleepFor(0.0002);
    }
    soundFreeSong(music);
    soundClose();
    int lag = -1;
    if (onPipewire) {
        pipewireClicks(sink, 1.0);
        pipewireStopRecording();
        std::printf("\n");
        if ((lag = pipewireMonitorLag()) < 0)
            return result;
    } else {
        close(recorder);
    }
    if (warm)
        close(keeper);
    if (clock.size() > 1)
        result.stall = clock[1].wall - played;

    const std::vector<float>& heard = onPipewire ? pipewireRecorded() : recorder.mono;
    int64_t shift = -1;
    for (size_t onset : onsets) {
        if (onset > seconds * rate)
            break;
        // The first onset is looked for over the whole start of the recording, the others near the last.
        shift = shift < 0 ? locate(song, heard, onset, 3 * rate, 3 * rate)
                          : locate(song, heard, onset, shift, rate / 20);
        if (shift < 0)
            continue;
        double found = double(onset + shift);
        double offset = (onPipewire ? pipewireHeardAt(found, lag) : heardAt(recorder, found)) -
                        reportedAt(clock, onset * 1000.0 / rate);
        if (std::isnan(offset))
            continue;
        double at = double(onset) / rate;
        if (at < 3.0)
            result.start.add(offset);
        if (at >= 30.0)
            result.late.add(offset);
        if (at >= 3.0)
            result.all.add(offset);
    }
    std::printf(
        " clock still for %.0f ms after play; %zu of %zu onsets found\n", result.stall * 1e3,
        size_t(result.start.n + result.all.n),
        size_t(std::count_if(onsets.begin(), onsets.end(), [&](size_t o) { return o <= seconds * rate; })));
    result.start.print("first 3 s");
    result.late.print("after 30 s");
    result.all.print("after 3 s");
    return result;
}

} // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::atoi(argv[1]) : 3;
    double seconds = argc > 2 ? std::atof(argv[2]) : 33.0;
    setenv("SDL_AUDIODRIVER", "pulseaudio", 0);
    if (!connect()) {
        std::printf("no PulseAudio server\n");
        return 1;
    }
    auto [server, sink] = serverAndSink();
    if (server.find("PipeWire") != std::string::npos) {
        std::printf("%s: the monitor is recorded through PipeWire's own API\n", server.c_str());
        if (!(onPipewire = pipewireConnect())) {
            std::printf("no connection to PipeWire\n");
            return 1;
        }
    }
    serveSoundFromAssets();
    std::vector<float> song = renderSong(seconds + 1.0);
    std::vector<size_t> onsets = findOnsets(song);
    std::printf(
        "load %s; %zu onsets in the first %.0f s of the song; offsets are heard less reported "
        "(positive: the sound comes late)\n",
        [] {
            static char text[64];
            FILE* f = std::fopen("/proc/loadavg", "r");
            if (!f || !std::fgets(text, sizeof text, f))
                std::strcpy(text, "?");
            if (f)
                std::fclose(f);
            text[std::strcspn(text, "\n")] = 0;
            return text;
        }(),
        onsets.size(), seconds);
    calibrate(sink);
    for (int warm = 0; warm < 2; ++warm) {
        Stats start, late, spread, stall;
        for (int run = 0; run < runs; ++run) {
            sleepFor(3.0); // long enough for an idle sink to fall back to its longest latency
            std::printf("%s run %d:", warm ? "warm" : "cold", run + 1);
            RunResult r = play(sink, song, onsets, seconds, warm);
            if (r.start.n)
                start.add(r.start.mean());
            if (r.late.n)
                late.add(r.late.mean());
            if (r.all.n)
                spread.add(r.all.sd());
            if (!std::isnan(r.stall))
                stall.add(r.stall);
        }
        std::printf("%s, mean of %d runs:\n", warm ? "warm sink" : "idle sink", runs);
        start.print("offset, first 3 s");
        late.print("offset, after 30 s");
        spread.print("sd after 3 s");
        stall.print("clock still after play");
    }
    pa_context_disconnect(context);
    pa_threaded_mainloop_stop(loop);
    pa_context_unref(context);
    pa_threaded_mainloop_free(loop);
    if (onPipewire)
        pipewireDisconnect();
    return 0;
}
