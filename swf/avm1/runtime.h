#pragma once

// Script values and objects of the VM (internal to fotarel_avm1).

#include "swf/avm1/host.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace fotarel::swf::avm1 {

class Object;
class Interpreter;
struct SoundState;

struct Value {
    enum class Type : uint8_t { Undefined, Null, Boolean, Number, String, Object };
    Type type = Type::Undefined;
    bool b = false;
    double n = 0;
    QString s;
    Object* o = nullptr;

    static Value undefined() { return {}; }
    static Value null() { Value v; v.type = Type::Null; return v; }
    static Value boolean(bool x) { Value v; v.type = Type::Boolean; v.b = x; return v; }
    static Value number(double x) { Value v; v.type = Type::Number; v.n = x; return v; }
    static Value string(QString x) { Value v; v.type = Type::String; v.s = std::move(x); return v; }
    static Value object(Object* x)
    {
        if (!x)
            return null();
        Value v; v.type = Type::Object; v.o = x; return v;
    }

    bool isUndefined() const { return type == Type::Undefined; }
    bool isNull() const { return type == Type::Null; }
    bool isNullish() const { return type == Type::Undefined || type == Type::Null; }
    bool isObject() const { return type == Type::Object; }
    bool isString() const { return type == Type::String; }
    bool isNumber() const { return type == Type::Number; }
};

// Conversions that need no object behaviour (objects are handled by the
// interpreter, which may call their valueOf/toString).
QString numberToString(double n);
QString numberToStringRadix(double n, int radix);
// String to number by the rules of the SWF version: SWF 4 takes the leading
// number and 0 otherwise; SWF 5 and later take the whole (trimmed) text as a
// decimal, "0x" hex or exponent number and NaN otherwise; the empty string is
// 0 before SWF 7 and NaN from SWF 7 on.
double stringToNumber(const QString& s, int swfVersion);
int32_t toInt32(double n);
// A double as an int for counts, indexes and levels: NaN is 0, the rest is
// clamped to the int range (truncated toward zero).
int clampToInt(double n);
uint32_t toUint32(double n);

// ASSetPropFlags bits. The version bits hide a property from movies older
// than the version named (Flash Player's own classes use them to keep later
// additions away from old movies).
// The array index a property name stands for: decimal digits with an
// optional minus sign, taken modulo 2^32 as a signed 32-bit number ("4294967295"
// is -1). Other names are no index.
bool arrayIndexName(const QString& name, int32_t& index);

// Name comparison of SWF 6 and older movies (no letter case).
bool sameNameIgnoringCase(const QString& a, const QString& b);

enum SlotFlags : uint16_t {
    DontEnum = 1, DontDelete = 2, ReadOnly = 4,
    FromSwf6 = 0x80, FromSwf7 = 0x400, FromSwf8 = 0x1000, FromSwf9 = 0x2000, FromSwf10 = 0x4000,
};

// True when a property with these flags does not exist for a movie of this
// SWF version.
inline bool hiddenFor(uint16_t flags, int swfVersion)
{
    return ((flags & FromSwf6) && swfVersion < 6) || ((flags & FromSwf7) && swfVersion < 7) ||
           ((flags & FromSwf8) && swfVersion < 8) || ((flags & FromSwf9) && swfVersion < 9) ||
           ((flags & FromSwf10) && swfVersion < 10);
}

struct Slot {
    QString name;
    Value value;
    uint16_t flags = 0;
    Object* getter = nullptr; // addProperty
    Object* setter = nullptr;
    bool removed = false;     // deleted; skipped until the table is compacted
};

struct CallArgs;
using NativeFunction = std::function<Value(Interpreter&, CallArgs&)>;

struct Param {
    QString name;
    int reg = 0; // DefineFunction2: register to hold it (0: a local variable)
};

// A function defined by DefineFunction or DefineFunction2.
class DecodedBlock;

struct ScriptFunction {
    QByteArray code;       // the whole block; body is [start, end)
    std::shared_ptr<DecodedBlock> program; // its decoded records (shared with the block)
    int start = 0;
    int end = 0;
    int swfVersion = 6;
    QString name;
    std::vector<Param> params;
    bool v2 = false;
    int registerCount = 0;
    uint16_t flags = 0;
    std::vector<Object*> scope;                            // captured scope chain (global first)
    std::shared_ptr<const std::vector<QString>> constants; // constant pool at definition
    Object* timeline = nullptr;                            // clip object where it was defined
};

// The tree data of an XMLNode / XML object: kept outside its script
// properties, so scripts see it only through the class's accessors.
// The pixels of a flash.display.BitmapData object (straight ARGB, row by row).
struct BitmapPixels {
    int width = 0, height = 0;
    bool transparent = true;
    std::vector<uint32_t> argb;
};

struct XmlNode {
    enum Type : int { Element = 1, Text = 3 };
    int type = Element;
    Value name;  // nodeName: a string, or null (documents, text nodes)
    Value value; // nodeValue: a string, or null (elements)
    std::vector<Object*> children;
    Object* parent = nullptr;
    Object* attributes = nullptr; // a plain object, made on first use
    Object* childArray = nullptr; // the array childNodes answers, refreshed on each read
};

// A TextSnapshot object: the clip whose static text it reads, and which of
// its characters are selected.
struct TextSnapshotState {
    std::shared_ptr<ClipLink> clip;
    std::vector<bool> selected;
    uint32_t selectColor = 0xffff00;
};

class Object {
public:
    enum class Kind : uint8_t { Plain, Function, Array, Clip, Super, Primitive, Loader };
    explicit Object(Kind k) : kind(k) {}

    Kind kind;
    Object* proto = nullptr; // __proto__
    Value protoPrimitive;    // __proto__ when a script stored a primitive there
    // Own properties in the order they were made (an Array's elements are
    // properties named "0", "1", ...); deleted ones stay as removed slots
    // until enough of them are compacted away.
    std::vector<Slot> props;
    QHash<QString, int> index; // exact name -> slot of a property not removed
    int removedSlots = 0;

    int32_t length = 0; // Array: its length (elements may be missing below it)

    std::shared_ptr<ScriptFunction> script; // Function (script)
    NativeFunction native;                  // Function (native)
    NativeFunction nativeConstruct;         // Function (native): called by `new`

    Value primitive; // Primitive wrapper (new String/Number/Boolean), Super's `this`
    Object* home = nullptr; // Super: prototype whose __proto__ it searches
    // Super: how many __proto__ links lead from `this` to that prototype when
    // the method was called; the prototype is found again that way at each
    // use, so a script that replaces this.__proto__ meanwhile is followed
    // (-1: `home` as kept).
    int superDepth = -1;

    std::shared_ptr<ClipLink> link; // Clip
    std::unique_ptr<XmlNode> xml;   // XMLNode and XML objects
    std::unique_ptr<TextFormat> textFormat; // TextFormat objects
    std::unique_ptr<TextSnapshotState> snapshot; // TextSnapshot objects
    std::shared_ptr<SoundState> sound;      // Sound objects; a clip's (or the movie's) sound transform
    std::shared_ptr<BitmapPixels> bitmap;   // BitmapData objects (null once disposed)
    std::shared_ptr<ClipLink> subject;      // flash.geom.Transform objects: the clip they read and change
    // Object.watch: property name -> (callback, user data). A watch outlives
    // the deletion of its property.
    struct Watch {
        Object* callback = nullptr;
        Value data;
    };
    std::unique_ptr<std::vector<std::pair<QString, Watch>>> watches;
    Watch* watchOf(const QString& name, bool caseSensitive);

    bool marked = false;

    bool isFunction() const { return kind == Kind::Function; }
    DisplayObjectHost* clip() const { return link ? link->clip : nullptr; }

    int find(const QString& name, bool caseSensitive) const;
    Slot* slot(const QString& name, bool caseSensitive)
    {
        const int i = find(name, caseSensitive);
        return i < 0 ? nullptr : &props[size_t(i)];
    }
    // Adds or replaces an own property (no setters, no flags checks).
    void put(const QString& name, Value v, uint16_t flags = 0, bool caseSensitive = true);
    bool remove(const QString& name, bool caseSensitive);
    // Removes every property, DontDelete ones included.
    void clearProperties();
    size_t estimateBytes() const;
};

// Arguments of a call as natives see them.
struct CallArgs {
    Value self;              // `this` (an object, or a primitive for String/Number methods)
    std::vector<Value> args;
    Object* callee = nullptr;
    bool construct = false;  // called by `new`
    bool refused = false;    // set by a native constructor: `new` gives undefined

    const Value& at(size_t i) const
    {
        static const Value none;
        return i < args.size() ? args[i] : none;
    }
    size_t count() const { return args.size(); }
};

} // namespace fotarel::swf::avm1
