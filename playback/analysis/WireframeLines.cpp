#include "WireframeLines.h"

namespace {
constexpr uint32_t kTriangles = 0x0004, kTriangleStrip = 0x0005, kTriangleFan = 0x0006;
}

bool IsTriangleMode(uint32_t mode) { return mode == kTriangles || mode == kTriangleStrip || mode == kTriangleFan; }

void TriangleLines(uint32_t mode, const uint32_t* v, size_t count, std::vector<uint32_t>& lines)
{
    lines.clear();
    auto triangle = [&](uint32_t a, uint32_t b, uint32_t c) { lines.insert(lines.end(), {a, b, b, c, c, a}); };
    if (mode == kTriangles) {
        for (size_t i = 0; i + 2 < count; i += 3)
            triangle(v[i], v[i + 1], v[i + 2]);
    } else if (mode == kTriangleStrip) {
        // Odd triangles of a strip keep the winding by swapping their first two vertices.
        for (size_t i = 0; i + 2 < count; ++i)
            i % 2 ? triangle(v[i + 1], v[i], v[i + 2]) : triangle(v[i], v[i + 1], v[i + 2]);
    } else if (mode == kTriangleFan) {
        for (size_t i = 1; i + 1 < count; ++i)
            triangle(v[0], v[i], v[i + 1]);
    }
}
