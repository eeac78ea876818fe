// The Array class. An array keeps its elements as ordinary properties named
// "0", "1", ... and a length of its own, as the Flash Player does: elements
// below the length may be missing (holes), elements carry property flags,
// and for..in sees them in the order they were made. The methods that move
// elements (shift, unshift, splice, reverse, sort) read the elements, delete
// them and write the new order back, so moved elements are made anew.

#include "swf/avm1/interpreter.h"

#include <cmath>

namespace fotarel::swf::avm1 {

namespace {

using Args = CallArgs;

Object* selfArray(const Args& a)
{
    return a.self.isObject() && a.self.o->kind == Object::Kind::Array ? a.self.o : nullptr;
}

QString indexName(int64_t i)
{
    return QString::number(i);
}

// Stable merge sort that stays safe with inconsistent script comparators.
void mergeSort(std::vector<size_t>& v, const std::function<bool(size_t, size_t)>& less)
{
    std::vector<size_t> tmp(v.size());
    for (size_t width = 1; width < v.size(); width *= 2) {
        for (size_t lo = 0; lo < v.size(); lo += 2 * width) {
            const size_t mid = std::min(lo + width, v.size());
            const size_t hi = std::min(lo + 2 * width, v.size());
            size_t i = lo, j = mid, k = lo;
            while (i < mid && j < hi)
                tmp[k++] = less(v[j], v[i]) ? v[j++] : v[i++];
            while (i < mid)
                tmp[k++] = v[i++];
            while (j < hi)
                tmp[k++] = v[j++];
        }
        v.swap(tmp);
    }
}

enum SortOptions { CaseInsensitive = 1, Descending = 2, UniqueSort = 4, ReturnIndexedArray = 8, Numeric = 16 };

int compareDefault(Interpreter& vm, const Value& a, const Value& b, int options)
{
    // Undefined sorts last, as in Flash Player.
    if (a.isUndefined() != b.isUndefined())
        return a.isUndefined() ? 1 : -1;
    // NUMERIC compares two numbers as numbers (NaN after all others);
    // anything else compares as text.
    if ((options & Numeric) && a.isNumber() && b.isNumber()) {
        const double x = a.n, y = b.n;
        if (std::isnan(x) || std::isnan(y))
            return std::isnan(x) == std::isnan(y) ? 0 : (std::isnan(x) ? 1 : -1);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    const QString x = vm.toString(a), y = vm.toString(b);
    return x.compare(y, (options & CaseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive);
}

// Array.sort / sortOn: sorts the elements by their keys (sort: the element
// itself; sortOn: one key per field, compared in turn, each with its own
// options). The options of the first key also decide UNIQUESORT and
// RETURNINDEXEDARRAY.
Value sortArray(Interpreter& vm, Object* array, const Value& compareFn, const std::vector<int>& keyOptions,
                const std::function<Value(const Value&, size_t)>& key)
{
    const std::vector<Value> values = vm.arrayValues(array);
    const size_t keyCount = keyOptions.size();
    std::vector<Value> keys;
    keys.reserve(values.size() * keyCount);
    for (const Value& x : values)
        for (size_t k = 0; k < keyCount; ++k)
            keys.push_back(key(x, k));
    std::vector<size_t> order(values.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    bool duplicate = false;
    auto less = [&](size_t ia, size_t ib) {
        int c = 0;
        bool descending = false;
        for (size_t k = 0; k < keyCount && c == 0; ++k) {
            const Value& a = keys[ia * keyCount + k];
            const Value& b = keys[ib * keyCount + k];
            if (compareFn.isObject()) {
                const double r = vm.toNumber(vm.call(compareFn, Value(), {a, b}));
                c = std::isnan(r) ? 0 : (r < 0 ? -1 : (r > 0 ? 1 : 0));
            } else {
                c = compareDefault(vm, a, b, keyOptions[k]);
            }
            descending = keyOptions[k] & Descending;
        }
        if (c == 0)
            duplicate = true;
        return descending ? c > 0 : c < 0;
    };
    mergeSort(order, less);
    const int options = keyOptions.empty() ? 0 : keyOptions.front();
    if ((options & UniqueSort) && duplicate)
        return Value::number(0);
    if (options & ReturnIndexedArray) {
        std::vector<Value> indices;
        indices.reserve(order.size());
        for (size_t i : order)
            indices.push_back(Value::number(double(i)));
        return Value::object(vm.newArray(std::move(indices)));
    }
    std::vector<Value> sorted;
    sorted.reserve(order.size());
    for (size_t i : order)
        sorted.push_back(values[i]);
    vm.setArrayValues(array, sorted);
    return Value::object(array);
}

// join and toString. They read the array's own elements only: an object
// that merely inherits from an array has its length but no elements.
QString joinArray(Interpreter& vm, const Value& self, const QString& separator)
{
    std::vector<Value> values;
    if (Object* array = self.isObject() && self.o->kind == Object::Kind::Array ? self.o : nullptr) {
        values = vm.arrayValues(array);
    } else {
        const int32_t length = toInt32(vm.toNumber(vm.getMember(self, QStringLiteral("length"))));
        if (length > vm.limits.arrayLength)
            vm.fail(QStringLiteral("array longer than %1 elements").arg(vm.limits.arrayLength));
        values.resize(size_t(std::max(length, 0)));
    }
    QString out;
    for (size_t i = 0; i < values.size(); ++i) {
        if (i)
            out += separator;
        const Value& e = values[i];
        // undefined is empty before SWF 7; null is always "null".
        if (!e.isUndefined())
            out += vm.toString(e);
        else if (vm.version() >= 7)
            out += QStringLiteral("undefined");
        if (out.size() > vm.limits.stringLength)
            vm.fail(QStringLiteral("string longer than %1 characters").arg(vm.limits.stringLength));
    }
    return out;
}

} // namespace

Object* Interpreter::newArray(std::vector<Value> elements)
{
    if (int64_t(elements.size()) > limits.arrayLength)
        fail(QStringLiteral("array longer than %1 elements").arg(limits.arrayLength));
    Object* a = alloc(Object::Kind::Array, arrayProto);
    int64_t bytes = int64_t(elements.size()) * int64_t(sizeof(Slot) + 16);
    for (const Value& e : elements)
        bytes += int64_t(e.s.size()) * 2;
    noteAllocation(bytes);
    a->props.reserve(elements.size());
    for (size_t i = 0; i < elements.size(); ++i)
        a->put(indexName(int64_t(i)), std::move(elements[i]));
    a->length = int32_t(elements.size());
    return a;
}

std::vector<Value> Interpreter::arrayValues(Object* array)
{
    std::vector<Value> out;
    if (!array || array->kind != Object::Kind::Array || array->length <= 0)
        return out;
    if (array->length > limits.arrayLength)
        fail(QStringLiteral("array longer than %1 elements").arg(limits.arrayLength));
    const Value self = Value::object(array);
    out.resize(size_t(array->length));
    for (int32_t i = 0; i < array->length && i < int32_t(out.size()); ++i) {
        // Own elements only; one made by addProperty answers its getter.
        Slot* s = array->slot(indexName(i), true);
        if (!s)
            continue;
        out[size_t(i)] = s->getter ? call(Value::object(s->getter), self, {}) : s->value;
    }
    return out;
}

namespace {

// Deletes the elements from .. to-1 (not DontDelete ones).
void removeIndexRange(Object* array, int32_t from, int32_t to)
{
    if (to <= from)
        return;
    // Few properties against a long range: look at the properties.
    if (uint32_t(to - from) > array->props.size()) {
        QStringList doomed;
        for (const Slot& s : array->props) {
            int32_t i;
            if (!s.removed && arrayIndexName(s.name, i) && i >= from && i < to)
                doomed.append(s.name);
        }
        for (const QString& name : doomed)
            array->remove(name, true);
        return;
    }
    for (int32_t i = from; i < to; ++i)
        array->remove(indexName(i), true);
}

} // namespace

void Interpreter::deleteElements(Object* array, int32_t count)
{
    removeIndexRange(array, 0, count);
}

void Interpreter::setArrayLength(Object* array, int32_t length)
{
    const int32_t old = array->length;
    array->length = length;
    if (length < old)
        removeIndexRange(array, std::max(length, 0), old);
}

void Interpreter::setArrayValues(Object* array, const std::vector<Value>& values)
{
    if (int64_t(values.size()) > limits.arrayLength)
        fail(QStringLiteral("array longer than %1 elements").arg(limits.arrayLength));
    deleteElements(array, array->length);
    const Value self = Value::object(array);
    for (size_t i = 0; i < values.size(); ++i)
        setMember(self, indexName(int64_t(i)), values[i]);
    setArrayLength(array, int32_t(values.size()));
}

void Interpreter::defineMethod(Object* o, const char* name, NativeFunction fn)
{
    o->put(QString::fromLatin1(name), Value::object(newNative(std::move(fn))), DontEnum);
}

void Interpreter::setupArrayClass()
{
    arrayProto = alloc(Object::Kind::Plain, objectProto);
    // new Array(n) with one number makes n holes (any 32-bit length, even a
    // negative one); any other arguments are the elements.
    auto fill = [](Interpreter& v, Object* target, const Args& a) {
        target->kind = Object::Kind::Array;
        if (a.count() == 1 && a.at(0).isNumber()) {
            v.setArrayLength(target, toInt32(a.at(0).n));
            return;
        }
        v.setArrayValues(target, a.args);
    };
    Object* ctor = newNative(
        [fill](Interpreter& v, Args& a) {
            Object* array = v.newArray();
            fill(v, array, a);
            return Value::object(array);
        },
        [fill](Interpreter& v, Args& a) {
            fill(v, a.self.o, a);
            return a.self;
        });
    ctor->put(QStringLiteral("prototype"), Value::object(arrayProto), DontEnum | DontDelete);
    arrayProto->put(QStringLiteral("constructor"), Value::object(ctor), DontEnum);
    global->put(QStringLiteral("Array"), Value::object(ctor), DontEnum);
    const uint16_t constant = DontEnum | DontDelete | ReadOnly;
    ctor->put(QStringLiteral("CASEINSENSITIVE"), Value::number(CaseInsensitive), constant);
    ctor->put(QStringLiteral("DESCENDING"), Value::number(Descending), constant);
    ctor->put(QStringLiteral("UNIQUESORT"), Value::number(UniqueSort), constant);
    ctor->put(QStringLiteral("RETURNINDEXEDARRAY"), Value::number(ReturnIndexedArray), constant);
    ctor->put(QStringLiteral("NUMERIC"), Value::number(Numeric), constant);

    defineMethod(arrayProto, "push", [](Interpreter& v, Args& a) {
        Object* array = selfArray(a);
        if (!array)
            return Value();
        for (const Value& x : a.args)
            v.setMember(a.self, indexName(int64_t(array->length)), x);
        return Value::number(double(array->length));
    });
    defineMethod(arrayProto, "pop", [](Interpreter& v, Args& a) {
        Object* array = selfArray(a);
        if (!array || array->length <= 0)
            return Value();
        // The stored value, even where addProperty put a getter on it.
        const int32_t last = array->length - 1;
        const Slot* s = array->slot(indexName(last), true);
        Value out = s ? s->value : Value();
        array->remove(indexName(last), true);
        v.setArrayLength(array, last);
        return out;
    });
    defineMethod(arrayProto, "shift", [](Interpreter& v, Args& a) {
        Object* array = selfArray(a);
        if (!array || array->length <= 0)
            return Value();
        const std::vector<Value> values = v.arrayValues(array);
        v.deleteElements(array, array->length);
        for (size_t i = 1; i < values.size(); ++i)
            v.setMember(a.self, indexName(int64_t(i) - 1), values[i]);
        v.setArrayLength(array, int32_t(values.size()) - 1);
        return values.front();
    });
    defineMethod(arrayProto, "unshift", [](Interpreter& v, Args& a) {
        Object* array = selfArray(a);
        if (!array)
            return Value();
        const std::vector<Value> values = v.arrayValues(array);
        if (int64_t(values.size() + a.args.size()) > v.limits.arrayLength)
            v.fail(QStringLiteral("array longer than %1 elements").arg(v.limits.arrayLength));
        v.deleteElements(array, array->length);
        // The old elements move up from the last one, then the new ones go in front.
        const auto shift = int64_t(a.args.size());
        for (size_t i = values.size(); i-- > 0;)
            v.setMember(a.self, indexName(int64_t(i) + shift), values[i]);
        for (size_t i = 0; i < a.args.size(); ++i)
            v.setMember(a.self, indexName(int64_t(i)), a.args[i]);
        v.setArrayLength(array, int32_t(int64_t(values.size()) + shift));
        return Value::number(double(array->length));
    });
    defineMethod(arrayProto, "slice", [](Interpreter& v, Args& a) {
        Object* array = selfArray(a);
        if (!array)
            return Value();
        const std::vector<Value> values = v.arrayValues(array);
        const auto len = double(values.size());
        const double from = relativeIndex(a.count() > 0 ? v.toInteger(a.at(0)) : 0, len);
        const double to = relativeIndex(a.count() > 1 ? v.toInteger(a.at(1)) : len, len);
        std::vector<Value> out;
        if (to > from)
            out.assign(values.begin() + ptrdiff_t(from), values.begin() + ptrdiff_t(to));
        return Value::object(v.newArray(std::move(out)));
    });
    defineMethod(arrayProto, "splice", [](Interpreter& v, Args& a) {
        Object* array = selfArray(a);
        // An undefined start, or a count that is undefined or negative,
        // changes nothing and answers undefined.
        if (!array || a.count() == 0 || a.at(0).isUndefined() || (a.count() > 1 && a.at(1).isUndefined()))
            return Value();
        const double wanted = a.count() > 1 ? v.toInteger(a.at(1)) : 0;
        if (wanted < 0)
            return Value();
        std::vector<Value> values = v.arrayValues(array);
        const auto len = double(values.size());
        const double start = relativeIndex(v.toInteger(a.at(0)), len);
        const double count = a.count() > 1 ? std::min(wanted, len - start) : len - start;
        const auto first = values.begin() + ptrdiff_t(start);
        std::vector<Value> removed(first, first + ptrdiff_t(count));
        values.erase(first, first + ptrdiff_t(count));
        if (a.count() > 2)
            values.insert(values.begin() + ptrdiff_t(start), a.args.begin() + 2, a.args.end());
        v.setArrayValues(array, values);
        return Value::object(v.newArray(std::move(removed)));
    });
    defineMethod(arrayProto, "concat", [](Interpreter& v, Args& a) {
        std::vector<Value> out = v.arrayValues(selfArray(a));
        for (const Value& x : a.args) {
            if (x.isObject() && x.o->kind == Object::Kind::Array) {
                const std::vector<Value> more = v.arrayValues(x.o);
                if (int64_t(out.size() + more.size()) > v.limits.arrayLength)
                    v.fail(QStringLiteral("array longer than %1 elements").arg(v.limits.arrayLength));
                out.insert(out.end(), more.begin(), more.end());
            } else {
                out.push_back(x);
            }
        }
        return Value::object(v.newArray(std::move(out)));
    });
    defineMethod(arrayProto, "join", [](Interpreter& v, Args& a) {
        if (!selfArray(a))
            return Value();
        const QString sep = a.at(0).isUndefined() ? QStringLiteral(",") : v.toString(a.at(0));
        QString s = joinArray(v, a.self, sep);
        v.checkString(s);
        return Value::string(std::move(s));
    });
    defineMethod(arrayProto, "toString", [](Interpreter& v, Args& a) {
        if (!a.self.isObject())
            return Value::string(QStringLiteral("[object Object]"));
        QString s = joinArray(v, a.self, QStringLiteral(","));
        v.checkString(s);
        return Value::string(std::move(s));
    });
    defineMethod(arrayProto, "reverse", [](Interpreter& v, Args& a) {
        if (Object* array = selfArray(a)) {
            std::vector<Value> values = v.arrayValues(array);
            std::reverse(values.begin(), values.end());
            v.setArrayValues(array, values);
        }
        return a.self;
    });
    defineMethod(arrayProto, "sort", [](Interpreter& v, Args& a) {
        Object* array = selfArray(a);
        if (!array)
            return Value();
        // sort(), sort(compare[, options]) or sort(options[, options]) (a
        // second number wins). Another object sorts nothing; any other
        // first argument answers undefined.
        Value fn;
        int options = 0;
        if (a.at(0).isObject() && a.at(0).o->isFunction()) {
            fn = a.at(0);
            options = clampToInt(v.toNumber(a.at(1)));
        } else if (a.count() > 0) {
            if (a.at(0).isObject())
                return a.self;
            if (!a.at(0).isNumber())
                return Value();
            options = clampToInt(a.at(a.at(1).isNumber() ? 1 : 0).n);
        }
        return sortArray(v, array, fn, {options}, [](const Value& x, size_t) { return x; });
    });
    defineMethod(arrayProto, "sortOn", [](Interpreter& v, Args& a) {
        Object* array = selfArray(a);
        if (!array)
            return Value();
        // One field or an array of fields; options for all of them, or an
        // array with one per field (an array of another size is ignored).
        if (a.args.empty())
            return Value();
        QStringList fields;
        if (a.at(0).isObject() && a.at(0).o->kind == Object::Kind::Array) {
            for (const Value& f : v.arrayValues(a.at(0).o))
                fields.append(v.toString(f));
        } else {
            fields.append(v.toString(a.at(0)));
        }
        if (fields.isEmpty())
            return a.self;
        std::vector<int> options(size_t(fields.size()), 0);
        if (a.at(1).isObject() && a.at(1).o->kind == Object::Kind::Array) {
            const std::vector<Value> given = v.arrayValues(a.at(1).o);
            if (given.size() == options.size())
                for (size_t k = 0; k < given.size(); ++k)
                    options[k] = clampToInt(v.toNumber(given[k]));
        } else {
            std::fill(options.begin(), options.end(), clampToInt(v.toNumber(a.at(1))));
        }
        // Objects sort by the stored values of their own fields (no
        // prototypes, no getters), other elements by themselves.
        return sortArray(v, array, Value(), options, [&](const Value& x, size_t k) {
            if (!x.isObject())
                return x;
            const QString& field = fields[qsizetype(k)];
            if (const Slot* s = x.o->slot(field, v.caseSensitive()))
                return s->value;
            // A String object's length.
            return x.o->kind == Object::Kind::Primitive ? v.getMember(x, field) : Value();
        });
    });
}

} // namespace fotarel::swf::avm1
