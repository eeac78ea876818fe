// Color and the flash.geom classes as scripts see them on a placed clip:
// what a colour transform keeps, how Transform reads and changes its clip,
// and the arithmetic of Matrix and Rectangle.
#include "swf_builder.h"
#include "traced_player.h"

#include <gtest/gtest.h>

using swftest::Actions;
using swftest::Place;

namespace {

enum Op {
    Pop = 0x17, GetVariable = 0x1c, SetVariable = 0x1d, Trace = 0x26, NewObject = 0x40, InitObject = 0x43,
    GetMember = 0x4e, SetMember = 0x4f, CallMethod = 0x52, NewMethod = 0x53
};

// One frame: an empty sprite placed as "mc", then the script.
QStringList run(const Actions& script)
{
    swftest::Movie empty;
    empty.showFrame();
    swftest::Movie m;
    m.tag(39, swftest::defineSprite(10, empty));
    Place mc;
    mc.characterId = 10;
    mc.name = "mc";
    m.tag(26, swftest::placeObject2(mc));
    m.tag(12, script.finish());
    m.showFrame();
    return swftest::tracesOf(m.finish(), "/tmp/geom.swf");
}

// Leaves `new flash.geom.NAME(args)` on the stack.
Actions& newGeom(Actions& a, const char* name, std::initializer_list<int> args)
{
    for (auto it = std::rbegin(args); it != std::rend(args); ++it)
        a.push(*it);
    return a.push(int(args.size())).push("flash").op(GetVariable).push("geom").op(GetMember).push(name).op(NewMethod);
}

// Leaves `variable.method(args)` (numbers) on the stack.
Actions& call(Actions& a, const char* variable, const char* method, std::initializer_list<int> args)
{
    for (auto it = std::rbegin(args); it != std::rend(args); ++it)
        a.push(*it);
    return a.push(int(args.size())).push(variable).op(GetVariable).push(method).op(CallMethod);
}

// c = new Color(mc)
Actions& newColor(Actions& a)
{
    return a.push("c").push("mc").op(GetVariable).push(1).push("Color").op(NewObject).op(SetVariable);
}

// c.setTransform({field: value, ...})
Actions& setTransform(Actions& a, std::initializer_list<std::pair<const char*, int>> fields)
{
    for (const auto& [field, value] : fields)
        a.push(field).push(value);
    a.push(int(fields.size())).op(InitObject);
    return a.push(1).push("c").op(GetVariable).push("setTransform").op(CallMethod).op(Pop);
}

} // namespace

TEST(SwfColor, TransformFieldsAreKeptAsSigned16BitNumbers)
{
    // Multipliers are 8.8 fixed point (percent * 2.56, cut toward zero),
    // offsets whole numbers; both wrap around past 16 bits.
    struct Case {
        const char* field;
        int value;
        const char* readBack;
    } const cases[] = {
        {"aa", 1, "0.78125"},   {"ra", 12800, "-12800"}, {"ga", -99999, "2401.171875"},
        {"rb", 65546, "10"},    {"gb", -32832, "32704"}, {"bb", 25, "25"},
        {"ba", 50, "50"},
    };
    for (const Case& c : cases) {
        Actions a;
        newColor(a);
        setTransform(a, {{c.field, c.value}});
        call(a, "c", "getTransform", {}).push(c.field).op(GetMember).op(Trace);
        EXPECT_EQ(run(a), QStringList{c.readBack}) << c.field << " = " << c.value;
    }
}

TEST(SwfColor, RgbCombinesSignedOffsetsAndInheritedFieldsAreNotRead)
{
    Actions a;
    newColor(a);
    setTransform(a, {{"rb", -50}, {"gb", -25}, {"bb", 25}});
    call(a, "c", "getRGB", {}).op(Trace);
    // A field on Object.prototype is not the transform object's own.
    a.push("Object").op(GetVariable).push("prototype").op(GetMember).push("ab").push(-66).op(SetMember);
    setTransform(a, {{"aa", 50}});
    call(a, "c", "getTransform", {}).push("ab").op(GetMember).op(Trace);
    // setRGB replaces the colour and keeps alpha.
    call(a, "c", "setRGB", {0x336699}).op(Pop);
    call(a, "c", "getRGB", {}).op(Trace);
    call(a, "c", "getTransform", {}).push("aa").op(GetMember).op(Trace);
    call(a, "c", "getTransform", {}).push("ra").op(GetMember).op(Trace);
    EXPECT_EQ(run(a), (QStringList{"-6375", "0", "3368601", "50", "0"}));
}

TEST(SwfGeom, TransformReadsAndChangesItsClip)
{
    Actions a;
    // t = mc.transform; ct = t.colorTransform; ct.redOffset = 100
    a.push("t").push("mc").op(GetVariable).push("transform").op(GetMember).op(SetVariable);
    a.push("ct").push("t").op(GetVariable).push("colorTransform").op(GetMember).op(SetVariable);
    a.push("ct").op(GetVariable).push("redOffset").push(100).op(SetMember);
    // A read answers a copy: the clip is unchanged until it is assigned.
    a.push("mc").op(GetVariable).push("transform").op(GetMember).push("colorTransform").op(GetMember)
        .push("redOffset").op(GetMember).op(Trace);
    a.push("t").op(GetVariable).push("colorTransform").push("ct").op(GetVariable).op(SetMember);
    newColor(a);
    call(a, "c", "getTransform", {}).push("rb").op(GetMember).op(Trace);
    // The matrix is in pixels; assigning it moves and scales the clip.
    a.push("t").op(GetVariable).push("matrix");
    newGeom(a, "Matrix", {2, 0, 0, 3, 30, 40}).op(SetMember);
    a.push("mc").op(GetVariable).push("_x").op(GetMember).op(Trace);
    a.push("mc").op(GetVariable).push("_yscale").op(GetMember).op(Trace);
    a.push("t").op(GetVariable).push("matrix").op(GetMember).op(Trace);
    EXPECT_EQ(run(a), (QStringList{"0", "100", "30", "300", "(a=2, b=0, c=0, d=3, tx=30, ty=40)"}));
}

TEST(SwfGeom, MatrixAndRectangleArithmetic)
{
    Actions a;
    QStringList want;
    a.push("m");
    newGeom(a, "Matrix", {2, 3, 5, 7, 9, 11}).op(SetVariable);
    call(a, "m", "invert", {}).op(Pop);
    a.push("m").op(GetVariable).op(Trace);
    want << "(a=-7, b=3, c=5, d=-2, tx=8, ty=-5)";
    // scale after the matrix: the translation scales too.
    a.push("m");
    newGeom(a, "Matrix", {2, 0, 0, 2, 100, 100}).op(SetVariable);
    call(a, "m", "scale", {7, 11}).op(Pop);
    a.push("m").op(GetVariable).op(Trace);
    want << "(a=14, b=0, c=0, d=22, tx=700, ty=1100)";
    a.push("r");
    newGeom(a, "Rectangle", {0, 0, 10, 10}).op(SetVariable);
    a.push("s");
    newGeom(a, "Rectangle", {5, 5, 10, 10}).op(SetVariable);
    a.push("s").op(GetVariable).push(1).push("r").op(GetVariable).push("union").op(CallMethod).op(Trace);
    want << "(x=0, y=0, w=15, h=15)";
    a.push("s").op(GetVariable).push(1).push("r").op(GetVariable).push("intersection").op(CallMethod).op(Trace);
    want << "(x=5, y=5, w=5, h=5)";
    // Moving the left edge keeps the right one.
    a.push("r").op(GetVariable).push("left").push(4).op(SetMember);
    a.push("r").op(GetVariable).op(Trace);
    want << "(x=4, y=0, w=6, h=10)";
    call(a, "r", "contains", {10, 5}).op(Trace);
    want << "false";
    EXPECT_EQ(run(a), want);
}
