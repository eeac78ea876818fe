// Scripts and movies that the fuzzers found driving the player into faults.
#include "swf_builder.h"

#include "swf/player.h"

#include <gtest/gtest.h>

using namespace fotarel::swf;

TEST(SwfPlayerHostileScripts, AClipDuplicatedOntoItsOwnDepthReplacesItself)
{
    // attachMovie("s", "a", 5); a.duplicateMovieClip("b", 5): the copy takes
    // the depth of its source, which goes away while its own method runs.
    swftest::Actions act;
    act.push(5).push("a").push("s").push(3).push("this").op(0x1c).push("attachMovie").op(0x52).op(0x17);
    act.push(5).push("b").push(2).push("a").op(0x1c).push("duplicateMovieClip").op(0x52).op(0x17);
    act.push("done").push(1).op(0x1d);
    swftest::Bits sprite;
    sprite.u16(2);
    sprite.u16(1);
    sprite.bytes(swftest::Movie::encodeTag(1, {}));
    sprite.bytes(swftest::Movie::encodeTag(0, {}));
    swftest::Bits exports;
    exports.u16(1);
    exports.u16(2);
    exports.string("s");
    swftest::Movie m;
    m.tag(39, sprite.data());
    m.tag(56, exports.data());
    m.tag(12, act.finish());
    m.showFrame();
    m.showFrame();
    Player p;
    ASSERT_TRUE(p.loadData(m.finish(), "/tmp/duplicate.swf"));
    p.setFrameNum(1);
    p.tick();
    EXPECT_EQ(p.getVariable("done"), QStringLiteral("1"));
    EXPECT_EQ(p.getVariable("b._name"), QStringLiteral("b"));
    EXPECT_FALSE(p.getVariable("a._name").has_value());
}
