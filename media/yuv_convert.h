#pragma once

// The colour conversion the MPEG encoders need most: 32-bit B,G,R,x pixels
// (QImage's RGB32 in memory) to planar Y, Cb, Cr 4:2:0 of the same size,
// BT.601 limited range. One pass over the picture, two rows at a time, in
// plain integer arithmetic the compiler vectorises; swscale's general path
// for this layout reads every row twice and costs about three times as much.

#include <cstdint>

namespace fotarel::media::detail {

struct PlanarPicture {
    std::uint8_t* y;
    std::uint8_t* cb;
    std::uint8_t* cr;
    int yStride;
    int cbStride;
    int crStride;
};

// `width` and `height` are even. Chroma is the mean of each 2 × 2 block.
void bgrxToYuv420(const std::uint8_t* pixels, int stride, int width, int height, const PlanarPicture& out);

} // namespace fotarel::media::detail
