// Reading OIA mesh files: refusals and their messages, counts and strides, short and missing files.
#include "util/oia.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

static Bytes header(unsigned char mode, unsigned char countHigh = 0, unsigned char countLow = 0,
                    const char* magic = "FoIA", unsigned char extended = 0, unsigned char b4 = 0,
                    unsigned char b5 = 0) {
    return {(unsigned char)magic[0],
            (unsigned char)magic[1],
            (unsigned char)magic[2],
            (unsigned char)magic[3],
            b4,
            b5,
            extended,
            mode,
            countHigh,
            countLow};
}

static int openDescriptors() {
    return int(std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

struct Read {
    Mesh* mesh;
    std::string out, err;
};

class Oia : public testing::Test {
protected:
    fs::path dir;
    void SetUp() override {
        char pattern[] = "/tmp/oia_test.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string write(const Bytes& bytes, const char* name = "mesh.oia") {
        std::string path = (dir / name).string();
        FILE* file = fopen(path.c_str(), "wb");
        if (!bytes.empty())
            fwrite(bytes.data(), 1, bytes.size(), file);
        fclose(file);
        return path;
    }
    static Read read(const std::string& path) {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        Mesh* mesh = readOia(path.c_str());
        std::string err = testing::internal::GetCapturedStderr();
        return {mesh, testing::internal::GetCapturedStdout(), err};
    }
    // A refused file gives null, exactly the expected line on stdout, nothing on stderr, and no open file.
    void expectRefused(const Bytes& bytes, const std::string& line) {
        std::string path = write(bytes);
        int before = openDescriptors();
        Read r = read(path);
        EXPECT_EQ(r.mesh, nullptr);
        EXPECT_EQ(r.out, line);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(openDescriptors(), before);
    }
    static void release(Mesh* mesh) {
        free(mesh->vertices);
        free(mesh);
    }
};

TEST_F(Oia, RefusalsInTheirOrder) {
    std::string notOia = "Not >>" + (dir / "mesh.oia").string() + "<< is not an oia file!\n";
    for (const char* magic : {"foIA", "FOIA", "Foia", "FoIa", "FoiA", "XoIA", "FoI\0"})
        expectRefused(header(6, 0, 0, magic), notOia);
    // The magic decides before the extended byte and the mode.
    expectRefused(header(0xE1, 0, 0, "foia", 1), notOia);

    for (unsigned char mode : {2, 6, 14, 0, 10, 0xE1})
        for (unsigned char extended : {1, 0x80, 0xFF})
            expectRefused(header(mode, 0, 1, "FoIA", extended), "Extended modes not supported!\n");

    expectRefused(header(10), "Mode 0a not supported!\n");
    expectRefused(header(0xE1), "Mode e1 not supported!\n");
    struct {
        unsigned char mode;
        const char* shown;
    } others[] = {{0, "00"},  {1, "01"},  {3, "03"},  {4, "04"},   {8, "08"},
                  {12, "0c"}, {15, "0f"}, {16, "10"}, {0xFF, "ff"}};
    for (auto other : others)
        expectRefused(header(other.mode, 0, 1), std::string("Mode ") + other.shown + " not supported!\n");
}

TEST_F(Oia, CountsAndStridesAndIgnoredBytes) {
    struct {
        unsigned char mode;
        GLenum format;
        int stride;
    } modes[] = {{2, 0x2A21, 12}, {6, 0x2A25, 24}, {14, 0x2A2B, 32}};
    struct {
        unsigned char high, low;
        int count;
    } counts[] = {{0x01, 0x02, 258}, {0x02, 0x01, 513}, {0x00, 0x01, 1}, {0xFF, 0xFF, 65535}};
    for (auto m : modes) {
        for (auto c : counts) {
            Bytes file = header(m.mode, c.high, c.low, "FoIA", 0, 0xA5, 0xFF);
            size_t size = size_t(c.count) * m.stride;
            for (size_t i = 0; i < size; ++i)
                file.push_back((unsigned char)(i * 7 + i / 251));
            file.insert(file.end(), {1, 2, 3}); // trailing bytes are not used
            Read r = read(write(file));
            ASSERT_NE(r.mesh, nullptr) << int(m.mode) << " " << c.count;
            EXPECT_EQ(r.out, "");
            EXPECT_EQ(r.mesh->format, m.format);
            EXPECT_EQ(r.mesh->stride, m.stride);
            EXPECT_EQ(r.mesh->primitive, GLenum(GL_TRIANGLES));
            EXPECT_EQ(r.mesh->vertexCount, c.count);
            EXPECT_TRUE(std::equal(file.begin() + 10, file.end() - 3, r.mesh->vertices));
            release(r.mesh);
        }
    }
    // 258 mode-6 vertices are 6192 bytes: one byte fewer is refused.
    Bytes exact = header(6, 0x01, 0x02);
    exact.resize(10 + 6192, 0x3C);
    Read r = read(write(exact));
    ASSERT_NE(r.mesh, nullptr);
    release(r.mesh);
    exact.pop_back();
    expectRefused(exact,
                  "oia: >>" + (dir / "mesh.oia").string() + "<< is too short: 6191 of 6192 vertex bytes\n");
}

TEST_F(Oia, CountZeroGivesAnEmptyMesh) {
    for (Bytes file : {header(2), header(14, 0, 0, "FoIA", 0, 'x', 'y')}) {
        file.push_back(9);
        Read r = read(write(file));
        ASSERT_NE(r.mesh, nullptr);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.mesh->vertexCount, 0);
        EXPECT_EQ(r.mesh->vertices, nullptr);
        release(r.mesh);
    }
}

TEST_F(Oia, MissingFileGoesThroughPerror) {
    int before = openDescriptors();
    Read r = read((dir / "absent.oia").string());
    EXPECT_EQ(r.mesh, nullptr);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "Error while opening OIA: : No such file or directory\n");
    EXPECT_EQ(openDescriptors(), before);
}

TEST_F(Oia, ShortFilesAreRefusedWithOneLine) {
    std::string path = (dir / "mesh.oia").string();
    Bytes full = header(6, 0, 2);
    full.resize(10 + 48, 0x41);
    // Short headers are refused before any check, even when the bytes present are a wrong magic.
    for (size_t length = 0; length < 10; ++length) {
        expectRefused(Bytes(full.begin(), full.begin() + length),
                      "oia: >>" + path + "<< is too short: " + std::to_string(length) +
                          " of 10 header bytes\n");
        expectRefused(Bytes(length, 'x'), "oia: >>" + path + "<< is too short: " + std::to_string(length) +
                                              " of 10 header bytes\n");
    }
    for (size_t data : {0, 1, 23, 24, 25, 47})
        expectRefused(Bytes(full.begin(), full.begin() + 10 + data),
                      "oia: >>" + path + "<< is too short: " + std::to_string(data) +
                          " of 48 vertex bytes\n");
    for (size_t extra : {0, 1}) {
        Bytes file = full;
        file.resize(full.size() + extra);
        Read r = read(write(file));
        ASSERT_NE(r.mesh, nullptr);
        EXPECT_EQ(r.out, "");
        release(r.mesh);
    }
}

TEST_F(Oia, UnreadableFileIsRefused) {
    Read r = read(dir.string()); // a directory opens but cannot be read
    EXPECT_EQ(r.mesh, nullptr);
    EXPECT_EQ(r.out, "oia: read error in >>" + dir.string() + "<< while reading its header\n");
}
