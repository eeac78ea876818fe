// MovieClip geometry methods: getBounds, getRect, hitTest, localToGlobal,
// globalToLocal, and the lookups by depth and version.

#include "swf/avm1/interpreter.h"

#include <algorithm>
#include <cmath>

namespace fotarel::swf::avm1 {

namespace {

using Args = CallArgs;

// A clip given as a clip or as a target path (relative to the running timeline).
DisplayObjectHost* targetClip(Interpreter& vm, const Value& v)
{
    if (DisplayObjectHost* c = vm.clipOf(v))
        return c;
    if (!v.isString() || v.s.isEmpty())
        return nullptr;
    DisplayObjectHost* base = vm.current ? vm.clipOf(Value::object(vm.current->timeline)) : nullptr;
    return vm.resolveClipPath(base, v.s);
}

// An empty clip's corners: the largest twips value, read as 6710886.35 by
// movies before SWF 8. Once code of SWF 8 or later has asked for any bounds,
// or an empty clip inside a movie of SWF 8 or later was asked about, the
// player answers 6710886.4 from then on, as the Flash Player does.
double emptyCorner(Interpreter& vm, DisplayObjectHost& clip)
{
    bool wide = vm.emptyBoundsWide || vm.version() >= 8;
    for (DisplayObjectHost* c = clip.parent(); c && !wide; c = c->parent())
        wide = c->swfVersion() >= 8;
    if (wide)
        vm.emptyBoundsWide = true;
    return wide ? 6710886.4 : 6710886.35;
}

Value boundsObject(Interpreter& vm, DisplayObjectHost& c, Args& a, bool withStrokes)
{
    const DisplayObjectHost* space = &c;
    if (!a.at(0).isUndefined()) {
        space = targetClip(vm, a.at(0));
        if (!space)
            return Value();
    }
    if (vm.version() >= 8)
        vm.emptyBoundsWide = true;
    PixelRect r = c.boundsIn(space, withStrokes);
    if (r.empty)
        r.xMin = r.yMin = r.xMax = r.yMax = emptyCorner(vm, c);
    Object* o = vm.newObject();
    o->put(QStringLiteral("xMin"), Value::number(r.xMin));
    o->put(QStringLiteral("xMax"), Value::number(r.xMax));
    o->put(QStringLiteral("yMin"), Value::number(r.yMin));
    o->put(QStringLiteral("yMax"), Value::number(r.yMax));
    return Value::object(o);
}

// Maps the x and y of a point object in place, forward or back.
void mapPoint(Interpreter& vm, DisplayObjectHost& c, const Value& point, bool toGlobal)
{
    if (!point.isObject())
        return;
    Value vx, vy;
    if (!vm.getProperty(point.o, point, QStringLiteral("x"), vx) ||
        !vm.getProperty(point.o, point, QStringLiteral("y"), vy))
        return;
    const double x = vm.toNumber(vx), y = vm.toNumber(vy);
    PixelMatrix m = c.toStage();
    double ox = 0, oy = 0;
    if (toGlobal) {
        ox = m.a * x + m.c * y + m.tx;
        oy = m.b * x + m.d * y + m.ty;
    } else {
        const double det = m.a * m.d - m.b * m.c;
        if (det == 0 || !std::isfinite(det))
            return;
        const double dx = x - m.tx, dy = y - m.ty;
        ox = (m.d * dx - m.c * dy) / det;
        oy = (m.a * dy - m.b * dx) / det;
    }
    // The Flash Player works in whole twips.
    const auto twips = [](double v) { return std::isfinite(v) ? std::round(v * 20) / 20 : v; };
    vm.setMember(point, QStringLiteral("x"), Value::number(twips(ox)));
    vm.setMember(point, QStringLiteral("y"), Value::number(twips(oy)));
}

} // namespace

void Interpreter::setupClipGeometry()
{
    auto method = [this](const char* name, std::function<Value(Interpreter&, DisplayObjectHost&, Args&)> fn) {
        clipProto->put(QString::fromLatin1(name), Value::object(newNative([fn](Interpreter& v, Args& a) -> Value {
                           DisplayObjectHost* c = v.clipOf(a.self);
                           return c ? fn(v, *c, a) : Value();
                       })),
                       DontEnum);
    };
    method("getBounds", [](Interpreter& v, DisplayObjectHost& c, Args& a) { return boundsObject(v, c, a, true); });
    method("getRect", [](Interpreter& v, DisplayObjectHost& c, Args& a) { return boundsObject(v, c, a, false); });
    method("localToGlobal", [](Interpreter& v, DisplayObjectHost& c, Args& a) {
        mapPoint(v, c, a.at(0), true);
        return Value();
    });
    method("globalToLocal", [](Interpreter& v, DisplayObjectHost& c, Args& a) {
        mapPoint(v, c, a.at(0), false);
        return Value();
    });
    method("hitTest", [](Interpreter& v, DisplayObjectHost& c, Args& a) {
        if (a.args.size() >= 2) {
            return Value::boolean(c.hitTestPoint(v.toNumber(a.at(0)), v.toNumber(a.at(1)), v.toBoolean(a.at(2))));
        }
        DisplayObjectHost* other = targetClip(v, a.at(0));
        if (!other)
            return Value::boolean(false);
        // Both bounds in the coordinates of _level0.
        const PixelRect s1 = c.boundsIn(v.player.levelRoot(0), true), s2 = other->boundsIn(v.player.levelRoot(0), true);
        if (s1.empty || s2.empty)
            return Value::boolean(false);
        return Value::boolean(s1.xMin <= s2.xMax && s2.xMin <= s1.xMax && s1.yMin <= s2.yMax && s2.yMin <= s1.yMax);
    });
    method("getInstanceAtDepth", [](Interpreter& v, DisplayObjectHost& c, Args& a) {
        if (a.args.empty())
            return Value();
        const double d = v.toNumber(a.at(0));
        if (!std::isfinite(d))
            return Value();
        DisplayObjectHost* child = c.childAtDepth(int(std::clamp(d, -2147483648.0, 2147483647.0)));
        return child ? Value::object(v.objectFor(child)) : Value();
    });
    method("getSWFVersion", [](Interpreter&, DisplayObjectHost& c, Args&) { return Value::number(c.swfVersion()); });
}

} // namespace fotarel::swf::avm1
