// The browser's share of the delay before the music is heard, for the clock: the sound layer's stand-in
// for asking a sound server. When SDL's audio callback runs, inside the page's audio processing event,
// the buffer it fills starts at the event's playback time on the AudioContext's clock; until then the
// context plays what it still holds of SDL's earlier buffers, and its base and output latencies come on
// top before a sample is heard. The clock counts all of that less; the median of the recent answers
// is taken, since the context's time moves in steps of one processing block.
#include "sound/internal.h"

#include <algorithm>
#include <emscripten.h>

namespace {

constexpr int keptAnswers = 9;

double answers[keptAnswers];
int answerCount;
double delayFrames;

// SDL's processing node reports its buffers to SDL alone; the playback time of each is kept beside it.
EM_JS(int, watchPlayback, (), {
    const audio = Module.SDL2 && Module.SDL2.audio;
    const node = audio && audio.scriptProcessorNode;
    if (!node || !node.onaudioprocess)
        return 0;
    const fill = node.onaudioprocess;
    node.onaudioprocess = function(event) {
        audio.playbackTime = event.playbackTime;
        fill(event);
    };
    return 1;
});

// Seconds between now and the moment the buffer being filled is heard; negative when unknown.
EM_JS(double, heldSeconds, (), {
    const context = Module.SDL2 && Module.SDL2.audioContext;
    const audio = Module.SDL2.audio;
    if (!context || !audio || typeof audio.playbackTime != "number")
        return -1;
    const ahead = Math.max(0, audio.playbackTime - context.currentTime);
    return ahead + (context.baseLatency || 0) + (context.outputLatency || 0);
});

} // namespace

void serverOpen() {
    answerCount = 0;
    delayFrames = 0.0;
    watchPlayback();
}

void serverAsk(uint64_t, int rate) {
    const double held = heldSeconds();
    if (held < 0)
        return;
    answers[answerCount++ % keptAnswers] = held * rate;
    const int count = std::min(answerCount, keptAnswers);
    double sorted[keptAnswers];
    std::copy(answers, answers + count, sorted);
    std::nth_element(sorted, sorted + count / 2, sorted + count);
    delayFrames = sorted[count / 2];
}

double serverDelayFrames() {
    return delayFrames;
}

void serverClose() {
    answerCount = 0;
    delayFrames = 0.0;
}
