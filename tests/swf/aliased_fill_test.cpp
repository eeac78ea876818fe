// Low-quality fills: which pixels a path takes without antialiasing.
#include "swf/aliased_fill.h"

#include <gtest/gtest.h>

#include <set>

using namespace fotarel::swf;

namespace {

std::set<std::pair<int, int>> pixels(const std::vector<PixelSpan>& spans)
{
    std::set<std::pair<int, int>> out;
    for (const PixelSpan& s : spans)
        for (int x = s.x0; x < s.x1; ++x)
            out.insert({x, s.y});
    return out;
}

std::set<std::pair<int, int>> block(int x0, int y0, int x1, int y1) // inclusive
{
    std::set<std::pair<int, int>> out;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            out.insert({x, y});
    return out;
}

QPainterPath rect(double x0, double y0, double x1, double y1)
{
    QPainterPath p;
    p.moveTo(x0, y0);
    p.lineTo(x1, y0);
    p.lineTo(x1, y1);
    p.lineTo(x0, y1);
    p.closeSubpath();
    return p;
}

} // namespace

TEST(AliasedFill, PixelCentresDecideAndTiesGoRightAndDown)
{
    const QRect limit(0, 0, 20, 20);
    struct Case {
        const char* what;
        QPainterPath path;
        std::set<std::pair<int, int>> want;
    } cases[] = {
        {"edges between centres", rect(1.2, 1.2, 3.8, 2.8), block(1, 1, 3, 2)},
        // A centre on the left or top edge is inside, on the right or bottom one outside.
        {"edges through centres", rect(1.5, 1.5, 4.5, 3.5), block(1, 1, 3, 2)},
        {"too thin for any centre", rect(2.1, 0, 2.4, 10), {}},
        {"clipped to the limit", rect(-5, 18.2, 30, 40), block(0, 18, 19, 19)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(pixels(aliasedSpans(c.path, QTransform(), limit)), c.want) << c.what;
}

TEST(AliasedFill, FollowsThePathsFillRule)
{
    QPainterPath twice = rect(0, 0, 4, 4);
    twice.addPath(rect(2, 0, 6, 4)); // same direction, overlapping in x 2..4
    const QRect limit(0, 0, 10, 10);
    twice.setFillRule(Qt::OddEvenFill);
    std::set<std::pair<int, int>> ring = block(0, 0, 1, 3);
    for (auto px : block(4, 0, 5, 3))
        ring.insert(px);
    EXPECT_EQ(pixels(aliasedSpans(twice, QTransform(), limit)), ring);
    twice.setFillRule(Qt::WindingFill);
    EXPECT_EQ(pixels(aliasedSpans(twice, QTransform(), limit)), block(0, 0, 5, 3));
}

TEST(AliasedFill, GentleCurvesAreCutCoarselyAsTheFlashPlayerDoes)
{
    // Twips scaled to pixels. The bottom is a curve whose chord lies at
    // 209 twips (10.45 px) and whose middle dips to 210.5 twips, below the
    // centres of row 10 (210 twips); it bends by 6 twips, too little to be
    // cut, so the chord decides and row 10 stays empty. A curve bending by
    // 14 twips is cut in two, and its middle point reaches into row 10.
    const QTransform twips = QTransform::fromScale(1 / 20.0, 1 / 20.0);
    auto shape = [](double control) {
        QPainterPath p;
        p.moveTo(0, 0);
        p.lineTo(200, 0);
        p.lineTo(200, 209);
        p.quadTo(100, control, 0, 209);
        p.closeSubpath();
        return p;
    };
    const QRect limit(0, 0, 20, 20);
    EXPECT_EQ(pixels(aliasedSpans(shape(212), twips, limit)), block(0, 0, 9, 9));
    const auto cut = pixels(aliasedSpans(shape(216), twips, limit));
    EXPECT_TRUE(cut.count({5, 10})) << "the cut curve reaches row 10 in its middle";
    EXPECT_FALSE(cut.count({0, 10}));
}

TEST(AliasedFill, PaintsTheBrushInThePathsCoordinates)
{
    // A two-colour pattern brush given in path units, the path scaled 2x:
    // the painted pixels show the brush scaled with it.
    QImage pattern(2, 1, QImage::Format_ARGB32_Premultiplied);
    pattern.setPixel(0, 0, qRgb(255, 0, 0));
    pattern.setPixel(1, 0, qRgb(0, 0, 255));
    QImage img(8, 2, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    fillAliased(p, rect(0, 0, 4, 1), QTransform::fromScale(2, 2), QBrush(pattern));
    p.end();
    const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255);
    const QRgb want[8] = {red, red, blue, blue, red, red, blue, blue};
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(img.pixel(x, 0), want[x]) << x;
        EXPECT_EQ(img.pixel(x, 1), want[x]) << x;
    }
}
