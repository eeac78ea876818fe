#pragma once

// Helpers shared by the setup functions of the built-in classes (internal
// to fotarel_avm1).

#include "swf/avm1/interpreter.h"

namespace fotarel::swf::avm1 {

using Args = CallArgs;

// A native method (not enumerable), with any further property flags.
inline void def(Interpreter& vm, Object* o, const char* name, NativeFunction fn, uint16_t flags = 0)
{
    o->put(QString::fromLatin1(name), Value::object(vm.newNative(std::move(fn))), uint16_t(DontEnum | flags));
}

// A constant: not enumerable, not deletable, read-only.
inline void constant(Object* o, const char* name, Value v)
{
    o->put(QString::fromLatin1(name), std::move(v), DontEnum | DontDelete | ReadOnly);
}

// A global class: its constructor (called as a function: `call`; with new:
// `construct`, or `call` when empty) linked both ways with `proto`.
inline Object* makeClass(Interpreter& vm, const char* name, Object* proto, NativeFunction call,
                         NativeFunction construct)
{
    Object* ctor = vm.newNative(std::move(call), std::move(construct));
    ctor->put(QStringLiteral("prototype"), Value::object(proto), DontEnum | DontDelete);
    proto->put(QStringLiteral("constructor"), Value::object(ctor), DontEnum);
    vm.global->put(QString::fromLatin1(name), Value::object(ctor), DontEnum);
    return ctor;
}

} // namespace fotarel::swf::avm1

namespace fotarel::swf::avm1 {

// A package object of `_global` (flash, flash.geom, ...), made when missing.
inline Object* packageOf(Interpreter& vm, Object* parent, const char* name)
{
    const QString key = QString::fromLatin1(name);
    const Value existing = vm.getMember(Value::object(parent), key);
    if (existing.isObject())
        return existing.o;
    Object* o = vm.newObject();
    parent->put(key, Value::object(o), DontEnum);
    return o;
}

// A class of a package: `construct` makes an object with `new` and, called
// as a function (super() of a subclass), sets up `this` the same way;
// `*proto` receives its prototype.
inline Object* makePackageClass(Interpreter& vm, Object* package, const char* name, NativeFunction construct,
                                Object** proto)
{
    *proto = vm.newObject();
    Object* ctor = vm.newNative(construct, construct);
    ctor->put(QStringLiteral("prototype"), Value::object(*proto), DontEnum | DontDelete);
    (*proto)->put(QStringLiteral("constructor"), Value::object(ctor), DontEnum);
    package->put(QString::fromLatin1(name), Value::object(ctor), DontEnum);
    return ctor;
}

// A property answered by native code: a getter, and a setter when given.
inline void nativeAccessor(Interpreter& vm, Object* o, const char* name, NativeFunction getter,
                     NativeFunction setter = {}, uint16_t flags = DontDelete | DontEnum)
{
    o->put(QString::fromLatin1(name), Value(), flags);
    Slot* s = o->slot(QString::fromLatin1(name), true);
    s->getter = vm.newNative(std::move(getter));
    if (setter)
        s->setter = vm.newNative(std::move(setter));
}

} // namespace fotarel::swf::avm1
