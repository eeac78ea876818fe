#include "swf/renderer.h"

#include <cmath>

namespace fotarel::swf {

namespace {

// One pass of a box blur of width 2r+1 along rows (horizontal) or columns of
// premultiplied ARGB pixels; outside the image counts as transparent.
// `in` is contiguous; `out` is written every `stride` pixels.
void blurLine(const uint32_t* in, uint32_t* out, int n, int stride, int r)
{
    if (r <= 0) {
        for (int i = 0; i < n; ++i)
            out[i * stride] = in[i];
        return;
    }
    const int w = 2 * r + 1;
    uint32_t sa = 0, sr = 0, sg = 0, sb = 0;
    auto add = [&](int i, int sign) {
        if (i < 0 || i >= n)
            return;
        const uint32_t p = in[i];
        if (sign > 0) {
            sa += p >> 24; sr += (p >> 16) & 0xff; sg += (p >> 8) & 0xff; sb += p & 0xff;
        } else {
            sa -= p >> 24; sr -= (p >> 16) & 0xff; sg -= (p >> 8) & 0xff; sb -= p & 0xff;
        }
    };
    for (int i = -r; i < r; ++i)
        add(i, 1);
    for (int i = 0; i < n; ++i) {
        add(i + r, 1);
        out[i * stride] = ((sa / w) << 24) | ((sr / w) << 16) | ((sg / w) << 8) | (sb / w);
        add(i - r, -1);
    }
}

} // namespace

void boxBlur(QImage& img, double radiusX, double radiusY, int passes)
{
    const int rx = int(std::lround(std::min(radiusX, 255.0)));
    const int ry = int(std::lround(std::min(radiusY, 255.0)));
    if ((rx <= 0 && ry <= 0) || img.isNull())
        return;
    const int w = img.width(), h = img.height();
    const int stride = int(img.bytesPerLine() / 4);
    std::vector<uint32_t> tmp(size_t(std::max(w, h)));
    passes = std::clamp(passes, 1, 3);
    for (int pass = 0; pass < passes; ++pass) {
        if (rx > 0) {
            for (int y = 0; y < h; ++y) {
                auto* row = reinterpret_cast<uint32_t*>(img.scanLine(y));
                std::copy(row, row + w, tmp.begin());
                blurLine(tmp.data(), row, w, 1, rx);
            }
        }
        if (ry > 0) {
            auto* base = reinterpret_cast<uint32_t*>(img.bits());
            for (int x = 0; x < w; ++x) {
                for (int y = 0; y < h; ++y)
                    tmp[size_t(y)] = base[y * stride + x];
                blurLine(tmp.data(), base + x, h, stride, ry);
            }
        }
    }
}

int filterMargin(const std::vector<Filter>& filters, double scale)
{
    double m = 0;
    for (const Filter& f : filters) {
        const int passes = std::clamp(f.passes, 1, 3);
        m += (std::max(f.blurX, f.blurY) / 2 * passes + std::abs(f.distance)) * scale;
    }
    return int(std::ceil(std::min(m, 2048.0)));
}

void applyFilter(QImage& img, const Filter& f, double scale)
{
    if (img.isNull())
        return;
    const int w = img.width(), h = img.height();
    switch (f.type) {
    case FilterType::Blur:
        boxBlur(img, f.blurX * scale / 2, f.blurY * scale / 2, f.passes);
        return;
    case FilterType::ColorMatrix: {
        const float* m = f.matrix;
        for (int y = 0; y < h; ++y) {
            auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < w; ++x) {
                const QRgb p = row[x];
                const int a0 = qAlpha(p);
                // The matrix works on unpremultiplied values.
                const float r = a0 ? qRed(p) * 255.f / a0 : 0, g = a0 ? qGreen(p) * 255.f / a0 : 0,
                            b = a0 ? qBlue(p) * 255.f / a0 : 0, a = float(a0);
                auto ch = [&](int k) {
                    const float v = m[k] * r + m[k + 1] * g + m[k + 2] * b + m[k + 3] * a + m[k + 4];
                    return std::isfinite(v) ? std::clamp(v, 0.f, 255.f) : 0.f;
                };
                const float nr = ch(0), ng = ch(5), nb = ch(10), na = ch(15);
                const float k = na / 255.f;
                row[x] = qRgba(int(nr * k + 0.5f), int(ng * k + 0.5f), int(nb * k + 0.5f), int(na + 0.5f));
            }
        }
        return;
    }
    case FilterType::DropShadow:
    case FilterType::Glow:
    case FilterType::Bevel:
    case FilterType::GradientGlow:
    case FilterType::GradientBevel: {
        // The shadow: the source's alpha (inverted for inner shadows), blurred,
        // scaled by the strength, offset and tinted.
        QImage shadow(w, h, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < h; ++y) {
            const auto* s = reinterpret_cast<const QRgb*>(img.constScanLine(y));
            auto* d = reinterpret_cast<QRgb*>(shadow.scanLine(y));
            for (int x = 0; x < w; ++x) {
                const int a = f.inner ? 255 - qAlpha(s[x]) : qAlpha(s[x]);
                d[x] = qRgba(a, a, a, a);
            }
        }
        boxBlur(shadow, f.blurX * scale / 2, f.blurY * scale / 2, f.passes);
        const bool hasOffset = f.type == FilterType::DropShadow || f.type == FilterType::Bevel;
        const int dx = hasOffset ? int(std::lround(std::cos(f.angle) * f.distance * scale)) : 0;
        const int dy = hasOffset ? int(std::lround(std::sin(f.angle) * f.distance * scale)) : 0;
        const double strength = std::clamp(f.strength, 0.0, 255.0);
        QImage out(w, h, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < h; ++y) {
            const auto* src = reinterpret_cast<const QRgb*>(img.constScanLine(y));
            auto* o = reinterpret_cast<QRgb*>(out.scanLine(y));
            const int sy = y - dy;
            for (int x = 0; x < w; ++x) {
                const int sx = x - dx;
                int sa = 0;
                if (sx >= 0 && sx < w && sy >= 0 && sy < h)
                    sa = qAlpha(reinterpret_cast<const QRgb*>(shadow.constScanLine(sy))[sx]);
                else if (f.inner)
                    sa = 255;
                const int a = std::min(255, int(sa * strength + 0.5)) * f.color.a / 255;
                const QRgb sh = qRgba(f.color.r * a / 255, f.color.g * a / 255, f.color.b * a / 255, a);
                const QRgb s = src[x];
                const int srcA = qAlpha(s);
                auto over = [](QRgb top, QRgb bottom) {
                    const int ta = qAlpha(top), inv = 255 - ta;
                    return qRgba(qRed(top) + qRed(bottom) * inv / 255, qGreen(top) + qGreen(bottom) * inv / 255,
                                 qBlue(top) + qBlue(bottom) * inv / 255, ta + qAlpha(bottom) * inv / 255);
                };
                auto scaleBy = [](QRgb p, int k) {
                    return qRgba(qRed(p) * k / 255, qGreen(p) * k / 255, qBlue(p) * k / 255, qAlpha(p) * k / 255);
                };
                QRgb r;
                if (f.inner) {
                    const QRgb inside = scaleBy(sh, srcA); // only where the source is
                    r = f.knockout ? inside : over(inside, s);
                } else if (f.knockout) {
                    r = scaleBy(sh, 255 - srcA);
                } else if (!f.compositeSource) {
                    r = sh;
                } else {
                    r = over(s, sh);
                }
                o[x] = r;
            }
        }
        img = std::move(out);
        return;
    }
    default:
        return; // convolution: not painted
    }
}

} // namespace fotarel::swf
