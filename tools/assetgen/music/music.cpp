// The music generator: synthesises the six instruments, encodes their samples as Vorbis, adds the
// composed patterns and writes DIR/boo.oxm.
#include "tools/assetgen/music/music.h"

#include "tools/assetgen/music/score.h"
#include "tools/assetgen/music/song.h"
#include "tools/assetgen/music/synth.h"
#include "tools/assetgen/music/vorbis.h"
#include "tools/assetgen/music/xm.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr float kVorbisQuality = 0.6f;

// Every note sets its volume in the volume column, so the samples keep the default volume. Panning spreads
// the band across the field around the bass and the kick in the middle.
struct SampleSpec {
    const char* name;
    Tone tone;
    uint8_t panning;
};

// Each note plays the sample whose home note is nearest (the lower one on a tie).
void nearestKeymap(XmInstrument& ins, const std::vector<SampleSpec>& specs) {
    for (int key = 0; key < 96; key++) {
        int best = 0;
        for (size_t s = 1; s < specs.size(); s++)
            if (std::abs(specs[s].tone.homeNote - (key + 1)) <
                std::abs(specs[best].tone.homeNote - (key + 1)))
                best = int(s);
        ins.keymap[key] = uint8_t(best);
    }
}

void addSamples(XmInstrument& ins, const std::vector<SampleSpec>& specs, int& serial) {
    for (const SampleSpec& spec : specs) {
        XmSample s;
        s.name = spec.name;
        s.ogg = encodeVorbis(spec.tone.pcm, int(std::lround(rateOfStep(spec.tone.rateStep))), serial++,
                             kVorbisQuality);
        s.frames = uint32_t(spec.tone.pcm.size());
        s.loopStart = spec.tone.loopStart;
        s.loopLength = spec.tone.loopLength;
        s.panning = spec.panning;
        s.relativeNote = int8_t(spec.tone.rateStep - (spec.tone.homeNote - 49));
        ins.samples.push_back(s);
    }
}

// Holds at full level while the key is down and fades out after a key-off.
void sustainEnvelope(XmInstrument& ins, uint16_t attackTicks, uint16_t fadeout) {
    ins.volumeEnvelope = {{0, uint16_t(attackTicks ? 0 : 64)}, {uint16_t(attackTicks ? attackTicks : 1), 64}};
    ins.sustainPoint = 1;
    ins.fadeout = fadeout;
}

XmInstrument drumKit(int& serial) {
    XmInstrument ins;
    ins.name = "drums";
    const std::vector<SampleSpec> specs = {
        {"kick", synthKick(kKeyKick), 128},
        {"snare", synthSnare(kKeySnare), 160},
        {"hat", synthHat(kKeyClosedHat, false), 224},
        {"open hat", synthHat(kKeyOpenHat, true), 224},
        {"crash", synthCrash(kKeyCrash), 32},
        {"tom", synthTom(kKeyLowTom), 96},
        {"sleigh bells", synthSleigh(kKeySleigh), 240},
    };
    const int keys[7] = {kKeyKick, kKeySnare, kKeyClosedHat, kKeyOpenHat, kKeyCrash, kKeyLowTom, kKeySleigh};
    for (int i = 0; i < 7; i++)
        ins.keymap[keys[i] - 1] = uint8_t(i);
    ins.keymap[kKeyMidTom - 1] = 5;
    ins.keymap[kKeyHighTom - 1] = 5;
    ins.keymap[kKeySplash - 1] = 4;
    addSamples(ins, specs, serial);
    return ins;
}

XmInstrument pitched(const char* name, Tone (*synth)(int), const std::vector<int>& roots, uint8_t panning,
                     int& serial) {
    XmInstrument ins;
    ins.name = name;
    std::vector<SampleSpec> specs;
    for (int root : roots)
        specs.push_back({name, synth(root), panning});
    nearestKeymap(ins, specs);
    addSamples(ins, specs, serial);
    return ins;
}

} // namespace

bool writeMusic(const std::string& dir) {
    XmModule m;
    composeSong(m);
    int serial = 0x706C6978; // fixed, so that every run writes the same streams
    m.instruments.push_back(drumKit(serial));

    XmInstrument bass = pitched("bass", synthBass, {15, 27, 39}, 128, serial);
    sustainEnvelope(bass, 0, 2400);
    m.instruments.push_back(bass);

    XmInstrument pad = pitched("pad", synthPad, {37, 49, 61}, 224, serial);
    sustainEnvelope(pad, 5, 700);
    m.instruments.push_back(pad);

    XmInstrument piano = pitched("piano", synthPiano, {37, 49, 61, 73}, 32, serial);
    sustainEnvelope(piano, 0, 4000);
    m.instruments.push_back(piano);

    XmInstrument bells = pitched("bells", synthBell, {61, 68, 75, 82}, 224, serial);
    sustainEnvelope(bells, 0, 3000);
    m.instruments.push_back(bells);

    XmInstrument flute = pitched("flute", synthFlute, {58, 70, 82}, 48, serial);
    sustainEnvelope(flute, 2, 2200);
    flute.vibratoType = 0;
    flute.vibratoSweep = 40;
    flute.vibratoDepth = 5;
    flute.vibratoRate = 28;
    m.instruments.push_back(flute);

    for (const XmInstrument& ins : m.instruments)
        for (const XmSample& s : ins.samples)
            if (s.ogg.empty()) {
                std::fprintf(stderr, "assetgen: Vorbis encoding failed for %s\n", s.name.c_str());
                return false;
            }

    const std::vector<uint8_t> bytes = serializeXm(m);
    const std::string path = dir + "/boo.oxm";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::perror(path.c_str());
        return false;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (std::fclose(f) != 0 || !ok) {
        std::fprintf(stderr, "assetgen: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}
