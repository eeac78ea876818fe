// The caption editor's table work: composing rows with their checks,
// deleting, reordering by a drag, the display rows, the hand-over to the
// main window, and captions given on the command line.
#include "effects/caption_columns.h"
#include "effects/caption_editing.h"
#include "effects/caption_option.h"
#include "effects/motions.h"

#include "tests/support/scripted_ui.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace fotarel;
using namespace fotarel::effects;
using fotarel::test::ScriptedUi;

namespace {

CaptionChoice defaults()
{
    CaptionChoice c;
    c.text = kDefaultText;
    c.minuteItem = minuteItems().first();
    c.secondItem = secondItems().first();
    c.effectIndex = 0;
    c.effectName = effectNames().first();
    c.colourName = kDefaultColour;
    c.fontName = kDefaultFont;
    c.sizeText = kDefaultSize;
    return c;
}

const Table& motions()
{
    static const Table t = motionTable(kPreviewWidth, kPreviewHeight);
    return t;
}

Table lettersTable(const QString& letters)
{
    Table t(captionColumnCaptions());
    for (QChar c : letters) {
        CaptionChoice choice = defaults();
        choice.text = QString(c);
        t.appendRow(*composeRow(choice, motions()).row);
    }
    return t;
}

QString letters(const Table& t)
{
    QString s;
    for (int r = 0; r < t.rowCount(); ++r)
        s += t.cell(r, CaptionCol::Text);
    return s;
}

} // namespace

TEST(CaptionEditing, ChooserItemsAndDefaults)
{
    EXPECT_EQ(minuteItems().size(), 60);
    EXPECT_EQ(minuteItems()[7], "07  分");
    EXPECT_EQ(secondItems()[59], "59  秒");
    EXPECT_EQ(sizeItems().first(), "10");
    EXPECT_EQ(sizeItems().last(), "40");
}

TEST(CaptionEditing, ChecksRunInOrderAndTheFirstFailureAddsNothing)
{
    const struct {
        const char* what;
        void (*spoil)(CaptionChoice&);
        const char* message;
    } cases[] = {
        {"no text even with everything else set", [](CaptionChoice& c) { c.text.clear(); }, "没有输入文字内容！"},
        {"text and font both missing", [](CaptionChoice& c) { c.text.clear(); c.fontName.clear(); }, "没有输入文字内容！"},
        {"no minute", [](CaptionChoice& c) { c.minuteItem.clear(); }, "(文字出现时间)不能为空！"},
        {"no second", [](CaptionChoice& c) { c.secondItem.clear(); }, "(文字出现时间)不能为空！"},
        {"no effect", [](CaptionChoice& c) { c.effectIndex = -1; c.effectName.clear(); }, "(文字特效)不能为空！"},
        {"no font", [](CaptionChoice& c) { c.fontName.clear(); }, "(文字字体)不能为空！"},
        {"no size", [](CaptionChoice& c) { c.sizeText.clear(); }, "(文字大小)不能为空！"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CaptionChoice choice = defaults();
        c.spoil(choice);
        Table working(captionColumnCaptions());
        ScriptedUi ui;
        EXPECT_FALSE(addCaption(working, choice, motions(), ui));
        EXPECT_EQ(working.rowCount(), 0);
        EXPECT_EQ(ui.messages, QStringList{QString::fromUtf8(c.message)});
    }
}

TEST(CaptionEditing, AddedRowHoldsEveryCellOfTheChoice)
{
    CaptionChoice c = defaults();
    c.text = "生日快乐";
    c.minuteItem = "01  分";
    c.secondItem = "30  秒";
    c.effectIndex = 1;
    c.effectName = effectNames()[1];
    c.colourName = "clRed";
    c.fontName = "宋体";
    c.sizeText = "24";
    c.bold = true;
    c.underline = true;
    Table working(captionColumnCaptions());
    ScriptedUi ui;
    ASSERT_TRUE(addCaption(working, c, motions(), ui));
    ASSERT_TRUE(addCaption(working, c, motions(), ui)); // the same twice: two identical rows
    EXPECT_TRUE(ui.messages.isEmpty());
    ASSERT_EQ(working.rowCount(), 2);
    EXPECT_EQ(working.row(0), working.row(1));
    EXPECT_EQ(working.row(0), (QStringList{"生日快乐", "01:30", "暂无", "tingzhi", "congzuoxiadaoyouxia", "0", "0",
                                            "从左下到右下", "clRed", "宋体", "24", "cuti", "0", "xiahuaxian", "255",
                                            "clBlack", "0", "2"}));
    EXPECT_EQ(displayRow(working.row(0)), (QStringList{"生日快乐", "01:30", "从左下到右下", "红色", "宋体", "24",
                                                        "粗体", "无", "下划线", "255"}));
}

TEST(CaptionEditing, DeletingSelectedRowsKeepsTheRestInOrder)
{
    Table t = lettersTable("abcdef");
    ScriptedUi ui;
    EXPECT_TRUE(deleteCaptions(t, {4, 1, 2}, ui));
    EXPECT_EQ(letters(t), "adf");
    EXPECT_FALSE(deleteCaptions(t, {}, ui));
    EXPECT_EQ(ui.messages, QStringList{"没有选中已添加的特效！"});
    EXPECT_EQ(letters(t), "adf");
}

TEST(CaptionEditing, DragReorder)
{
    // Six rows a b d e f g at positions 0-5.
    const struct {
        const char* what;
        std::vector<int> selected;
        int start;
        int drop; // 6 = below the last row
        const char* result;
    } cases[] = {
        {"block b d down onto f lands before f", {1, 2}, 1, 4, "aebdfg"},
        {"f up onto b lands before b", {4}, 4, 1, "afbdeg"},
        {"dropped where it started: nothing", {2}, 2, 2, "abdefg"},
        {"below the last row: to the end", {0, 2}, 0, 6, "befgad"},
        {"every row selected: nothing", {0, 1, 2, 3, 4, 5}, 0, 3, "abdefg"},
        {"two top rows dropped on the second (negative insertion point): nothing", {0, 1}, 0, 1, "abdefg"},
        {"onto another dragged row: nothing", {1, 4}, 1, 4, "abdefg"},
        {"scattered rows down: before the row under the cursor", {0, 2}, 0, 1, "adbefg"},
        {"scattered rows around the target: before it", {0, 5}, 5, 3, "bdagef"},
        {"a row dropped just below itself: nothing moves", {2}, 2, 3, "abdefg"},
        {"the last row dropped below the end: nothing moves", {5}, 5, 6, "abdefg"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Table t = lettersTable("abdefg");
        if (const auto order = dragOrder(t.rowCount(), c.selected, c.start, c.drop))
            applyOrder(t, *order);
        EXPECT_EQ(letters(t), QString::fromLatin1(c.result));
    }
}

TEST(CaptionEditing, HandOverReplacesTheMainTableWithWaitingRows)
{
    Table working = lettersTable("ab");
    working.setCell(1, CaptionCol::State, kStateMoving);
    Table main = lettersTable("xyz");
    handOver(working, main);
    EXPECT_EQ(letters(main), "ab");
    EXPECT_EQ(main.cell(1, CaptionCol::State), "tingzhi");
    EXPECT_EQ(main.row(0), working.row(0));
}

TEST(CaptionOption, GoodCaptions)
{
    const struct {
        const char* text;
        const char* start;
        const char* effect;
        const char* motion;
        const char* caption;
        const char* font;
        const char* size;
        const char* colour;
    } cases[] = {
        {"00:05|1|你好", "00:05", "从左上向右下", "zuoshangxiangyouxia", "你好", "黑体", "10", "clWhite"},
        {"12:00|从居中右向居中左|Hi there|宋体|32|clYellow", "12:00", "从居中右向居中左",
         "juzhongyouxiangjuzhongzuo", "Hi there", "宋体", "32", "clYellow"},
        {"1:5|2|x||20", "01:05", "从左下到右下", "congzuoxiadaoyouxia", "x", "黑体", "20", "clWhite"},
        {"59:59|30|end", "59:59", "从居中右向居中左", "juzhongyouxiangjuzhongzuo", "end", "黑体", "10", "clWhite"},
        // A colour by the name the windows show.
        {"00:07|1|x|宋体|12|黄色", "00:07", "从左上向右下", "zuoshangxiangyouxia", "x", "宋体", "12", "clYellow"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const CaptionOption o = parseCaptionOption(QString::fromUtf8(c.text));
        ASSERT_TRUE(o.row) << o.error.toStdString();
        const Row& r = *o.row;
        EXPECT_EQ(r.value(CaptionCol::Start), c.start);
        EXPECT_EQ(r.value(CaptionCol::EffectName), QString::fromUtf8(c.effect));
        EXPECT_EQ(r.value(CaptionCol::Motion), c.motion);
        EXPECT_EQ(r.value(CaptionCol::Text), QString::fromUtf8(c.caption));
        EXPECT_EQ(r.value(CaptionCol::FontName), QString::fromUtf8(c.font));
        EXPECT_EQ(r.value(CaptionCol::FontSize), c.size);
        EXPECT_EQ(r.value(CaptionCol::ColourName), c.colour);
        EXPECT_EQ(r.value(CaptionCol::State), "tingzhi");
    }
}

TEST(CaptionOption, BadCaptionsNameTheField)
{
    const struct {
        const char* text;
        const char* names;
    } cases[] = {
        {"00:05|1", "请写成 \"mm:ss|特效|文字\""},
        {"a|b|c|d|e|f|g", "请写成 \"mm:ss|特效|文字\""},
        {"0:60|1|x", "时间 \"0:60\" 不是 mm:ss"},
        {"75:00|1|x", "时间 \"75:00\""},
        {"0005|1|x", "时间 \"0005\""},
        {"00:05|31|x", "特效 \"31\" 既不是特效名称，也不是 1 到 30 的编号"},
        {"00:05|0|x", "特效 \"0\""},
        {"00:05|飞来飞去|x", "特效 \"飞来飞去\""},
        {"00:05|1|x|黑体|9", "字号 \"9\" 不是 10 到 40 之间的整数"},
        {"00:05|1|x|黑体|big", "字号 \"big\""},
        {"00:05|1|x|黑体|20|pink", "颜色 \"pink\" 不是可选的颜色：黑色、褐红色"},
        {"00:05|1|", "没有输入文字内容！"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const CaptionOption o = parseCaptionOption(QString::fromUtf8(c.text));
        EXPECT_FALSE(o.row);
        EXPECT_TRUE(o.error.contains(QString::fromUtf8(c.names))) << o.error.toStdString();
        // Told in Chinese: no English word but what the user wrote (quoted)
        // and the option's own spelling.
        QString rest = o.error;
        rest.remove(QRegularExpression("\"[^\"]*\"")).remove("--caption").remove("--help");
        EXPECT_FALSE(rest.contains(QRegularExpression("[A-Za-z]{3,}"))) << o.error.toStdString();
    }
}
