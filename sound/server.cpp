// The sound server's share of the delay before the music is heard, for the clock. Through a
// PulseAudio server (or PipeWire's pulse server) SDL calls the audio callback once it has handed every
// earlier frame to the server, so what the server still holds then is heard before the new buffer
// begins. A connection of our own asks the server, from inside the callback, how long our stream's
// buffer and its sink take to play out; the clock counts that much less. An answer can miss the last
// piece SDL wrote, when our question overtakes it on the way into the server, but it cannot count
// audio not yet written (SDL waits for the callback): so the largest recent answer is the one taken.
// PipeWire's pulse server answers 0; what it holds is then read from the settings it gave the stream.
#include "sound/internal.h"

#include <SDL.h>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pulse/pulseaudio.h>
#include <string>
#include <unistd.h>

namespace {

constexpr int keptAnswers = 5;       // the delay is the largest of the last few answers
constexpr int askEvery = 43;         // callbacks between questions: about a second of 1024-frame buffers
constexpr double answerWait = 0.005; // the longest the callback waits; the server holds far more than that
constexpr double slowAnswer = 0.002; // a round trip that leaves the reading's moment too uncertain

pa_mainloop* loop;
pa_context* context;
uint32_t stream = PA_INVALID_INDEX;
int callbacks;
double answers[keptAnswers];
int answerCount;
std::atomic<double> delayFrames;

double secondsSince(uint64_t ticks) {
    return double(SDL_GetPerformanceCounter() - ticks) / double(SDL_GetPerformanceFrequency());
}

// Runs the loop until done() holds; false when the connection fails or the time is up first.
template <typename Done> bool runUntil(Done done, double limit) {
    uint64_t start = SDL_GetPerformanceCounter();
    while (!done()) {
        double left = limit - secondsSince(start);
        if (left <= 0 || !PA_CONTEXT_IS_GOOD(pa_context_get_state(context)) ||
            pa_mainloop_prepare(loop, int(left * 1e6) + 1) < 0 || pa_mainloop_poll(loop) < 0 ||
            pa_mainloop_dispatch(loop) < 0)
            return false;
    }
    return true;
}

// Waits for an operation whose callback sets *done; cancels it when no answer comes in time.
bool finish(pa_operation* operation, const bool& done, double limit) {
    if (!operation)
        return false;
    bool answered = runUntil([&] { return done; }, limit);
    if (!answered)
        pa_operation_cancel(operation);
    pa_operation_unref(operation);
    return answered;
}

struct Search {
    bool done;
    uint32_t index;
};

// Our stream is the one that SDL's connection, in this process, plays to the server.
void foundStream(pa_context*, const pa_sink_input_info* info, int last, void* user) {
    auto* search = static_cast<Search*>(user);
    if (last) {
        search->done = true;
        return;
    }
    const char* pid = pa_proplist_gets(info->proplist, PA_PROP_APPLICATION_PROCESS_ID);
    if (pid && std::to_string(getpid()) == pid)
        search->index = info->index;
}

struct Held {
    bool done;
    bool known;
    double seconds;
};

void heldAnswer(pa_context*, const pa_sink_input_info* info, int last, void* user) {
    auto* held = static_cast<Held*>(user);
    if (last) {
        held->done = true;
        return;
    }
    held->known = true;
    held->seconds = serverHeld(info);
}

} // namespace

// What the server holds of the stream ahead of what SDL writes next, in seconds. PipeWire's pulse server
// answers 0 for both parts, but keeps a stream's queue at its target length, asking for more each time
// the graph takes a quantum, and SDL writes exactly what is asked for: when the callback runs, it holds
// the target length, and a quantum before that on its way to the sink.
double serverHeld(const pa_sink_input_info* info) {
    if (info->buffer_usec + info->sink_usec > 0)
        return double(info->buffer_usec + info->sink_usec) / 1e6;
    const char* target = pa_proplist_gets(info->proplist, "pulse.attr.tlength");
    const char* quantum = pa_proplist_gets(info->proplist, "node.latency");
    unsigned frames, rate;
    size_t frameBytes = pa_frame_size(&info->sample_spec);
    if (!target || !quantum || std::sscanf(quantum, "%u/%u", &frames, &rate) != 2 || !rate || !frameBytes ||
        !info->sample_spec.rate)
        return 0.0;
    return double(std::strtoull(target, nullptr, 10) / frameBytes) / info->sample_spec.rate +
           double(frames) / rate;
}

void serverOpen() {
    const char* driver = SDL_GetCurrentAudioDriver();
    if (context || !driver || std::strcmp(driver, "pulseaudio") != 0)
        return;
    loop = pa_mainloop_new();
    context = pa_context_new(pa_mainloop_get_api(loop), "plix clock");
    Search search = {false, PA_INVALID_INDEX};
    bool ready = context && pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0 &&
                 runUntil([] { return pa_context_get_state(context) == PA_CONTEXT_READY; }, 1.0) &&
                 finish(pa_context_get_sink_input_info_list(context, foundStream, &search), search.done, 1.0);
    stream = search.index;
    if (!ready || stream == PA_INVALID_INDEX)
        serverClose();
}

void serverAsk(uint64_t callbackTicks, int rate) {
    // The first few callbacks ask, so that the delay is known at once; then about once a second.
    ++callbacks;
    if (!context || (callbacks > 2 * keptAnswers && callbacks % askEvery != 0))
        return;
    uint64_t asked = SDL_GetPerformanceCounter();
    Held held = {false, false, 0.0};
    if (!finish(pa_context_get_sink_input_info(context, stream, heldAnswer, &held), held.done, answerWait) ||
        !held.known)
        return;
    // The server took its reading during the round trip: count it from the middle. A slow answer
    // would leave that too uncertain.
    double roundTrip = secondsSince(asked);
    if (roundTrip > slowAnswer)
        return;
    double sinceCallback =
        double(asked - callbackTicks) / double(SDL_GetPerformanceFrequency()) + 0.5 * roundTrip;
    answers[answerCount++ % keptAnswers] = (held.seconds + sinceCallback) * rate;
    delayFrames.store(*std::max_element(answers, answers + std::min(answerCount, keptAnswers)));
}

double serverDelayFrames() {
    return delayFrames.load();
}

void serverClose() {
    if (context) {
        pa_context_disconnect(context);
        pa_context_unref(context);
    }
    if (loop)
        pa_mainloop_free(loop);
    context = nullptr;
    loop = nullptr;
    stream = PA_INVALID_INDEX;
    callbacks = 0;
    answerCount = 0;
    delayFrames.store(0.0);
}
