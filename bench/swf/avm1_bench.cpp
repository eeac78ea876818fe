// The script interpreter alone: loops, calls, recursion and member access,
// run on the tests' fake player (no painting, no movie parsing).
//
//   build/bin/avm1_bench --benchmark_repetitions=5
//
// Compare two builds by running their binaries in turn on the same machine.

#include "tests/swf_avm1/assembler.h"
#include "tests/swf_avm1/test_host.h"

#include <benchmark/benchmark.h>

namespace {

using namespace fotarel::swf::avm1;
using namespace fotarel::swf::avm1::test;

void runScript(benchmark::State& state, const Asm& script)
{
    FakePlayer player;
    Vm vm(player);
    const ActionBlock block{script.bytes(), 6};
    for (auto _ : state) {
        ++player.timeMs; // a new frame: a fresh action budget
        if (!vm.runActions(block, *player.root()))
            state.SkipWithError("script error");
        player.traces.clear();
    }
}

// s += (i * 3) % 7 for 20,000 values of i, in timeline variables.
void BM_Avm1VariableLoop(benchmark::State& state)
{
    const Asm script = Asm()
                           .set("i", 0)
                           .set("s", 0)
                           .label("top")
                           .get("i").push(20000).op(op::Less2).op(op::Not).ifTrue("end")
                           .push("s").get("s").get("i").push(3).op(op::Multiply).push(7).op(op::Modulo)
                           .op(op::Add2).op(op::SetVariable)
                           .push("i").get("i").op(op::Increment).op(op::SetVariable)
                           .jump("top")
                           .label("end");
    runScript(state, script);
}
BENCHMARK(BM_Avm1VariableLoop)->Unit(benchmark::kMillisecond);

// 5,000 calls of a two-argument function that keeps its arguments in registers.
void BM_Avm1FunctionCalls(benchmark::State& state)
{
    const Asm add = Asm().push(Reg{1}, Reg{2}).op(op::Add2).op(op::Return);
    const Asm script = Asm()
                           .function2("add", 3, f2::SuppressThis | f2::SuppressArguments | f2::SuppressSuper,
                                      {{1, "a"}, {2, "b"}}, add)
                           .set("i", 0)
                           .label("top")
                           .get("i").push(5000).op(op::Less2).op(op::Not).ifTrue("end")
                           .get("i").push(1).call("add", 2).op(op::Pop)
                           .push("i").get("i").op(op::Increment).op(op::SetVariable)
                           .jump("top")
                           .label("end");
    runScript(state, script);
}
BENCHMARK(BM_Avm1FunctionCalls)->Unit(benchmark::kMillisecond);

// fib(16) by plain recursion: 3,193 nested script calls.
void BM_Avm1Recursion(benchmark::State& state)
{
    const Asm fib = Asm()
                        .get("n").push(2).op(op::Less2).op(op::Not).ifTrue("deep")
                        .get("n").op(op::Return)
                        .label("deep")
                        .get("n").push(1).op(op::Subtract).push(1, "fib").op(op::CallFunction)
                        .get("n").push(2).op(op::Subtract).push(1, "fib").op(op::CallFunction)
                        .op(op::Add2).op(op::Return);
    const Asm script = Asm().function("fib", {"n"}, fib).push(16).push(1, "fib").op(op::CallFunction).op(op::Pop);
    runScript(state, script);
}
BENCHMARK(BM_Avm1Recursion)->Unit(benchmark::kMillisecond);

// o.x = o.x + 1 on a plain object, 20,000 times.
void BM_Avm1Members(benchmark::State& state)
{
    const Asm script = Asm()
                           .push("o", 0, "Object").op(op::NewObject).op(op::SetVariable)
                           .get("o").push("x", 0).op(op::SetMember)
                           .set("i", 0)
                           .label("top")
                           .get("i").push(20000).op(op::Less2).op(op::Not).ifTrue("end")
                           .get("o").push("x").get("o").push("x").op(op::GetMember).push(1).op(op::Add2)
                           .op(op::SetMember)
                           .push("i").get("i").op(op::Increment).op(op::SetVariable)
                           .jump("top")
                           .label("end");
    runScript(state, script);
}
BENCHMARK(BM_Avm1Members)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
