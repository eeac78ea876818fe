// The classes of the other primitive values, Number and Boolean, and Error.

#include "swf/avm1/builtin_helpers.h"

#include <cmath>
#include <limits>

namespace fotarel::swf::avm1 {

// Number: its constants, toString with a radix.
void Interpreter::setupNumberClass()
{
    Interpreter& vm = *this;
    numberProto = alloc(Object::Kind::Plain, objectProto);
    Object* numberCtor = makeClass(
        vm, "Number", numberProto,
        [](Interpreter& v, Args& a) { return Value::number(a.count() ? v.toNumber(a.at(0)) : 0); },
        [](Interpreter& v, Args& a) {
            a.self.o->kind = Object::Kind::Primitive;
            a.self.o->primitive = Value::number(a.count() ? v.toNumber(a.at(0)) : 0);
            return a.self;
        });
    numberCtor_ = numberCtor;
    constant(numberCtor, "MAX_VALUE", Value::number(std::numeric_limits<double>::max()));
    constant(numberCtor, "MIN_VALUE", Value::number(std::numeric_limits<double>::denorm_min()));
    constant(numberCtor, "NaN", Value::number(std::nan("")));
    constant(numberCtor, "POSITIVE_INFINITY", Value::number(INFINITY));
    constant(numberCtor, "NEGATIVE_INFINITY", Value::number(-INFINITY));
    // Another object (one a subclass made without its Number part) is no
    // number; converting it would ask its valueOf, this very method.
    auto selfNumber = [](Interpreter& v, const Args& a) {
        if (a.self.isObject())
            return a.self.o->kind == Object::Kind::Primitive ? v.toNumber(a.self.o->primitive) : std::nan("");
        return v.toNumber(a.self);
    };
    def(vm, numberProto, "toString", [selfNumber](Interpreter& v, Args& a) {
        const int radix = a.at(0).isUndefined() ? 10 : clampToInt(v.toNumber(a.at(0)));
        return Value::string(numberToStringRadix(selfNumber(v, a), radix));
    });
    def(vm, numberProto, "valueOf", [selfNumber](Interpreter& v, Args& a) { return Value::number(selfNumber(v, a)); });
}

// Boolean.
void Interpreter::setupBooleanClass()
{
    Interpreter& vm = *this;
    booleanProto = alloc(Object::Kind::Plain, objectProto);
    booleanCtor_ = makeClass(
        vm, "Boolean", booleanProto,
        // Called with nothing to convert it answers nothing.
        [](Interpreter& v, Args& a) { return a.args.empty() ? Value() : Value::boolean(v.toBoolean(a.at(0))); },
        [](Interpreter& v, Args& a) {
            a.self.o->kind = Object::Kind::Primitive;
            a.self.o->primitive = Value::boolean(v.toBoolean(a.at(0)));
            return a.self;
        });
    auto selfBool = [](Interpreter& v, const Args& a) {
        if (a.self.isObject() && a.self.o->kind == Object::Kind::Primitive)
            return v.toBoolean(a.self.o->primitive);
        return v.toBoolean(a.self);
    };
    def(vm, booleanProto, "toString", [selfBool](Interpreter& v, Args& a) {
        return Value::string(selfBool(v, a) ? QStringLiteral("true") : QStringLiteral("false"));
    });
    def(vm, booleanProto, "valueOf", [selfBool](Interpreter& v, Args& a) { return Value::boolean(selfBool(v, a)); });
}

// Error: name and message on the prototype.
void Interpreter::setupErrorClass()
{
    Interpreter& vm = *this;
    errorProto = alloc(Object::Kind::Plain, objectProto);
    errorProto->put(QStringLiteral("name"), Value::string(QStringLiteral("Error")), DontEnum);
    errorProto->put(QStringLiteral("message"), Value::string(QStringLiteral("Error")), DontEnum);
    makeClass(
        vm, "Error", errorProto,
        [](Interpreter& v, Args& a) {
            Object* e = v.alloc(Object::Kind::Plain, v.errorProto);
            if (!a.at(0).isUndefined())
                e->put(QStringLiteral("message"), Value::string(v.toString(a.at(0))));
            return Value::object(e);
        },
        [](Interpreter& v, Args& a) {
            if (!a.at(0).isUndefined())
                a.self.o->put(QStringLiteral("message"), Value::string(v.toString(a.at(0))));
            return a.self;
        });
    def(vm, errorProto, "toString", [](Interpreter& v, Args& a) {
        return Value::string(v.toString(v.getMember(a.self, QStringLiteral("message"))));
    });
}

} // namespace fotarel::swf::avm1
