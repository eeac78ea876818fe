#pragma once

// The action codes of SWF movies and how each record's payload is laid out:
// one table read by the interpreter's decoder, the template compiler's
// assembler and the tests' assembler. Header only, so tools can use it
// without linking the VM.
//
// A record is one byte of code; codes from 0x80 on are followed by a 16-bit
// little-endian payload length and that many payload bytes.

#include <cstdint>

namespace fotarel::swf::avm1 {

namespace op {
// SWF 3
constexpr uint8_t End = 0x00, NextFrame = 0x04, PrevFrame = 0x05, Play = 0x06, Stop = 0x07;
constexpr uint8_t ToggleQuality = 0x08, StopSounds = 0x09;
constexpr uint8_t GotoFrame = 0x81, GetURL = 0x83, WaitForFrame = 0x8A, SetTarget = 0x8B, GoToLabel = 0x8C;
// SWF 4
constexpr uint8_t Add = 0x0A, Subtract = 0x0B, Multiply = 0x0C, Divide = 0x0D, Equals = 0x0E, Less = 0x0F;
constexpr uint8_t And = 0x10, Or = 0x11, Not = 0x12, StringEquals = 0x13, StringLength = 0x14;
constexpr uint8_t StringExtract = 0x15, Pop = 0x17, ToInteger = 0x18, GetVariable = 0x1C, SetVariable = 0x1D;
constexpr uint8_t SetTarget2 = 0x20, StringAdd = 0x21, GetProperty = 0x22, SetProperty = 0x23;
constexpr uint8_t CloneSprite = 0x24, RemoveSprite = 0x25, Trace = 0x26, StartDrag = 0x27, EndDrag = 0x28;
constexpr uint8_t StringLess = 0x29, RandomNumber = 0x30, MBStringLength = 0x31, CharToAscii = 0x32;
constexpr uint8_t AsciiToChar = 0x33, GetTime = 0x34, MBStringExtract = 0x35, MBCharToAscii = 0x36;
constexpr uint8_t MBAsciiToChar = 0x37;
constexpr uint8_t WaitForFrame2 = 0x8D, Push = 0x96, Jump = 0x99, GetURL2 = 0x9A, If = 0x9D, Call = 0x9E;
constexpr uint8_t GotoFrame2 = 0x9F;
// SWF 5
constexpr uint8_t Delete = 0x3A, Delete2 = 0x3B, DefineLocal = 0x3C, CallFunction = 0x3D, Return = 0x3E;
constexpr uint8_t Modulo = 0x3F, NewObject = 0x40, DefineLocal2 = 0x41, InitArray = 0x42, InitObject = 0x43;
constexpr uint8_t TypeOf = 0x44, TargetPath = 0x45, Enumerate = 0x46, Add2 = 0x47, Less2 = 0x48;
constexpr uint8_t Equals2 = 0x49, ToNumber = 0x4A, ToString = 0x4B, PushDuplicate = 0x4C, StackSwap = 0x4D;
constexpr uint8_t GetMember = 0x4E, SetMember = 0x4F, Increment = 0x50, Decrement = 0x51;
constexpr uint8_t CallMethod = 0x52, NewMethod = 0x53, BitAnd = 0x60, BitOr = 0x61, BitXor = 0x62;
constexpr uint8_t BitLShift = 0x63, BitRShift = 0x64, BitURShift = 0x65;
constexpr uint8_t StoreRegister = 0x87, ConstantPool = 0x88, DefineFunction = 0x9B, With = 0x94;
// SWF 6 and 7
constexpr uint8_t InstanceOf = 0x54, Enumerate2 = 0x55, StrictEquals = 0x66, Greater = 0x67;
constexpr uint8_t StringGreater = 0x68, Extends = 0x69, Throw = 0x2A, CastOp = 0x2B, ImplementsOp = 0x2C;
constexpr uint8_t FSCommand2 = 0x2D, DefineFunction2 = 0x8E, Try = 0x8F;
} // namespace op

// How a record's payload is laid out (u8/u16/s16 little-endian; strings
// zero-terminated).
enum class Layout : uint8_t {
    None,            // no payload
    Frame,           // u16 frame (0-based)
    UrlWindow,       // string url, string window
    FrameSkip,       // u16 frame, u8 actions to skip
    Text,            // string
    Skip,            // u8 actions to skip
    Flags,           // u8 flags
    Register,        // u8 register
    Branch,          // s16 offset from the end of the record
    GotoFrame2,      // u8 flags; u16 scene bias when flags & 2
    ConstantPool,    // u16 count, count strings
    PushItems,       // items to the end: u8 type, then its value
    DefineFunction,  // string name, u16 count, count names, u16 body size
    DefineFunction2, // string name, u16 count, u8 registers, u16 flags, count (u8 register, string name), u16 body size
    BlockSize,       // u16 size of the block that follows (With)
    Try,             // u8 flags, u16 try/catch/finally sizes, catch register (u8) or name (string)
};

struct OpInfo {
    const char* name;
    uint8_t code;
    Layout layout;
};

inline constexpr OpInfo kOpTable[] = {
    {"End", op::End, Layout::None},
    {"NextFrame", op::NextFrame, Layout::None},
    {"PrevFrame", op::PrevFrame, Layout::None},
    {"Play", op::Play, Layout::None},
    {"Stop", op::Stop, Layout::None},
    {"ToggleQuality", op::ToggleQuality, Layout::None},
    {"StopSounds", op::StopSounds, Layout::None},
    {"Add", op::Add, Layout::None},
    {"Subtract", op::Subtract, Layout::None},
    {"Multiply", op::Multiply, Layout::None},
    {"Divide", op::Divide, Layout::None},
    {"Equals", op::Equals, Layout::None},
    {"Less", op::Less, Layout::None},
    {"And", op::And, Layout::None},
    {"Or", op::Or, Layout::None},
    {"Not", op::Not, Layout::None},
    {"StringEquals", op::StringEquals, Layout::None},
    {"StringLength", op::StringLength, Layout::None},
    {"StringExtract", op::StringExtract, Layout::None},
    {"Pop", op::Pop, Layout::None},
    {"ToInteger", op::ToInteger, Layout::None},
    {"GetVariable", op::GetVariable, Layout::None},
    {"SetVariable", op::SetVariable, Layout::None},
    {"SetTarget2", op::SetTarget2, Layout::None},
    {"StringAdd", op::StringAdd, Layout::None},
    {"GetProperty", op::GetProperty, Layout::None},
    {"SetProperty", op::SetProperty, Layout::None},
    {"CloneSprite", op::CloneSprite, Layout::None},
    {"RemoveSprite", op::RemoveSprite, Layout::None},
    {"Trace", op::Trace, Layout::None},
    {"StartDrag", op::StartDrag, Layout::None},
    {"EndDrag", op::EndDrag, Layout::None},
    {"StringLess", op::StringLess, Layout::None},
    {"Throw", op::Throw, Layout::None},
    {"CastOp", op::CastOp, Layout::None},
    {"ImplementsOp", op::ImplementsOp, Layout::None},
    {"FSCommand2", op::FSCommand2, Layout::None},
    {"RandomNumber", op::RandomNumber, Layout::None},
    {"MBStringLength", op::MBStringLength, Layout::None},
    {"CharToAscii", op::CharToAscii, Layout::None},
    {"AsciiToChar", op::AsciiToChar, Layout::None},
    {"GetTime", op::GetTime, Layout::None},
    {"MBStringExtract", op::MBStringExtract, Layout::None},
    {"MBCharToAscii", op::MBCharToAscii, Layout::None},
    {"MBAsciiToChar", op::MBAsciiToChar, Layout::None},
    {"Delete", op::Delete, Layout::None},
    {"Delete2", op::Delete2, Layout::None},
    {"DefineLocal", op::DefineLocal, Layout::None},
    {"CallFunction", op::CallFunction, Layout::None},
    {"Return", op::Return, Layout::None},
    {"Modulo", op::Modulo, Layout::None},
    {"NewObject", op::NewObject, Layout::None},
    {"DefineLocal2", op::DefineLocal2, Layout::None},
    {"InitArray", op::InitArray, Layout::None},
    {"InitObject", op::InitObject, Layout::None},
    {"TypeOf", op::TypeOf, Layout::None},
    {"TargetPath", op::TargetPath, Layout::None},
    {"Enumerate", op::Enumerate, Layout::None},
    {"Add2", op::Add2, Layout::None},
    {"Less2", op::Less2, Layout::None},
    {"Equals2", op::Equals2, Layout::None},
    {"ToNumber", op::ToNumber, Layout::None},
    {"ToString", op::ToString, Layout::None},
    {"PushDuplicate", op::PushDuplicate, Layout::None},
    {"StackSwap", op::StackSwap, Layout::None},
    {"GetMember", op::GetMember, Layout::None},
    {"SetMember", op::SetMember, Layout::None},
    {"Increment", op::Increment, Layout::None},
    {"Decrement", op::Decrement, Layout::None},
    {"CallMethod", op::CallMethod, Layout::None},
    {"NewMethod", op::NewMethod, Layout::None},
    {"InstanceOf", op::InstanceOf, Layout::None},
    {"Enumerate2", op::Enumerate2, Layout::None},
    {"BitAnd", op::BitAnd, Layout::None},
    {"BitOr", op::BitOr, Layout::None},
    {"BitXor", op::BitXor, Layout::None},
    {"BitLShift", op::BitLShift, Layout::None},
    {"BitRShift", op::BitRShift, Layout::None},
    {"BitURShift", op::BitURShift, Layout::None},
    {"StrictEquals", op::StrictEquals, Layout::None},
    {"Greater", op::Greater, Layout::None},
    {"StringGreater", op::StringGreater, Layout::None},
    {"Extends", op::Extends, Layout::None},
    {"GotoFrame", op::GotoFrame, Layout::Frame},
    {"GetURL", op::GetURL, Layout::UrlWindow},
    {"StoreRegister", op::StoreRegister, Layout::Register},
    {"ConstantPool", op::ConstantPool, Layout::ConstantPool},
    {"WaitForFrame", op::WaitForFrame, Layout::FrameSkip},
    {"SetTarget", op::SetTarget, Layout::Text},
    {"GoToLabel", op::GoToLabel, Layout::Text},
    {"WaitForFrame2", op::WaitForFrame2, Layout::Skip},
    {"DefineFunction2", op::DefineFunction2, Layout::DefineFunction2},
    {"Try", op::Try, Layout::Try},
    {"With", op::With, Layout::BlockSize},
    {"Push", op::Push, Layout::PushItems},
    {"Jump", op::Jump, Layout::Branch},
    {"GetURL2", op::GetURL2, Layout::Flags},
    {"DefineFunction", op::DefineFunction, Layout::DefineFunction},
    {"If", op::If, Layout::Branch},
    {"Call", op::Call, Layout::None},
    {"GotoFrame2", op::GotoFrame2, Layout::GotoFrame2},
};

// Whether a record of this code carries a length and payload (a rule of the
// format, also for codes the table does not know).
constexpr bool hasPayload(uint8_t code) { return code >= 0x80; }

// The table's entry for a code; nullptr for a code it does not know.
constexpr const OpInfo* opInfo(uint8_t code)
{
    for (const OpInfo& info : kOpTable)
        if (info.code == code)
            return &info;
    return nullptr;
}

} // namespace fotarel::swf::avm1
