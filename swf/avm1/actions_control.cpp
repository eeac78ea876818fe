// Control flow: jumps, return, with and try blocks, throw, frame waits and
// the constant pool.

#include "swf/avm1/handlers.h"

#include <cmath>

namespace fotarel::swf::avm1 {

namespace {

void jump(Interpreter&, Frame&, const Action& a, Step& s) { s.next += a.n[0]; }

void jumpIf(Interpreter& vm, Frame& f, const Action& a, Step& s)
{
    if (vm.toBoolean(pop(f)))
        s.next += a.n[0];
}

void returnValue(Interpreter&, Frame& f, const Action&, Step& s)
{
    s.result = pop(f);
    s.returned = true;
}

void with(Interpreter& vm, Frame& f, const Action& a, Step& s)
{
    const int size = a.n[0];
    const Value obj = pop(f);
    if (s.next + size > f.end)
        vm.fail(QStringLiteral("with block past the end of the action block"));
    Region r;
    r.kind = Region::Kind::With;
    r.start = s.next;
    r.end = s.next + size;
    r.scopeSize = f.scope.size();
    f.regions.push_back(r);
    if (obj.isObject())
        f.scope.push_back(obj.o);
}

void tryBlock(Interpreter& vm, Frame& f, const Action& a, Step& s)
{
    const int flags = a.n[0];
    Region r;
    r.kind = Region::Kind::Try;
    r.catchInRegister = flags & 0x04;
    r.hasFinally = flags & 0x02;
    r.hasCatch = flags & 0x01;
    if (r.catchInRegister)
        r.catchRegister = a.n[4];
    else
        r.catchName = a.text[0];
    r.start = s.next;
    r.catchStart = s.next + a.n[1];
    r.finallyStart = r.catchStart + a.n[2];
    r.end = r.finallyStart + a.n[3];
    if (r.end > f.end)
        vm.fail(QStringLiteral("try block past the end of the action block"));
    f.regions.push_back(r);
}

void throwValue(Interpreter&, Frame& f, const Action&, Step&) { throw ScriptThrow{pop(f)}; }

void constantPool(Interpreter&, Frame& f, const Action& a, Step&)
{
    f.constants = std::make_shared<std::vector<QString>>(a.text);
}

// Skips `count` records after the wait (records as their headers say).
void skipActions(Frame& f, int count, Step& s)
{
    for (int i = 0; i < count && s.next < f.end; ++i) {
        const auto code = uint8_t(f.code[s.next]);
        s.next += code >= 0x80 && s.next + 2 < f.end
            ? 3 + (uint8_t(f.code[s.next + 1]) | (uint8_t(f.code[s.next + 2]) << 8))
            : 1;
    }
}

void waitForFrame(Interpreter& vm, Frame& f, const Action& a, Step& s)
{
    const int frame = a.n[0];
    DisplayObjectHost* c = timelineClip(vm, f);
    if (c && c->framesLoaded() < frame + 1)
        skipActions(f, a.n[1], s);
}

void waitForFrame2(Interpreter& vm, Frame& f, const Action& a, Step& s)
{
    const Value frame = pop(f);
    DisplayObjectHost* c = timelineClip(vm, f);
    const double n = vm.toNumber(frame);
    if (c && !std::isnan(n) && c->framesLoaded() < clampToInt(n))
        skipActions(f, a.n[0], s);
}

} // namespace

void addControlHandlers(HandlerTable& t)
{
    t[op::Jump] = jump;
    t[op::If] = jumpIf;
    t[op::Return] = returnValue;
    t[op::With] = with;
    t[op::Try] = tryBlock;
    t[op::Throw] = throwValue;
    t[op::ConstantPool] = constantPool;
    t[op::WaitForFrame] = waitForFrame;
    t[op::WaitForFrame2] = waitForFrame2;
}

} // namespace fotarel::swf::avm1
