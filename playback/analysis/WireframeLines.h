#pragma once
// The lines a draw is shown as in wireframe: each triangle (a, b, c) of GL_TRIANGLES,
// GL_TRIANGLE_STRIP or GL_TRIANGLE_FAN, in the order the primitive defines its triangles, becomes
// the lines a-b, b-c, c-a. Shared by the host's wireframe switch and the reference renderer, so
// both rasterise the same segments in the same directions.
#include <cstddef>
#include <cstdint>
#include <vector>

// True for the modes drawn as lines in wireframe (the triangle modes).
bool IsTriangleMode(uint32_t mode);

// The line vertex list of `count` vertices (vertex numbers as the draw reads them) drawn with mode.
void TriangleLines(uint32_t mode, const uint32_t* vertices, size_t count, std::vector<uint32_t>& lines);
