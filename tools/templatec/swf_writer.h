#pragma once

// Writes SWF 8 movies: records and tags as the published SWF file format
// specification lays them out. The record types are the player's own
// (swf/records.h), so what this writer emits is what the reader returns.

#include "swf/records.h"

#include <QByteArray>
#include <QPointF>
#include <QString>

#include <cstdint>
#include <vector>

namespace fotarel::templatec {

// Bits, most significant first, then whole bytes (little-endian).
class BitWriter {
public:
    void ub(uint32_t value, int bits);
    void sb(int32_t value, int bits);
    void align();
    void u8(uint8_t v);
    void u16(uint16_t v);
    void u32(uint32_t v);
    void bytes(const QByteArray& b);
    void string(const QString& s); // UTF-8, zero-terminated
    const QByteArray& data();

private:
    QByteArray data_;
    uint8_t acc_ = 0;
    int used_ = 0;
};

int bitsForSigned(int32_t v);   // bits of a signed field that holds v
int bitsForUnsigned(uint32_t v);

void writeRect(BitWriter& w, const swf::Rect& r);      // twips
void writeMatrix(BitWriter& w, const swf::Matrix& m);  // a..d as factors, tx/ty in twips
void writeColorTransform(BitWriter& w, const swf::ColorTransform& c); // with alpha
void writeRgba(BitWriter& w, const swf::Rgba& c);
void writeFilters(BitWriter& w, const std::vector<swf::Filter>& filters);

// One closed contour of a shape, in twips.
struct Contour {
    std::vector<QPointF> points;
};

// A shape of one fill style made of closed straight-edged contours (even-odd).
struct ShapeDef {
    swf::FillStyle fill;
    std::vector<Contour> contours;
    uint16_t lineWidth = 0; // twips; 0 = no outline
    swf::Rgba lineColor;
};

QByteArray tag(int code, const QByteArray& body);
QByteArray defineShape3(uint16_t id, const ShapeDef& shape);
QByteArray placeObject(const swf::PlaceObject& p); // PlaceObject2, or PlaceObject3 with filters/blend
QByteArray removeObject2(uint16_t depth);
QByteArray showFrame();
QByteArray doAction(const QByteArray& actions); // actions without the end byte
QByteArray defineSprite(uint16_t id, uint16_t frames, const QByteArray& tags);

// The whole movie, CWS-compressed, version 8.
QByteArray finishMovie(int widthPx, int heightPx, double frameRate, uint16_t frames, const QByteArray& tags);

} // namespace fotarel::templatec
