#pragma once
// The host's side of a frame whose GPU-made colour images are first written by draws that do not
// read them (EStartImages::Covered): before the frame plays, each such image is filled with a
// marker colour; after the draw that writes it first, it is read back. A marker pixel left means
// the draw did not cover the image, so the frame needs the pixels it started with. Only ever errs
// towards a rebuild: an image it cannot fill or read counts as not covered.
#include "StartImages.h"
#include "state/Es1State.h"
#include "state/Es2State.h"

#include <GLES2/gl2.h>

#include <cstdint>
#include <vector>

class CCoverCheck
{
public:
    // Fills the images the draws write first (sizes from the states at the frame's start) on the
    // host's current context; false when one cannot be filled.
    bool Fill(const std::vector<SCoverDraw>& draws, const SEs1State& es1, const SEs2State& es2, uint32_t frame);
    // The number of the last draw to check: the frame is played up to it.
    uint32_t LastCall() const;
    // Called after each call played: false when `call` is a checked draw that left a marker pixel
    // in an image it wrote first, or whose image could not be read.
    bool CoveredAfter(uint32_t call, uint32_t frame);

    // The marker: odd values a picture seldom holds (one that does costs a rebuild, never an image).
    static constexpr float kMarker[4] = {11 / 255.0f, 243 / 255.0f, 7 / 255.0f, 131 / 255.0f};

private:
    struct SImage
    {
        SCoverDraw draw;
        GLenum target = GL_TEXTURE_2D;
        int32_t width = 0, height = 0;
        uint8_t marker[4] = {};  // the marker as the image stores it
    };
    // Attaches the image to a framebuffer of the check's own, runs fn, and puts back what it
    // changed; false when the image is no complete colour attachment.
    template <class Fn>
    bool OnImage(const SImage& image, Fn&& fn);

    std::vector<SImage> m_images;
    std::vector<uint8_t> m_pixels;
};
