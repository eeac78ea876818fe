// Arithmetic, comparisons and the type conversions of SWF 4, 5-6 and 7.

#include "swf/avm1/runtime.h"
#include "tests/swf_avm1/vm_fixture.h"

#include <cmath>

namespace fotarel::swf::avm1::test {
namespace {

TEST(NumberText, FifteenSignificantDigitsAndShortExponents)
{
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {0.1 + 0.2, "0.3"},
        {1.0 / 3, "0.333333333333333"},
        {-2.5, "-2.5"},
        {-0.0, "0"},
        {123456789012345.0, "123456789012345"},
        {1e15, "1e+15"},
        {123456789012345678901.0, "1.23456789012346e+20"},
        {0.0001, "0.0001"},
        {0.00001, "1e-5"},
        {std::nan(""), "NaN"},
        {-INFINITY, "-Infinity"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(numberToString(c.value), QString::fromLatin1(c.text)) << c.value;
    EXPECT_EQ(numberToStringRadix(255, 16), "ff");
    EXPECT_EQ(numberToStringRadix(-5, 2), "-101");
}

TEST(NamesWithoutCase, FollowTheOldUnicodeCaseTable)
{
    const struct {
        const char* a;
        const char* b;
        bool same;
    } cases[] = {
        {"Clip", "cLIP", true},       {"ÄÖ", "äö", true},     {"Ǳ", "ǳ", true},
        {"Ⱥ", "ⱥ", false},            {"Ϸ", "ϸ", false},      {"ab", "abc", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sameNameIgnoringCase(QString::fromUtf8(c.a), QString::fromUtf8(c.b)), c.same) << c.a << " " << c.b;
}

TEST(StringToNumber, RulesDependOnTheVersion)
{
    const struct {
        const char* text;
        int version;
        double expected; // NaN compares as "is NaN"
    } cases[] = {
        {"12", 6, 12},       {" 12", 6, 12},      {"12 ", 6, NAN},    {"0x1F", 6, 31},    {"-0x10", 6, -16},
        {"1e3", 6, 1000},    {".5", 6, 0.5},      {"12abc", 6, NAN},  {"abc", 6, NAN},
        {"", 6, 0},          {"", 7, NAN},        {"12abc", 4, 12},   {"abc", 4, 0},
        {"Infinity", 6, NAN}, {"0x-10", 6, -16}, {"0x10.5", 6, NAN}, {"0x", 6, NAN}, {"010", 6, 8}, {"-017", 7, -15}, {"08", 6, 8}, {"010", 5, 10}, {"0x1F", 5, NAN},
        {"", 5, NAN},         {" ", 5, NAN},     {"\t\r12", 5, 12},  {"\r12\r", 5, NAN},
    };
    for (const auto& c : cases) {
        const double got = stringToNumber(QString::fromLatin1(c.text), c.version);
        if (std::isnan(c.expected))
            EXPECT_TRUE(std::isnan(got)) << c.text << " v" << c.version << " gave " << got;
        else
            EXPECT_EQ(got, c.expected) << c.text << " v" << c.version;
    }
    EXPECT_EQ(toInt32(4294967297.0), 1);
    EXPECT_EQ(toInt32(-1.5), -1);
    EXPECT_EQ(toUint32(-1), 4294967295u);
}

class Conversions : public VmTest {};

// Each program traces one value; the same bytes run under different versions.
TEST_F(Conversions, VersionRulesOfTheOperators)
{
    const struct {
        const char* what;
        Asm program;
        int version;
        const char* expected;
    } cases[] = {
        {"undefined + 1 (SWF 6)", Asm().push(Undef{}, 1).op(op::Add2).trace(), 6, "1"},
        {"undefined + 1 (SWF 7)", Asm().push(Undef{}, 1).op(op::Add2).trace(), 7, "NaN"},
        {"'' + undefined (SWF 6)", Asm().push("", Undef{}).op(op::Add2).push("|").op(op::Add2).trace(), 6, "|"},
        {"'' + undefined (SWF 7)", Asm().push("", Undef{}).op(op::Add2).trace(), 7, "undefined"},
        {"'abc' * 1 (SWF 4)", Asm().push("abc", 1).op(op::Multiply).trace(), 4, "0"},
        {"'abc' * 1 (SWF 6)", Asm().push("abc", 1).op(op::Multiply).trace(), 6, "NaN"},
        {"'3' + 4 with Add2 concatenates", Asm().push("3", 4).op(op::Add2).trace(), 6, "34"},
        {"'3' + 4 with SWF 4 Add sums", Asm().push("3", 4).op(op::Add).trace(), 6, "7"},
        {"1 / 0 (SWF 4)", Asm().push(1, 0).op(op::Divide).trace(), 4, "#ERROR#"},
        {"1 / 0 (SWF 6)", Asm().push(1, 0).op(op::Divide).trace(), 6, "Infinity"},
        {"Equals pushes 1 in SWF 4", Asm().push(2, 2).op(op::Equals).trace(), 4, "1"},
        {"Equals pushes true in SWF 5", Asm().push(2, 2).op(op::Equals).trace(), 5, "true"},
        {"!'abc' (SWF 6: numeric)", Asm().push("abc").op(op::Not).trace(), 6, "true"},
        {"!'abc' (SWF 7: non-empty)", Asm().push("abc").op(op::Not).trace(), 7, "false"},
        {"'10' == 10", Asm().push("10", 10).op(op::Equals2).trace(), 6, "true"},
        {"null == undefined", Asm().push(Null{}, Undef{}).op(op::Equals2).trace(), 6, "true"},
        {"null == 0", Asm().push(Null{}, 0).op(op::Equals2).trace(), 6, "false"},
        {"true == 1", Asm().push(true, 1).op(op::Equals2).trace(), 6, "true"},
        {"'1' === 1", Asm().push("1", 1).op(op::StrictEquals).trace(), 6, "false"},
        {"'10' < '9' compares text", Asm().push("10", "9").op(op::Less2).trace(), 6, "true"},
        {"10 < '9' compares numbers", Asm().push(10, "9").op(op::Less2).trace(), 6, "false"},
        {"NaN < 1 is undefined", Asm().push("x", 1).op(op::Less2).op(op::TypeOf).trace(), 6, "undefined"},
        {"3 > 2", Asm().push(3, 2).op(op::Greater).trace(), 6, "true"},
        {"7 % 3", Asm().push(7, 3).op(op::Modulo).trace(), 6, "1"},
        {"-7 >> 1", Asm().push(-7, 1).op(op::BitRShift).trace(), 6, "-4"},
        {"-1 >>> 28", Asm().push(-1, 28).op(op::BitURShift).trace(), 6, "15"},
        {"0xF0 | 0x0F ^ 0xFF", Asm().push(0xF0, 0x0F).op(op::BitOr).push(0xFF).op(op::BitXor).trace(), 6, "0"},
        {"ToInteger(-2.7)", Asm().push(-2.7).op(op::ToInteger).trace(), 6, "-2"},
        {"float push", Asm().push(Float{1.5f}).trace(), 6, "1.5"},
        {"typeof function", Asm().push(0, "Math").op(op::GetVariable).push("max").op(op::GetMember)
                                 .op(op::TypeOf).trace(), 6, "function"},
        {"typeof _root", Asm().get("_root").op(op::TypeOf).trace(), 6, "movieclip"},
        {"function as text", Asm().get("parseInt").push("").op(op::Add2).trace(), 6, "[type Function]"},
        {"String extract 1-based", Asm().push("abcdef", 2, 3).op(op::StringExtract).trace(), 4, "bcd"},
        {"chr/ord", Asm().push(0x4E2D).op(op::AsciiToChar).op(op::CharToAscii).trace(), 6, "20013"},
        {"StringLength counts characters", Asm().push("中文ab").op(op::StringLength).trace(), 6, "4"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(run(c.program, c.version)) << c.what;
        EXPECT_EQ(traced(), QString::fromUtf8(c.expected)) << c.what;
    }
    EXPECT_TRUE(player.errors.isEmpty()) << player.errors.join('\n').toStdString();
}

TEST_F(Conversions, TextOfOlderMoviesMayBeGbk)
{
    // Push "中文" as GBK bytes, then as UTF-8 bytes.
    QByteArray gbk("\x96\x06\x00\x00\xD6\xD0\xCE\xC4\x00\x26", 10);
    QByteArray utf8("\x96\x08\x00\x00\xE4\xB8\xAD\xE6\x96\x87\x00\x26", 12);
    EXPECT_TRUE(vm.runActions(ActionBlock{gbk, 5}, *player.root()));
    EXPECT_TRUE(vm.runActions(ActionBlock{utf8, 5}, *player.root()));
    EXPECT_TRUE(vm.runActions(ActionBlock{utf8, 6}, *player.root()));
    EXPECT_EQ(traced(), QString::fromUtf8("中文|中文|中文"));
}

TEST_F(Conversions, NamesAreCaseInsensitiveBeforeSwf7)
{
    const Asm program = Asm().set("Foo", 5).get("foo").trace();
    run(program, 6);
    EXPECT_EQ(traced(), "5");
    FakeClip* other = player.root()->add("other", 1);
    other->version = 7;
    vm.runActions(ActionBlock{program.bytes(), 7}, *other);
    EXPECT_EQ(traced(), "undefined");
}

TEST_F(Conversions, ObjectsConvertThroughValueOfAndToString)
{
    // o = {valueOf: function() { return 41; }}; trace(o + 1); trace("" + [1, 2]);
    const Asm valueOf = Asm().push(41).op(op::Return);
    run(Asm()
            .push("o", "valueOf")
            .function("", {}, valueOf)
            .push(1)
            .op(op::InitObject)
            .op(op::SetVariable)
            .get("o")
            .push(1)
            .op(op::Add2)
            .trace()
            .push("", 2, 1, 2)
            .op(op::InitArray)
            .op(op::Add2)
            .trace()
            .push("", 0, "Object")
            .op(op::NewObject)
            .op(op::Add2)
            .trace());
    EXPECT_EQ(traced(), "42|1,2|[object Object]");
}

// Objects in comparisons stand for what their valueOf answers: one without
// a callable valueOf is undefined, one whose valueOf answers an object makes
// Less2 false (not undefined) and equals no primitive; a clip is NaN.
TEST_F(Conversions, ComparisonsWithObjects)
{
    const Asm self = Asm().push("this").op(op::GetVariable).op(op::Return);
    ASSERT_TRUE(run(Asm().push("bare", 0).op(op::InitObject).op(op::SetVariable).get("bare").push("__proto__", Undef{}).op(op::SetMember)
                        .push("selfish", "valueOf").function("", {}, self).push(1).op(op::InitObject)
                        .op(op::SetVariable)));
    const struct {
        const char* what;
        Asm program;
        const char* expected;
    } cases[] = {
        {"NaN == NaN", Asm().get("NaN").get("NaN").op(op::Equals2), "true"},
        {"NaN === NaN", Asm().get("NaN").get("NaN").op(op::StrictEquals), "true"},
        {"_global == undefined", Asm().get("_global").push(Undef{}).op(op::Equals2), "true"},
        {"null == object without __proto__", Asm().push(Null{}).get("bare").op(op::Equals2), "true"},
        {"{} == undefined", Asm().push(0).op(op::InitObject).push(Undef{}).op(op::Equals2), "false"},
        {"selfish == NaN", Asm().get("selfish").get("NaN").op(op::Equals2), "false"},
        {"1 > _global (undefined is 0 in SWF 6)", Asm().push(1).get("_global").op(op::Greater), "true"},
        {"{} < 0", Asm().push(0).op(op::InitObject).push(0).op(op::Less2), "false"},
        {"0 < selfish", Asm().push(0).get("selfish").op(op::Less2), "false"},
        {"'1' > _root", Asm().push("1").get("_root").op(op::Greater).op(op::TypeOf), "undefined"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(run(Asm(c.program).trace())) << c.what;
        EXPECT_EQ(traced(), QString::fromUtf8(c.expected)) << c.what;
    }
}

// As text an object is its toString answer only when that is a string;
// SWF 4 names never reach the global objects; a String object's length is
// its own property.
TEST_F(Conversions, ObjectTextAndOldMovieNames)
{
    const Asm one = Asm().push(1).op(op::Return);
    const Asm setup = Asm().push("n", "toString").function("", {}, one).push(1).op(op::InitObject)
                          .op(op::SetVariable)
                          .push("s", "abc", 1, "String").op(op::NewObject).op(op::SetVariable);
    const struct {
        const char* what;
        Asm program;
        int version;
        const char* expected;
    } cases[] = {
        {"toString answering a number", Asm().get("n").trace(), 7, "[type Object]"},
        {"Add2 falls back to the text", Asm().push("").get("n").op(op::Add2).trace(), 7, "[type Object]"},
        {"NaN in SWF 4", Asm().get("NaN").op(op::TypeOf).trace(), 4, "undefined"},
        {"NaN in SWF 5", Asm().get("NaN").op(op::TypeOf).trace(), 5, "number"},
        {"String length is writable",
         Asm().get("s").push("length", "hmm").op(op::SetMember).get("s").push("length").op(op::GetMember).trace(), 7,
         "hmm"},
        {"String length cannot be deleted",
         Asm().get("s").push("length").op(op::Delete).trace().get("s").push("length").op(op::GetMember).trace(), 7,
         "false|3"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(run(Asm().append(setup), 7)) << c.what;
        EXPECT_TRUE(run(c.program, c.version)) << c.what;
        EXPECT_EQ(traced(), QString::fromUtf8(c.expected)) << c.what;
    }
}

// Math functions convert their first two arguments, left first, and no more.
TEST_F(Conversions, MathConvertsTwoArguments)
{
    Asm setup;
    for (int v : {1, 2, 3}) {
        setup.push(QStringLiteral("n%1").arg(v), "valueOf")
            .function("", {}, Asm().push(QStringLiteral("v%1").arg(v)).trace().push(v).op(op::Return))
            .push(1)
            .op(op::InitObject)
            .op(op::SetVariable);
    }
    ASSERT_TRUE(run(setup));
    const struct {
        const char* method;
        const char* expected;
    } cases[] = {{"min", "v3|v2|2"}, {"max", "v3|v2|3"}, {"abs", "v3|v2|3"}, {"pow", "v3|v2|9"}};
    for (const auto& c : cases) {
        EXPECT_TRUE(run(Asm().get("n1").get("n2").get("n3").push(3).get("Math").push(c.method)
                            .op(op::CallMethod).trace()));
        EXPECT_EQ(traced(), QString::fromLatin1(c.expected)) << c.method;
    }
    EXPECT_TRUE(run(Asm().push(7, 1).get("Math").push("min").op(op::CallMethod).trace(), 7));
    EXPECT_EQ(traced(), "NaN");
}

TEST_F(Conversions, ArithmeticConvertsTheLeftOperandFirst)
{
    // l = {valueOf: function() { trace("L"); return 6; }}, r likewise "R", 3;
    // the operators call l's valueOf before r's, except Subtract (and Divide,
    // Equals): right first.
    const struct {
        const char* variable;
        const char* said;
        int value;
    } sides[] = {{"l", "L", 6}, {"r", "R", 3}};
    Asm setup;
    for (const auto& side : sides) {
        setup.push(side.variable, "valueOf")
            .function("", {}, Asm().push(side.said).trace().push(side.value).op(op::Return))
            .push(1)
            .op(op::InitObject)
            .op(op::SetVariable);
    }
    ASSERT_TRUE(run(setup));
    const struct {
        uint8_t code;
        const char* expected;
    } cases[] = {{op::Add, "L|R|9"},      {op::Subtract, "R|L|3"}, {op::Multiply, "L|R|18"},
                 {op::BitAnd, "L|R|2"},   {op::BitOr, "L|R|7"},    {op::BitLShift, "L|R|48"}};
    for (const auto& c : cases) {
        EXPECT_TRUE(run(Asm().get("l").get("r").op(c.code).trace()));
        EXPECT_EQ(traced(), QString::fromLatin1(c.expected)) << int(c.code);
    }
}

} // namespace
} // namespace fotarel::swf::avm1::test
