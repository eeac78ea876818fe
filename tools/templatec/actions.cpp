#include "tools/templatec/actions.h"

#include <QStringList>

#include <stdexcept>

namespace fotarel::templatec {

namespace {

void le16(QByteArray& b, int v)
{
    b.append(char(v & 0xff));
    b.append(char((v >> 8) & 0xff));
}

} // namespace

void Actions::record(uint8_t code, const QByteArray& payload)
{
    code_.append(char(code));
    if (avm1::hasPayload(code)) {
        le16(code_, int(payload.size()));
        code_.append(payload);
    }
}

Actions& Actions::push(const QString& s)
{
    QByteArray p;
    p.append(char(0));
    p.append(s.toUtf8());
    p.append(char(0));
    record(avm1::op::Push, p);
    return *this;
}

Actions& Actions::push(int v)
{
    QByteArray p;
    p.append(char(7));
    const auto u = uint32_t(v);
    for (int i = 0; i < 4; ++i)
        p.append(char((u >> (8 * i)) & 0xff));
    record(avm1::op::Push, p);
    return *this;
}

Actions& Actions::pushUndefined()
{
    record(avm1::op::Push, QByteArray(1, char(3)));
    return *this;
}

Actions& Actions::op(uint8_t code)
{
    const avm1::OpInfo* info = avm1::opInfo(code);
    if (!info || info->layout != avm1::Layout::None || avm1::hasPayload(code))
        throw std::invalid_argument("not an action without payload");
    record(code, {});
    return *this;
}

Actions& Actions::set(const QString& name, const QString& value) { return push(name).push(value).setVariable(); }
Actions& Actions::set(const QString& name, int value) { return push(name).push(value).setVariable(); }

Actions& Actions::getUrl(const QString& url, const QString& target)
{
    QByteArray p = url.toUtf8();
    p.append(char(0));
    p.append(target.toUtf8());
    p.append(char(0));
    record(avm1::op::GetURL, p);
    return *this;
}

Actions& Actions::jumpIfTrue(const QString& label)
{
    record(avm1::op::If, QByteArray(2, '\0'));
    fixups_.emplace_back(int(code_.size()) - 2, label);
    return *this;
}

Actions& Actions::jump(const QString& label)
{
    record(avm1::op::Jump, QByteArray(2, '\0'));
    fixups_.emplace_back(int(code_.size()) - 2, label);
    return *this;
}

Actions& Actions::label(const QString& name)
{
    labels_[name] = int(code_.size());
    return *this;
}

Actions& Actions::defineFunction(const QString& name, const QStringList& params, const Actions& body)
{
    const QByteArray code = body.bytes();
    QByteArray p = name.toUtf8();
    p.append(char(0));
    le16(p, int(params.size()));
    for (const QString& s : params) {
        p.append(s.toUtf8());
        p.append(char(0));
    }
    le16(p, int(code.size()));
    record(avm1::op::DefineFunction, p);
    code_.append(code);
    return *this;
}

QByteArray Actions::bytes() const
{
    QByteArray out = code_;
    for (const auto& [at, name] : fixups_) {
        const auto it = labels_.find(name);
        if (it == labels_.end())
            throw std::invalid_argument("undefined label " + name.toStdString());
        const int offset = it->second - (at + 2);
        out[at] = char(offset & 0xff);
        out[at + 1] = char((offset >> 8) & 0xff);
    }
    return out;
}

} // namespace fotarel::templatec
