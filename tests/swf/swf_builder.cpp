#include "swf_builder.h"

#include <lzma.h>
#include <zlib.h>

#include <cmath>
#include <stdexcept>

namespace swftest {

void Bits::ub(uint32_t v, int n)
{
    for (int i = n - 1; i >= 0; --i) {
        cur_ = uint8_t((cur_ << 1) | ((v >> i) & 1u));
        if (++used_ == 8) {
            out_.append(char(cur_));
            cur_ = 0;
            used_ = 0;
        }
    }
}

void Bits::align()
{
    if (used_ > 0) {
        cur_ = uint8_t(cur_ << (8 - used_));
        out_.append(char(cur_));
        cur_ = 0;
        used_ = 0;
    }
}

void Bits::u8(int v)
{
    align();
    out_.append(char(v & 0xff));
}
void Bits::u16(int v)
{
    u8(v);
    u8(v >> 8);
}
void Bits::u32(uint32_t v)
{
    u16(int(v & 0xffff));
    u16(int(v >> 16));
}
void Bits::bytes(const QByteArray& b)
{
    align();
    out_.append(b);
}
void Bits::string(const char* s)
{
    align();
    out_.append(s);
    out_.append('\0');
}
QByteArray Bits::data()
{
    align();
    return out_;
}

int sbits(int32_t v)
{
    int n = 1;
    while (n < 32 && (v < -(int64_t(1) << (n - 1)) || v >= (int64_t(1) << (n - 1))))
        ++n;
    return n;
}

int sbitsAll(std::initializer_list<int32_t> vs)
{
    int n = 1;
    for (int32_t v : vs)
        n = std::max(n, sbits(v));
    return n;
}

QByteArray rect(int xMin, int xMax, int yMin, int yMax)
{
    Bits b;
    const int n = sbitsAll({xMin, xMax, yMin, yMax});
    b.ub(uint32_t(n), 5);
    b.sb(xMin, n);
    b.sb(xMax, n);
    b.sb(yMin, n);
    b.sb(yMax, n);
    return b.data();
}

QByteArray matrix(double a, double b, double c, double d, int tx, int ty)
{
    Bits w;
    const auto fx = [](double v) { return int32_t(std::lround(v * 65536.0)); };
    const bool scale = a != 1 || d != 1;
    w.flag(scale);
    if (scale) {
        const int n = sbitsAll({fx(a), fx(d)});
        w.ub(uint32_t(n), 5);
        w.sb(fx(a), n);
        w.sb(fx(d), n);
    }
    const bool rotate = b != 0 || c != 0;
    w.flag(rotate);
    if (rotate) {
        const int n = sbitsAll({fx(b), fx(c)});
        w.ub(uint32_t(n), 5);
        w.sb(fx(b), n);
        w.sb(fx(c), n);
    }
    const int n = (tx == 0 && ty == 0) ? 0 : sbitsAll({tx, ty});
    w.ub(uint32_t(n), 5);
    if (n) {
        w.sb(tx, n);
        w.sb(ty, n);
    }
    return w.data();
}

QByteArray cxformAlpha(const int mul[4], const int add[4])
{
    Bits b;
    b.flag(true);
    b.flag(true);
    const int n = sbitsAll({mul[0], mul[1], mul[2], mul[3], add[0], add[1], add[2], add[3]});
    b.ub(uint32_t(n), 4);
    for (int i = 0; i < 4; ++i)
        b.sb(mul[i], n);
    for (int i = 0; i < 4; ++i)
        b.sb(add[i], n);
    return b.data();
}

ShapeWriter& ShapeWriter::change(int fill0, int fill1, int line, bool move, int x, int y)
{
    b_.ub(0, 1);
    b_.flag(false); // new styles
    b_.flag(line >= 0);
    b_.flag(fill1 >= 0);
    b_.flag(fill0 >= 0);
    b_.flag(move);
    if (move) {
        const int n = sbitsAll({x, y});
        b_.ub(uint32_t(n), 5);
        b_.sb(x, n);
        b_.sb(y, n);
    }
    if (fill0 >= 0)
        b_.ub(uint32_t(fill0), fillBits_);
    if (fill1 >= 0)
        b_.ub(uint32_t(fill1), fillBits_);
    if (line >= 0)
        b_.ub(uint32_t(line), lineBits_);
    return *this;
}

ShapeWriter& ShapeWriter::newStyles(const QByteArray& fills, const QByteArray& lines, int fillBits, int lineBits)
{
    b_.ub(0, 1);
    b_.flag(true);
    b_.ub(0, 4);
    b_.bytes(fills);
    b_.bytes(lines);
    b_.ub(uint32_t(fillBits), 4);
    b_.ub(uint32_t(lineBits), 4);
    fillBits_ = fillBits;
    lineBits_ = lineBits;
    return *this;
}

ShapeWriter& ShapeWriter::line(int dx, int dy)
{
    const int n = std::max(2, sbitsAll({dx, dy}));
    b_.ub(1, 1);
    b_.ub(1, 1);
    b_.ub(uint32_t(n - 2), 4);
    if (dx != 0 && dy != 0) {
        b_.flag(true);
        b_.sb(dx, n);
        b_.sb(dy, n);
    } else {
        b_.flag(false);
        b_.flag(dx == 0); // vertical
        b_.sb(dx == 0 ? dy : dx, n);
    }
    return *this;
}

ShapeWriter& ShapeWriter::curve(int cx, int cy, int ax, int ay)
{
    const int n = std::max(2, sbitsAll({cx, cy, ax, ay}));
    b_.ub(1, 1);
    b_.ub(0, 1);
    b_.ub(uint32_t(n - 2), 4);
    b_.sb(cx, n);
    b_.sb(cy, n);
    b_.sb(ax, n);
    b_.sb(ay, n);
    return *this;
}

QByteArray ShapeWriter::finish()
{
    b_.ub(0, 6);
    return b_.data();
}

QByteArray solidFill(uint8_t r, uint8_t g, uint8_t b, uint8_t a, bool rgba)
{
    QByteArray o;
    o.append(char(0));
    o.append(char(r));
    o.append(char(g));
    o.append(char(b));
    if (rgba)
        o.append(char(a));
    return o;
}

QByteArray fillArray(const std::vector<QByteArray>& styles)
{
    QByteArray o;
    o.append(char(styles.size()));
    for (const QByteArray& s : styles)
        o.append(s);
    return o;
}

QByteArray lineArray(const std::vector<QByteArray>& styles) { return fillArray(styles); }

QByteArray gradientFill(int type, const QByteArray& m, const std::vector<Stop>& stops, int spread, int interpolation,
                        double focal)
{
    Bits b;
    b.u8(type);
    b.bytes(m);
    b.ub(uint32_t(spread), 2);
    b.ub(uint32_t(interpolation), 2);
    b.ub(uint32_t(stops.size()), 4);
    for (const Stop& s : stops) {
        b.u8(s.ratio);
        b.u8(s.r);
        b.u8(s.g);
        b.u8(s.b);
        b.u8(s.a);
    }
    if (type == 0x13)
        b.u16(int(std::lround(focal * 256)) & 0xffff);
    return b.data();
}

QByteArray bitmapFill(int type, int bitmapId, const QByteArray& m)
{
    Bits b;
    b.u8(type);
    b.u16(bitmapId);
    b.bytes(m);
    return b.data();
}

QByteArray rectShape(int id, int version, const QByteArray& fill, int x0, int y0, int x1, int y1)
{
    Bits b;
    b.u16(id);
    b.bytes(rect(x0, x1, y0, y1));
    b.bytes(fillArray({fill}));
    b.u8(0); // no line styles
    ShapeWriter s(1, 0);
    s.change(-1, 1, -1, true, x0, y0).line(x1 - x0, 0).line(0, y1 - y0).line(x0 - x1, 0).line(0, y0 - y1);
    b.bytes(s.finish());
    (void)version;
    return b.data();
}

QByteArray placeObject2(const Place& p)
{
    Bits b;
    int flags = 0;
    if (p.move)
        flags |= 0x01;
    if (p.characterId >= 0)
        flags |= 0x02;
    if (p.hasMatrix)
        flags |= 0x04;
    if (p.hasCx)
        flags |= 0x08;
    if (p.ratio >= 0)
        flags |= 0x10;
    if (p.name)
        flags |= 0x20;
    if (p.clipDepth >= 0)
        flags |= 0x40;
    b.u8(flags);
    b.u16(p.depth);
    if (p.characterId >= 0)
        b.u16(p.characterId);
    if (p.hasMatrix)
        b.bytes(p.matrixBytes);
    if (p.hasCx)
        b.bytes(cxformAlpha(p.mul, p.add));
    if (p.ratio >= 0)
        b.u16(p.ratio);
    if (p.name)
        b.string(p.name);
    if (p.clipDepth >= 0)
        b.u16(p.clipDepth);
    return b.data();
}

QByteArray Movie::encodeTag(int code, const QByteArray& body)
{
    Bits b;
    if (body.size() < 0x3f) {
        b.u16((code << 6) | int(body.size()));
    } else {
        b.u16((code << 6) | 0x3f);
        b.u32(uint32_t(body.size()));
    }
    b.bytes(body);
    return b.data();
}

void Movie::tag(int code, const QByteArray& body)
{
    tags_.append(encodeTag(code, body));
    if (code == 1)
        ++frames_;
}

QByteArray defineSprite(int id, int frames, const QByteArray& tags)
{
    Bits b;
    b.u16(id);
    b.u16(frames);
    b.bytes(tags);
    b.bytes(Movie::encodeTag(0, {}));
    return b.data();
}

QByteArray defineSprite(int id, const Movie& frames) { return defineSprite(id, frames.frames(), frames.tags()); }

QByteArray traceScript(const char* text)
{
    Actions a;
    a.push(text).op(0x26);
    return a.finish();
}

QByteArray zlib(const QByteArray& raw)
{
    uLongf len = compressBound(uLong(raw.size()));
    QByteArray out(int(len), '\0');
    compress(reinterpret_cast<Bytef*>(out.data()), &len, reinterpret_cast<const Bytef*>(raw.constData()), uLong(raw.size()));
    out.resize(int(len));
    return out;
}

QByteArray Movie::finish(char signature) const
{
    Bits body;
    body.bytes(rect(0, width * 20, 0, height * 20));
    body.u16(fps << 8);
    body.u16(frames_);
    body.bytes(tags_);
    body.bytes(encodeTag(0, {}));
    const QByteArray rest = body.data();
    Bits head;
    head.u8(signature);
    head.u8('W');
    head.u8('S');
    head.u8(version);
    head.u32(uint32_t(rest.size() + 8));
    QByteArray file = head.data();
    if (signature == 'F')
        return file + rest;
    if (signature == 'C')
        return file + zlib(rest);
    // LZMA: compressed length, 5 property bytes, raw stream without the
    // 8-byte size of the .lzma header.
    lzma_options_lzma opt;
    lzma_lzma_preset(&opt, 6);
    lzma_stream ls = LZMA_STREAM_INIT;
    if (lzma_alone_encoder(&ls, &opt) != LZMA_OK)
        throw std::runtime_error("lzma");
    QByteArray out(int(rest.size() + 1024), '\0');
    ls.next_in = reinterpret_cast<const uint8_t*>(rest.constData());
    ls.avail_in = size_t(rest.size());
    ls.next_out = reinterpret_cast<uint8_t*>(out.data());
    ls.avail_out = size_t(out.size());
    while (lzma_code(&ls, LZMA_FINISH) == LZMA_OK) {
    }
    out.resize(int(ls.total_out));
    lzma_end(&ls);
    Bits z;
    z.u32(uint32_t(out.size() - 13));
    return file + z.data() + out.left(5) + out.mid(13);
}

namespace {
QByteArray actionRecord(int code, const QByteArray& data)
{
    QByteArray o;
    o.append(char(code));
    o.append(char(data.size() & 0xff));
    o.append(char(data.size() >> 8));
    return o + data;
}
} // namespace

Actions& Actions::push(const char* s)
{
    QByteArray d;
    d.append('\0');
    d.append(s);
    d.append('\0');
    b_ += actionRecord(0x96, d);
    return *this;
}

Actions& Actions::push(int v)
{
    Bits d;
    d.u8(7);
    d.u32(uint32_t(v));
    b_ += actionRecord(0x96, d.data());
    return *this;
}

Actions& Actions::op(int code)
{
    b_.append(char(code));
    return *this;
}

Actions& Actions::getUrl(const char* url, const char* target)
{
    QByteArray d(url);
    d.append('\0');
    d.append(target);
    d.append('\0');
    b_ += actionRecord(0x83, d);
    return *this;
}

Actions& Actions::getUrl2(int flags)
{
    b_ += actionRecord(0x9a, QByteArray(1, char(flags)));
    return *this;
}

Actions& Actions::jumpIf(int offset)
{
    Bits d;
    d.u16(offset & 0xffff);
    b_ += actionRecord(0x9d, d.data());
    return *this;
}

Actions& Actions::gotoFrame(int frame)
{
    Bits d;
    d.u16(frame);
    b_ += actionRecord(0x81, d.data());
    return *this;
}

QByteArray lossless2(int id, int w, int h, const std::vector<uint32_t>& argb)
{
    QByteArray raw;
    for (uint32_t p : argb) {
        raw.append(char(p >> 24));
        raw.append(char(p >> 16));
        raw.append(char(p >> 8));
        raw.append(char(p));
    }
    Bits b;
    b.u16(id);
    b.u8(5);
    b.u16(w);
    b.u16(h);
    b.bytes(zlib(raw));
    return b.data();
}

QByteArray filteredRectMovie(uint8_t r, uint8_t g, uint8_t b, int x0, int y0, int x1, int y1,
                             const QByteArray& filterBytes)
{
    Movie m;
    m.tag(9, QByteArray("\xff\xff\xff", 3));
    m.tag(2, rectShape(1, 1, solidFill(r, g, b, 255, false), x0, y0, x1, y1));
    Bits place;
    place.u8(0x02 | 0x04); // character, matrix
    place.u8(0x01);        // filters
    place.u16(1);
    place.u16(1);
    place.bytes(matrix());
    place.bytes(filterBytes);
    m.tag(70, place.data());
    m.showFrame();
    return m.finish();
}

} // namespace swftest
