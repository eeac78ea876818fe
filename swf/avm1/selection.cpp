// The keyboard focus as scripts see it: the Selection object (getFocus,
// setFocus, the selection of the focused text field, its listeners), the
// focus events of the objects that lose and take it, and the properties
// (tabEnabled, tabIndex, tabChildren, focusEnabled) the player reads to
// build the Tab order.

#include "swf/avm1/interpreter.h"

#include <cmath>

namespace fotarel::swf::avm1 {

namespace {

using Args = CallArgs;

Value focusValue(Interpreter& vm, DisplayObjectHost* clip)
{
    return clip ? Value::object(vm.objectFor(clip)) : Value::null();
}

// Whether Selection.setFocus may give the focus to the object: text fields
// and buttons always, movie clips that act as buttons or ask for it.
bool takesFocus(Interpreter& vm, DisplayObjectHost* clip)
{
    if (clip->textField() || !clip->isMovieClip())
        return true;
    const FocusTraits traits = vm.focusTraits(clip);
    return traits.focusEnabled || traits.buttonHandlers || traits.tabEnabled.value_or(false);
}

// The focused text field, if the focus is on one.
TextFieldModel* focusedField(Interpreter& vm)
{
    DisplayObjectHost* focus = vm.player.focus();
    return focus ? focus->textField() : nullptr;
}

} // namespace

bool Interpreter::changeFocus(DisplayObjectHost* target)
{
    DisplayObjectHost* old = player.focus();
    if (old == target)
        return false;
    // Hold both links: a handler may remove either object.
    const std::shared_ptr<ClipLink> oldLink = old ? old->link() : nullptr;
    const std::shared_ptr<ClipLink> newLink = target ? target->link() : nullptr;
    const Value oldValue = focusValue(*this, old);
    const Value newValue = focusValue(*this, target);
    player.storeFocus(target);
    if (oldLink && oldLink->clip)
        callMethod(oldValue, QStringLiteral("onKillFocus"), {newValue});
    if (newLink && newLink->clip)
        callMethod(newValue, QStringLiteral("onSetFocus"), {oldValue});
    const Value selection = getMember(Value::object(global), QStringLiteral("Selection"));
    if (selection.isObject())
        callMethod(selection, QStringLiteral("broadcastMessage"),
                   {Value::string(QStringLiteral("onSetFocus")), oldValue, newValue});
    return true;
}

FocusTraits Interpreter::focusTraits(DisplayObjectHost* clip)
{
    FocusTraits traits;
    Object* o = objectFor(clip);
    if (!o)
        return traits;
    const Value self = Value::object(o);
    Value v;
    if (getProperty(o, self, QStringLiteral("tabEnabled"), v) && !v.isUndefined())
        traits.tabEnabled = toBoolean(v);
    if (getProperty(o, self, QStringLiteral("tabIndex"), v) && !v.isUndefined() && !v.isNull()) {
        const double n = toNumber(v);
        if (std::isfinite(n))
            traits.tabIndex = toInt32(n);
    }
    if (getProperty(o, self, QStringLiteral("tabChildren"), v) && !v.isUndefined())
        traits.tabChildren = toBoolean(v);
    if (getProperty(o, self, QStringLiteral("focusEnabled"), v))
        traits.focusEnabled = toBoolean(v);
    if (clip->isMovieClip())
        traits.buttonHandlers = clipButtonState(clip, &traits.enabled);
    else if (getProperty(o, self, QStringLiteral("enabled"), v) && !v.isUndefined())
        traits.enabled = toBoolean(v);
    return traits;
}

void Interpreter::setupSelection()
{
    Object* selection = newObject();
    global->put(QStringLiteral("Selection"), Value::object(selection), DontEnum);
    makeBroadcaster(selection);
    defineMethod(selection, "getFocus", [](Interpreter& v, Args&) -> Value {
        DisplayObjectHost* focus = v.player.focus();
        return focus ? Value::string(v.targetPath(focus)) : Value::null();
    });
    // setFocus(object or target path); null or undefined takes the focus
    // away. True when the focus is on the object afterwards.
    defineMethod(selection, "setFocus", [](Interpreter& v, Args& a) -> Value {
        const Value arg = a.at(0);
        if (arg.isNull() || arg.isUndefined()) {
            v.changeFocus(nullptr);
            return Value::boolean(true);
        }
        DisplayObjectHost* target = nullptr;
        if (arg.isObject())
            target = v.clipOf(arg);
        else if (arg.isString())
            target = v.resolveClipPath(v.current ? v.clipOf(v.current->thisv) : nullptr, v.toString(arg));
        if (!target || !takesFocus(v, target))
            return Value::boolean(false);
        v.changeFocus(target);
        return Value::boolean(v.player.focus() == target);
    });
    defineMethod(selection, "getBeginIndex", [](Interpreter& v, Args&) {
        const TextFieldModel* f = focusedField(v);
        return Value::number(f ? std::min(f->selectionBegin, f->selectionEnd) : -1);
    });
    defineMethod(selection, "getEndIndex", [](Interpreter& v, Args&) {
        const TextFieldModel* f = focusedField(v);
        return Value::number(f ? std::max(f->selectionBegin, f->selectionEnd) : -1);
    });
    defineMethod(selection, "getCaretIndex", [](Interpreter& v, Args&) {
        const TextFieldModel* f = focusedField(v);
        return Value::number(f ? f->selectionEnd : -1);
    });
    defineMethod(selection, "setSelection", [](Interpreter& v, Args& a) {
        if (TextFieldModel* f = focusedField(v)) {
            const auto clamp = [&](const Value& n) {
                const double d = v.toNumber(n);
                const double len = double(f->length());
                return int(std::isfinite(d) ? std::clamp(d, 0.0, len) : 0.0);
            };
            f->selectionBegin = clamp(a.at(0));
            f->selectionEnd = clamp(a.at(1));
        }
        return Value();
    });
}

} // namespace fotarel::swf::avm1
