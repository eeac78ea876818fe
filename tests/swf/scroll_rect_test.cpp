// MovieClip.scrollRect: the clip shows only that part of its content, moved
// to the clip's origin, and it counts as the clip's size.
#include "swf_builder.h"
#include "traced_player.h"

#include "swf/player.h"
#include "swf/renderer.h"

#include <gtest/gtest.h>

using namespace fotarel::swf;
using swftest::Place;

namespace {

enum { GetVariable = 0x1c, Trace = 0x26, GetMember = 0x4e, SetMember = 0x4f, InitObject = 0x43 };

// A sprite "box" at (20, 20) px holding a red square 0..20 px and a blue
// one 20..60 px beside it (both 60 px tall); `script` runs in the first frame.
QByteArray boxMovie(const swftest::Actions& script)
{
    swftest::Movie inner;
    Place red;
    red.depth = 1;
    red.characterId = 1;
    inner.tag(26, swftest::placeObject2(red));
    Place blue;
    blue.depth = 2;
    blue.characterId = 2;
    inner.tag(26, swftest::placeObject2(blue));
    inner.showFrame();
    swftest::Movie m;
    m.tag(9, QByteArray("\xff\xff\xff", 3));
    m.tag(2, swftest::rectShape(1, 1, swftest::solidFill(255, 0, 0, 255, false), 0, 0, 400, 1200));
    m.tag(2, swftest::rectShape(2, 1, swftest::solidFill(0, 0, 255, 255, false), 400, 0, 1200, 1200));
    m.tag(39, swftest::defineSprite(10, inner));
    Place box;
    box.depth = 1;
    box.characterId = 10;
    box.name = "box";
    box.hasMatrix = true;
    box.matrixBytes = swftest::matrix(1, 0, 0, 1, 400, 400);
    m.tag(26, swftest::placeObject2(box));
    m.tag(12, script.finish());
    m.showFrame();
    return m.finish();
}

// box.scrollRect = {x: .., y: .., width: .., height: ..}
void setScroll(swftest::Actions& a, int x, int y, int w, int h)
{
    a.push("box").op(GetVariable).push("scrollRect");
    a.push("x").push(x).push("y").push(y).push("width").push(w).push("height").push(h).push(4).op(InitObject);
    a.op(SetMember);
}

void trace(swftest::Actions& a, const char* member)
{
    a.push("box").op(GetVariable).push(member).op(GetMember).op(Trace);
}

} // namespace

TEST(SwfScrollRect, ShowsThePartScrolledToTheOriginAndIsTheClipsSize)
{
    swftest::Actions a;
    trace(a, "scrollRect");
    setScroll(a, 10, 10, 30, 20);
    a.push("box").op(GetVariable).push("scrollRect").op(GetMember).push("width").op(GetMember).op(Trace);
    trace(a, "_width");
    trace(a, "_height");
    swftest::TracedPlayer p;
    ASSERT_TRUE(p.load(boxMovie(a)));
    EXPECT_EQ(p.take(), (QStringList{"undefined", "30", "30", "20"}));

    Renderer r(p.player);
    QImage img(QSize(100, 100), QImage::Format_ARGB32_Premultiplied);
    r.paint(img);
    // Content x 10..20 (red) shows at 20..30, x 20..40 (blue) at 30..50;
    // rows 10..30 of the content at 20..40; nothing else.
    const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255), white = qRgb(255, 255, 255);
    struct {
        int x, y;
        QRgb want;
    } cases[] = {{20, 20, red}, {29, 39, red}, {30, 20, blue}, {49, 39, blue}, {19, 25, white},
                 {50, 25, white}, {35, 19, white}, {35, 40, white}, {65, 65, white}};
    for (const auto& c : cases)
        EXPECT_EQ(img.pixel(c.x, c.y), c.want) << c.x << "," << c.y;
}

TEST(SwfScrollRect, NotAnObjectTakesTheScrollAway)
{
    swftest::Actions a;
    setScroll(a, 10, 10, 30, 20);
    a.push("box").op(GetVariable).push("scrollRect").push(0).op(SetMember);
    trace(a, "scrollRect");
    trace(a, "_width");
    swftest::TracedPlayer p;
    ASSERT_TRUE(p.load(boxMovie(a)));
    EXPECT_EQ(p.take(), (QStringList{"undefined", "60"}));
    Renderer r(p.player);
    QImage img(QSize(100, 100), QImage::Format_ARGB32_Premultiplied);
    r.paint(img);
    EXPECT_EQ(img.pixel(20, 20), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(79, 79), qRgb(0, 0, 255));
}
