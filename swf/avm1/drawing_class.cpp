// The MovieClip drawing methods: arguments are converted and checked here,
// the clip's host keeps and paints what they draw.

#include "swf/avm1/interpreter.h"

#include <algorithm>
#include <cmath>

namespace fotarel::swf::avm1 {

namespace {

using Args = CallArgs;

// The Flash Player keeps at most 15 colours in a gradient.
constexpr size_t kMaxGradientStops = 15;

double finiteOr(double v, double fallback) { return std::isfinite(v) ? v : fallback; }

uint32_t colorOf(Interpreter& vm, const Value& v)
{
    const double n = vm.toNumber(v);
    if (!std::isfinite(n))
        return 0;
    // As a 32-bit integer, of which the low 24 bits are the colour.
    const double wrapped = std::fmod(std::trunc(n), 4294967296.0);
    return uint32_t(int64_t(wrapped < 0 ? wrapped + 4294967296.0 : wrapped)) & 0xffffffu;
}

// An alpha argument in percent; undefined is fully opaque.
double alphaOf(Interpreter& vm, const Value& v)
{
    if (v.isUndefined())
        return 100;
    return std::clamp(finiteOr(vm.toNumber(v), 0), 0.0, 100.0);
}

// A point argument in pixels: what is not a finite number draws at 0.
double coordinate(Interpreter& vm, const Value& v) { return finiteOr(vm.toNumber(v), 0); }

DrawLineStyle lineStyleOf(Interpreter& vm, const Args& a)
{
    DrawLineStyle s;
    s.width = std::clamp(finiteOr(vm.toNumber(a.at(0)), 0), 0.0, 255.0);
    s.rgb = colorOf(vm, a.at(1));
    s.alpha = alphaOf(vm, a.at(2));
    s.pixelHinting = vm.toBoolean(a.at(3));
    if (a.at(4).isString()) {
        const QString mode = a.at(4).s;
        if (mode == QLatin1String("none"))
            s.scaleX = s.scaleY = false;
        else if (mode == QLatin1String("vertical"))
            s.scaleX = false;
        else if (mode == QLatin1String("horizontal"))
            s.scaleY = false;
    }
    if (a.at(5).isString()) {
        if (a.at(5).s == QLatin1String("none"))
            s.cap = DrawLineStyle::Cap::None;
        else if (a.at(5).s == QLatin1String("square"))
            s.cap = DrawLineStyle::Cap::Square;
    }
    if (a.at(6).isString()) {
        if (a.at(6).s == QLatin1String("miter"))
            s.join = DrawLineStyle::Join::Miter;
        else if (a.at(6).s == QLatin1String("bevel"))
            s.join = DrawLineStyle::Join::Bevel;
    }
    if (!a.at(7).isUndefined())
        s.miterLimit = std::clamp(finiteOr(vm.toNumber(a.at(7)), 3), 1.0, 255.0);
    return s;
}

double member(Interpreter& vm, const Value& o, const char* name)
{
    return vm.toNumber(vm.getMember(o, QString::fromLatin1(name)));
}

// The gradient matrix argument: a box {matrixType: "box", x, y, w, h, r}, a
// flash.geom.Matrix-like {a, b, c, d, tx, ty}, or the 3 × 3 form {a, b, d, e,
// g, h} whose gradient square is one unit wide. False when it is no object.
bool gradientMatrix(Interpreter& vm, const Value& m, DrawFillStyle& f)
{
    if (!m.isObject())
        return false;
    constexpr double kSquare = 1638.4; // the gradient square's width in pixels
    const auto finite = [](double v) { return finiteOr(v, 0); };
    if (vm.toString(vm.getMember(m, QStringLiteral("matrixType"))) == QLatin1String("box")) {
        const double x = finite(member(vm, m, "x")), y = finite(member(vm, m, "y"));
        const double w = finite(member(vm, m, "w")), h = finite(member(vm, m, "h"));
        const double r = finite(member(vm, m, "r"));
        f.a = std::cos(r) * w / kSquare;
        f.b = std::sin(r) * h / kSquare;
        f.c = -std::sin(r) * w / kSquare;
        f.d = std::cos(r) * h / kSquare;
        f.tx = x + w / 2;
        f.ty = y + h / 2;
        return true;
    }
    if (!vm.getMember(m, QStringLiteral("tx")).isUndefined()) {
        f.a = finite(member(vm, m, "a"));
        f.b = finite(member(vm, m, "b"));
        f.c = finite(member(vm, m, "c"));
        f.d = finite(member(vm, m, "d"));
        f.tx = finite(member(vm, m, "tx"));
        f.ty = finite(member(vm, m, "ty"));
        return true;
    }
    f.a = finite(member(vm, m, "a")) / kSquare;
    f.b = finite(member(vm, m, "b")) / kSquare;
    f.c = finite(member(vm, m, "d")) / kSquare;
    f.d = finite(member(vm, m, "e")) / kSquare;
    f.tx = finite(member(vm, m, "g"));
    f.ty = finite(member(vm, m, "h"));
    return true;
}

// beginGradientFill(type, colors, alphas, ratios, matrix[, spread,
// interpolation, focalPoint]). False when the call is refused (it then
// changes nothing).
bool gradientFillOf(Interpreter& vm, const Args& a, DrawFillStyle& f)
{
    if (a.count() < 5 || a.count() > 8 || !a.at(0).isString())
        return false;
    if (a.at(0).s == QLatin1String("linear"))
        f.kind = DrawFillStyle::Kind::Linear;
    else if (a.at(0).s == QLatin1String("radial"))
        f.kind = DrawFillStyle::Kind::Radial;
    else
        return false;
    if (!a.at(1).isObject() || !a.at(2).isObject() || !a.at(3).isObject())
        return false;
    const std::vector<Value> colors = vm.arrayValues(a.at(1).o);
    const std::vector<Value> alphas = vm.arrayValues(a.at(2).o);
    const std::vector<Value> ratios = vm.arrayValues(a.at(3).o);
    if (colors.empty() || colors.size() != alphas.size() || colors.size() != ratios.size())
        return false;
    const size_t n = std::min(colors.size(), kMaxGradientStops);
    for (size_t i = 0; i < n; ++i) {
        const double r = finiteOr(vm.toNumber(ratios[i]), 0);
        if (r <= -1 || r >= 256)
            return false;
        f.stops.push_back({uint8_t(std::trunc(r)), colorOf(vm, colors[i]), alphaOf(vm, alphas[i])});
    }
    if (!gradientMatrix(vm, a.at(4), f))
        return false;
    const QString spread = a.count() > 5 ? vm.toString(a.at(5)) : QString();
    if (spread == QLatin1String("reflect"))
        f.spread = DrawFillStyle::Spread::Reflect;
    else if (spread == QLatin1String("repeat"))
        f.spread = DrawFillStyle::Spread::Repeat;
    f.linearRgb = a.count() > 6 && vm.toString(a.at(6)) == QLatin1String("linearRGB");
    if (f.kind == DrawFillStyle::Kind::Radial && a.count() > 7)
        f.focal = std::clamp(finiteOr(vm.toNumber(a.at(7)), 0), -1.0, 1.0);
    return true;
}

} // namespace

void Interpreter::setupDrawingMethods()
{
    auto method = [this](const char* name, std::function<void(Interpreter&, DisplayObjectHost&, Args&)> fn) {
        clipProto->put(QString::fromLatin1(name), Value::object(newNative([fn](Interpreter& v, Args& a) -> Value {
                           if (DisplayObjectHost* c = v.clipOf(a.self))
                               fn(v, *c, a);
                           return Value();
                       })),
                       DontEnum);
    };
    method("moveTo", [](Interpreter& v, DisplayObjectHost& c, Args& a) {
        if (a.count() < 2)
            return;
        DrawCommand cmd{DrawCommand::Kind::MoveTo};
        cmd.x = coordinate(v, a.at(0));
        cmd.y = coordinate(v, a.at(1));
        c.draw(cmd);
    });
    method("lineTo", [](Interpreter& v, DisplayObjectHost& c, Args& a) {
        if (a.count() < 2)
            return;
        DrawCommand cmd{DrawCommand::Kind::LineTo};
        cmd.x = coordinate(v, a.at(0));
        cmd.y = coordinate(v, a.at(1));
        c.draw(cmd);
    });
    method("curveTo", [](Interpreter& v, DisplayObjectHost& c, Args& a) {
        if (a.count() < 4)
            return;
        DrawCommand cmd{DrawCommand::Kind::CurveTo};
        cmd.controlX = coordinate(v, a.at(0));
        cmd.controlY = coordinate(v, a.at(1));
        cmd.x = coordinate(v, a.at(2));
        cmd.y = coordinate(v, a.at(3));
        c.draw(cmd);
    });
    method("lineStyle", [](Interpreter& v, DisplayObjectHost& c, Args& a) {
        DrawCommand cmd{a.at(0).isUndefined() ? DrawCommand::Kind::NoLine : DrawCommand::Kind::LineStyle};
        if (cmd.kind == DrawCommand::Kind::LineStyle)
            cmd.line = lineStyleOf(v, a);
        c.draw(cmd);
    });
    method("beginFill", [](Interpreter& v, DisplayObjectHost& c, Args& a) {
        // No colour ends the fill.
        DrawCommand cmd{a.at(0).isUndefined() ? DrawCommand::Kind::EndFill : DrawCommand::Kind::BeginFill};
        cmd.fill.rgb = colorOf(v, a.at(0));
        cmd.fill.alpha = alphaOf(v, a.at(1));
        c.draw(cmd);
    });
    method("beginGradientFill", [](Interpreter& v, DisplayObjectHost& c, Args& a) {
        if (a.at(0).isUndefined()) {
            c.draw(DrawCommand{DrawCommand::Kind::EndFill});
            return;
        }
        DrawCommand cmd{DrawCommand::Kind::BeginFill};
        if (gradientFillOf(v, a, cmd.fill))
            c.draw(cmd);
    });
    method("endFill", [](Interpreter&, DisplayObjectHost& c, Args&) { c.draw(DrawCommand{DrawCommand::Kind::EndFill}); });
    method("clear", [](Interpreter&, DisplayObjectHost& c, Args&) { c.draw(DrawCommand{DrawCommand::Kind::Clear}); });
}

} // namespace fotarel::swf::avm1
