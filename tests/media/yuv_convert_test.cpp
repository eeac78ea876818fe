// The direct 32-bit to 4:2:0 converter gives the pictures swscale gives (the
// path it replaces) within 45 dB on every plane, for album-like frames,
// flat colours at the limits of the range and a row stride wider than the
// picture.
#include "media/yuv_convert.h"
#include "tests/media/media_fixtures.h"

extern "C" {
#include <libswscale/swscale.h>
}

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace fotarel::test {
namespace {

struct Planes {
    int width, height;
    std::vector<std::uint8_t> y, u, v;
    Planes(int w, int h) : width(w), height(h), y(size_t(w) * h), u(size_t(w / 2) * (h / 2)), v(u.size()) {}
    media::detail::PlanarPicture picture()
    {
        return {y.data(), u.data(), v.data(), width, width / 2, width / 2};
    }
};

Planes withSwscale(const QImage& image)
{
    Planes p(image.width(), image.height());
    SwsContext* sws = sws_getContext(image.width(), image.height(), AV_PIX_FMT_BGRA, image.width(), image.height(),
                                     AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr);
    const std::uint8_t* src[4] = {image.constBits(), nullptr, nullptr, nullptr};
    const int srcStride[4] = {int(image.bytesPerLine()), 0, 0, 0};
    const media::detail::PlanarPicture out = p.picture();
    std::uint8_t* dst[4] = {out.y, out.cb, out.cr, nullptr};
    const int dstStride[4] = {out.yStride, out.cbStride, out.crStride, 0};
    EXPECT_EQ(sws_scale(sws, src, srcStride, 0, image.height(), dst, dstStride), image.height());
    sws_freeContext(sws);
    return p;
}

double planePsnr(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b)
{
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i)
        sum += double(a[i] - b[i]) * double(a[i] - b[i]);
    const double mse = sum / double(a.size());
    return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

TEST(YuvConvert, MatchesSwscaleOnEveryPlane)
{
    std::vector<std::pair<const char*, QImage>> cases;
    for (int i : {0, 7, 31})
        cases.emplace_back("album frame", drawFrame(i, 1280, 720));
    for (QColor c : {QColor(Qt::black), QColor(Qt::white), QColor(255, 0, 0), QColor(0, 0, 255), QColor(10, 200, 90)}) {
        QImage flat(320, 240, QImage::Format_RGB32);
        flat.fill(c);
        cases.emplace_back("flat colour", flat);
    }
    // A picture inside a wider one: the stride is not the width.
    const QImage wide = drawFrame(3, 400, 240);
    cases.emplace_back("wide stride", wide.copy(0, 0, 400, 240).convertToFormat(QImage::Format_RGB32));
    cases.emplace_back("sub-picture", QImage(wide.constBits(), 320, 240, wide.bytesPerLine(), QImage::Format_RGB32));
    for (auto& [name, image] : cases) {
        SCOPED_TRACE(name);
        image = image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
        const Planes reference = withSwscale(image);
        Planes fast(image.width(), image.height());
        media::detail::bgrxToYuv420(image.constBits(), int(image.bytesPerLine()), image.width(), image.height(),
                                    fast.picture());
        EXPECT_GE(planePsnr(reference.y, fast.y), 45.0);
        EXPECT_GE(planePsnr(reference.u, fast.u), 45.0);
        EXPECT_GE(planePsnr(reference.v, fast.v), 45.0);
    }
}

} // namespace
} // namespace fotarel::test
