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
