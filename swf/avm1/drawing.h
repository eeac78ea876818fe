#pragma once

// The MovieClip drawing methods (moveTo, lineTo, curveTo, lineStyle,
// beginFill, beginGradientFill, endFill, clear) as the VM hands them to the
// host: arguments already converted and checked, coordinates in pixels of the
// clip.

#include <cstdint>
#include <vector>

namespace fotarel::swf::avm1 {

struct DrawLineStyle {
    double width = 0; // pixels, 0..255 (0: a hairline)
    uint32_t rgb = 0;
    double alpha = 100; // 0..100
    bool pixelHinting = false;
    bool scaleX = true, scaleY = true; // noScale: "none", "horizontal", "vertical"
    enum class Cap : uint8_t { Round, None, Square } cap = Cap::Round;
    enum class Join : uint8_t { Round, Bevel, Miter } join = Join::Round;
    double miterLimit = 3; // 1..255
};

struct DrawGradientStop {
    uint8_t ratio = 0;
    uint32_t rgb = 0;
    double alpha = 100; // 0..100
};

struct DrawFillStyle {
    enum class Kind : uint8_t { Solid, Linear, Radial } kind = Kind::Solid;
    uint32_t rgb = 0;
    double alpha = 100; // solid fills, 0..100
    std::vector<DrawGradientStop> stops;
    // Gradients: the map from the gradient square (-819.2 .. 819.2 pixels on
    // each axis) to the clip's pixels, x' = a x + c y + tx, y' = b x + d y + ty.
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
    enum class Spread : uint8_t { Pad, Reflect, Repeat } spread = Spread::Pad;
    bool linearRgb = false;
    double focal = 0; // radial gradients: -1 .. 1
};

struct DrawCommand {
    enum class Kind : uint8_t { MoveTo, LineTo, CurveTo, LineStyle, NoLine, BeginFill, EndFill, Clear } kind =
        Kind::MoveTo;
    DrawCommand() = default;
    explicit DrawCommand(Kind k) : kind(k) {}
    double x = 0, y = 0;               // MoveTo, LineTo, CurveTo (the anchor)
    double controlX = 0, controlY = 0; // CurveTo
    DrawLineStyle line;                // LineStyle
    DrawFillStyle fill;                // BeginFill
};

} // namespace fotarel::swf::avm1
