// The show's music rendered offline from the embedded module, in pieces, into the frame output.
#pragma once

#include <cstdint>
#include <string>

struct FrameOutput;

constexpr int captureSampleRate = 48000;

// Sound runs on the pictures' grid: frame n starts at stereo sample n * sampleRate / rate.
inline int64_t sampleAt(int64_t frame, int rate) {
    return frame * captureSampleRate / rate;
}

// The song's length in seconds, one pass without repeats; negative if the module cannot be had.
double musicDuration();

// Loads the module and starts a thread that renders stereo samples firstSample to firstSample + count
// of the repeating song, 16-bit interleaved, into the output's sound as fast as it takes them. If that
// fails, the thread calls onFailure, to stop the rest of the capture.
bool startMusic(FrameOutput& out, int64_t firstSample, int64_t count, void (*onFailure)(),
                std::string& error);
// Stops the thread before its next piece; safe from any thread.
void haltMusic();
// Waits for the thread; false with the reason if it failed.
bool finishMusic(std::string& error);
