// Reading OIA mesh files: refusals in their order with their messages, counts, strides and the bytes as
// stored, short and missing files.
#include "util/oia.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
const std::string path = (fs::temp_directory_path() / "plix-oia-test.oia").string();

std::string header(const char* magic, int extended, int mode, int count) {
    return std::string(magic, 4) + "\xA5\xFF" + char(extended) + char(mode) + char(count >> 8) + char(count);
}

// Writes the file and reads it; out receives what the reader printed on standard output.
Mesh* read(const std::string& bytes, std::string& out) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    testing::internal::CaptureStdout();
    Mesh* mesh = readOia(path.c_str());
    out = testing::internal::GetCapturedStdout();
    return mesh;
}

int openFiles() {
    return int(std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

} // namespace

TEST(OiaFiles, RefusalsInTheirOrderWithTheirMessages) {
    const std::pair<std::string, std::string> refused[] = {
        {header("foIA", 1, 0xE1, 1), "Not >>" + path + "<< is not an oia file!\n"},
        {header("FoIa", 0, 6, 1), "Not >>" + path + "<< is not an oia file!\n"},
        {header("FoIA", 0x80, 10, 1), "Extended modes not supported!\n"},
        {header("FoIA", 0, 10, 0), "Mode 0a not supported!\n"},
        {header("FoIA", 0, 0xE1, 0), "Mode e1 not supported!\n"},
        {std::string("FoIA\0\0\0\6", 9), "oia: >>" + path + "<< is too short: 9 of 10 header bytes\n"},
        {header("FoIA", 0, 6, 258) + std::string(6191, 'x'),
         "oia: >>" + path + "<< is too short: 6191 of 6192 vertex bytes\n"},
    };
    const int files = openFiles();
    for (const auto& [bytes, message] : refused) {
        std::string out;
        EXPECT_EQ(read(bytes, out), nullptr) << message;
        EXPECT_EQ(out, message);
    }
    EXPECT_EQ(openFiles(), files) << "a refused file was left open";
    fs::remove(path);
    testing::internal::CaptureStderr();
    EXPECT_EQ(readOia(path.c_str()), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Error while opening OIA: : No such file or directory\n");

    // Only a regular file is read: a FIFO without a writer must not hold the reader (the alarm ends a
    // reader that waits), nor may a device stand in for a file.
    const std::string fifo = path + ".fifo", folder = fs::temp_directory_path().string();
    fs::remove(fifo);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const auto& [what, kind] :
         {std::pair{fifo, "a FIFO"}, {"/dev/zero", "a character device"}, {folder, "a folder"}}) {
        alarm(20);
        testing::internal::CaptureStdout();
        EXPECT_EQ(readOia(what.c_str()), nullptr);
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "oia: >>" + what + "<< is " + kind + ", not a regular file\n");
        alarm(0);
    }
    EXPECT_EQ(openFiles(), files);
    fs::remove(fifo);
}

TEST(OiaFiles, CountsStridesAndTheVertexBytesAsStored) {
    const struct {
        int mode;
        GLenum format;
        int stride;
    } modes[] = {{2, GL_V3F, 12}, {6, GL_N3F_V3F, 24}, {14, GL_T2F_N3F_V3F, 32}};
    for (const auto& m : modes)
        for (int count : {0, 258}) {
            std::string file = header("FoIA", 0, m.mode, count);
            for (int i = 0; i < count * m.stride; ++i)
                file += char(i * 7 + i / 251);
            std::string out;
            Mesh* mesh = read(file + "trailing bytes are not read", out);
            ASSERT_NE(mesh, nullptr);
            EXPECT_EQ(out, "");
            EXPECT_TRUE(mesh->format == m.format && mesh->stride == m.stride &&
                        mesh->primitive == GL_TRIANGLES);
            EXPECT_EQ(mesh->vertexCount, count);
            EXPECT_TRUE(count ? std::memcmp(file.data() + 10, mesh->vertices, file.size() - 10) == 0
                              : !mesh->vertices);
            free(mesh->vertices);
            free(mesh);
        }
}
