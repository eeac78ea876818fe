// Clip geometry as scripts ask for it: getBounds, hitTest, localToGlobal and
// globalToLocal, getInstanceAtDepth, and the names of unnamed clips.
#include "swf_builder.h"
#include "traced_player.h"

#include "swf/player.h"

#include <gtest/gtest.h>

using namespace fotarel::swf;
using swftest::Actions;
using swftest::Place;

namespace {

enum Op { GetVariable = 0x1c, Trace = 0x26, InitObject = 0x43, GetMember = 0x4e, CallMethod = 0x52, Dup = 0x4c };

// Pushes `object.method(args)` (args pushed by the caller, last first).
Actions& call(Actions& a, const char* object, const char* method, int argCount)
{
    return a.push(argCount).push(object).op(GetVariable).push(method).op(CallMethod);
}

// Root (SWF 8): the sprite "box" at (50, 0) scaled twice holds two 20 px
// squares at x 10..30 and 50..70 of its own, so its bounds have a gap
// between the squares. A shape sits at depth 1, "box" at depth 2 and an
// unnamed copy of the sprite at depth 3, away from the others.
QByteArray geometryMovie(const QByteArray& script)
{
    swftest::Movie inner;
    Place left;
    left.depth = 1;
    left.characterId = 1;
    left.hasMatrix = true;
    left.matrixBytes = swftest::matrix(1, 0, 0, 1, 200, 0);
    inner.tag(26, swftest::placeObject2(left));
    Place right = left;
    right.depth = 2;
    right.matrixBytes = swftest::matrix(1, 0, 0, 1, 1000, 0);
    inner.tag(26, swftest::placeObject2(right));
    inner.showFrame();

    swftest::Movie m;
    m.width = 400;
    m.height = 300;
    m.tag(2, swftest::rectShape(1, 1, swftest::solidFill(255, 0, 0, 255, false), 0, 0, 400, 400));
    m.tag(39, swftest::defineSprite(10, inner));
    Place shape;
    shape.depth = 1;
    shape.characterId = 1;
    m.tag(26, swftest::placeObject2(shape));
    Place box;
    box.depth = 2;
    box.characterId = 10;
    box.name = "box";
    box.hasMatrix = true;
    box.matrixBytes = swftest::matrix(2, 0, 0, 2, 1000, 0);
    m.tag(26, swftest::placeObject2(box));
    Place unnamed;
    unnamed.depth = 3;
    unnamed.characterId = 10;
    unnamed.hasMatrix = true;
    unnamed.matrixBytes = swftest::matrix(1, 0, 0, 1, 6000, 4000);
    m.tag(26, swftest::placeObject2(unnamed));
    m.tag(12, script);
    m.showFrame();
    return m.finish();
}

QStringList run(const Actions& script)
{
    return swftest::tracesOf(geometryMovie(script.finish()), "/tmp/geometry.swf");
}

} // namespace

TEST(SwfClipGeometry, BoundsInOwnAndOtherCoordinates)
{
    Actions a;
    for (const char* field : {"xMin", "xMax", "yMin", "yMax"})
        call(a, "box", "getBounds", 0).push(field).op(GetMember).op(Trace);
    for (const char* field : {"xMin", "xMax", "yMin", "yMax"}) {
        a.push("_root").op(GetVariable);
        call(a, "box", "getBounds", 1).push(field).op(GetMember).op(Trace);
    }
    // A target that is no clip gives undefined; an empty clip the largest twips value.
    a.push("nowhere");
    call(a, "box", "getBounds", 1).op(Trace);
    a.push(7).push("empty");
    call(a, "_root", "createEmptyMovieClip", 2).op(0x17);
    call(a, "empty", "getBounds", 0).push("xMin").op(GetMember).op(Trace);
    EXPECT_EQ(run(a), (QStringList{"10", "70", "0", "20", "70", "190", "0", "40", "undefined", "6710886.4"}));
}

TEST(SwfClipGeometry, HitTestByBoundsOrByShape)
{
    // Root pixels: the squares of "box" cover x 70..110 and 150..190, y 0..40.
    struct Case {
        int x, y;
        bool shapeFlag;
        const char* hit;
    } const cases[] = {
        {80, 20, true, "true"},    // on the left square
        {130, 20, true, "false"},  // in the gap between the squares
        {130, 20, false, "true"},  // the gap is inside the bounds
        {200, 20, false, "false"}, // right of the bounds
        {170, 39, true, "true"},   // on the right square, near its edge
    };
    Actions a;
    QStringList want;
    for (const Case& c : cases) {
        a.push(c.shapeFlag ? 1 : 0).push(c.y).push(c.x);
        call(a, "box", "hitTest", 3).op(Trace);
        want << c.hit;
    }
    // Against another clip: the shape at depth 1 covers root 0..20, away from "box".
    a.push("box").op(GetVariable);
    call(a, "box", "hitTest", 1).op(Trace);
    want << "true";
    EXPECT_EQ(run(a), want);
}

TEST(SwfClipGeometry, PointsMapBetweenClipAndStage)
{
    Actions a;
    // p = {x: 5, y: 10}; box.localToGlobal(p) -> (60, 20); box.globalToLocal(p) -> back.
    a.push("p").push("x").push(5).push("y").push(10).push(2).op(InitObject).op(0x1d);
    for (const char* method : {"localToGlobal", "globalToLocal"}) {
        a.push("p").op(GetVariable);
        call(a, "box", method, 1).op(0x17);
        for (const char* field : {"x", "y"})
            a.push("p").op(GetVariable).push(field).op(GetMember).op(Trace);
    }
    EXPECT_EQ(run(a), (QStringList{"60", "20", "5", "10"}));
}

TEST(SwfClipGeometry, DepthLookupAndDefaultNames)
{
    Actions a;
    // Depth 2 holds "box"; depth 1 a shape, which its clip answers for;
    // depth 3 the unnamed sprite, named by the player; depth 4 nothing.
    for (int depth : {-16382, -16383, -16381, -16380}) {
        a.push(depth);
        call(a, "_root", "getInstanceAtDepth", 1).op(Trace);
    }
    EXPECT_EQ(run(a), (QStringList{"_level0.box", "_level0", "_level0.instance1", "undefined"}));
}

TEST(SwfClipGeometry, ScaleAndRotationReadBackAsScriptsWroteThem)
{
    // "box" is placed with the matrix scale 2, 2. Each row sets one property
    // (a value or an undefined variable) and traces one.
    struct Row {
        const char* set;
        int value; // used unless `undefinedValue`
        bool undefinedValue;
        const char* read;
        const char* want;
    } const rows[] = {
        {"_xscale", -50, false, "_xscale", "-50"},  // a negative scale reads back negative
        {"_yscale", 300, false, "_xscale", "-50"},
        {"_rotation", 90, false, "_xscale", "-50"}, // rotating keeps the flip
        {"_xscale", 0, false, "_rotation", "90"},   // a zero scale keeps the rotation
        {"_xscale", 100, false, "_rotation", "90"},
        {"_x", 0, true, "_x", "50"},                // undefined leaves a property as it is
        {"_visible", 0, true, "_visible", "true"},
        {"_visible", 0, false, "_visible", "false"},
    };
    Actions a;
    QStringList want;
    for (const Row& r : rows) {
        a.push("box").op(GetVariable).push(r.set);
        if (r.undefinedValue)
            a.push("noSuchVariable").op(GetVariable);
        else
            a.push(r.value);
        a.op(0x4f); // SetMember
        a.push("box").op(GetVariable).push(r.read).op(GetMember).op(Trace);
        want << r.want;
    }
    EXPECT_EQ(run(a), want);
}
