// The action loop: runs decoded action records (decoded.h) through the
// handlers of their codes (handlers.h).

#include "swf/avm1/handlers.h"

namespace fotarel::swf::avm1 {

namespace {

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

void unknownAction(Interpreter& vm, Frame&, const Action& a, Step&)
{
    // Unknown actions are skipped, as Flash Player does; said once.
    vm.noteMissing(QStringLiteral("action 0x%1").arg(a.code, 2, 16, QLatin1Char('0')));
}

HandlerTable makeHandlers()
{
    HandlerTable t;
    t.fill(unknownAction);
    addStackHandlers(t);
    addVariableHandlers(t);
    addObjectHandlers(t);
    addControlHandlers(t);
    addTimelineHandlers(t);
    return t;
}

const HandlerTable kHandlers = makeHandlers();

} // namespace

std::shared_ptr<DecodedBlock> Interpreter::programFor(const QByteArray& code, int version)
{
    // Copies of one QByteArray share their bytes: the address names the
    // block, and the entry keeps the bytes alive so it cannot be reused.
    const bool utf8 = version >= 6;
    const ProgramKey key{code.constData(), code.size(), utf8};
    if (auto it = programs_.find(key); it != programs_.end())
        return it->second;
    // Movies that make new blocks all the time (or very many of them) get
    // their decodings dropped now and then; running frames keep theirs.
    if (programs_.size() >= 4096 || programBytes_ > (int64_t(64) << 20)) {
        programs_.clear();
        programBytes_ = 0;
    }
    auto program = std::make_shared<DecodedBlock>(code, utf8);
    programs_.emplace(key, program);
    programBytes_ += code.size();
    return program;
}

Value Interpreter::execute(Frame& f)
{
    FrameGuard guard(*this, f);
    if (f.end > int(f.code.size()) || f.pc < 0 || f.pc > f.end)
        fail(QStringLiteral("malformed action block"));
    if (!f.program)
        f.program = programFor(f.code, f.version);
    f.timelineWasLive = !timelineRemoved(f);
    Step step;
    std::unique_ptr<Action> scratch; // a record decoded past the block's memory bound
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
                const Action& a = f.program->at(f.pc, scratch);
                if (a.code == 0)
                    return {};
                if (hasPayload(a.code)) {
                    if (a.truncated || f.pc + 3 > f.end)
                        fail(QStringLiteral("malformed action record at offset %1").arg(f.pc));
                    if (a.next > f.end)
                        fail(QStringLiteral("malformed action record at offset %1: length %2 past the end")
                                 .arg(f.pc)
                                 .arg(a.payloadLength()));
                }
                if (--actionsLeft < 0)
                    budgetExceeded();
                if (!a.error.isEmpty() && a.code != op::Push)
                    fail(a.error);
                step.next = a.next;
                step.returned = false;
                kHandlers[a.code](*this, f, a, step);
                if (step.returned) {
                    Value result = std::move(step.result);
                    step.result = Value();
                    if (beginReturn(f, result))
                        return result;
                    continue; // runs the finally block first
                }
                if (f.stack.size() > kMaxStack)
                    fail(QStringLiteral("stack overflow"));
                if (step.next < 0)
                    fail(QStringLiteral("jump before the start of the action block"));
                f.pc = std::min(step.next, f.end);
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

} // namespace fotarel::swf::avm1
