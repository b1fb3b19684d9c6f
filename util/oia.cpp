// Reader for OIA mesh files and the routines that draw such a mesh and its normals.
#include "util/oia.h"

#include "util/filekind.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

Mesh* redMesh = nullptr;
Mesh* plainMesh = nullptr;

static constexpr size_t headerSize = 10;

// One line on stdout for a read that came back short: an error of the stream, or the file simply ends.
static void reportShortRead(FILE* file, const char* path, const char* part, size_t got, size_t wanted) {
    if (ferror(file))
        printf("oia: read error in >>%s<< while reading its %s\n", path, part);
    else
        printf("oia: >>%s<< is too short: %zu of %zu %s bytes\n", path, got, wanted, part);
}

static void refuse(Mesh* mesh, FILE* file) {
    free(mesh->vertices);
    free(mesh);
    fclose(file);
}

// Sets format and stride from the mode byte; false for a mode this reader does not know.
static bool takeMode(Mesh* mesh, unsigned char mode) {
    switch (mode) {
    case 2:
        mesh->format = GL_V3F;
        mesh->stride = 12;
        return true;
    case 6:
        mesh->format = GL_N3F_V3F;
        mesh->stride = 24;
        return true;
    case 14:
        mesh->format = GL_T2F_N3F_V3F;
        mesh->stride = 32;
        return true;
    default:
        return false;
    }
}

// Opens a regular file only. The open does not block, so that a FIFO without a writer (or a device)
// cannot hold the reader; such a file is refused before anything is read from it.
static FILE* openRegular(const char* path) {
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        perror("Error while opening OIA: ");
        return nullptr;
    }
    struct stat status = {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        printf("oia: >>%s<< is %s, not a regular file\n", path, fileKindName(status.st_mode));
        close(fd);
        return nullptr;
    }
    FILE* file = fdopen(fd, "rb");
    if (!file) {
        perror("Error while opening OIA: ");
        close(fd);
    }
    return file;
}

Mesh* readOia(const char* path) {
    FILE* file = openRegular(path);
    if (!file)
        return nullptr;

    Mesh* mesh = static_cast<Mesh*>(malloc(sizeof(Mesh)));
    if (!mesh) {
        printf("oia: out of memory reading >>%s<<\n", path);
        fclose(file);
        return nullptr;
    }
    mesh->format = 0;
    mesh->stride = 0;
    mesh->primitive = GL_TRIANGLES;
    mesh->vertexCount = 0;
    mesh->vertices = nullptr;

    // The header checks below may only look at bytes that were actually read.
    unsigned char header[headerSize];
    size_t got = fread(header, 1, headerSize, file);
    if (got != headerSize) {
        reportShortRead(file, path, "header", got, headerSize);
        refuse(mesh, file);
        return nullptr;
    }

    if (memcmp(header, "FoIA", 4) != 0) {
        printf("Not >>%s<< is not an oia file!\n", path);
        refuse(mesh, file);
        return nullptr;
    }
    if (header[6] != 0) {
        printf("Extended modes not supported!\n");
        refuse(mesh, file);
        return nullptr;
    }
    if (!takeMode(mesh, header[7])) {
        printf("Mode %02x not supported!\n", header[7]);
        refuse(mesh, file);
        return nullptr;
    }

    mesh->vertexCount = header[8] * 256 + header[9];
    size_t size = size_t(mesh->vertexCount) * size_t(mesh->stride);
    if (size > 0) {
        mesh->vertices = static_cast<unsigned char*>(malloc(size));
        if (!mesh->vertices) {
            printf("oia: out of memory for the %zu vertex bytes of >>%s<<\n", size, path);
            refuse(mesh, file);
            return nullptr;
        }
        got = fread(mesh->vertices, 1, size, file);
        if (got != size) {
            reportShortRead(file, path, "vertex", got, size);
            refuse(mesh, file);
            return nullptr;
        }
    }

    fclose(file);
    return mesh;
}

static void drawMesh(const Mesh* mesh) {
    glInterleavedArrays(mesh->format, mesh->stride, mesh->vertices);
    glDrawArrays(mesh->primitive, 0, mesh->vertexCount);
}

void drawRedMesh() {
    if (!redMesh)
        return;
    glColor4f(1, 0, 0, 1);
    drawMesh(redMesh);
}

void drawPlainMesh() {
    if (!plainMesh)
        return;
    drawMesh(plainMesh);
}

void drawNormals(const Mesh* mesh) {
    if (!mesh || mesh->format != GL_N3F_V3F)
        return;

    // Translucent lines over the mesh, in the caller's matrices and depth test.
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(0.7f, 0.3f, 0.3f, 0.8f);

    glBegin(GL_LINES);
    for (int32_t i = mesh->vertexCount - 1; i >= 0; --i) {
        // Six little-endian floats per vertex: the normal, then the position. memcpy keeps the
        // access independent of the buffer's alignment.
        float vertex[6];
        memcpy(vertex, mesh->vertices + size_t(i) * size_t(mesh->stride), sizeof vertex);
        const float* n = vertex;
        const float* v = vertex + 3;
        float tip[3] = {v[0] + n[0], v[1] + n[1], v[2] + n[2]};
        glVertex3fv(v);
        glVertex3fv(tip);
    }
    glEnd();
    glPopAttrib();
}
