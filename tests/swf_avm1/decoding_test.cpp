// The action table and the decoded blocks: codes and layouts as the format
// publishes them, decodings that belong to the right bytes, and the native
// stack one script call takes.

#include "swf/avm1/opcodes.h"
#include "tests/swf_avm1/vm_fixture.h"

#include <set>
#include <string>

namespace fotarel::swf::avm1::test {
namespace {

TEST(ActionTable, CodesAndLayoutsAsPublished)
{
    // Numbers written out here, not taken from the table.
    const struct {
        int code;
        const char* name;
        Layout layout;
    } known[] = {
        {0x00, "End", Layout::None},
        {0x07, "Stop", Layout::None},
        {0x1C, "GetVariable", Layout::None},
        {0x26, "Trace", Layout::None},
        {0x47, "Add2", Layout::None},
        {0x52, "CallMethod", Layout::None},
        {0x81, "GotoFrame", Layout::Frame},
        {0x83, "GetURL", Layout::UrlWindow},
        {0x87, "StoreRegister", Layout::Register},
        {0x88, "ConstantPool", Layout::ConstantPool},
        {0x8A, "WaitForFrame", Layout::FrameSkip},
        {0x8D, "WaitForFrame2", Layout::Skip},
        {0x8E, "DefineFunction2", Layout::DefineFunction2},
        {0x8F, "Try", Layout::Try},
        {0x94, "With", Layout::BlockSize},
        {0x96, "Push", Layout::PushItems},
        {0x99, "Jump", Layout::Branch},
        {0x9A, "GetURL2", Layout::Flags},
        {0x9B, "DefineFunction", Layout::DefineFunction},
        {0x9D, "If", Layout::Branch},
        {0x9E, "Call", Layout::None},
        {0x9F, "GotoFrame2", Layout::GotoFrame2},
    };
    for (const auto& k : known) {
        const OpInfo* info = opInfo(uint8_t(k.code));
        ASSERT_NE(info, nullptr) << k.name;
        EXPECT_STREQ(info->name, k.name);
        EXPECT_EQ(info->layout, k.layout) << k.name;
    }
    EXPECT_EQ(opInfo(0x01), nullptr);
    EXPECT_EQ(opInfo(0xFF), nullptr);

    // One entry per code and name; only records with a length carry operands.
    std::set<int> codes;
    std::set<std::string> names;
    for (const OpInfo& info : kOpTable) {
        EXPECT_TRUE(codes.insert(info.code).second) << info.name;
        EXPECT_TRUE(names.insert(info.name).second) << info.name;
        if (!hasPayload(info.code)) {
            EXPECT_EQ(info.layout, Layout::None) << info.name;
        }
    }
}

class Decoding : public VmTest {};

TEST_F(Decoding, EachBlockRunsItsOwnBytes)
{
    // Blocks made and dropped one after the other often reuse one address:
    // each must still run its own records, not a decoding kept for another.
    QStringList expected;
    for (int i = 0; i < 40; ++i) {
        {
            const QByteArray bytes = Asm().push(QString::number(i * 7)).trace().bytes();
            EXPECT_TRUE(vm.runActions(ActionBlock{bytes, 6}, *player.root()));
        }
        expected.append(QString::number(i * 7));
    }
    EXPECT_EQ(player.traces, expected);

    // One block read under both text rules: GBK before SWF 6, UTF-8 from it.
    const QByteArray gbk("\x96\x06\x00\x00\xD6\xD0\xCE\xC4\x00\x26", 10);
    player.traces.clear();
    EXPECT_TRUE(vm.runActions(ActionBlock{gbk, 5}, *player.root()));
    EXPECT_TRUE(vm.runActions(ActionBlock{gbk, 6}, *player.root()));
    EXPECT_TRUE(vm.runActions(ActionBlock{gbk, 5}, *player.root()));
    ASSERT_EQ(player.traces.size(), 3);
    EXPECT_EQ(player.traces[0], QString::fromUtf8("中文"));
    EXPECT_NE(player.traces[1], QString::fromUtf8("中文"));
    EXPECT_EQ(player.traces[2], QString::fromUtf8("中文"));
}

TEST_F(Decoding, AJumpIntoARecordRunsTheBytesThere)
{
    // An unknown record whose payload holds `trace("in")`, then `trace("out")`.
    // A jump over its header runs the payload as records; a run from the
    // start skips the unknown record. Both decodings of the block are kept.
    const QByteArray inner = Asm().push("in").trace().bytes(false);
    QByteArray unknown("\xF0", 1);
    unknown.append(char(inner.size()));
    unknown.append('\0');
    unknown.append(inner);
    const QByteArray tail = Asm().push("out").trace().bytes();
    QByteArray jumping("\x99\x02\x00\x03\x00", 5);
    const QByteArray block = jumping + unknown + tail;
    const QByteArray plain = block.mid(5);
    for (int round = 0; round < 2; ++round) {
        EXPECT_TRUE(vm.runActions(ActionBlock{block, 6}, *player.root()));
        EXPECT_TRUE(vm.runActions(ActionBlock{plain, 6}, *player.root()));
    }
    EXPECT_EQ(traced(), "in|out|out|in|out|out");
    EXPECT_EQ(player.errors, QStringList({"not supported: action 0xf0"}));
}

TEST_F(Decoding, ARecordMayFitTheBlockButNotTheFunction)
{
    // function f() { <the first 3 bytes of a Push> }: in the body the record
    // runs past its end, and the call stops the run. The block goes on
    // after the body with the rest of the record (Stop and four Plays).
    const QByteArray push = Asm().push(0x06060606).bytes(false);
    QByteArray define("\x9B\x06\x00\x66\x00\x00\x00\x03\x00", 9); // DefineFunction "f", no params, 3 bytes
    const QByteArray block = define + push + Asm().call("f", 0).bytes();
    EXPECT_FALSE(vm.runActions(ActionBlock{block, 6}, *player.root()));
    ASSERT_EQ(player.errors.size(), 1);
    EXPECT_TRUE(player.errors[0].contains("past the end")) << player.errors[0].toStdString();
}

// Records the native stack address of each trace.
class StackProbe : public FakePlayer {
public:
    void trace(const QString& line) override
    {
        FakePlayer::trace(line);
        addresses.push_back(reinterpret_cast<uintptr_t>(__builtin_frame_address(0)));
    }
    std::vector<uintptr_t> addresses;
};

TEST(ScriptCalls, NativeStackPerNestedCall)
{
    // function f(n) { if (n > 0) f(n - 1); else trace("x"); }, called 0 and
    // 200 deep: the difference of the stack addresses at the trace is what
    // 200 nested script calls take of the native stack.
    StackProbe player;
    Vm vm(player);
    const Asm body = Asm()
                         .get("n").push(0).op(op::Greater).ifTrue("deeper")
                         .push("x").trace().op(op::Return)
                         .label("deeper")
                         .get("n").push(1).op(op::Subtract).push(1, "f").op(op::CallFunction).op(op::Pop);
    const Asm script = Asm()
                           .function("f", {"n"}, body)
                           .push(0).push(1, "f").op(op::CallFunction).op(op::Pop)
                           .push(200).push(1, "f").op(op::CallFunction).op(op::Pop);
    ASSERT_TRUE(vm.runActions(ActionBlock{script.bytes(), 6}, *player.root())) << player.errors.join('\n').toStdString();
    ASSERT_EQ(player.addresses.size(), 2u);
    const double perCall = double(player.addresses[0] - player.addresses[1]) / 200;
    RecordProperty("stack_bytes_per_script_call", int(perCall));
    std::printf("native stack per nested script call: %.0f bytes\n", perCall);
    // The call limit (256 nested calls) must fit a thread's default 8 MB
    // stack with room to spare, also in sanitizer builds.
    EXPECT_LT(perCall * 256, 4.0 * 1024 * 1024);
}

} // namespace
} // namespace fotarel::swf::avm1::test
