#pragma once

#include "swf/bit_reader.h"
#include "swf/records.h"

#include <QPainterPath>

namespace fotarel::swf {

Rect readRect(BitReader& r);
Rgba readRgb(BitReader& r);
Rgba readRgba(BitReader& r);
Matrix readMatrix(BitReader& r);
ColorTransform readColorTransform(BitReader& r, bool withAlpha);
std::vector<Filter> readFilters(BitReader& r);

// DefineShape body after the character id; `shapeVersion` 1..4. Problems
// leave a partial shape and a message in `why`.
ShapeData readShape(BitReader& r, int shapeVersion, QString* why);
MorphShapeData readMorphShape(BitReader& r, int morphVersion, QString* why);
// A font glyph (SHAPE without styles; fill style 1 is the glyph).
QPainterPath readGlyph(BitReader& r, int shapeVersion);

} // namespace fotarel::swf
