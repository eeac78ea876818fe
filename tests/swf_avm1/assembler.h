#pragma once

// A tiny assembler for action bytes, following the record layouts of the
// published SWF file format specification, so tests can write scripts the
// way an authoring tool would have compiled them.

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace fotarel::swf::avm1::test {

// Action codes used by the tests.
namespace op {
constexpr uint8_t NextFrame = 0x04, PrevFrame = 0x05, Play = 0x06, Stop = 0x07;
constexpr uint8_t Add = 0x0A, Subtract = 0x0B, Multiply = 0x0C, Divide = 0x0D, Equals = 0x0E, Less = 0x0F;
constexpr uint8_t And = 0x10, Or = 0x11, Not = 0x12, StringEquals = 0x13, StringLength = 0x14;
constexpr uint8_t StringExtract = 0x15, Pop = 0x17, ToInteger = 0x18, GetVariable = 0x1C, SetVariable = 0x1D;
constexpr uint8_t SetTarget2 = 0x20, StringAdd = 0x21, GetProperty = 0x22, SetProperty = 0x23;
constexpr uint8_t CloneSprite = 0x24, RemoveSprite = 0x25, Trace = 0x26, Throw = 0x2A, CastOp = 0x2B;
constexpr uint8_t RandomNumber = 0x30, CharToAscii = 0x32, AsciiToChar = 0x33, GetTime = 0x34;
constexpr uint8_t Delete = 0x3A, Delete2 = 0x3B, DefineLocal = 0x3C, CallFunction = 0x3D, Return = 0x3E;
constexpr uint8_t Modulo = 0x3F, NewObject = 0x40, DefineLocal2 = 0x41, InitArray = 0x42, InitObject = 0x43;
constexpr uint8_t TypeOf = 0x44, TargetPath = 0x45, Enumerate = 0x46, Add2 = 0x47, Less2 = 0x48;
constexpr uint8_t Equals2 = 0x49, ToNumber = 0x4A, ToString = 0x4B, PushDuplicate = 0x4C, StackSwap = 0x4D;
constexpr uint8_t GetMember = 0x4E, SetMember = 0x4F, Increment = 0x50, Decrement = 0x51;
constexpr uint8_t CallMethod = 0x52, NewMethod = 0x53, InstanceOf = 0x54, Enumerate2 = 0x55;
constexpr uint8_t BitAnd = 0x60, BitOr = 0x61, BitXor = 0x62, BitLShift = 0x63, BitRShift = 0x64;
constexpr uint8_t BitURShift = 0x65, StrictEquals = 0x66, Greater = 0x67, StringGreater = 0x68, Extends = 0x69;
constexpr uint8_t GotoFrame = 0x81, GetURL = 0x83, StoreRegister = 0x87, ConstantPool = 0x88;
constexpr uint8_t SetTarget = 0x8B, GoToLabel = 0x8C, DefineFunction2 = 0x8E, Try = 0x8F, With = 0x94;
constexpr uint8_t Push = 0x96, Jump = 0x99, GetURL2 = 0x9A, DefineFunction = 0x9B, If = 0x9D;
constexpr uint8_t GotoFrame2 = 0x9F;
} // namespace op

// Operands of Push.
struct Null {};
struct Undef {};
struct Reg { uint8_t n; };
struct Const { uint16_t n; };
struct Float { float v; };

// DefineFunction2 flags.
namespace f2 {
constexpr uint16_t PreloadThis = 0x01, SuppressThis = 0x02, PreloadArguments = 0x04, SuppressArguments = 0x08;
constexpr uint16_t PreloadSuper = 0x10, SuppressSuper = 0x20, PreloadRoot = 0x40, PreloadParent = 0x80;
constexpr uint16_t PreloadGlobal = 0x100;
} // namespace f2

class Asm {
public:
    Asm& op(uint8_t code);
    // Appends another snippet (without labels of its own).
    Asm& append(const Asm& other);
    Asm& record(uint8_t code, const QByteArray& data);

    template <class... T>
    Asm& push(const T&... values)
    {
        QByteArray d;
        (item(d, values), ...);
        return record(op::Push, d);
    }

    // Shorthands for the common statements.
    Asm& get(const QString& name) { return push(name).op(op::GetVariable); }
    template <class T>
    Asm& set(const QString& name, const T& value) { return push(name, value).op(op::SetVariable); }
    Asm& trace() { return op(op::Trace); }
    // Calls the function `name` with arguments already pushed (last first).
    Asm& call(const QString& name, int argc) { return push(argc, name).op(op::CallFunction); }
    // obj.method(args): arguments pushed last first, then the object.
    Asm& callMethod(const QString& method, int argc);

    Asm& constants(const QStringList& pool);
    Asm& label(const QString& name);
    Asm& jump(const QString& label);
    Asm& ifTrue(const QString& label);
    Asm& storeRegister(uint8_t r);
    Asm& getUrl(const QString& url, const QString& window);
    Asm& getUrl2(uint8_t flags) { return record(op::GetURL2, QByteArray(1, char(flags))); }
    Asm& gotoFrame2(bool play) { return record(op::GotoFrame2, QByteArray(1, char(play ? 1 : 0))); }
    Asm& gotoLabel(const QString& label);
    Asm& setTarget(const QString& target);

    Asm& function(const QString& name, const QStringList& params, const Asm& body);
    struct Param {
        uint8_t reg;
        QString name;
    };
    Asm& function2(const QString& name, uint8_t registers, uint16_t flags, const std::vector<Param>& params,
                   const Asm& body);
    Asm& with(const Asm& body);
    // try { body } catch (name) { catchBody } finally { finallyBody }; an
    // empty catch name with catchRegister > 0 catches into that register.
    Asm& tryBlock(const Asm& body, const QString& catchName, const Asm* catchBody, const Asm* finallyBody,
                  uint8_t catchRegister = 0);

    // The assembled bytes; `end` adds the terminating ActionEnd.
    QByteArray bytes(bool end = true) const;

private:
    static void item(QByteArray& d, const QString& s);
    static void item(QByteArray& d, const char* s) { item(d, QString::fromUtf8(s)); }
    static void item(QByteArray& d, double v);
    static void item(QByteArray& d, int v);
    static void item(QByteArray& d, bool v);
    static void item(QByteArray& d, Null);
    static void item(QByteArray& d, Undef);
    static void item(QByteArray& d, Reg r);
    static void item(QByteArray& d, Const c);
    static void item(QByteArray& d, Float f);

    QByteArray code_;
    QMap<QString, int> labels_;
    struct Fixup {
        int at;     // position of the s16 offset
        int from;   // end of the jump record
        QString label;
    };
    std::vector<Fixup> fixups_;
};

QByteArray str(const QString& s); // zero-terminated UTF-8
QByteArray u16(int v);

} // namespace fotarel::swf::avm1::test
