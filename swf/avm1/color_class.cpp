// The Color class: the colour transform of a clip or button, given as a
// clip or a target path when the Color is made (kept in `target` and
// looked up again on each call, so a Color follows a path to whatever clip
// is there now).
//
// The Flash Player keeps a colour transform in signed 16-bit numbers:
// multipliers in 8.8 fixed point (100 % is 256) and offsets as whole
// numbers, both wrapping around past their range. setTransform stores
// values that way, so what getTransform answers is what was kept.

#include "swf/avm1/builtin_helpers.h"

#include <array>
#include <cmath>

namespace fotarel::swf::avm1 {

namespace {

constexpr std::array<const char*, 8> kFields = {"ra", "rb", "ga", "gb", "ba", "bb", "aa", "ab"};

// A number as the signed 16-bit value it is kept in (NaN and infinities are 0).
double wrap16(double n)
{
    return double(int16_t(uint16_t(uint32_t(toInt32(n)) & 0xffffu)));
}

DisplayObjectHost* targetOf(Interpreter& v, const Value& self)
{
    if (!self.isObject())
        return nullptr;
    const Slot* s = self.o->slot(QStringLiteral("target"), v.caseSensitive());
    if (!s)
        return nullptr;
    if (DisplayObjectHost* c = v.clipOf(s->value))
        return c;
    if (s->value.isUndefined() || s->value.isNull())
        return nullptr;
    const QString path = v.toString(s->value);
    if (path.isEmpty())
        return nullptr;
    DisplayObjectHost* base = v.current ? v.clipOf(Value::object(v.current->timeline)) : nullptr;
    return v.resolveClipPath(base, path);
}

} // namespace

void Interpreter::setupColorClass()
{
    Object* proto = alloc(Object::Kind::Plain, objectProto);
    makeClass(
        *this, "Color", proto, [](Interpreter&, Args&) { return Value(); },
        [](Interpreter& v, Args& a) {
            if (a.self.isObject())
                a.self.o->put(QStringLiteral("target"), a.at(0), DontEnum | DontDelete);
            (void)v;
            return a.self;
        });
    // setRGB(0xRRGGBB): the colour replaces the clip's own; alpha is kept.
    def(*this, proto, "setRGB", [](Interpreter& v, Args& a) {
        if (DisplayObjectHost* c = targetOf(v, a.self)) {
            const uint32_t rgb = uint32_t(toInt32(v.toNumber(a.at(0))));
            ColorTransformValues t = c->colorTransform();
            t.ra = t.ga = t.ba = 0;
            t.rb = (rgb >> 16) & 0xff;
            t.gb = (rgb >> 8) & 0xff;
            t.bb = rgb & 0xff;
            c->setColorTransform(t);
        }
        return Value();
    });
    // getRGB: the three colour offsets as one number; negative offsets
    // spill into the bits above them, as the Flash Player combines them.
    def(*this, proto, "getRGB", [](Interpreter& v, Args& a) {
        DisplayObjectHost* c = targetOf(v, a.self);
        if (!c)
            return Value();
        const ColorTransformValues t = c->colorTransform();
        const int32_t r = int32_t(wrap16(t.rb)), g = int32_t(wrap16(t.gb)), b = int32_t(wrap16(t.bb));
        return Value::number(double(int32_t(uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b))));
    });
    // setTransform(o): the fields `o` has of its own (inherited ones are
    // not read); the others stay.
    def(*this, proto, "setTransform", [](Interpreter& v, Args& a) {
        DisplayObjectHost* c = targetOf(v, a.self);
        if (!c || !a.at(0).isObject())
            return Value();
        ColorTransformValues t = c->colorTransform();
        double* fields[8] = {&t.ra, &t.rb, &t.ga, &t.gb, &t.ba, &t.bb, &t.aa, &t.ab};
        for (size_t i = 0; i < kFields.size(); ++i) {
            const Slot* s = a.at(0).o->slot(QString::fromLatin1(kFields[i]), v.caseSensitive());
            if (!s)
                continue;
            const double n = v.toNumber(v.getMember(a.at(0), QString::fromLatin1(kFields[i])));
            const bool multiplier = i % 2 == 0;
            *fields[i] = multiplier ? wrap16(n * 256 / 100) * 100 / 256 : wrap16(n);
        }
        c->setColorTransform(t);
        return Value();
    });
    def(*this, proto, "getTransform", [](Interpreter& v, Args& a) {
        DisplayObjectHost* c = targetOf(v, a.self);
        if (!c)
            return Value();
        const ColorTransformValues t = c->colorTransform();
        const double fields[8] = {t.ra, t.rb, t.ga, t.gb, t.ba, t.bb, t.aa, t.ab};
        Object* o = v.newObject();
        for (size_t i = 0; i < kFields.size(); ++i)
            o->put(QString::fromLatin1(kFields[i]), Value::number(fields[i]));
        return Value::object(o);
    });
}

} // namespace fotarel::swf::avm1
