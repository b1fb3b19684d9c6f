// Start-up benchmark: runs plix five times under an Xvfb of its own and prints, from exec to the first
// frame presented, the median time and its parts as the watch library logged them. Prints, asserts nothing.
// Usage: startup_bench PLIX WATCH_LIBRARY [RUNS]
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

long long now() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000000000LL + t.tv_nsec;
}

std::string startXvfb(pid_t& pid) {
    int fds[2];
    if (pipe(fds) != 0)
        return "";
    std::fflush(stdout);
    pid = fork();
    if (pid == 0) {
        close(fds[0]);
        std::string fd = std::to_string(fds[1]);
        freopen("/dev/null", "w", stderr);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "640x480x24", "-nolisten", "tcp",
               (char*)nullptr);
        _exit(127);
    }
    close(fds[1]);
    char buffer[32] = {};
    ssize_t n = read(fds[0], buffer, sizeof buffer - 1);
    close(fds[0]);
    if (n <= 0)
        return "";
    return ":" + std::string(buffer, buffer + strcspn(buffer, "\n"));
}

// One run: the first time of each event in the log, in ms after exec; empty if no frame came.
std::map<std::string, double> runOnce(const char* plix, const char* watch, const std::string& log) {
    std::remove(log.c_str());
    long long start = 0;
    int startPipe[2];
    if (pipe(startPipe) != 0)
        return {};
    std::fflush(stdout);
    pid_t child = fork();
    if (child == 0) {
        close(startPipe[0]);
        setenv("LD_PRELOAD", watch, 1);
        setenv("PLIX_WATCH_LOG", log.c_str(), 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        freopen("/dev/null", "w", stdout);
        long long t = now();
        if (write(startPipe[1], &t, sizeof t) != sizeof t)
            _exit(126);
        execl(plix, plix, (char*)nullptr);
        _exit(127);
    }
    close(startPipe[1]);
    if (read(startPipe[0], &start, sizeof start) != sizeof start)
        start = now();
    close(startPipe[0]);
    std::map<std::string, double> first;
    for (int i = 0; i < 400 && !first.count("swap"); ++i) {
        usleep(25000);
        // Each line is an event's name, perhaps some values, and the time last.
        std::ifstream in(log);
        for (std::string line; std::getline(in, line);) {
            const std::string name = line.substr(0, line.find(' '));
            const long long t = std::atoll(line.c_str() + line.rfind(' ') + 1);
            if (!first.count(name))
                first[name] = (t - start) / 1e6;
        }
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    if (!first.count("swap"))
        return {};
    return first;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: startup_bench PLIX WATCH_LIBRARY [RUNS]\n");
        return 2;
    }
    int runs = argc > 3 ? std::atoi(argv[3]) : 5;
    pid_t xvfb = 0;
    std::string display = startXvfb(xvfb);
    if (display.empty()) {
        std::fprintf(stderr, "startup_bench: Xvfb did not start\n");
        return 1;
    }
    setenv("DISPLAY", display.c_str(), 1);
    std::string log = "/tmp/plix-startup-bench-" + std::to_string(getpid()) + ".log";

    // Each part runs from the end of the one before; "textures" ends where the sound layer begins.
    const char* parts[][3] = {{"exec to window (libraries, glutInit)", "", "window-begin"},
                              {"window creation", "window-begin", "window-end"},
                              {"GL state and nine textures", "window-end", "audio-begin"},
                              {"audio open", "audio-begin", "audio-end"},
                              {"module load", "module-begin", "module-end"},
                              {"particles, play, first frame", "module-end", "swap"},
                              {"total: exec to first frame", "", "swap"}};
    std::vector<std::vector<double>> values(std::size(parts));
    int textures = 0;
    for (int r = 0; r < runs; ++r) {
        auto first = runOnce(argv[1], argv[2], log);
        if (first.empty()) {
            std::fprintf(stderr, "run %d: no frame\n", r + 1);
            continue;
        }
        std::printf("run %d: first frame after %.1f ms\n", r + 1, first["swap"]);
        for (size_t p = 0; p < std::size(parts); ++p) {
            double from = parts[p][1][0] ? first[parts[p][1]] : 0.0;
            values[p].push_back(first[parts[p][2]] - from);
        }
        std::ifstream in(log);
        std::string line;
        textures = 0;
        while (std::getline(in, line))
            textures += line.rfind("texture ", 0) == 0;
    }
    std::remove(log.c_str());
    kill(xvfb, SIGTERM);
    waitpid(xvfb, nullptr, 0);
    if (values[0].empty()) {
        std::fprintf(stderr, "startup_bench: no run presented a frame\n");
        return 1;
    }
    std::printf("median of %zu runs (ms), %d texture uploads in the last run:\n", values[0].size(), textures);
    for (size_t p = 0; p < std::size(parts); ++p)
        std::printf("  %-40s %8.1f\n", parts[p][0], median(values[p]));
    return 0;
}
