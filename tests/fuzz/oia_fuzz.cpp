// libFuzzer target: arbitrary file contents through the OIA reader.
#include "util/oia.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

static std::string path;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* tmp = getenv("TMPDIR");
    path = std::string(tmp && *tmp ? tmp : "/tmp") + "/oia_fuzz." + std::to_string(getpid()) + ".oia";
    // The reader reports every refusal on stdout; libFuzzer's own output is on stderr.
    if (!freopen("/dev/null", "w", stdout))
        abort();
    atexit([] { unlink(path.c_str()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        abort();
    if (size > 0 && fwrite(data, 1, size, file) != size)
        abort();
    fclose(file);

    Mesh* mesh = readOia(path.c_str());
    if (!mesh)
        return 0;
    // A mesh must be made only of bytes the file holds, copied unchanged.
    size_t bytes = size_t(mesh->vertexCount) * size_t(mesh->stride);
    if (size < 10 || memcmp(data, "FoIA", 4) != 0 || data[6] != 0 || bytes > size - 10 ||
        mesh->vertexCount != data[8] * 256 + data[9] || mesh->primitive != GL_TRIANGLES)
        abort();
    int stride = data[7] == 2 ? 12 : data[7] == 6 ? 24 : data[7] == 14 ? 32 : 0;
    GLenum format = data[7] == 2 ? GL_V3F : data[7] == 6 ? GL_N3F_V3F : GL_T2F_N3F_V3F;
    if (mesh->stride != stride || mesh->format != format)
        abort();
    if (bytes > 0 && memcmp(mesh->vertices, data + 10, bytes) != 0)
        abort();
    free(mesh->vertices);
    free(mesh);
    return 0;
}
