// The action loop: decoding of action records and their execution.

#include "swf/avm1/interpreter.h"

#include <QRegularExpression>
#include <QStringDecoder>

#include <cmath>
#include <cstring>

namespace fotarel::swf::avm1 {

namespace {

constexpr size_t kMaxStack = 1 << 18;

// Little-endian fields of one action record, never read past its end.
class Fields {
public:
    Fields(Interpreter& vm, const QByteArray& code, int pos, int end) : vm_(vm), code_(code), pos_(pos), end_(end) {}

    int pos() const { return pos_; }
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
    int16_t s16() { return int16_t(u16()); }
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
    QString str(int version)
    {
        const int start = pos_;
        while (pos_ < end_ && code_[pos_] != '\0')
            ++pos_;
        if (pos_ >= end_)
            vm_.fail(QStringLiteral("unterminated string in action record at offset %1").arg(start));
        const QByteArray bytes = code_.mid(start, pos_ - start);
        ++pos_;
        return decode(bytes, version);
    }

    static QString decode(const QByteArray& bytes, int version)
    {
        if (version >= 6)
            return QString::fromUtf8(bytes);
        // Older movies carry text in the author's code page; movies made on
        // Chinese systems use GBK, a subset of GB18030.
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString s = utf8.decode(bytes);
        if (!utf8.hasError())
            return s;
        QStringDecoder gb("GB18030");
        if (gb.isValid())
            return gb.decode(bytes);
        return QString::fromLatin1(bytes);
    }

private:
    void need(int n)
    {
        if (pos_ + n > end_)
            vm_.fail(QStringLiteral("malformed action record at offset %1").arg(pos_));
    }

    Interpreter& vm_;
    const QByteArray& code_;
    int pos_;
    int end_;
};

struct FrameGuard {
    Interpreter& vm;
    Frame* savedFrame;
    int savedVersion;
    FrameGuard(Interpreter& v, Frame& f) : vm(v), savedFrame(v.current), savedVersion(v.version_)
    {
        vm.current = &f;
        vm.version_ = f.version;
    }
    ~FrameGuard()
    {
        vm.current = savedFrame;
        vm.version_ = savedVersion;
    }
};

Value pop(Frame& f)
{
    if (f.stack.empty())
        return {};
    Value v = std::move(f.stack.back());
    f.stack.pop_back();
    return v;
}

// Starts a return: runs pending finally blocks first. True when the frame
// returns now.
bool beginReturn(Frame& f, const Value& v)
{
    while (!f.regions.empty()) {
        Region& r = f.regions.back();
        if (r.kind == Region::Kind::With) {
            f.scope.resize(r.scopeSize);
            f.regions.pop_back();
            continue;
        }
        if (r.hasFinally && r.phase != Region::Phase::Finally) {
            r.phase = Region::Phase::Finally;
            r.pending = Region::Pending::Return;
            r.pendingValue = v;
            f.pc = r.finallyStart;
            return false;
        }
        f.regions.pop_back();
    }
    return true;
}

} // namespace

// super(...): the constructor of the parent class, on the same object.
Value Interpreter::callSuperConstructor(Object* sup, std::vector<Value> args)
{
    Object* where = nullptr;
    Slot* ctor = sup->home ? lookup(sup->home, QStringLiteral("__constructor__"), &where) : nullptr;
    if (!ctor || !ctor->value.isObject())
        return {};
    const Value proto = getMember(ctor->value, QStringLiteral("prototype"));
    return call(ctor->value, sup->primitive, std::move(args), proto.isObject() ? proto.o : nullptr);
}

Value Interpreter::execute(Frame& f)
{
    FrameGuard guard(*this, f);
    if (f.end > int(f.code.size()) || f.pc < 0 || f.pc > f.end)
        fail(QStringLiteral("malformed action block"));
    for (;;) {
        try {
            for (;;) {
                // Leave With and Try regions whose range the program counter left.
                bool returning = false;
                Value returnValue;
                while (!f.regions.empty()) {
                    Region& r = f.regions.back();
                    if (r.kind == Region::Kind::With) {
                        if (f.pc >= r.start && f.pc < r.end)
                            break;
                        f.scope.resize(r.scopeSize);
                        f.regions.pop_back();
                        continue;
                    }
                    if (r.phase == Region::Phase::Try) {
                        if (f.pc >= r.start && f.pc < r.catchStart)
                            break;
                        if (f.pc == r.catchStart) {
                            if (r.hasFinally) {
                                r.phase = Region::Phase::Finally;
                                f.pc = r.finallyStart;
                                continue;
                            }
                            f.pc = r.end;
                        }
                        f.regions.pop_back();
                        continue;
                    }
                    if (r.phase == Region::Phase::Catch) {
                        if (f.pc >= r.catchStart && f.pc < r.finallyStart)
                            break;
                        if (f.pc == r.finallyStart && r.hasFinally) {
                            r.phase = Region::Phase::Finally;
                            continue;
                        }
                        f.regions.pop_back();
                        continue;
                    }
                    // Finally
                    if (f.pc >= r.finallyStart && f.pc < r.end)
                        break;
                    const Region done = r;
                    f.regions.pop_back();
                    if (f.pc == done.end) {
                        if (done.pending == Region::Pending::Throw)
                            throw ScriptThrow{done.pendingValue};
                        if (done.pending == Region::Pending::Return && beginReturn(f, done.pendingValue)) {
                            returning = true;
                            returnValue = done.pendingValue;
                            break;
                        }
                    }
                }
                if (returning)
                    return returnValue;
                if (f.pc >= f.end)
                    return {};
                const auto op = uint8_t(f.code[f.pc]);
                if (op == 0)
                    return {};
                int dataStart = f.pc + 1;
                int length = 0;
                if (op >= 0x80) {
                    if (f.pc + 3 > f.end)
                        fail(QStringLiteral("malformed action record at offset %1").arg(f.pc));
                    length = uint8_t(f.code[f.pc + 1]) | (uint8_t(f.code[f.pc + 2]) << 8);
                    dataStart = f.pc + 3;
                    if (dataStart + length > f.end)
                        fail(QStringLiteral("malformed action record at offset %1: length %2 past the end")
                                 .arg(f.pc)
                                 .arg(length));
                }
                if (--actionsLeft < 0)
                    budgetExceeded();
                int next = dataStart + length;
                bool returned = false;
                Value result;
                executeAction(f, op, dataStart, length, next, returned, result);
                if (returned) {
                    if (beginReturn(f, result))
                        return result;
                    continue; // runs the finally block first
                }
                if (f.stack.size() > kMaxStack)
                    fail(QStringLiteral("stack overflow"));
                if (next < 0)
                    fail(QStringLiteral("jump before the start of the action block"));
                f.pc = std::min(next, f.end);
            }
        } catch (ScriptThrow& thrown) {
            // Find a handler in this frame; otherwise the caller's.
            bool handled = false;
            while (!f.regions.empty() && !handled) {
                Region& r = f.regions.back();
                if (r.kind == Region::Kind::With) {
                    f.scope.resize(r.scopeSize);
                    f.regions.pop_back();
                    continue;
                }
                if (r.phase == Region::Phase::Try && r.hasCatch) {
                    r.phase = Region::Phase::Catch;
                    f.pc = r.catchStart;
                    if (r.catchInRegister) {
                        if (size_t(r.catchRegister) < f.registers.size())
                            f.registers[size_t(r.catchRegister)] = thrown.value;
                    } else if (f.isFunction) {
                        f.locals->put(r.catchName, thrown.value, 0, caseSensitive());
                    } else {
                        setVariable(f, r.catchName, thrown.value);
                    }
                    handled = true;
                } else if (r.phase != Region::Phase::Finally && r.hasFinally) {
                    r.phase = Region::Phase::Finally;
                    r.pending = Region::Pending::Throw;
                    r.pendingValue = thrown.value;
                    f.pc = r.finallyStart;
                    handled = true;
                } else {
                    f.regions.pop_back();
                }
            }
            if (!handled)
                throw;
        }
    }
}

void Interpreter::executeAction(Frame& f, uint8_t op, int dataStart, int length, int& next, bool& returned,
                                Value& result)
{
    const int ver = f.version;
    Fields in(*this, f.code, dataStart, dataStart + length);
    auto push = [&](Value v) {
        // Long strings count against the heap bound while the stack holds them.
        if (v.type == Value::Type::String && v.s.size() > 256)
            noteAllocation(int64_t(v.s.size()) * 2);
        f.stack.push_back(std::move(v));
    };
    auto pushBool = [&](bool b) { push(ver < 5 ? Value::number(b ? 1 : 0) : Value::boolean(b)); };
    auto timelineClip = [&]() { return clipOf(Value::object(f.timeline)); };
    auto popArgs = [&](double count) {
        std::vector<Value> args;
        if (std::isnan(count) || count < 0)
            count = 0;
        const size_t n = size_t(std::min(count, double(f.stack.size())));
        args.reserve(n);
        for (size_t i = 0; i < n; ++i)
            args.push_back(pop(f));
        return args;
    };
    // A clip, or the path an object's text names.
    auto targetClip = [&](const Value& target) -> DisplayObjectHost* {
        if (target.isObject() && target.o->kind == Object::Kind::Clip)
            return clipOf(target);
        const QString path = toString(target);
        if (path.isEmpty())
            return timelineClip();
        return resolveClipPath(timelineClip(), path);
    };
    auto setTarget = [&](const Value& target) {
        // No target (undefined, "") goes back to the script's own timeline;
        // a target that names no clip (a missing path, a number, null, a
        // plain object) goes to the root of that timeline's level.
        Object* t = f.baseTimeline;
        if (target.isObject() && target.o->kind == Object::Kind::Clip) {
            // A clip is found again by its path, as the Flash Player does:
            // of two children with one name, the lower one is the target.
            t = target.o;
            if (DisplayObjectHost* c = target.o->clip())
                if (DisplayObjectHost* byPath = resolveClipPath(c, targetPath(c)))
                    t = objectFor(byPath);
        } else if (!target.isUndefined()) {
            const QString path = toString(target);
            if (!path.isEmpty()) {
                DisplayObjectHost* base = clipOf(Value::object(f.baseTimeline));
                DisplayObjectHost* clip = resolveClipPath(base, path);
                if (!clip && base)
                    clip = player.levelRoot(base->level());
                if (!clip)
                    return;
                t = objectFor(clip);
            }
        }
        f.timeline = t;
        if (!f.isFunction && f.scope.size() > 1)
            f.scope[1] = t;
        if (!f.isFunction)
            f.locals = t;
    };
    // The Flash Player converts the operands of Add, Multiply and Less left
    // first, of Subtract, Divide and Equals right first (their valueOf calls
    // show the order).
    auto binaryNumber = [&](auto fn, bool rightFirst = false) {
        const Value b = pop(f);
        const Value a = pop(f);
        double x = 0, y = 0;
        if (rightFirst) {
            y = toNumber(b);
            x = toNumber(a);
        } else {
            x = toNumber(a);
            y = toNumber(b);
        }
        push(Value::number(fn(x, y)));
    };
    auto bitOp = [&](auto fn) {
        const Value b = pop(f);
        const Value a = pop(f);
        const int32_t x = toInt32(toNumber(a));
        const int32_t y = toInt32(toNumber(b));
        push(Value::number(double(fn(x, y))));
    };
    auto defineFunction = [&](bool v2) {
        auto fn = std::make_shared<ScriptFunction>();
        fn->v2 = v2;
        fn->name = in.str(ver);
        const int numParams = in.u16();
        if (v2) {
            fn->registerCount = in.u8();
            fn->flags = in.u16();
        }
        for (int i = 0; i < numParams; ++i) {
            Param p;
            if (v2)
                p.reg = in.u8();
            p.name = in.str(ver);
            fn->params.push_back(p);
        }
        const int codeSize = in.u16();
        if (next + codeSize > f.end)
            fail(QStringLiteral("function body past the end of the action block"));
        fn->code = f.code;
        fn->start = next;
        fn->end = next + codeSize;
        // Functions are a SWF 5 feature: found in an older movie, they still
        // run by SWF 5 rules (booleans, Infinity).
        fn->swfVersion = std::max(ver, 5);
        fn->scope = f.scope;
        fn->constants = f.constants;
        fn->timeline = f.timeline;
        next += codeSize;
        Object* fo = newScriptFunction(fn);
        if (fn->name.isEmpty())
            push(Value::object(fo));
        else if (f.isFunction)
            f.locals->put(fn->name, Value::object(fo), 0, caseSensitive());
        else
            setMember(Value::object(f.locals), fn->name, Value::object(fo));
    };
    auto getUrl = [&](const QString& url, const QString& window, bool loadTarget) {
        getUrlOrLoad(timelineClip(), url, window, loadTarget);
    };

    switch (op) {
    // --- SWF 3 -------------------------------------------------------------
    case 0x04: // NextFrame
        if (DisplayObjectHost* c = timelineClip())
            c->gotoFrame(c->currentFrame() + 1, false);
        break;
    case 0x05: // PreviousFrame
        if (DisplayObjectHost* c = timelineClip())
            c->gotoFrame(std::max(1, c->currentFrame() - 1), false);
        break;
    case 0x06: // Play
        if (DisplayObjectHost* c = timelineClip())
            c->play();
        break;
    case 0x07: // Stop
        if (DisplayObjectHost* c = timelineClip())
            c->stop();
        break;
    case 0x08: // ToggleQuality
    case 0x09: // StopSounds
        break;
    case 0x81: { // GotoFrame
        // Unlike gotoAndStop, the SWF 3 action ignores a frame past the end.
        const int frame = in.u16() + 1;
        if (DisplayObjectHost* c = timelineClip(); c && frame <= c->totalFrames())
            c->gotoFrame(frame, false);
        break;
    }
    case 0x83: { // GetURL
        const QString url = in.str(ver);
        const QString window = in.str(ver);
        getUrl(url, window, false);
        break;
    }
    case 0x8A: { // WaitForFrame
        const int frame = in.u16();
        const int skip = in.u8();
        DisplayObjectHost* c = timelineClip();
        if (c && c->framesLoaded() < frame + 1) {
            for (int i = 0; i < skip && next < f.end; ++i) {
                const auto code = uint8_t(f.code[next]);
                next += code >= 0x80 && next + 2 < f.end
                    ? 3 + (uint8_t(f.code[next + 1]) | (uint8_t(f.code[next + 2]) << 8))
                    : 1;
            }
        }
        break;
    }
    case 0x8B: // SetTarget
        setTarget(Value::string(in.str(ver)));
        break;
    case 0x8C: { // GoToLabel
        const QString label = in.str(ver);
        if (DisplayObjectHost* c = timelineClip()) {
            const int frame = c->frameOfLabel(label);
            if (frame > 0)
                c->gotoFrame(frame, false);
        }
        break;
    }

    // --- SWF 4 -------------------------------------------------------------
    case 0x96: // Push
        while (!in.atEnd()) {
            const uint8_t type = in.u8();
            switch (type) {
            case 0: push(Value::string(in.str(ver))); break;
            case 1: push(Value::number(double(in.f32()))); break;
            case 2: push(Value::null()); break;
            case 3: push(Value()); break;
            case 4: {
                const uint8_t r = in.u8();
                push(r < f.registers.size() ? f.registers[r] : Value());
                break;
            }
            case 5: push(Value::boolean(in.u8() != 0)); break;
            case 6: push(Value::number(in.f64())); break;
            case 7: push(Value::number(double(int32_t(in.u32())))); break;
            case 8:
            case 9: {
                const int index = type == 8 ? in.u8() : in.u16();
                if (f.constants && size_t(index) < f.constants->size())
                    push(Value::string((*f.constants)[size_t(index)]));
                else
                    push(Value());
                break;
            }
            default:
                fail(QStringLiteral("unknown push type %1").arg(type));
            }
            if (f.stack.size() > kMaxStack)
                fail(QStringLiteral("stack overflow"));
        }
        break;
    case 0x17: pop(f); break; // Pop
    case 0x0A: binaryNumber([](double a, double b) { return a + b; }); break;
    case 0x0B: binaryNumber([](double a, double b) { return a - b; }, true); break;
    case 0x0C: binaryNumber([](double a, double b) { return a * b; }); break;
    case 0x0D: { // Divide
        const Value b = pop(f);
        const Value a = pop(f);
        const double d = toNumber(b);
        if (d == 0 && ver < 5)
            push(Value::string(QStringLiteral("#ERROR#")));
        else
            push(Value::number(toNumber(a) / d));
        break;
    }
    case 0x0E: { // Equals
        const Value b = pop(f);
        const Value a = pop(f);
        const double y = toNumber(b);
        pushBool(toNumber(a) == y);
        break;
    }
    case 0x0F: { // Less
        const Value b = pop(f);
        const Value a = pop(f);
        const double x = toNumber(a);
        pushBool(x < toNumber(b));
        break;
    }
    case 0x10: { // And
        const Value b = pop(f);
        const Value a = pop(f);
        pushBool(toBoolean(a) && toBoolean(b));
        break;
    }
    case 0x11: { // Or
        const Value b = pop(f);
        const Value a = pop(f);
        pushBool(toBoolean(a) || toBoolean(b));
        break;
    }
    case 0x12: pushBool(!toBoolean(pop(f))); break; // Not
    case 0x13: { // StringEquals
        const Value b = pop(f);
        const Value a = pop(f);
        pushBool(toString(a) == toString(b));
        break;
    }
    case 0x14: // StringLength
    case 0x31: // MBStringLength
        push(Value::number(double(toString(pop(f)).size())));
        break;
    case 0x15: // StringExtract
    case 0x35: { // MBStringExtract
        const double count = toInteger(pop(f));
        const double index = toInteger(pop(f));
        const QString s = toString(pop(f));
        const qsizetype from = qsizetype(std::clamp(index - 1, 0.0, double(s.size())));
        const qsizetype n = count < 0 ? s.size() - from : qsizetype(std::min(count, double(s.size())));
        push(Value::string(s.mid(from, n)));
        break;
    }
    case 0x18: push(Value::number(toInteger(pop(f)))); break; // ToInteger
    case 0x1C: { // GetVariable
        const QString name = toString(pop(f));
        Value v = getVariable(f, name);
        if (v.isUndefined())
            noteMissingBuiltin(name);
        push(std::move(v));
        break;
    }
    case 0x1D: { // SetVariable
        Value v = pop(f);
        const QString name = toString(pop(f));
        setVariable(f, name, v);
        break;
    }
    case 0x20: setTarget(pop(f)); break; // SetTarget2
    case 0x21: { // StringAdd
        const Value b = pop(f);
        const Value a = pop(f);
        QString s = toString(a) + toString(b);
        checkString(s);
        push(Value::string(std::move(s)));
        break;
    }
    case 0x22: { // GetProperty
        // The index is truncated toward zero (-0.8 is _x).
        const double index = std::trunc(toNumber(pop(f)));
        DisplayObjectHost* clip = targetClip(pop(f));
        if (!clip || std::isnan(index) || index < 0 || index >= kPropertyCount)
            push(Value());
        else
            push(clipProperty(clip, int(index)));
        break;
    }
    case 0x23: { // SetProperty
        const Value v = pop(f);
        const double index = std::trunc(toNumber(pop(f)));
        DisplayObjectHost* clip = targetClip(pop(f));
        if (clip && !std::isnan(index) && index >= 0 && index < kPropertyCount)
            setClipProperty(clip, int(index), v);
        break;
    }
    case 0x24: { // CloneSprite
        const double depth = toNumber(pop(f));
        const QString name = toString(pop(f));
        DisplayObjectHost* source = targetClip(pop(f));
        if (source && !std::isnan(depth))
            source->duplicate(name, int(std::clamp(depth, -16384.0, 2130690045.0)) - 16384);
        break;
    }
    case 0x25: // RemoveSprite
        if (DisplayObjectHost* clip = targetClip(pop(f)); clip && clip != timelineClip())
            clip->removeFromParent();
        break;
    case 0x26: { // Trace
        const Value v = pop(f);
        player.trace(v.isUndefined() ? QStringLiteral("undefined") : toString(v));
        break;
    }
    case 0x27: { // StartDrag: no pointer in this player; pop the operands
        pop(f);
        pop(f);
        if (toBoolean(pop(f))) {
            for (int i = 0; i < 4; ++i)
                pop(f);
        }
        break;
    }
    case 0x28: break; // EndDrag
    case 0x29: { // StringLess
        const Value b = pop(f);
        const Value a = pop(f);
        pushBool(toString(a) < toString(b));
        break;
    }
    case 0x30: { // RandomNumber
        const double max = toInteger(pop(f));
        push(Value::number(max <= 0 ? 0 : std::floor(random() * max)));
        break;
    }
    case 0x32: // CharToAscii
    case 0x36: { // MBCharToAscii
        const QString s = toString(pop(f));
        push(s.isEmpty() ? Value::number(0) : Value::number(s.at(0).unicode()));
        break;
    }
    case 0x33: // AsciiToChar
    case 0x37: { // MBAsciiToChar
        const double code = toNumber(pop(f));
        const auto c = char16_t(toUint32(code) & 0xFFFF);
        push(Value::string(c ? QString(QChar(c)) : QString()));
        break;
    }
    case 0x34: // GetTime
        push(Value::number(double(player.movieTimeMs())));
        break;
    case 0x99: // Jump
        next += in.s16();
        break;
    case 0x9D: { // If
        const int offset = in.s16();
        if (toBoolean(pop(f)))
            next += offset;
        break;
    }
    case 0x9E: // Call
        callFrame(timelineClip(), pop(f));
        break;
    case 0x9A: { // GetURL2
        const uint8_t flags = in.u8();
        const QString window = toString(pop(f));
        const QString url = toString(pop(f));
        if (flags & 0x80) {
            // loadVariables(url, target) / loadVariablesNum(url, level)
            DisplayObjectHost* base = timelineClip();
            int level = 0;
            DisplayObjectHost* target = (flags & 0x40) ? resolveClipPath(base, window)
                                        : levelNumber(window, level) ? player.levelRoot(level) : nullptr;
            if (target && !url.isEmpty())
                requestText(nullptr, target, url);
            break;
        }
        getUrl(url, window, (flags & 0x40) != 0);
        break;
    }
    case 0x9F: { // GotoFrame2
        const uint8_t flags = in.u8();
        const int bias = (flags & 0x02) ? in.u16() : 0;
        const Value frame = pop(f);
        gotoFrameValue(timelineClip(), frame, (flags & 0x01) != 0, bias);
        break;
    }
    case 0x8D: { // WaitForFrame2
        const int skip = in.u8();
        const Value frame = pop(f);
        DisplayObjectHost* c = timelineClip();
        const double n = toNumber(frame);
        if (c && !std::isnan(n) && c->framesLoaded() < clampToInt(n)) {
            for (int i = 0; i < skip && next < f.end; ++i) {
                const auto code = uint8_t(f.code[next]);
                next += code >= 0x80 && next + 2 < f.end
                    ? 3 + (uint8_t(f.code[next + 1]) | (uint8_t(f.code[next + 2]) << 8))
                    : 1;
            }
        }
        break;
    }

    // --- SWF 5 -------------------------------------------------------------
    case 0x88: { // ConstantPool
        const int count = in.u16();
        auto pool = std::make_shared<std::vector<QString>>();
        pool->reserve(size_t(std::min(count, length + 1)));
        for (int i = 0; i < count; ++i)
            pool->push_back(in.str(ver));
        f.constants = std::move(pool);
        break;
    }
    case 0x87: { // StoreRegister
        const uint8_t r = in.u8();
        if (r < f.registers.size())
            f.registers[r] = f.stack.empty() ? Value() : f.stack.back();
        break;
    }
    case 0x9B: defineFunction(false); break; // DefineFunction
    case 0x8E: defineFunction(true); break;  // DefineFunction2
    case 0x94: { // With
        const int size = in.u16();
        const Value obj = pop(f);
        if (next + size > f.end)
            fail(QStringLiteral("with block past the end of the action block"));
        Region r;
        r.kind = Region::Kind::With;
        r.start = next;
        r.end = next + size;
        r.scopeSize = f.scope.size();
        f.regions.push_back(r);
        if (obj.isObject())
            f.scope.push_back(obj.o);
        break;
    }
    case 0x8F: { // Try
        const uint8_t flags = in.u8();
        const int trySize = in.u16();
        const int catchSize = in.u16();
        const int finallySize = in.u16();
        Region r;
        r.kind = Region::Kind::Try;
        r.catchInRegister = flags & 0x04;
        r.hasFinally = flags & 0x02;
        r.hasCatch = flags & 0x01;
        if (r.catchInRegister)
            r.catchRegister = in.u8();
        else
            r.catchName = in.str(ver);
        r.start = next;
        r.catchStart = next + trySize;
        r.finallyStart = r.catchStart + catchSize;
        r.end = r.finallyStart + finallySize;
        if (r.end > f.end)
            fail(QStringLiteral("try block past the end of the action block"));
        f.regions.push_back(r);
        break;
    }
    case 0x2A: // Throw
        throw ScriptThrow{pop(f)};
    case 0x3A: { // Delete
        const QString name = toString(pop(f));
        const Value obj = pop(f);
        push(Value::boolean(deleteMember(obj, name)));
        break;
    }
    case 0x3B: { // Delete2
        const QString name = toString(pop(f));
        // A path ("o.a", "o:a") deletes the member of the object it names.
        if (const qsizetype cut = std::max(name.lastIndexOf(QLatin1Char('.')), name.lastIndexOf(QLatin1Char(':')));
            cut > 0) {
            const QString path = name.left(cut);
            Value target;
            if (path.contains(QLatin1Char('/'))) {
                target = getVariable(f, path);
            } else {
                const QStringList parts = path.split(QRegularExpression(QStringLiteral("[.:]")));
                target = getVariable(f, parts.front());
                for (qsizetype i = 1; i < parts.size(); ++i)
                    target = getMember(target, parts[i]);
            }
            if (!target.isObject() && !target.isNullish())
                player.trace(QStringLiteral(
                    "Parameters of primitive types are no longer coerced into the required type - Object."));
            push(Value::boolean(target.isObject() && deleteMember(target, name.mid(cut + 1))));
            break;
        }
        bool done = false;
        for (size_t i = f.scope.size(); i-- > 0 && !done;) {
            if (f.scope[i]->find(name, caseSensitive()) >= 0)
                done = f.scope[i]->remove(name, caseSensitive());
        }
        push(Value::boolean(done));
        break;
    }
    case 0x3C: { // DefineLocal
        Value v = pop(f);
        const QString name = toString(pop(f));
        if (f.isFunction)
            f.locals->put(name, std::move(v), 0, caseSensitive());
        else
            setMember(Value::object(f.locals), name, v);
        break;
    }
    case 0x41: { // DefineLocal2
        const QString name = toString(pop(f));
        if (f.locals->find(name, caseSensitive()) < 0) {
            if (f.isFunction)
                f.locals->put(name, Value(), 0, caseSensitive());
            else
                setMember(Value::object(f.locals), name, Value());
        }
        break;
    }
    case 0x3D: { // CallFunction
        const Value nameValue = pop(f);
        std::vector<Value> args = popArgs(toNumber(pop(f)));
        Object* holder = nullptr;
        Value fn = nameValue.isObject() ? nameValue : getVariable(f, toString(nameValue), &holder);
        if (fn.isObject() && fn.o->kind == Object::Kind::Super) { // super(...) compiled as a call of "super"
            push(callSuperConstructor(fn.o, std::move(args)));
            break;
        }
        // A function found on a With object is called on it:
        // with (clip) { gotoAndStop(2); } moves that clip.
        Value self = Value::object(f.timeline);
        for (const Region& r : f.regions)
            if (holder && r.kind == Region::Kind::With && r.scopeSize < f.scope.size() && f.scope[r.scopeSize] == holder)
                self = Value::object(holder);
        push(call(fn, self, std::move(args)));
        break;
    }
    case 0x52: { // CallMethod
        const Value nameValue = pop(f);
        const Value obj = pop(f);
        std::vector<Value> args = popArgs(toNumber(pop(f)));
        const QString name = nameValue.isUndefined() ? QString() : toString(nameValue);
        if (name.isEmpty()) {
            if (obj.isObject() && obj.o->kind == Object::Kind::Super) {
                push(callSuperConstructor(obj.o, std::move(args)));
            } else {
                push(call(obj, Value(), std::move(args)));
            }
            break;
        }
        if (obj.isObject() && obj.o->kind == Object::Kind::Super) {
            Object* where = nullptr;
            Value fn;
            getProperty(obj.o, obj, name, fn, &where);
            push(call(fn, obj.o->primitive, std::move(args), where));
            break;
        }
        push(callMethod(obj, name, std::move(args)));
        break;
    }
    case 0x40: { // NewObject
        const QString name = toString(pop(f));
        std::vector<Value> args = popArgs(toNumber(pop(f)));
        push(construct(getVariable(f, name), std::move(args)));
        break;
    }
    case 0x53: { // NewMethod
        const Value nameValue = pop(f);
        const Value obj = pop(f);
        std::vector<Value> args = popArgs(toNumber(pop(f)));
        const QString name = nameValue.isUndefined() ? QString() : toString(nameValue);
        push(construct(name.isEmpty() ? obj : getMember(obj, name), std::move(args)));
        break;
    }
    case 0x3E: // Return
        result = pop(f);
        returned = true;
        break;
    case 0x3F: binaryNumber([](double a, double b) { return std::fmod(a, b); }); break; // Modulo
    case 0x42: { // InitArray
        // A count past the stack makes undefined and takes nothing.
        const double count = toNumber(pop(f));
        if (count > double(f.stack.size())) {
            push(Value());
            break;
        }
        std::vector<Value> elements = popArgs(count);
        push(Value::object(newArray(std::move(elements))));
        break;
    }
    case 0x43: { // InitObject
        const double count = toNumber(pop(f));
        Object* o = newObject();
        const size_t n = std::isnan(count) || count < 0 ? 0 : size_t(std::min(count, double(f.stack.size() / 2)));
        // Pairs come off the stack last first and are defined in that order,
        // so for..in (newest first) lists them in source order.
        for (size_t i = 0; i < n; ++i) {
            Value v = pop(f);
            setMember(Value::object(o), toString(pop(f)), v);
        }
        push(Value::object(o));
        break;
    }
    case 0x44: push(Value::string(typeOf(pop(f)))); break; // TypeOf
    case 0x45: { // TargetPath
        const Value v = pop(f);
        DisplayObjectHost* c = v.isObject() ? clipOf(v) : nullptr;
        push(c ? Value::string(targetPath(c)) : Value());
        break;
    }
    case 0x46: // Enumerate
    case 0x55: { // Enumerate2
        Value obj = pop(f);
        if (op == 0x46)
            obj = getVariable(f, toString(obj));
        const QStringList names = enumerate(obj);
        push(Value()); // the end marker is undefined (loops test it with Equals2 against null)
        for (const QString& n : names)
            push(Value::string(n));
        if (f.stack.size() > kMaxStack)
            fail(QStringLiteral("stack overflow"));
        break;
    }
    case 0x47: { // Add2
        // Each side is its valueOf answer, or its text when that answer is
        // an object.
        auto operand = [this](const Value& v) {
            Value p = toPrimitive(v);
            return p.isObject() ? Value::string(toString(v)) : p;
        };
        const Value b = operand(pop(f));
        const Value a = operand(pop(f));
        if (a.isString() || b.isString()) {
            QString s = toString(a) + toString(b);
            checkString(s);
            push(Value::string(std::move(s)));
        } else {
            push(Value::number(toNumber(a) + toNumber(b)));
        }
        break;
    }
    case 0x48: { // Less2
        const Value b = pop(f);
        const Value a = pop(f);
        push(lessThan(a, b));
        break;
    }
    case 0x67: { // Greater
        const Value b = pop(f);
        const Value a = pop(f);
        push(lessThan(b, a, true));
        break;
    }
    case 0x49: { // Equals2
        const Value b = pop(f);
        const Value a = pop(f);
        push(Value::boolean(looseEquals(a, b)));
        break;
    }
    case 0x66: { // StrictEquals
        const Value b = pop(f);
        const Value a = pop(f);
        // The StrictEquals action finds NaN equal to NaN (Equals2 does not).
        push(Value::boolean(strictEquals(a, b) || (a.isNumber() && b.isNumber() && std::isnan(a.n) && std::isnan(b.n))));
        break;
    }
    case 0x4A: push(Value::number(toNumber(pop(f)))); break; // ToNumber
    case 0x4B: push(Value::string(toString(pop(f)))); break; // ToString
    case 0x4C: push(f.stack.empty() ? Value() : f.stack.back()); break; // PushDuplicate
    case 0x4D: { // StackSwap
        Value a = pop(f);
        Value b = pop(f);
        push(std::move(a));
        push(std::move(b));
        break;
    }
    case 0x4E: { // GetMember
        const QString name = toString(pop(f));
        const Value obj = pop(f);
        push(getMember(obj, name));
        break;
    }
    case 0x4F: { // SetMember
        Value v = pop(f);
        const QString name = toString(pop(f));
        const Value obj = pop(f);
        setMember(obj, name, v);
        break;
    }
    case 0x50: push(Value::number(toNumber(pop(f)) + 1)); break; // Increment
    case 0x51: push(Value::number(toNumber(pop(f)) - 1)); break; // Decrement
    case 0x60: bitOp([](int32_t a, int32_t b) { return a & b; }); break;
    case 0x61: bitOp([](int32_t a, int32_t b) { return a | b; }); break;
    case 0x62: bitOp([](int32_t a, int32_t b) { return a ^ b; }); break;
    case 0x63: bitOp([](int32_t a, int32_t b) { return int32_t(uint32_t(a) << (uint32_t(b) & 31)); }); break;
    case 0x64: bitOp([](int32_t a, int32_t b) { return a >> (uint32_t(b) & 31); }); break;
    case 0x65: { // BitURShift
        const Value b = pop(f);
        const Value a = pop(f);
        // The unsigned result is kept as a 32-bit integer: only a shift by 0
        // (modulo 32) can set the top bit, and then it reads as negative.
        push(Value::number(double(int32_t(toUint32(toNumber(a)) >> (toUint32(toNumber(b)) & 31)))));
        break;
    }
    case 0x68: { // StringGreater
        const Value b = pop(f);
        const Value a = pop(f);
        pushBool(toString(a) > toString(b));
        break;
    }

    // --- SWF 6/7 -----------------------------------------------------------
    case 0x54: { // InstanceOf
        const Value ctor = pop(f);
        const Value obj = pop(f);
        push(Value::boolean(ctor.isObject() && instanceOf(obj, ctor.o)));
        break;
    }
    case 0x2B: { // CastOp
        const Value obj = pop(f);
        const Value ctor = pop(f);
        push(ctor.isObject() && instanceOf(obj, ctor.o) ? obj : Value::null());
        break;
    }
    case 0x2C: { // ImplementsOp
        const Value ctor = pop(f);
        std::vector<Value> interfaces = popArgs(toNumber(pop(f)));
        const Value proto = getMember(ctor, QStringLiteral("prototype"));
        if (proto.isObject())
            proto.o->put(QStringLiteral("__implements__"), Value::object(newArray(std::move(interfaces))), DontEnum);
        break;
    }
    case 0x69: { // Extends
        const Value superclass = pop(f);
        const Value subclass = pop(f);
        if (!superclass.isObject() || !subclass.isObject())
            break;
        const Value superProto = getMember(superclass, QStringLiteral("prototype"));
        Object* proto = alloc(Object::Kind::Plain, superProto.isObject() ? superProto.o : objectProto);
        proto->put(QStringLiteral("__constructor__"), superclass, DontEnum);
        if (ver < 7)
            proto->put(QStringLiteral("constructor"), superclass, DontEnum);
        subclass.o->put(QStringLiteral("prototype"), Value::object(proto), DontEnum | DontDelete);
        break;
    }
    case 0x2D: { // FSCommand2 (Flash Lite): the operands are taken, nothing else happens
        std::vector<Value> args = popArgs(toNumber(pop(f)));
        (void)args;
        break;
    }
    default:
        // Unknown actions are skipped, as Flash Player does; said once.
        noteMissing(QStringLiteral("action 0x%1").arg(op, 2, 16, QLatin1Char('0')));
        break;
    }
}

} // namespace fotarel::swf::avm1
