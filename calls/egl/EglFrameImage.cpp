#include "EglFrameImage.h"

#include <cstring>

#include "EglRecords.h"
#include "stream/FileMapping.h"

bool GetFrameImage(const CApiCall* call, SFrameImage& image, CXQFTString& error)
{
    image = SFrameImage();
    const auto* swap = dynamic_cast<const CEgl_eglSwapBuffers_v10*>(call);
    if (!swap) {
        error = "the call carries no frame image";
        return false;
    }
    const uint32_t width = swap->Item<"width">().item.Value();
    const uint32_t height = swap->Item<"height">().item.Value();
    const SDataBlock& block = swap->Item<"frameData">().item.value;
    const uint64_t pixels = uint64_t(width) * height;  // fits: both factors are below 2^32
    if (width == 0 || height == 0 || !block.GetData()) {
        error = "the frame carries no image";
        return false;
    }
    if (pixels > block.size / 4) {
        error.Format("frame image of %ux%u pixels needs %llu bytes but %u were recorded", width, height,
                     static_cast<unsigned long long>(pixels) * 4, block.size);
        return false;
    }
    if (!CapturedBytesIntact(block.GetData())) {
        error = kFrameImageUnavailable;
        return false;
    }
    image.width = width;
    image.height = height;
    image.rgba = block.GetData();
    return true;
}

void FrameImageToRgb(const SFrameImage& image, std::vector<uint8_t>& out)
{
    const size_t w = image.width, h = image.height;
    out.resize(w * h * 3);
    for (size_t y = 0; y < h; ++y) {
        const uint8_t* src = image.rgba + (h - 1 - y) * w * 4;
        uint8_t* dst = out.data() + y * w * 3;
        if (w == 0)
            continue;
        // Whole 4-byte pixels: the alpha byte lands where the next pixel's red goes and is
        // overwritten by it. The row's last pixel is copied by its three bytes alone.
        for (size_t x = 0; x + 1 < w; ++x, src += 4, dst += 3)
            std::memcpy(dst, src, 4);
        dst[0] = src[0];
        dst[1] = src[1];
        dst[2] = src[2];
    }
}
