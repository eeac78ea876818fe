#include "core/bar_list.h"
#include "core/colours.h"
#include "core/text_decode.h"
#include "core/working_folder.h"

#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

using namespace fotarel;

TEST(BarList, SplitsItemsBetweenConsecutiveBars)
{
    struct Case {
        const char* text;
        QStringList items;
        QList<int> bars;
    };
    const Case cases[] = {
        {"|heng|shu|", {"heng", "shu"}, {1, 6, 10}},
        {"|1920|", {"1920"}, {1, 6}},
        {"lead|a||b|trail", {"a", "", "b"}, {5, 7, 8, 10}},
        {"|", {}, {1}},
        {"", {}, {}},
        {"no bars", {}, {}},
        {"| heng|", {" heng"}, {1, 7}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const BarListSplit s = splitBarList(QString::fromUtf8(c.text));
        EXPECT_EQ(s.items, c.items);
        EXPECT_EQ(s.barPositions, c.bars);
    }
    // Characters, not bytes: the positions count Chinese characters as one.
    EXPECT_EQ(splitBarList(QStringLiteral("横|竖|")).barPositions, (QList<int>{2, 4}));
}

TEST(Colours, NamesAndBgrValues)
{
    int count = 0;
    namedColours(&count);
    EXPECT_EQ(count, 20);
    EXPECT_EQ(colourValueForName("clWhite"), 16777215u);
    EXPECT_EQ(colourValueForName("clRed"), 255u);
    EXPECT_EQ(colourValueForName("clNavy"), 0x800000u);
    EXPECT_EQ(colourValueForName("clSkyBlue"), 0xF0CAA6u);
    EXPECT_FALSE(colourValueForName("clwhite").has_value());
    EXPECT_EQ(colourNameForValue(0x00FFFF), "clYellow");
    EXPECT_EQ(colourNameForValue(0x123456), "");
    // 1185821 = 0x12181D: red 0x1D, green 0x18, blue 0x12.
    EXPECT_EQ(colourFromText("1185821"), QColor(0x1D, 0x18, 0x12));
    EXPECT_EQ(colourFromText("not a number"), QColor(Qt::black));
    EXPECT_EQ(valueFromColour(QColor(0x1D, 0x18, 0x12)), 1185821u);
}

TEST(Colours, ShownInChineseStoredByName)
{
    const struct {
        const char* stored;
        const char* shown;
    } cases[] = {{"clWhite", "白色"}, {"clYellow", "黄色"}, {"clBlue", "蓝色"}, {"clBlack", "黑色"},
                 {"clAqua", "青色"}, {"clTeal", "深青色"}, {"clMedGray", "中灰色"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        EXPECT_EQ(colourDisplayName(c.stored), QString::fromUtf8(c.shown));
        EXPECT_EQ(colourNameForDisplayName(QString::fromUtf8(c.shown)), c.stored);
        EXPECT_EQ(colourNameForDisplayName(c.stored), c.stored);
    }
    // A name that is no colour's is shown and read back as it is.
    EXPECT_EQ(colourDisplayName("clNoSuch"), "clNoSuch");
    EXPECT_EQ(colourNameForDisplayName("粉色"), "粉色");
    // Every colour has a name of its own, and none is left in English.
    const QStringList shown = colourDisplayNames();
    EXPECT_EQ(shown.size(), 20);
    EXPECT_EQ(QSet<QString>(shown.begin(), shown.end()).size(), shown.size());
    for (const QString& name : shown)
        EXPECT_FALSE(name.contains(QRegularExpression("[A-Za-z]"))) << name.toStdString();
}

TEST(TextDecode, BomUtf8AndGbk)
{
    const QString text = QStringLiteral("甜蜜蜜 [00:01.00]");
    EXPECT_EQ(decodeText(text.toUtf8()), text);
    EXPECT_EQ(decodeText("\xEF\xBB\xBF" + text.toUtf8()), text);
    EXPECT_EQ(decodeText(encodeGb18030(text)), text);
    QByteArray utf16("\xFF\xFE", 2);
    utf16.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    EXPECT_EQ(decodeText(utf16), text);
    // A truncated GBK sequence at the end still decodes what came before.
    QByteArray broken = encodeGb18030(QStringLiteral("甜蜜"));
    broken.append('\xCC');
    EXPECT_TRUE(decodeText(broken).startsWith(QStringLiteral("甜蜜")));
}

TEST(WorkingFolder, JoinsBackslashPathsBesideTheProgram)
{
    const WorkingFolder f("/opt/fotarel/bin");
    EXPECT_EQ(f.path(paths::kLibraryMovies), "/opt/fotarel/bin/smxcwjj/wj_0_or_2/wjj_01");
    EXPECT_EQ(f.path(paths::kPhotoThumbs), "/opt/fotarel/bin/smxcwjj/tp_wj/tp_slt_1/");
    EXPECT_EQ(paths::scratchFiles().size(), 20);
    EXPECT_EQ(paths::scratchFiles().first(), "smxcwjj\\tp_slt_tp_0_1.png");
    EXPECT_EQ(paths::scratchFiles().last(), "smxcwjj\\tp_0\\tp_slt_tp_0_1.png");
}
