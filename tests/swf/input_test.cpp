// Mouse and keyboard input reaching the movie: the button state machine of a
// DefineButton2 button (states shown, condition actions), and the order of a
// mouse event's clip events against its button events.
#include "swf_builder.h"
#include "traced_player.h"

#include "swf/player.h"

#include <gtest/gtest.h>

using namespace fotarel::swf;
using swftest::Bits;

namespace {

// A 100x100 stage: a button at depth 2 whose up, over and down states are a
// red, blue and green 50x50 square (its hit state is the same square), with
// a condition action tracing each transition; and an empty sprite at depth 1
// whose onClipEvent(mouseDown) and (mouseUp) trace.
QByteArray buttonMovie()
{
    swftest::Movie m;
    m.tag(2, swftest::rectShape(1, 1, swftest::solidFill(255, 0, 0, 255, false), 0, 0, 1000, 1000));
    m.tag(2, swftest::rectShape(2, 1, swftest::solidFill(0, 0, 255, 255, false), 0, 0, 1000, 1000));
    m.tag(2, swftest::rectShape(3, 1, swftest::solidFill(0, 255, 0, 255, false), 0, 0, 1000, 1000));

    Bits button;
    button.u16(10);
    button.u8(0); // a push button
    Bits records;
    const int mul[4] = {256, 256, 256, 256}, add[4] = {0, 0, 0, 0};
    for (auto [states, shape] : {std::pair{0x01 | 0x08, 1}, std::pair{0x02, 2}, std::pair{0x04, 3}}) {
        records.u8(states);
        records.u16(shape);
        records.u16(1);
        records.bytes(swftest::matrix());
        records.bytes(swftest::cxformAlpha(mul, add));
    }
    records.u8(0);
    const QByteArray recordBytes = records.data();
    button.u16(2 + recordBytes.size()); // from this field to the first condition action
    button.bytes(recordBytes);
    const std::pair<int, const char*> conditions[] = {{0x01, "rollOver"}, {0x02, "rollOut"},
                                                      {0x04, "press"},    {0x08, "release"},
                                                      {0x10, "dragOut"},  {0x20, "dragOver"},
                                                      {0x40, "releaseOutside"}};
    for (size_t i = 0; i < std::size(conditions); ++i) {
        const QByteArray actions = swftest::traceScript(conditions[i].second);
        const bool last = i + 1 == std::size(conditions);
        button.u16(last ? 0 : 4 + actions.size());
        button.u16(conditions[i].first);
        button.bytes(actions);
    }
    m.tag(34, button.data());

    swftest::Movie empty;
    empty.showFrame();
    m.tag(39, swftest::defineSprite(11, empty));

    Bits place;
    place.u8(0x80 | 0x02);
    place.u16(1);
    place.u16(11);
    place.u16(0);
    place.u32(0x10 | 0x20);
    for (auto [event, text] : {std::pair{0x10u, "mouseDown"}, std::pair{0x20u, "mouseUp"}}) {
        const QByteArray bytes = swftest::traceScript(text);
        place.u32(event);
        place.u32(uint32_t(bytes.size()));
        place.bytes(bytes);
    }
    place.u32(0);
    m.tag(26, place.data());
    swftest::Place b;
    b.depth = 2;
    b.characterId = 10;
    m.tag(26, swftest::placeObject2(b));
    m.showFrame();
    return m.finish();
}

QRgb pixelAt(Player& p, int x, int y) { return p.paint(QSize(100, 100)).pixel(x, y); }

} // namespace

TEST(SwfInput, ButtonStatesFollowTheMouseAndRunTheirConditionActions)
{
    swftest::TracedPlayer t;
    Player& p = t.player;
    ASSERT_TRUE(t.load(buttonMovie(), "/tmp/button.swf"));
    EXPECT_EQ(pixelAt(p, 10, 10), qRgb(255, 0, 0)); // up

    struct Step {
        const char* what;
        QPointF at;
        int button; // 0 move, 1 down, -1 up
        QStringList traces;
        QRgb shown;
    };
    const QPointF in(20, 20), out(80, 80);
    const Step steps[] = {
        {"enter", in, 0, {"rollOver"}, qRgb(0, 0, 255)},
        {"press", in, 1, {"mouseDown", "press"}, qRgb(0, 255, 0)},
        {"drag out", out, 0, {"dragOut"}, qRgb(0, 0, 255)},
        {"drag back", in, 0, {"dragOver"}, qRgb(0, 255, 0)},
        {"release", in, -1, {"mouseUp", "release"}, qRgb(0, 0, 255)},
        {"leave", out, 0, {"rollOut"}, qRgb(255, 0, 0)},
        {"press outside", out, 1, {"mouseDown"}, qRgb(255, 0, 0)},
        {"drag in", in, 0, {}, qRgb(255, 0, 0)}, // another button's press: not this one's
        {"release over", in, -1, {"mouseUp", "rollOver"}, qRgb(0, 0, 255)},
        {"leave again", out, 0, {"rollOut"}, qRgb(255, 0, 0)},
        {"come back", in, 0, {"rollOver"}, qRgb(0, 0, 255)},
        {"press again", in, 1, {"mouseDown", "press"}, qRgb(0, 255, 0)},
        {"release outside", out, -1, {"dragOut", "mouseUp", "releaseOutside"}, qRgb(255, 0, 0)},
    };
    for (const Step& s : steps) {
        t.take();
        if (s.button == 0)
            p.mouseMove(s.at);
        else
            p.mouseButton(s.at, s.button > 0);
        EXPECT_EQ(t.take(), s.traces) << s.what;
        EXPECT_EQ(pixelAt(p, 10, 10), s.shown) << s.what;
    }
}

TEST(SwfInput, KeysAreHeldUntilReleasedAndMouseButtonsAreKeys)
{
    Player p;
    ASSERT_TRUE(p.loadData(buttonMovie(), "/tmp/button.swf"));
    p.key(QStringLiteral("a"), true);
    EXPECT_TRUE(p.isKeyDown(65));
    EXPECT_EQ(p.lastKeyCode(), 65);
    EXPECT_EQ(p.lastKeyAscii(), 'a');
    p.key(QStringLiteral("ArrowLeft"), true);
    EXPECT_EQ(p.lastKeyCode(), 37);
    EXPECT_EQ(p.lastKeyAscii(), 0);
    p.key(QStringLiteral("a"), false);
    EXPECT_FALSE(p.isKeyDown(65));
    EXPECT_TRUE(p.isKeyDown(37));
    p.mouseButton(QPointF(90, 90), true, 4);
    EXPECT_TRUE(p.isKeyDown(4));
    EXPECT_FALSE(p.isKeyDown(1));
}

namespace {

// A 100x100 stage with four 20x20 buttons named b1..b4, at (60,10), (10,10),
// (10,60) and, sharing b2's place, (10,10) again. SWF 6, where the text "0"
// the host's setVariable gives is false.
QByteArray tabMovie()
{
    swftest::Movie m;
    m.version = 6;
    m.tag(2, swftest::rectShape(1, 1, swftest::solidFill(255, 0, 0, 255, false), 0, 0, 400, 400));
    Bits button;
    button.u16(10);
    button.u8(0);
    Bits records;
    const int mul[4] = {256, 256, 256, 256}, add[4] = {0, 0, 0, 0};
    records.u8(0x01 | 0x08); // up and hit
    records.u16(1);
    records.u16(1);
    records.bytes(swftest::matrix());
    records.bytes(swftest::cxformAlpha(mul, add));
    records.u8(0);
    button.u16(0); // no condition actions
    button.bytes(records.data());
    m.tag(34, button.data());
    const std::tuple<const char*, int, int> places[] = {{"b1", 60, 10}, {"b2", 10, 10}, {"b3", 10, 60}, {"b4", 10, 10}};
    int depth = 1;
    for (const auto& [name, x, y] : places) {
        swftest::Place p;
        p.depth = depth++;
        p.characterId = 10;
        p.hasMatrix = true;
        p.matrixBytes = swftest::matrix(1, 0, 0, 1, x * 20, y * 20);
        p.name = name;
        m.tag(26, swftest::placeObject2(p));
    }
    m.showFrame();
    return m.finish();
}

std::string focusName(const Player& p)
{
    const auto* f = p.focus();
    return f ? f->name().toStdString() : "-";
}

} // namespace

// Tab walks the objects by position (rows, then columns), Shift+Tab walks
// back, both wrap around; of two objects in the same place only the first in
// display order is ever reached. Once any object has a tabIndex, only those
// take part, in the order of their index as a signed 32-bit number.
TEST(SwfInput, TabMovesTheFocusByPositionOrByTabIndex)
{
    Player p;
    ASSERT_TRUE(p.loadData(tabMovie(), "/tmp/tab.swf"));
    EXPECT_EQ(focusName(p), "-");
    const auto tab = [&](bool back) {
        if (back)
            p.key(QStringLiteral("LeftShift"), true);
        p.key(QStringLiteral("Tab"), true);
        p.key(QStringLiteral("Tab"), false);
        if (back)
            p.key(QStringLiteral("LeftShift"), false);
        return focusName(p);
    };
    struct Step {
        bool back;
        const char* focus;
    };
    const Step automatic[] = {{false, "b2"}, {false, "b1"}, {false, "b3"}, {false, "b2"},
                              {true, "b3"},  {true, "b1"},  {true, "b2"},  {true, "b3"}};
    for (const Step& s : automatic)
        EXPECT_EQ(tab(s.back), s.focus) << (s.back ? "shift+tab to " : "tab to ") << s.focus;

    ASSERT_TRUE(p.setVariable(QStringLiteral("b4.tabIndex"), QStringLiteral("4294967295"))); // -1
    ASSERT_TRUE(p.setVariable(QStringLiteral("b1.tabIndex"), QStringLiteral("3")));
    ASSERT_TRUE(p.setVariable(QStringLiteral("b3.tabEnabled"), QStringLiteral("0")));
    ASSERT_TRUE(p.setVariable(QStringLiteral("b3.tabIndex"), QStringLiteral("2")));
    // The focus is on b3, out of the order now but with index 2: Tab goes on from there.
    const Step custom[] = {{false, "b1"}, {false, "b4"}, {false, "b1"}, {true, "b4"}, {true, "b1"}};
    for (const Step& s : custom)
        EXPECT_EQ(tab(s.back), s.focus) << (s.back ? "shift+tab to " : "tab to ") << s.focus;
}

// The focus leaves an object that is hidden, and does not come back when it
// shows again.
TEST(SwfInput, HidingTheFocusedObjectTakesTheFocusAway)
{
    Player p;
    ASSERT_TRUE(p.loadData(tabMovie(), "/tmp/tab.swf"));
    p.key(QStringLiteral("Tab"), true);
    ASSERT_EQ(focusName(p), "b2");
    ASSERT_TRUE(p.setVariable(QStringLiteral("b2._visible"), QStringLiteral("0")));
    EXPECT_EQ(focusName(p), "-");
    ASSERT_TRUE(p.setVariable(QStringLiteral("b2._visible"), QStringLiteral("1")));
    EXPECT_EQ(focusName(p), "-");
    // Hidden objects are skipped by Tab.
    ASSERT_TRUE(p.setVariable(QStringLiteral("b2._visible"), QStringLiteral("0")));
    p.key(QStringLiteral("Tab"), true);
    EXPECT_EQ(focusName(p), "b4"); // b2's place, now b4's alone
}

// The object that takes the focus shows a yellow frame three stage pixels
// wide inside its bounds, drawn over everything, scaled with the stage.
// _focusrect decides it as the object takes the focus: the player's (the
// root's), or from SWF 6 the object's own when set (null: the player's).
TEST(SwfInput, TheFocusedObjectShowsTheFocusRectangleAsFocusRectSays)
{
    Player p;
    ASSERT_TRUE(p.loadData(tabMovie(), "/tmp/tab.swf"));
    const QRgb yellow = qRgb(255, 255, 0), red = qRgb(255, 0, 0);
    const auto tab = [&] { p.key(QStringLiteral("Tab"), true); };
    tab(); // b2, 20x20 at (10,10)
    ASSERT_EQ(focusName(p), "b2");
    const QImage shown = p.paint(QSize(100, 100));
    for (const QPoint at : {QPoint(10, 10), QPoint(12, 20), QPoint(29, 29), QPoint(20, 27)})
        EXPECT_EQ(shown.pixel(at), yellow) << at.x() << "," << at.y();
    for (const QPoint at : {QPoint(13, 13), QPoint(26, 20), QPoint(20, 26)})
        EXPECT_EQ(shown.pixel(at), red) << at.x() << "," << at.y();
    EXPECT_NE(shown.pixel(30, 30), yellow);
    // Twice the stage size: six pixels wide.
    const QImage big = p.paint(QSize(200, 200));
    EXPECT_EQ(big.pixel(25, 40), yellow);
    EXPECT_EQ(big.pixel(26, 40), red);

    // Turning it off shows only at the next focus change.
    ASSERT_TRUE(p.setVariable(QStringLiteral("_focusrect"), QStringLiteral("0")));
    EXPECT_EQ(pixelAt(p, 10, 10), yellow);
    struct Case {
        const char* object; // whose own _focusrect is set ("" none)
        const char* value;  // "1", or "0" (false in SWF 6)
        const char* focus;  // where Tab goes
        QPoint corner;      // its top left pixel
        bool shown;
    };
    const Case cases[] = {
        {"", "", "b1", {60, 10}, false},   // the player's is off
        {"b3", "1", "b3", {10, 60}, true}, // the object's own wins
        {"b2", "0", "b2", {10, 10}, false},
    };
    for (const Case& c : cases) {
        if (*c.object) {
            ASSERT_TRUE(p.setVariable(QStringLiteral("%1._focusrect").arg(QLatin1String(c.object)),
                                      QString::fromLatin1(c.value)));
        }
        tab();
        ASSERT_EQ(focusName(p), c.focus);
        EXPECT_EQ(pixelAt(p, c.corner.x(), c.corner.y()) == yellow, c.shown) << c.focus;
    }
}
