// Where captured frames and their sound go: an ffmpeg process fed by a pipe, or numbered PNG files and a
// WAV. Everything is written under a staging name and renamed only once it is complete.
#pragma once

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

struct CaptureOptions;

struct FrameOutput {
    bool video = true;
    int width = 0;
    int height = 0;
    int rate = 0;
    std::string finalPath;   // the video file, or the frames folder
    std::string stagingPath; // where it is written until it is complete
    std::string audioPath;   // the WAV (inside the staging folder, or a temporary file beside the video)
    pid_t encoder = -1;
    int pipe = -1;
};

// Searches PATH for an executable; empty if there is none.
std::string findProgram(const char* name);

// Writes the sound and prepares for frames; samples are interleaved 16-bit stereo.
bool openFrameOutput(FrameOutput& out, const CaptureOptions& options, const std::vector<int16_t>& samples,
                     int sampleRate, std::string& error);
// One frame of width * height RGB bytes, top row first; frameIndex numbers the PNG file.
bool writeFrame(FrameOutput& out, int64_t frameIndex, const unsigned char* rgb, std::string& error);
// Waits for the encoder and moves the result to its final name.
bool finishFrameOutput(FrameOutput& out, std::string& error);
// Removes whatever was staged; used on any failure.
void abandonFrameOutput(FrameOutput& out);
