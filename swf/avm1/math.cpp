// The Math object.

#include "swf/avm1/builtin_helpers.h"

#include <algorithm>
#include <cmath>

namespace fotarel::swf::avm1 {

// Math: constants and functions.
void Interpreter::setupMath()
{
    Interpreter& vm = *this;
    Object* math = newObject();
    global->put(QStringLiteral("Math"), Value::object(math), DontEnum);
    constant(math, "PI", Value::number(M_PI));
    constant(math, "E", Value::number(M_E));
    constant(math, "LN2", Value::number(M_LN2));
    constant(math, "LN10", Value::number(M_LN10));
    constant(math, "LOG2E", Value::number(M_LOG2E));
    constant(math, "LOG10E", Value::number(M_LOG10E));
    constant(math, "SQRT1_2", Value::number(M_SQRT1_2));
    constant(math, "SQRT2", Value::number(M_SQRT2));
    // Every Math function converts its first two arguments, left first, and
    // ignores the rest: Math.min(3, 2, 1) is 2 and Math.abs(a, b) calls both
    // objects' valueOf. A missing first argument is NaN, a missing second one
    // undefined (0 before SWF 7).
    struct MathArgs {
        double x = std::nan("");
        double y = std::nan("");
    };
    static constexpr auto mathArgs = [](Interpreter& v, const Args& a) {
        MathArgs m;
        if (a.count() > 0)
            m.x = v.toNumber(a.at(0));
        m.y = v.toNumber(a.at(1));
        return m;
    };
    auto unary = [&](const char* name, double (*fn)(double)) {
        def(vm, math, name, [fn](Interpreter& v, Args& a) { return Value::number(fn(mathArgs(v, a).x)); });
    };
    unary("abs", [](double x) { return std::fabs(x); });
    unary("acos", [](double x) { return std::acos(x); });
    unary("asin", [](double x) { return std::asin(x); });
    unary("atan", [](double x) { return std::atan(x); });
    unary("ceil", [](double x) { return std::ceil(x); });
    unary("cos", [](double x) { return std::cos(x); });
    unary("exp", [](double x) { return std::exp(x); });
    unary("floor", [](double x) { return std::floor(x); });
    unary("log", [](double x) { return std::log(x); });
    unary("round", [](double x) { return std::floor(x + 0.5); });
    unary("sin", [](double x) { return std::sin(x); });
    unary("sqrt", [](double x) { return std::sqrt(x); });
    unary("tan", [](double x) { return std::tan(x); });
    auto binary = [&](const char* name, double (*fn)(double, double)) {
        def(vm, math, name, [fn](Interpreter& v, Args& a) {
            const MathArgs m = mathArgs(v, a);
            return Value::number(fn(m.x, m.y));
        });
    };
    binary("atan2", [](double y, double x) { return std::atan2(y, x); });
    binary("pow", [](double x, double y) { return std::pow(x, y); });
    // Math.max and Math.min compare their first two arguments; with no
    // arguments they give -/+Infinity.
    def(vm, math, "max", [](Interpreter& v, Args& a) {
        if (a.args.empty())
            return Value::number(-INFINITY);
        const MathArgs m = mathArgs(v, a);
        return Value::number(std::isnan(m.x) || std::isnan(m.y) ? std::nan("") : std::max(m.x, m.y));
    });
    def(vm, math, "min", [](Interpreter& v, Args& a) {
        if (a.args.empty())
            return Value::number(INFINITY);
        const MathArgs m = mathArgs(v, a);
        return Value::number(std::isnan(m.x) || std::isnan(m.y) ? std::nan("") : std::min(m.x, m.y));
    });
    def(vm, math, "random", [](Interpreter& v, Args& a) {
        mathArgs(v, a);
        return Value::number(v.random());
    });
}

} // namespace fotarel::swf::avm1
