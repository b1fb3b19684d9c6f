// The generated music module: its exact XM form read back by our own reader, how libopenmpt loads and
// plays it, and that the generator reproduces the committed file byte for byte.
#include "tools/assetgen/music/music.h"
#include "xm_reader.h"

#include <libopenmpt/libopenmpt.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include <unistd.h>

namespace {

std::vector<uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

const std::string kModulePath = std::string(PLIX_SOURCE_DIR) + "/data/boo.oxm";

const std::vector<uint8_t>& moduleBytes() {
    static const std::vector<uint8_t> bytes = readBytes(kModulePath);
    return bytes;
}

const ReadModule& parsed() {
    static ReadModule m;
    static const std::string error = readXm(moduleBytes(), m);
    EXPECT_EQ(error, "");
    return m;
}

// Per order: loudest sample and RMS; per row of the song: RMS.
struct Render {
    std::vector<float> orderPeak, orderRms, rowRms;
    double seconds = 0;
};

const Render& render() {
    static Render r;
    if (r.seconds > 0)
        return r;
    const std::vector<uint8_t>& bytes = moduleBytes();
    openmpt_module* mod = openmpt_module_create_from_memory2(bytes.data(), bytes.size(), nullptr, nullptr,
                                                             nullptr, nullptr, nullptr, nullptr, nullptr);
    if (!mod)
        return r;
    r.orderPeak.assign(10, 0.0f);
    r.orderRms.assign(10, 0.0f);
    r.rowRms.assign(640, 0.0f);
    std::vector<double> sum(10, 0.0), count(10, 0.0), rowSum(640, 0.0), rowCount(640, 0.0);
    float buffer[2 * 128];
    size_t frames = 0, n;
    while (true) {
        const int order = openmpt_module_get_current_order(mod);
        const int row = openmpt_module_get_current_row(mod);
        if ((n = openmpt_module_read_interleaved_float_stereo(mod, 44100, 128, buffer)) == 0)
            break;
        frames += n;
        if (order < 0 || order >= 10 || row < 0 || row >= 64)
            continue;
        for (size_t i = 0; i < 2 * n; i++) {
            const float a = std::fabs(buffer[i]);
            r.orderPeak[size_t(order)] = std::max(r.orderPeak[size_t(order)], a);
            rowSum[size_t(order * 64 + row)] += double(a) * a;
            rowCount[size_t(order * 64 + row)] += 1;
            sum[size_t(order)] += double(a) * a;
            count[size_t(order)] += 1;
        }
    }
    for (int o = 0; o < 10; o++)
        r.orderRms[size_t(o)] =
            count[size_t(o)] > 0 ? float(std::sqrt(sum[size_t(o)] / count[size_t(o)])) : 0;
    for (size_t i = 0; i < 640; i++)
        r.rowRms[i] = rowCount[i] > 0 ? float(std::sqrt(rowSum[i] / rowCount[i])) : 0;
    r.seconds = frames / 44100.0;
    openmpt_module_destroy(mod);
    return r;
}

TEST(MusicModule, HeaderHoldsTheFixedForm) {
    ASSERT_FALSE(moduleBytes().empty()) << kModulePath;
    const ReadModule& m = parsed();
    EXPECT_EQ(m.idText, "Extended Module: ");
    EXPECT_EQ(m.name.size(), 20u);
    EXPECT_EQ(m.name.find_first_not_of(' '), std::string::npos) << "module name must be blanks only";
    EXPECT_EQ(m.marker, 0x1A);
    EXPECT_EQ(m.tracker.substr(0, 17), "FastTracker v2.00");
    EXPECT_EQ(m.version, 0x0104);
    EXPECT_EQ(m.headerSize, 276u);
    EXPECT_EQ(m.orderCount, 10);
    EXPECT_EQ(m.restart, 0);
    EXPECT_EQ(m.channels, 8);
    EXPECT_EQ(m.patternCount, 8);
    EXPECT_EQ(m.instrumentCount, 6);
    EXPECT_EQ(m.flags, 1) << "linear frequency table only";
    EXPECT_EQ(m.speed, 6);
    EXPECT_EQ(m.tempo, 111);
    EXPECT_EQ(m.trailingBytes, 0u);
    std::set<int> used;
    for (uint8_t o : m.orders) {
        EXPECT_LT(o, 8);
        used.insert(o);
    }
    EXPECT_EQ(used.size(), 8u) << "every pattern is played";
}

TEST(MusicModule, PatternsAre64RowsWithoutTimingEffects) {
    const ReadModule& m = parsed();
    ASSERT_EQ(m.patterns.size(), 8u);
    std::set<int> channelsPlaying;
    for (size_t p = 0; p < m.patterns.size(); p++) {
        const ReadPattern& pat = m.patterns[p];
        EXPECT_EQ(pat.headerLength, 9u);
        EXPECT_EQ(pat.packing, 0);
        ASSERT_EQ(pat.rows, 64) << "pattern " << p;
        for (size_t i = 0; i < pat.cells.size(); i++) {
            const ReadCell& c = pat.cells[i];
            const int fx = c.effect, hi = c.param >> 4;
            const bool timing =
                fx == 0x0B || fx == 0x0D || fx == 0x0F || (fx == 0x0E && (hi == 6 || hi == 0xE));
            EXPECT_FALSE(timing) << "pattern " << p << " row " << i / 8 << " channel " << i % 8;
            EXPECT_LE(c.note, 97);
            EXPECT_LE(c.instrument, 6);
            if (c.note >= 1 && c.note <= 96)
                channelsPlaying.insert(int(i % 8));
        }
    }
    EXPECT_EQ(channelsPlaying.size(), 8u);
}

TEST(MusicModule, EverySampleIsMono16BitVorbisBehindItsDecodedSize) {
    const ReadModule& m = parsed();
    size_t samples = 0;
    std::set<uint32_t> serials;
    for (size_t i = 0; i < m.instruments.size(); i++) {
        const ReadInstrument& ins = m.instruments[i];
        EXPECT_GE(ins.samples.size(), 2u) << "instrument " << i + 1 << " is multisampled";
        for (size_t s = 0; s < ins.samples.size(); s++, samples++) {
            const ReadSample& smp = ins.samples[s];
            SCOPED_TRACE("instrument " + std::to_string(i + 1) + " sample " + std::to_string(s));
            EXPECT_TRUE(smp.type & 0x10) << "16-bit";
            EXPECT_FALSE(smp.type & 0x20) << "mono";
            ASSERT_GE(smp.data.size(), 4u);
            EXPECT_EQ(0, std::memcmp(smp.data.data(), "OggS", 4));
            OggInfo ogg;
            ASSERT_EQ(readOgg(smp.data, ogg), "");
            EXPECT_EQ(ogg.streamBytes, smp.data.size()) << "length field = 4 + the Ogg stream";
            EXPECT_EQ(ogg.channels, 1);
            EXPECT_EQ(smp.decodedBytes, ogg.frames * 2) << "decoded size in bytes";
            serials.insert(ogg.serial);
            if (smp.type & 3) {
                EXPECT_EQ(smp.type & 3, 1) << "forward loop";
                EXPECT_GT(smp.loopLength, 0u);
                EXPECT_EQ(smp.loopStart % 2, 0u);
                EXPECT_EQ(smp.loopLength % 2, 0u);
                EXPECT_LE(smp.loopStart + smp.loopLength, smp.decodedBytes);
            }
        }
    }
    EXPECT_EQ(samples, 24u);
    EXPECT_EQ(serials.size(), 24u) << "one stream serial per sample";
}

TEST(MusicModule, EverySampleIsReachedByANoteOfTheSong) {
    const ReadModule& m = parsed();
    std::set<std::pair<int, int>> reached;
    for (uint8_t o : m.orders) {
        int lastInstrument[8] = {};
        for (size_t i = 0; i < m.patterns[o].cells.size(); i++) {
            const ReadCell& c = m.patterns[o].cells[i];
            if (c.instrument)
                lastInstrument[i % 8] = c.instrument;
            const int ins = lastInstrument[i % 8];
            if (c.note >= 1 && c.note <= 96 && ins >= 1 && ins <= int(m.instruments.size()))
                reached.insert({ins, m.instruments[size_t(ins - 1)].keymap[c.note - 1]});
        }
    }
    for (size_t i = 0; i < m.instruments.size(); i++)
        for (size_t s = 0; s < m.instruments[i].samples.size(); s++)
            EXPECT_TRUE(reached.count({int(i + 1), int(s)})) << "instrument " << i + 1 << " sample " << s;
}

TEST(MusicModule, LibopenmptLoadsItAsOggXmOfTheSongsLength) {
    const std::vector<uint8_t>& bytes = moduleBytes();
    openmpt_module* mod = openmpt_module_create_from_memory2(bytes.data(), bytes.size(), nullptr, nullptr,
                                                             nullptr, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(mod, nullptr);
    const char* type = openmpt_module_get_metadata(mod, "type");
    EXPECT_STREQ(type, "oxm") << "a plain \"xm\" means the samples were read as raw PCM";
    openmpt_free_string(type);
    EXPECT_NEAR(openmpt_module_get_duration_seconds(mod), 86.49, 0.05);
    EXPECT_EQ(openmpt_module_get_num_orders(mod), 10);
    EXPECT_EQ(openmpt_module_get_num_patterns(mod), 8);
    EXPECT_EQ(openmpt_module_get_num_instruments(mod), 6);
    EXPECT_EQ(openmpt_module_get_num_samples(mod), 24);
    EXPECT_EQ(openmpt_module_get_num_channels(mod), 8);
    openmpt_module_destroy(mod);
}

TEST(MusicModule, RenderSoundsInEveryOrderAndNeverClips) {
    const Render& r = render();
    ASSERT_NEAR(r.seconds, 86.49, 0.2);
    for (int o = 0; o < 10; o++) {
        EXPECT_GT(r.orderRms[size_t(o)], 0.03f) << "order " << o << " is (nearly) silent";
        EXPECT_LT(r.orderPeak[size_t(o)], 1.0f) << "order " << o << " clips";
    }
}

// The scene changes of the show land on a hit: the two rows from the moment on are louder than the three
// rows before it.
TEST(MusicModule, SceneMomentsAreMarked) {
    const Render& r = render();
    ASSERT_EQ(r.rowRms.size(), 640u);
    auto level = [&](int from, int to) {
        double sum = 0;
        for (int i = from; i < to; i++)
            sum += double(r.rowRms[size_t(i)]) * r.rowRms[size_t(i)];
        return std::sqrt(sum / (to - from));
    };
    const int moments[] = {0 * 64 + 15, 2 * 64 + 57, 5 * 64 + 50, 9 * 64 + 31};
    for (int at : moments) {
        const double before = level(at - 3, at), after = level(at, at + 2);
        EXPECT_GT(after, 1.25 * before)
            << "order " << at / 64 << " row " << at % 64 << ": RMS " << before << " then " << after;
    }
}

TEST(MusicModule, GeneratorReproducesTheCommittedFile) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("plix-music-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    ASSERT_TRUE(writeMusic(dir.string()));
    const std::vector<uint8_t> fresh = readBytes((dir / "boo.oxm").string());
    std::filesystem::remove_all(dir);
    ASSERT_FALSE(fresh.empty());
    EXPECT_EQ(fresh.size(), moduleBytes().size());
    EXPECT_TRUE(fresh == moduleBytes()) << "regenerate data/boo.oxm with: assetgen data music";
}

} // namespace
