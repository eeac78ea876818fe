// The core of the built-ins: Object and Function, and the order in which
// every built-in class and global object is set up.

#include "swf/avm1/builtin_helpers.h"

namespace fotarel::swf::avm1 {

void Interpreter::setupBuiltins()
{
    objectProto = alloc(Object::Kind::Plain, nullptr);
    functionProto = alloc(Object::Kind::Plain, objectProto);
    global = alloc(Object::Kind::Plain, nullptr); // bare: no Object.prototype methods
    classRegistry = alloc(Object::Kind::Plain, nullptr);

    setupObjectClass();
    setupFunctionClass();
    setupArrayClass();
    setupStringClass();
    setupNumberClass();
    setupBooleanClass();
    setupErrorClass();
    setupMath();
    setupGlobalFunctions();
    setupSystem();
    setupStage();
    setupBroadcaster();
    setupLoadVars();
    setupSoundClass();
    setupClipClasses();
    setupColorClass();
    setupDateClass();
    setupNativeTable();
    setupTextClasses();
    setupClipGeometry();
    setupDisplayProps();
    setupDrawingMethods();
    setupFlashPackage();
    setupXmlClasses();
}

// Object: the root of every prototype chain; watches, addProperty, registerClass.
void Interpreter::setupObjectClass()
{
    Interpreter& vm = *this;
    Object* objectCtor = makeClass(
        vm, "Object", objectProto,
        // Object(x) called as a function: x as an object; with nothing (or
        // null, undefined) a bare object without a prototype, as the Flash
        // Player makes it.
        [](Interpreter& v, Args& a) {
            if (!a.count() || a.at(0).isNullish())
                return Value::object(v.alloc(Object::Kind::Plain, nullptr));
            Object* o = v.toObject(a.at(0));
            return Value::object(o ? o : v.newObject());
        },
        [](Interpreter& v, Args& a) {
            if (a.count() && a.at(0).isObject())
                return a.at(0);
            (void)v;
            return a.self;
        });
    def(vm, objectCtor, "registerClass", [](Interpreter& v, Args& a) {
        const QString name = v.toString(a.at(0));
        if (a.at(1).isObject() && a.at(1).o->isFunction())
            v.classRegistry->put(name, a.at(1));
        else
            v.classRegistry->remove(name, true);
        return Value::boolean(true);
    });
    def(vm, objectProto, "toString", [](Interpreter& v, Args& a) {
        if (a.self.isObject() && a.self.o->kind == Object::Kind::Clip)
            return Value::string(v.toString(a.self));
        if (a.self.isObject() && a.self.o->isFunction())
            return Value::string(QStringLiteral("[type Function]"));
        return Value::string(QStringLiteral("[object Object]"));
    });
    def(vm, objectProto, "valueOf", [](Interpreter&, Args& a) { return a.self; });
    def(vm, objectProto, "hasOwnProperty", [](Interpreter& v, Args& a) {
        // No argument, or the empty name, is never an own property.
        if (!a.self.isObject() || a.args.empty())
            return Value::boolean(false);
        const QString name = v.toString(a.at(0));
        if (name.isEmpty())
            return Value::boolean(false);
        Object* o = a.self.o;
        // Every object with a prototype holds the link as its own property.
        if (v.isProtoName(name))
            return Value::boolean(o->proto != nullptr || !o->protoPrimitive.isUndefined());
        const Slot* s = o->slot(name, v.caseSensitive());
        return Value::boolean(s && !hiddenFor(s->flags, v.version()));
    });
    def(vm, objectProto, "isPropertyEnumerable", [](Interpreter& v, Args& a) {
        if (!a.self.isObject())
            return Value::boolean(false);
        const Slot* s = a.self.o->slot(v.toString(a.at(0)), v.caseSensitive());
        return Value::boolean(s && !(s->flags & DontEnum));
    });
    def(vm, objectProto, "isPrototypeOf", [](Interpreter&, Args& a) {
        if (!a.self.isObject() || !a.at(0).isObject())
            return Value::boolean(false);
        int hops = 0;
        for (Object* p = a.at(0).o->proto; p && hops < 256; p = p->proto, ++hops)
            if (p == a.self.o)
                return Value::boolean(true);
        return Value::boolean(false);
    });
    // watch(name, callback, data): the callback is called as
    // callback(name, old, new, data) on every assignment and returns the
    // value stored. unwatch(name) ends it.
    def(vm, objectProto, "watch", [](Interpreter& v, Args& a) {
        if (!a.self.isObject() || a.count() < 2 || !a.at(1).isObject() || !a.at(1).o->isFunction())
            return Value::boolean(false);
        Object* o = a.self.o;
        const QString name = v.toString(a.at(0));
        if (Object::Watch* w = o->watchOf(name, v.caseSensitive())) {
            *w = {a.at(1).o, a.at(2)};
            return Value::boolean(true);
        }
        if (!o->watches)
            o->watches = std::make_unique<std::vector<std::pair<QString, Object::Watch>>>();
        if (int64_t(o->watches->size()) >= v.limits.arrayLength)
            v.fail(QStringLiteral("more than %1 watches").arg(v.limits.arrayLength));
        v.noteAllocation(64 + int64_t(name.size()) * 2);
        o->watches->push_back({name, {a.at(1).o, a.at(2)}});
        return Value::boolean(true);
    });
    def(vm, objectProto, "unwatch", [](Interpreter& v, Args& a) {
        if (!a.self.isObject() || !a.self.o->watches)
            return Value::boolean(false);
        const QString name = v.toString(a.at(0));
        const Qt::CaseSensitivity cs = v.caseSensitive() ? Qt::CaseSensitive : Qt::CaseInsensitive;
        const auto removed = std::erase_if(*a.self.o->watches, [&](const auto& w) { return w.first.compare(name, cs) == 0; });
        return Value::boolean(removed > 0);
    });
    def(vm, objectProto, "addProperty", [](Interpreter& v, Args& a) {
        // A getter function is required; the setter is a function or null
        // (read-only), anything else refuses the property.
        const bool setterOk = a.at(2).isNull() || (a.at(2).isObject() && a.at(2).o->isFunction());
        if (!a.self.isObject() || !a.at(1).isObject() || !a.at(1).o->isFunction() || !setterOk)
            return Value::boolean(false);
        const QString name = v.toString(a.at(0));
        if (name.isEmpty())
            return Value::boolean(false);
        // An existing property keeps its stored value behind the getter
        // (Array.pop still answers an element's value).
        Object* o = a.self.o;
        Slot* s = o->slot(name, v.caseSensitive());
        if (s)
            s->flags = 0;
        else
            o->put(name, Value(), 0, v.caseSensitive());
        s = o->slot(name, v.caseSensitive());
        s->getter = a.at(1).o;
        s->setter = a.at(2).isObject() && a.at(2).o->isFunction() ? a.at(2).o : nullptr;
        return Value::boolean(true);
    });
}

// Function: call and apply.
void Interpreter::setupFunctionClass()
{
    Interpreter& vm = *this;
    // Function(x) called as a function answers x itself; with nothing, a
    // bare object without a prototype.
    Object* functionCtor = makeClass(
        vm, "Function", functionProto,
        [](Interpreter& v, Args& a) {
            return a.count() ? a.at(0) : Value::object(v.alloc(Object::Kind::Plain, nullptr));
        },
        {});
    (void)functionCtor;
    // call and apply run the function on an object: a primitive `this` is
    // made one by its class's constructor; undefined, null, or a value no
    // constructor takes, stand for _global.
    auto thisObject = [](Interpreter& v, const Value& self) {
        Object* o = self.isNullish() ? nullptr : v.toObject(self);
        return Value::object(o ? o : v.global);
    };
    def(vm, functionProto, "call", [thisObject](Interpreter& v, Args& a) {
        std::vector<Value> rest(a.args.size() > 1 ? a.args.begin() + 1 : a.args.end(), a.args.end());
        return v.call(a.self, thisObject(v, a.at(0)), std::move(rest));
    });
    def(vm, functionProto, "apply", [thisObject](Interpreter& v, Args& a) {
        std::vector<Value> rest;
        if (a.at(1).isObject())
            rest = v.arrayValues(a.at(1).o);
        return v.call(a.self, thisObject(v, a.at(0)), std::move(rest));
    });
}

} // namespace fotarel::swf::avm1
