// The MovieClip drawing methods: what a sequence of calls draws (bounds,
// filled areas, strokes, painting order, limits), and the same seen from
// scripts (getBounds, hitTest with shapeFlag, duplicateMovieClip, clear) and
// in the painted picture.
#include "swf_builder.h"
#include "traced_player.h"

#include "swf/drawing.h"
#include "swf/player.h"

#include <gtest/gtest.h>

using namespace fotarel::swf;
using avm1::DrawCommand;
using swftest::Actions;

namespace {

DrawCommand to(DrawCommand::Kind kind, double x = 0, double y = 0)
{
    DrawCommand c(kind);
    c.x = x;
    c.y = y;
    return c;
}
DrawCommand moveTo(double x, double y) { return to(DrawCommand::Kind::MoveTo, x, y); }
DrawCommand lineTo(double x, double y) { return to(DrawCommand::Kind::LineTo, x, y); }
DrawCommand curveTo(double cx, double cy, double x, double y)
{
    DrawCommand c = to(DrawCommand::Kind::CurveTo, x, y);
    c.controlX = cx;
    c.controlY = cy;
    return c;
}
DrawCommand lineStyle(double width, uint32_t rgb = 0)
{
    DrawCommand c(DrawCommand::Kind::LineStyle);
    c.line.width = width;
    c.line.rgb = rgb;
    return c;
}
DrawCommand beginFill(uint32_t rgb)
{
    DrawCommand c(DrawCommand::Kind::BeginFill);
    c.fill.rgb = rgb;
    return c;
}
DrawCommand endFill() { return DrawCommand(DrawCommand::Kind::EndFill); }
DrawCommand clear() { return DrawCommand(DrawCommand::Kind::Clear); }

Drawing draw(const std::vector<DrawCommand>& commands)
{
    Drawing d;
    for (const DrawCommand& c : commands)
        EXPECT_TRUE(d.apply(c));
    return d;
}

// Pixels of a drawing's bounds, as {left, top, right, bottom}.
std::vector<double> pixels(const QRectF& twips)
{
    return {twips.left() / 20, twips.top() / 20, twips.right() / 20, twips.bottom() / 20};
}

// Whether a pixel point lies in a filled area or on a stroke of the drawing,
// and which style (fill or line index) paints last there.
bool filled(const Drawing& d, double x, double y)
{
    for (const ShapeLayer& layer : d.compiled().layers)
        for (const StyledPath& f : layer.fills)
            if (f.path.contains(QPointF(x * 20, y * 20)))
                return true;
    return false;
}

} // namespace

TEST(SwfDrawing, BoundsFollowWhatIsDrawn)
{
    struct Case {
        const char* what;
        std::vector<DrawCommand> commands;
        std::vector<double> withStrokes, withoutStrokes;
    } const cases[] = {
        {"a stroked line grows by half its width", {lineStyle(4), moveTo(10, 10), lineTo(50, 10)}, {8, 8, 52, 12}, {10, 10, 50, 10}},
        {"a curve's bounds hold its extreme, not its control point",
         {lineStyle(0), moveTo(0, 0), curveTo(50, 100, 100, 0)}, {0, 0, 100, 50}, {0, 0, 100, 50}},
        {"moves without a line or fill draw nothing", {moveTo(-50, -50), lineTo(500, 500), lineStyle(2), moveTo(0, 0), lineTo(10, 0)},
         {-1, -1, 11, 1}, {0, 0, 10, 0}},
        {"an open fill counts as closed", {beginFill(0xff0000), moveTo(10, 10), lineTo(30, 10), lineTo(30, 40)},
         {10, 10, 30, 40}, {10, 10, 30, 40}},
        {"coordinates are whole twips", {lineStyle(0), lineTo(0.01, 0.01)}, {0, 0, 0, 0}, {0, 0, 0, 0}},
        {"clear forgets everything", {lineStyle(2), lineTo(10, 10), clear(), lineTo(40, 40)}, {0, 0, 0, 0}, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        const Drawing d = draw(c.commands);
        EXPECT_EQ(pixels(d.bounds(true)), c.withStrokes) << c.what;
        EXPECT_EQ(pixels(d.bounds(false)), c.withoutStrokes) << c.what;
    }
}

TEST(SwfDrawing, FillsCloseTheirContoursAndCutHoles)
{
    // Two squares in one fill (the inner one drawn after a moveTo) leave a
    // hole; an open contour is closed back to where the fill began.
    const Drawing ring = draw({beginFill(0xff), moveTo(0, 0), lineTo(100, 0), lineTo(100, 100), lineTo(0, 100),
                               moveTo(25, 25), lineTo(75, 25), lineTo(75, 75), lineTo(25, 75), endFill()});
    EXPECT_TRUE(filled(ring, 10, 50));
    EXPECT_FALSE(filled(ring, 50, 50));
    EXPECT_TRUE(filled(ring, 90, 90));

    // beginFill after lines: the new fill's contour starts at the pen.
    const Drawing late = draw({moveTo(0, 0), lineStyle(1), lineTo(50, 0), beginFill(0xff), lineTo(50, 50),
                               lineTo(0, 50)});
    EXPECT_TRUE(filled(late, 40, 20));
    EXPECT_FALSE(filled(late, 10, 20)); // the fill runs (50,0) -> (50,50) -> (0,50) -> back to (50,0)
}

TEST(SwfDrawing, LaterFillsPaintOverEarlierStrokes)
{
    // Each fill is a style set of its own, painted after what came before.
    const Drawing d = draw({lineStyle(10, 0x00ff00), moveTo(0, 50), lineTo(100, 50), beginFill(0xff0000),
                            moveTo(40, 0), lineTo(60, 0), lineTo(60, 100), lineTo(40, 100), endFill()});
    const CompiledShape& s = d.compiled();
    ASSERT_EQ(s.layers.size(), 2u);
    EXPECT_TRUE(s.layers[0].fills.empty());
    EXPECT_EQ(s.layers[0].lines.size(), 1u);
    ASSERT_EQ(s.layers[1].fills.size(), 1u);
    // The line style goes on in the fill's set: the square's outline is stroked.
    ASSERT_EQ(s.layers[1].lines.size(), 1u);
    EXPECT_EQ(s.lines[size_t(s.layers[1].lines[0].style)].color, (Rgba{0, 255, 0, 255}));
}

TEST(SwfDrawing, AFullDrawingRefusesMoreAndStaysUsable)
{
    Drawing d;
    d.apply(lineStyle(1));
    int accepted = 0;
    for (int i = 0; i < limits::kMaxDrawingEdges + 10; ++i)
        accepted += d.apply(lineTo(i % 100, i % 7)) ? 1 : 0;
    EXPECT_LE(accepted, limits::kMaxDrawingEdges);
    EXPECT_GT(accepted, limits::kMaxDrawingEdges - 4);
    EXPECT_FALSE(d.compiled().layers.empty());
    EXPECT_TRUE(d.apply(clear()));
    EXPECT_TRUE(d.empty());
}

namespace {

enum Op { GetVariable = 0x1c, Pop = 0x17, Trace = 0x26, GetMember = 0x4e, CallMethod = 0x52 };

// `object.method(args)` with the arguments pushed last first, its result left.
Actions& call(Actions& a, const char* object, const char* method, std::initializer_list<int> args)
{
    for (auto it = std::rbegin(args); it != std::rend(args); ++it)
        a.push(*it);
    return a.push(int(args.size())).push(object).op(GetVariable).push(method).op(CallMethod);
}

QByteArray scriptMovie(const Actions& script)
{
    swftest::Movie m;
    m.tag(12, script.finish());
    m.showFrame();
    return m.finish();
}

} // namespace

TEST(SwfDrawing, ScriptsDrawHitTestDuplicateAndClear)
{
    Actions a;
    a.push(1).push("d").push(2).push("_root").op(GetVariable).push("createEmptyMovieClip").op(CallMethod).op(Pop);
    call(a, "d", "lineStyle", {4, 0, 100}).op(Pop);
    call(a, "d", "beginFill", {0xff0000, 100}).op(Pop);
    call(a, "d", "moveTo", {10, 10}).op(Pop);
    call(a, "d", "lineTo", {50, 10}).op(Pop);
    call(a, "d", "lineTo", {50, 50}).op(Pop);
    call(a, "d", "lineTo", {10, 50}).op(Pop); // left open: closed, and its closing side stroked
    QStringList want;
    for (const char* field : {"xMin", "yMin", "xMax", "yMax"}) {
        call(a, "d", "getBounds", {}).push(field).op(GetMember).op(Trace);
    }
    want << "8" << "8" << "52" << "52";
    call(a, "d", "getRect", {}).push("xMin").op(GetMember).op(Trace); // without the strokes
    want << "10";
    for (auto [x, y, hit] : {std::tuple{30, 30, "true"}, {60, 30, "false"}, {9, 30, "true"}}) {
        call(a, "d", "hitTest", {x, y, 1}).op(Trace);
        want << hit;
    }
    // The copy draws the same; clearing the original leaves the copy.
    a.push(2).push("e").push(2).push("d").op(GetVariable).push("duplicateMovieClip").op(CallMethod).op(Pop);
    call(a, "d", "clear", {}).op(Pop);
    call(a, "e", "hitTest", {30, 30, 1}).op(Trace);
    call(a, "d", "hitTest", {30, 30, 1}).op(Trace);
    want << "true" << "false";

    swftest::TracedPlayer t;
    ASSERT_TRUE(t.load(scriptMovie(a), "/tmp/drawing.swf"));
    EXPECT_EQ(t.take(), want);

    const QImage img = t.player.paint(QSize(100, 100));
    EXPECT_EQ(img.pixel(30, 30), qRgb(255, 0, 0));  // the copy's fill
    EXPECT_EQ(img.pixel(10, 30), qRgb(0, 0, 0));    // the stroke of the side that closed the fill
    EXPECT_EQ(img.pixel(70, 70), qRgb(255, 255, 255));
}

TEST(SwfDrawing, LinesThatKeepTheirWidthWhenScaled)
{
    // A clip scaled four times draws a 2 px line along y = 5 (stage y = 20):
    // scaled, it is 8 px wide; with noScale "none" it stays 2 px.
    struct Case {
        const char* noScale;
        bool wide;
    } const cases[] = {{"normal", true}, {"none", false}, {"vertical", true}};
    for (const Case& c : cases) {
        Actions a;
        a.push(1).push("d").push(2).push("_root").op(GetVariable).push("createEmptyMovieClip").op(CallMethod).op(Pop);
        for (const char* prop : {"_xscale", "_yscale"})
            a.push("d").op(GetVariable).push(prop).push(400).op(0x4f);
        a.push(c.noScale).push(0).push(100).push(0).push(2).push(5).push("d").op(GetVariable).push("lineStyle");
        a.op(CallMethod).op(Pop);
        call(a, "d", "moveTo", {0, 5}).op(Pop);
        call(a, "d", "lineTo", {20, 5}).op(Pop);
        Player p;
        ASSERT_TRUE(p.loadData(scriptMovie(a), "/tmp/drawing.swf"));
        const QImage img = p.paint(QSize(100, 100));
        EXPECT_EQ(img.pixel(40, 20), qRgb(0, 0, 0)) << c.noScale;
        EXPECT_EQ(img.pixel(40, 23) == qRgb(0, 0, 0), c.wide) << c.noScale;
    }
}
