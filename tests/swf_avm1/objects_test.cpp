// Objects, prototypes and classes, functions and their scopes, With and
// Try/Catch/Finally.

#include "tests/swf_avm1/vm_fixture.h"

namespace fotarel::swf::avm1::test {
namespace {

class Objects : public VmTest {};

// Three classes as an ActionScript 2 compiler emits them: constructors that
// call super(...), Extends, and methods that call super.method().
TEST_F(Objects, ClassChainWithSuperAndInstanceOf)
{
    Asm a;
    // function Animal(name) { this.name = name; }
    a.function2("Animal", 3, f2::PreloadThis, {{2, "name"}}, Asm().push(Reg{1}, "name", Reg{2}).op(op::SetMember));
    // Animal.prototype.speak = function() { return this.name + " speaks"; }
    a.get("Animal").push("prototype").op(op::GetMember).push("speak");
    a.function2("", 2, f2::PreloadThis, {},
                Asm().push(Reg{1}, "name").op(op::GetMember).push(" speaks").op(op::Add2).op(op::Return));
    a.op(op::SetMember);
    // class Dog extends Animal: super in a register.
    a.function2("Dog", 3, f2::PreloadSuper, {{2, "name"}},
                Asm().push(Reg{2}, 1, Reg{1}, Undef{}).op(op::CallMethod).op(op::Pop));
    a.get("Dog").get("Animal").op(op::Extends);
    a.get("Dog").push("prototype").op(op::GetMember).push("speak");
    a.function2("", 2, f2::PreloadSuper, {},
                Asm().push(0, Reg{1}, "speak").op(op::CallMethod).push(" (woof)").op(op::Add2).op(op::Return));
    a.op(op::SetMember);
    // class Puppy extends Dog: super as a variable.
    a.function2("Puppy", 3, 0, {{2, "name"}},
                Asm().push(Reg{2}, 1).get("super").push(Undef{}).op(op::CallMethod).op(op::Pop));
    a.get("Puppy").get("Dog").op(op::Extends);
    a.get("Puppy").push("prototype").op(op::GetMember).push("speak");
    a.function2("", 2, 0, {},
                Asm().push(0).get("super").push("speak").op(op::CallMethod).push(" (yip)").op(op::Add2).op(op::Return));
    a.op(op::SetMember);
    // p = new Puppy("Rex")
    a.push("p", "Rex", 1, "Puppy").op(op::NewObject).op(op::SetVariable);
    a.get("p").callMethod("speak", 0).trace();
    a.get("p").get("Animal").op(op::InstanceOf).trace();
    a.get("p").get("Array").op(op::InstanceOf).trace();
    a.get("Animal").get("p").op(op::CastOp).push("name").op(op::GetMember).trace();
    a.get("Array").get("p").op(op::CastOp).trace();
    EXPECT_TRUE(run(a, 7));
    EXPECT_EQ(traced(), "Rex speaks (woof) (yip)|true|false|Rex|null");
    EXPECT_TRUE(player.errors.isEmpty()) << player.errors.join('\n').toStdString();
}

TEST_F(Objects, DefineFunction2PreloadsRegistersAndParameters)
{
    // function f(a, b): this, arguments, _root and _global preloaded into
    // registers 1-4, a in register 5, b a local variable. Preloaded
    // `arguments` is only in its register; `this` by name is then the
    // timeline's clip (here the root, which is also this).
    const Asm body = Asm()
                         .push(Reg{2}, "length").op(op::GetMember).trace()
                         .push(Reg{5}).trace()
                         .get("b").trace()
                         .push(Reg{3}).op(op::TargetPath).trace()
                         .push(Reg{4}).get("_global").op(op::StrictEquals).trace()
                         .get("arguments").op(op::TypeOf).trace()
                         .push(Reg{1}).get("this").op(op::StrictEquals).trace();
    Asm a;
    a.function2("f", 6, f2::PreloadThis | f2::PreloadArguments | f2::PreloadRoot | f2::PreloadGlobal,
                {{5, "a"}, {0, "b"}}, body);
    a.push(30, 20, 10).call("f", 3).op(op::Pop);
    EXPECT_TRUE(run(a));
    EXPECT_EQ(traced(), "3|10|20|_level0|true|undefined|true");
}

TEST_F(Objects, ClosuresKeepTheirOwnActivation)
{
    // function makeCounter() { var n = 0; return function() { n = n + 1; return n; }; }
    const Asm inner = Asm().push("n").get("n").push(1).op(op::Add2).op(op::SetVariable).get("n").op(op::Return);
    const Asm outer = Asm().push("n", 0).op(op::DefineLocal).function("", {}, inner).op(op::Return);
    Asm a;
    a.function("makeCounter", {}, outer);
    a.push("c1").call("makeCounter", 0).op(op::SetVariable);
    a.push("c2").call("makeCounter", 0).op(op::SetVariable);
    a.call("c1", 0).op(op::Pop).call("c1", 0).op(op::Pop);
    a.call("c1", 0).trace().call("c2", 0).trace();
    a.get("n").op(op::TypeOf).trace();
    EXPECT_TRUE(run(a, 5));
    EXPECT_EQ(traced(), "3|1|undefined");
}

TEST_F(Objects, WithResolvesNamesOnTheObjectFirst)
{
    // o = {x: 1}; with (o) { x = 5; y = 7; } trace(o.x); trace(typeof o.y); trace(y);
    Asm a;
    a.push("o", "x", 1, 1).op(op::InitObject).op(op::SetVariable);
    a.get("o").with(Asm().set("x", 5).set("y", 7).get("x").trace());
    a.get("o").push("x").op(op::GetMember).trace();
    a.get("o").push("y").op(op::GetMember).op(op::TypeOf).trace();
    a.get("y").trace();
    EXPECT_TRUE(run(a));
    EXPECT_EQ(traced(), "5|5|undefined|7");
}

TEST_F(Objects, TryCatchFinallyAcrossCallsAndReturns)
{
    Asm a;
    a.function("thrower", {"v"}, Asm().get("v").op(op::Throw));
    // try { thrower("boom"); trace("not here"); } catch (e) { trace("caught " + e); } finally { trace("finally"); }
    const Asm tryBody = Asm().push("boom").call("thrower", 1).op(op::Pop).push("not here").trace();
    const Asm catchBody = Asm().push("caught ").get("e").op(op::Add2).trace();
    const Asm finallyBody = Asm().push("finally").trace();
    a.tryBlock(tryBody, "e", &catchBody, &finallyBody);
    // function early() { try { return "from try"; } finally { trace("cleanup"); } }
    const Asm cleanup = Asm().push("cleanup").trace();
    a.function("early", {}, Asm().tryBlock(Asm().push("from try").op(op::Return), "", nullptr, &cleanup)
                                .push("after").op(op::Return));
    a.call("early", 0).trace();
    // try { try { throw "inner"; } finally { trace("inner finally"); } } catch (r2) { trace("outer " + r2); }
    const Asm innerFinally = Asm().push("inner finally").trace();
    const Asm inner = Asm().tryBlock(Asm().push("inner").op(op::Throw), "", nullptr, &innerFinally);
    const Asm outerCatch = Asm().push("outer ").push(Reg{2}).op(op::Add2).trace();
    a.tryBlock(inner, "", &outerCatch, nullptr, 2);
    // No exception: the catch block is skipped.
    const Asm unused = Asm().push("unused catch").trace();
    a.tryBlock(Asm().push("quiet").trace(), "e", &unused, nullptr);
    EXPECT_TRUE(run(a));
    EXPECT_EQ(traced(), "caught boom|finally|cleanup|from try|inner finally|outer inner|quiet");

    // An uncaught throw ends the run; the log says so as the Flash Player's does.
    EXPECT_FALSE(run(Asm().push("oops").op(op::Throw).push("after").trace()));
    EXPECT_EQ(traced(), "Warning: Uncaught exception, oops");
    ASSERT_EQ(player.errors.size(), 1);
    EXPECT_TRUE(player.errors[0].contains("uncaught exception: oops"));
}

TEST_F(Objects, ThisBelongsToTheRunningCode)
{
    // `this = "test"` changes the running script's this, not a variable.
    EXPECT_TRUE(run(Asm().push("this", "test").op(op::SetVariable).get("this").trace()));
    EXPECT_TRUE(run(Asm().get("this").trace()));
    EXPECT_EQ(traced(), "test|_level0");
    // A DefineFunction2 with `this` in a register: by name it is nothing in
    // SWF 5 and the timeline's clip from SWF 6.
    Asm a;
    a.function2("f", 2, f2::PreloadThis, {}, Asm().get("this").op(op::TypeOf).trace());
    a.call("f", 0).op(op::Pop);
    EXPECT_TRUE(run(a, 5));
    EXPECT_TRUE(run(a, 7));
    EXPECT_EQ(traced(), "undefined|movieclip");
}

TEST_F(Objects, PropertiesEnumerateDeleteAndAccessors)
{
    Asm a;
    // o = {a: 1, b: 2}; for (k in o) trace(k); (the pairs are defined last
    // first and listed newest first: in source order)
    a.push("o", "a", 1, "b", 2, 2).op(op::InitObject).op(op::SetVariable);
    a.get("o").op(op::Enumerate2);
    a.label("loop").storeRegister(0).push(Null{}).op(op::Equals2).ifTrue("end");
    a.push(Reg{0}).trace().jump("loop");
    a.label("end");
    // delete o.a; trace(typeof o.a);
    a.get("o").push("a").op(op::Delete).trace();
    a.get("o").push("a").op(op::GetMember).op(op::TypeOf).trace();
    // o.addProperty("v", function() { return this._v * 2; }, function(x) { this._v = x; }); o.v = 4;
    a.function2("", 2, f2::PreloadThis, {{2, "x"}}, Asm().push(Reg{1}, "_v", Reg{2}).op(op::SetMember));
    a.function2("", 2, f2::PreloadThis, {},
                Asm().push(Reg{1}, "_v").op(op::GetMember).push(2).op(op::Multiply).op(op::Return));
    a.push("v", 3).get("o").push("addProperty").op(op::CallMethod).op(op::Pop);
    a.get("o").push("v", 4).op(op::SetMember);
    a.get("o").push("v").op(op::GetMember).trace();
    EXPECT_TRUE(run(a));
    EXPECT_EQ(traced(), "a|b|true|undefined|8");

    // A __proto__ cycle can be made, as in the Flash Player; a lookup that
    // runs around it ends the script instead of looping.
    Asm cycle;
    cycle.push("o").push(0).op(op::InitObject).op(op::SetVariable);
    cycle.get("o").push("__proto__").get("o").op(op::SetMember);
    cycle.get("o").push("missing").op(op::GetMember).trace();
    cycle.push("not reached").trace();
    EXPECT_FALSE(run(cycle));
    EXPECT_EQ(traced(), "");
    EXPECT_TRUE(player.errors.last().contains("prototype chain")) << player.errors.last().toStdString();
}

// __proto__ keeps whatever a script stores; only an object is a prototype.
TEST_F(Objects, ProtoHoldsAnyValue)
{
    const Asm setup = Asm().push("o", 0).op(op::InitObject).op(op::SetVariable);
    const Asm proto = Asm().get("o").push("__proto__").op(op::GetMember);
    const struct {
        const char* what;
        Asm program;
        int version;
        const char* expected;
    } cases[] = {
        {"a number", Asm().get("o").push("__proto__", 123).op(op::SetMember).append(proto).trace()
                         .get("o").push("toString").op(op::GetMember).op(op::TypeOf).trace(),
         7, "123|undefined"},
        {"deleted", Asm().get("o").push("__proto__").op(op::Delete).trace().append(proto).op(op::TypeOf).trace(),
         7, "true|undefined"},
        {"no letter case before SWF 7", Asm().get("o").push("__PROTO__").op(op::GetMember).op(op::TypeOf).trace(),
         6, "object"},
        {"letter case from SWF 7", Asm().get("o").push("__PROTO__").op(op::GetMember).op(op::TypeOf).trace(),
         7, "undefined"},
        {"Function(x) is x", Asm().get("o").push(1, "Function").op(op::CallFunction).get("o")
                                 .op(op::StrictEquals).trace(),
         7, "true"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(run(Asm().append(setup).append(c.program), c.version)) << c.what;
        EXPECT_EQ(traced(), QString::fromUtf8(c.expected)) << c.what;
    }
}

// A watch sees the stored old value (a getter is not asked) and is called
// again for its own assignments, up to 64 levels deep.
TEST_F(Objects, WatchesSeeStoredValuesAndRecurseBoundedly)
{
    Asm a;
    // o = {x: 3}; o.addProperty("x", function() { trace("get"); }, function(v) {});
    a.push("o", "x", 3, 1).op(op::InitObject).op(op::SetVariable);
    a.function("", {"v"}, Asm());
    a.function("", {}, Asm().push("get").trace());
    a.push("x", 3).get("o").push("addProperty").op(op::CallMethod).op(op::Pop);
    // o.watch("x", function(p, old, nv) { trace(old); return nv; }); o.x = 4;
    a.push(Undef{});
    a.function("", {"p", "old", "nv"}, Asm().get("old").trace().get("nv").op(op::Return));
    a.push("x", 3).get("o").push("watch").op(op::CallMethod).op(op::Pop);
    a.get("o").push("x", 4).op(op::SetMember);
    // n = 0; q = {}; q.watch("y", function() { n++; q.y = 1; return 2; }); q.y = 0; trace(n);
    a.set("n", 0).push("q", 0).op(op::InitObject).op(op::SetVariable);
    a.push(Undef{});
    a.function("", {}, Asm().push("n").get("n").op(op::Increment).op(op::SetVariable)
                          .get("q").push("y", 1).op(op::SetMember).push(2).op(op::Return));
    a.push("y", 3).get("q").push("watch").op(op::CallMethod).op(op::Pop);
    a.get("q").push("y", 0).op(op::SetMember);
    a.get("n").trace().get("q").push("y").op(op::GetMember).trace();
    EXPECT_TRUE(run(a, 7));
    EXPECT_EQ(traced(), "3|65|2");
}

// A getter or setter that uses its own property runs 65 levels deep; the
// innermost read gets the stored value and the innermost write stores, and
// the run goes on.
TEST_F(Objects, AccessorsUsingTheirOwnPropertyEnd)
{
    Asm a;
    a.set("n", 0).set("m", 0).push("o", 0).op(op::InitObject).op(op::SetVariable);
    // o.addProperty("k", function() { m++; return this.k; }, function(v) { n++; this.k = v + 1; });
    a.function2("", 3, f2::PreloadThis, {{2, "v"}},
                Asm().push("n").get("n").op(op::Increment).op(op::SetVariable)
                    .push(Reg{1}, "k", Reg{2}).op(op::Increment).op(op::SetMember));
    a.function2("", 2, f2::PreloadThis, {},
                Asm().push("m").get("m").op(op::Increment).op(op::SetVariable)
                    .push(Reg{1}, "k").op(op::GetMember).op(op::Return));
    a.push("k", 3).get("o").push("addProperty").op(op::CallMethod).op(op::Pop);
    a.get("o").push("k", 0).op(op::SetMember);
    a.get("n").trace();
    // The stored value the innermost setter wrote: 65 increments of 0.
    a.get("o").push("k").op(op::GetMember).trace().get("m").trace();
    a.push("after").trace();
    EXPECT_TRUE(run(a, 7));
    EXPECT_EQ(traced(), "65|65|65|after");
    EXPECT_TRUE(player.errors.isEmpty()) << player.errors.join('\n').toStdString();
}

// `v instanceof C`: only an object is an instance (C is then not even made
// an object); C's own `prototype` is read as stored, without its getter;
// a primitive prototype is no prototype of anything.
TEST_F(Objects, InstanceOfReadsTheClassOwnPrototype)
{
    Asm a;
    a.push("s").get("String").op(op::InstanceOf).trace();
    a.push("s", 1, "String").op(op::NewObject).get("String").op(op::InstanceOf).trace();
    // k = {prototype: Object.prototype}; ({}) instanceof k
    a.push("k", "prototype").get("Object").push("prototype").op(op::GetMember).push(1).op(op::InitObject)
        .op(op::SetVariable);
    a.push(0).op(op::InitObject).get("k").op(op::InstanceOf).trace();
    // g.addProperty("prototype", function() { trace("getter"); return Object.prototype; }, null)
    a.push("g", 0).op(op::InitObject).op(op::SetVariable);
    a.push(Null{});
    a.function("", {}, Asm().push("getter").trace().get("Object").push("prototype").op(op::GetMember)
                           .op(op::Return));
    a.push("prototype", 3).get("g").push("addProperty").op(op::CallMethod).op(op::Pop);
    a.push(0).op(op::InitObject).get("g").op(op::InstanceOf).trace();
    // An inherited prototype does not count: i = {__proto__: k}
    a.push("i", 0).op(op::InitObject).op(op::SetVariable).get("i").push("__proto__").get("k").op(op::SetMember);
    a.push(0).op(op::InitObject).get("i").op(op::InstanceOf).trace();
    // A primitive prototype: {__proto__: "p"} instanceof {prototype: "p"}
    a.push("o", 0).op(op::InitObject).op(op::SetVariable).get("o").push("__proto__", "p").op(op::SetMember);
    a.get("o").push("prototype", "p", 1).op(op::InitObject).op(op::InstanceOf).trace();
    EXPECT_TRUE(run(a, 8));
    EXPECT_EQ(traced(), "false|true|true|false|false|false");
}

// A string, number or boolean becomes an object through the constructor
// _global holds at that moment: member reads, script methods, Object(x),
// call() and apply() all make it so. call() with undefined, or with a value
// no constructor takes, runs on _global.
TEST_F(Objects, PrimitivesBecomeObjectsThroughTheCurrentConstructor)
{
    Asm a;
    // Number.prototype.kind = function() { return typeof this; }
    a.get("Number").push("prototype").op(op::GetMember).push("kind");
    a.function2("", 2, f2::PreloadThis, {}, Asm().push(Reg{1}).op(op::TypeOf).op(op::Return));
    a.op(op::SetMember);
    a.push(5).callMethod("kind", 0).trace();
    a.push(5, 1, "Object").op(op::CallFunction).op(op::TypeOf).trace();
    // _global.Number = function(v) { trace("made " + v); this.tag = "mine"; }
    a.get("_global").push("Number");
    a.function2("", 3, f2::PreloadThis, {{2, "v"}},
                Asm().push("made ", Reg{2}).op(op::Add2).trace().push(Reg{1}, "tag", "mine").op(op::SetMember));
    a.op(op::SetMember);
    a.push(7).push("tag").op(op::GetMember).trace();
    a.push(0, 8, Undef{}).op(op::CallMethod).op(op::Pop); // (8)(): made, then nothing
    // _global.Boolean = 3: a boolean has no members, call(true) runs on _global.
    a.get("_global").push("Boolean", 3).op(op::SetMember);
    a.push(true).push("toString").op(op::GetMember).op(op::TypeOf).trace();
    a.function2("who", 2, f2::PreloadThis, {},
                Asm().push(Reg{1}).get("_global").op(op::StrictEquals).op(op::Return));
    a.push(true, 1).get("who").push("call").op(op::CallMethod).trace();
    a.push(Undef{}, 1).get("who").push("call").op(op::CallMethod).trace();
    EXPECT_TRUE(run(a, 8));
    EXPECT_EQ(traced(), "object|object|made 7|mine|made 8|undefined|true|true");
    EXPECT_TRUE(player.errors.isEmpty()) << player.errors.join('\n').toStdString();
}

// A built-in class called as the super constructor makes `this` its
// instance: a Number subclass holds its number, an Array subclass is an
// array.
TEST_F(Objects, BuiltInSuperConstructorsMakeThisTheirInstance)
{
    Asm a;
    a.function2("N", 3, f2::PreloadSuper, {{2, "v"}}, Asm().push(Reg{2}, 1, Reg{1}, Undef{}).op(op::CallMethod).op(op::Pop));
    a.get("N").get("Number").op(op::Extends);
    a.function2("L", 3, f2::PreloadSuper, {{2, "v"}}, Asm().push(Reg{2}, 1, Reg{1}, Undef{}).op(op::CallMethod).op(op::Pop));
    a.get("L").get("Array").op(op::Extends);
    a.push("n", 5, 1, "N").op(op::NewObject).op(op::SetVariable);
    a.get("n").push(1).op(op::Add2).trace();
    a.push("l", "x", 1, "L").op(op::NewObject).op(op::SetVariable);
    a.push("y").get("l").callMethod("push", 1).op(op::Pop);
    a.get("l").push("length").op(op::GetMember).trace();
    EXPECT_TRUE(run(a, 8));
    EXPECT_EQ(traced(), "6|2");
}

// `super` is found again from `this` at each use, as many __proto__ links
// up as the method was found when called: a method that gives `this` a new
// __proto__ reaches the new class's constructor.
TEST_F(Objects, SuperFollowsAReplacedProto)
{
    Asm body;
    body.get("this").push("__proto__", "__proto__").get("Number").push("prototype").op(op::GetMember)
        .push("__constructor__").get("Number").push(2).op(op::InitObject).op(op::SetMember);
    body.push(7, 1, "super").op(op::CallFunction).op(op::Pop);
    Asm a;
    a.function("T", {}, Asm());
    a.get("T").push("prototype").op(op::GetMember).push("make");
    a.function("", {}, body);
    a.op(op::SetMember);
    a.push("t", 0, "T").op(op::NewObject).op(op::SetVariable);
    a.get("t").callMethod("make", 0).op(op::Pop);
    a.get("t").push(1).op(op::Add2).trace();
    a.get("t").get("Number").op(op::InstanceOf).trace();
    EXPECT_TRUE(run(a, 7));
    EXPECT_EQ(traced(), "8|true");
}

// A function called by name runs on the clip whose variable holds it; one
// held by a local variable runs on the locals before SWF 7 and with no
// `this` from SWF 7.
TEST_F(Objects, ThisOfAFunctionHeldByALocal)
{
    const Asm typeOfThis = Asm().get("this").op(op::TypeOf).op(op::Return);
    Asm a;
    a.function("outer", {}, Asm().push("f").function("", {}, typeOfThis).op(op::DefineLocal)
                                .push(0, "f").op(op::CallFunction).op(op::Return));
    a.function("g", {}, typeOfThis);
    a.push(0, "outer").op(op::CallFunction).trace();
    a.push(0, "g").op(op::CallFunction).trace();
    const struct {
        int version;
        const char* expected;
    } cases[] = {{5, "object|movieclip"}, {6, "object|movieclip"}, {7, "undefined|movieclip"}, {8, "undefined|movieclip"}};
    for (const auto& c : cases) {
        EXPECT_TRUE(run(a, c.version));
        EXPECT_EQ(traced(), c.expected) << c.version;
    }
}

// arguments.caller is the function that called this one, null when a frame
// script did.
TEST_F(Objects, ArgumentsCallerIsTheCallingFunction)
{
    Asm a;
    a.function("inner", {}, Asm().get("arguments").push("caller").op(op::GetMember).op(op::Return));
    a.function("outer", {}, Asm().push(0, "inner").op(op::CallFunction).get("outer").op(op::StrictEquals)
                                .op(op::Return));
    a.push(0, "inner").op(op::CallFunction).op(op::TypeOf).trace();
    a.push(0, "inner").op(op::CallFunction).push(Null{}).op(op::StrictEquals).trace();
    a.push(0, "outer").op(op::CallFunction).trace();
    for (int version : {6, 8}) {
        EXPECT_TRUE(run(a, version));
        EXPECT_EQ(traced(), "null|true|true") << version;
    }
}

} // namespace
} // namespace fotarel::swf::avm1::test
