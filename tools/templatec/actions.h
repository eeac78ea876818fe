#pragma once

// A small assembler of AVM1 action records (DoAction bytes) with forward
// labels for If/Jump. Codes and payload layouts come from the player's
// table (swf/avm1/opcodes.h).

#include "swf/avm1/opcodes.h"

#include <QByteArray>
#include <QString>

#include <map>
#include <vector>

namespace fotarel::templatec {

namespace avm1 = swf::avm1;

class Actions {
public:
    // ActionPush of one value.
    Actions& push(const QString& s);
    Actions& push(const char* s) { return push(QString::fromUtf8(s)); }
    Actions& push(int v);
    Actions& pushUndefined();
    Actions& op(uint8_t code); // an action without payload

    // Conveniences over op().
    Actions& getVariable() { return op(avm1::op::GetVariable); }
    Actions& setVariable() { return op(avm1::op::SetVariable); }
    Actions& getMember() { return op(avm1::op::GetMember); }
    Actions& setMember() { return op(avm1::op::SetMember); }
    Actions& pop() { return op(avm1::op::Pop); }
    Actions& add() { return op(avm1::op::Add2); }
    Actions& subtract() { return op(avm1::op::Subtract); }
    Actions& multiply() { return op(avm1::op::Multiply); }
    Actions& divide() { return op(avm1::op::Divide); }
    Actions& equals() { return op(avm1::op::Equals2); }
    Actions& less() { return op(avm1::op::Less2); }
    Actions& logicalNot() { return op(avm1::op::Not); }
    Actions& increment() { return op(avm1::op::Increment); }

    // name = value, where value is already pushed after the name.
    Actions& set(const QString& name, const QString& value);
    Actions& set(const QString& name, int value);
    // Calls: arguments pushed last to first, then their count, then (for a
    // method) the object, then the name.
    Actions& callFunction() { return op(avm1::op::CallFunction); }
    Actions& callMethod() { return op(avm1::op::CallMethod); }
    Actions& newObject() { return op(avm1::op::NewObject); }
    Actions& getUrl(const QString& url, const QString& target);

    // Branches to a label defined before or after.
    Actions& jumpIfTrue(const QString& label);
    Actions& jump(const QString& label);
    Actions& label(const QString& name);

    // DefineFunction (SWF 5): name may be empty for a function literal.
    Actions& defineFunction(const QString& name, const QStringList& params, const Actions& body);

    QByteArray bytes() const; // resolved, without the end byte

private:
    void record(uint8_t code, const QByteArray& payload);
    QByteArray code_;
    std::map<QString, int> labels_;
    std::vector<std::pair<int, QString>> fixups_; // offset of the s16 field, label
};

} // namespace fotarel::templatec
