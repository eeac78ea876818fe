// The karaoke windows: the lyric type dialog's three choices, the style
// dialog's defaults and result, and the settings window's preview panel.
#include "app/karaoke/karaoke_dialogs.h"
#include "app/karaoke/karaoke_settings_window.h"
#include "audio/music_table.h"
#include "karaoke/lyric_type.h"
#include "tests/karaoke/scripted_player.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/temp_tree.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest/QTest>

#include <gtest/gtest.h>

namespace fotarel::app {
namespace {

// Runs `act` on the modal dialog that is about to open.
void whenShown(std::function<void(QWidget*)> act)
{
    QTimer::singleShot(0, [act] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        act(modal);
    });
}

TEST(LyricTypeDialog, EachChoiceSetsTheVariableAndEveryOpeningResetsToBoth)
{
    Session session;
    LyricTypeDialog dialog(session);
    const std::pair<const char*, QLatin1StringView> choices[] = {{"RadioButton_shiyong_lrc", karaoke::kUseLrc},
                                                                 {"RadioButton_shiyong_ksc", karaoke::kUseKsc},
                                                                 {"RadioButton_shiyong_lrcksc", karaoke::kUseBoth}};
    for (const auto& [name, value] : choices) {
        session.set(karaoke::kLyricTypeVariable, karaoke::kUseKsc);
        QString shownChoice;
        whenShown([&, objectName = QString::fromLatin1(name)](QWidget* modal) {
            shownChoice = session.get(karaoke::kLyricTypeVariable);
            EXPECT_TRUE(modal->findChild<QRadioButton*>("RadioButton_shiyong_lrcksc")->isChecked());
            modal->findChild<QRadioButton*>(objectName)->click();
            QTest::mouseClick(modal->findChild<QPushButton*>("suiButton_queding"), Qt::LeftButton);
        });
        dialog.ask();
        EXPECT_EQ(shownChoice, karaoke::kUseBoth);
        EXPECT_EQ(session.get(karaoke::kLyricTypeVariable), value) << name;
    }
}

TEST(KaraokeStyleDialog, DefaultsClearBoldAndTheResultCarriesNamesAndValues)
{
    KaraokeStyleDialog dialog;
    karaoke::KaraokeStyle style;
    style.baseName = "clYellow";
    style.sungName = "clRed";
    style.size = 30;
    style.italic = true;
    style.script = "fanti";
    style.outline = {"clNavy", 0x800000, 5};
    dialog.setStyle(style);
    // The lists show the colours' Chinese names; the style keeps the stored ones.
    EXPECT_EQ(dialog.findChild<QComboBox*>("ColorBox_geciyanse")->currentText(), "黄色");
    EXPECT_EQ(dialog.findChild<QComboBox*>("ColorBox_xuanranyanse")->currentText(), "红色");
    const karaoke::KaraokeStyle shown = dialog.style();
    EXPECT_EQ(shown.baseName, "clYellow");
    EXPECT_EQ(shown.baseValue, 0x00FFFFu);
    EXPECT_EQ(shown.sungValue, 0x0000FFu);
    EXPECT_EQ(shown.size, 30);
    EXPECT_TRUE(shown.bold);
    EXPECT_EQ(shown.script, "fanti");
    EXPECT_EQ(shown.outline, style.outline);

    for (const char* name : {"suiButton_moren_geciyanse", "suiButton_moren_xuanranyanse", "suiButton_moren_geciziti",
                             "suiButton_moren_gecidaxiao", "suiButton_moren_zixing", "suiButton_moren_jianfan",
                             "suiButton_moren_miaobian"})
        QTest::mouseClick(dialog.findChild<QPushButton*>(name), Qt::LeftButton);
    EXPECT_EQ(dialog.style(), karaoke::KaraokeStyle::dialogDefaults());
    EXPECT_FALSE(dialog.style().bold);
}

TEST(KaraokeSettingsWindow, ImportStyleAndPreviewAFileAgainstASong)
{
    test::TempTree tree;
    WorkingFolder folder(tree.root());
    Session session;
    session.table(audio::names::MusicTable).appendRow(audio::songRow(1, "/m/a.mp3", 20000));
    const QString file = tree.write("a.ksc", "karaoke.add('00:02.000', '00:04.000', '[甜蜜]蜜', '400,400');\n");
    test::ScriptedUi ui;
    test::ScriptedPlayer player;
    player.length = 20000;
    KaraokeSettingsWindow window(session, folder, ui, &player);
    window.prepare();
    EXPECT_EQ(session.get("Edit_jiance_chushihua"), "1");

    ui.openAnswers.push_back({file});
    window.importFiles();
    ASSERT_EQ(window.list()->topLevelItemCount(), 1);
    EXPECT_EQ(window.list()->topLevelItem(0)->text(6), "使用");

    window.list()->setCurrentItem(window.list()->topLevelItem(0));
    window.chooseListRow();
    auto* chooser = window.findChild<QComboBox*>("ComboBox_xuanzeyinyue");
    ASSERT_EQ(chooser->count(), 1);
    window.chooseSong(0);
    EXPECT_EQ(chooser->currentText(), "a");
    window.play();
    EXPECT_TRUE(ui.messages.isEmpty()) << ui.messages.join("|").toStdString();
    EXPECT_FALSE(window.list()->isEnabled()); // locked while playing
    player.position = 2200;
    const QImage shot = window.panel()->grab().toImage();
    // Blue (the sung colour) left of white on line A's row.
    const int y0 = 338;
    int blue = 0;
    int white = 0;
    for (int y = y0; y < y0 + 40; ++y)
        for (int x = 75; x < 400; ++x) {
            const QColor c = shot.pixelColor(x, y);
            blue += c.blue() > 200 && c.red() < 60;
            white += c.red() > 200 && c.green() > 200 && c.blue() > 200;
        }
    EXPECT_GT(blue, 10);
    EXPECT_GT(white, 10);

    window.pause();
    EXPECT_TRUE(window.list()->isEnabled());
    // "设置歌词" with a new style; the file is then no longer chosen.
    whenShown([](QWidget* modal) {
        modal->findChild<QCheckBox*>("CheckBox_xieti")->setChecked(true);
        QTest::mouseClick(modal->findChild<QPushButton*>("suiButton_queding"), Qt::LeftButton);
    });
    window.setStyle();
    EXPECT_EQ(session.table(karaoke::names::KaraokeTable).cell(0, karaoke::KscCol::Italic), "T");
    EXPECT_EQ(window.list()->topLevelItem(0)->text(7), "使用");
    EXPECT_TRUE(window.preview().chosenFileName().isEmpty());
}


TEST(KaraokeSettingsWindow, PlayWithOnlyASongChosenPlaysTheFileThatGoesWithIt)
{
    test::TempTree tree;
    WorkingFolder folder(tree.root());
    Session session;
    session.table(audio::names::MusicTable).appendRow(audio::songRow(1, "/m/a.mp3", 20000));
    session.table(audio::names::MusicTable).appendRow(audio::songRow(2, "/m/b.mp3", 20000));
    test::ScriptedUi ui;
    test::ScriptedPlayer player;
    KaraokeSettingsWindow window(session, folder, ui, &player);
    window.prepare();
    auto playButton = [&] {
        for (QPushButton* b : window.findChildren<QPushButton*>())
            if (b->text() == "播放")
                return b;
        return static_cast<QPushButton*>(nullptr);
    };
    auto* chooser = window.findChild<QComboBox*>("ComboBox_xuanzeyinyue");
    window.show();

    // No file in the list yet: the window says so.
    QTest::keyClick(chooser, Qt::Key_Down);
    ASSERT_EQ(window.preview().chosenSongName(), "a");
    QTest::mouseClick(playButton(), Qt::LeftButton);
    EXPECT_EQ(ui.messages, QStringList{"没有导入卡拉OK歌词文件！"});
    EXPECT_FALSE(player.isOn);

    // Two files: the second song plays with the second file, chosen for the user.
    ui.messages.clear();
    ui.openAnswers.push_back({tree.write("one.ksc", "karaoke.add('00:01.000', '00:02.000', '一', '1000');\n"),
                              tree.write("two.ksc", "karaoke.add('00:01.000', '00:02.000', '二', '1000');\n")});
    QTest::mouseClick(window.findChild<QPushButton*>("suiButton_daoru"), Qt::LeftButton);
    ASSERT_EQ(window.list()->topLevelItemCount(), 2);
    QTest::keyClick(chooser, Qt::Key_Down);
    ASSERT_EQ(window.preview().chosenSongName(), "b");
    QTest::mouseClick(playButton(), Qt::LeftButton);
    EXPECT_TRUE(ui.messages.isEmpty()) << ui.messages.join("|").toStdString();
    EXPECT_TRUE(player.isOn);
    EXPECT_EQ(window.preview().chosenFileName(), "two");
    EXPECT_EQ(window.list()->currentItem(), window.list()->topLevelItem(1));
    EXPECT_EQ(window.findChild<QLineEdit*>("suiEdit_xuanzhonggeci")->text(), "two");
}

} // namespace
} // namespace fotarel::app
