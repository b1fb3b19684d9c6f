// Measures how long libopenmpt takes to load the music module (median of runs) and can render the whole
// song to a 32-bit float stereo WAV for listening and level measurements. Prints, asserts nothing.
#include "show/song.h"

#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

std::vector<char> readFile(const char* path) {
    std::vector<char> bytes;
    FILE* f = std::fopen(path, "rb");
    if (!f)
        return bytes;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);
    return bytes;
}

void put32(FILE* f, uint32_t v) {
    std::fwrite(&v, 4, 1, f);
}
void put16(FILE* f, uint16_t v) {
    std::fwrite(&v, 2, 1, f);
}

bool writeWav(const char* path, const std::vector<float>& stereo, int rate) {
    FILE* f = std::fopen(path, "wb");
    if (!f)
        return false;
    const uint32_t bytes = uint32_t(stereo.size() * 4);
    std::fwrite("RIFF", 1, 4, f);
    put32(f, 36 + bytes);
    std::fwrite("WAVEfmt ", 1, 8, f);
    put32(f, 16);
    put16(f, 3); // IEEE float
    put16(f, 2);
    put32(f, uint32_t(rate));
    put32(f, uint32_t(rate * 8));
    put16(f, 8);
    put16(f, 32);
    std::fwrite("data", 1, 4, f);
    put32(f, bytes);
    std::fwrite(stereo.data(), 4, stereo.size(), f);
    return std::fclose(f) == 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::printf("usage: music_bench MODULE [RUNS] [OUT.wav]\n");
        return 2;
    }
    const std::vector<char> bytes = readFile(argv[1]);
    if (bytes.empty()) {
        std::printf("cannot read %s\n", argv[1]);
        return 1;
    }
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    std::vector<double> ms, cpu;
    openmpt_module* mod = nullptr;
    for (int i = 0; i < runs; i++) {
        if (mod)
            openmpt_module_destroy(mod);
        const std::clock_t c0 = std::clock();
        const auto t0 = std::chrono::steady_clock::now();
        mod = openmpt_module_create_from_memory2(bytes.data(), bytes.size(), nullptr, nullptr, nullptr,
                                                 nullptr, nullptr, nullptr, nullptr);
        const auto t1 = std::chrono::steady_clock::now();
        cpu.push_back(1000.0 * double(std::clock() - c0) / CLOCKS_PER_SEC);
        if (!mod) {
            std::printf("libopenmpt cannot load %s\n", argv[1]);
            return 1;
        }
        ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    std::vector<double> sorted = ms;
    std::sort(sorted.begin(), sorted.end());
    const char* type = openmpt_module_get_metadata(mod, "type");
    std::printf("file %s: %zu bytes, type %s, duration %.3f s\n", argv[1], bytes.size(), type,
                openmpt_module_get_duration_seconds(mod));
    openmpt_free_string(type);
    std::sort(cpu.begin(), cpu.end());
    std::printf("load time over %d runs: median %.2f ms (min %.2f, max %.2f); CPU time median %.2f ms\n",
                runs, sorted[sorted.size() / 2], sorted.front(), sorted.back(), cpu[cpu.size() / 2]);
    if (argc > 3) {
        const int rate = songMixRate;
        std::vector<float> all;
        std::vector<float> buffer(2 * 4096);
        size_t n;
        while ((n = openmpt_module_read_interleaved_float_stereo(mod, rate, 4096, buffer.data())) > 0)
            all.insert(all.end(), buffer.begin(), buffer.begin() + long(2 * n));
        std::printf("rendered %.3f s to %s: %s\n", all.size() / 2.0 / rate, argv[3],
                    writeWav(argv[3], all, rate) ? "ok" : "failed");
    }
    openmpt_module_destroy(mod);
    return 0;
}
