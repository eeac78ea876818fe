// MovieClip properties that only feed painting (SWF 8 and later):
// blendMode, cacheAsBitmap, opaqueBackground and scrollRect; and
// _lockroot, which changes what `_root` names.

#include "swf/avm1/interpreter.h"

#include <array>
#include <cmath>

namespace fotarel::swf::avm1 {

namespace {

using Args = CallArgs;

// The blend modes by their SWF numbers, from 1.
constexpr std::array<const char*, 14> kBlendModes = {"normal",   "layer",      "multiply", "screen", "lighten",
                                                      "darken",   "difference", "add",      "subtract", "invert",
                                                      "alpha",    "erase",      "overlay",  "hardlight"};

// A blend mode given by name (exact spelling) or by number; 0 when neither.
int blendModeOf(Interpreter& vm, const Value& v)
{
    if (v.isString()) {
        for (size_t i = 0; i < kBlendModes.size(); ++i)
            if (v.s == QLatin1String(kBlendModes[i]))
                return int(i) + 1;
        return 0;
    }
    const double d = vm.toNumber(v);
    return std::isfinite(d) && d >= 1 && d <= 14 && d == std::floor(d) ? int(d) : 0;
}

} // namespace

void Interpreter::setupDisplayProps()
{
    using Get = std::function<Value(Interpreter&, const DisplayProps&)>;
    using Set = std::function<void(Interpreter&, DisplayProps&, const Value&)>;
    // Before SWF 8 these names are plain properties: they read what was
    // stored on the object and store anything.
    auto prop = [this](const char* name, Get get, Set set) {
        const QString key = QString::fromLatin1(name);
        clipProto->put(key, Value(), DontEnum);
        Slot* s = clipProto->slot(key, true);
        s->getter = newNative([get](Interpreter& v, Args& a) -> Value {
            DisplayObjectHost* c = v.version() >= 8 ? v.clipOf(a.self) : nullptr;
            return c ? get(v, c->displayProps()) : Value();
        });
        s->setter = newNative([set, key](Interpreter& v, Args& a) -> Value {
            if (v.version() < 8) {
                if (a.self.isObject())
                    a.self.o->put(key, a.at(0), 0, v.caseSensitive());
                return Value();
            }
            if (DisplayObjectHost* c = v.clipOf(a.self)) {
                DisplayProps p = c->displayProps();
                set(v, p, a.at(0));
                c->setDisplayProps(p);
            }
            return Value();
        });
    };
    prop(
        "blendMode",
        [](Interpreter&, const DisplayProps& p) {
            return Value::string(QLatin1String(kBlendModes[size_t(std::clamp(p.blendMode, 1, 14) - 1)]));
        },
        [](Interpreter& v, DisplayProps& p, const Value& x) {
            if (const int mode = blendModeOf(v, x))
                p.blendMode = mode;
        });
    prop(
        "cacheAsBitmap", [](Interpreter&, const DisplayProps& p) { return Value::boolean(p.cacheAsBitmap); },
        [](Interpreter& v, DisplayProps& p, const Value& x) { p.cacheAsBitmap = v.toBoolean(x); });
    prop(
        "opaqueBackground",
        [](Interpreter&, const DisplayProps& p) {
            return p.opaqueBackground ? Value::number(*p.opaqueBackground) : Value();
        },
        [](Interpreter& v, DisplayProps& p, const Value& x) {
            // undefined and null take the background away; anything else is
            // a colour (its low 24 bits).
            if (x.isUndefined() || x.isNull())
                p.opaqueBackground.reset();
            else
                p.opaqueBackground = toUint32(v.toNumber(x)) & 0xffffff;
        });
    prop(
        "scrollRect",
        [](Interpreter& v, const DisplayProps& p) -> Value {
            if (!p.scrollRect)
                return Value();
            // A new flash.geom.Rectangle each time (changing it changes
            // nothing until it is set again); a plain object with the same
            // fields where that class is missing.
            std::vector<Value> fields;
            for (double d : *p.scrollRect)
                fields.push_back(Value::number(d));
            const Value flash = v.getMember(Value::object(v.global), QStringLiteral("flash"));
            const Value geom = flash.isObject() ? v.getMember(flash, QStringLiteral("geom")) : Value();
            const Value ctor = geom.isObject() ? v.getMember(geom, QStringLiteral("Rectangle")) : Value();
            if (ctor.isObject()) {
                const Value r = v.construct(ctor, fields);
                if (r.isObject())
                    return r;
            }
            Object* o = v.newObject();
            const char* names[] = {"x", "y", "width", "height"};
            for (size_t i = 0; i < 4; ++i)
                o->put(QString::fromLatin1(names[i]), fields[i]);
            return Value::object(o);
        },
        [](Interpreter& v, DisplayProps& p, const Value& x) {
            // Any object with x, y, width and height scrolls; anything else
            // takes the scroll away.
            if (!x.isObject()) {
                p.scrollRect.reset();
                return;
            }
            std::array<double, 4> r{};
            const char* names[] = {"x", "y", "width", "height"};
            for (size_t i = 0; i < 4; ++i)
                r[i] = v.toNumber(v.getMember(x, QString::fromLatin1(names[i])));
            p.scrollRect = r;
        });

    // _lockroot reads as a boolean and takes any value by its truth.
    const QString lockKey = QStringLiteral("_lockroot");
    clipProto->put(lockKey, Value(), DontEnum);
    Slot* lock = clipProto->slot(lockKey, true);
    lock->getter = newNative([](Interpreter& v, Args& a) -> Value {
        DisplayObjectHost* c = v.clipOf(a.self);
        return c ? Value::boolean(c->lockRoot()) : Value();
    });
    lock->setter = newNative([](Interpreter& v, Args& a) -> Value {
        if (DisplayObjectHost* c = v.clipOf(a.self))
            c->setLockRoot(v.toBoolean(a.at(0)));
        return Value();
    });
}

} // namespace fotarel::swf::avm1
