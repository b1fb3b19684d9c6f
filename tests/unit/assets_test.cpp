// The embedded-asset table and its streams: every file of data/ with its exact bytes, opening by exact
// name, reads and seeks held to the file whatever the count or offset, and independent streams.
#include "tests/support.h"
#include "util/assets.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>

TEST(AssetTable, HoldsEveryFileOfDataByNameWithItsExactBytes) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(PLIX_SOURCE_DIR) + "/data"))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    ASSERT_EQ(embeddedAssetCount, int(names.size()));
    for (size_t i = 0; i < names.size(); ++i) {
        const std::vector<unsigned char> expected = dataFile(names[i]);
        EXPECT_EQ(embeddedAssets[i].name, "data/" + names[i]);
        ASSERT_EQ(embeddedAssets[i].length, int32_t(expected.size())) << names[i];
        EXPECT_EQ(std::memcmp(embeddedAssets[i].bytes, expected.data(), expected.size()), 0) << names[i];
    }
}

TEST(AssetStreams, OpenTakesTheWholeCaseSensitiveNameOnly) {
    for (const char* wrong : {"data/flocke.png", "Flocke.png", "data/Flocke.png ", "data/Flocke", ""})
        EXPECT_EQ(openAsset(wrong), nullptr) << wrong;
    EXPECT_EQ(openAsset(nullptr), nullptr);
}

TEST(AssetStreams, ReadsAndSeeksStayWithinTheFile) {
    AssetStream* s = openAsset("data/Flocke.png");
    ASSERT_NE(s, nullptr);
    const int32_t length = s->length;
    const std::vector<unsigned char> expected = dataFile("Flocke.png");
    std::vector<unsigned char> buffer(size_t(length) + 16, 0xAB);
    for (int32_t count : {-1, INT32_MIN, 0})
        EXPECT_EQ(readAsset(buffer.data(), count, s), 0);
    EXPECT_EQ(buffer[0], 0xAB);
    EXPECT_EQ(readAsset(buffer.data(), 8, s), 8);
    EXPECT_EQ(readAsset(buffer.data() + 8, INT32_MAX, s), length - 8) << "a count past the end stops there";
    EXPECT_EQ(std::memcmp(buffer.data(), expected.data(), size_t(length)), 0);
    EXPECT_EQ(readAsset(buffer.data(), 1, s), 0);

    const struct {
        int32_t offset;
        int8_t mode;
        int32_t expected;
    } seeks[] = {
        // clang-format off
        {100, 0, 100}, {-50, 1, 50}, {-8, 2, length - 8}, {0, 2, length}, {10, 2, length}, {length + 1, 0, length},
        {-5, 0, 0}, {40, 0, 40}, {-41, 1, 0}, {INT32_MIN, 2, 0}, {40, 0, 40}, {INT32_MAX, 1, length},
        {INT32_MIN, 1, 0}, {77, 0, 77}, {5, 3, 77}, {5, -1, 77},
        // clang-format on
    };
    for (const auto& seek : seeks)
        EXPECT_EQ(seekAsset(s, seek.offset, seek.mode), seek.expected)
            << seek.offset << " mode " << int(seek.mode);
    EXPECT_EQ(tellAsset(s), 77);

    AssetStream* other = openAsset("data/Flocke.png"); // a second stream has a position of its own
    EXPECT_TRUE(other != s && tellAsset(other) == 0);
    unsigned char byte = 0;
    EXPECT_EQ(readAsset(&byte, 1, other), 1);
    EXPECT_EQ(byte, 0x89);
    EXPECT_EQ(tellAsset(s), 77);
    closeAsset(other);
    closeAsset(s);
}
