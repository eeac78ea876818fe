// The entry points the player calls (class Vm of host.h).

#include "swf/avm1/interpreter.h"

namespace fotarel::swf::avm1 {

class Vm::Impl {
public:
    Impl(PlayerHost& player, Limits limits) : interp(player, limits) {}
    Interpreter interp;
};

namespace {

// Conversion and case rules follow the movie of the clip a call is about.
struct VersionScope {
    Interpreter& vm;
    int saved;
    VersionScope(Interpreter& v, int version) : vm(v), saved(v.version_) { vm.version_ = version; }
    ~VersionScope() { vm.version_ = saved; }
};

const char* handlerName(ClipEvent event)
{
    switch (event) {
    case ClipEvent::Load: return "onLoad";
    case ClipEvent::EnterFrame: return "onEnterFrame";
    case ClipEvent::Unload: return "onUnload";
    case ClipEvent::MouseMove: return "onMouseMove";
    case ClipEvent::MouseDown: return "onMouseDown";
    case ClipEvent::MouseUp: return "onMouseUp";
    case ClipEvent::KeyDown: return "onKeyDown";
    case ClipEvent::KeyUp: return "onKeyUp";
    case ClipEvent::Data: return "onData";
    case ClipEvent::Press: return "onPress";
    case ClipEvent::Release: return "onRelease";
    case ClipEvent::ReleaseOutside: return "onReleaseOutside";
    case ClipEvent::RollOver: return "onRollOver";
    case ClipEvent::RollOut: return "onRollOut";
    case ClipEvent::DragOver: return "onDragOver";
    case ClipEvent::DragOut: return "onDragOut";
    case ClipEvent::Construct: return nullptr;
    }
    return nullptr;
}

// A frame on the root of level 0, for SetVariable/GetVariable from outside.
bool rootFrame(Interpreter& vm, Frame& f)
{
    DisplayObjectHost* root = vm.player.levelRoot(0);
    if (!root)
        return false;
    Object* t = vm.objectFor(root);
    f.version = root->swfVersion();
    f.scope = {vm.global, t};
    f.timeline = f.baseTimeline = f.locals = t;
    f.thisv = Value::object(t);
    return true;
}

} // namespace

Vm::Vm(PlayerHost& player, Limits limits) : impl_(std::make_unique<Impl>(player, limits)) {}

Vm::~Vm() = default;

bool Vm::runActions(const ActionBlock& block, DisplayObjectHost& clip)
{
    return impl_->interp.runTopLevel(block, clip);
}

bool Vm::runInitActions(const ActionBlock& block, DisplayObjectHost& clip)
{
    return impl_->interp.runTopLevel(block, clip);
}

bool Vm::dispatchClipEvent(DisplayObjectHost& clip, ClipEvent event)
{
    const char* name = handlerName(event);
    if (!name)
        return true;
    Interpreter& vm = impl_->interp;
    VersionScope version(vm, clip.swfVersion());
    return vm.runCallback([&] {
        Object* o = vm.objectFor(&clip);
        Value fn;
        Object* where = nullptr;
        if (vm.getProperty(o, Value::object(o), QString::fromLatin1(name), fn, &where) && fn.isObject()
            && fn.o->isFunction())
            vm.call(fn, Value::object(o), {}, where);
    });
}

bool Vm::constructClip(DisplayObjectHost& clip, const QString& exportName, bool prototypeOnly)
{
    Interpreter& vm = impl_->interp;
    VersionScope version(vm, clip.swfVersion());
    return vm.runCallback([&] { vm.applyRegisteredClass(&clip, exportName, Value(), prototypeOnly); });
}

void Vm::reportLoad(DisplayObjectHost& clip, LoadEvent event, const QString& error)
{
    VersionScope version(impl_->interp, clip.swfVersion());
    impl_->interp.reportLoad(clip, event, error);
}

void Vm::runIntervals()
{
    impl_->interp.runIntervals();
}

bool Vm::clipButtonState(DisplayObjectHost& clip, bool* enabled)
{
    Interpreter& vm = impl_->interp;
    VersionScope version(vm, clip.swfVersion());
    bool handles = false;
    *enabled = true;
    vm.runCallback([&] { handles = vm.clipButtonState(&clip, enabled); });
    return handles;
}

void Vm::broadcastInput(const QString& object, const QString& message)
{
    Interpreter& vm = impl_->interp;
    vm.runCallback([&] { vm.broadcastInput(object, message); });
}

void Vm::changeFocus(DisplayObjectHost* target)
{
    Interpreter& vm = impl_->interp;
    if (target) {
        VersionScope version(vm, target->swfVersion());
        vm.runCallback([&] { vm.changeFocus(target); });
    } else {
        vm.runCallback([&] { vm.changeFocus(nullptr); });
    }
}

FocusTraits Vm::focusTraits(DisplayObjectHost& clip)
{
    Interpreter& vm = impl_->interp;
    VersionScope version(vm, clip.swfVersion());
    FocusTraits traits;
    vm.runCallback([&] { traits = vm.focusTraits(&clip); });
    return traits;
}

void Vm::completeTextLoads()
{
    impl_->interp.completeTextLoads();
}

bool Vm::setVariable(const QString& path, const QString& value)
{
    Interpreter& vm = impl_->interp;
    Frame f;
    bool ok = false;
    const bool ran = vm.runCallback([&] {
        if (!rootFrame(vm, f))
            return;
        VersionScope version(vm, f.version);
        vm.setVariable(f, path, Value::string(value));
        ok = true;
    });
    return ran && ok;
}

std::optional<QString> Vm::getVariable(const QString& path)
{
    Interpreter& vm = impl_->interp;
    std::optional<QString> result;
    vm.runCallback([&] {
        Frame f;
        if (!rootFrame(vm, f))
            return;
        VersionScope version(vm, f.version);
        QString target, var;
        Value holder;
        const bool isPath = path.contains(QLatin1Char(':')) || path.contains(QLatin1Char('/'))
            || path.contains(QLatin1Char('.'));
        Value out;
        bool found = false;
        if (isPath) {
            vm.splitVariablePath(path, target, var);
            if (path.contains(QLatin1Char(':')) || path.contains(QLatin1Char('/'))) {
                DisplayObjectHost* clip = vm.resolveClipPath(vm.clipOf(f.thisv), target);
                if (clip)
                    holder = Value::object(vm.objectFor(clip));
            } else {
                holder = vm.getVariable(f, target);
            }
            if (var.isEmpty()) {
                found = vm.clipOf(holder) != nullptr;
                out = holder;
            } else if (holder.isObject()) {
                found = vm.getProperty(holder.o, holder, var, out);
            }
        } else {
            for (size_t i = f.scope.size(); i-- > 0 && !found;)
                found = vm.getProperty(f.scope[i], Value::object(f.scope[i]), path, out);
        }
        if (found)
            result = vm.toString(out);
    });
    return result;
}

void Vm::setRandomSeed(uint64_t seed)
{
    impl_->interp.rng = seed;
}

void Vm::collectGarbage()
{
    impl_->interp.collectGarbage();
}

const Limits& Vm::limits() const
{
    return impl_->interp.limits;
}

} // namespace fotarel::swf::avm1
