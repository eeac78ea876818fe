// Decoding of action records into values (see decoded.h).

#include "swf/avm1/decoded.h"

#include <QStringDecoder>

#include <algorithm>
#include <cstring>

namespace fotarel::swf::avm1 {

namespace {

struct BadField {
    QString message;
};

// Little-endian fields of one record's payload, never read past its end.
class Reader {
public:
    Reader(const QByteArray& code, int pos, int end, bool utf8) : code_(code), pos_(pos), end_(end), utf8_(utf8) {}

    bool atEnd() const { return pos_ >= end_; }

    uint8_t u8()
    {
        need(1);
        return uint8_t(code_[pos_++]);
    }
    uint16_t u16()
    {
        need(2);
        const auto v = uint16_t(uint8_t(code_[pos_]) | (uint8_t(code_[pos_ + 1]) << 8));
        pos_ += 2;
        return v;
    }
    uint32_t u32()
    {
        need(4);
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = (v << 8) | uint8_t(code_[pos_ + i]);
        pos_ += 4;
        return v;
    }
    float f32()
    {
        const uint32_t bits = u32();
        float f;
        std::memcpy(&f, &bits, 4);
        return f;
    }
    // Push doubles are two little-endian 32-bit halves, the high half first.
    double f64()
    {
        const uint64_t hi = u32();
        const uint64_t lo = u32();
        const uint64_t bits = (hi << 32) | lo;
        double d;
        std::memcpy(&d, &bits, 8);
        return d;
    }
    QString str()
    {
        const int start = pos_;
        while (pos_ < end_ && code_[pos_] != '\0')
            ++pos_;
        if (pos_ >= end_)
            throw BadField{QStringLiteral("unterminated string in action record at offset %1").arg(start)};
        const QByteArray bytes = code_.mid(start, pos_ - start);
        ++pos_;
        return decodeActionText(bytes, utf8_);
    }

private:
    void need(int n)
    {
        if (pos_ + n > end_)
            throw BadField{QStringLiteral("malformed action record at offset %1").arg(pos_)};
    }

    const QByteArray& code_;
    int pos_;
    int end_;
    bool utf8_;
};

void readPayload(Action& a, Layout layout, Reader& in)
{
    switch (layout) {
    case Layout::None:
        break;
    case Layout::Frame:
        a.n[0] = in.u16();
        break;
    case Layout::UrlWindow:
        a.text.push_back(in.str());
        a.text.push_back(in.str());
        break;
    case Layout::FrameSkip:
        a.n[0] = in.u16();
        a.n[1] = in.u8();
        break;
    case Layout::Text:
        a.text.push_back(in.str());
        break;
    case Layout::Skip:
    case Layout::Flags:
    case Layout::Register:
        a.n[0] = in.u8();
        break;
    case Layout::Branch:
        a.n[0] = int16_t(in.u16());
        break;
    case Layout::GotoFrame2:
        a.n[0] = in.u8();
        a.n[1] = (a.n[0] & 0x02) ? in.u16() : 0;
        break;
    case Layout::ConstantPool: {
        const int count = in.u16();
        a.text.reserve(size_t(std::min(count, a.payloadLength() + 1)));
        for (int i = 0; i < count; ++i)
            a.text.push_back(in.str());
        break;
    }
    case Layout::PushItems:
        while (!in.atEnd()) {
            PushItem item;
            const uint8_t type = in.u8();
            switch (type) {
            case 0: item.kind = PushItem::Kind::String; item.text = in.str(); break;
            case 1: item.kind = PushItem::Kind::Number; item.number = double(in.f32()); break;
            case 2: item.kind = PushItem::Kind::Null; break;
            case 3: item.kind = PushItem::Kind::Undefined; break;
            case 4: item.kind = PushItem::Kind::Register; item.index = in.u8(); break;
            case 5: item.kind = PushItem::Kind::Boolean; item.flag = in.u8() != 0; break;
            case 6: item.kind = PushItem::Kind::Number; item.number = in.f64(); break;
            case 7: item.kind = PushItem::Kind::Number; item.number = double(int32_t(in.u32())); break;
            case 8: item.kind = PushItem::Kind::Constant; item.index = in.u8(); break;
            case 9: item.kind = PushItem::Kind::Constant; item.index = in.u16(); break;
            default: throw BadField{QStringLiteral("unknown push type %1").arg(type)};
            }
            a.items.push_back(std::move(item));
        }
        break;
    case Layout::DefineFunction:
    case Layout::DefineFunction2: {
        auto fn = std::make_shared<FunctionShape>();
        fn->v2 = layout == Layout::DefineFunction2;
        fn->name = in.str();
        const int numParams = in.u16();
        if (fn->v2) {
            fn->registerCount = in.u8();
            fn->flags = in.u16();
        }
        for (int i = 0; i < numParams; ++i) {
            FunctionShape::Param p;
            if (fn->v2)
                p.reg = in.u8();
            p.name = in.str();
            fn->params.push_back(std::move(p));
        }
        fn->bodySize = in.u16();
        a.function = std::move(fn);
        break;
    }
    case Layout::BlockSize:
        a.n[0] = in.u16();
        break;
    case Layout::Try:
        a.n[0] = in.u8();
        a.n[1] = in.u16();
        a.n[2] = in.u16();
        a.n[3] = in.u16();
        if (a.n[0] & 0x04)
            a.n[4] = in.u8();
        else
            a.text.push_back(in.str());
        break;
    }
}

int64_t estimateBytes(const Action& a)
{
    int64_t bytes = int64_t(sizeof(Action)) + 8;
    for (const QString& s : a.text)
        bytes += 32 + int64_t(s.size()) * 2;
    for (const PushItem& i : a.items)
        bytes += int64_t(sizeof(PushItem)) + int64_t(i.text.size()) * 2;
    if (a.function) {
        bytes += int64_t(sizeof(FunctionShape)) + a.function->name.size() * 2;
        for (const auto& p : a.function->params)
            bytes += int64_t(sizeof(p)) + p.name.size() * 2;
    }
    return bytes;
}

} // namespace

QString decodeActionText(const QByteArray& bytes, bool utf8)
{
    if (utf8)
        return QString::fromUtf8(bytes);
    // Older movies carry text in the author's code page; movies made on
    // Chinese systems use GBK, a subset of GB18030.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString s = decoder.decode(bytes);
    if (!decoder.hasError())
        return s;
    QStringDecoder gb("GB18030");
    if (gb.isValid())
        return gb.decode(bytes);
    return QString::fromLatin1(bytes);
}

Action decodeAction(const QByteArray& code, int pos, bool utf8)
{
    Action a;
    a.pos = pos;
    a.code = uint8_t(code[pos]);
    a.next = pos + 1;
    if (!hasPayload(a.code))
        return a;
    const int size = int(code.size());
    if (pos + 3 > size) {
        a.truncated = true;
        return a;
    }
    const int length = uint8_t(code[pos + 1]) | (uint8_t(code[pos + 2]) << 8);
    a.next = pos + 3 + length;
    if (a.next > size)
        return a; // the run stops at its header
    const OpInfo* info = opInfo(a.code);
    Reader in(code, pos + 3, a.next, utf8);
    try {
        readPayload(a, info ? info->layout : Layout::None, in);
    } catch (const BadField& bad) {
        a.error = bad.message;
    }
    return a;
}

DecodedBlock::DecodedBlock(QByteArray code, bool utf8)
    : code_(std::move(code)),
      utf8_(utf8),
      index_(size_t(code_.size()), -1),
      // Records decoded at every offset of a hostile block could hold far
      // more than its bytes: past this, records are decoded for each run.
      bound_(int64_t(code_.size()) * 64 + (1 << 20))
{
}

const Action& DecodedBlock::at(int pos, std::unique_ptr<Action>& scratch)
{
    const int32_t known = index_[size_t(pos)];
    if (known >= 0)
        return actions_[size_t(known)];
    Action a = decodeAction(code_, pos, utf8_);
    const int64_t bytes = estimateBytes(a);
    if (kept_ + bytes > bound_) {
        scratch = std::make_unique<Action>(std::move(a));
        return *scratch;
    }
    kept_ += bytes;
    index_[size_t(pos)] = int32_t(actions_.size());
    actions_.push_back(std::move(a));
    return actions_.back();
}

} // namespace fotarel::swf::avm1
