#include "tests/swf_avm1/assembler.h"

#include <cstring>
#include <stdexcept>

namespace fotarel::swf::avm1::test {

QByteArray str(const QString& s)
{
    QByteArray b = s.toUtf8();
    b.append('\0');
    return b;
}

QByteArray u16(int v)
{
    QByteArray b;
    b.append(char(v & 0xFF));
    b.append(char((v >> 8) & 0xFF));
    return b;
}

static QByteArray u32(uint32_t v)
{
    QByteArray b;
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
    return b;
}

Asm& Asm::op(uint8_t code)
{
    code_.append(char(code));
    return *this;
}

Asm& Asm::append(const Asm& other)
{
    code_.append(other.bytes(false));
    return *this;
}

Asm& Asm::record(uint8_t code, const QByteArray& data)
{
    code_.append(char(code));
    code_.append(u16(int(data.size())));
    code_.append(data);
    return *this;
}

void Asm::item(QByteArray& d, const QString& s)
{
    d.append(char(0));
    d.append(str(s));
}

void Asm::item(QByteArray& d, double v)
{
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    d.append(char(6));
    d.append(u32(uint32_t(bits >> 32)));
    d.append(u32(uint32_t(bits)));
}

void Asm::item(QByteArray& d, int v)
{
    d.append(char(7));
    d.append(u32(uint32_t(v)));
}

void Asm::item(QByteArray& d, bool v)
{
    d.append(char(5));
    d.append(char(v ? 1 : 0));
}

void Asm::item(QByteArray& d, Null)
{
    d.append(char(2));
}

void Asm::item(QByteArray& d, Undef)
{
    d.append(char(3));
}

void Asm::item(QByteArray& d, Reg r)
{
    d.append(char(4));
    d.append(char(r.n));
}

void Asm::item(QByteArray& d, Const c)
{
    if (c.n < 256) {
        d.append(char(8));
        d.append(char(c.n));
    } else {
        d.append(char(9));
        d.append(u16(c.n));
    }
}

void Asm::item(QByteArray& d, Float f)
{
    uint32_t bits;
    std::memcpy(&bits, &f.v, 4);
    d.append(char(1));
    d.append(u32(bits));
}

Asm& Asm::callMethod(const QString& method, int argc)
{
    // Stack before: args..., object. CallMethod pops name, object, count.
    // The object is already on top: put the count under it.
    push(argc).op(op::StackSwap);
    return push(method).op(op::CallMethod);
}

Asm& Asm::constants(const QStringList& pool)
{
    QByteArray d = u16(int(pool.size()));
    for (const QString& s : pool)
        d.append(str(s));
    return record(op::ConstantPool, d);
}

Asm& Asm::label(const QString& name)
{
    labels_[name] = int(code_.size());
    return *this;
}

Asm& Asm::jump(const QString& label)
{
    record(op::Jump, u16(0));
    fixups_.push_back({int(code_.size()) - 2, int(code_.size()), label});
    return *this;
}

Asm& Asm::ifTrue(const QString& label)
{
    record(op::If, u16(0));
    fixups_.push_back({int(code_.size()) - 2, int(code_.size()), label});
    return *this;
}

Asm& Asm::storeRegister(uint8_t r)
{
    return record(op::StoreRegister, QByteArray(1, char(r)));
}

Asm& Asm::getUrl(const QString& url, const QString& window)
{
    return record(op::GetURL, str(url) + str(window));
}

Asm& Asm::gotoLabel(const QString& label)
{
    return record(op::GoToLabel, str(label));
}

Asm& Asm::setTarget(const QString& target)
{
    return record(op::SetTarget, str(target));
}

Asm& Asm::function(const QString& name, const QStringList& params, const Asm& body)
{
    const QByteArray b = body.bytes(false);
    QByteArray d = str(name) + u16(int(params.size()));
    for (const QString& p : params)
        d.append(str(p));
    d.append(u16(int(b.size())));
    record(op::DefineFunction, d);
    code_.append(b);
    return *this;
}

Asm& Asm::function2(const QString& name, uint8_t registers, uint16_t flags, const std::vector<Param>& params,
                    const Asm& body)
{
    const QByteArray b = body.bytes(false);
    QByteArray d = str(name) + u16(int(params.size()));
    d.append(char(registers));
    d.append(u16(flags));
    for (const Param& p : params) {
        d.append(char(p.reg));
        d.append(str(p.name));
    }
    d.append(u16(int(b.size())));
    record(op::DefineFunction2, d);
    code_.append(b);
    return *this;
}

Asm& Asm::with(const Asm& body)
{
    const QByteArray b = body.bytes(false);
    record(op::With, u16(int(b.size())));
    code_.append(b);
    return *this;
}

Asm& Asm::tryBlock(const Asm& body, const QString& catchName, const Asm* catchBody, const Asm* finallyBody,
                   uint8_t catchRegister)
{
    const QByteArray t = body.bytes(false);
    const QByteArray c = catchBody ? catchBody->bytes(false) : QByteArray();
    const QByteArray f = finallyBody ? finallyBody->bytes(false) : QByteArray();
    uint8_t flags = 0;
    if (catchBody)
        flags |= 0x01;
    if (finallyBody)
        flags |= 0x02;
    const bool inRegister = catchName.isEmpty() && catchRegister > 0;
    if (inRegister)
        flags |= 0x04;
    QByteArray d(1, char(flags));
    d.append(u16(int(t.size())));
    d.append(u16(int(c.size())));
    d.append(u16(int(f.size())));
    if (inRegister)
        d.append(char(catchRegister));
    else
        d.append(str(catchName));
    record(op::Try, d);
    code_.append(t);
    code_.append(c);
    code_.append(f);
    return *this;
}

QByteArray Asm::bytes(bool end) const
{
    QByteArray out = code_;
    for (const Fixup& f : fixups_) {
        if (!labels_.contains(f.label))
            throw std::logic_error("unknown label " + f.label.toStdString());
        const int offset = labels_[f.label] - f.from;
        out[f.at] = char(offset & 0xFF);
        out[f.at + 1] = char((offset >> 8) & 0xFF);
    }
    if (end)
        out.append('\0');
    return out;
}

} // namespace fotarel::swf::avm1::test
