// The embedded-asset table and its streams, on the real table built from data/.
#include "util/assets.h"

#include <climits>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

namespace {

// The build takes every file of data/, in the order of their names.
const char* const tableOrder[] = {
    "data/Back.png",       "data/Bus.png",    "data/Fire.png",      "data/Flocke.png", "data/HeatTube.png",
    "data/LagerFeuer.png", "data/People.png", "data/SouthPark.png", "data/TheEnd.png", "data/boo.oxm"};

std::vector<unsigned char> fileBytes(const std::string& name) {
    std::ifstream in(std::string(PLIX_SOURCE_DIR) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Stream {
    AssetStream* s;
    explicit Stream(const char* name) : s(openAsset(name)) {}
    ~Stream() { closeAsset(s); }
};

} // namespace

TEST(AssetTable, HoldsTheTenFilesOfDataInOrderWithTheirExactBytes) {
    ASSERT_EQ(embeddedAssetCount, 10);
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE(tableOrder[i]);
        EXPECT_STREQ(embeddedAssets[i].name, tableOrder[i]);
        std::vector<unsigned char> expected = fileBytes(tableOrder[i]);
        ASSERT_FALSE(expected.empty());
        ASSERT_EQ(embeddedAssets[i].length, static_cast<int32_t>(expected.size()));
        EXPECT_EQ(std::memcmp(embeddedAssets[i].bytes, expected.data(), expected.size()), 0);
    }
}

TEST(AssetStreams, OpenMatchesWholeCaseSensitiveNamesOnly) {
    Stream end("data/TheEnd.png");
    ASSERT_NE(end.s, nullptr);
    EXPECT_EQ(end.s->position, 0);
    EXPECT_EQ(end.s->bytes, embeddedAssets[8].bytes);
    EXPECT_EQ(end.s->length, embeddedAssets[8].length);
    for (const char* wrong : {"data/theend.png", "data/TheEnd.PNG", "TheEnd.png", "data/TheEnd.png ",
                              " data/TheEnd.png", "data/TheEnd", "data/", "", "data/TheEnd.png/x"})
        EXPECT_EQ(openAsset(wrong), nullptr) << '"' << wrong << '"';
    EXPECT_EQ(openAsset(nullptr), nullptr);
}

TEST(AssetStreams, ReadCopiesUpToTheEndThenNothing) {
    Stream flake("data/Flocke.png");
    ASSERT_NE(flake.s, nullptr);
    const int32_t length = flake.s->length;
    std::vector<unsigned char> expected = fileBytes("data/Flocke.png");
    unsigned char buffer[4096];
    ASSERT_EQ(readAsset(buffer, 8, flake.s), 8);
    EXPECT_EQ(std::memcmp(buffer, "\x89PNG\r\n\x1a\n", 8), 0);
    EXPECT_EQ(tellAsset(flake.s), 8);
    ASSERT_LT(length - 8, 1000);
    EXPECT_EQ(readAsset(buffer, 1000, flake.s), length - 8);
    EXPECT_EQ(std::memcmp(buffer, expected.data() + 8, length - 8), 0);
    EXPECT_EQ(tellAsset(flake.s), length);
    EXPECT_EQ(readAsset(buffer, 1000, flake.s), 0);
    EXPECT_EQ(tellAsset(flake.s), length);
}

TEST(AssetStreams, ReadWithNegativeZeroOrHugeCountsStaysInBounds) {
    Stream flake("data/Flocke.png");
    ASSERT_NE(flake.s, nullptr);
    const int32_t length = flake.s->length;
    unsigned char guard[16];
    std::memset(guard, 0xAB, sizeof guard);
    EXPECT_EQ(readAsset(guard, -1, flake.s), 0);
    EXPECT_EQ(readAsset(guard, INT32_MIN, flake.s), 0);
    EXPECT_EQ(readAsset(guard, 0, flake.s), 0);
    EXPECT_EQ(guard[0], 0xAB);
    EXPECT_EQ(tellAsset(flake.s), 0);
    // A count that would overflow position + count must still stop at the end.
    seekAsset(flake.s, 10, 0);
    std::vector<unsigned char> rest(length);
    EXPECT_EQ(readAsset(rest.data(), INT32_MAX, flake.s), length - 10);
    EXPECT_EQ(tellAsset(flake.s), length);
}

TEST(AssetStreams, SeekModesClampToTheFile) {
    Stream song("data/boo.oxm");
    ASSERT_NE(song.s, nullptr);
    const int32_t length = song.s->length;
    EXPECT_EQ(seekAsset(song.s, 0, 2), length);
    EXPECT_EQ(seekAsset(song.s, 10, 2), length);
    EXPECT_EQ(seekAsset(song.s, 100, 0), 100);
    EXPECT_EQ(seekAsset(song.s, -50, 1), 50);
    EXPECT_EQ(tellAsset(song.s), 50);
    EXPECT_EQ(seekAsset(song.s, -8, 2), length - 8);
    EXPECT_EQ(seekAsset(song.s, length + 1, 0), length);
    // Modes other than 0, 1 and 2 leave the position and report it.
    seekAsset(song.s, 77, 0);
    for (int8_t mode : {int8_t(3), int8_t(-1), int8_t(127), int8_t(-128)})
        EXPECT_EQ(seekAsset(song.s, 5, mode), 77);
    EXPECT_EQ(tellAsset(song.s), 77);
}

TEST(AssetStreams, SeekBeforeTheFirstByteOrPastTheRangeStopsAtTheEdges) {
    Stream song("data/boo.oxm");
    ASSERT_NE(song.s, nullptr);
    const int32_t length = song.s->length;
    EXPECT_EQ(seekAsset(song.s, -5, 0), 0);
    seekAsset(song.s, 40, 0);
    EXPECT_EQ(seekAsset(song.s, -41, 1), 0);
    EXPECT_EQ(seekAsset(song.s, -length - 1, 2), 0);
    EXPECT_EQ(seekAsset(song.s, INT32_MIN, 2), 0);
    seekAsset(song.s, 40, 0);
    EXPECT_EQ(seekAsset(song.s, INT32_MAX, 1), length);
    EXPECT_EQ(seekAsset(song.s, INT32_MAX, 2), length);
    EXPECT_EQ(seekAsset(song.s, INT32_MIN, 1), 0);
    unsigned char byte;
    EXPECT_EQ(readAsset(&byte, 1, song.s), 1);
    EXPECT_EQ(byte, 'E');
}

TEST(AssetStreams, StreamsOnOneEntryAreIndependent) {
    Stream a("data/Fire.png");
    Stream b("data/Fire.png");
    ASSERT_NE(a.s, nullptr);
    ASSERT_NE(b.s, nullptr);
    ASSERT_NE(a.s, b.s);
    std::vector<unsigned char> expected = fileBytes("data/Fire.png");
    unsigned char fromA[64], fromB[64];
    seekAsset(a.s, 100, 0);
    ASSERT_EQ(readAsset(fromA, 64, a.s), 64);
    EXPECT_EQ(tellAsset(b.s), 0);
    ASSERT_EQ(readAsset(fromB, 64, b.s), 64);
    EXPECT_EQ(std::memcmp(fromA, expected.data() + 100, 64), 0);
    EXPECT_EQ(std::memcmp(fromB, expected.data(), 64), 0);
    EXPECT_EQ(tellAsset(a.s), 164);
    EXPECT_EQ(tellAsset(b.s), 64);
}
