#include "tools/templatec/swf_writer.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace fotarel::templatec {

void BitWriter::ub(uint32_t value, int bits)
{
    for (int i = bits - 1; i >= 0; --i) {
        acc_ = uint8_t(acc_ << 1 | ((value >> i) & 1u));
        if (++used_ == 8) {
            data_.append(char(acc_));
            acc_ = 0;
            used_ = 0;
        }
    }
}

void BitWriter::sb(int32_t value, int bits) { ub(uint32_t(value) & (bits >= 32 ? 0xffffffffu : ((1u << bits) - 1)), bits); }

void BitWriter::align()
{
    if (used_ > 0)
        ub(0, 8 - used_);
}

void BitWriter::u8(uint8_t v)
{
    align();
    data_.append(char(v));
}

void BitWriter::u16(uint16_t v)
{
    u8(uint8_t(v & 0xff));
    u8(uint8_t(v >> 8));
}

void BitWriter::u32(uint32_t v)
{
    u16(uint16_t(v & 0xffff));
    u16(uint16_t(v >> 16));
}

void BitWriter::bytes(const QByteArray& b)
{
    align();
    data_.append(b);
}

void BitWriter::string(const QString& s)
{
    bytes(s.toUtf8());
    u8(0);
}

const QByteArray& BitWriter::data()
{
    align();
    return data_;
}

int bitsForSigned(int32_t v)
{
    int bits = 1;
    while (bits < 32 && (v < -(int64_t(1) << (bits - 1)) || v >= (int64_t(1) << (bits - 1))))
        ++bits;
    return bits;
}

int bitsForUnsigned(uint32_t v)
{
    int bits = 0;
    while (bits < 32 && (v >> bits) != 0)
        ++bits;
    return bits;
}

void writeRect(BitWriter& w, const swf::Rect& r)
{
    const int n = std::max({bitsForSigned(r.xMin), bitsForSigned(r.xMax), bitsForSigned(r.yMin), bitsForSigned(r.yMax)});
    w.ub(uint32_t(n), 5);
    w.sb(r.xMin, n);
    w.sb(r.xMax, n);
    w.sb(r.yMin, n);
    w.sb(r.yMax, n);
    w.align();
}

namespace {

int32_t fixed16(double v) { return int32_t(std::lround(v * 65536.0)); }

} // namespace

void writeMatrix(BitWriter& w, const swf::Matrix& m)
{
    const int32_t a = fixed16(m.a), b = fixed16(m.b), c = fixed16(m.c), d = fixed16(m.d);
    const bool hasScale = a != 65536 || d != 65536;
    w.ub(hasScale, 1);
    if (hasScale) {
        const int n = std::max(bitsForSigned(a), bitsForSigned(d));
        w.ub(uint32_t(n), 5);
        w.sb(a, n);
        w.sb(d, n);
    }
    const bool hasRotate = b != 0 || c != 0;
    w.ub(hasRotate, 1);
    if (hasRotate) {
        const int n = std::max(bitsForSigned(b), bitsForSigned(c));
        w.ub(uint32_t(n), 5);
        w.sb(b, n); // RotateSkew0
        w.sb(c, n); // RotateSkew1
    }
    const int32_t tx = int32_t(std::lround(m.tx)), ty = int32_t(std::lround(m.ty));
    const int n = (tx == 0 && ty == 0) ? 0 : std::max(bitsForSigned(tx), bitsForSigned(ty));
    w.ub(uint32_t(n), 5);
    if (n) {
        w.sb(tx, n);
        w.sb(ty, n);
    }
    w.align();
}

void writeColorTransform(BitWriter& w, const swf::ColorTransform& c)
{
    auto mul = [](float f) { return int32_t(std::lround(f * 256.0f)); };
    auto add = [](float f) { return int32_t(std::lround(f)); };
    const int32_t m[4] = {mul(c.rMul), mul(c.gMul), mul(c.bMul), mul(c.aMul)};
    const int32_t a[4] = {add(c.rAdd), add(c.gAdd), add(c.bAdd), add(c.aAdd)};
    const bool hasMul = m[0] != 256 || m[1] != 256 || m[2] != 256 || m[3] != 256;
    const bool hasAdd = a[0] || a[1] || a[2] || a[3];
    int n = 1;
    for (int i = 0; i < 4; ++i) {
        if (hasMul)
            n = std::max(n, bitsForSigned(m[i]));
        if (hasAdd)
            n = std::max(n, bitsForSigned(a[i]));
    }
    w.ub(hasAdd, 1);
    w.ub(hasMul, 1);
    w.ub(uint32_t(n), 4);
    if (hasMul)
        for (int32_t v : m)
            w.sb(v, n);
    if (hasAdd)
        for (int32_t v : a)
            w.sb(v, n);
    w.align();
}

void writeRgba(BitWriter& w, const swf::Rgba& c)
{
    w.u8(c.r);
    w.u8(c.g);
    w.u8(c.b);
    w.u8(c.a);
}

void writeFilters(BitWriter& w, const std::vector<swf::Filter>& filters)
{
    w.u8(uint8_t(filters.size()));
    for (const swf::Filter& f : filters) {
        w.u8(uint8_t(f.type));
        switch (f.type) {
        case swf::FilterType::Blur:
            w.u32(uint32_t(fixed16(f.blurX)));
            w.u32(uint32_t(fixed16(f.blurY)));
            w.ub(uint32_t(f.passes), 5);
            w.ub(0, 3);
            break;
        case swf::FilterType::DropShadow:
        case swf::FilterType::Glow:
            writeRgba(w, f.color);
            w.u32(uint32_t(fixed16(f.blurX)));
            w.u32(uint32_t(fixed16(f.blurY)));
            if (f.type == swf::FilterType::DropShadow) {
                w.u32(uint32_t(fixed16(f.angle)));
                w.u32(uint32_t(fixed16(f.distance)));
            }
            w.u16(uint16_t(std::lround(f.strength * 256.0)));
            w.ub(f.inner, 1);
            w.ub(f.knockout, 1);
            w.ub(f.compositeSource, 1);
            w.ub(uint32_t(f.passes), 5);
            break;
        default:
            throw std::invalid_argument("filter type not written by templatec");
        }
    }
}

QByteArray tag(int code, const QByteArray& body)
{
    BitWriter w;
    if (body.size() < 63) {
        w.u16(uint16_t(code << 6 | int(body.size())));
    } else {
        w.u16(uint16_t(code << 6 | 0x3f));
        w.u32(uint32_t(body.size()));
    }
    w.bytes(body);
    return w.data();
}

namespace {

void writeFillStyle(BitWriter& w, const swf::FillStyle& f)
{
    w.u8(uint8_t(f.type));
    if (f.type == swf::FillType::Solid) {
        writeRgba(w, f.color);
        return;
    }
    writeMatrix(w, f.matrix);
    w.ub(uint32_t(f.gradient.spread), 2);
    w.ub(f.gradient.linearRgb ? 1 : 0, 2);
    w.ub(uint32_t(f.gradient.stops.size()), 4);
    for (const swf::GradientStop& s : f.gradient.stops) {
        w.u8(s.ratio);
        writeRgba(w, s.color);
    }
}

} // namespace

namespace {

void writeStraightEdge(BitWriter& w, int32_t dx, int32_t dy)
{
    if (dx == 0 && dy == 0)
        return;
    const int nb = std::max({2, bitsForSigned(dx), bitsForSigned(dy)});
    w.ub(1, 1); // edge
    w.ub(1, 1); // straight
    w.ub(uint32_t(nb - 2), 4);
    if (dx != 0 && dy != 0) {
        w.ub(1, 1); // general line
        w.sb(dx, nb);
        w.sb(dy, nb);
    } else {
        w.ub(0, 1);
        w.ub(dx == 0 ? 1 : 0, 1); // vertical
        w.sb(dx == 0 ? dy : dx, nb);
    }
}

} // namespace

QByteArray defineShape3(uint16_t id, const ShapeDef& shape)
{
    std::vector<std::vector<std::pair<int32_t, int32_t>>> pts;
    int32_t x0 = INT32_MAX, y0 = INT32_MAX, x1 = INT32_MIN, y1 = INT32_MIN;
    for (const Contour& c : shape.contours) {
        if (c.points.size() < 3)
            continue;
        std::vector<std::pair<int32_t, int32_t>> q;
        for (const QPointF& p : c.points) {
            const int32_t x = int32_t(std::lround(p.x())), y = int32_t(std::lround(p.y()));
            if (!q.empty() && q.back() == std::make_pair(x, y))
                continue;
            q.emplace_back(x, y);
            x0 = std::min(x0, x);
            y0 = std::min(y0, y);
            x1 = std::max(x1, x);
            y1 = std::max(y1, y);
        }
        if (q.size() >= 3)
            pts.push_back(std::move(q));
    }
    if (pts.empty())
        x0 = y0 = x1 = y1 = 0;
    const int pad = shape.lineWidth / 2;
    BitWriter w;
    w.u16(id);
    writeRect(w, {x0 - pad, x1 + pad, y0 - pad, y1 + pad});
    w.u8(1);
    writeFillStyle(w, shape.fill);
    const bool hasLine = shape.lineWidth > 0;
    w.u8(hasLine ? 1 : 0);
    if (hasLine) {
        w.u16(shape.lineWidth);
        writeRgba(w, shape.lineColor);
    }
    const int fillBits = 1, lineBits = hasLine ? 1 : 0;
    w.ub(fillBits, 4);
    w.ub(uint32_t(lineBits), 4);
    // Which side of each contour is filled: a conforming player reads the
    // style on the right of an edge from FillStyle1 and on the left from
    // FillStyle0. Contours nested an even number of times are filled inside,
    // the others (holes) outside.
    auto area2 = [](const std::vector<std::pair<int32_t, int32_t>>& c) {
        int64_t a = 0;
        for (size_t i = 0; i < c.size(); ++i) {
            const auto& p = c[i];
            const auto& q = c[(i + 1) % c.size()];
            a += int64_t(p.first) * q.second - int64_t(q.first) * p.second;
        }
        return a;
    };
    auto inside = [](const std::pair<int32_t, int32_t>& pt, const std::vector<std::pair<int32_t, int32_t>>& c) {
        bool in = false;
        for (size_t i = 0, j = c.size() - 1; i < c.size(); j = i++) {
            const double xi = c[i].first, yi = c[i].second, xj = c[j].first, yj = c[j].second;
            if ((yi > pt.second) != (yj > pt.second) && pt.first < (xj - xi) * (pt.second - yi) / (yj - yi) + xi)
                in = !in;
        }
        return in;
    };
    bool first = true;
    for (size_t ci = 0; ci < pts.size(); ++ci) {
        const auto& c = pts[ci];
        int depth = 0;
        for (size_t other = 0; other < pts.size(); ++other)
            if (other != ci && inside(c[0], pts[other]))
                ++depth;
        // With y pointing down, a positive area runs clockwise: the inside is
        // on the right of every edge.
        const bool clockwise = area2(c) > 0;
        const bool fillRight = clockwise == (depth % 2 == 0);
        w.ub(0, 1);
        w.ub(0, 1);                // new styles
        w.ub(first && hasLine, 1); // line style
        w.ub(1, 1);                // fill style 1
        w.ub(1, 1);                // fill style 0
        w.ub(1, 1);                // move to
        const int mb = std::max(bitsForSigned(c[0].first), bitsForSigned(c[0].second));
        w.ub(uint32_t(mb), 5);
        w.sb(c[0].first, mb);
        w.sb(c[0].second, mb);
        w.ub(fillRight ? 0 : 1, fillBits); // fill style 0
        w.ub(fillRight ? 1 : 0, fillBits); // fill style 1
        if (first && hasLine)
            w.ub(1, lineBits);
        first = false;
        for (size_t i = 1; i <= c.size(); ++i) {
            const auto& a = c[i - 1];
            const auto& b = c[i % c.size()];
            int32_t dx = b.first - a.first, dy = b.second - a.second;
            if (dx == 0 && dy == 0)
                continue;
            // An edge field holds at most 17 bits: split longer edges.
            const int pieces = int(std::max(std::abs(int64_t(dx)), std::abs(int64_t(dy))) / 65535 + 1);
            int32_t doneX = 0, doneY = 0;
            for (int k = 1; k <= pieces; ++k) {
                const int32_t px = int32_t(int64_t(dx) * k / pieces) - doneX, py = int32_t(int64_t(dy) * k / pieces) - doneY;
                doneX += px;
                doneY += py;
                writeStraightEdge(w, px, py);
            }
        }
    }
    w.ub(0, 6); // end of shape
    return tag(32, w.data());
}

QByteArray placeObject(const swf::PlaceObject& p)
{
    const bool v3 = p.hasFilters || p.hasBlendMode || p.cacheAsBitmap;
    BitWriter w;
    uint8_t f1 = 0;
    if (p.move)
        f1 |= 0x01;
    if (p.hasCharacter)
        f1 |= 0x02;
    if (p.hasMatrix)
        f1 |= 0x04;
    if (p.hasColorTransform)
        f1 |= 0x08;
    if (p.hasRatio)
        f1 |= 0x10;
    if (p.hasName)
        f1 |= 0x20;
    if (p.hasClipDepth)
        f1 |= 0x40;
    w.u8(f1);
    if (v3) {
        uint8_t f2 = 0;
        if (p.hasFilters)
            f2 |= 0x01;
        if (p.hasBlendMode)
            f2 |= 0x02;
        if (p.cacheAsBitmap)
            f2 |= 0x04;
        w.u8(f2);
    }
    w.u16(p.depth);
    if (p.hasCharacter)
        w.u16(p.characterId);
    if (p.hasMatrix)
        writeMatrix(w, p.matrix);
    if (p.hasColorTransform)
        writeColorTransform(w, p.colorTransform);
    if (p.hasRatio)
        w.u16(p.ratio);
    if (p.hasName)
        w.string(p.name);
    if (p.hasClipDepth)
        w.u16(p.clipDepth);
    if (p.hasFilters)
        writeFilters(w, p.filters);
    if (p.hasBlendMode)
        w.u8(uint8_t(p.blendMode == swf::BlendMode::Normal ? 1 : int(p.blendMode)));
    if (p.cacheAsBitmap)
        w.u8(1);
    return tag(v3 ? 70 : 26, w.data());
}

QByteArray removeObject2(uint16_t depth)
{
    BitWriter w;
    w.u16(depth);
    return tag(28, w.data());
}

QByteArray showFrame() { return tag(1, {}); }

QByteArray doAction(const QByteArray& actions)
{
    QByteArray body = actions;
    body.append(char(0));
    return tag(12, body);
}

QByteArray defineSprite(uint16_t id, uint16_t frames, const QByteArray& tags)
{
    BitWriter w;
    w.u16(id);
    w.u16(frames);
    w.bytes(tags);
    w.bytes(tag(0, {}));
    return tag(39, w.data());
}

QByteArray finishMovie(int widthPx, int heightPx, double frameRate, uint16_t frames, const QByteArray& tags)
{
    BitWriter body;
    writeRect(body, {0, widthPx * 20, 0, heightPx * 20});
    body.u16(uint16_t(std::lround(frameRate * 256.0)));
    body.u16(frames);
    body.bytes(tag(69, QByteArray(4, '\0'))); // FileAttributes: no network, no AS3
    body.bytes(tags);
    body.bytes(tag(0, {}));
    const QByteArray& raw = body.data();

    uLongf size = compressBound(uLong(raw.size()));
    QByteArray packed(qsizetype(size), '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(raw.constData()),
                  uLong(raw.size()), 9) != Z_OK)
        throw std::runtime_error("zlib compression failed");
    packed.resize(qsizetype(size));

    BitWriter out;
    out.bytes("CWS");
    out.u8(8);
    out.u32(uint32_t(raw.size() + 8));
    out.bytes(packed);
    return out.data();
}

} // namespace fotarel::templatec
