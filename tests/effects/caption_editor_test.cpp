// The caption editor window: defaults and the live sample, adding through
// the choosers, the hand-over on closing, dragging rows in the display list,
// and the preview that plays and stops by itself.
#include "app/effects/caption_editor_window.h"

#include "effects/caption_columns.h"
#include "effects/motions.h"
#include "tests/support/scripted_ui.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

using namespace fotarel;
using namespace fotarel::effects;
using fotarel::app::CaptionEditorWindow;
using fotarel::test::ScriptedUi;

namespace {

struct Editor {
    Session session;
    ScriptedUi ui;
    CaptionEditorWindow window{session, ui, nullptr};

    Editor()
    {
        window.prepareOpening();
        window.show();
    }
    template <typename T>
    T* find(const char* name)
    {
        T* w = window.findChild<T*>(QString::fromLatin1(name));
        EXPECT_TRUE(w) << name;
        return w;
    }
    void click(const char* caption)
    {
        for (QPushButton* b : window.findChildren<QPushButton*>())
            if (b->text() == QString::fromUtf8(caption)) {
                QTest::mouseClick(b, Qt::LeftButton);
                return;
            }
        ADD_FAILURE() << "no button " << caption;
    }
    void add(const QString& text, int minute = 0, int second = 0, int effect = 0)
    {
        find<QLineEdit>("suiEdit_wenzi")->setText(text);
        find<QComboBox>("suiComboBox_fen")->setCurrentIndex(minute);
        find<QComboBox>("suiComboBox_miao")->setCurrentIndex(second);
        find<QComboBox>("suiComboBox_texiao_name")->setCurrentIndex(effect);
        click("添加特效");
    }
    QString texts() const
    {
        QString s;
        for (int r = 0; r < window.workingTable().rowCount(); ++r)
            s += window.workingTable().cell(r, CaptionCol::Text);
        return s;
    }
    QPoint rowCentre(int row)
    {
        auto* list = window.displayList();
        return list->visualItemRect(list->topLevelItem(row)).center();
    }
};

} // namespace

TEST(CaptionEditor, OpensWithDefaultsAndTheSampleFollowsTheChoosers)
{
    Editor e;
    EXPECT_EQ(e.find<QLineEdit>("suiEdit_wenzi")->text(), "此处输入文字");
    EXPECT_EQ(e.find<QComboBox>("suiComboBox_fen")->currentText(), "00  分");
    EXPECT_EQ(e.find<QComboBox>("suiComboBox_texiao_name")->count(), 30);
    EXPECT_EQ(e.find<QComboBox>("suiColorBox_texiao_name")->currentText(), "白色");
    EXPECT_EQ(e.find<QComboBox>("suiFontComboBox_texiao_name")->currentText(), "黑体");
    EXPECT_EQ(e.find<QComboBox>("suiFontSizeComboBox_texiao_name")->currentText(), "10");
    QLabel* sample = e.window.sample();
    EXPECT_EQ(sample->text(), "此处输入文字");

    e.find<QLineEdit>("suiEdit_wenzi")->setText("新年好");
    e.find<QComboBox>("suiFontSizeComboBox_texiao_name")->setCurrentText("40");
    e.find<QComboBox>("suiColorBox_texiao_name")->setCurrentText("红色");
    e.find<QCheckBox>("suiCheckBox_cuti")->setChecked(true);
    EXPECT_EQ(sample->text(), "新年好");
    EXPECT_EQ(sample->font().pixelSize(), 53);
    EXPECT_TRUE(sample->font().bold());
    EXPECT_TRUE(sample->styleSheet().contains("#ff0000"));

    // The style "默认" clears the styles; the size "默认" gives 10 back.
    QTest::mouseClick(e.find<QPushButton>("suiButton_zixing_moren"), Qt::LeftButton);
    QTest::mouseClick(e.find<QPushButton>("suiButton_daxiao_moren"), Qt::LeftButton);
    EXPECT_FALSE(sample->font().bold());
    EXPECT_EQ(e.find<QComboBox>("suiFontSizeComboBox_texiao_name")->currentText(), "10");
}

TEST(CaptionEditor, AddedCaptionsReachTheMainTableWhenTheWindowCloses)
{
    Editor e;
    e.add("第一条", 0, 5, 0);
    // The second without outline: its width typed as 0.
    auto* outlineWidth = e.find<QSpinBox>("SpinBox_miaobian_kuandu");
    QTest::mouseClick(outlineWidth, Qt::LeftButton);
    QTest::keyClick(outlineWidth, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(outlineWidth, "0");
    e.add("第二条", 1, 0, 7);
    e.find<QLineEdit>("suiEdit_wenzi")->clear();
    e.click("添加特效");
    EXPECT_EQ(e.ui.messages, QStringList{"没有输入文字内容！"});
    ASSERT_EQ(e.window.displayList()->topLevelItemCount(), 2);
    EXPECT_EQ(e.window.displayList()->topLevelItem(1)->text(2), "从居中上向右下");
    EXPECT_EQ(e.session.table(kCaptionTable).rowCount(), 0); // not until it closes

    e.click("返     回");
    const Table& main = e.session.table(kCaptionTable);
    ASSERT_EQ(main.rowCount(), 2);
    EXPECT_EQ(main.cell(0, CaptionCol::Start), "00:05");
    EXPECT_EQ(main.cell(1, CaptionCol::Start), "01:00");
    EXPECT_EQ(main.cell(1, CaptionCol::Motion), "juzhongshangxiangyouxia");
    EXPECT_EQ(main.row(0).mid(CaptionCol::Outline), (QStringList{"clBlack", "0", "2"}));
    EXPECT_EQ(main.cell(1, CaptionCol::Outline + 2), "0");

    // Reopened: the rows are still there; a deletion reaches the main table on closing.
    e.window.prepareOpening();
    e.window.show();
    ASSERT_EQ(e.window.displayList()->topLevelItemCount(), 2);
    e.click("删除特效");
    EXPECT_EQ(e.ui.messages.last(), "没有选中已添加的特效！");
    e.window.displayList()->topLevelItem(0)->setSelected(true);
    e.click("删除特效");
    e.window.close();
    ASSERT_EQ(main.rowCount(), 1);
    EXPECT_EQ(main.cell(0, CaptionCol::Text), "第二条");

    // Captions the album got elsewhere (an opened project) are what the
    // editor shows next, and closing it keeps them.
    Table& album = e.session.table(kCaptionTable);
    album.appendRow(album.row(0));
    album.setCell(1, CaptionCol::Text, "来自相册文件");
    e.window.prepareOpening();
    e.window.show();
    ASSERT_EQ(e.window.displayList()->topLevelItemCount(), 2);
    EXPECT_EQ(e.window.displayList()->topLevelItem(1)->text(0), "来自相册文件");
    e.window.close();
    EXPECT_EQ(album.rowCount(), 2);
}

TEST(CaptionEditor, DraggingSelectedRowsPutsThemBeforeTheRowUnderTheCursor)
{
    Editor e;
    for (const char* t : {"a", "b", "d", "e", "f", "g"})
        e.add(t);
    auto* list = e.window.displayList();
    QWidget* viewport = list->viewport();
    list->topLevelItem(1)->setSelected(true);
    list->topLevelItem(2)->setSelected(true);
    // Press on b (selected: the selection stays), move onto f, release.
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, e.rowCentre(1));
    EXPECT_EQ(list->selectedRows(), (std::vector<int>{1, 2}));
    QMouseEvent move(QEvent::MouseMove, e.rowCentre(4), viewport->mapToGlobal(e.rowCentre(4)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    EXPECT_TRUE(list->dragImage()->isVisible());
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, e.rowCentre(4));
    EXPECT_FALSE(list->dragImage()->isVisible());
    EXPECT_EQ(e.texts(), "aebdfg");
    EXPECT_EQ(list->topLevelItem(1)->text(0), "e");
    EXPECT_EQ(list->selectedRows(), (std::vector<int>{2, 3})); // the moved rows stay selected

    // A plain click on a selected row without moving selects it alone.
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, e.rowCentre(3));
    EXPECT_EQ(list->selectedRows(), (std::vector<int>{3}));
    EXPECT_EQ(e.texts(), "aebdfg");
}

TEST(CaptionEditor, PreviewNeedsRowsAndASelection)
{
    Editor e;
    e.click("单个预览");
    e.click("全部预览");
    EXPECT_EQ(e.ui.messages, (QStringList{"没有添加文字特效!", "没有添加文字特效!"}));
    e.add("x");
    e.click("单个预览");
    EXPECT_EQ(e.ui.messages.last(), "没有选中已添加的特效！");
    EXPECT_FALSE(e.window.previewRunning());
}

TEST(CaptionEditor, PreviewAllPlaysEveryCaptionSkipsIdleTimeAndStopsByItself)
{
    Editor e;
    e.add("先", 0, 0, 3);  // bottom left to top right: ends past the top edge
    e.add("后", 0, 40, 6); // top middle to bottom left: ends past the bottom edge
    e.click("全部预览");
    ASSERT_TRUE(e.window.previewRunning());
    EXPECT_FALSE(e.window.sample()->isVisible());
    EXPECT_FALSE(e.window.findChild<QPushButton*>("suiButton_tianjia")->isEnabled());
    EXPECT_TRUE(e.window.findChild<QPushButton*>("suiButton_tingzhiyulan")->isEnabled());

    auto* clock = e.find<QLineEdit>("Edit_shijian");
    e.window.previewTick();
    EXPECT_EQ(e.window.previewFrame(), 0); // a caption at 00:00 flies from frame 0
    EXPECT_EQ(e.window.workingTable().cell(0, CaptionCol::State), "qidong");
    EXPECT_EQ(e.window.workingTable().cell(1, CaptionCol::State), "tingzhi");
    for (int i = 0; i < 100; ++i)
        e.window.previewTick();
    EXPECT_EQ(clock->text(), "00:04"); // 0-based frame 100 plays at 00:04
    // The panel shows the caption: something lit on the black panel.
    const QImage shot = e.window.previewPanel()->grab().toImage();
    bool lit = false;
    for (int y = 0; y < shot.height() && !lit; ++y)
        for (int x = 0; x < shot.width() && !lit; ++x)
            lit = qGray(shot.pixel(x, y)) > 100;
    EXPECT_TRUE(lit);

    int ticks = 100;
    bool sawSecond = false;
    while (e.window.previewRunning() && ticks < 5000) {
        e.window.previewTick();
        ++ticks;
        if (e.window.previewFrame() == 1000) { // 00:40 starts on frame 1000; the clock jumped there
            sawSecond = true;
            EXPECT_EQ(clock->text(), "00:40");
            EXPECT_EQ(e.window.workingTable().cell(1, CaptionCol::State), "qidong");
        }
    }
    EXPECT_TRUE(sawSecond);
    EXPECT_FALSE(e.window.previewRunning()); // both ended, one past the top edge, one past the bottom
    // The first flies about 680 frames, the second about 380; the idle
    // frames between 680 and 1000 were skipped.
    EXPECT_LT(ticks, 1100);
    EXPECT_EQ(clock->text(), "00:00");
    EXPECT_TRUE(e.window.sample()->isVisible());
    EXPECT_TRUE(e.window.findChild<QPushButton*>("suiButton_tianjia")->isEnabled());
}

TEST(CaptionEditor, SinglePreviewPlaysOnlyTheSelectedRow)
{
    Editor e;
    e.add("a", 0, 0, 1);
    e.add("b", 0, 0, 1);
    e.window.displayList()->topLevelItem(1)->setSelected(true);
    e.click("单个预览");
    e.window.previewTick();
    EXPECT_EQ(e.window.workingTable().cell(0, CaptionCol::State), "tingzhi");
    EXPECT_EQ(e.window.workingTable().cell(1, CaptionCol::State), "qidong");
    e.click("停止预览");
    EXPECT_FALSE(e.window.previewRunning());
    EXPECT_EQ(e.window.workingTable().cell(1, CaptionCol::State), "tingzhi");
}
