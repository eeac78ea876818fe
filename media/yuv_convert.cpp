#include "media/yuv_convert.h"

namespace fotarel::media::detail {

namespace {

// BT.601 limited range in 16-bit fixed point (x 65536, rounded):
//   Y  =  16 + 0.256788 R + 0.504129 G + 0.097906 B
//   Cb = 128 - 0.148223 R - 0.290993 G + 0.439216 B
//   Cr = 128 + 0.439216 R - 0.367788 G - 0.071427 B
constexpr int kYR = 16829, kYG = 33039, kYB = 6416;
constexpr int kUR = -9714, kUG = -19070, kUB = 28784;
constexpr int kVR = 28784, kVG = -24103, kVB = -4681;
constexpr int kHalf = 1 << 15;

inline std::uint8_t luma(int r, int g, int b)
{
    return std::uint8_t((kYR * r + kYG * g + kYB * b + (16 << 16) + kHalf) >> 16);
}

} // namespace

void bgrxToYuv420(const std::uint8_t* pixels, int stride, int width, int height, const PlanarPicture& out)
{
    for (int y = 0; y + 1 < height; y += 2) {
        const std::uint8_t* top = pixels + std::int64_t(y) * stride;
        const std::uint8_t* bottom = top + stride;
        std::uint8_t* yTop = out.y + std::int64_t(y) * out.yStride;
        std::uint8_t* yBottom = yTop + out.yStride;
        std::uint8_t* cb = out.cb + std::int64_t(y / 2) * out.cbStride;
        std::uint8_t* cr = out.cr + std::int64_t(y / 2) * out.crStride;
        for (int x = 0; x < width; ++x) {
            yTop[x] = luma(top[4 * x + 2], top[4 * x + 1], top[4 * x]);
            yBottom[x] = luma(bottom[4 * x + 2], bottom[4 * x + 1], bottom[4 * x]);
        }
        for (int x = 0; x + 1 < width; x += 2) {
            const std::uint8_t* a = top + 4 * x;
            const std::uint8_t* b = bottom + 4 * x;
            // Sums of four pixels: the mean is folded into the shift.
            const int sb = a[0] + a[4] + b[0] + b[4];
            const int sg = a[1] + a[5] + b[1] + b[5];
            const int sr = a[2] + a[6] + b[2] + b[6];
            cb[x / 2] = std::uint8_t((kUR * sr + kUG * sg + kUB * sb + (128 << 18) + (1 << 17)) >> 18);
            cr[x / 2] = std::uint8_t((kVR * sr + kVG * sg + kVB * sb + (128 << 18) + (1 << 17)) >> 18);
        }
    }
}

} // namespace fotarel::media::detail
