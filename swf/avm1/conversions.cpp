// Conversions between values (to primitive, number, text, boolean, object)
// and the comparisons built on them, following the movie's SWF version.
#include "swf/avm1/interpreter.h"

#include <cmath>

namespace fotarel::swf::avm1 {

Value Interpreter::toPrimitive(const Value& v, bool preferString)
{
    if (!v.isObject())
        return v;
    Object* o = v.o;
    if (o->kind == Object::Kind::Primitive)
        return o->primitive;
    if (o->kind == Object::Kind::Clip && !o->clip()) {
        // A clip that is gone is the clip now at its path, or empty text.
        if (Object* live = liveClipObject(o))
            return toPrimitive(Value::object(live), preferString);
        return Value::string(QString());
    }
    if (preferString) {
        // As text, an object is what its toString answers when that is a
        // string; otherwise (no callable toString, or another answer) its
        // type name. valueOf is not asked.
        Value fn;
        if (getProperty(o, v, QStringLiteral("toString"), fn) && fn.isObject() && fn.o->isFunction()) {
            Value r = callMethod(v, QStringLiteral("toString"), {});
            if (r.isString())
                return r;
        }
        return Value::string(o->isFunction() ? QStringLiteral("[type Function]") : QStringLiteral("[type Object]"));
    }
    // As a number, an object is what its valueOf answers, even an object
    // (which then counts as NaN); one without a callable valueOf is undefined.
    Value fn;
    if (getProperty(o, v, QStringLiteral("valueOf"), fn) && fn.isObject() && fn.o->isFunction())
        return callMethod(v, QStringLiteral("valueOf"), {});
    return {};
}

double Interpreter::toNumber(const Value& v)
{
    switch (v.type) {
    case Value::Type::Undefined:
    case Value::Type::Null:
        return version_ >= 7 ? std::nan("") : 0.0;
    case Value::Type::Boolean:
        return v.b ? 1 : 0;
    case Value::Type::Number:
        return v.n;
    case Value::Type::String:
        return stringToNumber(v.s, version_);
    case Value::Type::Object:
        if (v.o->kind == Object::Kind::Clip)
            return std::nan("");
        {
            const Value p = toPrimitive(v);
            return p.isObject() ? std::nan("") : toNumber(p);
        }
    }
    return 0;
}

QString Interpreter::toString(const Value& v)
{
    switch (v.type) {
    case Value::Type::Undefined:
        return version_ >= 7 ? QStringLiteral("undefined") : QString();
    case Value::Type::Null:
        return QStringLiteral("null");
    case Value::Type::Boolean:
        if (version_ < 5)
            return v.b ? QStringLiteral("1") : QStringLiteral("0");
        return v.b ? QStringLiteral("true") : QStringLiteral("false");
    case Value::Type::Number:
        return numberToString(v.n);
    case Value::Type::String:
        return v.s;
    case Value::Type::Object:
        if (v.o->kind == Object::Kind::Clip) {
            DisplayObjectHost* clip = clipOf(v);
            return clip ? targetPath(clip) : QString();
        }
        return toString(toPrimitive(v, true));
    }
    return {};
}

bool Interpreter::toBoolean(const Value& v) const
{
    switch (v.type) {
    case Value::Type::Undefined:
    case Value::Type::Null:
        return false;
    case Value::Type::Boolean:
        return v.b;
    case Value::Type::Number:
        return v.n != 0 && !std::isnan(v.n);
    case Value::Type::String:
        if (version_ >= 7)
            return !v.s.isEmpty();
        {
            const double n = stringToNumber(v.s, version_);
            return n != 0 && !std::isnan(n);
        }
    case Value::Type::Object:
        return true;
    }
    return false;
}

double Interpreter::toInteger(const Value& v)
{
    const double n = toNumber(v);
    if (std::isnan(n))
        return 0;
    if (std::isinf(n))
        return n;
    return std::trunc(n);
}

bool Interpreter::strictEquals(const Value& a, const Value& b) const
{
    if (a.type != b.type)
        return false;
    switch (a.type) {
    case Value::Type::Undefined:
    case Value::Type::Null:
        return true;
    case Value::Type::Boolean:
        return a.b == b.b;
    case Value::Type::Number:
        return a.n == b.n;
    case Value::Type::String:
        return a.s == b.s;
    case Value::Type::Object:
        if (a.o->kind == Object::Kind::Clip && b.o->kind == Object::Kind::Clip) {
            DisplayObjectHost* clip = clipOf(a);
            return a.o == b.o || (clip && clip == clipOf(b));
        }
        return a.o == b.o;
    }
    return false;
}

bool Interpreter::looseEquals(const Value& a, const Value& b)
{
    // Equals2 finds NaN equal to NaN.
    if (a.isNumber() && b.isNumber())
        return a.n == b.n || (std::isnan(a.n) && std::isnan(b.n));
    if (a.type == b.type)
        return strictEquals(a, b);
    if (a.isNullish() && b.isNullish())
        return true;
    // An object without a callable valueOf (such as _global) is undefined.
    if ((a.isNullish() && b.isObject()) || (a.isObject() && b.isNullish()))
        return toPrimitive(a.isObject() ? a : b).isNullish();
    if (a.isNullish() || b.isNullish())
        return false;
    if (a.isNumber() && b.isString())
        return a.n == stringToNumber(b.s, version_);
    if (a.isString() && b.isNumber())
        return stringToNumber(a.s, version_) == b.n;
    if (a.type == Value::Type::Boolean)
        return looseEquals(Value::number(a.b ? 1 : 0), b);
    if (b.type == Value::Type::Boolean)
        return looseEquals(a, Value::number(b.b ? 1 : 0));
    // An object against a primitive: its valueOf answer; an object answer
    // equals no primitive.
    if (a.isObject() != b.isObject()) {
        const Value p = toPrimitive(a.isObject() ? a : b);
        if (p.isObject())
            return false;
        return a.isObject() ? looseEquals(p, b) : looseEquals(a, p);
    }
    return false;
}

Value Interpreter::lessThan(const Value& a, const Value& b, bool rightFirst)
{
    // Each side becomes its valueOf answer (a clip counts as NaN); a side
    // that stays an object makes the comparison false, and the other side is
    // then not converted.
    auto primitive = [this](const Value& v, bool& isObject) {
        isObject = false;
        if (v.isObject() && v.o->kind == Object::Kind::Clip)
            return Value::number(std::nan(""));
        Value p = toPrimitive(v);
        isObject = p.isObject();
        return p;
    };
    bool objectA = false, objectB = false;
    Value pa, pb;
    if (rightFirst) {
        pb = primitive(b, objectB);
        if (objectB)
            return Value::boolean(false);
        pa = primitive(a, objectA);
    } else {
        pa = primitive(a, objectA);
        if (objectA)
            return Value::boolean(false);
        pb = primitive(b, objectB);
    }
    if (objectA || objectB)
        return Value::boolean(false);
    if (pa.isString() && pb.isString())
        return Value::boolean(pa.s < pb.s);
    const double x = toNumber(pa);
    const double y = toNumber(pb);
    if (std::isnan(x) || std::isnan(y))
        return {};
    return Value::boolean(x < y);
}

QString Interpreter::typeOf(const Value& v) const
{
    switch (v.type) {
    case Value::Type::Undefined: return QStringLiteral("undefined");
    case Value::Type::Null: return QStringLiteral("null");
    case Value::Type::Boolean: return QStringLiteral("boolean");
    case Value::Type::Number: return QStringLiteral("number");
    case Value::Type::String: return QStringLiteral("string");
    case Value::Type::Object:
        if (v.o->isFunction())
            return QStringLiteral("function");
        if (v.o->kind == Object::Kind::Clip)
            return v.o->clip() && v.o->clip()->textField() ? QStringLiteral("object") : QStringLiteral("movieclip");
        return QStringLiteral("object");
    }
    return {};
}

Object* Interpreter::primitiveConstructor(const Value& v)
{
    const char* name = nullptr;
    switch (v.type) {
    case Value::Type::String: name = "String"; break;
    case Value::Type::Number: name = "Number"; break;
    case Value::Type::Boolean: name = "Boolean"; break;
    default: return nullptr;
    }
    const Value ctor = getMember(Value::object(global), QLatin1String(name));
    return ctor.isObject() && ctor.o->isFunction() ? ctor.o : nullptr;
}

bool Interpreter::isBuiltinConstructor(const Value& primitive, const Object* ctor) const
{
    switch (primitive.type) {
    case Value::Type::String: return ctor == stringCtor_;
    case Value::Type::Number: return ctor == numberCtor_;
    case Value::Type::Boolean: return ctor == booleanCtor_;
    default: return false;
    }
}

Object* Interpreter::toObject(const Value& v)
{
    if (v.isObject())
        return v.o;
    Object* ctor = primitiveConstructor(v);
    return ctor ? toObject(v, ctor) : nullptr;
}

Object* Interpreter::toObject(const Value& v, Object* ctor)
{
    const Value box = construct(Value::object(ctor), {v});
    return box.isObject() ? box.o : nullptr;
}

} // namespace fotarel::swf::avm1
