#include "core/columns.h"
#include "core/session.h"
#include "core/table_names.h"
#include "templates/classification.h"

#include <gtest/gtest.h>

using namespace fotarel;

namespace {

Row templateRow(const QString& orientations, int pair)
{
    return Row{"类型", "分类", "1", "|0|", "|0|", orientations, "pic", "/lib/m.rar", "", QString::number(pair), "125"};
}

} // namespace

TEST(Classification, ClassesAndListsWithSlotCounts)
{
    struct Case {
        const char* orientations;
        const char* cls;
        // landscape list (h, s), portrait list (h, s), mixed list (h, s); -1 = not listed
        int lh, ls, ph, ps, mh, ms;
    };
    const Case cases[] = {
        {"|heng|heng|", "heng", 2, 0, -1, -1, -1, -1},
        {"|shu|", "shu", -1, -1, 0, 1, -1, -1},
        {"|shuheng|shuheng|shuheng|", "shuheng", 3, 0, 0, 3, -1, -1},
        {"|heng|shu|", "gaojimoban", -1, -1, -1, -1, 1, 1},
        {"|heng|shuheng|", "gaojimoban", -1, -1, -1, -1, 2, 0},
        {"| heng|", "gaojimoban", -1, -1, -1, -1, 0, 0},
        {"|heng||heng|", "gaojimoban", -1, -1, -1, -1, 2, 0},
        {"|Heng|", "gaojimoban", -1, -1, -1, -1, 0, 0},
        {"", "", -1, -1, -1, -1, -1, -1},
        {"heng", "", -1, -1, -1, -1, -1, -1},
        {"|heng", "", -1, -1, -1, -1, -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.orientations);
        Session s;
        s.table(tables::Templates).appendRow(templateRow(QString::fromUtf8(c.orientations), 0));
        classifyTemplates(s);
        countSlots(s);
        EXPECT_EQ(s.table(tables::Templates).cell(0, TemplateCol::Class), QString::fromLatin1(c.cls));
        auto check = [&](QLatin1StringView list, int h, int sl) {
            const Table& t = s.table(list);
            if (h < 0) {
                EXPECT_EQ(t.rowCount(), 0) << list.data();
                return;
            }
            ASSERT_EQ(t.rowCount(), 1) << list.data();
            EXPECT_EQ(t.cell(0, ClassCol::LandscapeSlots), QString::number(h)) << list.data();
            EXPECT_EQ(t.cell(0, ClassCol::PortraitSlots), QString::number(sl)) << list.data();
        };
        check(tables::Landscape, c.lh, c.ls);
        check(tables::Portrait, c.ph, c.ps);
        check(tables::Mixed, c.mh, c.ms);
    }
}

TEST(Classification, ClassRowsCopyTheTemplateAndFollowItsOrder)
{
    Session s;
    Table& templates = s.table(tables::Templates);
    templates.appendRow(templateRow("|shu|", 0));
    templates.appendRow(templateRow("|shuheng|", 1));
    templates.appendRow(templateRow("|heng|", 2));
    classifyTemplates(s);
    const Table& landscape = s.table(tables::Landscape);
    ASSERT_EQ(landscape.rowCount(), 2);
    EXPECT_EQ(landscape.cell(0, ClassCol::PairNumber), "1");
    EXPECT_EQ(landscape.cell(1, ClassCol::PairNumber), "2");
    EXPECT_EQ(landscape.row(1), (Row{"类型", "分类", "1", "|0|", "|0|", "|heng|", "pic", "/lib/m.rar", "heng", "2",
                                     "0", "0", "125"}));
    EXPECT_EQ(s.table(tables::Portrait).rowCount(), 2);
    // Classifying again starts from empty lists.
    classifyTemplates(s);
    EXPECT_EQ(s.table(tables::Portrait).rowCount(), 2);
}

TEST(Classification, ReadsSlotSizesOnlyFromTheFourCandidateLists)
{
    Session s;
    Row row = templateRow("|heng|heng|", 0);
    row[ClassCol::SlotWidths] = "|800|640|";
    row[ClassCol::SlotHeights] = "|600|480|";
    row.append({"2", "0", "125"});
    s.table(tables::LandscapeCandidates).appendRow(row);
    s.table(tables::Landscape).appendRow(row);

    const SlotSizes sizes = readSlotSizes(s, tables::LandscapeCandidates, 0);
    EXPECT_EQ(sizes.widths, (QStringList{"800", "640"}));
    EXPECT_EQ(sizes.heights, (QStringList{"600", "480"}));
    EXPECT_EQ(s.table(tables::SlotWidths).lines(), sizes.widths);
    EXPECT_EQ(s.table(tables::SlotHeights).lines(), sizes.heights);
    EXPECT_EQ(s.table(tables::SizeBars).lines(), (QStringList{"1", "5", "9"}));

    for (const auto& [name, r] : {std::pair<QString, int>{tables::Landscape, 0},
                                  {tables::LandscapeCandidates, 5}, {tables::PortraitCandidates, 0}}) {
        SCOPED_TRACE(name.toStdString());
        const SlotSizes none = readSlotSizes(s, name, r);
        EXPECT_TRUE(none.widths.isEmpty());
        EXPECT_TRUE(s.table(tables::SlotWidths).isEmpty());
        EXPECT_TRUE(s.table(tables::SlotHeights).isEmpty());
    }
}
