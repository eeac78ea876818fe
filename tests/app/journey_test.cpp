// One album made the way a new user makes it, through the real main window:
// every control is found by its caption and pressed with the mouse or the
// keyboard; every window that asks is answered the same way. The wizard adds
// photos (one of them broken), songs and a lyric file; the lyric file is
// bound to the second song by hand, styled and previewed; a karaoke file is
// imported in "卡拉OK设置"; a caption is added; a DVD of a chosen size is made
// and its outcome read; the album is saved, opened again, and the program
// left.
#include "app/main_window.h"
#include "app/wizard/wizard_window.h"
#include "audio/audio_names.h"
#include "audio/music_table.h"
#include "core/text_decode.h"
#include "effects/caption_columns.h"
#include "karaoke/karaoke_names.h"
#include "photos/photo_columns.h"
#include "render/output_settings.h"
#include "templates/package.h"
#include "tests/app/gui_helpers.h"
#include "tests/render/album_fixture.h"
#include "tests/support/temp_tree.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>

using namespace fotarel;
using namespace fotarel::test;
using fotarel::app::MainWindow;

namespace {

// The program folder with a small template library, and the user's files.
struct UserFiles {
    TempTree tree;
    QString photo1, photo2, broken, song1, song2, lyrics, karaoke;

    bool make()
    {
        MovieOptions movie;
        movie.frames = 25;
        addTemplate(tree, "t01", descriptionIni("|heng|", "|192|", "|108|", 1, movie.frames), templateMovie(movie));
        MovieOptions ending;
        ending.frames = 4;
        ending.photoSlot = false;
        tree.write("smxcwjj/wj_0_or_1/wj_1.rar", packPayload(templateMovie(ending)));

        tree.mkdir("user");
        photo1 = tree.path("user/海边.jpg");
        photo2 = tree.path("user/山.jpg");
        for (const auto& [path, colour] : {std::pair{photo1, QColor(Qt::red)}, std::pair{photo2, QColor(Qt::blue)}}) {
            QImage image(640, 480, QImage::Format_RGB32);
            image.fill(colour);
            if (!image.save(path, "JPG"))
                return false;
        }
        broken = tree.write("user/坏.jpg", "this is no picture");
        song1 = tree.path("user/song1.mp3");
        song2 = tree.path("user/song2.mp3");
        if (!makeTone(song1, 3) || !makeTone(song2, 3))
            return false;
        lyrics = tree.write("user/歌词.lrc", encodeGb18030(QStringLiteral("[00:00.50]第一句\n[00:02.00]第二句\n")));
        karaoke = tree.write("user/卡拉.ksc",
                             encodeGb18030(QStringLiteral("karaoke.add('00:01.000', '00:02.500', '唱歌', '700,800');\n")));
        return true;
    }
};

// Clicks the row of a list whose column `column` reads `text`.
bool clickRow(QTreeWidget* list, int column, const QString& text)
{
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list->topLevelItem(i);
        if (item->text(column) == text) {
            list->scrollToItem(item);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
            return true;
        }
    }
    return false;
}

// Chooses an entry of a closed combo box with the arrow keys, as a user who
// tabbed to it does.
bool chooseWithKeys(QComboBox* box, const QString& text)
{
    const int target = box->findText(text);
    if (target < 0)
        return false;
    for (int guard = 0; box->currentIndex() != target && guard < box->count() + 1; ++guard)
        QTest::keyClick(box, box->currentIndex() < target ? Qt::Key_Down : Qt::Key_Up);
    return box->currentIndex() == target;
}

void moveOnto(QWidget* tile)
{
    // From its corner to its middle: the cursor may rest where the tile now
    // is, and only a change of place is a move.
    QTest::mouseMove(tile, QPoint(2, 2));
    QTest::mouseMove(tile, tile->rect().center());
}

void hoverThenClick(QWidget* tile)
{
    moveOnto(tile);
    QTest::mouseClick(tile, Qt::LeftButton, {}, tile->rect().center());
}

// No modal window is left open (but `stays`, the wizard while it is open).
bool noModalLeft(QWidget* stays = nullptr)
{
    return waitUntil([stays] { return QApplication::activeModalWidget() == stays; }, 10000);
}

} // namespace

TEST(Journey, WizardPhotosSongsLyricsKaraokeCaptionsDvdSaveReopenQuit)
{
    UserFiles files;
    ASSERT_TRUE(files.make());
    SingleInstanceGuard guard(files.tree.path("lock"));
    auto window = std::make_unique<MainWindow>(files.tree.root(), guard);
    MainWindow& w = *window;
    Session& session = w.session();
    const Table& photos = session.table(photo_tables::Photos);
    const Table& songs = session.table(audio::names::MusicTable);
    const Table& lyricFiles = session.table(audio::names::LyricTable);
    w.show();
    ASSERT_TRUE(waitUntil([&] { return w.wizard() && w.wizard()->isVisible(); }));
    QWidget* wizard = w.wizard();

    // The wizard's first step: two photos and a broken file.
    {
        ModalScript user;
        user.files({files.photo1, files.photo2, files.broken}).message();
        ASSERT_TRUE(press(wizard, QStringLiteral("第一步： 添加相片   ")));
        ASSERT_TRUE(user.finish(30000));
        ASSERT_TRUE(noModalLeft(wizard));
        EXPECT_EQ(photos.rowCount(), 2);
        ASSERT_EQ(user.messages().size(), 1);
        EXPECT_TRUE(user.messages().first().startsWith(QStringLiteral("以下相片文件无法读取，已跳过：")));
        EXPECT_TRUE(user.messages().first().contains(QStringLiteral("坏.jpg")));
        EXPECT_TRUE(wizard->isVisible()) << "the wizard stays for the next step";
    }
    // Songs and the lyric file, the second and third steps.
    {
        ModalScript user;
        user.files({files.song1, files.song2});
        ASSERT_TRUE(press(wizard, QStringLiteral("第二步： 添加音乐   ")));
        ASSERT_TRUE(user.finish());
        ASSERT_TRUE(noModalLeft(wizard));
        user.files({files.lyrics});
        ASSERT_TRUE(press(wizard, QStringLiteral("第三步： 添加歌词   ")));
        ASSERT_TRUE(user.finish());
        ASSERT_TRUE(noModalLeft(wizard));
        ASSERT_EQ(songs.rowCount(), 2);
        ASSERT_EQ(lyricFiles.rowCount(), 1);
        EXPECT_TRUE(user.messages().isEmpty()) << user.messages().join('|').toStdString();
    }
    QTest::keyClick(wizard, Qt::Key_Escape);
    ASSERT_TRUE(waitUntil([&] { return !wizard->isVisible(); }));

    // The lyric file goes with the second song: chosen in the lyric area,
    // bound by hand there.
    {
        ASSERT_TRUE(press(&w, QStringLiteral("歌词区域")));
        auto* tile = w.findChild<QWidget*>(QStringLiteral("Imagemgeci_0"));
        ASSERT_TRUE(tile && tile->isVisible());
        hoverThenClick(tile);
        ModalScript user;
        user.then(QStringLiteral("TForm15"), [](QWidget* binding) {
            auto* list = binding->findChild<QTreeWidget*>();
            EXPECT_TRUE(clickRow(list, 1, QStringLiteral("song2")));
            EXPECT_TRUE(press(binding, QStringLiteral("确定")));
        });
        ASSERT_TRUE(press(&w, QStringLiteral("绑定")));
        ASSERT_TRUE(user.finish(5000));
        ASSERT_TRUE(noModalLeft());
        const QString key = lyricFiles.cell(0, audio::LyricCol::SongKey);
        EXPECT_NE(key, QStringLiteral("wu"));
        EXPECT_EQ(songs.cell(1, audio::MusicCol::LyricKey), key);
        EXPECT_EQ(songs.cell(1, audio::MusicCol::LyricName), QStringLiteral("歌词"));
    }
    // Its style: italic, at the top.
    {
        auto* tile = w.findChild<QWidget*>(QStringLiteral("Imagemgeci_0"));
        hoverThenClick(tile);
        ModalScript user;
        user.then(QStringLiteral("TForm16"), [](QWidget* style) {
            // On the box and its caption, where a click toggles it.
            for (const QString& option : {QStringLiteral("斜体"), QStringLiteral("上面")}) {
                QAbstractButton* b = buttonByText(style, option);
                QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
            }
            EXPECT_TRUE(press(style, QStringLiteral("确定")));
        });
        ASSERT_TRUE(press(&w, QStringLiteral("设置")));
        ASSERT_TRUE(user.finish(5000));
        ASSERT_TRUE(noModalLeft());
        EXPECT_EQ(lyricFiles.cell(0, audio::LyricCol::Italic), QStringLiteral("xieti"));
        EXPECT_EQ(lyricFiles.cell(0, audio::LyricCol::Vertical), QStringLiteral("shangmian"));
    }
    // The preview: the second song with the lyric file, played until a line shows.
    {
        ASSERT_TRUE(press(&w, QStringLiteral("音乐区域")));
        QString shownLine;
        ModalScript user;
        user.then(QStringLiteral("TForm28"), [&shownLine](QWidget* preview) {
            auto* songChooser = preview->findChild<QComboBox*>(QStringLiteral("suiComboBox_yinyue"));
            auto* lyricChooser = preview->findChild<QComboBox*>(QStringLiteral("suiComboBox_geci"));
            EXPECT_TRUE(chooseWithKeys(songChooser, QStringLiteral("song2")));
            EXPECT_TRUE(chooseWithKeys(lyricChooser, QStringLiteral("歌词")));
            EXPECT_TRUE(press(preview, QStringLiteral("播放音乐")));
            auto* current = preview->findChild<QLabel*>(QStringLiteral("Label_dangqianshijian"));
            EXPECT_TRUE(waitUntil([&] { return current->text() == QStringLiteral("00:02"); }, 10000))
                << current->text().toStdString();
            EXPECT_TRUE(press(preview, QStringLiteral("返        回")));
        });
        ASSERT_TRUE(press(&w, QStringLiteral("预览")));
        ASSERT_TRUE(user.finish(20000));
        ASSERT_TRUE(noModalLeft());
    }
    // A karaoke file in "卡拉OK设置", with the second song chosen.
    {
        ModalScript user;
        QStringList matched;
        user.then(QStringLiteral("TForm46"), [&](QWidget* settings) {
            auto* songChooser = settings->findChild<QComboBox*>(QStringLiteral("ComboBox_xuanzeyinyue"));
            EXPECT_TRUE(chooseWithKeys(songChooser, QStringLiteral("song2")));
            user.files({files.karaoke});
            user.then(QStringLiteral("TForm46"), [&](QWidget* settingsAgain) {
                auto* list = settingsAgain->findChild<QTreeWidget*>(karaoke::names::KaraokeTable);
                EXPECT_TRUE(waitUntil([list] { return list->topLevelItemCount() == 1 && list->isEnabled(); }))
                    << session.table(karaoke::names::KaraokeTable).rowCount() << " " << list->topLevelItemCount()
                    << user.messages().join('|').toStdString() << user.unexpected().join('|').toStdString();
                EXPECT_TRUE(clickRow(list, 1, QStringLiteral("卡拉")));
                user.then(QStringLiteral("TForm51"), [&](QWidget* match) {
                    auto* pairs = match->findChild<QTreeWidget*>();
                    for (int i = 0; pairs && i < pairs->topLevelItemCount(); ++i)
                        matched << pairs->topLevelItem(i)->text(1) + "=" + pairs->topLevelItem(i)->text(3);
                    EXPECT_TRUE(press(match, QStringLiteral("确定")));
                    user.then(QStringLiteral("TForm46"), [](QWidget* last) {
                        EXPECT_TRUE(press(last, QStringLiteral("返     回")));
                    });
                });
                EXPECT_TRUE(press(settingsAgain, QStringLiteral("查看匹配")));
            });
            EXPECT_TRUE(press(settings, QStringLiteral("导入卡拉OK歌词")));
        });
        ASSERT_TRUE(press(&w, QStringLiteral("卡拉OK设置")));
        ASSERT_TRUE(user.finish(20000));
        ASSERT_TRUE(noModalLeft());
        ASSERT_EQ(session.table(karaoke::names::KaraokeTable).rowCount(), 1);
        EXPECT_FALSE(matched.isEmpty());
        EXPECT_TRUE(user.messages().isEmpty()) << user.messages().join('|').toStdString();
    }
    // A caption from the first second.
    {
        ModalScript user;
        user.then(QStringLiteral("TForm3"), [](QWidget* editor) {
            auto* text = editor->findChild<QLineEdit*>(QStringLiteral("suiEdit_wenzi"));
            QTest::mouseClick(text, Qt::LeftButton);
            QTest::keyClick(text, Qt::Key_A, Qt::ControlModifier);
            typeText(text, QStringLiteral("我们的相册"));
            EXPECT_TRUE(press(editor, QStringLiteral("添加特效")));
            EXPECT_TRUE(press(editor, QStringLiteral("返     回")));
        });
        ASSERT_TRUE(press(&w, QStringLiteral("文字特效")));
        ASSERT_TRUE(user.finish(5000));
        ASSERT_TRUE(noModalLeft());
        const Table& captions = session.table(effects::kCaptionTable);
        ASSERT_EQ(captions.rowCount(), 1);
        EXPECT_EQ(captions.cell(0, effects::CaptionCol::Text), QStringLiteral("我们的相册"));
    }
    // The DVD: the smallest size, saved beside the user's files, both kinds
    // of lyrics; the render window tells the outcome.
    const QString dvd = files.tree.path("user/我的相册.mpg");
    {
        QString outcome;
        QString chosenSize;
        ModalScript user;
        user.then(QStringLiteral("TForm39"), [&chosenSize](QWidget* size) {
            auto* sizes = size->findChild<QListWidget*>(QStringLiteral("ListBox_chicun"));
            QListWidgetItem* smallest = sizes->item(0);
            chosenSize = smallest->text();
            QTest::mouseClick(sizes->viewport(), Qt::LeftButton, {}, sizes->visualItemRect(smallest).center());
            EXPECT_TRUE(press(size, QStringLiteral("开始制作")));
        });
        user.files({dvd});
        user.press(QStringLiteral("TForm49"), QStringLiteral("确定"));
        user.then(QStringLiteral("TfrmMain"), [&outcome](QWidget* render) {
            auto* result = render->findChild<QLabel*>(QStringLiteral("Label_jieguo"));
            EXPECT_TRUE(waitUntil([&] { return result->isVisible(); }, 120000));
            outcome = result->text();
            EXPECT_TRUE(press(render, QStringLiteral("关闭")));
        });
        ASSERT_TRUE(press(&w, QStringLiteral("DVD")));
        ASSERT_TRUE(user.finish(150000)) << user.messages().join('|').toStdString() << " / "
                                         << user.unexpected().join('|').toStdString();
        ASSERT_TRUE(noModalLeft());
        EXPECT_EQ(outcome, QStringLiteral("相册制作完成：") + dvd);
        EXPECT_TRUE(chosenSize.startsWith(session.get(settings::vars::Width) + QStringLiteral(" ×")))
            << chosenSize.toStdString();
        EXPECT_EQ(probe(dvd, "v:0", "stream=width"), session.get(settings::vars::Width));
    }
    // Saved, the window emptied by opening the file again, and left.
    const QString project = files.tree.path("user/我的相册.fotarel");
    {
        ModalScript user;
        user.files({project});
        ASSERT_TRUE(press(&w, QStringLiteral("保存相册")));
        ASSERT_TRUE(user.finish(5000));
        ASSERT_TRUE(noModalLeft());
        ASSERT_TRUE(QFileInfo::exists(project));
    }
    {
        ModalScript user;
        user.files({project});
        ASSERT_TRUE(press(&w, QStringLiteral("打开相册")));
        ASSERT_TRUE(user.finish(5000));
        ASSERT_TRUE(noModalLeft());
        EXPECT_EQ(photos.rowCount(), 2);
        EXPECT_EQ(songs.rowCount(), 2);
        EXPECT_EQ(songs.cell(1, audio::MusicCol::LyricName), QStringLiteral("歌词"));
        EXPECT_EQ(lyricFiles.cell(0, audio::LyricCol::Vertical), QStringLiteral("shangmian"));
        EXPECT_EQ(session.table(karaoke::names::KaraokeTable).rowCount(), 1);
        EXPECT_EQ(session.table(effects::kCaptionTable).rowCount(), 1);
    }
    {
        ModalScript user;
        QStringList asked;
        user.then(QStringLiteral("TForm25"), [&asked](QWidget* question) {
            for (QLabel* l : question->findChildren<QLabel*>())
                if (l->text().endsWith(QStringLiteral("？")))
                    asked << l->text();
            EXPECT_TRUE(press(question, QStringLiteral("确定")));
        });
        QAbstractButton* closeBox = nullptr;
        for (QAbstractButton* b : w.findChildren<QAbstractButton*>())
            if (b->text() == QStringLiteral("✕") && b->window() == &w)
                closeBox = b;
        ASSERT_TRUE(closeBox);
        QTest::mouseClick(closeBox, Qt::LeftButton);
        ASSERT_TRUE(user.finish(5000));
        EXPECT_EQ(asked, QStringList{QStringLiteral("确定要退出本软件吗？")}) << "a just-opened album is unchanged";
        EXPECT_FALSE(w.isVisible());
    }
}
