#pragma once

// A small assembler of AVM1 action records (DoAction bytes) with forward
// labels for If/Jump.

#include <QByteArray>
#include <QString>

#include <map>
#include <vector>

namespace fotarel::templatec {

class Actions {
public:
    // ActionPush of one value.
    Actions& push(const QString& s);
    Actions& push(const char* s) { return push(QString::fromUtf8(s)); }
    Actions& push(int v);
    Actions& pushUndefined();
    Actions& op(uint8_t code); // an action without payload

    // Conveniences over op().
    Actions& getVariable() { return op(0x1C); }
    Actions& setVariable() { return op(0x1D); }
    Actions& getMember() { return op(0x4E); }
    Actions& setMember() { return op(0x4F); }
    Actions& pop() { return op(0x17); }
    Actions& add() { return op(0x47); }
    Actions& subtract() { return op(0x0B); }
    Actions& multiply() { return op(0x0C); }
    Actions& divide() { return op(0x0D); }
    Actions& equals() { return op(0x49); }
    Actions& less() { return op(0x48); }
    Actions& logicalNot() { return op(0x12); }
    Actions& increment() { return op(0x50); }

    // name = value, where value is already pushed after the name.
    Actions& set(const QString& name, const QString& value);
    Actions& set(const QString& name, int value);
    // Calls: arguments pushed last to first, then their count, then (for a
    // method) the object, then the name.
    Actions& callFunction() { return op(0x3D); }
    Actions& callMethod() { return op(0x52); }
    Actions& newObject() { return op(0x40); }
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
