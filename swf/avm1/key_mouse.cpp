// What the player's input needs from scripts: whether a movie clip acts as a
// button (it has a button handler such as onPress) and whether it is enabled,
// and the Mouse and Key broadcasts.

#include "swf/avm1/interpreter.h"

#include <cmath>

namespace fotarel::swf::avm1 {

namespace {

// The handlers that make a movie clip catch the mouse like a button.
constexpr const char* kButtonHandlers[] = {"onPress",   "onRelease", "onReleaseOutside", "onRollOver",
                                           "onRollOut", "onDragOver", "onDragOut"};

} // namespace

bool Interpreter::clipButtonState(DisplayObjectHost* clip, bool* enabled)
{
    Object* o = objectFor(clip);
    *enabled = true;
    if (!o)
        return false;
    bool handles = false;
    for (const char* name : kButtonHandlers) {
        Value fn;
        if (getProperty(o, Value::object(o), QString::fromLatin1(name), fn) && fn.isObject() && fn.o->isFunction()) {
            handles = true;
            break;
        }
    }
    Value on;
    if (getProperty(o, Value::object(o), QStringLiteral("enabled"), on) && !on.isUndefined())
        *enabled = toBoolean(on);
    return handles;
}

void Interpreter::broadcastInput(const QString& object, const QString& message)
{
    const Value target = getMember(Value::object(global), object);
    if (target.isObject())
        callMethod(target, QStringLiteral("broadcastMessage"), {Value::string(message)});
}

void Interpreter::setupKeyMethods(Object* key)
{
    const auto method = [&](const char* name, NativeFunction fn) {
        key->put(QString::fromLatin1(name), Value::object(newNative(std::move(fn))), DontEnum);
    };
    method("isDown", [](Interpreter& v, CallArgs& a) {
        const double code = v.toNumber(a.at(0));
        return Value::boolean(std::isfinite(code) && v.player.isKeyDown(int(code)));
    });
    method("getCode", [](Interpreter& v, CallArgs&) { return Value::number(v.player.lastKeyCode()); });
    method("getAscii", [](Interpreter& v, CallArgs&) { return Value::number(v.player.lastKeyAscii()); });
    method("isToggled", [](Interpreter&, CallArgs&) { return Value::boolean(false); });
}

} // namespace fotarel::swf::avm1
