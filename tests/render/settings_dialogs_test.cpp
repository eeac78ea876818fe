#include "app/settings/album_length_dialog.h"
#include "app/settings/other_settings_dialog.h"
#include "app/settings/output_size_dialog.h"
#include "app/settings/status_panel.h"
#include "render/output_settings.h"
#include "tests/audio/qt_print.h"
#include "audio/audio_names.h"
#include "photos/crop.h"
#include "photos/photo_columns.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

namespace fotarel::app {
namespace {

using namespace settings;

// Runs `act` once the modal window is shown; `act` must close it.
void whileShown(QDialog& dialog, std::function<void()> act)
{
    auto* poll = new QTimer(&dialog);
    poll->setInterval(2);
    QObject::connect(poll, &QTimer::timeout, &dialog, [poll, &dialog, act] {
        if (!dialog.isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        act();
    });
    poll->start();
}

template <class T>
T* child(QWidget& parent, const char* name)
{
    T* found = parent.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

QPushButton* button(QWidget& parent, const QString& caption)
{
    for (QPushButton* b : parent.findChildren<QPushButton*>())
        if (b->text() == caption)
            return b;
    ADD_FAILURE() << "no button " << caption.toStdString();
    return nullptr;
}

void closeBox(QDialog& dialog)
{
    dialog.close(); // what the title bar's close box does
}

// The window's own "确定" closes it (the close box only when it has none).
void confirm(QDialog& dialog)
{
    if (QPushButton* ok = button(dialog, QStringLiteral("确定")))
        QTest::mouseClick(ok, Qt::LeftButton);
    else
        closeBox(dialog);
}

TEST(OtherSettingsDialog, ButtonsShowAndSetTheSession)
{
    Session session;
    session.set(vars::TvStandard, kNtsc);
    OtherSettingsDialog dialog(session);
    whileShown(dialog, [&] {
        // Opening shows the session's choices.
        EXPECT_TRUE(child<QRadioButton>(dialog, "suiRadioButton_NTSC")->isChecked());
        EXPECT_TRUE(child<QRadioButton>(dialog, "suiRadioButton_gaoqing_huazhi")->isChecked());
        EXPECT_TRUE(child<QRadioButton>(dialog, "suiRadioButton_hengzhaopian_quanping")->isChecked());
        EXPECT_TRUE(child<QRadioButton>(dialog, "suiRadioButton_shuzhaopian_jubufangda")->isChecked());

        child<QRadioButton>(dialog, "suiRadioButton_yiban_huazhi")->click();
        child<QRadioButton>(dialog, "suiRadioButton_hengzhaopian_moren")->click();
        EXPECT_EQ(session.get(vars::Quality), kNormalQuality);
        EXPECT_EQ(landscapeCrop(session), LandscapeCrop::TemplateDefault);
        EXPECT_EQ(portraitCrop(session), PortraitCrop::PartialZoom);
        EXPECT_EQ(session.get(vars::TvStandard), kNtsc); // a crop choice leaves it
        child<QRadioButton>(dialog, "suiRadioButton_PAL")->click();
        EXPECT_EQ(session.get(vars::TvStandard), kPal);
        // "从左上角剪裁", found by its text and clicked: off by default, on
        // and off again.
        QCheckBox* topLeft = nullptr;
        for (QCheckBox* box : dialog.findChildren<QCheckBox*>())
            if (box->text() == QStringLiteral("从左上角剪裁"))
                topLeft = box;
        ASSERT_NE(topLeft, nullptr);
        EXPECT_FALSE(topLeft->isChecked());
        EXPECT_EQ(cropRuleFrom(session), CropRule::Subject);
        QTest::mouseClick(topLeft, Qt::LeftButton, {}, QPoint(8, topLeft->height() / 2));
        EXPECT_EQ(cropRuleFrom(session), CropRule::TopLeft);
        QTest::mouseClick(topLeft, Qt::LeftButton, {}, QPoint(8, topLeft->height() / 2));
        EXPECT_EQ(cropRuleFrom(session), CropRule::Subject);
        confirm(dialog);
    });
    dialog.run();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(session.get(vars::Quality), kNormalQuality);
}

TEST(AlbumLengthDialog, OpeningWithoutMusicResetsEveryFlag)
{
    struct Case {
        bool songs;
        AlbumLengthFlags shown;
    };
    const Case cases[] = {
        {false, AlbumLengthFlags{}},
        {true, AlbumLengthFlags{false, true, true, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.songs);
        Session session;
        chooseFollowMusic(session);
        setLoopMusic(session, true);
        setLoopPictures(session, true);
        if (c.songs)
            session.table(audio::names::MusicTable).appendRow({"1", "a", ".mp3", "/a.mp3", "00:00:05", "125", "wu", "wu"});
        AlbumLengthDialog dialog(session);
        AlbumLengthFlags shown;
        whileShown(dialog, [&] {
            shown = AlbumLengthFlags{child<QRadioButton>(dialog, "RadioButton1")->isChecked(),
                                     child<QRadioButton>(dialog, "RadioButton2")->isChecked(),
                                     child<QCheckBox>(dialog, "CheckBox1")->isChecked(),
                                     child<QCheckBox>(dialog, "CheckBox2")->isChecked()};
            closeBox(dialog);
        });
        dialog.run();
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(albumLengthFlags(session), c.shown);
    }
}

TEST(AlbumLengthDialog, ButtonsSetTheFlags)
{
    Session session;
    AlbumLengthDialog dialog(session);
    whileShown(dialog, [&] {
        child<QRadioButton>(dialog, "RadioButton2")->click();
        child<QCheckBox>(dialog, "CheckBox1")->click();
        child<QCheckBox>(dialog, "CheckBox2")->click();
        EXPECT_EQ(albumLengthFlags(session), (AlbumLengthFlags{false, true, true, true}));
        // Back to the photos: the picture loop goes off, in the window too.
        child<QRadioButton>(dialog, "RadioButton1")->click();
        EXPECT_EQ(albumLengthFlags(session), (AlbumLengthFlags{true, false, true, false}));
        EXPECT_FALSE(child<QCheckBox>(dialog, "CheckBox2")->isChecked());
        EXPECT_TRUE(child<QCheckBox>(dialog, "CheckBox1")->isChecked());
        confirm(dialog);
    });
    dialog.run();
    EXPECT_EQ(session.get(vars::LengthRule), kFollowPhotos);
}

TEST(OutputSizeDialog, HowTheWindowEnds)
{
    enum class Ending { StartButton, CloseBox };
    struct Case {
        const char* name;
        Ending ending;
        const char* step;
        bool forWizard;
        bool goesOn;
        const char* stepAfter;
    };
    const Case cases[] = {
        {"start button", Ending::StartButton, "", false, true, ""},
        {"close box", Ending::CloseBox, "", false, false, ""},
        {"close box with the wizard's step", Ending::CloseBox, "xiangce_xiangdao_zhizuoDVDxiangce", true, false,
         "xiangce_xiangdao_zhizuoDVDxiangce"},
        {"the wizard's album starts with the user's size", Ending::StartButton, "xiangce_xiangdao_zhizuoDVDxiangce",
         true, true, ""},
        {"another step is left alone", Ending::StartButton, "xiangce_xiangdao_tianjiayinyue", true, true,
         "xiangce_xiangdao_tianjiayinyue"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Session session;
        session.set(vars::Cancelled, kCancelledWord); // a previous cancel must not stick
        session.set(vars::WizardStep, QString::fromLatin1(c.step));
        OutputSizeDialog dialog(session);
        bool stillShown = false;
        QString chosenSize;
        whileShown(dialog, [&] {
            // The window waits for the user, also when the wizard asked: a
            // second later it is still there and the user picks a size.
            QTimer::singleShot(1000, &dialog, [&] {
                stillShown = dialog.isVisible();
                auto* sizes = child<QListWidget>(dialog, "ListBox_chicun");
                QListWidgetItem* first = sizes->item(0);
                QTest::mouseClick(sizes->viewport(), Qt::LeftButton, {}, sizes->visualItemRect(first).center());
                chosenSize = first->text();
                if (c.ending == Ending::StartButton)
                    QTest::mouseClick(button(dialog, QStringLiteral("开始制作")), Qt::LeftButton);
                else
                    closeBox(dialog);
            });
        });
        EXPECT_EQ(dialog.ask(c.forWizard), c.goesOn);
        EXPECT_TRUE(stillShown);
        EXPECT_EQ(outputSizeCancelled(session), !c.goesOn);
        EXPECT_EQ(session.get(vars::WizardStep), QString::fromLatin1(c.stepAfter));
        EXPECT_TRUE(chosenSize.startsWith(session.get(vars::Width) + " ×")) << chosenSize.toStdString();
    }
}

TEST(OutputSizeDialog, ListsFieldsAndFormats)
{
    Session session;
    session.set(vars::OutputType, kImageSequence);
    OutputSizeDialog dialog(session);
    whileShown(dialog, [&] {
        EXPECT_EQ(dialog.size(), QSize(730, 290));
        auto* sizes = child<QListWidget>(dialog, "ListBox_chicun");
        auto* formats = child<QListWidget>(dialog, "ListBox_tupian_geshi");
        auto* shownSize = child<QLineEdit>(dialog, "suiEdit_shuchu_chicun");
        auto* shownType = child<QLineEdit>(dialog, "suiEdit_shuchu_leixing");
        EXPECT_TRUE(formats->isVisible());
        EXPECT_EQ(sizes->count(), 8);
        EXPECT_EQ(sizes->currentRow(), 7);
        EXPECT_EQ(shownSize->text(), "1920 × 1080");
        EXPECT_EQ(shownType->text(), "JPG");

        formats->setCurrentRow(1);
        EXPECT_EQ(shownType->text(), "BMP");
        sizes->setCurrentRow(2);
        EXPECT_EQ(shownSize->text(), "640 × 368");
        EXPECT_EQ(session.get(vars::Width), "640");
        EXPECT_EQ(session.get(vars::Height), "368");
        EXPECT_EQ(shownType->text(), "JPG");
        EXPECT_EQ(formats->currentRow(), 0);

        formats->setCurrentRow(3);
        QTest::mouseClick(button(dialog, QStringLiteral("默认")), Qt::LeftButton);
        EXPECT_EQ(sizes->currentRow(), 7);
        EXPECT_EQ(shownSize->text(), "1920 × 1080");
        EXPECT_EQ(shownType->text(), "JPG");
        QTest::mouseClick(button(dialog, QStringLiteral("开始制作")), Qt::LeftButton);
    });
    EXPECT_TRUE(dialog.ask());

    // The same window for VCD: narrower, no format list, five sizes and the disc size.
    session.set(vars::OutputType, kVcd);
    whileShown(dialog, [&] {
        EXPECT_EQ(dialog.size(), QSize(660, 290));
        EXPECT_FALSE(child<QListWidget>(dialog, "ListBox_tupian_geshi")->isVisible());
        auto* vcdSizes = child<QListWidget>(dialog, "ListBox_chicun");
        ASSERT_EQ(vcdSizes->count(), 6);
        EXPECT_TRUE(vcdSizes->item(5)->text().contains("VCD光盘标准")) << vcdSizes->item(5)->text().toStdString();
        EXPECT_EQ(child<QLineEdit>(dialog, "suiEdit_shuchu_chicun")->text(), "1280 × 720");
        EXPECT_EQ(child<QLineEdit>(dialog, "suiEdit_shuchu_leixing")->text(), "VCD");
        closeBox(dialog);
    });
    EXPECT_FALSE(dialog.ask());
    EXPECT_EQ(session.get(vars::OutputType), kVcd);
}

TEST(StatusPanel, ShowsTheSessionAndScrollsTheHelpText)
{
    Session session;
    QWidget preview;
    StatusPanel panel(session);
    panel.setPreviewImage(&preview);
    session.table(audio::names::MusicTable).appendRow({"1"});
    session.table(audio::names::MusicTable).appendRow({"2"});
    session.table(photo_tables::Photos).appendRow({"1"});
    setTvStandard(session, kNtsc);
    chooseFollowMusic(session);
    panel.refresh();
    QStringList shown;
    for (int i = 1; i <= 8; ++i)
        shown.append(panel.findChild<QLabel*>(QStringLiteral("Label_zhuangtai_%1").arg(i))->text());
    EXPECT_EQ(shown, (QStringList{"相片数量:1", "音乐数量:2", "歌词数量:0", "文字特效:0", "画面特效:0", "画面质量:高清画质",
                                  "电视制式:NTSC制式", "相册长度:音乐为准"}));

    // The placeholder text leaves the preview alone; "True" shows, "False" hides.
    preview.hide();
    panel.refresh();
    EXPECT_TRUE(preview.isHidden());
    session.set("Edit_Image_chakanxiangpian_T_or_F", "True");
    panel.refresh();
    EXPECT_FALSE(preview.isHidden());
    session.set("Edit_Image_chakanxiangpian_T_or_F", "False");
    panel.refresh();
    EXPECT_TRUE(preview.isHidden());

    QLabel* help = panel.helpLabel();
    help->move(help->x(), 10);
    panel.refresh();
    EXPECT_EQ(help->y(), 9);
    help->move(help->x(), -help->height());
    panel.refresh();
    EXPECT_EQ(help->y(), kHelpTextStartTop);

    EXPECT_EQ(panel.timer()->interval(), 50);
}

TEST(StatusPanel, SongsShorterThanTheAlbumAreNamedAndCanBeLooped)
{
    // 23 photos in 8 groups of 175 frames: 1500 frames (60 s); 55 s of songs.
    Session session;
    for (int p = 0; p < 23; ++p) {
        Row row(20);
        row[7] = QString::number(p / 3 + 1);
        row[19] = "175";
        session.table(photo_tables::Photos).appendRow(row);
    }
    session.table(audio::names::MusicTable).appendRow({"1", "s", ".mp3", "/s.mp3", "00:00:55", "1375", "wu", "wu"});
    StatusPanel panel(session);
    panel.show();
    panel.refresh();
    // The defaults stay: follow the photos, no loop; the panel says what is silent.
    EXPECT_FALSE(albumLengthFlags(session).loopMusic);
    EXPECT_EQ(panel.musicNotice()->text(), "音乐比相册短 00:05");
    EXPECT_TRUE(panel.musicNotice()->isVisible());
    ASSERT_TRUE(panel.loopMusicButton()->isVisible());
    QTest::mouseClick(panel.loopMusicButton(), Qt::LeftButton);
    EXPECT_TRUE(albumLengthFlags(session).loopMusic);
    EXPECT_FALSE(panel.musicNotice()->isVisible());
    EXPECT_FALSE(panel.loopMusicButton()->isVisible());

    // Following longer music leaves nothing silent; no songs, nothing to say.
    setLoopMusic(session, false);
    chooseFollowMusic(session);
    session.table(audio::names::MusicTable).setCell(0, 5, "2000");
    panel.refresh();
    EXPECT_FALSE(panel.loopMusicButton()->isVisible());
    session.table(audio::names::MusicTable).clear();
    chooseFollowPhotos(session);
    panel.refresh();
    EXPECT_FALSE(panel.musicNotice()->isVisible());
}

} // namespace
} // namespace fotarel::app
