// Hostile scripts and malformed action records: every run ends with an error
// the host logs, never with a crash, a hang or unbounded memory.

#include "tests/swf_avm1/vm_fixture.h"

namespace fotarel::swf::avm1::test {
namespace {

class Limits_ : public VmTest {
protected:
    // Runs the program, expects it to stop with an error containing `what`,
    // and checks that the VM still runs scripts afterwards.
    void expectStops(const QByteArray& bytes, const char* what, const char* label)
    {
        player.errors.clear();
        EXPECT_FALSE(vm.runActions(ActionBlock{bytes, 6}, *player.root())) << label;
        ASSERT_EQ(player.errors.size(), 1) << label;
        EXPECT_TRUE(player.errors[0].contains(QLatin1String(what)))
            << label << ": " << player.errors[0].toStdString();
        player.traces.clear();
        EXPECT_TRUE(run(Asm().push("still alive").trace())) << label;
        EXPECT_EQ(traced(), "still alive") << label;
    }
};

TEST_F(Limits_, HostileScriptsStopAtTheirBound)
{
    // function f() { f(); }
    const Asm recursion = Asm().function("f", {}, Asm().call("f", 0)).call("f", 0);
    // o.valueOf = function() { return this + 1; }; o + 1 (recursion through conversions)
    const Asm valueOfLoop = Asm()
                                .push("o", 0, "Object").op(op::NewObject).op(op::SetVariable)
                                .get("o").push("valueOf")
                                .function2("", 2, f2::PreloadThis, {},
                                           Asm().push(Reg{1}, 1).op(op::Add2).op(op::Return))
                                .op(op::SetMember)
                                .get("o").push(1).op(op::Add2).trace();
    const Asm doubling = Asm().set("s", "x").label("top").push("s").get("s").get("s").op(op::Add2)
                             .op(op::SetVariable).jump("top");
    const Asm pushForever = Asm().label("top").push(1).jump("top");
    // A long array costs only the elements it has; the methods that walk
    // every index up to the length stop at the array bound.
    const Asm longArray = Asm().push("a", 0).op(op::InitArray).op(op::SetVariable)
                              .get("a").push("length", 2147483647).op(op::SetMember)
                              .push(0).get("a").push("join").op(op::CallMethod);
    const Asm farIndex = Asm().push("a", 0).op(op::InitArray).op(op::SetVariable)
                             .get("a").push(5000000, 1).op(op::SetMember)
                             .push(0).get("a").push("reverse").op(op::CallMethod);
    const Asm bigNew = Asm().push(1e9, 1, "Array").op(op::NewObject)
                           .push(0).op(op::StackSwap).push("shift").op(op::CallMethod);
    const Asm intervals = Asm().set("i", 0).label("top")
                              .push(1000).function("", {}, Asm()).push(2, "setInterval").op(op::CallFunction)
                              .op(op::Pop).jump("top");
    const struct {
        const char* label;
        QByteArray bytes;
        const char* error;
    } cases[] = {
        {"endless loop", Asm().label("top").jump("top").bytes(), "actions in one run"},
        {"deep recursion", recursion.bytes(), "nested deeper than 256"},
        {"recursion through valueOf", valueOfLoop.bytes(), "nested deeper than 256"},
        {"doubling string", doubling.bytes(), "string longer than"},
        {"pushing forever", pushForever.bytes(), "stack overflow"},
        {"array length 1e9", longArray.bytes(), "array longer than"},
        {"far array index", farIndex.bytes(), "array longer than"},
        {"new Array(1e9)", bigNew.bytes(), "array longer than"},
        {"interval flood", intervals.bytes(), "active intervals"},
    };
    for (const auto& c : cases)
        expectStops(c.bytes, c.error, c.label);
}

TEST_F(Limits_, ArraysAreBoundByTheirElements)
{
    FakePlayer p;
    Limits small;
    small.arrayLength = 100;
    Vm bounded(p, small);
    // a[2147483646] = 1 and a.length = 2147483647 cost one element.
    const Asm sparse = Asm().push("a", 0).op(op::InitArray).op(op::SetVariable)
                           .get("a").push(2147483646, 1).op(op::SetMember)
                           .get("a").push("length").op(op::GetMember).trace();
    EXPECT_TRUE(bounded.runActions(ActionBlock{sparse.bytes(), 6}, *p.root()));
    EXPECT_EQ(p.traces, QStringList({"2147483647"}));
    // for (;;) a.push(1): the 101st element ends the run.
    const Asm filling = Asm().push("a", 0).op(op::InitArray).op(op::SetVariable).label("top")
                            .push(1, 1).get("a").push("push").op(op::CallMethod).op(op::Pop).jump("top");
    EXPECT_FALSE(bounded.runActions(ActionBlock{filling.bytes(), 6}, *p.root()));
    ASSERT_EQ(p.errors.size(), 1);
    EXPECT_TRUE(p.errors[0].contains("array longer than 100")) << p.errors[0].toStdString();
}

TEST_F(Limits_, MalformedRecordsAreErrors)
{
    const auto b = [](std::initializer_list<int> bytes) {
        QByteArray out;
        for (int v : bytes)
            out.append(char(v));
        return out;
    };
    const struct {
        const char* label;
        QByteArray bytes;
        const char* error;
    } cases[] = {
        {"record longer than the block", b({0x96, 0x05, 0x00, 0x00, 'a'}), "malformed action record"},
        {"truncated record header", b({0x96, 0x05}), "malformed action record"},
        {"unterminated push string", b({0x96, 0x02, 0x00, 0x00, 'a', 0x00}), "unterminated string"},
        {"unknown push type", b({0x96, 0x01, 0x00, 0x0F, 0x00}), "unknown push type"},
        {"truncated push double", b({0x96, 0x03, 0x00, 0x06, 0x00, 0x00, 0x00}), "malformed action record"},
        {"function body past the end",
         b({0x9B, 0x05, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00}), "function body past the end"},
        {"with body past the end", b({0x96, 0x01, 0x00, 0x02, 0x94, 0x02, 0x00, 0x40, 0x00, 0x00}),
         "with block past the end"},
        {"try blocks past the end", b({0x8F, 0x08, 0x00, 0x01, 0x10, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}),
         "try block past the end"},
        {"constant pool shorter than its count", b({0x88, 0x04, 0x00, 0x05, 0x00, 'a', 0x00, 0x00}),
         "unterminated string"},
        {"jump before the start", b({0x99, 0x02, 0x00, 0x00, 0x80, 0x00}), "jump before the start"},
    };
    for (const auto& c : cases)
        expectStops(c.bytes, c.error, c.label);

    // A jump past the end simply ends the block, as does a missing ActionEnd.
    EXPECT_TRUE(vm.runActions(ActionBlock{b({0x99, 0x02, 0x00, 0x00, 0x10}), 6}, *player.root()));
    EXPECT_TRUE(vm.runActions(ActionBlock{QByteArray(), 6}, *player.root()));
}

TEST_F(Limits_, ActionBudgetPerFrame)
{
    FakePlayer p;
    Limits small;
    small.actionsPerRun = 1000;
    small.actionsPerFrame = 2500;
    Vm bounded(p, small);
    const ActionBlock endless{Asm().label("top").jump("top").bytes(), 6};
    const ActionBlock hello{Asm().push("hello").trace().bytes(), 6};
    EXPECT_FALSE(bounded.runActions(endless, *p.root()));
    EXPECT_FALSE(bounded.runActions(endless, *p.root()));
    EXPECT_FALSE(bounded.runActions(endless, *p.root())); // only 500 actions were left
    EXPECT_FALSE(bounded.runActions(hello, *p.root()));   // none left in this frame
    ASSERT_EQ(p.errors.size(), 4);
    EXPECT_TRUE(p.errors[0].contains("1000 actions in one run"));
    EXPECT_TRUE(p.errors[1].contains("1000 actions in one run"));
    EXPECT_TRUE(p.errors[2].contains("2500 actions in one frame"));
    EXPECT_TRUE(p.traces.isEmpty());
    p.timeMs += 40; // the next frame
    EXPECT_TRUE(bounded.runActions(hello, *p.root()));
    EXPECT_FALSE(bounded.runActions(endless, *p.root()));
    EXPECT_FALSE(bounded.runActions(endless, *p.root()));
    bounded.runIntervals(); // also starts a new frame
    EXPECT_TRUE(bounded.runActions(hello, *p.root()));
    EXPECT_EQ(p.traces, QStringList({"hello", "hello"}));
}

TEST_F(Limits_, LongStringsCountAgainstTheHeap)
{
    // s = 64K characters; then s.toUpperCase() results pile up on the stack.
    FakePlayer p;
    Limits small;
    small.heapBytes = 8 * 1024 * 1024;
    Vm bounded(p, small);
    Asm a;
    a.set("s", "x");
    for (int i = 0; i < 16; ++i)
        a.push("s").get("s").get("s").op(op::Add2).op(op::SetVariable);
    a.label("top").get("s").callMethod("toUpperCase", 0).jump("top");
    EXPECT_FALSE(bounded.runActions(ActionBlock{a.bytes(), 6}, *p.root()));
    ASSERT_EQ(p.errors.size(), 1);
    EXPECT_TRUE(p.errors[0].contains("memory limit")) << p.errors[0].toStdString();
}

TEST_F(Limits_, ReentrantRunsNeverThrowIntoTheHost)
{
    // The host runs frame 2's endless script inside gotoFrame, from a script.
    bool hostCallReturned = false;
    player.root()->onGoto = [&](int) {
        const ActionBlock endless{Asm().label("top").jump("top").bytes(), 6};
        EXPECT_FALSE(vm.runActions(endless, *player.root()));
        hostCallReturned = true;
    };
    EXPECT_FALSE(run(Asm().push(2).append(Asm().get("this")).callMethod("gotoAndStop", 1).op(op::Pop)
                         .push("not reached").trace()));
    EXPECT_TRUE(hostCallReturned);
    EXPECT_EQ(traced(), "");
    ASSERT_EQ(player.errors.size(), 2);
    EXPECT_TRUE(player.errors[0].contains("actions in one run"));
    player.root()->onGoto = nullptr;
    player.errors.clear();
    EXPECT_TRUE(run(Asm().push("next run").trace()));
    EXPECT_EQ(traced(), "next run");
}

TEST_F(Limits_, GarbageIsCollectedBetweenRuns)
{
    // Each run makes 2,500 objects (about 0.5 MB) that nothing keeps; with a
    // 1 MB heap bound, 20 runs only pass when the garbage is freed between them.
    FakePlayer p;
    Limits small;
    small.heapBytes = 1024 * 1024;
    Vm bounded(p, small);
    const Asm churn = Asm()
                          .set("i", 0)
                          .label("top")
                          .push("junk", 0, "Object").op(op::NewObject).op(op::DefineLocal)
                          .push("i").get("i").op(op::Increment).op(op::SetVariable)
                          .get("i").push(2500).op(op::Less2).ifTrue("top");
    for (int run = 0; run < 20; ++run)
        ASSERT_TRUE(bounded.runActions(ActionBlock{churn.bytes(), 6}, *p.root())) << run << ": "
                                                                                  << p.errors.join('\n').toStdString();
    // Keeping every object does hit the bound.
    const Asm hoard = Asm()
                          .push("keep", 0).op(op::InitArray).op(op::SetVariable)
                          .label("top")
                          .push(0, "Object").op(op::NewObject).push(1).get("keep").push("push").op(op::CallMethod)
                          .op(op::Pop).jump("top");
    EXPECT_FALSE(bounded.runActions(ActionBlock{hoard.bytes(), 6}, *p.root()));
    ASSERT_FALSE(p.errors.isEmpty());
    EXPECT_TRUE(p.errors.last().contains("memory limit")) << p.errors.last().toStdString();
}

} // namespace
} // namespace fotarel::swf::avm1::test
