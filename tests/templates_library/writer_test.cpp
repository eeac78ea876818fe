// The SWF writer against the player's reader and against bytes laid out by
// hand from the SWF file format specification; the action assembler; the
// template source parser's errors.
#include "tools/templatec/actions.h"
#include "tools/templatec/description.h"
#include "tools/templatec/scene.h"
#include "tools/templatec/swf_writer.h"

#include "swf/movie.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace fotarel;
using namespace fotarel::templatec;

namespace {

QByteArray hex(const char* s) { return QByteArray::fromHex(s); }

// A movie of one frame holding `tags`, parsed back by the player's reader.
std::shared_ptr<swf::Movie> roundTrip(const QByteArray& tags, int frames = 1)
{
    QByteArray all = tags;
    for (int i = 0; i < frames; ++i)
        all += showFrame();
    const swf::ParseResult r = swf::parseMovie(finishMovie(200, 100, 25, uint16_t(frames), all));
    EXPECT_TRUE(r.movie) << r.error.toStdString();
    EXPECT_TRUE(r.log.isEmpty()) << r.log.join('\n').toStdString();
    return r.movie;
}

const swf::PlaceObject& firstPlace(const swf::Movie& m)
{
    for (const swf::FrameItem& it : m.timeline.frames.at(0).items)
        if (it.kind == swf::FrameItem::Place)
            return it.place;
    throw std::runtime_error("no place");
}

} // namespace

TEST(SwfWriter, RecordsMatchHandLaidBytes)
{
    struct Case {
        const char* what;
        std::function<void(BitWriter&)> write;
        const char* bytes;
    };
    const std::vector<Case> cases{
        // 550 x 400 px stage: Nbits 15, 0, 11000, 0, 8000 twips.
        {"rect", [](BitWriter& w) { writeRect(w, {0, 11000, 0, 8000}); }, "7800055f00000fa000"},
        // Identity matrix: no scale, no rotate, NTranslateBits 0.
        {"identity", [](BitWriter& w) { writeMatrix(w, {}); }, "00"},
        // Translate (20, 40) twips: 0, 0, NTranslateBits 7, 20, 40 -> 0 0 00111 0010100 0101000.
        {"translate", [](BitWriter& w) { writeMatrix(w, {1, 0, 0, 1, 20, 40}); }, "0e5140"},
        // Alpha multiplier 0.5 only: HasAdd 0, HasMult 1, Nbits 10, 256 256 256 128.
        {"alpha", [](BitWriter& w) { swf::ColorTransform c; c.aMul = 0.5f; writeColorTransform(w, c); },
         "690040100200"},
        // Blur 4 x 4 px, 2 passes.
        {"blur", [](BitWriter& w) { swf::Filter f; f.blurX = f.blurY = 4; f.passes = 2; writeFilters(w, {f}); },
         "01010000040000000400" "10"},
    };
    for (const Case& c : cases) {
        BitWriter w;
        c.write(w);
        EXPECT_EQ(w.data().toHex(), hex(c.bytes).toHex()) << c.what;
    }
    // Short and long tag headers.
    EXPECT_EQ(tag(1, {}).toHex(), QByteArray("4000"));
    EXPECT_EQ(tag(12, QByteArray(63, 'x')).left(6).toHex(), QByteArray("3f033f000000"));
}

TEST(SwfWriter, PlacementsReadBackThroughThePlayerParser)
{
    struct Case {
        swf::Matrix m;
        float alpha, bright;
    };
    const std::vector<Case> cases{
        {{1, 0, 0, 1, 0, 0}, 1, 0},
        {{1.25, 0, 0, 1.25, 19200, 10800}, 0.5f, 0},
        {{0.7071, 0.7071, -0.7071, 0.7071, -400, 3000}, 0, 0},
        {{-1, 0, 0, 2.5, 38400, -21600}, 1, 100},
    };
    for (const Case& c : cases) {
        swf::PlaceObject p;
        p.depth = 7;
        p.hasCharacter = true;
        p.characterId = 1;
        p.hasMatrix = true;
        p.matrix = c.m;
        p.hasColorTransform = true;
        p.colorTransform.aMul = c.alpha;
        p.colorTransform.rAdd = p.colorTransform.gAdd = p.colorTransform.bAdd = c.bright;
        p.hasName = true;
        p.name = QStringLiteral("L1");
        swf::Filter shadow;
        shadow.type = swf::FilterType::DropShadow;
        shadow.color = {0, 0, 0, 140};
        shadow.blurX = shadow.blurY = 18;
        shadow.angle = 0.785398;
        shadow.distance = 8;
        shadow.passes = 2;
        p.hasFilters = true;
        p.filters = {shadow};
        const auto movie = roundTrip(defineSprite(1, 1, showFrame()) + placeObject(p));
        ASSERT_TRUE(movie);
        const swf::PlaceObject& q = firstPlace(*movie);
        EXPECT_EQ(q.version, 3);
        EXPECT_EQ(q.depth, 7);
        EXPECT_EQ(q.name, "L1");
        EXPECT_NEAR(q.matrix.a, c.m.a, 1e-4);
        EXPECT_NEAR(q.matrix.b, c.m.b, 1e-4);
        EXPECT_NEAR(q.matrix.c, c.m.c, 1e-4);
        EXPECT_NEAR(q.matrix.d, c.m.d, 1e-4);
        EXPECT_NEAR(q.matrix.tx, c.m.tx, 0.5);
        EXPECT_NEAR(q.matrix.ty, c.m.ty, 0.5);
        EXPECT_NEAR(q.colorTransform.aMul, c.alpha, 1.0 / 256);
        EXPECT_NEAR(q.colorTransform.rAdd, c.bright, 0.5);
        ASSERT_EQ(q.filters.size(), 1u);
        EXPECT_EQ(q.filters[0].type, swf::FilterType::DropShadow);
        EXPECT_NEAR(q.filters[0].blurX, 18, 1e-3);
        EXPECT_NEAR(q.filters[0].distance, 8, 1e-3);
        EXPECT_EQ(q.filters[0].color.a, 140);
        EXPECT_EQ(q.filters[0].passes, 2);
    }
}

TEST(SwfWriter, ShapeContoursAndGradientReadBack)
{
    ShapeDef s;
    s.fill.type = swf::FillType::Linear;
    s.fill.gradient.stops = {{0, {255, 0, 0, 255}}, {255, {0, 0, 255, 128}}};
    s.fill.matrix = {0.05, 0, 0, 0.05, 0, 0};
    // A square with a square hole, and a triangle with a diagonal edge.
    s.contours.push_back({{{0, 0}, {2000, 0}, {2000, 2000}, {0, 2000}}});
    s.contours.push_back({{{500, 500}, {1500, 500}, {1500, 1500}, {500, 1500}}});
    s.contours.push_back({{{-3000, -40}, {-100, -40}, {-100, 1700}}});
    const auto movie = roundTrip(defineShape3(3, s));
    ASSERT_TRUE(movie);
    const auto* c = movie->character(3);
    ASSERT_NE(c, nullptr);
    const auto* shape = std::get_if<swf::ShapeData>(c);
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(shape->bounds.xMin, -3000);
    EXPECT_EQ(shape->bounds.xMax, 2000);
    EXPECT_EQ(shape->bounds.yMin, -40);
    EXPECT_EQ(shape->bounds.yMax, 2000);
    ASSERT_EQ(shape->fills.size(), 1u);
    EXPECT_EQ(shape->fills[0].type, swf::FillType::Linear);
    ASSERT_EQ(shape->fills[0].gradient.stops.size(), 2u);
    EXPECT_EQ(shape->fills[0].gradient.stops[1].color.a, 128);
    ASSERT_EQ(shape->edges.size(), 11u);
    // Clockwise outlines (y down) are filled on the right (FillStyle1); the
    // clockwise hole inside the square is filled outside, on its left
    // (FillStyle0).
    for (int i = 0; i < 11; ++i) {
        const bool right = i < 4 || i >= 8;
        EXPECT_EQ(shape->edges[size_t(i)].fill1, right ? 0 : -1) << i;
        EXPECT_EQ(shape->edges[size_t(i)].fill0, right ? -1 : 0) << i;
    }
    EXPECT_EQ(shape->edges[9].from, QPointF(-100, -40));
    EXPECT_EQ(shape->edges[9].to, QPointF(-100, 1700));
    EXPECT_EQ(shape->edges[10].to, QPointF(-3000, -40));
}

TEST(Actions, BranchesResolveForwardAndBackward)
{
    Actions a;
    a.label("top").push(1).jumpIfTrue("end").jump("top").label("end");
    const QByteArray b = a.bytes();
    // push (8 bytes), If (5 bytes) +5 to the end, Jump (5 bytes) back to offset 0.
    ASSERT_EQ(b.size(), 18);
    EXPECT_EQ(b.mid(8, 5).toHex(), QByteArray("9d02000500"));
    EXPECT_EQ(b.mid(13, 5).toHex(), QByteArray("990200eeff"));
    Actions bad;
    bad.jump("nowhere");
    EXPECT_THROW(bad.bytes(), std::invalid_argument);
}

TEST(SceneSource, ErrorsNameTheLine)
{
    const QString head = "type t\ncategory c\nframes 150\nslot 0 0 heng\nshow 1 50\n";
    struct Case {
        QString text;
        const char* message;
    };
    const std::vector<Case> cases{
        {head + "layer photo 2\n", "slot 2 does not exist"},
        {head + "layer photo 1\n  at 10 alpha 0\n  at 5 alpha 100\n", ":8: keys of a property must rise"},
        {head + "layer carry\n  at 0 wobble 3\n", ":7: unknown property wobble"},
        {head + "layer carry\n  mask swirl 0 20\n", ":7: unknown mask swirl"},
        {head + "layer carry\n  mask iris 20 20\n", "mask must end after it starts"},
        {head + "layer teapot\n", ":6: unknown layer kind teapot"},
        {head + "layer rect color #12345\n", "colour must be"},
        {"type t\nframes 150\nslot 0 0 heng\n", "slot 1 has no \"show\" frame"},
        {"type t\nframes 150\nslot 100 0 heng\nshow 1 5\n", ":3: slot size"},
        {"type t\nframes 150\nslot 0 0 diagonal\nshow 1 5\n", ":3: slot orientation"},
        {"type t\nslot 0 0 heng\nshow 1 5\n", "frames missing"},
    };
    for (const Case& c : cases) {
        try {
            parseScene(c.text, "x.tpl");
            ADD_FAILURE() << "accepted: " << c.message;
        } catch (const SourceError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}

TEST(SceneSource, TracksEaseBetweenKeysAndHoldOutside)
{
    const Scene s = parseScene("type t\nframes 100\nslot 0 0 heng\nshow 1 50\n"
                               "layer photo 1 # the picture\n  at 10 x 100 alpha 0\n  at 30 x 300 ease linear\n"
                               "  at 60 alpha 100 ease out\n",
                               "t.tpl");
    ASSERT_EQ(s.layers.size(), 1u);
    const Layer& l = s.layers[0];
    EXPECT_DOUBLE_EQ(layerValue(l, Prop::X, 0), 960); // from the default toward the first key
    EXPECT_DOUBLE_EQ(layerValue(l, Prop::X, 10), 100);
    EXPECT_DOUBLE_EQ(layerValue(l, Prop::X, 20), 200);
    EXPECT_DOUBLE_EQ(layerValue(l, Prop::X, 99), 300);
    EXPECT_DOUBLE_EQ(layerValue(l, Prop::Y, 40), 540); // no track: the stage centre
    EXPECT_GT(layerValue(l, Prop::Alpha, 35), 50);     // ease out is past half at the middle
    EXPECT_DOUBLE_EQ(layerValue(l, Prop::Alpha, 60), 100);
    EXPECT_EQ(sceneClass(s), "heng");
}

TEST(Description, KeysMarkerAndBarLists)
{
    const Scene s = parseScene("type 横照两张\ncategory 相框\nframes 200\nslot 800 600 heng\nslot 640 480 shu\n"
                               "show 1 50\nshow 2 60\n",
                               "d.tpl");
    const QString ini = QString::fromUtf8(descriptionIni(s));
    for (const char* line : {"[l_x_w_j_s_y]", "l_x_w_j_s_y=s_y_l_x", "[1]", "mblx=横照两张", "mbfl=相框", "xpsl=2",
                             "xpkd=|800|640|", "xpgd=|600|480|", "szhz=|heng|shu|", "xpjpgmc=|picture_1|picture_2|",
                             "mbdx=200"})
        EXPECT_TRUE(ini.split("\r\n").contains(QString::fromUtf8(line))) << line;
    EXPECT_EQ(sceneClass(s), "gaojimoban");
}

TEST(SwfWriter, EdgesLongerThanAFieldHoldsAreSplit)
{
    // 8000 px = 160000 twips: more than the 17 bits an edge delta may use.
    ShapeDef s;
    s.fill.color = {10, 20, 30, 255};
    s.contours.push_back({{{-80000, -2000}, {80000, -2000}, {80000, 2000}, {-80000, 2000}}});
    const auto movie = roundTrip(defineShape3(1, s));
    ASSERT_TRUE(movie);
    const auto* shape = std::get_if<swf::ShapeData>(movie->character(1));
    ASSERT_NE(shape, nullptr);
    ASSERT_EQ(shape->edges.size(), 8u); // both long sides in three pieces
    EXPECT_EQ(shape->edges[2].to, QPointF(80000, -2000));
    EXPECT_EQ(shape->edges[3].to, QPointF(80000, 2000));
    EXPECT_EQ(shape->edges[7].to, QPointF(-80000, -2000));
}
