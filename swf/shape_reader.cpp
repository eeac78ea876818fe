#include "swf/shape_reader.h"

#include "swf/movie.h"
#include "swf/shape_paths.h"

namespace fotarel::swf {

Rect readRect(BitReader& r)
{
    r.align();
    const int n = int(r.ub(5));
    Rect out;
    out.xMin = r.sb(n);
    out.xMax = r.sb(n);
    out.yMin = r.sb(n);
    out.yMax = r.sb(n);
    r.align();
    return out;
}

Rgba readRgb(BitReader& r)
{
    Rgba c;
    c.r = r.u8();
    c.g = r.u8();
    c.b = r.u8();
    return c;
}

Rgba readRgba(BitReader& r)
{
    Rgba c = readRgb(r);
    c.a = r.u8();
    return c;
}

Matrix readMatrix(BitReader& r)
{
    r.align();
    Matrix m;
    if (r.flag()) {
        const int n = int(r.ub(5));
        m.a = r.fb(n);
        m.d = r.fb(n);
    }
    if (r.flag()) {
        const int n = int(r.ub(5));
        m.b = r.fb(n);
        m.c = r.fb(n);
    }
    const int n = int(r.ub(5));
    m.tx = r.sb(n);
    m.ty = r.sb(n);
    r.align();
    return m;
}

ColorTransform readColorTransform(BitReader& r, bool withAlpha)
{
    r.align();
    ColorTransform cx;
    const bool hasAdd = r.flag();
    const bool hasMul = r.flag();
    const int n = int(r.ub(4));
    if (hasMul) {
        cx.rMul = r.sb(n) / 256.f;
        cx.gMul = r.sb(n) / 256.f;
        cx.bMul = r.sb(n) / 256.f;
        if (withAlpha)
            cx.aMul = r.sb(n) / 256.f;
    }
    if (hasAdd) {
        cx.rAdd = float(r.sb(n));
        cx.gAdd = float(r.sb(n));
        cx.bAdd = float(r.sb(n));
        if (withAlpha)
            cx.aAdd = float(r.sb(n));
    }
    r.align();
    return cx;
}

namespace {

// Inner, knockout, composite source, on top and four bits of passes.
void readBevelFlags(BitReader& r, Filter& f)
{
    f.inner = r.flag();
    f.knockout = r.flag();
    f.compositeSource = r.flag();
    f.onTop = r.flag();
    f.passes = int(r.ub(4));
}

} // namespace

std::vector<Filter> readFilters(BitReader& r)
{
    std::vector<Filter> out;
    const int n = r.u8();
    for (int i = 0; i < n && !r.overrun(); ++i) {
        Filter f;
        f.type = FilterType(r.u8());
        switch (f.type) {
        case FilterType::DropShadow:
            f.color = readRgba(r);
            f.blurX = r.fixed16();
            f.blurY = r.fixed16();
            f.angle = r.fixed16();
            f.distance = r.fixed16();
            f.strength = r.fixed8();
            f.inner = r.flag();
            f.knockout = r.flag();
            f.compositeSource = r.flag();
            f.passes = int(r.ub(5));
            break;
        case FilterType::Blur:
            f.blurX = r.fixed16();
            f.blurY = r.fixed16();
            f.passes = int(r.ub(5));
            r.ub(3);
            break;
        case FilterType::Glow:
            f.color = readRgba(r);
            f.blurX = r.fixed16();
            f.blurY = r.fixed16();
            f.strength = r.fixed8();
            f.inner = r.flag();
            f.knockout = r.flag();
            f.compositeSource = r.flag();
            f.passes = int(r.ub(5));
            break;
        case FilterType::Bevel:
            // The file gives the highlight first, then the shadow (the
            // published field names have them the other way round; the
            // Flash Player lights the side the first colour is drawn on).
            f.highlight = readRgba(r);
            f.color = readRgba(r);
            f.blurX = r.fixed16();
            f.blurY = r.fixed16();
            f.angle = r.fixed16();
            f.distance = r.fixed16();
            f.strength = r.fixed8();
            readBevelFlags(r, f);
            break;
        case FilterType::GradientGlow:
        case FilterType::GradientBevel: {
            const int colours = r.u8();
            f.gradient.resize(size_t(colours));
            for (GradientStop& g : f.gradient)
                g.color = readRgba(r);
            for (GradientStop& g : f.gradient)
                g.ratio = r.u8();
            if (!f.gradient.empty())
                f.color = f.gradient.back().color;
            f.blurX = r.fixed16();
            f.blurY = r.fixed16();
            f.angle = r.fixed16();
            f.distance = r.fixed16();
            f.strength = r.fixed8();
            readBevelFlags(r, f);
            break;
        }
        case FilterType::Convolution: {
            f.matrixX = r.u8();
            f.matrixY = r.u8();
            f.divisor = r.f32();
            f.bias = r.f32();
            // At most 255 × 255 values, read only while the tag lasts.
            const qint64 cells = qint64(f.matrixX) * f.matrixY;
            if (cells * 4 > r.remaining()) {
                r.skip(r.remaining());
                return out;
            }
            f.kernel.resize(size_t(cells));
            for (float& v : f.kernel)
                v = r.f32();
            f.color = readRgba(r);
            r.ub(6);
            f.clamp = r.flag();
            f.preserveAlpha = r.flag();
            break;
        }
        case FilterType::ColorMatrix:
            for (float& v : f.matrix)
                v = r.f32();
            break;
        default:
            r.skip(r.remaining()); // unknown filter: its length is unknown
            return out;
        }
        if (f.passes < 1)
            f.passes = 1;
        out.push_back(f);
    }
    return out;
}

namespace {

void readGradient(BitReader& r, Gradient& g, bool rgba, bool focal)
{
    r.align();
    g.spread = Spread(std::min<uint32_t>(r.ub(2), 2));
    g.linearRgb = r.ub(2) == 1;
    const int n = int(r.ub(4));
    for (int i = 0; i < n; ++i) {
        GradientStop s;
        s.ratio = r.u8();
        s.color = rgba ? readRgba(r) : readRgb(r);
        g.stops.push_back(s);
    }
    if (focal)
        g.focal = std::clamp(r.fixed8(), -1.0, 1.0);
}

FillStyle readFillStyle(BitReader& r, int version)
{
    FillStyle f;
    const uint8_t type = r.u8();
    const bool rgba = version >= 3;
    if (type == 0x00) {
        f.color = rgba ? readRgba(r) : readRgb(r);
    } else if (type == 0x10 || type == 0x12 || type == 0x13) {
        f.type = FillType(type);
        f.matrix = readMatrix(r);
        readGradient(r, f.gradient, rgba, type == 0x13);
    } else if (type >= 0x40 && type <= 0x43) {
        f.type = FillType(type);
        f.bitmapId = r.u16();
        f.matrix = readMatrix(r);
    } else {
        // Unknown fill type: painted as transparent so the shape still draws.
        f.color = Rgba{0, 0, 0, 0};
    }
    return f;
}

int readCount(BitReader& r, int version)
{
    int n = r.u8();
    if (n == 0xff && version >= 2)
        n = r.u16();
    return n;
}

LineStyle readLineStyle(BitReader& r, int version)
{
    LineStyle l;
    l.width = r.u16();
    if (version < 4) {
        l.color = version >= 3 ? readRgba(r) : readRgb(r);
        return l;
    }
    l.startCap = Cap(std::min<uint32_t>(r.ub(2), 2));
    l.join = Join(std::min<uint32_t>(r.ub(2), 2));
    l.hasFill = r.flag();
    l.noHScale = r.flag();
    l.noVScale = r.flag();
    l.pixelHinting = r.flag();
    r.ub(5);
    l.noClose = r.flag();
    l.endCap = Cap(std::min<uint32_t>(r.ub(2), 2));
    if (l.join == Join::Miter)
        l.miterLimit = r.fixed8();
    if (l.hasFill)
        l.fill = readFillStyle(r, version);
    else
        l.color = readRgba(r);
    return l;
}

bool readStyles(BitReader& r, int version, ShapeData& s)
{
    const int nf = readCount(r, version);
    const int firstFill = int(s.fills.size());
    for (int i = 0; i < nf && !r.overrun(); ++i)
        s.fills.push_back(readFillStyle(r, version));
    const int nl = readCount(r, version);
    const int firstLine = int(s.lines.size());
    for (int i = 0; i < nl && !r.overrun(); ++i)
        s.lines.push_back(readLineStyle(r, version));
    s.groupFills.emplace_back(firstFill, int(s.fills.size()));
    s.groupLines.emplace_back(firstLine, int(s.lines.size()));
    return !r.overrun();
}

// Reads shape records into edges. Style indices in the file are 1-based and
// local to the current style set; they become indices into s.fills/s.lines.
void readRecords(BitReader& r, int version, ShapeData& s, bool withStyles, QString* why)
{
    int fillBits = int(r.ub(4)), lineBits = int(r.ub(4));
    int group = int(s.groupFills.size()) - 1;
    if (group < 0) {
        s.groupFills.emplace_back(0, int(s.fills.size()));
        s.groupLines.emplace_back(0, int(s.lines.size()));
        group = 0;
    }
    QPointF pen(0, 0);
    int fill0 = -1, fill1 = -1, line = -1;
    auto resolve = [&](uint32_t index, const std::pair<int, int>& range) {
        if (index == 0)
            return -1;
        const int g = range.first + int(index) - 1;
        return g < range.second ? g : -1;
    };
    while (true) {
        if (r.overrun()) {
            if (why)
                *why = QStringLiteral("shape records truncated");
            return;
        }
        if (int(s.edges.size()) >= limits::kMaxEdgesPerShape) {
            if (why)
                *why = QStringLiteral("too many edges; rest dropped");
            return;
        }
        if (!r.flag()) {
            const uint32_t flags = r.ub(5);
            if (flags == 0)
                return;
            if (flags & 0x01) {
                const int n = int(r.ub(5));
                const int x = r.sb(n), y = r.sb(n);
                pen = QPointF(x, y);
            }
            if (flags & 0x02)
                fill0 = resolve(r.ub(fillBits), s.groupFills[size_t(group)]);
            if (flags & 0x04)
                fill1 = resolve(r.ub(fillBits), s.groupFills[size_t(group)]);
            if (flags & 0x08)
                line = resolve(r.ub(lineBits), s.groupLines[size_t(group)]);
            if (flags & 0x10) {
                if (!withStyles || version < 2) {
                    if (why)
                        *why = QStringLiteral("new styles where none are allowed");
                    return;
                }
                r.align();
                readStyles(r, version, s);
                group = int(s.groupFills.size()) - 1;
                fillBits = int(r.ub(4));
                lineBits = int(r.ub(4));
                fill0 = fill1 = line = -1;
            }
            continue;
        }
        Edge e;
        e.from = pen;
        e.fill0 = fill0;
        e.fill1 = fill1;
        e.line = line;
        if (r.flag()) { // straight
            const int n = int(r.ub(4)) + 2;
            int dx = 0, dy = 0;
            if (r.flag()) {
                dx = r.sb(n);
                dy = r.sb(n);
            } else if (r.flag()) {
                dy = r.sb(n);
            } else {
                dx = r.sb(n);
            }
            e.to = pen + QPointF(dx, dy);
            e.control = e.from;
        } else {
            const int n = int(r.ub(4)) + 2;
            const int cx = r.sb(n), cy = r.sb(n), ax = r.sb(n), ay = r.sb(n);
            e.control = pen + QPointF(cx, cy);
            e.to = e.control + QPointF(ax, ay);
            e.curve = true;
        }
        pen = e.to;
        s.edges.push_back(e);
        s.edgeGroup.push_back(group);
    }
}

} // namespace

ShapeData readShape(BitReader& r, int version, QString* why)
{
    ShapeData s;
    s.bounds = readRect(r);
    if (version == 4) {
        readRect(r); // edge bounds
        // Reserved bits, then the fill winding rule and two stroke scaling flags.
        s.nonZeroWinding = (r.u8() & 0x04) != 0;
    }
    readStyles(r, version, s);
    r.align();
    readRecords(r, version, s, true, why);
    return s;
}

QPainterPath readGlyph(BitReader& r, int version)
{
    ShapeData s;
    s.fills.push_back(FillStyle{});
    s.groupFills.emplace_back(0, 1);
    s.groupLines.emplace_back(0, 0);
    readRecords(r, version, s, false, nullptr);
    // Glyph edges may name fill 0 or fill 1; every edge bounds the glyph.
    for (Edge& e : s.edges) {
        if (e.fill0 < 0 && e.fill1 < 0)
            e.fill1 = 0;
    }
    QPainterPath p = fillPath(s.edges, 0, 0, int(s.edges.size()));
    return p;
}

namespace {

FillStyle readMorphFill(BitReader& r, FillStyle& end)
{
    FillStyle f;
    const uint8_t type = r.u8();
    end = FillStyle{};
    if (type == 0x00) {
        f.color = readRgba(r);
        end.color = readRgba(r);
    } else if (type == 0x10 || type == 0x12 || type == 0x13) {
        f.type = end.type = FillType(type);
        f.matrix = readMatrix(r);
        end.matrix = readMatrix(r);
        r.align();
        const uint8_t head = r.u8();
        f.gradient.spread = end.gradient.spread = Spread(std::min(head >> 6, 2));
        f.gradient.linearRgb = end.gradient.linearRgb = ((head >> 4) & 3) == 1;
        const int n = head & 0x0f;
        for (int i = 0; i < n; ++i) {
            GradientStop a, b;
            a.ratio = r.u8();
            a.color = readRgba(r);
            b.ratio = r.u8();
            b.color = readRgba(r);
            f.gradient.stops.push_back(a);
            end.gradient.stops.push_back(b);
        }
        if (type == 0x13) {
            f.gradient.focal = std::clamp(r.fixed8(), -1.0, 1.0);
            end.gradient.focal = std::clamp(r.fixed8(), -1.0, 1.0);
        }
    } else if (type >= 0x40 && type <= 0x43) {
        f.type = end.type = FillType(type);
        f.bitmapId = end.bitmapId = r.u16();
        f.matrix = readMatrix(r);
        end.matrix = readMatrix(r);
    } else {
        f.color = end.color = Rgba{0, 0, 0, 0};
    }
    return f;
}

} // namespace

MorphShapeData readMorphShape(BitReader& r, int version, QString* why)
{
    MorphShapeData m;
    m.startBounds = readRect(r);
    m.endBounds = readRect(r);
    if (version == 2) {
        readRect(r);
        readRect(r);
        r.u8();
    }
    const quint32 offset = r.u32();
    const qint64 endEdgesAt = r.pos() + offset;
    ShapeData& s = m.start;
    s.bounds = m.startBounds;
    const int nf = readCount(r, 2);
    for (int i = 0; i < nf && !r.overrun(); ++i) {
        FillStyle end;
        s.fills.push_back(readMorphFill(r, end));
        m.endFills.push_back(end);
    }
    const int nl = readCount(r, 2);
    for (int i = 0; i < nl && !r.overrun(); ++i) {
        LineStyle a, b;
        a.width = r.u16();
        b.width = r.u16();
        if (version == 2) {
            a.startCap = Cap(std::min<uint32_t>(r.ub(2), 2));
            a.join = Join(std::min<uint32_t>(r.ub(2), 2));
            a.hasFill = r.flag();
            r.ub(8);
            a.noClose = r.flag();
            a.endCap = Cap(std::min<uint32_t>(r.ub(2), 2));
            if (a.join == Join::Miter)
                a.miterLimit = r.fixed8();
            if (a.hasFill) {
                a.fill = readMorphFill(r, b.fill);
            } else {
                a.color = readRgba(r);
                b.color = readRgba(r);
            }
            b.startCap = a.startCap;
            b.endCap = a.endCap;
            b.join = a.join;
            b.miterLimit = a.miterLimit;
            b.hasFill = a.hasFill;
            b.noClose = a.noClose;
        } else {
            a.color = readRgba(r);
            b.color = readRgba(r);
        }
        s.lines.push_back(a);
        m.endLines.push_back(b);
    }
    s.groupFills.emplace_back(0, int(s.fills.size()));
    s.groupLines.emplace_back(0, int(s.lines.size()));
    r.align();
    readRecords(r, 3, s, false, why);
    r.seek(endEdgesAt);
    ShapeData e;
    e.groupFills.emplace_back(0, 0);
    e.groupLines.emplace_back(0, 0);
    r.align();
    readRecords(r, 3, e, false, nullptr);
    m.endEdges = std::move(e.edges);
    if (m.endEdges.size() != s.edges.size()) {
        if (why && why->isEmpty())
            *why = QStringLiteral("start and end edges differ in number; start shape kept");
        m.endEdges = s.edges;
    }
    return m;
}

} // namespace fotarel::swf
