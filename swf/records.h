#pragma once

// Plain record types of the SWF file format, as the reader produces them.
// Coordinates stay in twips (1/20 pixel); nothing here knows about painting.

#include <QByteArray>
#include <QColor>
#include <QPointF>
#include <QString>
#include <QTransform>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace fotarel::swf {

struct Rect {
    int xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    int width() const { return xMax - xMin; }
    int height() const { return yMax - yMin; }
};

struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 255;
    bool operator==(const Rgba&) const = default;
};

// x' = a*x + c*y + tx, y' = b*x + d*y + ty (a = ScaleX, b = RotateSkew0,
// c = RotateSkew1, d = ScaleY); translation in twips.
struct Matrix {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
    QTransform toTransform() const { return QTransform(a, b, c, d, tx, ty); }
    bool operator==(const Matrix&) const = default;
};

// Colour transform: channel' = channel * mult + add, multipliers as fractions
// (256 in the file = 1.0), additions in 0..255 units.
struct ColorTransform {
    float rMul = 1, gMul = 1, bMul = 1, aMul = 1;
    float rAdd = 0, gAdd = 0, bAdd = 0, aAdd = 0;
    bool isIdentity() const
    {
        return rMul == 1 && gMul == 1 && bMul == 1 && aMul == 1 && rAdd == 0 && gAdd == 0 && bAdd == 0 &&
               aAdd == 0;
    }
    bool onlyAlpha() const { return rMul == 1 && gMul == 1 && bMul == 1 && rAdd == 0 && gAdd == 0 && bAdd == 0 && aAdd == 0; }
    Rgba apply(Rgba c) const;
    // This transform applied after `inner`.
    ColorTransform after(const ColorTransform& inner) const;
    bool operator==(const ColorTransform&) const = default;
};

struct GradientStop {
    uint8_t ratio = 0;
    Rgba color;
};

enum class Spread : uint8_t { Pad = 0, Reflect = 1, Repeat = 2 };

struct Gradient {
    Spread spread = Spread::Pad;
    bool linearRgb = false; // interpolation in linear RGB instead of sRGB
    double focal = 0;       // focal point for focal radial gradients, -1..1
    std::vector<GradientStop> stops;
};

enum class FillType : uint8_t {
    Solid = 0x00,
    Linear = 0x10,
    Radial = 0x12,
    Focal = 0x13,
    BitmapRepeat = 0x40,
    BitmapClip = 0x41,
    BitmapRepeatHard = 0x42,
    BitmapClipHard = 0x43,
};

struct FillStyle {
    FillType type = FillType::Solid;
    Rgba color;
    Matrix matrix;
    Gradient gradient;
    uint16_t bitmapId = 0;
    bool isBitmap() const { return (static_cast<uint8_t>(type) & 0x40) != 0; }
    bool isGradient() const { return type == FillType::Linear || type == FillType::Radial || type == FillType::Focal; }
    bool bitmapRepeats() const { return type == FillType::BitmapRepeat || type == FillType::BitmapRepeatHard; }
    bool bitmapSmoothed() const { return type == FillType::BitmapRepeat || type == FillType::BitmapClip; }
};

enum class Cap : uint8_t { Round = 0, None = 1, Square = 2 };
enum class Join : uint8_t { Round = 0, Bevel = 1, Miter = 2 };

struct LineStyle {
    uint16_t width = 0; // twips
    Rgba color;
    Cap startCap = Cap::Round, endCap = Cap::Round;
    Join join = Join::Round;
    double miterLimit = 3;
    bool noClose = false;
    bool noHScale = false, noVScale = false; // the width does not follow the object's scale
    bool pixelHinting = false;
    bool hasFill = false;
    FillStyle fill;
};

// One edge of a shape after style indices are resolved into the shape's
// overall style lists (-1 = no style). Straight edges have control == from.
struct Edge {
    QPointF from, control, to;
    bool curve = false;
    int fill0 = -1, fill1 = -1, line = -1;
};

// A contour break: edges of a shape are kept in file order; `group` tells
// which style set (DefineShape2+ may start new style sets mid-shape) an edge
// belongs to so painting order follows the file.
struct ShapeData {
    Rect bounds;
    std::vector<FillStyle> fills;
    std::vector<LineStyle> lines;
    std::vector<Edge> edges;
    std::vector<int> edgeGroup;               // style set index per edge
    std::vector<std::pair<int, int>> groupFills; // [first, end) of each set in fills
    std::vector<std::pair<int, int>> groupLines; // [first, end) of each set in lines
    bool nonZeroWinding = false;              // DefineShape4's flag: fills use the non-zero rule
};

struct MorphShapeData {
    Rect startBounds, endBounds;
    ShapeData start;           // styles hold the start values
    std::vector<FillStyle> endFills;
    std::vector<LineStyle> endLines;
    std::vector<Edge> endEdges; // geometry only, paired with start.edges
};

enum class FilterType : uint8_t {
    DropShadow = 0, Blur = 1, Glow = 2, Bevel = 3, GradientGlow = 4, Convolution = 5, ColorMatrix = 6,
    GradientBevel = 7
};

struct Filter {
    FilterType type = FilterType::Blur;
    Rgba color;     // shadow and glow colour; a bevel's shadow; a convolution's colour beyond the edge
    Rgba highlight; // a bevel's lit side
    double blurX = 0, blurY = 0; // pixels
    double angle = 0, distance = 0, strength = 1;
    bool inner = false, knockout = false, compositeSource = true;
    bool onTop = false; // bevels: inside and outside the object ("full")
    int passes = 1;
    float matrix[20] = {};
    std::vector<GradientStop> gradient; // gradient glows and bevels
    // Convolution: a matrixX × matrixY kernel (row by row).
    int matrixX = 0, matrixY = 0;
    float divisor = 1, bias = 0;
    std::vector<float> kernel;
    bool clamp = true, preserveAlpha = true;
};

enum class BlendMode : uint8_t {
    Normal = 0, Layer = 2, Multiply = 3, Screen = 4, Lighten = 5, Darken = 6, Difference = 7, Add = 8,
    Subtract = 9, Invert = 10, Alpha = 11, Erase = 12, Overlay = 13, HardLight = 14
};

// Clip event handler of a PlaceObject2/3 (the action bytes stay raw).
struct ClipAction {
    uint32_t events = 0;
    uint8_t keyCode = 0;
    QByteArray actions;
};

struct PlaceObject {
    int version = 1;
    uint16_t depth = 0;
    bool move = false;
    bool hasCharacter = false;
    uint16_t characterId = 0;
    bool hasMatrix = false;
    Matrix matrix;
    bool hasColorTransform = false;
    ColorTransform colorTransform;
    bool hasRatio = false;
    uint16_t ratio = 0;
    bool hasName = false;
    QString name;
    bool hasClipDepth = false;
    uint16_t clipDepth = 0;
    bool hasFilters = false;
    std::vector<Filter> filters;
    bool hasBlendMode = false;
    BlendMode blendMode = BlendMode::Normal;
    bool hasCacheAsBitmap = false;
    bool cacheAsBitmap = false;
    bool hasVisible = false;
    bool visible = true;
    bool hasOpaqueBackground = false;
    Rgba opaqueBackground; // the colour filling the object's bounds under it
    std::vector<ClipAction> clipActions;
};

// What a frame of a timeline does, in file order.
struct FrameItem {
    enum Kind : uint8_t { Place, Remove, Action } kind = Place;
    PlaceObject place;  // Place
    uint16_t depth = 0; // Remove
    QByteArray actions; // Action (DoAction bytes)
};

struct Frame {
    std::vector<FrameItem> items;
    QString label;
};

struct Timeline {
    std::vector<Frame> frames;
    std::map<QString, int> labels; // label -> frame index (0-based)
};

} // namespace fotarel::swf
