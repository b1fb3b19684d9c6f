// Where captured frames and their sound go, chosen once: an ffmpeg child fed by two pipes, or numbered
// PNG files and a WAV. Either is written under a work name beside the target and renamed to it once
// complete.
#pragma once

#include <cstdint>
#include <string>

struct CaptureOptions;
struct PngData;

struct FrameOutput {
    int width = 0;
    int height = 0;
    std::string target; // the video file, or the frames folder
    // One frame of 8-bit RGB rows, top row first; frameIndex numbers the PNG file.
    bool (*writePicture)(int64_t frameIndex, const PngData& frame, std::string& error) = nullptr;
    // Interleaved 16-bit stereo samples, appended to the sound.
    bool (*writeSound)(const int16_t* samples, int64_t frames, std::string& error) = nullptr;
    // Called by the thread that writes the stream once it has written all of it.
    void (*endPictures)() = nullptr;
    void (*endSound)() = nullptr;
};

// Makes the work file or folder and starts the encoder, or writes the WAV's header for soundFrames
// stereo frames. On failure nothing is left.
bool openFrameOutput(FrameOutput& out, const CaptureOptions& options, int64_t soundFrames,
                     std::string& error);
// From any thread: kills the encoder, so that writes blocked on its pipes return.
void haltFrameOutput();
// With keep set, waits for the encoder and moves the result to the target; true if it was, or false
// with the reason. Otherwise, or if that fails, kills the encoder and removes the work. Safe in any
// state, on success and failure alike: nothing is left but a complete result.
bool closeFrameOutput(const FrameOutput& out, bool keep, std::string& error);
