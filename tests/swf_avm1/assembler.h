#pragma once

// A tiny assembler for action bytes, following the record layouts of the
// published SWF file format specification, so tests can write scripts the
// way an authoring tool would have compiled them.

#include "swf/avm1/opcodes.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace fotarel::swf::avm1::test {

// Action codes: the interpreter's table (swf/avm1/opcodes.h); the tests
// write their own numbers only where they check that table.
namespace op = avm1::op;

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
