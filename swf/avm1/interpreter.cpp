#include "swf/avm1/interpreter.h"
#include "swf/avm1/sound_state.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace fotarel::swf::avm1 {

namespace {

constexpr int kMaxProtoChain = 256;

} // namespace

Interpreter::Interpreter(PlayerHost& p, Limits l) : player(p), limits(l)
{
    // The built-ins never count against a (possibly tiny) heap bound.
    limits.heapBytes = INT64_MAX / 2;
    setupBuiltins();
    limits.heapBytes = l.heapBytes;
    allocatedSinceGc = 0;
}

Interpreter::~Interpreter()
{
    for (const auto& link : links)
        link->object = nullptr;
    for (Object* o : heap)
        delete o;
}

// --- runs ------------------------------------------------------------------

void Interpreter::fail(const QString& message)
{
    throw ScriptError(message.toStdString());
}

void Interpreter::checkString(const QString& s)
{
    if (s.size() > limits.stringLength)
        fail(QStringLiteral("string longer than %1 characters").arg(limits.stringLength));
    noteAllocation(int64_t(s.size()) * 2);
}

bool Interpreter::runCallback(const std::function<void()>& fn)
{
    const bool outer = runDepth == 0;
    int64_t budget = 0;
    if (outer) {
        const int64_t now = player.movieTimeMs();
        if (now != frameTime)
            startFrame(now);
        frameBound = frameActionsLeft < limits.actionsPerRun;
        budget = frameBound ? frameActionsLeft : limits.actionsPerRun;
        actionsLeft = budget;
        callDepth = 0;
    }
    bool ok = true;
    {
        DepthGuard guard(runDepth);
        try {
            fn();
        } catch (const ScriptError& e) {
            // Also in a run the host started from inside a host call: no
            // exception crosses the host's code. A spent action budget stays
            // spent, so the outer run stops at its next action.
            ok = false;
            player.scriptError(QString::fromStdString(e.what()));
        } catch (const ScriptThrow& t) {
            ok = false;
            QString text;
            try {
                text = toString(t.value);
            } catch (...) {
                text = QStringLiteral("[object]");
            }
            player.scriptError(QStringLiteral("uncaught exception: %1").arg(text));
            // The Flash Player's log shows the same warning among the traces.
            player.trace(QStringLiteral("Warning: Uncaught exception, %1").arg(text));
        }
    }
    if (outer) {
        frameActionsLeft -= budget - std::max<int64_t>(actionsLeft, 0);
        maybeCollect();
    }
    return ok;
}

void Interpreter::startFrame(int64_t now)
{
    frameTime = now;
    frameActionsLeft = limits.actionsPerFrame;
}

void Interpreter::budgetExceeded()
{
    if (frameBound)
        fail(QStringLiteral("more than %1 actions in one frame").arg(limits.actionsPerFrame));
    fail(QStringLiteral("more than %1 actions in one run (endless loop?)").arg(limits.actionsPerRun));
}

bool Interpreter::runTopLevel(const ActionBlock& block, DisplayObjectHost& clip)
{
    return runCallback([&] {
        Frame f;
        f.code = block.bytes;
        f.end = int(block.bytes.size());
        f.version = block.swfVersion;
        Object* t = objectFor(&clip);
        f.scope = {global, t};
        f.timeline = f.baseTimeline = f.locals = t;
        f.thisv = Value::object(t);
        f.registers.resize(4);
        execute(f);
    });
}

Value Interpreter::call(const Value& function, const Value& self, std::vector<Value> args, Object* home)
{
    // Calling a string, number or boolean makes it an object first (its
    // class's constructor runs), then nothing happens.
    if (!function.isObject() && !function.isNullish())
        toObject(function);
    if (!function.isObject() || !function.o->isFunction())
        return {};
    Object* fo = function.o;
    if (callDepth >= limits.callDepth)
        fail(QStringLiteral("function calls nested deeper than %1").arg(limits.callDepth));
    DepthGuard guard(callDepth);
    if (fo->native) {
        CallArgs ca{self, std::move(args), fo, false};
        Value r = fo->native(*this, ca);
        if (r.type == Value::Type::String && r.s.size() > limits.stringLength)
            fail(QStringLiteral("string longer than %1 characters").arg(limits.stringLength));
        return r;
    }
    if (!fo->script)
        return {};
    const ScriptFunction& fn = *fo->script;
    Frame f;
    f.code = fn.code;
    f.program = fn.program;
    f.pc = fn.start;
    f.end = fn.end;
    f.version = fn.swfVersion;
    f.isFunction = true;
    f.scope = fn.scope;
    Object* activation = alloc(Object::Kind::Plain, nullptr);
    f.scope.push_back(activation);
    f.locals = activation;
    f.timeline = f.baseTimeline = fn.timeline ? fn.timeline : (fn.scope.size() > 1 ? fn.scope[1] : global);
    // A function of a clip that is gone runs on the clip now at its path.
    if (Object* live = liveClipObject(f.timeline)) {
        std::replace(f.scope.begin(), f.scope.end(), f.timeline, live);
        f.timeline = f.baseTimeline = live;
    }
    f.thisv = self;
    f.home = home;
    if (home && self.isObject()) {
        int hops = 0;
        for (Object* p = self.o; p && hops < kMaxProtoChain; p = p->proto, ++hops)
            if (p == home) {
                f.homeDepth = hops;
                break;
            }
    }
    f.constants = fn.constants;

    std::vector<Value> argsCopy = args;
    Object* arguments = newArray(std::move(argsCopy));
    arguments->put(QStringLiteral("callee"), Value::object(fo), DontEnum);
    // The function that called this one; null when a frame script, an
    // event or the player called it.
    arguments->put(QStringLiteral("caller"), runningFunction_ ? Value::object(runningFunction_) : Value::null(),
                   DontEnum);
    struct Running {
        Object*& slot;
        Object* saved;
        ~Running() { slot = saved; }
    } running{runningFunction_, runningFunction_};
    runningFunction_ = fo;

    const bool cs = fn.swfVersion >= 7;
    if (fn.v2) {
        f.registers.resize(size_t(std::max(fn.registerCount, 4)));
        size_t r = 1;
        auto preload = [&](const Value& v) {
            if (r < f.registers.size())
                f.registers[r] = v;
            ++r;
        };
        const uint16_t fl = fn.flags;
        f.thisByName = !(fl & 0x03);
        f.superByName = !(fl & 0x30);
        if (fl & 0x01)
            preload(self);
        if (fl & 0x04)
            preload(Value::object(arguments));
        else if (!(fl & 0x08))
            activation->put(QStringLiteral("arguments"), Value::object(arguments), 0, cs);
        if (fl & 0x10) {
            preload(Value::object(makeSuper(self, home, f.homeDepth)));
        }
        if (fl & 0x40)
            preload(Value::object(objectFor(rootOf(clipOf(Value::object(f.timeline))))));
        if (fl & 0x80) {
            DisplayObjectHost* c = clipOf(Value::object(f.timeline));
            preload(c && c->parent() ? Value::object(objectFor(c->parent())) : Value());
        }
        if (fl & 0x100)
            preload(Value::object(global));
        for (size_t i = 0; i < fn.params.size(); ++i) {
            const Value v = i < args.size() ? args[i] : Value();
            const int reg = fn.params[i].reg;
            if (reg > 0) {
                if (size_t(reg) < f.registers.size())
                    f.registers[size_t(reg)] = v;
            } else {
                activation->put(fn.params[i].name, v, 0, cs);
            }
        }
    } else {
        f.registers.resize(4);
        activation->put(QStringLiteral("arguments"), Value::object(arguments), 0, cs);
        for (size_t i = 0; i < fn.params.size(); ++i)
            activation->put(fn.params[i].name, i < args.size() ? args[i] : Value(), 0, cs);
    }
    return execute(f);
}

Object* Interpreter::makeSuper(const Value& self, Object* home, int homeDepth)
{
    Object* sup = alloc(Object::Kind::Super, nullptr);
    sup->primitive = self;
    sup->home = home ? home : (self.isObject() ? self.o->proto : nullptr);
    sup->superDepth = home ? homeDepth : (self.isObject() ? 1 : -1);
    return sup;
}

Object* Interpreter::superHome(const Object* sup) const
{
    if (sup->superDepth < 0 || !sup->primitive.isObject())
        return sup->home;
    Object* p = sup->primitive.o;
    for (int i = 0; i < sup->superDepth && p; ++i)
        p = p->proto;
    return p;
}

Value Interpreter::callMethod(const Value& object, const QString& name, std::vector<Value> args)
{
    Object* where = nullptr;
    Value fn;
    if (object.isObject()) {
        if (!getProperty(object.o, object, name, fn, &where))
            return {};
    } else if (Object* ctor = primitiveConstructor(object)) {
        // A method of a string, number or boolean runs on the object its
        // class's constructor makes of it; the built-in methods read the
        // primitive itself, which is the same to them.
        if (!isBuiltinConstructor(object, ctor)) {
            Object* box = toObject(object, ctor);
            return box ? callMethod(Value::object(box), name, std::move(args)) : Value();
        }
        fn = getMember(object, name);
        if (fn.isObject() && fn.o->script) {
            if (Object* box = toObject(object, ctor))
                return call(fn, Value::object(box), std::move(args), where);
        }
    }
    return call(fn, object, std::move(args), where);
}

Value Interpreter::construct(const Value& ctor, std::vector<Value> args)
{
    if (!ctor.isObject() && !ctor.isNullish())
        toObject(ctor); // as when it is called
    if (!ctor.isObject() || !ctor.o->isFunction())
        return {};
    Object* fo = ctor.o;
    // The new object's __proto__ is the constructor's prototype, whatever it
    // holds (a primitive there makes an object without a prototype).
    const Value protoValue = getMember(ctor, QStringLiteral("prototype"));
    Object* obj = alloc(Object::Kind::Plain, protoValue.isObject() ? protoValue.o : nullptr);
    if (!protoValue.isObject())
        obj->protoPrimitive = protoValue;
    obj->put(QStringLiteral("__constructor__"), ctor, DontEnum);
    if (version_ < 6)
        obj->put(QStringLiteral("constructor"), ctor, DontEnum);
    if (fo->native) {
        if (callDepth >= limits.callDepth)
            fail(QStringLiteral("function calls nested deeper than %1").arg(limits.callDepth));
        DepthGuard guard(callDepth);
        CallArgs ca{Value::object(obj), std::move(args), fo, true};
        const Value r = fo->nativeConstruct ? fo->nativeConstruct(*this, ca) : fo->native(*this, ca);
        if (ca.refused)
            return Value();
        return r.isObject() ? r : Value::object(obj);
    }
    call(ctor, Value::object(obj), std::move(args), obj->proto);
    return Value::object(obj);
}

void Interpreter::noteMissing(const QString& feature)
{
    if (missingNoted_.size() < 256 && !missingNoted_.contains(feature)) {
        missingNoted_.insert(feature);
        player.scriptError(QStringLiteral("not supported: %1").arg(feature));
    }
}

void Interpreter::noteMissingBuiltin(const QString& name)
{
    // The Flash Player's own classes and objects: a script that finds one
    // undefined meets something this VM lacks, not a fault of its own.
    static const QSet<QString> known = {
        QStringLiteral("TextFormat"),   QStringLiteral("TextField"),     QStringLiteral("XML"),
        QStringLiteral("XMLNode"),      QStringLiteral("LoadVars"),      QStringLiteral("Sound"),
        QStringLiteral("Key"),          QStringLiteral("Mouse"),         QStringLiteral("Selection"),
        QStringLiteral("Date"),         QStringLiteral("Color"),         QStringLiteral("MovieClipLoader"),
        QStringLiteral("AsBroadcaster"), QStringLiteral("SharedObject"), QStringLiteral("System"),
        QStringLiteral("ContextMenu"),  QStringLiteral("ContextMenuItem"), QStringLiteral("TextSnapshot"),
        QStringLiteral("PrintJob"),     QStringLiteral("Video"),         QStringLiteral("Button"),
        QStringLiteral("Camera"),       QStringLiteral("Microphone"),    QStringLiteral("NetConnection"),
        QStringLiteral("NetStream"),    QStringLiteral("LocalConnection"), QStringLiteral("XMLSocket"),
        QStringLiteral("Accessibility"), QStringLiteral("ExternalInterface"), QStringLiteral("flash"),
        QStringLiteral("FileReference"), QStringLiteral("setInterval"),  QStringLiteral("setTimeout"),
        QStringLiteral("clearInterval"), QStringLiteral("clearTimeout"), QStringLiteral("ASSetPropFlags"),
        QStringLiteral("ASnative"),     QStringLiteral("escape"),        QStringLiteral("unescape"),
    };
    if (known.contains(name))
        noteMissing(name);
}

bool Interpreter::instanceOf(const Value& v, const Value& klass)
{
    // A primitive is no instance (the class is then not even converted).
    if (!v.isObject())
        return false;
    Object* ctor = toObject(klass);
    if (ctor && ctor->kind == Object::Kind::Clip && !ctor->clip())
        ctor = liveClipObject(ctor);
    if (!ctor)
        return false;
    const Slot* slot = ctor->slot(QStringLiteral("prototype"), caseSensitive());
    if (!slot)
        return false;
    if (!slot->value.isObject()) {
        // A primitive prototype becomes a new object, which no chain holds.
        toObject(slot->value);
        return false;
    }
    // A clip is no prototype; a clip that is gone has no chain.
    Object* target = slot->value.o;
    Object* object = v.o;
    if (target->kind == Object::Kind::Clip ||
        (object->kind == Object::Kind::Clip && !object->clip() && !(object = liveClipObject(object))))
        return false;
    int hops = 0;
    for (Object* p = object->proto; p && hops < kMaxProtoChain; p = p->proto, ++hops) {
        if (p == target)
            return true;
        // Interfaces listed by ImplementsOp.
        if (Slot* impl = p->slot(QStringLiteral("__implements__"), true); impl && impl->value.isObject()) {
            for (const Value& i : arrayValues(impl->value.o))
                if (i.isObject() && i.o == ctor)
                    return true;
        }
    }
    return false;
}

// --- members -----------------------------------------------------------------

bool Interpreter::isProtoName(const QString& name) const
{
    return name.compare(QLatin1String("__proto__"), caseSensitive() ? Qt::CaseSensitive : Qt::CaseInsensitive) == 0;
}

Slot* Interpreter::lookup(Object* o, const QString& name, Object** where)
{
    const bool cs = caseSensitive();
    int hops = 0;
    Object* p = o;
    for (; p && hops < kMaxProtoChain; p = p->proto, ++hops) {
        if (Slot* s = p->slot(name, cs); s && !hiddenFor(s->flags, version_)) {
            if (where)
                *where = p;
            return s;
        }
    }
    if (p)
        fail(QStringLiteral("prototype chain longer than %1 objects").arg(kMaxProtoChain));
    return nullptr;
}

bool Interpreter::getProperty(Object* o, const Value& self, const QString& name, Value& out, Object** where)
{
    switch (o->kind) {
    case Object::Kind::Super: {
        Object* h = superHome(o);
        Object* start = h ? h->proto : nullptr;
        Object* w = nullptr;
        if (!start)
            return false;
        Slot* s = lookup(start, name, &w);
        if (!s)
            return false;
        out = s->value;
        if (where)
            *where = w;
        return true;
    }
    case Object::Kind::Clip: {
        if (!o->clip()) {
            // A clip that is gone has nothing of its own: its members are
            // those of the clip now at its path, if any.
            Object* live = liveClipObject(o);
            return live && getProperty(live, self.isObject() && self.o == o ? Value::object(live) : self, name, out,
                                       where);
        }
        bool found = false;
        Value v = clipMember(o, name, found);
        if (found) {
            out = v;
            if (where)
                *where = o;
            return true;
        }
        break;
    }
    case Object::Kind::Array:
        // A property added with addProperty hides the array's own length.
        if (name == QLatin1String("length")) {
            if (const Slot* s = o->slot(name, caseSensitive()); s && s->getter)
                break;
            out = Value::number(double(o->length));
            return true;
        }
        break;
    case Object::Kind::Primitive:
        if (o->primitive.isString() && name == QLatin1String("length") && !o->slot(name, true)) {
            out = Value::number(double(o->primitive.s.size()));
            return true;
        }
        break;
    default:
        break;
    }
    if (isProtoName(name)) {
        // None: undefined, or the primitive a script stored there.
        out = o->proto ? Value::object(o->proto) : o->protoPrimitive;
        return o->proto != nullptr || !o->protoPrimitive.isUndefined();
    }
    Object* w = nullptr;
    Slot* s = lookup(o, name, &w);
    if (!s)
        return false;
    if (where)
        *where = w;
    if (s->getter && propertyHandlerMayRun(s->getter)) {
        Object* getter = s->getter;
        DepthGuard guard(propertyHandlers_);
        out = call(Value::object(getter), self, {});
        return true;
    }
    out = s->value;
    return true;
}

Value Interpreter::getMember(const Value& object, const QString& name)
{
    Value out;
    switch (object.type) {
    case Value::Type::Undefined:
    case Value::Type::Null:
        return {};
    case Value::Type::String:
    case Value::Type::Number:
    case Value::Type::Boolean: {
        // A primitive's members are those of the object its class's
        // constructor makes of it. The built-in constructor makes nothing
        // else a script could see, so its prototype is read directly.
        Object* ctor = primitiveConstructor(object);
        if (!ctor)
            return {};
        if (isBuiltinConstructor(object, ctor)) {
            if (object.isString() && name == QLatin1String("length"))
                return Value::number(double(object.s.size()));
            const Value proto = getMember(Value::object(ctor), QStringLiteral("prototype"));
            if (proto.isObject())
                getProperty(proto.o, object, name, out);
            return out;
        }
        if (Object* box = toObject(object, ctor))
            getProperty(box, Value::object(box), name, out);
        return out;
    }
    case Value::Type::Object:
        getProperty(object.o, object, name, out);
        return out;
    }
    return out;
}

void Interpreter::setMember(const Value& object, const QString& name, const Value& value)
{
    if (!object.isObject())
        return;
    Object* o = object.o;
    if (o->kind == Object::Kind::Clip && !o->clip()) {
        // Assignments to a clip that is gone reach the clip now at its path.
        if (Object* live = liveClipObject(o))
            setMember(Value::object(live), name, value);
        return;
    }
    const bool cs = caseSensitive();
    if (value.type == Value::Type::String && value.s.size() > 256)
        noteAllocation(int64_t(value.s.size()) * 2);
    // A watch on the object or its prototypes decides the stored value; it
    // is not called again for assignments it makes itself.
    Object* watcher = nullptr;
    int hops = 0;
    for (Object* p = o; p && hops < kMaxProtoChain && !watcher; p = p->proto, ++hops)
        if (p->watchOf(name, cs))
            watcher = p;
    // A watch is called again for assignments it makes itself, up to 64
    // levels deep; the innermost assignment then stores its value as it is.
    constexpr int kWatchDepth = 65;
    const QPair<Object*, QString> key{o, name};
    if (watcher && watching_.value(key) < kWatchDepth && propertyHandlers_ < kPropertyHandlerDepth) {
        const Object::Watch w = *watcher->watchOf(name, cs);
        // The old value is the stored one: a getter is not asked.
        const Slot* slot = lookup(o, name);
        const Value old = slot ? slot->value : getMember(object, name);
        auto leave = [&] {
            if (--watching_[key] <= 0)
                watching_.remove(key);
            --propertyHandlers_;
        };
        ++watching_[key];
        ++propertyHandlers_;
        Value stored;
        try {
            stored = call(Value::object(w.callback), object, {Value::string(name), old, value, w.data});
        } catch (const ScriptThrow&) {
            // A watch that throws leaves the property undefined.
            leave();
            setMemberUnwatched(object, name, Value());
            throw;
        } catch (...) {
            leave();
            throw;
        }
        leave();
        setMemberUnwatched(object, name, stored);
        return;
    }
    setMemberUnwatched(object, name, value);
}

void Interpreter::setMemberUnwatched(const Value& object, const QString& name, const Value& value)
{
    Object* o = object.o;
    const bool cs = caseSensitive();
    if (isProtoName(name)) {
        // Any value can be stored; only an object is a prototype. A cycle
        // is allowed, as in the Flash Player; a lookup that runs through it
        // ends the script (see lookup).
        o->proto = value.isObject() ? value.o : nullptr;
        o->protoPrimitive = value.isObject() ? Value() : value;
        return;
    }
    switch (o->kind) {
    case Object::Kind::Clip:
        if (setClipMember(o, name, value))
            return;
        break;
    case Object::Kind::Array:
        if (name == QLatin1String("length")) {
            if (const Slot* s = o->slot(name, cs); s && (s->getter || s->setter))
                break;
            setArrayLength(o, toInt32(toNumber(value)));
            return;
        }
        // An element at or past the length makes the length one more than
        // its index (in 32 bits: the length may wrap to a negative number).
        if (int32_t i; arrayIndexName(name, i)) {
            const bool known = o->slot(name, cs) != nullptr;
            if (!known && int64_t(o->props.size()) - o->removedSlots >= limits.arrayLength)
                fail(QStringLiteral("array longer than %1 elements").arg(limits.arrayLength));
            setMemberPlain(object, name, value);
            if (i >= o->length)
                setArrayLength(o, int32_t(uint32_t(i) + 1u));
            return;
        }
        break;
    default:
        break;
    }
    setMemberPlain(object, name, value);
}

void Interpreter::setMemberPlain(const Value& object, const QString& name, const Value& value)
{
    Object* o = object.o;
    const bool cs = caseSensitive();
    if (Slot* own = o->slot(name, cs)) {
        if (own->setter && propertyHandlerMayRun(own->setter)) {
            Object* setter = own->setter;
            DepthGuard guard(propertyHandlers_);
            call(Value::object(setter), object, {value});
            return;
        }
        if (own->getter && !own->setter)
            return; // read-only property made by addProperty
        if (!(own->flags & ReadOnly))
            own->value = value;
        return;
    }
    // Inherited addProperty accessors act on this object.
    if (Slot* inherited = lookup(o->proto, name)) {
        if (inherited->setter && propertyHandlerMayRun(inherited->setter)) {
            Object* setter = inherited->setter;
            DepthGuard guard(propertyHandlers_);
            call(Value::object(setter), object, {value});
            return;
        }
        if (inherited->getter)
            return;
    }
    noteAllocation(96 + int64_t(name.size()) * 2);
    o->put(name, value, 0, cs);
}

bool Interpreter::deleteMember(const Value& object, const QString& name)
{
    if (!object.isObject())
        return false;
    if (isProtoName(name)) {
        Object* o = object.o;
        const bool had = o->proto || !o->protoPrimitive.isUndefined();
        o->proto = nullptr;
        o->protoPrimitive = Value();
        return had;
    }
    return object.o->remove(name, caseSensitive());
}

QStringList Interpreter::enumerate(const Value& object)
{
    QStringList names;
    if (!object.isObject())
        return names;
    Object* o = object.o;
    QSet<QString> seen;
    int hops = 0;
    for (Object* p = o; p && hops < kMaxProtoChain; p = p->proto, ++hops) {
        // Insertion order: the VM pushes the names in this order, so a
        // for..in loop sees the newest property first, as in Flash Player.
        for (size_t i = 0; i < p->props.size(); ++i) {
            const Slot& s = p->props[i];
            if (s.removed || seen.contains(s.name))
                continue;
            seen.insert(s.name);
            // Properties hidden from older movies by their version flags
            // are still listed: the Flash Player's for..in does not check them.
            if (!(s.flags & DontEnum))
                names.append(s.name);
        }
        if (p->kind == Object::Kind::Clip && p->clip()) {
            for (const QString& child : p->clip()->childNames()) {
                if (!seen.contains(child)) {
                    seen.insert(child);
                    names.append(child);
                }
            }
        }
    }
    return names;
}

// --- variables -------------------------------------------------------------

Value Interpreter::getVariable(Frame& f, const QString& name, Object** holder)
{
    const bool cs = caseSensitive();
    auto is = [&](const char* word) {
        return name.compare(QLatin1String(word), cs ? Qt::CaseSensitive : Qt::CaseInsensitive) == 0;
    };
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char(':')) || name.contains(QLatin1Char('.'))) {
        // A path: "a.b.c", "/a/b:c", "_root.a:c".
        QString target, var;
        if (splitVariablePath(name, target, var)) {
            if (!name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char(':'))) {
                // Dot path: evaluate the first part as a variable, then members.
                const QStringList parts = name.split(QLatin1Char('.'));
                Value v = getVariable(f, parts[0]);
                for (int i = 1; i < parts.size(); ++i)
                    v = getMember(v, parts[i]);
                return v;
            }
            const Value named = resolvePath(clipOf(Value::object(f.timeline)), target);
            if (!named.isObject())
                return {};
            return var.isEmpty() ? named : getMember(named, var);
        }
        // A plain clip path without a variable.
        DisplayObjectHost* clip = resolveClipPath(clipOf(Value::object(f.timeline)), name);
        return clip ? Value::object(objectFor(clip)) : Value();
    }
    if (is("this")) {
        // `this` belongs to the running code (a script may even assign it).
        // A DefineFunction2 whose `this` is in a register or suppressed
        // finds the timeline's clip by that name (nothing before SWF 6).
        if (f.thisByName)
            return f.thisv;
        return f.version >= 6 && f.timeline ? Value::object(f.timeline) : Value();
    }
    if (is("_global"))
        return Value::object(global);
    if (is("_root"))
        return Value::object(objectFor(rootOf(clipOf(Value::object(f.timeline)))));
    if (name.startsWith(QLatin1String("_level"), cs ? Qt::CaseSensitive : Qt::CaseInsensitive)) {
        bool ok = false;
        const int level = name.mid(6).toInt(&ok);
        if (ok) {
            DisplayObjectHost* root = player.levelRoot(level);
            return root ? Value::object(objectFor(root)) : Value();
        }
    }
    if (is("super") && f.isFunction && f.superByName) {
        return Value::object(makeSuper(f.thisv, f.home, f.homeDepth));
    }
    // SWF 4 movies have no global objects: their names reach timelines only
    // (NaN and Infinity are plain undefined variables there).
    const size_t outermost = f.version < 5 ? 1 : 0;
    for (size_t i = f.scope.size(); i-- > outermost;) {
        Object* s = f.scope[i];
        Value out;
        if (getProperty(s, Value::object(s), name, out)) {
            if (holder)
                *holder = s;
            return out;
        }
    }
    return {};
}

void Interpreter::setVariable(Frame& f, const QString& name, const Value& value)
{
    if (f.thisByName && name.compare(QLatin1String("this"), caseSensitive() ? Qt::CaseSensitive : Qt::CaseInsensitive) == 0) {
        f.thisv = value; // `this = x` changes the running code's this
        return;
    }
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char(':')) || name.contains(QLatin1Char('.'))) {
        QString target, var;
        if (!splitVariablePath(name, target, var) || var.isEmpty())
            return;
        if (!name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char(':'))) {
            const Value holder = getVariable(f, target);
            setMember(holder, var, value);
            return;
        }
        const Value holder = resolvePath(clipOf(Value::object(f.timeline)), target);
        if (holder.isObject())
            setMember(holder, var, value);
        return;
    }
    const bool cs = caseSensitive();
    // The innermost scope (not _global) that already has the variable.
    for (size_t i = f.scope.size(); i-- > 1;) {
        Object* s = f.scope[i];
        bool has = s->find(name, cs) >= 0;
        if (!has && s->kind == Object::Kind::Clip) {
            bool found = false;
            clipMember(s, name, found);
            has = found;
        }
        if (!has && s->kind != Object::Kind::Clip && s->proto) {
            // With objects and activations see inherited properties too.
            has = lookup(s->proto, name) != nullptr;
        }
        if (has) {
            setMember(Value::object(s), name, value);
            return;
        }
    }
    setMember(Value::object(f.timeline), name, value);
}

} // namespace fotarel::swf::avm1
