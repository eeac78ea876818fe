// MovieClip and MovieClipLoader: script methods that forward to the host.

#include "swf/avm1/builtin_helpers.h"
#include "swf/avm1/interpreter.h"

#include <algorithm>
#include <cmath>

namespace fotarel::swf::avm1 {

namespace {

// Loads a MovieClipLoader may have waiting at once (a script that keeps
// calling loadClip in a loop).
constexpr size_t kMaxPendingLoads = 4096;

// Script depths are 32-bit integers (2^32 is depth 0), kept inside the
// range Flash Player allows for them.
int scriptDepth(Interpreter& vm, const Value& v)
{
    const double d = toInt32(vm.toNumber(v));
    return int(std::clamp(d, -16384.0, 2130690045.0));
}

// The clip a MovieClipLoader call names: a clip, a path, or a level number.
DisplayObjectHost* loaderTarget(Interpreter& vm, const Value& target)
{
    if (DisplayObjectHost* c = vm.clipOf(target))
        return c;
    if (target.isNumber()) {
        const int level = clampToInt(target.n);
        return level >= 0 ? vm.player.levelRoot(level) : nullptr;
    }
    const QString path = vm.toString(target);
    if (path.isEmpty())
        return nullptr;
    DisplayObjectHost* base = vm.current ? vm.clipOf(Value::object(vm.current->timeline)) : nullptr;
    return vm.resolveClipPath(base, path);
}

} // namespace

void Interpreter::setupClipClasses()
{
    Interpreter& vm = *this;
    clipProto = alloc(Object::Kind::Plain, objectProto);
    Object* clipCtor = newNative([](Interpreter&, Args&) { return Value(); });
    clipCtor->put(QStringLiteral("prototype"), Value::object(clipProto), DontEnum | DontDelete);
    clipProto->put(QStringLiteral("constructor"), Value::object(clipCtor), DontEnum);
    global->put(QStringLiteral("MovieClip"), Value::object(clipCtor), DontEnum);

    // Each method acts on the clip `this` is; on anything else it does nothing.
    auto method = [&](const char* name, std::function<Value(Interpreter&, DisplayObjectHost&, Args&)> fn) {
        def(vm, clipProto, name, [fn](Interpreter& v, Args& a) -> Value {
            DisplayObjectHost* c = v.clipOf(a.self);
            return c ? fn(v, *c, a) : Value();
        });
    };
    method("play", [](Interpreter&, DisplayObjectHost& c, Args&) { c.play(); return Value(); });
    method("stop", [](Interpreter&, DisplayObjectHost& c, Args&) { c.stop(); return Value(); });
    method("gotoAndPlay", [](Interpreter& v, DisplayObjectHost& c, Args& a) {
        v.gotoFrameValue(&c, a.at(0), true);
        return Value();
    });
    method("gotoAndStop", [](Interpreter& v, DisplayObjectHost& c, Args& a) {
        v.gotoFrameValue(&c, a.at(0), false);
        return Value();
    });
    method("nextFrame", [](Interpreter&, DisplayObjectHost& c, Args&) {
        c.gotoFrame(c.currentFrame() + 1, false);
        return Value();
    });
    method("prevFrame", [](Interpreter&, DisplayObjectHost& c, Args&) {
        c.gotoFrame(std::max(1, c.currentFrame() - 1), false);
        return Value();
    });
    method("loadMovie", [](Interpreter& v, DisplayObjectHost& c, Args& a) {
        v.loadInto(&c, v.toString(a.at(0)));
        return Value();
    });
    method("getURL", [](Interpreter& v, DisplayObjectHost& c, Args& a) {
        v.getUrlOrLoad(&c, v.toString(a.at(0)), a.at(1).isUndefined() ? QString() : v.toString(a.at(1)), false);
        return Value();
    });
    method("unloadMovie", [](Interpreter&, DisplayObjectHost& c, Args&) { c.unloadMovie(); return Value(); });
    method("createEmptyMovieClip", [](Interpreter& v, DisplayObjectHost& c, Args& a) {
        DisplayObjectHost* made = c.createEmptyMovieClip(v.toString(a.at(0)), scriptDepth(v, a.at(1)));
        return made ? Value::object(v.objectFor(made)) : Value();
    });
    method("attachMovie", [](Interpreter& v, DisplayObjectHost& c, Args& a) {
        const QString symbol = v.toString(a.at(0));
        DisplayObjectHost* made = c.attachMovie(symbol, v.toString(a.at(1)), scriptDepth(v, a.at(2)));
        if (!made)
            return Value();
        Object* o = v.objectFor(made);
        v.applyRegisteredClass(made, symbol, a.at(3)); // its constructor may even remove the clip
        return Value::object(o);
    });
    method("duplicateMovieClip", [](Interpreter& v, DisplayObjectHost& c, Args& a) {
        DisplayObjectHost* made = c.duplicate(v.toString(a.at(0)), scriptDepth(v, a.at(1)));
        if (!made)
            return Value();
        Object* o = v.objectFor(made);
        if (a.at(2).isObject())
            for (const Slot& s : a.at(2).o->props)
                if (!s.removed && !(s.flags & DontEnum))
                    v.setMember(Value::object(o), s.name, s.value);
        return Value::object(o);
    });
    method("removeMovieClip", [](Interpreter&, DisplayObjectHost& c, Args&) {
        c.removeFromParent();
        return Value();
    });
    method("swapDepths", [](Interpreter& v, DisplayObjectHost& c, Args& a) {
        const Value& target = a.at(0);
        if (DisplayObjectHost* other = v.clipOf(target)) {
            if (other->parent() == c.parent() && other != &c)
                c.swapDepths(other->depth());
        } else if (target.isString()) {
            // A target path from this clip ("../other"); only a sibling counts.
            DisplayObjectHost* sibling = v.resolveClipPath(&c, target.s);
            if (sibling && sibling != &c && sibling->parent() == c.parent())
                c.swapDepths(sibling->depth());
        } else if (!target.isNullish()) {
            // A depth outside the script range leaves the clip where it is.
            const double d = toInt32(v.toNumber(target));
            if (d >= -16384 && d <= 2130690044)
                c.swapDepths(int(d));
        }
        return Value();
    });
    method("setMask", [](Interpreter& v, DisplayObjectHost& c, Args& a) {
        c.setMask(v.clipOf(a.at(0)));
        return Value::boolean(true);
    });
    method("getBytesLoaded", [](Interpreter&, DisplayObjectHost& c, Args&) {
        return Value::number(double(c.bytesLoaded()));
    });
    method("getBytesTotal", [](Interpreter&, DisplayObjectHost& c, Args&) {
        return Value::number(double(c.bytesTotal()));
    });
    method("getDepth", [](Interpreter&, DisplayObjectHost& c, Args&) { return Value::number(c.depth()); });
    method("getNextHighestDepth", [](Interpreter&, DisplayObjectHost& c, Args&) {
        return Value::number(c.nextHighestDepth());
    });

    // --- MovieClipLoader ---------------------------------------------------
    loaderProto = alloc(Object::Kind::Plain, objectProto);
    Object* loaderCtor = newNative(
        [](Interpreter&, Args&) { return Value(); },
        [](Interpreter& v, Args& a) {
            // A broadcaster that is its own first listener.
            a.self.o->kind = Object::Kind::Loader;
            a.self.o->put(QStringLiteral("_listeners"), Value::object(v.newArray({a.self})), DontEnum);
            return a.self;
        });
    loaderCtor->put(QStringLiteral("prototype"), Value::object(loaderProto), DontEnum | DontDelete);
    loaderProto->put(QStringLiteral("constructor"), Value::object(loaderCtor), DontEnum);
    global->put(QStringLiteral("MovieClipLoader"), Value::object(loaderCtor), DontEnum);

    // Listeners are kept as AsBroadcaster keeps them (the loader's own
    // `_listeners`), with the same functions.
    for (const char* name : {"addListener", "removeListener", "broadcastMessage"}) {
        const QString n = QString::fromLatin1(name);
        loaderProto->put(n, getMember(Value::object(broadcasterMethods_), n), DontEnum);
    }
    def(vm, loaderProto, "loadClip", [](Interpreter& v, Args& a) {
        // Fewer than two arguments answer nothing; a url that is not a
        // string is refused without being converted.
        if (a.args.size() < 2)
            return Value();
        if (!a.self.isObject() || !a.at(0).isString())
            return Value::boolean(false);
        const QString url = a.at(0).s;
        if (v.pendingLoads.size() >= kMaxPendingLoads)
            return Value::boolean(false);
        DisplayObjectHost* target = loaderTarget(v, a.at(1));
        if (!target && a.at(1).isNumber() && a.at(1).n >= 0) {
            // A level that does not exist yet: the player creates it.
            const int level = clampToInt(a.at(1).n);
            v.player.loadMovieNum(url, level);
            v.pendingLoads.push_back({nullptr, a.self.o, level});
            return Value::boolean(true);
        }
        if (!target || url.isEmpty())
            return Value::boolean(false);
        v.pendingLoads.push_back({target->link(), a.self.o});
        v.loadInto(target, url);
        return Value::boolean(true);
    });
    def(vm, loaderProto, "unloadClip", [](Interpreter& v, Args& a) {
        DisplayObjectHost* target = loaderTarget(v, a.at(0));
        if (!target)
            return Value::boolean(false);
        target->unloadMovie();
        return Value::boolean(true);
    });
    def(vm, loaderProto, "getProgress", [](Interpreter& v, Args& a) {
        Object* o = v.newObject();
        DisplayObjectHost* target = loaderTarget(v, a.at(0));
        o->put(QStringLiteral("bytesLoaded"), Value::number(target ? double(target->bytesLoaded()) : 0));
        o->put(QStringLiteral("bytesTotal"), Value::number(target ? double(target->bytesTotal()) : 0));
        return Value::object(o);
    });
}

} // namespace fotarel::swf::avm1
