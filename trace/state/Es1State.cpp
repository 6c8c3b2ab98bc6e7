#include "state/Es1State.h"

SEs1State::SEs1State()
{
    for (uint32_t& depth : matrixStackDepth)
        depth = 1;
    // Texture coordinates start at the GL default (0, 0, 0, 1).
    for (auto& tc : currentTexCoord) {
        tc[0] = tc[1] = tc[2] = 0.0f;
        tc[3] = 1.0f;
    }
    // Light 0 has the GL defaults; lights 1 to 7 start all zero.
    static const float light0[10][4] = {
        {0, 0, 0, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}, {0, 0, 1, 0}, {0, 0, -1, 0},
        {0, 0, 0, 0}, {180, 0, 0, 0}, {1, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0},
    };
    for (int p = 0; p < 10; ++p)
        for (int i = 0; i < 4; ++i)
            lights[0][p][i] = light0[p][i];
}
