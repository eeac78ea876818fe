#pragma once

// Action records decoded into values once, kept per action block, so a loop
// does not read its bytes again (internal to fotarel_avm1).

#include "swf/avm1/opcodes.h"

#include <QByteArray>
#include <QString>

#include <deque>
#include <memory>
#include <vector>

namespace fotarel::swf::avm1 {

// One operand of Push. Registers and constants are looked up when the
// record runs: the pool and the registers change while a block runs.
struct PushItem {
    enum class Kind : uint8_t { String, Number, Null, Undefined, Register, Boolean, Constant };
    Kind kind = Kind::Undefined;
    uint16_t index = 0; // register or constant index
    bool flag = false;  // Boolean
    double number = 0;  // Number
    QString text;       // String
};

// The header of DefineFunction / DefineFunction2.
struct FunctionShape {
    QString name;
    struct Param {
        int reg = 0;
        QString name;
    };
    std::vector<Param> params;
    int registerCount = 0;
    uint16_t flags = 0;
    int bodySize = 0;
    bool v2 = false;
};

// One decoded record. Offsets are byte positions in the block.
struct Action {
    uint8_t code = 0;
    // The header itself runs past the end of the block.
    bool truncated = false;
    int pos = 0;  // first byte of the record
    int next = 0; // first byte after the record
    // Numeric operands, by layout: Frame {frame}; FrameSkip {frame, skip};
    // Skip/Flags/Register {value}; Branch {offset}; GotoFrame2 {flags, bias};
    // BlockSize {size}; Try {flags, trySize, catchSize, finallySize, register}.
    int n[5] = {};
    std::vector<QString> text;    // UrlWindow {url, window}; Text; ConstantPool; Try {catch name}
    std::vector<PushItem> items;  // PushItems
    std::shared_ptr<const FunctionShape> function;
    // A payload that could not be read: the message the run stops with
    // (Push first pushes the items read before it).
    QString error;

    int payloadLength() const { return next - pos - 3; }
};

// The decoded records of one block, made on demand at the offsets the
// program counter reaches (a jump may land inside another record, which
// then reads as the bytes there say).
class DecodedBlock {
public:
    DecodedBlock(QByteArray code, bool utf8);

    const QByteArray& code() const { return code_; }
    bool utf8() const { return utf8_; }

    // The record at `pos` (0 <= pos < size). Decoded the first time; past
    // the memory bound of the block, decoded into `scratch` instead of kept.
    const Action& at(int pos, std::unique_ptr<Action>& scratch);

private:
    QByteArray code_;
    bool utf8_;
    std::vector<int32_t> index_; // by byte offset: position in actions_, or -1
    std::deque<Action> actions_; // stable addresses while records run
    int64_t kept_ = 0;           // estimated bytes of actions_
    int64_t bound_;
};

// Decodes the record at `pos` of `code`.
Action decodeAction(const QByteArray& code, int pos, bool utf8);

// Text of an action string: UTF-8 from SWF 6, before that UTF-8 when it is
// valid and GBK otherwise.
QString decodeActionText(const QByteArray& bytes, bool utf8);

} // namespace fotarel::swf::avm1
