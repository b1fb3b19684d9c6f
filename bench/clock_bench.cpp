// Clock benchmark: plays the embedded song for 10 s of 10 ms frames (under SDL's dummy driver unless
// SDL_AUDIODRIVER says otherwise) and prints how long the clock stood still after play, how songTime
// spreads around the wall clock from then on, how often two frames see the same time, and the CPU
// time of the audio thread. Prints, asserts nothing. Usage: clock_bench [SECONDS] [FRAME_MS]
#include "show/clock.h"
#include "show/song.h"
#include "sound/assetfiles.h"
#include "sound/sound.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// CPU nanoseconds of every thread of this process except the main one, by name.
void printThreadCpu(double seconds) {
    DIR* dir = opendir("/proc/self/task");
    if (!dir)
        return;
    std::string self = std::to_string(getpid());
    while (dirent* entry = readdir(dir)) {
        std::string tid = entry->d_name;
        if (tid == "." || tid == ".." || tid == self)
            continue;
        std::string name;
        std::ifstream(std::string("/proc/self/task/") + tid + "/comm") >> name;
        unsigned long long ns = 0;
        std::ifstream(std::string("/proc/self/task/") + tid + "/schedstat") >> ns;
        std::printf("thread %-16s CPU %.1f ms in %.1f s (%.2f %% of one core)\n", name.c_str(), ns / 1e6,
                    seconds, ns / 1e7 / seconds);
    }
    closedir(dir);
}

} // namespace

int main(int argc, char** argv) {
    double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    int frameMs = argc > 2 ? std::atoi(argv[2]) : 10;
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    serveSoundFromAssets();
    if (!soundInit(songMixRate)) {
        std::printf("no audio device\n");
        return 1;
    }
    Song* song = soundLoadSong(songAsset);
    if (!song) {
        std::printf("no song\n");
        return 1;
    }
    soundPlaySong(song);
    auto start = std::chrono::steady_clock::now();
    std::vector<double> wall, music, delta;
    for (;;) {
        double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (t >= seconds)
            break;
        tickClock(soundGetTime(song));
        wall.push_back(t);
        music.push_back(songTime);
        delta.push_back(frameDelta);
        std::this_thread::sleep_for(std::chrono::milliseconds(frameMs)); // stands in for drawing a frame
    }
    double played = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    // A sound server may hold the first callback back: that stall is reported on its own, and the
    // line is fitted from the first frame that saw the clock move.
    size_t moving = 0;
    while (moving < wall.size() && music[moving] == 0.0f)
        ++moving;
    if (moving == wall.size()) {
        std::printf("the clock never moved in %.1f s\n", played);
        return 1;
    }
    std::printf("clock still for %.1f ms after play\n", wall[moving] * 1000.0);
    wall.erase(wall.begin(), wall.begin() + moving);
    music.erase(music.begin(), music.begin() + moving);
    int same = 0, backwards = 0;
    for (size_t i = moving + 1; i < delta.size(); ++i) {
        same += delta[i] == 0.0f;
        backwards += delta[i] < 0.0f;
    }

    // Least-squares line songTime = a + b * wall; the residuals are the clock's jitter.
    size_t n = wall.size();
    double sw = 0, sm = 0, sww = 0, swm = 0;
    for (size_t i = 0; i < n; ++i) {
        sw += wall[i];
        sm += music[i];
        sww += wall[i] * wall[i];
        swm += wall[i] * music[i];
    }
    double b = (n * swm - sw * sm) / (n * sww - sw * sw);
    double a = (sm - b * sw) / n;
    double sq = 0, worst = 0;
    for (size_t i = 0; i < n; ++i) {
        double r = music[i] - (a + b * wall[i]);
        sq += r * r;
        worst = std::fmax(worst, std::fabs(r));
    }
    std::printf("%zu frames of %d ms over %.1f s once it moved\n", n, frameMs, wall.back() - wall.front());
    std::printf("fit: songTime = %.4f s + %.5f * wall (rate off by %+.3f %%)\n", a, b, (b - 1.0) * 100.0);
    std::printf("residual std dev %.3f ms, worst %.3f ms\n", std::sqrt(sq / n) * 1000.0, worst * 1000.0);
    std::printf("frames that saw the same time as the one before: %d of %zu (%.2f %%); backwards: %d\n", same,
                n - 1, 100.0 * same / double(n - 1), backwards);
    printThreadCpu(played);
    soundFreeSong(song);
    soundClose();
    return 0;
}
