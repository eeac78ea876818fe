#pragma once

// The handlers of decoded actions, one function per action, grouped by
// concern in their own files (internal to fotarel_avm1):
//   actions_stack.cpp     stack, arithmetic, comparisons, strings, conversions
//   actions_variables.cpp variables, paths, targets, clip properties, registers
//   actions_objects.cpp   objects, members, functions, calls, classes
//   actions_control.cpp   jumps, return, with, try/throw, the constant pool
//   actions_timeline.cpp  frames, clips, urls, trace, time

#include "swf/avm1/decoded.h"
#include "swf/avm1/interpreter.h"

#include <array>

namespace fotarel::swf::avm1 {

constexpr size_t kMaxStack = 1 << 18;

// What an action tells the loop: where to go on, or that the frame returns.
struct Step {
    int next = 0;
    bool returned = false;
    Value result;
};

using Handler = void (*)(Interpreter& vm, Frame& f, const Action& a, Step& s);
using HandlerTable = std::array<Handler, 256>;

// Each group enters its handlers into the table.
void addStackHandlers(HandlerTable& t);
void addVariableHandlers(HandlerTable& t);
void addObjectHandlers(HandlerTable& t);
void addControlHandlers(HandlerTable& t);
void addTimelineHandlers(HandlerTable& t);

inline Value pop(Frame& f)
{
    if (f.stack.empty())
        return {};
    Value v = std::move(f.stack.back());
    f.stack.pop_back();
    return v;
}

inline void push(Interpreter& vm, Frame& f, Value v)
{
    // Long strings count against the heap bound while the stack holds them.
    if (v.type == Value::Type::String && v.s.size() > 256)
        vm.noteAllocation(int64_t(v.s.size()) * 2);
    f.stack.push_back(std::move(v));
}

// SWF 4 movies have no booleans: 1 and 0.
inline void pushBool(Interpreter& vm, Frame& f, bool b)
{
    push(vm, f, f.version < 5 ? Value::number(b ? 1 : 0) : Value::boolean(b));
}

inline DisplayObjectHost* timelineClip(Interpreter& vm, Frame& f)
{
    return vm.clipOf(Value::object(f.timeline));
}

// Pops `count` values (a count that is no number, negative or past the
// stack takes what there is).
std::vector<Value> popArgs(Frame& f, double count);

// A clip, or the clip the text of a value names.
DisplayObjectHost* targetClip(Interpreter& vm, Frame& f, const Value& target);

// A variable name that is a path to another timeline or object ("/:a",
// "_root.a", "clip:a").
inline bool isPath(const QString& name)
{
    return name.contains(QLatin1Char('/')) || name.contains(QLatin1Char(':')) || name.contains(QLatin1Char('.'));
}

// Changes the timeline the frame's actions act on (SetTarget, SetTarget2).
void setTarget(Interpreter& vm, Frame& f, const Value& target);

} // namespace fotarel::swf::avm1
