#include "swf/filters.h"

#include "swf/gradient.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace fotarel::swf {

namespace {

// Division by a fixed divisor with one multiply: exact for every
// dividend below 2^20 with divisors below 2^11 (the error of the
// reciprocal, under 1 per divisor, stays below 2^32 over such dividends).
struct Divider {
    uint64_t m = 0;
    explicit Divider(uint32_t d) : m(((uint64_t(1) << 32) + d - 1) / d) {}
    uint32_t operator()(uint32_t v) const { return uint32_t((v * m) >> 32); }
};

// One box of a blur pass, `width` pixels wide and centred on the pixel:
// each neighbour weighs as much of it as lies inside the box, so a box of 5
// takes five pixels at 1/5 and one of 2 takes 1/4, 1/2, 1/4. `reach` whole
// neighbours on each side, the two next ones the part `part` of them. The
// mean is cut down to a whole level, as the Flash Player's blurs are (its
// glows come out a level or two fainter than rounded means): exactly for
// whole and half widths (the usual ones), in 1/2^32 steps for others.
struct Box {
    int reach = 0;
    bool blurs = false;
    bool halves = false; // width a multiple of 1/2: exact integer division
    uint32_t twiceWidth = 0;
    int twicePart = 0; // halves: the ends' weight in halves (0 or 1)
    Divider div{1};
    uint64_t full = 0, edge = 0;
    explicit Box(double width)
    {
        if (!(width > 1))
            return; // no wider than a pixel: nothing moves
        blurs = true;
        const double r = width / 2;
        reach = int(std::floor(r - 0.5));
        const double part = r - (reach + 0.5); // of the next neighbour, 0 <= part < 1
        halves = width * 2 == std::floor(width * 2) && width <= 510;
        if (halves) {
            twiceWidth = uint32_t(width * 2);
            twicePart = int(part * 2);
            div = Divider(2 * twiceWidth);
        } else {
            full = uint64_t(std::llround(4294967296.0 / width));
            edge = uint64_t(std::llround(4294967296.0 * part / width));
        }
    }
    // The mean from the sum of the whole neighbours and that of the two
    // partly covered ones.
    uint8_t operator()(uint32_t sum, uint32_t ends) const
    {
        if (halves) // (2 sum + 2 part ends) / (2 width)
            return uint8_t(std::min<uint32_t>(255, div(4 * sum + 2 * uint32_t(twicePart) * ends)));
        return uint8_t(std::min<uint64_t>(255, (sum * full + ends * edge) >> 32));
    }
};

// Scratch memory kept per thread: the blur runs for most frames, and
// multi-megabyte blocks taken and given back every frame cost page faults.
template <typename T>
std::vector<T>& scratch(int which, size_t n)
{
    thread_local std::vector<T> buffers[5];
    auto& b = buffers[which];
    if (b.size() < n)
        b.resize(n);
    return b;
}

// A plane of C interleaved 8-bit channels (4 for premultiplied ARGB, 1 for
// an alpha mask); `stride` in bytes.
struct Plane {
    uint8_t* data;
    int w, h;
    size_t stride;
    uint8_t* row(int y) const { return data + size_t(y) * stride; }
};

// One box pass along every row; outside counts as zero.
template <int C>
void blurRows(const Plane& p, const Box& box)
{
    const int a = box.reach;
    auto& line = scratch<uint8_t>(0, size_t(p.w + 2 * (a + 1)) * C);
    // The row with a + 1 zero pixels on either side, so that every tap
    // reads inside the copy.
    std::fill(line.begin(), line.begin() + ptrdiff_t(p.w + 2 * (a + 1)) * C, uint8_t(0));
    uint8_t* in = line.data() + size_t(a + 1) * C;
    for (int y = 0; y < p.h; ++y) {
        uint8_t* row = p.row(y);
        std::memcpy(in, row, size_t(p.w) * C);
        uint32_t sum[C] = {};
        for (int i = -a; i < a; ++i)
            for (int c = 0; c < C; ++c)
                sum[c] += in[ptrdiff_t(i) * C + c];
        for (int x = 0; x < p.w; ++x) {
            for (int c = 0; c < C; ++c) {
                sum[c] += in[ptrdiff_t(x + a) * C + c];
                row[size_t(x) * C + c] =
                    box(sum[c], uint32_t(in[ptrdiff_t(x - a - 1) * C + c]) + in[ptrdiff_t(x + a + 1) * C + c]);
                sum[c] -= in[ptrdiff_t(x - a) * C + c];
            }
        }
    }
}

// One box pass down every column (as the rows), walking rows so that memory
// is read in order: running sums per column, the source rows copied aside.
template <int C>
void blurColumns(const Plane& p, const Box& box)
{
    const int a = box.reach;
    const size_t rowBytes = size_t(p.w) * C;
    auto& copy = scratch<uint8_t>(1, rowBytes * size_t(p.h));
    for (int y = 0; y < p.h; ++y)
        std::memcpy(copy.data() + rowBytes * size_t(y), p.row(y), rowBytes);
    auto& sums = scratch<uint32_t>(2, rowBytes);
    std::fill(sums.begin(), sums.begin() + ptrdiff_t(rowBytes), 0u);
    auto& zero = scratch<uint8_t>(4, rowBytes);
    std::fill(zero.begin(), zero.begin() + ptrdiff_t(rowBytes), uint8_t(0));
    uint32_t* s = sums.data();
    auto srcRow = [&](int y) -> const uint8_t* {
        return y >= 0 && y < p.h ? copy.data() + rowBytes * size_t(y) : zero.data();
    };
    for (int y = -a; y < a; ++y) {
        const uint8_t* in = srcRow(y);
        for (size_t i = 0; i < rowBytes; ++i)
            s[i] += in[i];
    }
    for (int y = 0; y < p.h; ++y) {
        const uint8_t* add = srcRow(y + a);
        const uint8_t* before = srcRow(y - a - 1);
        const uint8_t* after = srcRow(y + a + 1);
        const uint8_t* drop = srcRow(y - a);
        uint8_t* out = p.row(y);
        for (size_t i = 0; i < rowBytes; ++i) {
            s[i] += add[i];
            out[i] = box(s[i], uint32_t(before[i]) + after[i]);
            s[i] -= drop[i];
        }
    }
}

// Boxes no wider than a pixel leave the plane as it is.
template <int C>
void blurPlane(const Plane& p, double wx, double wy, int passes)
{
    const Box bx(wx), by(wy);
    for (int pass = 0; pass < passes; ++pass) {
        if (bx.blurs)
            blurRows<C>(p, bx);
        if (by.blurs)
            blurColumns<C>(p, by);
    }
}

// Averages k × k blocks of `src` into `dst` (ceil(w/k) × ceil(h/k)); blocks
// cut by the right or bottom edge average the pixels they hold.
template <int C>
void shrink(const Plane& src, const Plane& dst, int k)
{
    auto& acc = scratch<uint32_t>(3, size_t(dst.w) * C);
    for (int dy = 0; dy < dst.h; ++dy) {
        std::fill(acc.begin(), acc.begin() + ptrdiff_t(dst.w) * C, 0u);
        const int y0 = dy * k, y1 = std::min(src.h, y0 + k);
        for (int y = y0; y < y1; ++y) {
            const uint8_t* in = src.row(y);
            for (int dx = 0; dx < dst.w; ++dx) {
                const int x1 = std::min(src.w, (dx + 1) * k);
                uint32_t* a = acc.data() + size_t(dx) * C;
                for (int x = dx * k; x < x1; ++x)
                    for (int c = 0; c < C; ++c)
                        a[c] += in[size_t(x) * C + c];
            }
        }
        uint8_t* out = dst.row(dy);
        for (int dx = 0; dx < dst.w; ++dx) {
            const uint32_t n = uint32_t((y1 - y0) * (std::min(src.w, (dx + 1) * k) - dx * k));
            for (int c = 0; c < C; ++c)
                out[size_t(dx) * C + c] = uint8_t((acc[size_t(dx) * C + c] + n / 2) / n);
        }
    }
}

// Where a pixel of a picture k times larger takes its value from: the two
// nearest pixels of the small one and the weight of the second (in 1/256),
// pixel centres aligned.
struct Tap {
    int i0, i1;
    uint32_t w1;
};

std::vector<Tap> taps(int n, int smallN, int k)
{
    std::vector<Tap> t(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const double s = std::clamp((i + 0.5) / k - 0.5, 0.0, double(smallN - 1));
        const int i0 = int(s);
        t[size_t(i)] = {i0, std::min(i0 + 1, smallN - 1), uint32_t(std::lround((s - i0) * 256))};
    }
    return t;
}

// Bilinear enlargement of `src` by k into `dst`.
template <int C>
void enlarge(const Plane& src, const Plane& dst, int k)
{
    const auto xs = taps(dst.w, src.w, k), ys = taps(dst.h, src.h, k);
    std::vector<uint16_t> mixed(size_t(src.w) * C); // the two source rows mixed, × 256
    for (int y = 0; y < dst.h; ++y) {
        const Tap& ty = ys[size_t(y)];
        const uint8_t* a = src.row(ty.i0);
        const uint8_t* b = src.row(ty.i1);
        for (size_t i = 0; i < mixed.size(); ++i)
            mixed[i] = uint16_t(a[i] * (256 - ty.w1) + b[i] * ty.w1);
        uint8_t* out = dst.row(y);
        for (int x = 0; x < dst.w; ++x) {
            const Tap& tx = xs[size_t(x)];
            for (int c = 0; c < C; ++c) {
                const uint32_t v = mixed[size_t(tx.i0) * C + c] * (256 - tx.w1) + mixed[size_t(tx.i1) * C + c] * tx.w1;
                out[size_t(x) * C + c] = uint8_t((v + 32768) >> 16);
            }
        }
    }
}

// The factor a blur of these radii can be computed at a smaller size by
// without a visible difference: the blurred picture has no detail finer than
// a few pixels of the radius, so a plane shrunk by k keeps radii of at least
// six pixels.
int shrinkFactor(double rx, double ry, int maxFactor)
{
    const double r = std::min(rx, ry);
    return std::clamp(int(r / 6), 1, std::max(1, maxFactor));
}

// Blurs plane `p` in place with boxes of the given widths (the Flash
// Player's blurX and blurY in device pixels, one box per pass); wide boxes
// are run on a shrunk copy.
template <int C>
void blur(const Plane& p, double widthX, double widthY, int passes, int maxFactor)
{
    widthX = std::clamp(widthX, 0.0, 510.0);
    widthY = std::clamp(widthY, 0.0, 510.0);
    passes = std::clamp(passes, 1, 15);
    const int k = shrinkFactor(widthX / 2, widthY / 2, maxFactor);
    if (k == 1) {
        blurPlane<C>(p, widthX, widthY, passes);
        return;
    }
    const int sw = (p.w + k - 1) / k, sh = (p.h + k - 1) / k;
    auto& small = scratch<uint8_t>(2, size_t(sw) * size_t(sh) * C);
    const Plane s{small.data(), sw, sh, size_t(sw) * C};
    shrink<C>(p, s, k);
    // The nearest odd width at the small size: an even box there would move
    // the picture by half a small pixel.
    auto odd = [k](double width) { return 2 * int(std::lround((width / k - 1) / 2)) + 1; };
    blurPlane<C>(s, odd(widthX), odd(widthY), passes);
    enlarge<C>(s, p, k);
}

} // namespace

void boxBlur(QImage& img, double widthX, double widthY, int passes, int maxShrink)
{
    if (img.isNull() || (std::lround(widthX) <= 1 && std::lround(widthY) <= 1))
        return;
    if (img.format() != QImage::Format_ARGB32_Premultiplied)
        img = img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    blur<4>(Plane{img.bits(), img.width(), img.height(), size_t(img.bytesPerLine())}, widthX, widthY, passes,
            maxShrink);
}

int blurShrinkFactor(double radiusX, double radiusY, int smallestRadius)
{
    const double r = std::min(radiusX, radiusY) / std::max(1, smallestRadius) * 6;
    return shrinkFactor(r, r, 8);
}

QSize filterMargins(const std::vector<Filter>& filters, double scale)
{
    // Across and down apart: a blur tall and narrow spreads little sideways,
    // and a layer grown by the larger of the two would be mostly empty.
    double mx = 0, my = 0;
    for (const Filter& f : filters) {
        const int passes = std::clamp(f.passes, 1, 15);
        const double offset = std::abs(f.distance);
        mx += (f.blurX / 2 * passes + offset) * scale;
        my += (f.blurY / 2 * passes + offset) * scale;
    }
    return QSize(int(std::ceil(std::min(mx, 2048.0))), int(std::ceil(std::min(my, 2048.0))));
}

int filterMargin(const std::vector<Filter>& filters, double scale)
{
    const QSize m = filterMargins(filters, scale);
    return std::max(m.width(), m.height());
}

namespace {

void applyColorMatrix(QImage& img, const float* m)
{
    for (int y = 0; y < img.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
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
}

QRgb over(QRgb top, QRgb bottom)
{
    const int inv = 255 - qAlpha(top);
    return qRgba(qRed(top) + qRed(bottom) * inv / 255, qGreen(top) + qGreen(bottom) * inv / 255,
                 qBlue(top) + qBlue(bottom) * inv / 255, qAlpha(top) + qAlpha(bottom) * inv / 255);
}

QRgb scaleBy(QRgb p, int k)
{
    return qRgba(qRed(p) * k / 255, qGreen(p) * k / 255, qBlue(p) * k / 255, qAlpha(p) * k / 255);
}

// Drop shadows and glows: the source's alpha (inverted for inner shadows),
// blurred, scaled by the strength, offset, tinted and combined with the
// source in place. The alpha is blurred at the shrunk size a blur of this
// radius allows and read back bilinearly, only where the source does not
// hide it.
void applyShadow(QImage& img, const Filter& f, double scale)
{
    const int w = img.width(), h = img.height();
    const double rx = std::clamp(f.blurX * scale / 2, 0.0, 255.0), ry = std::clamp(f.blurY * scale / 2, 0.0, 255.0);
    const int k = shrinkFactor(rx, ry, 8);
    const int sw = (w + k - 1) / k, sh = (h + k - 1) / k;
    auto& alpha = scratch<uint8_t>(4, size_t(w));
    auto& shadow = scratch<uint8_t>(3, size_t(sw) * size_t(sh));
    {
        // The alpha plane, averaged over k × k blocks on the way.
        auto& acc = scratch<uint32_t>(4, size_t(sw));
        for (int dy = 0; dy < sh; ++dy) {
            std::fill(acc.begin(), acc.begin() + sw, 0u);
            const int y0 = dy * k, y1 = std::min(h, y0 + k);
            for (int y = y0; y < y1; ++y) {
                const auto* s = reinterpret_cast<const QRgb*>(img.constScanLine(y));
                for (int x = 0; x < w; ++x)
                    alpha[size_t(x)] = uint8_t(f.inner ? 255 - qAlpha(s[x]) : qAlpha(s[x]));
                for (int dx = 0; dx < sw; ++dx) {
                    const int x1 = std::min(w, (dx + 1) * k);
                    for (int x = dx * k; x < x1; ++x)
                        acc[size_t(dx)] += alpha[size_t(x)];
                }
            }
            uint8_t* out = shadow.data() + size_t(dy) * size_t(sw);
            for (int dx = 0; dx < sw; ++dx) {
                const uint32_t n = uint32_t((y1 - y0) * (std::min(w, (dx + 1) * k) - dx * k));
                out[dx] = uint8_t((acc[size_t(dx)] + n / 2) / n);
            }
        }
    }
    blurPlane<1>(Plane{shadow.data(), sw, sh, size_t(sw)}, 2 * rx / k, 2 * ry / k,
                 std::clamp(f.passes, 1, 15));
    const auto xs = taps(w, sw, k), ys = taps(h, sh, k);
    auto shadowAt = [&](int x, int y) {
        const Tap& tx = xs[size_t(x)];
        const Tap& ty = ys[size_t(y)];
        const uint8_t* r0 = shadow.data() + size_t(ty.i0) * size_t(sw);
        const uint8_t* r1 = shadow.data() + size_t(ty.i1) * size_t(sw);
        const uint32_t top = r0[tx.i0] * (256 - tx.w1) + r0[tx.i1] * tx.w1;
        const uint32_t bottom = r1[tx.i0] * (256 - tx.w1) + r1[tx.i1] * tx.w1;
        return int((top * (256 - ty.w1) + bottom * ty.w1 + 32768) >> 16);
    };

    const bool hasOffset = f.type == FilterType::DropShadow;
    const int dx = hasOffset ? int(std::lround(std::cos(f.angle) * f.distance * scale)) : 0;
    const int dy = hasOffset ? int(std::lround(std::sin(f.angle) * f.distance * scale)) : 0;
    const double strength = std::clamp(f.strength, 0.0, 255.0);
    uint8_t level[256]; // blurred alpha → shadow alpha
    for (int i = 0; i < 256; ++i)
        level[i] = uint8_t(std::min(255, int(i * strength + 0.5)) * f.color.a / 255);
    const bool plainOuter = !f.inner && !f.knockout && f.compositeSource;
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        const int sy = y - dy;
        const bool rowInside = sy >= 0 && sy < h;
        for (int x = 0; x < w; ++x) {
            const QRgb s = row[x];
            const int srcA = qAlpha(s);
            if (plainOuter && srcA == 255)
                continue; // the source covers its shadow
            const int sx = x - dx;
            int sa = 0;
            if (rowInside && sx >= 0 && sx < w)
                sa = shadowAt(sx, sy);
            else if (f.inner)
                sa = 255;
            const int a = level[sa];
            if (plainOuter && a == 0)
                continue;
            const QRgb tinted = qRgba(f.color.r * a / 255, f.color.g * a / 255, f.color.b * a / 255, a);
            QRgb r;
            if (f.inner) {
                const QRgb inside = scaleBy(tinted, srcA); // only where the source is
                r = f.knockout ? inside : over(inside, s);
            } else if (f.knockout) {
                r = scaleBy(tinted, 255 - srcA);
            } else if (!f.compositeSource) {
                r = tinted;
            } else {
                r = over(s, tinted);
            }
            row[x] = r;
        }
    }
}

// 256 premultiplied colours along a filter's gradient (ratios 0..255).
std::array<QRgb, 256> gradientTable(const std::vector<GradientStop>& stops)
{
    std::array<QRgb, 256> lut{};
    const auto colours = gradientColours(stops);
    for (size_t i = 0; i < 256; ++i) {
        const Rgba c = colours[i];
        lut[i] = qRgba(c.r * c.a / 255, c.g * c.a / 255, c.b * c.a / 255, c.a);
    }
    return lut;
}

// The alpha of `img` (inverted when `invert`), blurred as the filter says,
// into the scratch plane `which`.
const uint8_t* blurredAlpha(const QImage& img, const Filter& f, double scale, bool invert, int which)
{
    const int w = img.width(), h = img.height();
    auto& plane = scratch<uint8_t>(which, size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y) {
        const auto* s = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        uint8_t* a = plane.data() + size_t(y) * size_t(w);
        for (int x = 0; x < w; ++x)
            a[x] = uint8_t(invert ? 255 - qAlpha(s[x]) : qAlpha(s[x]));
    }
    blur<1>(Plane{plane.data(), w, h, size_t(w)}, f.blurX * scale, f.blurY * scale, f.passes, 8);
    return plane.data();
}

// The filter's effect `e` at a pixel whose source is `s`, laid with or
// under the source as its kind says: inner effects only where the source
// is, outer ones only where it is not, bevels "on top" everywhere.
QRgb combine(QRgb e, QRgb s, const Filter& f, bool isBevel)
{
    const int srcA = qAlpha(s);
    const bool inner = f.inner && !(isBevel && f.onTop);
    const bool outer = !f.inner && !(isBevel && f.onTop);
    if (inner)
        e = scaleBy(e, srcA);
    else if (outer && isBevel)
        e = scaleBy(e, 255 - srcA);
    if (f.knockout)
        return outer && !isBevel ? scaleBy(e, 255 - srcA) : e;
    if (!f.compositeSource)
        return e;
    return outer ? over(s, e) : over(e, s);
}

// Bevels: the blurred alpha is read a distance towards the light and away
// from it; where the far side is more solid the shadow colour shows, where
// the near side is, the highlight (gradient bevels look the difference up
// in their gradient: ratio 0 the highlight, 128 flat, 255 the shadow).
void applyBevel(QImage& img, const Filter& f, double scale)
{
    const int w = img.width(), h = img.height();
    const uint8_t* b = blurredAlpha(img, f, scale, false, 3);
    const int ox = int(std::lround(std::cos(f.angle) * f.distance * scale));
    const int oy = int(std::lround(std::sin(f.angle) * f.distance * scale));
    auto at = [&](int x, int y) { return x >= 0 && y >= 0 && x < w && y < h ? int(b[size_t(y) * size_t(w) + size_t(x)]) : 0; };
    const double strength = std::clamp(f.strength, 0.0, 255.0);
    const bool gradient = f.type == FilterType::GradientBevel;
    const auto lut = gradient ? gradientTable(f.gradient) : std::array<QRgb, 256>{};
    const QRgb shadow = qRgba(f.color.r * f.color.a / 255, f.color.g * f.color.a / 255, f.color.b * f.color.a / 255,
                              f.color.a);
    const QRgb light = qRgba(f.highlight.r * f.highlight.a / 255, f.highlight.g * f.highlight.a / 255,
                             f.highlight.b * f.highlight.a / 255, f.highlight.a);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int v = std::clamp(int(std::lround((at(x - ox, y - oy) - at(x + ox, y + oy)) * strength)), -255, 255);
            QRgb e;
            if (gradient)
                e = lut[size_t(std::clamp(128 + v / 2, 0, 255))];
            else
                e = v >= 0 ? scaleBy(shadow, v) : scaleBy(light, -v);
            row[x] = combine(e, row[x], f, true);
        }
    }
}

// Gradient glows: the blurred alpha, scaled by the strength, looked up in
// the gradient (ratio 0 far from the object, 255 at its edge).
void applyGradientGlow(QImage& img, const Filter& f, double scale)
{
    const int w = img.width(), h = img.height();
    const uint8_t* b = blurredAlpha(img, f, scale, f.inner, 3);
    const int ox = int(std::lround(std::cos(f.angle) * f.distance * scale));
    const int oy = int(std::lround(std::sin(f.angle) * f.distance * scale));
    const double strength = std::clamp(f.strength, 0.0, 255.0);
    const auto lut = gradientTable(f.gradient);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        const int sy = y - oy;
        for (int x = 0; x < w; ++x) {
            const int sx = x - ox;
            int a = sx >= 0 && sy >= 0 && sx < w && sy < h ? b[size_t(sy) * size_t(w) + size_t(sx)] : (f.inner ? 255 : 0);
            a = std::min(255, int(std::lround(a * strength)));
            row[x] = combine(lut[size_t(a)], row[x], f, false);
        }
    }
}

// Convolution: each pixel becomes the kernel's weighted sum of its
// neighbours (unpremultiplied), divided and biased; beyond the edge the
// edge pixels repeat or the filter's colour stands. Kernels of more than
// 15 × 15 values, or more work than a few hundred million taps, are left
// out: a file must not be able to stall painting.
void applyConvolution(QImage& img, const Filter& f)
{
    const int mx = f.matrixX, my = f.matrixY;
    if (mx <= 0 || my <= 0 || mx > 15 || my > 15 || f.kernel.size() != size_t(mx) * size_t(my))
        return;
    const int w = img.width(), h = img.height();
    if (qint64(w) * h * mx * my > 256LL * 1000 * 1000)
        return;
    const QImage src = img.convertToFormat(QImage::Format_ARGB32);
    const float div = f.divisor != 0 && std::isfinite(f.divisor) ? f.divisor : 1.f;
    const float bias = std::isfinite(f.bias) ? f.bias : 0.f;
    const QRgb outside = qRgba(f.color.r, f.color.g, f.color.b, f.color.a);
    auto ch = [&](float v) {
        v = v / div + bias;
        return std::isfinite(v) ? int(std::clamp(v, 0.f, 255.f) + 0.5f) : 0;
    };
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            float sum[4] = {};
            for (int j = 0; j < my; ++j) {
                int sy = y + j - my / 2;
                const bool rowOut = sy < 0 || sy >= h;
                if (rowOut && f.clamp)
                    sy = std::clamp(sy, 0, h - 1);
                const auto* in = rowOut && !f.clamp ? nullptr : reinterpret_cast<const QRgb*>(src.constScanLine(sy));
                const float* k = f.kernel.data() + size_t(j) * size_t(mx);
                for (int i = 0; i < mx; ++i) {
                    int sx = x + i - mx / 2;
                    QRgb p = outside;
                    if (in && sx >= 0 && sx < w)
                        p = in[sx];
                    else if (in && f.clamp)
                        p = in[std::clamp(sx, 0, w - 1)];
                    sum[0] += k[i] * qRed(p);
                    sum[1] += k[i] * qGreen(p);
                    sum[2] += k[i] * qBlue(p);
                    sum[3] += k[i] * qAlpha(p);
                }
            }
            const int a = f.preserveAlpha ? qAlpha(reinterpret_cast<const QRgb*>(src.constScanLine(y))[x]) : ch(sum[3]);
            row[x] = qRgba(ch(sum[0]) * a / 255, ch(sum[1]) * a / 255, ch(sum[2]) * a / 255, a);
        }
    }
}

// Blurs a shadow's alpha plane in place, or copies the blur kept from an
// earlier frame whose plane and blur were exactly the same: a photo that
// stands still (or moves by whole pixels) casts the same small shadow frame
// after frame. A few are kept per thread, for pages with several photos.
void blurShadowKept(uint8_t* alpha, int w, int h, double widthX, double widthY, int passes)
{
    struct Kept {
        std::vector<uint8_t> source, blurred;
        int w = 0, h = 0, passes = 0;
        double widthX = 0, widthY = 0;
        uint64_t used = 0;
    };
    thread_local std::array<Kept, 4> kept;
    thread_local uint64_t clock = 0;
    const size_t n = size_t(w) * size_t(h);
    ++clock;
    for (Kept& k : kept) {
        if (k.w == w && k.h == h && k.passes == passes && k.widthX == widthX && k.widthY == widthY &&
            std::equal(k.source.begin(), k.source.end(), alpha)) {
            std::copy(k.blurred.begin(), k.blurred.end(), alpha);
            k.used = clock;
            return;
        }
    }
    Kept& k = *std::min_element(kept.begin(), kept.end(), [](const Kept& a, const Kept& b) { return a.used < b.used; });
    k.source.assign(alpha, alpha + n);
    blur<1>(Plane{alpha, w, h, size_t(w)}, widthX, widthY, passes, 1);
    k.blurred.assign(alpha, alpha + n);
    k.w = w;
    k.h = h;
    k.passes = passes;
    k.widthX = widthX;
    k.widthY = widthY;
    k.used = clock;
}

} // namespace

void drawShadowOnto(QImage& target, const QRect& area, const QImage& small, QPoint smallCorner, int k,
                    const Filter& f, double smallScale, QPoint offset)
{
    if (target.isNull() || small.isNull() || k < 1 ||
        (target.format() != QImage::Format_RGB32 && target.format() != QImage::Format_ARGB32_Premultiplied))
        return;
    const int w = small.width(), h = small.height();
    // The source's alpha, and per small row the run of fully opaque pixels
    // [first, second) (empty unless the row has exactly one such run).
    auto& shadow = scratch<uint8_t>(3, size_t(w) * size_t(h));
    std::vector<std::pair<int, int>> opaque(static_cast<size_t>(h), {0, 0});
    for (int y = 0; y < h; ++y) {
        const auto* s = reinterpret_cast<const QRgb*>(small.constScanLine(y));
        uint8_t* a = shadow.data() + size_t(y) * size_t(w);
        for (int x = 0; x < w; ++x)
            a[x] = uint8_t(qAlpha(s[x]));
        const uint8_t* rowEnd = a + w;
        const uint8_t* first = std::find(static_cast<const uint8_t*>(a), rowEnd, uint8_t(255));
        if (first == rowEnd)
            continue;
        const uint8_t* end = std::find_if(first, rowEnd, [](uint8_t v) { return v != 255; });
        if (std::find(end, rowEnd, uint8_t(255)) == rowEnd)
            opaque[size_t(y)] = {int(first - a), int(end - a)};
    }
    // The source hides the shadow under it at full size where it is opaque
    // over a small pixel and its neighbours: the runs of three rows,
    // narrowed by one.
    std::vector<std::pair<int, int>> hidden(static_cast<size_t>(h), {0, 0});
    for (int y = 1; y + 1 < h; ++y) {
        const int from = std::max({opaque[size_t(y - 1)].first, opaque[size_t(y)].first, opaque[size_t(y + 1)].first}) + 1;
        const int to = std::min({opaque[size_t(y - 1)].second, opaque[size_t(y)].second, opaque[size_t(y + 1)].second}) - 1;
        if (from < to)
            hidden[size_t(y)] = {from, to};
    }
    blurShadowKept(shadow.data(), w, h, f.blurX * smallScale, f.blurY * smallScale, f.passes);
    const double strength = std::clamp(f.strength, 0.0, 255.0);
    uint8_t level[256];
    for (int i = 0; i < 256; ++i)
        level[i] = uint8_t(std::min(255, int(i * strength + 0.5)) * f.color.a / 255);

    const QRect box = area & target.rect();
    if (box.isEmpty())
        return;
    // Target pixel p takes the shadow of small position (p - offset -
    // smallCorner) / k, read bilinearly; pixel centres aligned.
    auto floorDiv = [k](int v) { return v >= 0 ? v / k : -((-v + k - 1) / k); };
    const int left = box.left(), width = box.width();
    std::vector<Tap> xs(static_cast<size_t>(width));
    for (int i = 0; i < width; ++i) {
        const double s = (left + i - offset.x() - smallCorner.x() + 0.5) / k - 0.5;
        const double c = std::clamp(s, 0.0, double(w - 1));
        const int i0 = int(c);
        xs[size_t(i)] = {i0, std::min(i0 + 1, w - 1), uint32_t(std::lround((c - i0) * 256))};
    }
    for (int y = box.top(); y <= box.bottom(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(target.scanLine(y));
        const double s = (y - offset.y() - smallCorner.y() + 0.5) / k - 0.5;
        const double c = std::clamp(s, 0.0, double(h - 1));
        const int y0 = int(c), y1 = std::min(y0 + 1, h - 1);
        const uint32_t wy = uint32_t(std::lround((c - y0) * 256));
        const uint8_t* r0 = shadow.data() + size_t(y0) * size_t(w);
        const uint8_t* r1 = shadow.data() + size_t(y1) * size_t(w);
        // The hidden run of the source row over this pixel row is skipped.
        int skipFrom = 0, skipTo = 0;
        const int hy = floorDiv(y - smallCorner.y());
        if (hy >= 0 && hy < h && hidden[size_t(hy)].first < hidden[size_t(hy)].second) {
            skipFrom = std::clamp(hidden[size_t(hy)].first * k + smallCorner.x() - left, 0, width);
            skipTo = std::clamp(hidden[size_t(hy)].second * k + smallCorner.x() - left, skipFrom, width);
        }
        auto shade = [&](int i) {
            const Tap& tx = xs[size_t(i)];
            const uint32_t top = r0[tx.i0] * (256 - tx.w1) + r0[tx.i1] * tx.w1;
            const uint32_t bottom = r1[tx.i0] * (256 - tx.w1) + r1[tx.i1] * tx.w1;
            const int a = level[(top * (256 - wy) + bottom * wy + 32768) >> 16];
            if (a == 0)
                return;
            const QRgb d = row[left + i];
            const int inv = 255 - a;
            row[left + i] = qRgba(f.color.r * a / 255 + qRed(d) * inv / 255, f.color.g * a / 255 + qGreen(d) * inv / 255,
                                  f.color.b * a / 255 + qBlue(d) * inv / 255, a + qAlpha(d) * inv / 255);
        };
        for (int i = 0; i < skipFrom; ++i)
            shade(i);
        for (int i = skipTo; i < width; ++i)
            shade(i);
    }
}

void applyFilter(QImage& img, const Filter& f, double scale)
{
    if (img.isNull())
        return;
    if (img.format() != QImage::Format_ARGB32_Premultiplied)
        img = img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    switch (f.type) {
    case FilterType::Blur:
        boxBlur(img, f.blurX * scale, f.blurY * scale, f.passes);
        return;
    case FilterType::ColorMatrix:
        applyColorMatrix(img, f.matrix);
        return;
    case FilterType::DropShadow:
    case FilterType::Glow:
        applyShadow(img, f, scale);
        return;
    case FilterType::Bevel:
    case FilterType::GradientBevel:
        applyBevel(img, f, scale);
        return;
    case FilterType::GradientGlow:
        applyGradientGlow(img, f, scale);
        return;
    case FilterType::Convolution:
        applyConvolution(img, f);
        return;
    }
}

} // namespace fotarel::swf
