// Actions on objects and functions: members, construction, calls, function
// definitions, enumeration and classes.

#include "swf/avm1/handlers.h"

#include <algorithm>
#include <cmath>

namespace fotarel::swf::avm1 {

std::vector<Value> popArgs(Frame& f, double count)
{
    std::vector<Value> args;
    if (std::isnan(count) || count < 0)
        count = 0;
    const size_t n = size_t(std::min(count, double(f.stack.size())));
    args.reserve(n);
    for (size_t i = 0; i < n; ++i)
        args.push_back(pop(f));
    return args;
}

// super(...): the constructor of the parent class, on the same object.
Value Interpreter::callSuperConstructor(Object* sup, std::vector<Value> args)
{
    Object* where = nullptr;
    Object* home = superHome(sup);
    Slot* ctor = home ? lookup(home, QStringLiteral("__constructor__"), &where) : nullptr;
    if (!ctor || !ctor->value.isObject())
        return {};
    // A built-in class (Number, String, Boolean, Array, ...) called as the
    // super constructor makes `this` its instance, as `new` would.
    Object* fo = ctor->value.isObject() && ctor->value.o->isFunction() ? ctor->value.o : nullptr;
    if (fo && fo->native && sup->primitive.isObject()) {
        if (callDepth >= limits.callDepth)
            fail(QStringLiteral("function calls nested deeper than %1").arg(limits.callDepth));
        DepthGuard guard(callDepth);
        CallArgs ca{sup->primitive, std::move(args), fo, true};
        return fo->nativeConstruct ? fo->nativeConstruct(*this, ca) : fo->native(*this, ca);
    }
    const Value proto = getMember(ctor->value, QStringLiteral("prototype"));
    return call(ctor->value, sup->primitive, std::move(args), proto.isObject() ? proto.o : nullptr);
}

bool Interpreter::timelineRemoved(const Frame& f)
{
    const Object* t = f.baseTimeline;
    if (!t || t->kind != Object::Kind::Clip)
        return false;
    const DisplayObjectHost* c = t->clip();
    return !c || c->removed();
}

namespace {

// A script whose own clip was removed (by a jump of its parent,
// removeMovieClip, a clip attached in its place) stops at its next call of
// a function or method, as the Flash Player stops it: the call itself
// still happens. A method call on something that is no object does not count.
void endIfTimelineRemoved(Frame& f, Step& s)
{
    if (f.timelineWasLive && Interpreter::timelineRemoved(f)) {
        s.returned = true;
        s.result = Value();
        f.stack.clear();
    }
}

void defineFunction(Interpreter& vm, Frame& f, const Action& a, Step& s)
{
    const FunctionShape& shape = *a.function;
    auto fn = std::make_shared<ScriptFunction>();
    fn->v2 = shape.v2;
    fn->name = shape.name;
    fn->registerCount = shape.registerCount;
    fn->flags = shape.flags;
    fn->params.reserve(shape.params.size());
    for (const FunctionShape::Param& p : shape.params)
        fn->params.push_back(Param{p.name, p.reg});
    const int codeSize = shape.bodySize;
    if (s.next + codeSize > f.end)
        vm.fail(QStringLiteral("function body past the end of the action block"));
    fn->code = f.code;
    fn->program = f.program;
    fn->start = s.next;
    fn->end = s.next + codeSize;
    // Functions are a SWF 5 feature: found in an older movie, they still
    // run by SWF 5 rules (booleans, Infinity).
    fn->swfVersion = std::max(f.version, 5);
    fn->scope = f.scope;
    fn->constants = f.constants;
    fn->timeline = f.timeline;
    s.next += codeSize;
    Object* fo = vm.newScriptFunction(fn);
    if (fn->name.isEmpty())
        push(vm, f, Value::object(fo));
    else if (f.isFunction)
        f.locals->put(fn->name, Value::object(fo), 0, vm.caseSensitive());
    else if (isPath(fn->name))
        vm.setVariable(f, fn->name, Value::object(fo)); // function /:f() {} defines _root's f
    else
        vm.setMember(Value::object(f.locals), fn->name, Value::object(fo));
}

void callFunction(Interpreter& vm, Frame& f, const Action&, Step& s)
{
    const Value nameValue = pop(f);
    std::vector<Value> args = popArgs(f, vm.toNumber(pop(f)));
    Object* holder = nullptr;
    Value fn = nameValue.isObject() ? nameValue : vm.getVariable(f, vm.toString(nameValue), &holder);
    if (fn.isObject() && fn.o->kind == Object::Kind::Super) { // super(...) compiled as a call of "super"
        push(vm, f, vm.callSuperConstructor(fn.o, std::move(args)));
        return;
    }
    // A function found on a With object is called on it:
    // with (clip) { gotoAndStop(2); } moves that clip.
    Value self = Value::object(f.timeline);
    bool onWith = false;
    for (const Region& r : f.regions)
        if (holder && r.kind == Region::Kind::With && r.scopeSize < f.scope.size() && f.scope[r.scopeSize] == holder) {
            self = Value::object(holder);
            onWith = true;
        }
    // A function held by a local variable (of this function or an enclosing
    // one) runs with the locals as `this` before SWF 7, and with no `this`
    // from SWF 7.
    if (!onWith && holder && holder != vm.global && holder->kind != Object::Kind::Clip)
        self = f.version >= 7 ? Value() : Value::object(holder);
    push(vm, f, vm.call(fn, self, std::move(args)));
    endIfTimelineRemoved(f, s);
}

void callMethod(Interpreter& vm, Frame& f, const Action&, Step& s)
{
    const Value nameValue = pop(f);
    const Value obj = pop(f);
    std::vector<Value> args = popArgs(f, vm.toNumber(pop(f)));
    const QString name = nameValue.isUndefined() ? QString() : vm.toString(nameValue);
    if (name.isEmpty()) {
        if (obj.isObject() && obj.o->kind == Object::Kind::Super) {
            push(vm, f, vm.callSuperConstructor(obj.o, std::move(args)));
        } else {
            push(vm, f, vm.call(obj, Value(), std::move(args)));
        }
        return;
    }
    if (obj.isObject() && obj.o->kind == Object::Kind::Super) {
        Object* where = nullptr;
        Value fn;
        vm.getProperty(obj.o, obj, name, fn, &where);
        push(vm, f, vm.call(fn, obj.o->primitive, std::move(args), where));
        return;
    }
    push(vm, f, vm.callMethod(obj, name, std::move(args)));
    if (obj.isObject())
        endIfTimelineRemoved(f, s);
}

void newObject(Interpreter& vm, Frame& f, const Action&, Step& s)
{
    const QString name = vm.toString(pop(f));
    std::vector<Value> args = popArgs(f, vm.toNumber(pop(f)));
    push(vm, f, vm.construct(vm.getVariable(f, name), std::move(args)));
    endIfTimelineRemoved(f, s);
}

void newMethod(Interpreter& vm, Frame& f, const Action&, Step& s)
{
    const Value nameValue = pop(f);
    const Value obj = pop(f);
    std::vector<Value> args = popArgs(f, vm.toNumber(pop(f)));
    const QString name = nameValue.isUndefined() ? QString() : vm.toString(nameValue);
    push(vm, f, vm.construct(name.isEmpty() ? obj : vm.getMember(obj, name), std::move(args)));
    if (obj.isObject())
        endIfTimelineRemoved(f, s);
}

void initArray(Interpreter& vm, Frame& f, const Action&, Step&)
{
    // A count past the stack makes undefined and takes nothing.
    const double count = vm.toNumber(pop(f));
    if (count > double(f.stack.size())) {
        push(vm, f, Value());
        return;
    }
    std::vector<Value> elements = popArgs(f, count);
    push(vm, f, Value::object(vm.newArray(std::move(elements))));
}

void initObject(Interpreter& vm, Frame& f, const Action&, Step&)
{
    const double count = vm.toNumber(pop(f));
    Object* o = vm.newObject();
    const size_t n = std::isnan(count) || count < 0 ? 0 : size_t(std::min(count, double(f.stack.size() / 2)));
    // Pairs come off the stack last first and are defined in that order,
    // so for..in (newest first) lists them in source order.
    for (size_t i = 0; i < n; ++i) {
        Value v = pop(f);
        vm.setMember(Value::object(o), vm.toString(pop(f)), v);
    }
    push(vm, f, Value::object(o));
}

void getMember(Interpreter& vm, Frame& f, const Action&, Step&)
{
    const QString name = vm.toString(pop(f));
    const Value obj = pop(f);
    push(vm, f, vm.getMember(obj, name));
}

void setMember(Interpreter& vm, Frame& f, const Action&, Step&)
{
    Value v = pop(f);
    const QString name = vm.toString(pop(f));
    const Value obj = pop(f);
    vm.setMember(obj, name, v);
}

void deleteMember(Interpreter& vm, Frame& f, const Action&, Step&)
{
    const QString name = vm.toString(pop(f));
    const Value obj = pop(f);
    push(vm, f, Value::boolean(vm.deleteMember(obj, name)));
}

void enumerate(Interpreter& vm, Frame& f, const Action& a, Step&)
{
    Value obj = pop(f);
    if (a.code == op::Enumerate)
        obj = vm.getVariable(f, vm.toString(obj));
    const QStringList names = vm.enumerate(obj);
    push(vm, f, Value()); // the end marker is undefined (loops test it with Equals2 against null)
    for (const QString& n : names)
        push(vm, f, Value::string(n));
    if (f.stack.size() > kMaxStack)
        vm.fail(QStringLiteral("stack overflow"));
}

void instanceOf(Interpreter& vm, Frame& f, const Action&, Step&)
{
    const Value ctor = pop(f);
    const Value obj = pop(f);
    push(vm, f, Value::boolean(vm.instanceOf(obj, ctor)));
}

void castOp(Interpreter& vm, Frame& f, const Action&, Step&)
{
    const Value obj = pop(f);
    const Value ctor = pop(f);
    // The value is made an object first (running its class's constructor),
    // but only an object already is the class's instance.
    vm.toObject(obj);
    push(vm, f, vm.instanceOf(obj, ctor) ? obj : Value::null());
}

void implementsOp(Interpreter& vm, Frame& f, const Action&, Step&)
{
    const Value ctor = pop(f);
    std::vector<Value> interfaces = popArgs(f, vm.toNumber(pop(f)));
    const Value proto = vm.getMember(ctor, QStringLiteral("prototype"));
    if (proto.isObject())
        proto.o->put(QStringLiteral("__implements__"), Value::object(vm.newArray(std::move(interfaces))), DontEnum);
}

void extends(Interpreter& vm, Frame& f, const Action&, Step&)
{
    const Value superclass = pop(f);
    const Value subclass = pop(f);
    if (!superclass.isObject() || !subclass.isObject())
        return;
    const Value superProto = vm.getMember(superclass, QStringLiteral("prototype"));
    Object* proto = vm.alloc(Object::Kind::Plain, superProto.isObject() ? superProto.o : vm.objectProto);
    proto->put(QStringLiteral("__constructor__"), superclass, DontEnum);
    if (f.version < 7)
        proto->put(QStringLiteral("constructor"), superclass, DontEnum);
    subclass.o->put(QStringLiteral("prototype"), Value::object(proto), DontEnum | DontDelete);
}

} // namespace

void addObjectHandlers(HandlerTable& t)
{
    t[op::DefineFunction] = defineFunction;
    t[op::DefineFunction2] = defineFunction;
    t[op::CallFunction] = callFunction;
    t[op::CallMethod] = callMethod;
    t[op::NewObject] = newObject;
    t[op::NewMethod] = newMethod;
    t[op::InitArray] = initArray;
    t[op::InitObject] = initObject;
    t[op::GetMember] = getMember;
    t[op::SetMember] = setMember;
    t[op::Delete] = deleteMember;
    t[op::Enumerate] = enumerate;
    t[op::Enumerate2] = enumerate;
    t[op::InstanceOf] = instanceOf;
    t[op::CastOp] = castOp;
    t[op::ImplementsOp] = implementsOp;
    t[op::Extends] = extends;
}

} // namespace fotarel::swf::avm1
