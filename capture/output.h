// Where captured frames and their sound go: an ffmpeg child fed by two pipes, or numbered PNG files and
// a WAV. Everything is written under a fresh work name beside the target, made for this run alone, and
// renamed to the target only once it is complete.
#pragma once

#include <cstdint>
#include <string>

struct CaptureOptions;
struct PngData;

struct FrameOutput {
    bool video = true;
    int width = 0;
    int height = 0;
    int rate = 0;
    std::string finalPath; // the video file, or the frames folder
    std::string workPath;  // the work file or folder; empty until it is made and after it is gone
    int pictureFd = -1;    // the encoder's picture pipe
    int soundFd = -1;      // the encoder's sound pipe, or the WAV in the work folder
};

// Makes the work file or folder and starts the encoder, or writes the WAV's header for soundFrames
// stereo frames. On failure nothing is left.
bool openFrameOutput(FrameOutput& out, const CaptureOptions& options, int64_t soundFrames,
                     std::string& error);
// One frame of 8-bit RGB rows, top row first; frameIndex numbers the PNG file.
bool writeFrame(FrameOutput& out, int64_t frameIndex, const PngData& frame, std::string& error);
// Interleaved 16-bit stereo samples, appended to the sound.
bool writeSound(FrameOutput& out, const int16_t* samples, int64_t frames, std::string& error);
// Each writing thread closes its own stream once it has written all of it, so that the encoder sees the
// end of each input whatever order it reads them in; false if the WAV could not be completed.
void closePictures(FrameOutput& out);
bool closeSound(FrameOutput& out, std::string& error);
// Waits for the encoder and moves the result to its final name; on failure nothing is left.
bool finishFrameOutput(FrameOutput& out, std::string& error);
// Kills the encoder, waits for it and removes the work file or folder; used on any failure.
void abandonFrameOutput(FrameOutput& out);
// Kills the encoder if it runs; safe from any thread, so that a stop unblocks writes to its pipes.
void killEncoder();
