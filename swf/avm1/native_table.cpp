// ASnative(category, index) and the two functions that install numbered
// built-ins on objects, ASSetNative and ASSetNativeAccessor. Classes
// register their methods under the Flash Player's numbers as they are set
// up (registerNatives); an unknown number answers undefined.

#include "swf/avm1/builtin_helpers.h"

#include <cmath>

namespace fotarel::swf::avm1 {

namespace {

QString key(double category, double index)
{
    return QStringLiteral("%1,%2").arg(qint64(category)).arg(qint64(index));
}

Value nativeAt(Interpreter& v, double category, double index)
{
    if (!v.nativeTable || !std::isfinite(category) || !std::isfinite(index))
        return Value();
    const Slot* s = v.nativeTable->slot(key(category, index), true);
    return s ? s->value : Value();
}

// The names of a comma list: a leading number on a name is the first SWF
// version that has it (older movies skip the name); empty names keep their
// number unused.
template <typename Each>
void eachName(Interpreter& v, const QString& list, Each each)
{
    const QStringList names = list.split(QLatin1Char(','));
    // A list is as long as the string limit allows; its numbers stay in range.
    for (qsizetype i = 0; i < names.size(); ++i) {
        QString name = names[i];
        qsizetype digits = 0;
        while (digits < name.size() && name[digits].isDigit())
            ++digits;
        const int since = digits ? name.left(digits).toInt() : 0;
        name = name.mid(digits);
        if (name.isEmpty() || since > v.version())
            continue;
        each(name, double(i));
    }
}

} // namespace

void Interpreter::registerNatives(int category, const char* commaNames, Object* holder)
{
    if (!nativeTable)
        nativeTable = alloc(Object::Kind::Plain, nullptr);
    const QStringList names = QString::fromLatin1(commaNames).split(QLatin1Char(','));
    for (qsizetype i = 0; i < names.size(); ++i) {
        const Slot* s = holder->slot(names[i], true);
        if (s && s->value.isObject())
            nativeTable->put(key(category, double(i)), s->value);
    }
}

void Interpreter::setupNativeTable()
{
    Interpreter& vm = *this;
    def(vm, global, "ASnative", [](Interpreter& v, Args& a) {
        return nativeAt(v, v.toNumber(a.at(0)), v.toNumber(a.at(1)));
    });
    // ASSetNative(object, category, "name,name,...", first): the names get
    // the functions numbered first, first + 1, ...
    def(vm, global, "ASSetNative", [](Interpreter& v, Args& a) {
        if (!a.at(0).isObject())
            return Value();
        const double category = v.toNumber(a.at(1));
        const QString names = v.toString(a.at(2));
        const double first = a.count() > 3 ? v.toInteger(a.at(3)) : 0;
        eachName(v, names, [&](const QString& name, double i) {
            a.at(0).o->put(name, nativeAt(v, category, first + i), DontEnum, v.caseSensitive());
        });
        return Value();
    });
    // ASSetNativeAccessor(object, category, names, first): each name is a
    // property whose getter is number first + 2i and setter first + 2i + 1.
    def(vm, global, "ASSetNativeAccessor", [](Interpreter& v, Args& a) {
        if (!a.at(0).isObject())
            return Value();
        const double category = v.toNumber(a.at(1));
        const QString names = v.toString(a.at(2));
        const double first = a.count() > 3 ? v.toInteger(a.at(3)) : 0;
        eachName(v, names, [&](const QString& name, double i) {
            const Value get = nativeAt(v, category, first + 2 * i);
            const Value set = nativeAt(v, category, first + 2 * i + 1);
            Object* o = a.at(0).o;
            o->put(name, Value(), DontEnum, v.caseSensitive());
            if (Slot* s = o->slot(name, v.caseSensitive())) {
                s->getter = get.isObject() ? get.o : nullptr;
                s->setter = set.isObject() ? set.o : nullptr;
            }
        });
        return Value();
    });
}

} // namespace fotarel::swf::avm1
