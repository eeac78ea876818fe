// The flash.geom classes: Point, Rectangle, Matrix, ColorTransform and
// Transform, and MovieClip.transform (SWF 8 and later) built on them.
//
// Point, Rectangle, Matrix and ColorTransform keep their numbers as
// ordinary properties and their methods read them back by name, so
// subclasses and scripts that change the fields see the same values. A
// Transform reads and changes its clip each time it is asked.

#include "swf/avm1/builtin_helpers.h"

#include <array>
#include <cmath>

namespace fotarel::swf::avm1 {

namespace {

double num(Interpreter& v, const Value& self, const char* name)
{
    return v.toNumber(v.getMember(self, QString::fromLatin1(name)));
}

void setNum(Interpreter& v, const Value& self, const char* name, double x)
{
    v.setMember(self, QString::fromLatin1(name), Value::number(x));
}

// "(a=1, b=2)": the named fields as text, for the toString methods.
Value fieldsText(Interpreter& v, const Value& self, std::initializer_list<std::pair<const char*, const char*>> fields)
{
    QString s = QStringLiteral("(");
    bool first = true;
    for (const auto& [label, name] : fields) {
        if (!first)
            s += QStringLiteral(", ");
        first = false;
        s += QString::fromLatin1(label) + QLatin1Char('=') + v.toString(v.getMember(self, QString::fromLatin1(name)));
    }
    return Value::string(s + QLatin1Char(')'));
}

// A constructor's fields: with no arguments the defaults, otherwise the
// arguments as given (missing ones undefined), as the Flash Player does.
NativeFunction fieldConstructor(std::vector<const char*> names, std::vector<double> defaults)
{
    return [names = std::move(names), defaults = std::move(defaults)](Interpreter& v, CallArgs& a) {
        if (!a.self.isObject())
            return Value();
        for (size_t i = 0; i < names.size(); ++i)
            v.setMember(a.self, QString::fromLatin1(names[i]),
                        a.count() == 0 ? Value::number(defaults[i]) : a.at(i));
        return Value();
    };
}

// --- Point ---------------------------------------------------------------

void setupPoint(Interpreter& vm, Object* geom)
{
    Object* proto = nullptr;
    Object* ctor = makePackageClass(vm, geom, "Point", fieldConstructor({"x", "y"}, {0, 0}), &proto);
    const auto xy = [](Interpreter& v, const Value& p) {
        return std::pair{num(v, p, "x"), num(v, p, "y")};
    };
    nativeAccessor(vm, proto, "length", [xy](Interpreter& v, CallArgs& a) {
        const auto [x, y] = xy(v, a.self);
        return Value::number(std::hypot(x, y));
    });
    vm.defineMethod(proto, "toString", [](Interpreter& v, CallArgs& a) {
        return fieldsText(v, a.self, {{"x", "x"}, {"y", "y"}});
    });
    vm.defineMethod(proto, "clone", [xy](Interpreter& v, CallArgs& a) {
        const auto [x, y] = xy(v, a.self);
        return v.newGeom("Point", {Value::number(x), Value::number(y)});
    });
    vm.defineMethod(proto, "add", [xy](Interpreter& v, CallArgs& a) {
        const auto [x, y] = xy(v, a.self);
        const auto [x2, y2] = xy(v, a.at(0));
        return v.newGeom("Point", {Value::number(x + x2), Value::number(y + y2)});
    });
    vm.defineMethod(proto, "subtract", [xy](Interpreter& v, CallArgs& a) {
        const auto [x, y] = xy(v, a.self);
        const auto [x2, y2] = xy(v, a.at(0));
        return v.newGeom("Point", {Value::number(x - x2), Value::number(y - y2)});
    });
    vm.defineMethod(proto, "equals", [xy](Interpreter& v, CallArgs& a) {
        if (!a.at(0).isObject())
            return Value::boolean(false);
        return Value::boolean(xy(v, a.self) == xy(v, a.at(0)));
    });
    vm.defineMethod(proto, "normalize", [xy](Interpreter& v, CallArgs& a) {
        const auto [x, y] = xy(v, a.self);
        const double length = std::hypot(x, y);
        if (length > 0) {
            const double scale = v.toNumber(a.at(0)) / length;
            setNum(v, a.self, "x", x * scale);
            setNum(v, a.self, "y", y * scale);
        }
        return Value();
    });
    vm.defineMethod(proto, "offset", [xy](Interpreter& v, CallArgs& a) {
        const auto [x, y] = xy(v, a.self);
        setNum(v, a.self, "x", x + v.toNumber(a.at(0)));
        setNum(v, a.self, "y", y + v.toNumber(a.at(1)));
        return Value();
    });
    vm.defineMethod(ctor, "distance", [xy](Interpreter& v, CallArgs& a) {
        const auto [x, y] = xy(v, a.at(0));
        const auto [x2, y2] = xy(v, a.at(1));
        return Value::number(std::hypot(x - x2, y - y2));
    });
    // interpolate(p1, p2, f): p2 at f = 0, p1 at f = 1.
    vm.defineMethod(ctor, "interpolate", [xy](Interpreter& v, CallArgs& a) {
        const auto [x, y] = xy(v, a.at(0));
        const auto [x2, y2] = xy(v, a.at(1));
        const double f = v.toNumber(a.at(2));
        return v.newGeom("Point", {Value::number(x2 + f * (x - x2)), Value::number(y2 + f * (y - y2))});
    });
    vm.defineMethod(ctor, "polar", [](Interpreter& v, CallArgs& a) {
        const double length = v.toNumber(a.at(0)), angle = v.toNumber(a.at(1));
        return v.newGeom("Point", {Value::number(length * std::cos(angle)), Value::number(length * std::sin(angle))});
    });
}

// --- Rectangle -----------------------------------------------------------

struct Rect {
    double x = 0, y = 0, w = 0, h = 0;
    double right() const { return x + w; }
    double bottom() const { return y + h; }
    bool empty() const { return !(w > 0) || !(h > 0); }
};

Rect rectOf(Interpreter& v, const Value& r)
{
    return {num(v, r, "x"), num(v, r, "y"), num(v, r, "width"), num(v, r, "height")};
}

void setRect(Interpreter& v, const Value& self, const Rect& r)
{
    setNum(v, self, "x", r.x);
    setNum(v, self, "y", r.y);
    setNum(v, self, "width", r.w);
    setNum(v, self, "height", r.h);
}

Value newRect(Interpreter& v, const Rect& r)
{
    return v.newGeom("Rectangle", {Value::number(r.x), Value::number(r.y), Value::number(r.w), Value::number(r.h)});
}

void setupRectangle(Interpreter& vm, Object* geom)
{
    Object* proto = nullptr;
    makePackageClass(vm, geom, "Rectangle", fieldConstructor({"x", "y", "width", "height"}, {0, 0, 0, 0}), &proto);
    vm.defineMethod(proto, "toString", [](Interpreter& v, CallArgs& a) {
        return fieldsText(v, a.self, {{"x", "x"}, {"y", "y"}, {"w", "width"}, {"h", "height"}});
    });
    // The edges: moving one keeps the opposite edge where it is.
    nativeAccessor(
        vm, proto, "left", [](Interpreter& v, CallArgs& a) { return v.getMember(a.self, QStringLiteral("x")); },
        [](Interpreter& v, CallArgs& a) {
            const Rect r = rectOf(v, a.self);
            const double left = v.toNumber(a.at(0));
            setNum(v, a.self, "width", r.w + r.x - left);
            setNum(v, a.self, "x", left);
            return Value();
        });
    nativeAccessor(
        vm, proto, "top", [](Interpreter& v, CallArgs& a) { return v.getMember(a.self, QStringLiteral("y")); },
        [](Interpreter& v, CallArgs& a) {
            const Rect r = rectOf(v, a.self);
            const double top = v.toNumber(a.at(0));
            setNum(v, a.self, "height", r.h + r.y - top);
            setNum(v, a.self, "y", top);
            return Value();
        });
    nativeAccessor(
        vm, proto, "right", [](Interpreter& v, CallArgs& a) { return Value::number(rectOf(v, a.self).right()); },
        [](Interpreter& v, CallArgs& a) {
            setNum(v, a.self, "width", v.toNumber(a.at(0)) - num(v, a.self, "x"));
            return Value();
        });
    nativeAccessor(
        vm, proto, "bottom", [](Interpreter& v, CallArgs& a) { return Value::number(rectOf(v, a.self).bottom()); },
        [](Interpreter& v, CallArgs& a) {
            setNum(v, a.self, "height", v.toNumber(a.at(0)) - num(v, a.self, "y"));
            return Value();
        });
    nativeAccessor(
        vm, proto, "topLeft",
        [](Interpreter& v, CallArgs& a) {
            const Rect r = rectOf(v, a.self);
            return v.newGeom("Point", {Value::number(r.x), Value::number(r.y)});
        },
        [](Interpreter& v, CallArgs& a) {
            const Rect r = rectOf(v, a.self);
            const double x = num(v, a.at(0), "x"), y = num(v, a.at(0), "y");
            setRect(v, a.self, {x, y, r.w + r.x - x, r.h + r.y - y});
            return Value();
        });
    nativeAccessor(
        vm, proto, "bottomRight",
        [](Interpreter& v, CallArgs& a) {
            const Rect r = rectOf(v, a.self);
            return v.newGeom("Point", {Value::number(r.right()), Value::number(r.bottom())});
        },
        [](Interpreter& v, CallArgs& a) {
            const Rect r = rectOf(v, a.self);
            setRect(v, a.self, {r.x, r.y, num(v, a.at(0), "x") - r.x, num(v, a.at(0), "y") - r.y});
            return Value();
        });
    nativeAccessor(
        vm, proto, "size",
        [](Interpreter& v, CallArgs& a) {
            const Rect r = rectOf(v, a.self);
            return v.newGeom("Point", {Value::number(r.w), Value::number(r.h)});
        },
        [](Interpreter& v, CallArgs& a) {
            setNum(v, a.self, "width", num(v, a.at(0), "x"));
            setNum(v, a.self, "height", num(v, a.at(0), "y"));
            return Value();
        });
    vm.defineMethod(proto, "clone", [](Interpreter& v, CallArgs& a) { return newRect(v, rectOf(v, a.self)); });
    vm.defineMethod(proto, "isEmpty", [](Interpreter& v, CallArgs& a) {
        return Value::boolean(rectOf(v, a.self).empty());
    });
    vm.defineMethod(proto, "setEmpty", [](Interpreter& v, CallArgs& a) {
        setRect(v, a.self, {});
        return Value();
    });
    const auto inside = [](const Rect& r, double x, double y) {
        return x >= r.x && x < r.right() && y >= r.y && y < r.bottom();
    };
    vm.defineMethod(proto, "contains", [inside](Interpreter& v, CallArgs& a) {
        return Value::boolean(inside(rectOf(v, a.self), v.toNumber(a.at(0)), v.toNumber(a.at(1))));
    });
    vm.defineMethod(proto, "containsPoint", [inside](Interpreter& v, CallArgs& a) {
        return Value::boolean(inside(rectOf(v, a.self), num(v, a.at(0), "x"), num(v, a.at(0), "y")));
    });
    vm.defineMethod(proto, "containsRectangle", [](Interpreter& v, CallArgs& a) {
        const Rect r = rectOf(v, a.self), o = rectOf(v, a.at(0));
        return Value::boolean(o.x >= r.x && o.y >= r.y && o.right() <= r.right() && o.bottom() <= r.bottom());
    });
    vm.defineMethod(proto, "equals", [](Interpreter& v, CallArgs& a) {
        if (!a.at(0).isObject())
            return Value::boolean(false);
        const Rect r = rectOf(v, a.self), o = rectOf(v, a.at(0));
        return Value::boolean(r.x == o.x && r.y == o.y && r.w == o.w && r.h == o.h);
    });
    const auto intersection = [](const Rect& r, const Rect& o) {
        const double x0 = std::max(r.x, o.x), y0 = std::max(r.y, o.y);
        const double x1 = std::min(r.right(), o.right()), y1 = std::min(r.bottom(), o.bottom());
        return x1 > x0 && y1 > y0 ? Rect{x0, y0, x1 - x0, y1 - y0} : Rect{};
    };
    vm.defineMethod(proto, "intersection", [intersection](Interpreter& v, CallArgs& a) {
        return newRect(v, intersection(rectOf(v, a.self), rectOf(v, a.at(0))));
    });
    vm.defineMethod(proto, "intersects", [intersection](Interpreter& v, CallArgs& a) {
        return Value::boolean(!intersection(rectOf(v, a.self), rectOf(v, a.at(0))).empty());
    });
    vm.defineMethod(proto, "union", [](Interpreter& v, CallArgs& a) {
        const Rect r = rectOf(v, a.self), o = rectOf(v, a.at(0));
        if (r.empty())
            return newRect(v, o);
        if (o.empty())
            return newRect(v, r);
        const double x0 = std::min(r.x, o.x), y0 = std::min(r.y, o.y);
        return newRect(v, {x0, y0, std::max(r.right(), o.right()) - x0, std::max(r.bottom(), o.bottom()) - y0});
    });
    const auto inflate = [](Interpreter& v, const Value& self, double dx, double dy) {
        const Rect r = rectOf(v, self);
        setRect(v, self, {r.x - dx, r.y - dy, r.w + 2 * dx, r.h + 2 * dy});
    };
    vm.defineMethod(proto, "inflate", [inflate](Interpreter& v, CallArgs& a) {
        inflate(v, a.self, v.toNumber(a.at(0)), v.toNumber(a.at(1)));
        return Value();
    });
    vm.defineMethod(proto, "inflatePoint", [inflate](Interpreter& v, CallArgs& a) {
        inflate(v, a.self, num(v, a.at(0), "x"), num(v, a.at(0), "y"));
        return Value();
    });
    const auto offset = [](Interpreter& v, const Value& self, double dx, double dy) {
        setNum(v, self, "x", num(v, self, "x") + dx);
        setNum(v, self, "y", num(v, self, "y") + dy);
    };
    vm.defineMethod(proto, "offset", [offset](Interpreter& v, CallArgs& a) {
        offset(v, a.self, v.toNumber(a.at(0)), v.toNumber(a.at(1)));
        return Value();
    });
    vm.defineMethod(proto, "offsetPoint", [offset](Interpreter& v, CallArgs& a) {
        offset(v, a.self, num(v, a.at(0), "x"), num(v, a.at(0), "y"));
        return Value();
    });
}

// --- Matrix --------------------------------------------------------------

constexpr std::array<const char*, 6> kMatrixFields = {"a", "b", "c", "d", "tx", "ty"};

PixelMatrix matrixOf(Interpreter& v, const Value& m)
{
    return {num(v, m, "a"), num(v, m, "b"), num(v, m, "c"), num(v, m, "d"), num(v, m, "tx"), num(v, m, "ty")};
}

void setMatrix(Interpreter& v, const Value& self, const PixelMatrix& m)
{
    const double values[] = {m.a, m.b, m.c, m.d, m.tx, m.ty};
    for (size_t i = 0; i < kMatrixFields.size(); ++i)
        setNum(v, self, kMatrixFields[i], values[i]);
}

Value newMatrix(Interpreter& v, const PixelMatrix& m)
{
    return v.newGeom("Matrix", {Value::number(m.a), Value::number(m.b), Value::number(m.c), Value::number(m.d),
                                Value::number(m.tx), Value::number(m.ty)});
}

// `m` applied first, then `n`.
PixelMatrix then(const PixelMatrix& m, const PixelMatrix& n)
{
    return {m.a * n.a + m.b * n.c,         m.a * n.b + m.b * n.d,         m.c * n.a + m.d * n.c,
            m.c * n.b + m.d * n.d,         m.tx * n.a + m.ty * n.c + n.tx, m.tx * n.b + m.ty * n.d + n.ty};
}

void setupMatrix(Interpreter& vm, Object* geom)
{
    Object* proto = nullptr;
    makePackageClass(vm, geom, "Matrix",
                     fieldConstructor({kMatrixFields.begin(), kMatrixFields.end()}, {1, 0, 0, 1, 0, 0}), &proto);
    vm.defineMethod(proto, "toString", [](Interpreter& v, CallArgs& a) {
        return fieldsText(v, a.self, {{"a", "a"}, {"b", "b"}, {"c", "c"}, {"d", "d"}, {"tx", "tx"}, {"ty", "ty"}});
    });
    vm.defineMethod(proto, "clone", [](Interpreter& v, CallArgs& a) {
        std::vector<Value> fields;
        for (const char* name : kMatrixFields)
            fields.push_back(v.getMember(a.self, QString::fromLatin1(name)));
        return v.newGeom("Matrix", std::move(fields));
    });
    vm.defineMethod(proto, "identity", [](Interpreter& v, CallArgs& a) {
        setMatrix(v, a.self, {});
        return Value();
    });
    vm.defineMethod(proto, "concat", [](Interpreter& v, CallArgs& a) {
        setMatrix(v, a.self, then(matrixOf(v, a.self), matrixOf(v, a.at(0))));
        return Value();
    });
    vm.defineMethod(proto, "invert", [](Interpreter& v, CallArgs& a) {
        const PixelMatrix m = matrixOf(v, a.self);
        const double det = m.a * m.d - m.b * m.c;
        if (det == 0) {
            // A flat matrix has no inverse: it becomes the identity.
            setMatrix(v, a.self, {});
            return Value();
        }
        setMatrix(v, a.self,
                  {m.d / det, -m.b / det, -m.c / det, m.a / det, (m.c * m.ty - m.d * m.tx) / det,
                   (m.b * m.tx - m.a * m.ty) / det});
        return Value();
    });
    vm.defineMethod(proto, "rotate", [](Interpreter& v, CallArgs& a) {
        const double r = v.toNumber(a.at(0));
        setMatrix(v, a.self, then(matrixOf(v, a.self), {std::cos(r), std::sin(r), -std::sin(r), std::cos(r), 0, 0}));
        return Value();
    });
    vm.defineMethod(proto, "scale", [](Interpreter& v, CallArgs& a) {
        const double sx = v.toNumber(a.at(0)), sy = v.toNumber(a.at(1));
        setMatrix(v, a.self, then(matrixOf(v, a.self), {sx, 0, 0, sy, 0, 0}));
        return Value();
    });
    vm.defineMethod(proto, "translate", [](Interpreter& v, CallArgs& a) {
        setNum(v, a.self, "tx", num(v, a.self, "tx") + v.toNumber(a.at(0)));
        setNum(v, a.self, "ty", num(v, a.self, "ty") + v.toNumber(a.at(1)));
        return Value();
    });
    const auto orZero = [](Interpreter& v, const Value& x) { return x.isUndefined() ? 0.0 : v.toNumber(x); };
    // createBox(scaleX, scaleY, rotation, tx, ty): scaled, then turned, then moved.
    vm.defineMethod(proto, "createBox", [orZero](Interpreter& v, CallArgs& a) {
        const double sx = v.toNumber(a.at(0)), sy = v.toNumber(a.at(1)), r = v.toNumber(a.at(2));
        setMatrix(v, a.self,
                  {std::cos(r) * sx, std::sin(r) * sy, -std::sin(r) * sx, std::cos(r) * sy, orZero(v, a.at(3)),
                   orZero(v, a.at(4))});
        return Value();
    });
    // createGradientBox(width, height, rotation, tx, ty): the matrix that maps
    // the gradient square (1638.4 pixels wide) onto that box, turned by the
    // rotation.
    vm.defineMethod(proto, "createGradientBox", [orZero](Interpreter& v, CallArgs& a) {
        const double w = orZero(v, a.at(0)), h = orZero(v, a.at(1)), r = orZero(v, a.at(2));
        const double x = orZero(v, a.at(3)), y = orZero(v, a.at(4));
        setMatrix(v, a.self,
                  {std::cos(r) * w / 1638.4, std::sin(r) * h / 1638.4, -std::sin(r) * w / 1638.4,
                   std::cos(r) * h / 1638.4, x + w / 2, y + h / 2});
        return Value();
    });
    vm.defineMethod(proto, "transformPoint", [](Interpreter& v, CallArgs& a) {
        const PixelMatrix m = matrixOf(v, a.self);
        const double x = num(v, a.at(0), "x"), y = num(v, a.at(0), "y");
        return v.newGeom("Point", {Value::number(m.a * x + m.c * y + m.tx), Value::number(m.b * x + m.d * y + m.ty)});
    });
    vm.defineMethod(proto, "deltaTransformPoint", [](Interpreter& v, CallArgs& a) {
        const PixelMatrix m = matrixOf(v, a.self);
        const double x = num(v, a.at(0), "x"), y = num(v, a.at(0), "y");
        return v.newGeom("Point", {Value::number(m.a * x + m.c * y), Value::number(m.b * x + m.d * y)});
    });
}

// --- ColorTransform ------------------------------------------------------

constexpr std::array<const char*, 8> kColorFields = {"redMultiplier", "greenMultiplier", "blueMultiplier",
                                                     "alphaMultiplier", "redOffset", "greenOffset",
                                                     "blueOffset", "alphaOffset"};

// The Color class's view (percent multipliers) of a ColorTransform object.
ColorTransformValues colorValuesOf(Interpreter& v, const Value& ct)
{
    double f[8];
    for (size_t i = 0; i < 8; ++i)
        f[i] = num(v, ct, kColorFields[i]);
    ColorTransformValues t;
    t.ra = f[0] * 100;
    t.ga = f[1] * 100;
    t.ba = f[2] * 100;
    t.aa = f[3] * 100;
    t.rb = f[4];
    t.gb = f[5];
    t.bb = f[6];
    t.ab = f[7];
    return t;
}

Value newColorTransform(Interpreter& v, const ColorTransformValues& t)
{
    return v.newGeom("ColorTransform",
                     {Value::number(t.ra / 100), Value::number(t.ga / 100), Value::number(t.ba / 100),
                      Value::number(t.aa / 100), Value::number(t.rb), Value::number(t.gb), Value::number(t.bb),
                      Value::number(t.ab)});
}

// `outer` applied after `inner`.
ColorTransformValues after(const ColorTransformValues& outer, const ColorTransformValues& inner)
{
    ColorTransformValues t;
    t.ra = outer.ra * inner.ra / 100;
    t.ga = outer.ga * inner.ga / 100;
    t.ba = outer.ba * inner.ba / 100;
    t.aa = outer.aa * inner.aa / 100;
    t.rb = outer.rb + outer.ra * inner.rb / 100;
    t.gb = outer.gb + outer.ga * inner.gb / 100;
    t.bb = outer.bb + outer.ba * inner.bb / 100;
    t.ab = outer.ab + outer.aa * inner.ab / 100;
    return t;
}

void setupColorTransform(Interpreter& vm, Object* geom)
{
    Object* proto = nullptr;
    makePackageClass(vm, geom, "ColorTransform",
                     fieldConstructor({kColorFields.begin(), kColorFields.end()}, {1, 1, 1, 1, 0, 0, 0, 0}),
                     &proto);
    vm.defineMethod(proto, "toString", [](Interpreter& v, CallArgs& a) {
        return fieldsText(v, a.self,
                          {{"redMultiplier", "redMultiplier"},
                           {"greenMultiplier", "greenMultiplier"},
                           {"blueMultiplier", "blueMultiplier"},
                           {"alphaMultiplier", "alphaMultiplier"},
                           {"redOffset", "redOffset"},
                           {"greenOffset", "greenOffset"},
                           {"blueOffset", "blueOffset"},
                           {"alphaOffset", "alphaOffset"}});
    });
    // rgb: the offsets as one colour; setting it also clears the colour
    // multipliers, so the colour replaces the object's own.
    nativeAccessor(
        vm, proto, "rgb",
        [](Interpreter& v, CallArgs& a) {
            const auto channel = [&](const char* name) { return uint32_t(toInt32(num(v, a.self, name))) & 0xff; };
            return Value::number(double(channel("redOffset") << 16 | channel("greenOffset") << 8 |
                                        channel("blueOffset")));
        },
        [](Interpreter& v, CallArgs& a) {
            const uint32_t rgb = uint32_t(toInt32(v.toNumber(a.at(0))));
            setNum(v, a.self, "redMultiplier", 0);
            setNum(v, a.self, "greenMultiplier", 0);
            setNum(v, a.self, "blueMultiplier", 0);
            setNum(v, a.self, "redOffset", (rgb >> 16) & 0xff);
            setNum(v, a.self, "greenOffset", (rgb >> 8) & 0xff);
            setNum(v, a.self, "blueOffset", rgb & 0xff);
            return Value();
        });
    // concat(second): the result applies `second` first, then this one.
    vm.defineMethod(proto, "concat", [](Interpreter& v, CallArgs& a) {
        if (!a.at(0).isObject())
            return Value();
        const ColorTransformValues t = after(colorValuesOf(v, a.self), colorValuesOf(v, a.at(0)));
        const double f[8] = {t.ra / 100, t.ga / 100, t.ba / 100, t.aa / 100, t.rb, t.gb, t.bb, t.ab};
        for (size_t i = 0; i < 8; ++i)
            setNum(v, a.self, kColorFields[i], f[i]);
        return Value();
    });
}

// --- Transform -----------------------------------------------------------

DisplayObjectHost* subjectOf(const Value& self)
{
    return self.isObject() && self.o->subject ? self.o->subject->clip : nullptr;
}

void setupTransform(Interpreter& vm, Object* geom)
{
    Object* proto = nullptr;
    makePackageClass(vm, geom, "Transform",
                     [](Interpreter& v, CallArgs& a) {
                         if (DisplayObjectHost* c = v.clipOf(a.at(0)); c && a.self.isObject())
                             a.self.o->subject = c->link();
                         return Value();
                     },
                     &proto);
    // Each read answers a new object; changing that object changes nothing
    // until it is assigned back.
    nativeAccessor(
        vm, proto, "matrix",
        [](Interpreter& v, CallArgs& a) {
            DisplayObjectHost* c = subjectOf(a.self);
            return c ? newMatrix(v, c->localMatrix()) : Value();
        },
        [](Interpreter& v, CallArgs& a) {
            DisplayObjectHost* c = subjectOf(a.self);
            if (c && a.at(0).isObject()) {
                const PixelMatrix m = matrixOf(v, a.at(0));
                if (std::isfinite(m.a) && std::isfinite(m.b) && std::isfinite(m.c) && std::isfinite(m.d) &&
                    std::isfinite(m.tx) && std::isfinite(m.ty))
                    c->setLocalMatrix(m);
            }
            return Value();
        });
    nativeAccessor(vm, proto, "concatenatedMatrix", [](Interpreter& v, CallArgs& a) {
        DisplayObjectHost* c = subjectOf(a.self);
        return c ? newMatrix(v, c->toStage()) : Value();
    });
    nativeAccessor(
        vm, proto, "colorTransform",
        [](Interpreter& v, CallArgs& a) {
            DisplayObjectHost* c = subjectOf(a.self);
            return c ? newColorTransform(v, c->colorTransform()) : Value();
        },
        [](Interpreter& v, CallArgs& a) {
            DisplayObjectHost* c = subjectOf(a.self);
            if (c && a.at(0).isObject())
                c->setColorTransform(colorValuesOf(v, a.at(0)));
            return Value();
        });
    nativeAccessor(vm, proto, "concatenatedColorTransform", [](Interpreter& v, CallArgs& a) {
        DisplayObjectHost* c = subjectOf(a.self);
        if (!c)
            return Value();
        ColorTransformValues t = c->colorTransform();
        // Display trees are bounded by the host; the walk stops at the root.
        for (DisplayObjectHost* p = c->parent(); p; p = p->parent())
            t = after(p->colorTransform(), t);
        return newColorTransform(v, t);
    });
    nativeAccessor(vm, proto, "pixelBounds", [](Interpreter& v, CallArgs& a) {
        DisplayObjectHost* c = subjectOf(a.self);
        if (!c)
            return Value();
        const PixelRect b = c->boundsIn(v.player.levelRoot(0), true);
        if (b.empty)
            return newRect(v, {});
        return newRect(v, {std::floor(b.xMin), std::floor(b.yMin), std::ceil(b.xMax) - std::floor(b.xMin),
                           std::ceil(b.yMax) - std::floor(b.yMin)});
    });
}

// MovieClip.transform (SWF 8 and later): a new Transform of the clip on
// each read; assigning one copies its matrix and colour transform.
void setupClipTransform(Interpreter& vm)
{
    nativeAccessor(
        vm, vm.clipProto, "transform",
        [](Interpreter& v, CallArgs& a) {
            if (v.version() < 8 || !v.clipOf(a.self))
                return Value();
            return v.newGeom("Transform", {a.self});
        },
        [](Interpreter& v, CallArgs& a) {
            // Before SWF 8 the name is an ordinary property.
            if (v.version() < 8) {
                if (a.self.isObject())
                    a.self.o->put(QStringLiteral("transform"), a.at(0), 0, v.caseSensitive());
                return Value();
            }
            if (!v.clipOf(a.self) || !a.at(0).isObject())
                return Value();
            const Value mine = v.newGeom("Transform", {a.self});
            if (!mine.isObject())
                return Value();
            v.setMember(mine, QStringLiteral("matrix"), v.getMember(a.at(0), QStringLiteral("matrix")));
            v.setMember(mine, QStringLiteral("colorTransform"),
                        v.getMember(a.at(0), QStringLiteral("colorTransform")));
            return Value();
        },
        DontEnum);
}

} // namespace

Value Interpreter::newGeom(const char* className, std::vector<Value> args)
{
    const Value flash = getMember(Value::object(global), QStringLiteral("flash"));
    const Value geom = flash.isObject() ? getMember(flash, QStringLiteral("geom")) : Value();
    const Value ctor = geom.isObject() ? getMember(geom, QString::fromLatin1(className)) : Value();
    if (!ctor.isObject() || !ctor.o->isFunction())
        return Value();
    return construct(ctor, std::move(args));
}

void Interpreter::setupGeomClasses()
{
    Object* geom = packageOf(*this, packageOf(*this, global, "flash"), "geom");
    setupPoint(*this, geom);
    setupRectangle(*this, geom);
    setupMatrix(*this, geom);
    setupColorTransform(*this, geom);
    setupTransform(*this, geom);
    setupClipTransform(*this);
}

} // namespace fotarel::swf::avm1
