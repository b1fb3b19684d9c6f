// Command-line options of plix-capture.
#pragma once

#include <string>
#include <vector>

struct CaptureOptions {
    int rate = 60; // frames per second
    int width = 640;
    int height = 480;
    double from = 0.0; // seconds of show time
    double to = -1.0;  // negative: the whole song plus the closing margin
    std::string output = "plix.mp4";
    std::string framesDir;  // non-empty: numbered PNG frames and a WAV instead of a video
    std::vector<double> at; // non-empty: only the frames at these seconds, increasing, are written
    bool help = false;
};

// Extra seconds of the closing scene after the song's end in the default span.
constexpr double closingMargin = 3.0;

// Fills options from argv; on a bad option returns false with a one-line reason.
bool parseCaptureOptions(int argc, char** argv, CaptureOptions& options, std::string& error);

const char* captureUsage();

// "640x480"
std::string sizeText(int width, int height);

// Whether frames of this size can be made: within GL's largest drawable (maxWidth x maxHeight) and, for a
// video, even and within the limits of H.264's largest level (6.2) at this rate. If not, error says why
// and names a size of the same shape, near the largest allowed, that can.
bool frameSizeFits(int width, int height, int rate, bool video, int maxWidth, int maxHeight,
                   std::string& error);
