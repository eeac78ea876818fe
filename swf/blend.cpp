#include "swf/blend.h"

#include <algorithm>

namespace fotarel::swf {

namespace {

// v / 255 rounded to the nearest integer, for 0 <= v <= 255 * 255 * 4.
constexpr int div255(int v) { return (v + 128 + ((v + 128) >> 8)) >> 8; }

static_assert(div255(255 * 255) == 255 && div255(127) == 0 && div255(128) == 1 && div255(255 * 128) == 128);

// One colour channel: s and d premultiplied by sa and da (0..255). The
// result, times 255, before the one division.
int channel(int s, int d, int sa, int da, BlendMode mode)
{
    // What each side keeps where the other is not: s (1 - da) + d (1 - sa).
    const int rest = s * (255 - da) + d * (255 - sa);
    switch (mode) {
    case BlendMode::Multiply:
        return s * d + rest;
    case BlendMode::Screen:
        return (s + d) * 255 - s * d;
    case BlendMode::Lighten:
        return rest + std::max(s * da, d * sa);
    case BlendMode::Darken:
        return rest + std::min(s * da, d * sa);
    case BlendMode::Difference:
        return (s + d) * 255 - 2 * std::min(s * da, d * sa);
    case BlendMode::HardLight:
    case BlendMode::Overlay: {
        // Hard light multiplies where the source is dark and screens where it
        // is light; overlay is the same with the roles swapped.
        const bool dark = mode == BlendMode::HardLight ? 2 * s <= sa : 2 * d <= da;
        const int mixed = dark ? 2 * s * d : sa * da - 2 * (da - d) * (sa - s);
        return rest + mixed;
    }
    default: // normal
        return s * 255 + d * (255 - sa);
    }
}

} // namespace

QRgb blendPixel(QRgb s, QRgb d, BlendMode mode)
{
    const int sa = qAlpha(s), da = qAlpha(d);
    const int sc[3] = {qRed(s), qGreen(s), qBlue(s)};
    const int dc[3] = {qRed(d), qGreen(d), qBlue(d)};
    int out[3];
    int a = sa + da - div255(sa * da);
    switch (mode) {
    case BlendMode::Add:
        for (int i = 0; i < 3; ++i)
            out[i] = std::min(255, sc[i] + dc[i]);
        a = std::min(255, sa + da);
        break;
    case BlendMode::Subtract:
        // Takes the source's colours away from the target's, which keeps its
        // alpha.
        for (int i = 0; i < 3; ++i)
            out[i] = std::max(0, dc[i] - sc[i]);
        a = da;
        break;
    case BlendMode::Invert:
        // The target turned to its negative where the source covers it.
        for (int i = 0; i < 3; ++i)
            out[i] = div255(dc[i] * (255 - sa) + (da - dc[i]) * sa);
        a = da;
        break;
    case BlendMode::Alpha:
        // The source's alpha is the target's new coverage.
        for (int i = 0; i < 3; ++i)
            out[i] = div255(dc[i] * sa);
        a = div255(da * sa);
        break;
    case BlendMode::Erase:
        for (int i = 0; i < 3; ++i)
            out[i] = div255(dc[i] * (255 - sa));
        a = div255(da * (255 - sa));
        break;
    default:
        for (int i = 0; i < 3; ++i)
            out[i] = std::clamp(div255(channel(sc[i], dc[i], sa, da, mode)), 0, 255);
        break;
    }
    a = std::clamp(a, 0, 255);
    // A premultiplied colour never exceeds its alpha.
    return qRgba(std::min(out[0], a), std::min(out[1], a), std::min(out[2], a), a);
}

void blendOnto(QImage& dst, QPoint at, const QImage& src, BlendMode mode, const QRegion& clip)
{
    const QRect area = QRect(at, src.size()) & dst.rect();
    if (area.isEmpty())
        return;
    const bool opaqueTarget = dst.format() == QImage::Format_RGB32;
    const QRegion region = clip.isEmpty() ? QRegion(area) : clip & area;
    for (const QRect& r : region) {
        for (int y = r.top(); y <= r.bottom(); ++y) {
            const auto* s = reinterpret_cast<const QRgb*>(src.constScanLine(y - at.y())) - at.x();
            auto* d = reinterpret_cast<QRgb*>(dst.scanLine(y));
            for (int x = r.left(); x <= r.right(); ++x) {
                if (qAlpha(s[x]) == 0 && mode != BlendMode::Alpha)
                    continue; // nothing of the source here: the target stays
                const QRgb below = opaqueTarget ? (d[x] | 0xff000000u) : d[x];
                const QRgb out = blendPixel(s[x], below, mode);
                d[x] = opaqueTarget ? (out | 0xff000000u) : out;
            }
        }
    }
}

} // namespace fotarel::swf
