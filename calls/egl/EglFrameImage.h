#pragma once
// The frame image an eglSwapBuffers record carries (format version 10 and later): width x height
// pixels of 4 bytes (R, G, B, A), bottom row first. Recorded sizes are checked before any byte is
// read: an image whose block holds fewer bytes than its size says, or whose size overflows, is
// refused with a message.
#include <cstdint>
#include <vector>

#include "XQFTString.h"

class CApiCall;

struct SFrameImage
{
    uint32_t width = 0;
    uint32_t height = 0;
    const uint8_t* rgba = nullptr;  // width * height * 4 bytes, owned by the call
};

// The image of an eglSwapBuffers call. False, with the reason in error, when the call carries
// none (another call, an older layout, an empty block), when its sizes do not hold together, or
// when its bytes are no longer available (kFrameImageUnavailable). The bytes may lie in the trace
// file's mapping: a caller that keeps using them asks CapturedBytesIntact again afterwards.
bool GetFrameImage(const CApiCall* call, SFrameImage& image, CXQFTString& error);
inline constexpr const char* kFrameImageUnavailable =
    "the frame image is not available: the trace file was cut or changed since it was opened";

// The image as the frame-buffer view shows it: RGB, top row first (alpha dropped, rows mirrored).
// out receives width * height * 3 bytes.
void FrameImageToRgb(const SFrameImage& image, std::vector<uint8_t>& out);
