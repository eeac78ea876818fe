// Actions on variables, paths and targets: Get/SetVariable, DefineLocal,
// Delete2, SetTarget, clip properties by index, TargetPath, registers.

#include "swf/avm1/handlers.h"

#include <QRegularExpression>

#include <cmath>

namespace fotarel::swf::avm1 {

DisplayObjectHost* targetClip(Interpreter& vm, Frame& f, const Value& target)
{
    if (target.isObject() && target.o->kind == Object::Kind::Clip)
        return vm.clipOf(target);
    const QString path = vm.toString(target);
    if (path.isEmpty())
        return timelineClip(vm, f);
    return vm.resolveClipPath(timelineClip(vm, f), path);
}

void setTarget(Interpreter& vm, Frame& f, const Value& target)
{
    // No target (undefined, "") goes back to the script's own timeline; a
    // target that names no clip (a missing path, a number, null, a plain
    // object) goes to the root of that timeline's level.
    Object* t = f.baseTimeline;
    if (Interpreter::timelineRemoved(f)) {
        // The script's own clip was removed meanwhile: its level's root stands in.
        DisplayObjectHost* own = t ? t->clip() : nullptr;
        if (DisplayObjectHost* root = vm.player.levelRoot(own ? own->level() : 0))
            t = vm.objectFor(root);
    }
    if (target.isObject() && target.o->kind == Object::Kind::Clip) {
        // A clip is found again by its path, as the Flash Player does: of
        // two children with one name, the lower one is the target.
        t = target.o;
        if (DisplayObjectHost* c = target.o->clip())
            if (DisplayObjectHost* byPath = vm.resolveClipPath(c, vm.targetPath(c)))
                t = vm.objectFor(byPath);
    } else if (!target.isUndefined()) {
        const QString path = vm.toString(target);
        if (!path.isEmpty()) {
            DisplayObjectHost* base = vm.clipOf(Value::object(f.baseTimeline));
            DisplayObjectHost* clip = vm.resolveClipPath(base, path);
            if (!clip && base)
                clip = vm.player.levelRoot(base->level());
            if (!clip)
                return;
            t = vm.objectFor(clip);
        }
    }
    f.timeline = t;
    if (!f.isFunction && f.scope.size() > 1)
        f.scope[1] = t;
    if (!f.isFunction)
        f.locals = t;
}

namespace {

void getVariable(Interpreter& vm, Frame& f, const Action&, Step&)
{
    const QString name = vm.toString(pop(f));
    Value v = vm.getVariable(f, name);
    if (v.isUndefined())
        vm.noteMissingBuiltin(name);
    push(vm, f, std::move(v));
}

void setVariable(Interpreter& vm, Frame& f, const Action&, Step&)
{
    Value v = pop(f);
    const QString name = vm.toString(pop(f));
    vm.setVariable(f, name, v);
}

void defineLocal(Interpreter& vm, Frame& f, const Action&, Step&)
{
    Value v = pop(f);
    const QString name = vm.toString(pop(f));
    // In a function the name is a local's, whatever it looks like; outside
    // one a path ("/:a", "_root.a") sets the variable it names.
    if (f.isFunction)
        f.locals->put(name, std::move(v), 0, vm.caseSensitive());
    else if (isPath(name))
        vm.setVariable(f, name, v);
    else
        vm.setMember(Value::object(f.locals), name, v);
}

void defineLocal2(Interpreter& vm, Frame& f, const Action&, Step&)
{
    const QString name = vm.toString(pop(f));
    if (f.isFunction) {
        if (f.locals->find(name, vm.caseSensitive()) < 0)
            f.locals->put(name, Value(), 0, vm.caseSensitive());
    } else if (isPath(name)) {
        // `var /:a;` makes the variable it names, undefined, unless it exists.
        QString target, var;
        vm.splitVariablePath(name, target, var);
        const Value holder = target.isEmpty() ? Value::object(f.timeline) : vm.getVariable(f, target);
        if (holder.isObject() && !var.isEmpty() && holder.o->find(var, vm.caseSensitive()) < 0)
            vm.setMember(holder, var, Value());
    } else if (f.locals->find(name, vm.caseSensitive()) < 0) {
        vm.setMember(Value::object(f.locals), name, Value());
    }
}

void delete2(Interpreter& vm, Frame& f, const Action&, Step&)
{
    const QString name = vm.toString(pop(f));
    // A path ("o.a", "o:a") deletes the member of the object it names.
    if (const qsizetype cut = std::max(name.lastIndexOf(QLatin1Char('.')), name.lastIndexOf(QLatin1Char(':')));
        cut > 0) {
        const QString path = name.left(cut);
        Value target;
        if (path.contains(QLatin1Char('/'))) {
            target = vm.getVariable(f, path);
        } else {
            const QStringList parts = path.split(QRegularExpression(QStringLiteral("[.:]")));
            target = vm.getVariable(f, parts.front());
            for (qsizetype i = 1; i < parts.size(); ++i)
                target = vm.getMember(target, parts[i]);
        }
        if (!target.isObject() && !target.isNullish())
            vm.player.trace(
                QStringLiteral("Parameters of primitive types are no longer coerced into the required type - Object."));
        push(vm, f, Value::boolean(target.isObject() && vm.deleteMember(target, name.mid(cut + 1))));
        return;
    }
    bool done = false;
    for (size_t i = f.scope.size(); i-- > 0 && !done;) {
        if (f.scope[i]->find(name, vm.caseSensitive()) >= 0)
            done = f.scope[i]->remove(name, vm.caseSensitive());
    }
    push(vm, f, Value::boolean(done));
}

void setTargetByName(Interpreter& vm, Frame& f, const Action& a, Step&) { setTarget(vm, f, Value::string(a.text[0])); }
void setTarget2(Interpreter& vm, Frame& f, const Action&, Step&) { setTarget(vm, f, pop(f)); }

void getProperty(Interpreter& vm, Frame& f, const Action&, Step&)
{
    // The index is truncated toward zero (-0.8 is _x).
    const double index = std::trunc(vm.toNumber(pop(f)));
    DisplayObjectHost* clip = targetClip(vm, f, pop(f));
    if (!clip || std::isnan(index) || index < 0 || index >= kPropertyCount)
        push(vm, f, Value());
    else
        push(vm, f, vm.clipProperty(clip, int(index)));
}

void setProperty(Interpreter& vm, Frame& f, const Action&, Step&)
{
    const Value v = pop(f);
    const double index = std::trunc(vm.toNumber(pop(f)));
    DisplayObjectHost* clip = targetClip(vm, f, pop(f));
    if (clip && !std::isnan(index) && index >= 0 && index < kPropertyCount)
        vm.setClipProperty(clip, int(index), v);
}

void targetPath(Interpreter& vm, Frame& f, const Action&, Step&)
{
    const Value v = pop(f);
    DisplayObjectHost* c = v.isObject() ? vm.clipOf(v) : nullptr;
    push(vm, f, c ? Value::string(vm.targetPath(c)) : Value());
}

void storeRegister(Interpreter&, Frame& f, const Action& a, Step&)
{
    const auto r = size_t(a.n[0]);
    if (r < f.registers.size())
        f.registers[r] = f.stack.empty() ? Value() : f.stack.back();
}

} // namespace

void addVariableHandlers(HandlerTable& t)
{
    t[op::GetVariable] = getVariable;
    t[op::SetVariable] = setVariable;
    t[op::DefineLocal] = defineLocal;
    t[op::DefineLocal2] = defineLocal2;
    t[op::Delete2] = delete2;
    t[op::SetTarget] = setTargetByName;
    t[op::SetTarget2] = setTarget2;
    t[op::GetProperty] = getProperty;
    t[op::SetProperty] = setProperty;
    t[op::TargetPath] = targetPath;
    t[op::StoreRegister] = storeRegister;
}

} // namespace fotarel::swf::avm1
