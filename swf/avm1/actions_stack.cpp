// Actions on the operand stack: Push, arithmetic, comparisons, strings,
// conversions and bit operations.

#include "swf/avm1/handlers.h"

#include <algorithm>
#include <cmath>

namespace fotarel::swf::avm1 {

namespace {

void pushItems(Interpreter& vm, Frame& f, const Action& a, Step&)
{
    for (const PushItem& item : a.items) {
        switch (item.kind) {
        case PushItem::Kind::String: push(vm, f, Value::string(item.text)); break;
        case PushItem::Kind::Number: push(vm, f, Value::number(item.number)); break;
        case PushItem::Kind::Null: push(vm, f, Value::null()); break;
        case PushItem::Kind::Undefined: push(vm, f, Value()); break;
        case PushItem::Kind::Register:
            push(vm, f, item.index < f.registers.size() ? f.registers[item.index] : Value());
            break;
        case PushItem::Kind::Boolean: push(vm, f, Value::boolean(item.flag)); break;
        case PushItem::Kind::Constant:
            if (f.constants && size_t(item.index) < f.constants->size())
                push(vm, f, Value::string((*f.constants)[size_t(item.index)]));
            else
                push(vm, f, Value());
            break;
        }
        if (f.stack.size() > kMaxStack)
            vm.fail(QStringLiteral("stack overflow"));
    }
    if (!a.error.isEmpty())
        vm.fail(a.error);
}

void popValue(Interpreter&, Frame& f, const Action&, Step&) { pop(f); }

// The Flash Player converts the operands of Add, Multiply and Less left
// first, of Subtract, Divide and Equals right first (their valueOf calls
// show the order).
template <class Fn>
void binaryNumber(Interpreter& vm, Frame& f, Fn fn, bool rightFirst = false)
{
    const Value b = pop(f);
    const Value a = pop(f);
    double x = 0, y = 0;
    if (rightFirst) {
        y = vm.toNumber(b);
        x = vm.toNumber(a);
    } else {
        x = vm.toNumber(a);
        y = vm.toNumber(b);
    }
    push(vm, f, Value::number(fn(x, y)));
}

void add(Interpreter& vm, Frame& f, const Action&, Step&) { binaryNumber(vm, f, [](double a, double b) { return a + b; }); }
void subtract(Interpreter& vm, Frame& f, const Action&, Step&)
{
    binaryNumber(vm, f, [](double a, double b) { return a - b; }, true);
}
void multiply(Interpreter& vm, Frame& f, const Action&, Step&)
{
    binaryNumber(vm, f, [](double a, double b) { return a * b; });
}
void modulo(Interpreter& vm, Frame& f, const Action&, Step&)
{
    binaryNumber(vm, f, [](double a, double b) { return std::fmod(a, b); });
}

void divide(Interpreter& vm, Frame& f, const Action&, Step&)
{
    const Value b = pop(f);
    const Value a = pop(f);
    const double d = vm.toNumber(b);
    if (d == 0 && f.version < 5)
        push(vm, f, Value::string(QStringLiteral("#ERROR#")));
    else
        push(vm, f, Value::number(vm.toNumber(a) / d));
}

void equals(Interpreter& vm, Frame& f, const Action&, Step&)
{
    const Value b = pop(f);
    const Value a = pop(f);
    const double y = vm.toNumber(b);
    pushBool(vm, f, vm.toNumber(a) == y);
}

void less(Interpreter& vm, Frame& f, const Action&, Step&)
{
    const Value b = pop(f);
    const Value a = pop(f);
    const double x = vm.toNumber(a);
    pushBool(vm, f, x < vm.toNumber(b));
}

void logicalAnd(Interpreter& vm, Frame& f, const Action&, Step&)
{
    const Value b = pop(f);
    const Value a = pop(f);
    pushBool(vm, f, vm.toBoolean(a) && vm.toBoolean(b));
}

void logicalOr(Interpreter& vm, Frame& f, const Action&, Step&)
{
    const Value b = pop(f);
    const Value a = pop(f);
    pushBool(vm, f, vm.toBoolean(a) || vm.toBoolean(b));
}

void logicalNot(Interpreter& vm, Frame& f, const Action&, Step&) { pushBool(vm, f, !vm.toBoolean(pop(f))); }

void stringEquals(Interpreter& vm, Frame& f, const Action&, Step&)
{
    const Value b = pop(f);
    const Value a = pop(f);
    pushBool(vm, f, vm.toString(a) == vm.toString(b));
}

void stringLess(Interpreter& vm, Frame& f, const Action&, Step&)
{
    const Value b = pop(f);
    const Value a = pop(f);
    pushBool(vm, f, vm.toString(a) < vm.toString(b));
}

void stringGreater(Interpreter& vm, Frame& f, const Action&, Step&)
{
    const Value b = pop(f);
    const Value a = pop(f);
    pushBool(vm, f, vm.toString(a) > vm.toString(b));
}

void stringLength(Interpreter& vm, Frame& f, const Action&, Step&)
{
    push(vm, f, Value::number(double(vm.toString(pop(f)).size())));
}

void stringExtract(Interpreter& vm, Frame& f, const Action&, Step&)
{
    const double count = vm.toInteger(pop(f));
    const double index = vm.toInteger(pop(f));
    const QString s = vm.toString(pop(f));
    const qsizetype from = qsizetype(std::clamp(index - 1, 0.0, double(s.size())));
    const qsizetype n = count < 0 ? s.size() - from : qsizetype(std::min(count, double(s.size())));
    push(vm, f, Value::string(s.mid(from, n)));
}

void stringAdd(Interpreter& vm, Frame& f, const Action&, Step&)
{
    const Value b = pop(f);
    const Value a = pop(f);
    QString s = vm.toString(a) + vm.toString(b);
    vm.checkString(s);
    push(vm, f, Value::string(std::move(s)));
}

void toInteger(Interpreter& vm, Frame& f, const Action&, Step&) { push(vm, f, Value::number(vm.toInteger(pop(f)))); }
void toNumber(Interpreter& vm, Frame& f, const Action&, Step&) { push(vm, f, Value::number(vm.toNumber(pop(f)))); }
void toString(Interpreter& vm, Frame& f, const Action&, Step&) { push(vm, f, Value::string(vm.toString(pop(f)))); }
void typeOf(Interpreter& vm, Frame& f, const Action&, Step&) { push(vm, f, Value::string(vm.typeOf(pop(f)))); }
void increment(Interpreter& vm, Frame& f, const Action&, Step&) { push(vm, f, Value::number(vm.toNumber(pop(f)) + 1)); }
void decrement(Interpreter& vm, Frame& f, const Action&, Step&) { push(vm, f, Value::number(vm.toNumber(pop(f)) - 1)); }

void randomNumber(Interpreter& vm, Frame& f, const Action&, Step&)
{
    const double max = vm.toInteger(pop(f));
    push(vm, f, Value::number(max <= 0 ? 0 : std::floor(vm.random() * max)));
}

void charToAscii(Interpreter& vm, Frame& f, const Action&, Step&)
{
    const QString s = vm.toString(pop(f));
    push(vm, f, s.isEmpty() ? Value::number(0) : Value::number(s.at(0).unicode()));
}

void asciiToChar(Interpreter& vm, Frame& f, const Action&, Step&)
{
    const double code = vm.toNumber(pop(f));
    const auto c = char16_t(toUint32(code) & 0xFFFF);
    push(vm, f, Value::string(c ? QString(QChar(c)) : QString()));
}

void add2(Interpreter& vm, Frame& f, const Action&, Step&)
{
    // Each side is its valueOf answer, or its text when that answer is an
    // object.
    auto operand = [&vm](const Value& v) {
        Value p = vm.toPrimitive(v);
        return p.isObject() ? Value::string(vm.toString(v)) : p;
    };
    const Value b = operand(pop(f));
    const Value a = operand(pop(f));
    if (a.isString() || b.isString()) {
        QString s = vm.toString(a) + vm.toString(b);
        vm.checkString(s);
        push(vm, f, Value::string(std::move(s)));
    } else {
        push(vm, f, Value::number(vm.toNumber(a) + vm.toNumber(b)));
    }
}

void less2(Interpreter& vm, Frame& f, const Action&, Step&)
{
    const Value b = pop(f);
    const Value a = pop(f);
    push(vm, f, vm.lessThan(a, b));
}

void greater(Interpreter& vm, Frame& f, const Action&, Step&)
{
    const Value b = pop(f);
    const Value a = pop(f);
    push(vm, f, vm.lessThan(b, a, true));
}

void equals2(Interpreter& vm, Frame& f, const Action&, Step&)
{
    const Value b = pop(f);
    const Value a = pop(f);
    push(vm, f, Value::boolean(vm.looseEquals(a, b)));
}

void strictEquals(Interpreter& vm, Frame& f, const Action&, Step&)
{
    const Value b = pop(f);
    const Value a = pop(f);
    // The StrictEquals action finds NaN equal to NaN (Equals2 does not).
    push(vm, f,
         Value::boolean(vm.strictEquals(a, b) || (a.isNumber() && b.isNumber() && std::isnan(a.n) && std::isnan(b.n))));
}

void pushDuplicate(Interpreter& vm, Frame& f, const Action&, Step&)
{
    push(vm, f, f.stack.empty() ? Value() : f.stack.back());
}

void stackSwap(Interpreter& vm, Frame& f, const Action&, Step&)
{
    Value a = pop(f);
    Value b = pop(f);
    push(vm, f, std::move(a));
    push(vm, f, std::move(b));
}

template <class Fn>
void bitOp(Interpreter& vm, Frame& f, Fn fn)
{
    const Value b = pop(f);
    const Value a = pop(f);
    const int32_t x = toInt32(vm.toNumber(a));
    const int32_t y = toInt32(vm.toNumber(b));
    push(vm, f, Value::number(double(fn(x, y))));
}

void bitAnd(Interpreter& vm, Frame& f, const Action&, Step&) { bitOp(vm, f, [](int32_t a, int32_t b) { return a & b; }); }
void bitOr(Interpreter& vm, Frame& f, const Action&, Step&) { bitOp(vm, f, [](int32_t a, int32_t b) { return a | b; }); }
void bitXor(Interpreter& vm, Frame& f, const Action&, Step&) { bitOp(vm, f, [](int32_t a, int32_t b) { return a ^ b; }); }
void bitLShift(Interpreter& vm, Frame& f, const Action&, Step&)
{
    bitOp(vm, f, [](int32_t a, int32_t b) { return int32_t(uint32_t(a) << (uint32_t(b) & 31)); });
}
void bitRShift(Interpreter& vm, Frame& f, const Action&, Step&)
{
    bitOp(vm, f, [](int32_t a, int32_t b) { return a >> (uint32_t(b) & 31); });
}

void bitURShift(Interpreter& vm, Frame& f, const Action&, Step&)
{
    const Value b = pop(f);
    const Value a = pop(f);
    // The unsigned result is kept as a 32-bit integer: only a shift by 0
    // (modulo 32) can set the top bit, and then it reads as negative.
    push(vm, f, Value::number(double(int32_t(toUint32(vm.toNumber(a)) >> (toUint32(vm.toNumber(b)) & 31)))));
}

} // namespace

void addStackHandlers(HandlerTable& t)
{
    t[op::Push] = pushItems;
    t[op::Pop] = popValue;
    t[op::Add] = add;
    t[op::Subtract] = subtract;
    t[op::Multiply] = multiply;
    t[op::Divide] = divide;
    t[op::Modulo] = modulo;
    t[op::Equals] = equals;
    t[op::Less] = less;
    t[op::And] = logicalAnd;
    t[op::Or] = logicalOr;
    t[op::Not] = logicalNot;
    t[op::StringEquals] = stringEquals;
    t[op::StringLess] = stringLess;
    t[op::StringGreater] = stringGreater;
    t[op::StringLength] = stringLength;
    t[op::MBStringLength] = stringLength;
    t[op::StringExtract] = stringExtract;
    t[op::MBStringExtract] = stringExtract;
    t[op::StringAdd] = stringAdd;
    t[op::ToInteger] = toInteger;
    t[op::ToNumber] = toNumber;
    t[op::ToString] = toString;
    t[op::TypeOf] = typeOf;
    t[op::Increment] = increment;
    t[op::Decrement] = decrement;
    t[op::RandomNumber] = randomNumber;
    t[op::CharToAscii] = charToAscii;
    t[op::MBCharToAscii] = charToAscii;
    t[op::AsciiToChar] = asciiToChar;
    t[op::MBAsciiToChar] = asciiToChar;
    t[op::Add2] = add2;
    t[op::Less2] = less2;
    t[op::Greater] = greater;
    t[op::Equals2] = equals2;
    t[op::StrictEquals] = strictEquals;
    t[op::PushDuplicate] = pushDuplicate;
    t[op::StackSwap] = stackSwap;
    t[op::BitAnd] = bitAnd;
    t[op::BitOr] = bitOr;
    t[op::BitXor] = bitXor;
    t[op::BitLShift] = bitLShift;
    t[op::BitRShift] = bitRShift;
    t[op::BitURShift] = bitURShift;
}

} // namespace fotarel::swf::avm1
