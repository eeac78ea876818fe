#pragma once

// Builds SWF bytes by hand, field by field as the published SWF file format
// lays them out, for tests and benchmarks. Independent of the player's reader.

#include <QByteArray>

#include <cstdint>
#include <vector>

namespace swftest {

class Bits {
public:
    void ub(uint32_t v, int n);
    void sb(int32_t v, int n) { ub(uint32_t(v) & (n == 32 ? 0xffffffffu : ((1u << n) - 1)), n); }
    void flag(bool v) { ub(v ? 1 : 0, 1); }
    void align();
    void u8(int v);
    void u16(int v);
    void u32(uint32_t v);
    void bytes(const QByteArray& b);
    void string(const char* s);
    // Fixed-point 16.16 with `n` bits.
    void fb(double v, int n) { sb(int32_t(v * 65536.0), n); }
    QByteArray data();

private:
    QByteArray out_;
    uint8_t cur_ = 0;
    int used_ = 0;
};

// Bits a signed value needs (at least 1).
int sbits(int32_t v);
int sbitsAll(std::initializer_list<int32_t> vs);

QByteArray rect(int xMin, int xMax, int yMin, int yMax);
// Twips translation, optional scale and rotate/skew terms.
QByteArray matrix(double a = 1, double b = 0, double c = 0, double d = 1, int tx = 0, int ty = 0);
QByteArray cxformAlpha(const int mul[4], const int add[4]);

// Shape records.
class ShapeWriter {
public:
    ShapeWriter(int fillBits, int lineBits) : fillBits_(fillBits), lineBits_(lineBits)
    {
        b_.ub(uint32_t(fillBits), 4);
        b_.ub(uint32_t(lineBits), 4);
    }
    // State change; -1 leaves a field unchanged. moveTo absolute twips.
    ShapeWriter& change(int fill0, int fill1, int line, bool move = false, int x = 0, int y = 0);
    ShapeWriter& line(int dx, int dy);
    ShapeWriter& curve(int cx, int cy, int ax, int ay);
    // A new style set (DefineShape2+): raw style arrays and new bit counts.
    ShapeWriter& newStyles(const QByteArray& fillArray, const QByteArray& lineArray, int fillBits, int lineBits);
    QByteArray finish();
    Bits& bits() { return b_; }

private:
    Bits b_;
    int fillBits_, lineBits_;
};

QByteArray solidFill(uint8_t r, uint8_t g, uint8_t b, uint8_t a, bool rgba);
// Fill style array with the given styles (already encoded).
QByteArray fillArray(const std::vector<QByteArray>& styles);
QByteArray lineArray(const std::vector<QByteArray>& styles);
// Gradient fill (0x10 linear, 0x12 radial, 0x13 focal) with RGBA stops.
struct Stop {
    int ratio;
    uint8_t r, g, b, a;
};
QByteArray gradientFill(int type, const QByteArray& matrixBytes, const std::vector<Stop>& stops, int spread = 0,
                        int interpolation = 0, double focal = 0);
QByteArray bitmapFill(int type, int bitmapId, const QByteArray& matrixBytes);

// DefineShape body of a rectangle filled with style 1 on its right side
// (drawn clockwise in screen coordinates).
QByteArray rectShape(int id, int version, const QByteArray& fill, int x0, int y0, int x1, int y1);

// A whole movie: a white stage and a rectangle of one solid colour (twips)
// placed with the given FILTERLIST bytes.
QByteArray filteredRectMovie(uint8_t r, uint8_t g, uint8_t b, int x0, int y0, int x1, int y1,
                             const QByteArray& filterBytes);

// PlaceObject2 body.
struct Place {
    int depth = 1;
    int characterId = -1;  // -1: none
    bool move = false;
    bool hasMatrix = false;
    QByteArray matrixBytes;
    bool hasCx = false;
    int mul[4] = {256, 256, 256, 256};
    int add[4] = {0, 0, 0, 0};
    int ratio = -1;
    const char* name = nullptr;
    int clipDepth = -1;
};
QByteArray placeObject2(const Place& p);

class Movie {
public:
    int version = 8;
    int width = 100, height = 100; // pixels
    int fps = 25;
    void tag(int code, const QByteArray& body);
    void showFrame() { tag(1, {}); }
    // Whole file; 'F' plain, 'C' zlib, 'Z' LZMA.
    QByteArray finish(char signature = 'F') const;
    const QByteArray& tags() const { return tags_; }
    int frames() const { return frames_; }
    static QByteArray encodeTag(int code, const QByteArray& body);

private:
    QByteArray tags_;
    int frames_ = 0;
};

// DefineSprite body: `frames` frames of the given control tags.
QByteArray defineSprite(int id, int frames, const QByteArray& tags);
// DefineSprite body of a movie's frames (its tags and frame count).
QByteArray defineSprite(int id, const Movie& frames);

// Action records (DoAction bodies), after the published action formats.
class Actions {
public:
    Actions& push(const char* s);
    Actions& push(int v);
    Actions& op(int code); // a one-byte action without data
    Actions& getUrl(const char* url, const char* target);
    Actions& getUrl2(int flags);
    Actions& jumpIf(int offset); // ActionIf: skips `offset` bytes when true
    Actions& gotoFrame(int frame);
    int size() const { return int(b_.size()); }
    QByteArray finish() const { return b_ + QByteArray(1, '\0'); }

private:
    QByteArray b_;
};

// Action records that trace `text` (a DoAction body or a clip event handler).
QByteArray traceScript(const char* text);

// DefineBitsLossless2 body of a 32-bit bitmap (premultiplied ARGB pixels).
QByteArray lossless2(int id, int w, int h, const std::vector<uint32_t>& argb);
QByteArray zlib(const QByteArray& raw);

} // namespace swftest
