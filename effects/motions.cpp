#include "effects/motions.h"

#include <algorithm>
#include <iterator>

namespace fotarel::effects {

namespace {

// Where a caption starts on one axis.
enum class Start {
    Before,    // wholly before the panel's first edge (left or top)
    After,     // at the panel's far edge (right or bottom), still outside
    Fixed,     // the row's fixed coordinate
    Far,       // inside, against the far edge (right or bottom)
    Centre,    // centred on the panel's middle line
    Third,     // centred on the line a third in from the first edge
    TwoThirds, // centred on the line a third in from the far edge
};

// How far a caption moves on one axis per frame, as a multiple of the step.
enum class Rate {
    None,
    Step,           // the step
    TwoPixels,      // 2 pixels whatever the step
    HalfWidthSlope, // step × (panel width / 2) / panel height: to a corner from a top or bottom middle
    HalfHeightSlope, // step × (panel height / 2) / panel width: to a corner from a left or right middle
    DiagonalSlope    // step × panel height / panel width: from corner to corner
};

// Which cell of the motion table holds the fixed coordinate, in preview pixels.
enum class Cell { Zero, HalfWidth, HalfHeight };

struct Motion {
    const char* caption;
    const char* name;
    Start startX;
    Start startY;
    Rate rateX;
    int signX;
    Rate rateY;
    int signY;
    Cell cellX;
    Cell cellY;
};

// Row i flies effect name i + 1 as the name says, and has that name as its
// caption. Rows 1-6 once held the classic motions "congzuoxiangyou" …
// "youxiadaozuoshang" by position, so those names flew other routes (name 4
// "从左下到右上" flew right to left); new rows store the motion of their
// name. The classic motions that no name flies any more stay below the 30
// rows, so captions stored with them keep flying as they always did.
constexpr Motion kMotions[] = {
    {"从左上向右下", "zuoshangxiangyouxia", Start::Before, Start::Before, Rate::Step, 1, Rate::TwoPixels, 1, Cell::Zero, Cell::Zero},
    {"从左下到右下", "congzuoxiadaoyouxia", Start::Before, Start::Far, Rate::Step, 1, Rate::None, 0, Cell::Zero, Cell::Zero},
    {"从右下到左下", "congyouxiadaozuoxia", Start::After, Start::Far, Rate::Step, -1, Rate::None, 0, Cell::Zero, Cell::Zero},
    {"从左下到右上", "congzuoxiadaoyoushang", Start::Before, Start::After, Rate::Step, 1, Rate::DiagonalSlope, -1, Cell::Zero, Cell::Zero},
    {"从右上到左下", "congyoushangdaozuoxia", Start::After, Start::Before, Rate::Step, -1, Rate::DiagonalSlope, 1, Cell::Zero, Cell::Zero},
    {"从右下到左上", "congyouxiadaozuoshang", Start::After, Start::After, Rate::Step, -1, Rate::DiagonalSlope, -1, Cell::Zero, Cell::Zero},
    {"从居中上向左下", "juzhongshangxiangzuoxia", Start::Centre, Start::Before, Rate::HalfWidthSlope, -1, Rate::Step, 1, Cell::Zero, Cell::Zero},
    {"从居中上向右下", "juzhongshangxiangyouxia", Start::Centre, Start::Before, Rate::HalfWidthSlope, 1, Rate::Step, 1, Cell::Zero, Cell::Zero},
    {"从居中下向左上", "juzhongxiaxiangzuoshang", Start::Centre, Start::After, Rate::HalfWidthSlope, -1, Rate::Step, -1, Cell::Zero, Cell::Zero},
    {"从居中下向右上", "juzhongxiaxiangyoushang", Start::Centre, Start::After, Rate::HalfWidthSlope, 1, Rate::Step, -1, Cell::Zero, Cell::Zero},
    {"从居中上向居中下", "juzhongshangxiangjuzhongxia", Start::Centre, Start::Before, Rate::None, 0, Rate::Step, 1, Cell::Zero, Cell::Zero},
    {"从居中下向居中上", "juzhongxiaxiangjuzhongshang", Start::Centre, Start::After, Rate::None, 0, Rate::Step, -1, Cell::Zero, Cell::Zero},
    {"从1/3左上向1/3左下(竖)", "sanfenzuoshangxiangzuoxia", Start::Third, Start::Before, Rate::None, 0, Rate::Step, 1, Cell::Zero, Cell::Zero},
    {"从1/3左下向1/3左上(竖)", "sanfenzuoxiaxiangzuoshang", Start::Third, Start::After, Rate::None, 0, Rate::Step, -1, Cell::Zero, Cell::Zero},
    {"从1/3右上向1/3右下(竖)", "sanfenyoushangxiangyouxia", Start::TwoThirds, Start::Before, Rate::None, 0, Rate::Step, 1, Cell::Zero, Cell::Zero},
    {"从1/3右下向1/3右上(竖)", "sanfenyouxiaxiangyoushang", Start::TwoThirds, Start::After, Rate::None, 0, Rate::Step, -1, Cell::Zero, Cell::Zero},
    {"从1/2上向1/2下(竖)", "erfenshangxiangxia", Start::Centre, Start::Before, Rate::None, 0, Rate::Step, 1, Cell::Zero, Cell::Zero},
    {"从1/2下向1/2上(竖)", "erfenxiaxiangshang", Start::Centre, Start::After, Rate::None, 0, Rate::Step, -1, Cell::Zero, Cell::Zero},
    {"从1/3左上向1/3右上(横)", "sanfenshangzuoxiangyou", Start::Before, Start::Third, Rate::Step, 1, Rate::None, 0, Cell::Zero, Cell::Zero},
    {"从1/3左下向1/3右下(横)", "sanfenxiazuoxiangyou", Start::Before, Start::TwoThirds, Rate::Step, 1, Rate::None, 0, Cell::Zero, Cell::Zero},
    {"从1/3右上向1/3左上(横)", "sanfenshangyouxiangzuo", Start::After, Start::Third, Rate::Step, -1, Rate::None, 0, Cell::Zero, Cell::Zero},
    {"从1/3右下向1/3左下(横)", "sanfenxiayouxiangzuo", Start::After, Start::TwoThirds, Rate::Step, -1, Rate::None, 0, Cell::Zero, Cell::Zero},
    {"从1/2左向1/2右(横)", "erfenzuoxiangyou", Start::Before, Start::Centre, Rate::Step, 1, Rate::None, 0, Cell::Zero, Cell::Zero},
    {"从1/2右向1/2左(横)", "erfenyouxiangzuo", Start::After, Start::Centre, Rate::Step, -1, Rate::None, 0, Cell::Zero, Cell::Zero},
    {"从居中左向右下", "juzhongzuoxiangyouxia", Start::Before, Start::Centre, Rate::Step, 1, Rate::HalfHeightSlope, 1, Cell::Zero, Cell::Zero},
    {"从居中左向右上", "juzhongzuoxiangyoushang", Start::Before, Start::Centre, Rate::Step, 1, Rate::HalfHeightSlope, -1, Cell::Zero, Cell::Zero},
    {"从居中右向左下", "juzhongyouxiangzuoxia", Start::After, Start::Centre, Rate::Step, -1, Rate::HalfHeightSlope, 1, Cell::Zero, Cell::Zero},
    {"从居中右向左上", "juzhongyouxiangzuoshang", Start::After, Start::Centre, Rate::Step, -1, Rate::HalfHeightSlope, -1, Cell::Zero, Cell::Zero},
    {"从居中左向居中右", "juzhongzuoxiangjuzhongyou", Start::Before, Start::Centre, Rate::Step, 1, Rate::None, 0, Cell::Zero, Cell::Zero},
    {"从居中右向居中左", "juzhongyouxiangjuzhongzuo", Start::After, Start::Centre, Rate::Step, -1, Rate::None, 0, Cell::Zero, Cell::Zero},
    // Stored by older rows only.
    {"从左向右", "congzuoxiangyou", Start::Before, Start::Fixed, Rate::Step, 1, Rate::None, 0, Cell::Zero, Cell::HalfWidth},
    {"从上向下", "congshangxiangxia", Start::Fixed, Start::Before, Rate::None, 0, Rate::Step, 1, Cell::HalfHeight, Cell::Zero},
    {"从右向左", "congyouxiangzuo", Start::After, Start::Fixed, Rate::Step, -1, Rate::None, 0, Cell::Zero, Cell::HalfWidth},
    {"从左下到右上", "zuoxiadaoyoushang", Start::Before, Start::After, Rate::Step, 1, Rate::Step, -1, Cell::Zero, Cell::Zero},
    {"从右上到左下", "youshangdaozuoxia", Start::After, Start::Before, Rate::Step, -1, Rate::Step, 1, Cell::Zero, Cell::Zero},
    {"从右下到左上", "youxiadaozuoshang", Start::After, Start::After, Rate::Step, -1, Rate::Step, -1, Cell::Zero, Cell::Zero},
};

constexpr const char* kEffectNames[] = {
    "从左上向右下", "从左下到右下", "从右下到左下", "从左下到右上", "从右上到左下", "从右下到左上",
    "从居中上向左下", "从居中上向右下", "从居中下向左上", "从居中下向右上", "从居中上向居中下",
    "从居中下向居中上", "从1/3左上向1/3左下(竖)", "从1/3左下向1/3左上(竖)", "从1/3右上向1/3右下(竖)",
    "从1/3右下向1/3右上(竖)", "从1/2上向1/2下(竖)", "从1/2下向1/2上(竖)", "从1/3左上向1/3右上(横)",
    "从1/3左下向1/3右下(横)", "从1/3右上向1/3左上(横)", "从1/3右下向1/3左下(横)", "从1/2左向1/2右(横)",
    "从1/2右向1/2左(横)", "从居中左向右下", "从居中左向右上", "从居中右向左下", "从居中右向左上",
    "从居中左向居中右", "从居中右向居中左",
};

// The rows of the effect names come first.
constexpr std::size_t kNamedMotions = std::size(kEffectNames);
static_assert(std::size(kMotions) >= kNamedMotions);

const Motion* findMotion(const QString& name)
{
    for (const Motion& m : kMotions)
        if (name == QLatin1String(m.name))
            return &m;
    return nullptr;
}

QString cellText(Cell cell, int previewWidth, int previewHeight)
{
    switch (cell) {
    case Cell::HalfWidth:
        return QString::number(previewWidth / 2);
    case Cell::HalfHeight:
        return QString::number(previewHeight / 2);
    case Cell::Zero:
        break;
    }
    return QStringLiteral("0");
}

double startOn(Start start, double panel, double box, double fixed)
{
    double at = 0;
    switch (start) {
    case Start::Before:
        return -box;
    case Start::After:
        return panel;
    case Start::Fixed:
        at = fixed;
        break;
    case Start::Far:
        at = panel - box;
        break;
    case Start::Centre:
        at = (panel - box) / 2;
        break;
    case Start::Third:
        at = panel / 3 - box / 2;
        break;
    case Start::TwoThirds:
        at = panel * 2 / 3 - box / 2;
        break;
    }
    // The axis the caption does not cross keeps it whole inside the panel.
    return std::clamp(at, 0.0, std::max(0.0, panel - box));
}

double rateOf(Rate rate, int sign, QSizeF panel, double step)
{
    switch (rate) {
    case Rate::None:
        return 0;
    case Rate::Step:
        return sign * step;
    case Rate::TwoPixels:
        return sign * 2.0;
    case Rate::HalfWidthSlope:
        return sign * step * (panel.width() / 2) / panel.height();
    case Rate::HalfHeightSlope:
        return sign * step * (panel.height() / 2) / panel.width();
    case Rate::DiagonalSlope:
        return sign * step * panel.height() / panel.width();
    }
    return 0;
}

} // namespace

QStringList effectNames()
{
    QStringList names;
    for (const char* n : kEffectNames)
        names << QString::fromUtf8(n);
    return names;
}

Table motionTable(int previewWidth, int previewHeight)
{
    Table table({QStringLiteral("文字特效名称"), QStringLiteral("文字特效名称2"), QStringLiteral("x_zhi"),
                 QStringLiteral("y_zhi")});
    for (std::size_t i = 0; i < kNamedMotions; ++i) {
        const Motion& m = kMotions[i];
        table.appendRow({QString::fromUtf8(m.caption), QString::fromLatin1(m.name),
                         cellText(m.cellX, previewWidth, previewHeight),
                         cellText(m.cellY, previewWidth, previewHeight)});
    }
    return table;
}

std::optional<CaptionPath> captionPath(const QString& motion, QSizeF panel, QSizeF box, QPointF fixed,
                                       double stepPixels)
{
    const Motion* m = findMotion(motion);
    if (!m)
        return std::nullopt;
    CaptionPath path;
    path.start = QPointF(startOn(m->startX, panel.width(), box.width(), fixed.x()),
                         startOn(m->startY, panel.height(), box.height(), fixed.y()));
    path.step = QPointF(rateOf(m->rateX, m->signX, panel, stepPixels), rateOf(m->rateY, m->signY, panel, stepPixels));
    return path;
}

bool hasLeft(QPointF topLeft, QSizeF box, QSizeF panel)
{
    return topLeft.x() > panel.width() || topLeft.y() > panel.height() || topLeft.x() + box.width() < 0 ||
           topLeft.y() + box.height() < 0;
}

} // namespace fotarel::effects
