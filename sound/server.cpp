// The sound server's share of the delay before the music is heard, for the clock: what the server
// holds of the stream when the callback runs. A connection of our own, on a thread of its own, asks the
// server how long our stream's buffer and its sink take to play out; the callback only wakes that thread,
// and the clock counts that much less. Through a PulseAudio server (or PipeWire's pulse server) SDL calls
// the callback as soon as it has handed the server the last of the previous buffer, and writes the new one
// in the pieces the server asks for, the first when the server next asks: a request's time later (5.8 ms
// on the suite's server), unless a request was left over. So the question waits 0.5 ms after the
// callback began, for that last piece to reach the server, and its answer counts only if it is back
// within 2 ms of the callback's start, before any of the new buffer can be in it; the time since the
// callback is added. An answer can still miss the last piece SDL wrote, when our question overtakes it
// on the way into the server, but it cannot count audio not yet written: so the largest recent answer is
// the one taken.
// PipeWire's pulse server answers 0; what it holds at the callback is then read from the settings it
// gave the stream.
#include "sound/internal.h"

#include <SDL.h>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pulse/pulseaudio.h>
#include <semaphore.h>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

constexpr int keptAnswers = 5;        // the delay is the largest of the last few answers
constexpr int askEvery = 43;          // callbacks between questions: about a second of 1024-frame buffers
constexpr double answerWait = 0.005;  // the longest a question waits; the server holds far more than that
constexpr double slowAnswer = 0.002;  // a round trip that leaves the reading's moment too uncertain
constexpr double settle = 0.0005;     // after the callback's start, before the question
constexpr double freshAnswer = 0.002; // after the callback's start, the latest answer that counts

// The asking thread's own: the connection, the stream, its answers.
pa_mainloop* loop;
pa_context* context;
uint32_t stream = PA_INVALID_INDEX;
int deviceRate;
double answers[keptAnswers];
int answerCount;
SDL_Thread* asker;

// Between the callback and the asking thread, lock-free: the callback counts its runs, records when the
// latest began, and posts the semaphore (which never blocks) when it reaches the run the thread waits for.
std::atomic<uint32_t> began;      // runs begun
std::atomic<uint64_t> beganTicks; // performance counter at the latest run's start
std::atomic<uint32_t> wakeAt;     // the run to wake the thread at; 0 while it does not wait
sem_t wake;
std::atomic<bool> stopping;

std::atomic<double> delayFrames;
std::atomic<bool> delayKnown;

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
    bool measured; // the server's own figure, read when it answered, rather than PipeWire's settings
    double seconds;
};

void heldAnswer(pa_context*, const pa_sink_input_info* info, int last, void* user) {
    auto* held = static_cast<Held*>(user);
    if (last) {
        held->done = true;
        return;
    }
    held->known = true;
    held->measured = info->buffer_usec + info->sink_usec > 0;
    held->seconds = serverHeld(info);
}

// One question; false when the server does not answer in time, or too slowly to tell when it read.
bool ask(Held& held, uint64_t& readAt) {
    uint64_t asked = SDL_GetPerformanceCounter();
    held = {false, false, false, 0.0};
    if (!finish(pa_context_get_sink_input_info(context, stream, heldAnswer, &held), held.done, answerWait) ||
        !held.known)
        return false;
    // The server took its reading during the round trip: count it from the middle.
    uint64_t back = SDL_GetPerformanceCounter();
    readAt = asked + (back - asked) / 2;
    return double(back - asked) / double(SDL_GetPerformanceFrequency()) <= slowAnswer;
}

void sleepUntil(uint64_t ticks) {
    int64_t left = int64_t(ticks - SDL_GetPerformanceCounter());
    if (left > 0)
        std::this_thread::sleep_for(
            std::chrono::duration<double>(double(left) / double(SDL_GetPerformanceFrequency())));
}

// The share at the callback that began at `ticks`; false when the answer does not count.
bool askAbout(uint64_t ticks, double& frames) {
    const double perSecond = double(SDL_GetPerformanceFrequency());
    sleepUntil(ticks + uint64_t(settle * perSecond));
    Held held;
    uint64_t readAt;
    if (!ask(held, readAt) || double(SDL_GetPerformanceCounter() - ticks) / perSecond > freshAnswer)
        return false;
    // PipeWire's figure is already what it holds at the callback.
    double sinceCallback = held.measured ? double(readAt - ticks) / perSecond : 0.0;
    frames = (held.seconds + sinceCallback) * deviceRate;
    return true;
}

// The first few callbacks are asked about, so that the delay is known at once; then about one a second.
// An answer that does not count is asked for again at the next callback. A server that has gone away
// is asked no more.
int askAlong(void*) {
    SDL_SetThreadPriority(SDL_THREAD_PRIORITY_HIGH);
    uint32_t next = 1;
    while (PA_CONTEXT_IS_GOOD(pa_context_get_state(context))) {
        wakeAt.store(next);
        while (sem_wait(&wake) != 0 && errno == EINTR)
            ;
        if (stopping.load())
            break;
        uint32_t run = began.load(std::memory_order_acquire);
        double frames = 0.0;
        bool counted = askAbout(beganTicks.load(std::memory_order_acquire), frames);
        if (counted) {
            answers[answerCount++ % keptAnswers] = frames;
            delayFrames.store(*std::max_element(answers, answers + std::min(answerCount, keptAnswers)));
        }
        next = counted && run >= 2 * keptAnswers ? run + askEvery : began.load() + 1;
        if (counted || run >= 2 * keptAnswers)
            delayKnown.store(true);
    }
    delayKnown.store(true);
    return 0;
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

void serverOpen(int rate) {
    if (context)
        return;
    const char* driver = SDL_GetCurrentAudioDriver();
    if (!driver || std::strcmp(driver, "pulseaudio") != 0) {
        delayKnown.store(true);
        return;
    }
    loop = pa_mainloop_new();
    context = pa_context_new(pa_mainloop_get_api(loop), "plix clock");
    Search search = {false, PA_INVALID_INDEX};
    bool ready = context && pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0 &&
                 runUntil([] { return pa_context_get_state(context) == PA_CONTEXT_READY; }, 1.0) &&
                 finish(pa_context_get_sink_input_info_list(context, foundStream, &search), search.done, 1.0);
    stream = search.index;
    deviceRate = rate;
    if (ready && stream != PA_INVALID_INDEX && sem_init(&wake, 0, 0) == 0) {
        asker = SDL_CreateThread(askAlong, "plix-delay", nullptr);
        if (asker)
            return;
        sem_destroy(&wake);
    }
    serverClose();
    delayKnown.store(true);
}

void serverCallbackBegins(uint64_t ticks) {
    beganTicks.store(ticks, std::memory_order_release);
    uint32_t run = began.load(std::memory_order_relaxed) + 1;
    began.store(run, std::memory_order_release);
    uint32_t at = wakeAt.load();
    if (at && run >= at && wakeAt.compare_exchange_strong(at, 0))
        sem_post(&wake);
}

bool serverDelayKnown() {
    return delayKnown.load();
}

double serverDelayFrames() {
    return delayFrames.load();
}

void serverClose() {
    if (asker) {
        stopping.store(true);
        sem_post(&wake);
        SDL_WaitThread(asker, nullptr);
        sem_destroy(&wake);
        asker = nullptr;
        stopping.store(false);
    }
    if (context) {
        pa_context_disconnect(context);
        pa_context_unref(context);
    }
    if (loop)
        pa_mainloop_free(loop);
    context = nullptr;
    loop = nullptr;
    stream = PA_INVALID_INDEX;
    answerCount = 0;
    began.store(0);
    wakeAt.store(0);
    delayFrames.store(0.0);
    delayKnown.store(false);
}
