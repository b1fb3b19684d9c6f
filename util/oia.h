// OIA mesh files (one OpenGL interleaved vertex array per file): reading, drawing, showing normals.
#pragma once

#include <GL/gl.h>
#include <cstdint>

struct Mesh {
    GLenum format;           // GL_V3F, GL_N3F_V3F or GL_T2F_N3F_V3F
    int32_t stride;          // bytes per vertex: 12, 24 or 32
    GLenum primitive;        // always GL_TRIANGLES
    int32_t vertexCount;     // 0 to 65535
    unsigned char* vertices; // vertexCount * stride bytes as in the file; null when vertexCount is 0
};

// The two slots drawn by drawRedMesh and drawPlainMesh; empty until a caller fills them.
extern Mesh* redMesh;
extern Mesh* plainMesh;

// Returns a new Mesh (the caller owns it and its vertices, both from malloc), or null when the file cannot
// be opened, is refused, or memory runs out.
Mesh* readOia(const char* path);

void drawRedMesh();
void drawPlainMesh();
void drawNormals(const Mesh* mesh);
