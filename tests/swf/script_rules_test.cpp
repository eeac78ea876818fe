// Rules of the Flash Player that scripts see through the player: positions in
// whole twips, the display list a backward jump rebuilds, references to clips
// that are gone, variable paths and local file names.

#include "swf_builder.h"
#include "traced_player.h"

#include "tests/swf_avm1/assembler.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

namespace op = fotarel::swf::avm1::op;
using fotarel::swf::avm1::test::Asm;

// A one-frame movie of the given version running `script`.
QByteArray scriptMovie(int version, const Asm& script)
{
    swftest::Movie m;
    m.version = version;
    m.tag(12, script.bytes());
    m.showFrame();
    return m.finish();
}

swftest::Place at(int depth, int id)
{
    swftest::Place p;
    p.depth = depth;
    p.characterId = id;
    return p;
}

// _x, _y and a text field's _width keep whole twips, cut toward zero: 3.94
// reads back as 3.9 (not the nearest 3.95), -2.94 as -2.9. The same in
// every version.
TEST(SwfScriptRules, PositionsKeepWholeTwipsCutTowardZero)
{
    Asm a;
    a.push(1, "c").get("_root").callMethod("createEmptyMovieClip", 2).op(op::Pop);
    a.get("c").push("_x", 3.94).op(op::SetMember).get("c").push("_x").op(op::GetMember).trace();
    a.get("c").push("_y", -2.94).op(op::SetMember).get("c").push("_y").op(op::GetMember).trace();
    a.get("c").push("_x", 2.1).op(op::SetMember).get("c").push("_x").op(op::GetMember).trace();
    a.push(10, 10, 0, 0, 2, "t").get("_root").callMethod("createTextField", 6).op(op::Pop);
    a.get("t").push("_width", 3.94).op(op::SetMember).get("t").push("_width").op(op::GetMember).trace();
    for (int version : {6, 8})
        EXPECT_EQ(swftest::tracesOf(scriptMovie(version, a)), (QStringList{"3.9", "-2.9", "2.1", "3.9"})) << version;
}

// Going back to a frame rebuilds the display list it has: an object placed
// there (or before) stays, one the timeline placed after it is made again,
// even of the same character at the same depth. The target frame's script
// and the objects it places start in the order of its tags.
TEST(SwfScriptRules, RewindRemakesObjectsPlacedAfterTheTarget)
{
    swftest::Movie child;
    child.tag(12, swftest::traceScript("child"));
    child.showFrame();
    swftest::Movie stays;
    stays.tag(12, swftest::traceScript("stays"));
    stays.showFrame();
    swftest::Movie m;
    m.tag(39, swftest::defineSprite(1, child));
    m.tag(39, swftest::defineSprite(2, stays));
    m.tag(26, swftest::placeObject2(at(2, 2)));
    m.showFrame();
    m.tag(12, swftest::traceScript("root 2"));
    m.tag(26, swftest::placeObject2(at(1, 1)));
    m.showFrame();
    m.tag(28, QByteArray("\x01\x00", 2)); // RemoveObject2 depth 1
    m.showFrame();
    m.tag(26, swftest::placeObject2(at(1, 1)));
    m.showFrame();
    swftest::Actions back;
    back.gotoFrame(1).op(0x07); // gotoAndStop(2)
    m.tag(12, back.finish());
    m.showFrame();
    swftest::TracedPlayer t;
    ASSERT_TRUE(t.load(m.finish(), "/tmp/rewind.swf"));
    EXPECT_EQ(t.take(), QStringList{"stays"});
    EXPECT_EQ(t.tick(), (QStringList{"root 2", "child"}));
    EXPECT_EQ(t.tick(2), QStringList{"child"});
    // Frame 5 goes back to frame 2: the child placed in frame 4 is made again.
    EXPECT_EQ(t.tick(), (QStringList{"root 2", "child"}));
}

// A reference to a clip that is gone stands for the clip now at the same
// target path: nothing while there is none, the new clip once one is made.
TEST(SwfScriptRules, ReferencesToRemovedClipsFollowTheirPath)
{
    Asm a;
    a.push(1, "a").get("_root").callMethod("createEmptyMovieClip", 2).op(op::Pop);
    a.push("r").get("a").op(op::SetVariable);
    a.get("r").push("v", 1).op(op::SetMember);
    a.get("r").callMethod("removeMovieClip", 0).op(op::Pop);
    a.get("r").push("v").op(op::GetMember).op(op::TypeOf).trace();
    a.get("r").push("_name").op(op::GetMember).op(op::TypeOf).trace();
    a.push(5, "a").get("_root").callMethod("createEmptyMovieClip", 2).op(op::Pop);
    a.get("r").callMethod("getDepth", 0).trace();
    a.get("r").push("_target").op(op::GetMember).trace();
    a.get("r").push("w", 2).op(op::SetMember).get("a").push("w").op(op::GetMember).trace();
    for (int version : {6, 8})
        EXPECT_EQ(swftest::tracesOf(scriptMovie(version, a)), (QStringList{"undefined", "undefined", "5", "/a", "2"}))
            << version;
}

// Outside a function, `var` with a path sets the variable the path names;
// a slash path goes on through plain objects held by timeline variables.
// Inside a function the same name is a local of its own.
TEST(SwfScriptRules, DeclaredPathsOutsideFunctions)
{
    Asm a;
    a.push("/:abc", "A").op(op::DefineLocal);
    a.get("abc").trace();
    a.push("o", 0).op(op::InitObject).op(op::SetVariable);
    a.push("/o/:def", "D").op(op::DefineLocal);
    a.get("o").push("def").op(op::GetMember).trace();
    a.function("f", {}, Asm().push("/:ghi", "G").op(op::DefineLocal).get("ghi").op(op::TypeOf).trace());
    a.push(0, "f").op(op::CallFunction).op(op::Pop);
    a.function("/:g", {}, Asm().push("g").trace());
    a.push(0, "g").op(op::CallFunction).op(op::Pop);
    EXPECT_EQ(swftest::tracesOf(scriptMovie(6, a)), (QStringList{"A", "D", "undefined", "g"}));
}

// A local file is found without the query or fragment of its address, as
// templates write "data.txt?v=2" to defeat a browser's cache.
TEST(SwfScriptRules, LocalFilesAreFoundWithoutTheirQuery)
{
    QTemporaryDir tmp;
    const QString folder = tmp.path() + "/smxcwjj/tp";
    QDir().mkpath(folder);
    QFile vars(folder + "/vars.txt");
    ASSERT_TRUE(vars.open(QIODevice::WriteOnly));
    vars.write("greeting=hello");
    vars.close();
    swftest::Actions frame1;
    frame1.push("vars.txt?nocache=123#top").push("_root").getUrl2(0xC0); // loadVariables
    swftest::Movie m;
    m.tag(12, frame1.finish());
    m.showFrame();
    m.tag(12, swftest::Actions().push("greeting").op(0x1c).op(0x26).op(0x07).finish());
    m.showFrame();
    swftest::TracedPlayer t;
    ASSERT_TRUE(t.load(m.finish(), folder + "/movie.swf"));
    EXPECT_EQ(t.tick(), QStringList{"hello"});
    QString why;
    EXPECT_TRUE(t.player.resolvePath("../../../outside.txt?x=1", &why).isEmpty());
}

} // namespace
