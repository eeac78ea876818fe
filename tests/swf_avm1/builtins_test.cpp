// String, Array, Math, Number and the global functions; Math.random's seed;
// setInterval on movie time.

#include "tests/swf_avm1/vm_fixture.h"

#include <variant>

namespace fotarel::swf::avm1::test {
namespace {

using Arg = std::variant<const char*, int, double>;

// receiver.method(args...) with the result traced.
Asm traceCall(const Asm& receiver, const char* method, std::vector<Arg> args)
{
    Asm a;
    for (auto it = args.rbegin(); it != args.rend(); ++it)
        std::visit([&](auto v) { a.push(v); }, *it);
    a.append(receiver).callMethod(QString::fromLatin1(method), int(args.size()));
    return a.trace();
}

Asm str(const char* s)
{
    return Asm().push(s);
}

class Builtins : public VmTest {};

TEST_F(Builtins, StringMethods)
{
    const struct {
        Asm program;
        const char* expected;
    } cases[] = {
        {traceCall(str("Hello"), "charAt", {1}), "e"},
        {traceCall(str("Hello"), "charCodeAt", {0}), "72"},
        {traceCall(str("Hello"), "indexOf", {"l"}), "2"},
        {traceCall(str("Hello"), "indexOf", {"l", 3}), "3"},
        {traceCall(str("Hello"), "lastIndexOf", {"l"}), "3"},
        {traceCall(str("Hello"), "indexOf", {"z"}), "-1"},
        {traceCall(str("Hello"), "substr", {1, 3}), "ell"},
        {traceCall(str("Hello"), "substr", {-3}), "llo"},
        {traceCall(str("Hello"), "substring", {3, 1}), "el"},
        {traceCall(str("Hello"), "slice", {-3, -1}), "ll"},
        {traceCall(str("Hello"), "toUpperCase", {}), "HELLO"},
        {traceCall(str("Hello"), "split", {"l"}), "He,,o"},
        {traceCall(str("abc"), "split", {""}), "a,b,c"},
        {traceCall(str("a,b,c"), "split", {",", 2}), "a,b"},
        {traceCall(str("Hello"), "concat", {"!", 1}), "Hello!1"},
        {traceCall(str("图片_0"), "charAt", {1}), "片"},
        {Asm().push("Hello", "length").op(op::GetMember).trace(), "5"},
        {traceCall(Asm().get("String"), "fromCharCode", {72, 105}), "Hi"},
        {traceCall(Asm().push(255), "toString", {16}), "ff"},
        {Asm().push("12", 1, "Number").op(op::CallFunction).push(1).op(op::Add2).trace(), "13"},
        {Asm().push(0, "String").op(op::CallFunction).op(op::StringLength).trace(), "0"},
        {Asm().push("", 1, "Boolean").op(op::CallFunction).trace(), "false"},
        // Positions are 32-bit integers; a start past the end finds nothing.
        {traceCall(str("Hello"), "charAt", {4294967297.0}), "e"},
        {traceCall(str("Hello"), "indexOf", {"", 100}), "-1"},
        {traceCall(str("Hello"), "indexOf", {"", 5}), "5"},
        {Asm().push(0).append(str("Hello")).callMethod("indexOf", 0).op(op::TypeOf).trace(), "undefined"},
        // The Flash Player's case table: one character at a time.
        {traceCall(str("İ"), "toLowerCase", {}), "i"},
        {traceCall(str("ᾳς"), "toUpperCase", {}), "ᾼ\u03A2"},
        {traceCall(str("Ⴀ"), "toLowerCase", {}), "ა"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(run(c.program));
        EXPECT_EQ(traced(), QString::fromUtf8(c.expected));
    }
}

TEST_F(Builtins, ArrayMethods)
{
    // Every case starts from a = [3, 1, 10, 2].
    const Asm makeA = Asm().push("a", 2, 10, 1, 3, 4).op(op::InitArray).op(op::SetVariable);
    const Asm a = Asm().get("a");
    const Asm numeric = Asm().get("Array").push("NUMERIC").op(op::GetMember);
    const struct {
        Asm program;
        const char* expected;
    } cases[] = {
        {traceCall(a, "sort", {}), "1,10,2,3"},
        {Asm().append(numeric).append(a).callMethod("sort", 1).trace(), "1,2,3,10"},
        {Asm().push(16 | 2).append(a).callMethod("sort", 1).trace(), "10,3,2,1"},
        {Asm()
             .function("", {"x", "y"}, Asm().get("x").get("y").op(op::Subtract).op(op::Return))
             .append(a).callMethod("sort", 1).trace(),
         "1,2,3,10"},
        {Asm().push(5).append(a).callMethod("push", 1).trace().append(a).trace(), "5|3,1,10,2,5"},
        {traceCall(a, "pop", {}).append(a).trace(), "2|3,1,10"},
        {traceCall(a, "shift", {}).append(a).trace(), "3|1,10,2"},
        {traceCall(a, "unshift", {0}).append(a).trace(), "5|0,3,1,10,2"},
        {traceCall(a, "splice", {1, 2, "x"}).append(a).trace(), "1,10|3,x,2"},
        {traceCall(a, "slice", {1, -1}), "1,10"},
        {traceCall(a, "join", {"-"}), "3-1-10-2"},
        {traceCall(a, "reverse", {}), "2,10,1,3"},
        {Asm().push(6, 5, 1).op(op::InitArray).append(a).callMethod("concat", 2).trace(), "3,1,10,2,5,6"},
        {Asm().append(a).push("length", 2).op(op::SetMember).append(a).trace().append(a).push("length").op(op::GetMember).trace(),
         "3,1|2"},
        {Asm().append(a).push(6, "x").op(op::SetMember).append(a).push("length").op(op::GetMember).trace(), "7"},
        {Asm().push(3, 1, "Array").op(op::NewObject).push("length").op(op::GetMember).trace(), "3"},
        // sortOn("n", Array.NUMERIC) over [{n: 10}, {n: 9}]
        {Asm()
             .push("n", 9, 1).op(op::InitObject).push("n", 10, 1).op(op::InitObject).push(2).op(op::InitArray)
             .storeRegister(0).op(op::Pop)
             .append(numeric).push("n", Reg{0}).callMethod("sortOn", 2).push(0).op(op::GetMember).push("n")
             .op(op::GetMember).trace(),
         "9"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(run(Asm().append(makeA).append(c.program)));
        EXPECT_EQ(traced(), QString::fromUtf8(c.expected));
    }
    EXPECT_TRUE(player.errors.isEmpty()) << player.errors.join('\n').toStdString();
}

// Elements are properties: missing ones (holes) stay missing until a method
// moves them, flags stay with the element, and the length is a 32-bit
// number of its own.
TEST_F(Builtins, ArraysHaveHolesAndAThirtyTwoBitLength)
{
    // Every case starts from h = [] with h[4] = 4, and a = [1, 2, 3].
    const Asm setup = Asm().push("h", 0).op(op::InitArray).op(op::SetVariable).get("h").push(4, 4)
                          .op(op::SetMember).push("a", 3, 2, 1, 3).op(op::InitArray).op(op::SetVariable);
    const Asm h = Asm().get("h");
    const Asm a = Asm().get("a");
    const Asm hLength = Asm().get("h").push("length").op(op::GetMember).trace();
    auto flags = [&](const char* name, int bits) {
        return Asm().push(0, bits, name).append(a).push(4, "ASSetPropFlags").op(op::CallFunction).op(op::Pop);
    };
    const struct {
        const char* what;
        Asm program;
        const char* expected;
    } cases[] = {
        {"a hole is no own property", Asm().append(traceCall(h, "hasOwnProperty", {0})).append(hLength), "false|5"},
        {"a hole reads undefined", traceCall(h, "join", {}), "undefined,undefined,undefined,undefined,4"},
        {"shift makes moved holes elements",
         Asm().append(traceCall(h, "shift", {})).append(traceCall(h, "hasOwnProperty", {0})).append(hLength),
         "undefined|true|4"},
        {"new Array(3) has no elements", Asm().push(3, 1, "Array").op(op::NewObject).push(0).op(op::StackSwap)
                                              .push(1).op(op::StackSwap).push("hasOwnProperty").op(op::CallMethod).trace(),
         "false"},
        {"a far index only sets the length",
         Asm().get("h").push(2147483646, 1).op(op::SetMember).append(hLength), "2147483647"},
        {"the length wraps to 32 bits and drops the elements below the old one",
         Asm().get("h").push(2147483647, 1).op(op::SetMember).append(hLength)
             .append(traceCall(h, "hasOwnProperty", {4})),
         "-2147483648|false"},
        {"a negative index is a plain property",
         Asm().get("h").push(-5, 1).op(op::SetMember).append(hLength), "5"},
        {"a shorter length deletes elements", Asm().get("a").push("length", 1).op(op::SetMember)
                                                 .append(traceCall(a, "hasOwnProperty", {2})),
         "false"},
        {"shift keeps a DontDelete element", Asm().append(flags("1", 2)).append(traceCall(a, "shift", {}))
                                                 .append(a).trace(),
         "1|2,3"},
        {"shift cannot overwrite a read-only element", Asm().append(flags("0", 6)).append(traceCall(a, "shift", {}))
                                                           .append(a).trace(),
         "1|1,3"},
        {"unshift moves holes too", Asm().append(traceCall(h, "unshift", {9})).append(traceCall(h, "hasOwnProperty", {1})),
         "6|true"},
        {"splice with a negative count changes nothing",
         Asm().push(-2, 1).append(a).callMethod("splice", 2).op(op::TypeOf).trace().append(a).trace(),
         "undefined|1,2,3"},
        {"sort with a bogus first argument", Asm().push(true).append(a).callMethod("sort", 1).op(op::TypeOf).trace(),
         "undefined"},
        {"sort(DESCENDING, NUMERIC): the second option wins", Asm().push(16, 2).append(a).callMethod("sort", 2).trace(),
         "1,2,3"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(run(Asm().append(setup).append(c.program), 7)) << c.what;
        EXPECT_EQ(traced(), QString::fromUtf8(c.expected)) << c.what;
    }
    EXPECT_TRUE(player.errors.isEmpty()) << player.errors.join('\n').toStdString();
}

TEST_F(Builtins, XmlParsesPrintsAndStaysBounded)
{
    // x = new XML(text)
    auto parse = [](const QString& text) { return Asm().push("x", text, 1, "XML").op(op::NewObject).op(op::SetVariable); };
    auto member = [](const char* path) {
        Asm a = Asm().get("x");
        for (const QString& part : QString::fromLatin1(path).split('.'))
            a.push(part).op(op::GetMember);
        return a;
    };
    const QString deep = QString("<a>").repeated(3000) + QString("</a>").repeated(3000);
    const struct {
        Asm program;
        const char* expected;
    } cases[] = {
        {parse("<a k=\"1 &amp; 2\">t&lt;<b/><![CDATA[<raw>]]></a>").append(traceCall(Asm().get("x"), "toString", {})),
         "<a k=\"1 &amp; 2\">t&lt;<b />&lt;raw&gt;</a>"},
        {parse("<?xml version=\"1.0\"?><r><!-- gone --><i id=\"n\">v</i></r>")
             .append(member("firstChild.firstChild.firstChild.nodeValue")).trace()
             .append(member("xmlDecl")).trace()
             .append(member("idMap.n.nodeName")).trace(),
         "v|<?xml version=\"1.0\"?>|i"},
        {parse("<a><b></a>").append(member("status")).trace(), "-9"},
        {parse("</a>").append(member("status")).trace(), "-10"},
        {parse("<a x='1").append(member("status")).trace(), "-8"},
        {parse("<![CDATA[x").append(member("status")).trace(), "-2"},
        // Nesting deeper than the parser takes is refused, not recursed into.
        {parse(deep).append(member("status")).trace(), "-6"},
        // A node cannot move into its own subtree.
        {parse("<a><b/></a>").append(member("firstChild")).append(member("firstChild.firstChild"))
             .callMethod("appendChild", 1).op(op::Pop).append(traceCall(Asm().get("x"), "toString", {})),
         "<a><b /></a>"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(run(c.program));
        EXPECT_EQ(traced(), QString::fromUtf8(c.expected));
    }
}

TEST_F(Builtins, XmlTreesOfAnyDepthPrintAndCloneWithoutRecursion)
{
    // n = new XMLNode(1, "e"); x = n; 10000 times: c = new XMLNode(1, "e");
    // n.appendChild(c); n = c; then x.cloneNode(true).toString().length.
    const Asm program = Asm()
        .push("x", "e", 1, 2, "XMLNode").op(op::NewObject).op(op::SetVariable)
        .push("n").get("x").op(op::SetVariable)
        .push("i", 0).op(op::SetVariable)
        .label("loop")
        .push("c", "e", 1, 2, "XMLNode").op(op::NewObject).op(op::SetVariable)
        .get("c").get("n").callMethod("appendChild", 1).op(op::Pop)
        .push("n").get("c").op(op::SetVariable)
        .push("i").get("i").push(1).op(op::Add2).op(op::SetVariable)
        .get("i").push(10000).op(op::Less2).ifTrue("loop")
        .push(true).get("x").callMethod("cloneNode", 1).callMethod("toString", 0).push("length").op(op::GetMember).trace();
    EXPECT_TRUE(run(program));
    EXPECT_EQ(traced(), QString::number(10000 * 7 + 5)); // "<e>" and "</e>" per level, "<e />" innermost
    EXPECT_TRUE(player.errors.isEmpty()) << player.errors.join('\n').toStdString();
}

TEST_F(Builtins, MathAndGlobalFunctions)
{
    const Asm math = Asm().get("Math");
    const Asm global = Asm().get("_global");
    const struct {
        Asm program;
        const char* expected;
    } cases[] = {
        {traceCall(math, "max", {1, 5, 3}), "5"},
        {traceCall(math, "min", {}), "Infinity"},
        {traceCall(math, "min", {1}), "0"}, // the missing second argument: undefined, 0 before SWF 7
        {traceCall(math, "round", {2.5}), "3"},
        {traceCall(math, "round", {-2.5}), "-2"},
        {traceCall(math, "floor", {-1.5}), "-2"},
        {traceCall(math, "ceil", {1.2}), "2"},
        {traceCall(math, "abs", {-3}), "3"},
        {traceCall(math, "pow", {2, 10}), "1024"},
        {traceCall(math, "sqrt", {16}), "4"},
        {Asm().append(math).push("PI").op(op::GetMember).trace(), "3.14159265358979"},
        {traceCall(global, "parseInt", {"0x1F"}), "31"},
        {traceCall(global, "parseInt", {"12px"}), "12"},
        {traceCall(global, "parseInt", {"ff", 16}), "255"},
        {traceCall(global, "parseInt", {"010"}), "8"},
        {traceCall(global, "parseInt", {"-7.9"}), "-7"},
        {traceCall(global, "parseInt", {"abc"}), "NaN"},
        {traceCall(global, "parseInt", {"100", 0}), "NaN"},
        {traceCall(global, "parseInt", {"100", 37}), "NaN"},
        {traceCall(global, "parseFloat", {"3.5e2xyz"}), "350"},
        {traceCall(global, "parseFloat", {".5"}), "0.5"},
        {traceCall(global, "parseFloat", {"x1"}), "NaN"},
        {traceCall(global, "isNaN", {"abc"}), "true"},
        {traceCall(global, "isFinite", {"12"}), "true"},
        {traceCall(global, "isFinite", {"  12"}), "true"},
        {traceCall(global, "isFinite", {"12  "}), "false"}, // trailing space: not a number
        {traceCall(global, "escape", {"a b&"}), "a%20b%26"},
        {traceCall(global, "unescape", {"%E4%B8%AD%41"}), "中A"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(run(c.program));
        EXPECT_EQ(traced(), QString::fromUtf8(c.expected));
    }
}

TEST_F(Builtins, MissingFeaturesAreLoggedOncePerFeature)
{
    // An unknown action and a Flash Player class this VM lacks, each met
    // twice: one line each, and the script goes on.
    EXPECT_TRUE(run(Asm().op(0x2E).op(0x2E).get("XMLSocket").op(op::Pop).get("XMLSocket").op(op::Pop)
                        .get("noSuchVariable").op(op::Pop).push("on").trace()));
    EXPECT_EQ(traced(), "on");
    EXPECT_EQ(player.errors, QStringList({"not supported: action 0x2e", "not supported: XMLSocket"}));
}

TEST_F(Builtins, RandomIsSeededAndRepeatable)
{
    const Asm draw = traceCall(Asm().get("Math"), "random", {}).push(1000).op(op::RandomNumber).trace();
    vm.setRandomSeed(42);
    run(draw);
    const QString first = traced();
    run(draw);
    const QString second = traced();
    vm.setRandomSeed(42);
    run(draw);
    EXPECT_EQ(traced(), first);
    EXPECT_NE(second, first);
    vm.setRandomSeed(7);
    run(draw);
    EXPECT_NE(traced(), first);
    const QStringList parts = first.split('|');
    ASSERT_EQ(parts.size(), 2);
    const double r = parts[0].toDouble();
    EXPECT_GE(r, 0.0);
    EXPECT_LT(r, 1.0);
    const int n = parts[1].toInt();
    EXPECT_GE(n, 0);
    EXPECT_LT(n, 1000);
}

TEST_F(Builtins, IntervalsRunOnMovieTime)
{
    // id = setInterval(function() { trace("tick " + getTimer()); }, 100);
    // setInterval(o, "m", 250, "arg"); setTimeout(function() { trace("once"); }, 50);
    Asm a;
    a.push("id").push(100);
    a.function("", {}, Asm().push("tick ").push(0, "getTimer").op(op::CallFunction).op(op::Add2).trace());
    a.push(2, "setInterval").op(op::CallFunction).op(op::SetVariable);
    a.push("o", "m").function("", {"x"}, Asm().push("m ").get("x").op(op::Add2).trace()).push(1)
        .op(op::InitObject).op(op::SetVariable);
    a.push("arg", 250, "m").get("o").push(4, "setInterval").op(op::CallFunction).op(op::Pop);
    a.push(50).function("", {}, Asm().push("once").trace()).push(2, "setTimeout").op(op::CallFunction).op(op::Pop);
    ASSERT_TRUE(run(a));
    for (int t = 0; t <= 360; t += 40) {
        player.timeMs = t;
        vm.runIntervals();
    }
    EXPECT_EQ(traced(), "once|tick 120|tick 200|m arg|tick 320");
    run(Asm().get("id").push(1, "clearInterval").op(op::CallFunction).op(op::Pop));
    player.timeMs = 1000;
    vm.runIntervals();
    EXPECT_EQ(traced(), "m arg");
    run(Asm().push(0, "getTimer").op(op::CallFunction).trace().op(op::GetTime).trace());
    EXPECT_EQ(traced(), "1000|1000");
}

// AsBroadcaster: removeListener takes out the last listener equal (==) to
// its argument, so null takes out an undefined listener; addListener first
// takes out an equal one and adds its own at the end.
TEST_F(Builtins, BroadcasterListenersCompareWithEquals)
{
    Asm a;
    a.push("b", 0).op(op::InitObject).op(op::SetVariable);
    a.get("b").get("AsBroadcaster").callMethod("initialize", 1).op(op::Pop);
    a.push(Undef{}).get("b").callMethod("addListener", 1).op(op::Pop);
    a.push(5).get("b").callMethod("addListener", 1).op(op::Pop);
    a.push("5").get("b").callMethod("addListener", 1).op(op::Pop);
    a.get("b").push("_listeners").op(op::GetMember).push("length").op(op::GetMember).trace();
    a.push(Null{}).get("b").callMethod("removeListener", 1).trace();
    a.get("b").push("_listeners").op(op::GetMember).push("length").op(op::GetMember).trace();
    a.get("b").push("_listeners").op(op::GetMember).push(0).op(op::GetMember).op(op::TypeOf).trace();
    EXPECT_TRUE(run(a, 7));
    EXPECT_EQ(traced(), "2|true|1|string");
}

} // namespace
} // namespace fotarel::swf::avm1::test
