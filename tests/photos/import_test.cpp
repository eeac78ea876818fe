// The import pipeline: tables, work folders, thumbnails, crops, bad files.
#include "photos/import.h"
#include "photos/photo_columns.h"
#include "tests/photos/photo_fixture.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace fotarel;
using namespace fotarel::test;

namespace {

struct ImportRun : PhotoRun {
    ImportRun()
    {
        addTemplate("a_h1", "|heng|", "|0|", "|0|", 1);
        addTemplate("b_h2", "|heng|heng|", "|40|40|", "|30|30|", 2);
        addTemplate("c_s1", "|shu|", "|30|", "|40|", 1);
        loadLibrary();
    }
    QStringList files(const QString& relativeFolder) const
    {
        return QDir(tree.path(relativeFolder)).entryList(QDir::Files, QDir::Name);
    }
};

QImage solid(int w, int h, QRgb colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

} // namespace

TEST(Import, FirstAndSecondBatchBuildTablesWorkFoldersThumbnailsAndPictures)
{
    ImportRun run;
    const QString a = run.photo("a.jpg", 400, 300);
    const QString b = run.photo("Tall.JPG", 300, 400);
    const QByteArray originalA = run.read("photos/a.jpg");
    const QDateTime modifiedA = QFileInfo(a).lastModified();
    run.tree.write("smxcwjj/tp_wjj/tp_wjj/tp_wjj_7/old.rar", "earlier album");
    run.import({a, b});

    // Tables.
    EXPECT_EQ(run.column(PhotoCol::Number), (QStringList{"1", "2"}));
    EXPECT_EQ(run.column(PhotoCol::Name), (QStringList{"a", "Tall"}));
    EXPECT_EQ(run.column(PhotoCol::Extension), (QStringList{".jpg", ".JPG"}));
    EXPECT_EQ(run.column(PhotoCol::Orientation), (QStringList{"heng_zhao", "shu_zhao"}));
    EXPECT_EQ(run.column(PhotoCol::Width), (QStringList{"400", "300"}));
    EXPECT_EQ(run.column(PhotoCol::Group), (QStringList{"1", "2"}));
    EXPECT_EQ(run.column(PhotoCol::ThumbnailDone), (QStringList{"jiancai_yes", "jiancai_yes"}));
    EXPECT_EQ(run.column(PhotoCol::CropDone), (QStringList{"jiancai_yes", "jiancai_yes"}));
    const Table& visible = run.session.table(photo_tables::Visible);
    ASSERT_EQ(visible.rowCount(), 2);
    // The list shows the file as it is: its type's capitals, a path that exists.
    EXPECT_EQ(visible.row(1), (QStringList{"2", "Tall", ".JPG", "300", "400", "竖照片", "已绑定", b}));
    EXPECT_TRUE(QFileInfo::exists(visible.cell(1, VisibleCol::Path)));
    EXPECT_EQ(run.session.table(photo_tables::Batch).columnCaptions().size(), 20);

    // Work folders: the earlier album is gone, each group has its movie and
    // picture, the ending template is there and "pic" is empty.
    EXPECT_FALSE(run.exists("smxcwjj/tp_wjj/tp_wjj/tp_wjj_7"));
    EXPECT_EQ(run.files("smxcwjj/tp_wjj/tp_wjj/tp_wjj_1"), (QStringList{"picture_1.rar", "w_j_1.rar"}));
    EXPECT_EQ(run.files("smxcwjj/tp_wjj/tp_wjj/tp_wjj_2"), (QStringList{"picture_1.rar", "w_j_2.rar"}));
    EXPECT_EQ(run.read("smxcwjj/tp_wjj/tp_wjj/tp_wjj_2/w_j_2.rar"), "movie:c_s1");
    EXPECT_EQ(run.read("smxcwjj/tp_wjj/tp_wjj/tp_wjj_zuihou/w_j_zuihou.rar"), "ending movie");
    EXPECT_TRUE(QFileInfo(run.tree.path("smxcwjj/tp_wjj/pic")).isDir());
    EXPECT_TRUE(run.files("smxcwjj/tp_wjj/pic").isEmpty());
    EXPECT_EQ(run.session.get("Edit_wj_1_jy_leijia"), "3");
    EXPECT_TRUE(run.exists("smxcwjj/wj_0_or_1/wj_1_jy/wj_1_jy3-22.rar"));
    EXPECT_TRUE(run.exists("smxcwjj/wj_0_or_1/wj_1_jy/w_j_zuihou-22.rar"));
    EXPECT_EQ(run.session.get("Edit_daoru_moban_kaishishiyong_kaiguan"), "guan");

    // Pictures: a baseline quality-90 JPEG of the slot; the canvas file is a
    // bitmap of the last photo's canvas (the portrait slot 30 x 40).
    const QByteArray picture = run.read("smxcwjj/tp_wjj/tp_wjj/tp_wjj_2/picture_1.rar");
    EXPECT_TRUE(picture.startsWith("\xFF\xD8"));
    EXPECT_TRUE(picture.contains("\xFF\xC0")); // baseline frame
    EXPECT_EQ(decodeFile(run.tree.path("smxcwjj/tp_wjj/tp_wjj/tp_wjj_2/picture_1.rar")).size(), QSize(30, 40));
    EXPECT_EQ(decodeFile(run.tree.path("smxcwjj/tp_wjj/tp_wjj/tp_wjj_1/picture_1.rar")).size(), QSize(1920, 1080));
    EXPECT_TRUE(run.read("smxcwjj/tp_wjj/tp_wjj/t_p_1.rar").startsWith("BM"));
    EXPECT_EQ(decodeFile(run.tree.path("smxcwjj/tp_wjj/tp_wjj/t_p_1.rar")).size(), QSize(30, 40));
    EXPECT_EQ(run.session.get("Edit_Width"), "30");
    EXPECT_EQ(run.session.get("Edit_height_load"), "400");

    // Thumbnails, numbered by row.
    EXPECT_EQ(decodeFile(run.tree.path("smxcwjj/tp_wj/tp_slt_1/tp_slt_1_1.bmp")).size(), QSize(158, 120));
    EXPECT_EQ(decodeFile(run.tree.path("smxcwjj/tp_wj/tp_slt_1/tp_slt_1_2.bmp")).size(), QSize(120, 158));

    // The user's photo is only read.
    EXPECT_EQ(run.read("photos/a.jpg"), originalA);
    EXPECT_EQ(QFileInfo(a).lastModified(), modifiedA);

    // A second batch: groups 1 and 2 and the ending template stay as they are.
    run.tree.write("smxcwjj/tp_wjj/tp_wjj/tp_wjj_1/mark", "kept");
    run.tree.write("smxcwjj/tp_wjj/tp_wjj/tp_wjj_zuihou/w_j_zuihou.rar", "already there");
    run.import({run.photo("c.jpg", 400, 300)});
    EXPECT_EQ(run.column(PhotoCol::Group), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(run.read("smxcwjj/tp_wjj/tp_wjj/tp_wjj_1/mark"), "kept");
    EXPECT_EQ(run.read("smxcwjj/tp_wjj/tp_wjj/tp_wjj_zuihou/w_j_zuihou.rar"), "already there");
    EXPECT_EQ(run.files("smxcwjj/tp_wjj/tp_wjj/tp_wjj_3"), (QStringList{"picture_1.rar", "w_j_3.rar"}));
    // One before the rows and one per row, old or new: 3 + 4; the new movie
    // used the last value.
    EXPECT_EQ(run.session.get("Edit_wj_1_jy_leijia"), "7");
    EXPECT_TRUE(run.exists("smxcwjj/wj_0_or_1/wj_1_jy/wj_1_jy7-1.rar"));
    EXPECT_FALSE(run.exists("smxcwjj/wj_0_or_1/wj_1_jy/wj_1_jy6-1.rar"));
    EXPECT_TRUE(run.exists("smxcwjj/tp_wj/tp_slt_1/tp_slt_1_3.bmp"));
}

TEST(Import, ProgressCountsFittingFoldersThumbnailsAndCropsThenFills)
{
    ImportRun run;
    run.import({run.photo("1.jpg", 40, 30), run.photo("2.jpg", 40, 30), run.photo("3.jpg", 40, 30)});
    QList<int> values;
    for (const auto& p : run.ui.progressSeen) {
        EXPECT_EQ(p.maximum, 12);
        EXPECT_EQ(p.bar, "添加相片");
        values << p.value;
    }
    // 3 + 1 + 3 + 3 steps, then the fill to 12.
    EXPECT_EQ(values, (QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
}

TEST(Import, UprightFollowsTheExifOrientation)
{
    ImportRun run;
    // Stored landscape, turned a quarter: it is a portrait photo.
    run.import({run.photo("turned.jpg", 400, 300, {6})});
    EXPECT_EQ(run.cell(0, PhotoCol::Orientation), "shu_zhao");
    EXPECT_EQ(run.cell(0, PhotoCol::Width), "300");
    EXPECT_EQ(run.cell(0, PhotoCol::Height), "400");
    const QImage thumb = decodeFile(run.tree.path("smxcwjj/tp_wj/tp_slt_1/tp_slt_1_1.bmp"));
    EXPECT_EQ(thumb.size(), QSize(120, 158));
    EXPECT_EQ(colourName(thumb.pixel(8, 8)), "blue"); // the stored bottom-left is now top-left
    const QImage picture = decodeFile(run.tree.path("smxcwjj/tp_wjj/tp_wjj/tp_wjj_1/picture_1.rar"));
    EXPECT_EQ(picture.size(), QSize(30, 40));
    EXPECT_EQ(colourName(picture.pixel(3, 3)), "blue");
}

TEST(Import, ACorruptFileInABatchOfFiveIsSkippedAndTheOthersImported)
{
    ImportRun run;
    const QByteArray whole = jpegOf(quadrants(400, 300));
    const QString broken = run.tree.write("photos/broken.jpg", whole.left(whole.size() / 2));
    const QStringList files{run.photo("1.jpg", 40, 30), broken, run.photo("2.jpg", 40, 30),
                            run.photo("3.jpg", 30, 40), run.photo("4.jpg", 40, 30)};
    run.import(files);
    EXPECT_EQ(run.column(PhotoCol::Name), (QStringList{"1", "2", "3", "4"}));
    EXPECT_EQ(run.column(PhotoCol::CropDone), QStringList(4, "jiancai_yes"));
    ASSERT_EQ(run.ui.messages.size(), 1);
    EXPECT_EQ(run.ui.messages.first(), "以下相片文件无法读取，已跳过：\n" + broken + "（文件不完整或已损坏）");
    EXPECT_EQ(run.files("smxcwjj/tp_wj/tp_slt_1").size(), 4);
    EXPECT_EQ(run.session.get("Edit_mobanleijia_sum"), "4");
}

TEST(Import, EveryKindOfBadFileIsListedOnce)
{
    ImportRun run;
    const QByteArray good = jpegOf(quadrants(64, 48));
    QByteArray absurd = good;
    const qsizetype sof = absurd.indexOf("\xFF\xC0");
    absurd[sof + 5] = absurd[sof + 6] = absurd[sof + 7] = absurd[sof + 8] = char(0xFF);
    const QStringList bad{run.tree.write("photos/empty.jpg", ""), run.tree.write("photos/text.jpg", "hello"),
                          run.tree.write("photos/huge.jpg", absurd), run.tree.path("photos/missing.jpg")};
    run.import(bad + QStringList{run.photo("ok.jpg", 40, 30)});
    EXPECT_EQ(run.column(PhotoCol::Name), (QStringList{"ok"}));
    ASSERT_EQ(run.ui.messages.size(), 1);
    const QString m = run.ui.messages.first();
    EXPECT_TRUE(m.contains(bad[0] + "（文件为空）")) << m.toStdString();
    EXPECT_TRUE(m.contains(bad[1] + "（不是有效的JPEG文件）"));
    EXPECT_TRUE(m.contains(bad[2] + "（图像尺寸过大（65535 × 65535））"));
    EXPECT_TRUE(m.contains(bad[3] + "（无法读取文件）"));
}

TEST(Import, WithoutATemplateForTheBatchNothingChanges)
{
    PhotoRun run;
    run.addTemplate("a_h1", "|heng|", "|0|", "|0|", 1);
    run.loadLibrary();
    run.import({run.photo("l.jpg", 40, 30), run.photo("p.jpg", 30, 40)});
    EXPECT_EQ(run.ui.messages, (QStringList{"模板库中没有可用于竖照片的单张模板，不能添加相片！"}));
    EXPECT_EQ(run.session.table(photo_tables::Photos).rowCount(), 0);
    EXPECT_EQ(run.session.table(photo_tables::Batch).rowCount(), 0);
    EXPECT_EQ(run.session.get("Edit_mobanleijia_sum"), "0");
    EXPECT_FALSE(run.exists("smxcwjj/tp_wjj"));
    EXPECT_TRUE(run.ui.progressSeen.isEmpty());
}

TEST(Import, ParallelWorkEndsExactlyAsOneWorkerDoes)
{
    auto runWith = [](int threads, ImportRun& run) {
        run.ctx.import.threads = threads;
        QStringList files;
        for (int i = 0; i < 7; ++i)
            files << run.photo(QStringLiteral("%1.jpg").arg(i), solid(40 + 8 * i, i % 3 ? 30 : 60, qRgb(30 * i, 90, 200)));
        run.random.script = {1, 0, 1, 0, 0};
        run.import(files);
    };
    ImportRun one, two;
    runWith(1, one);
    runWith(2, two);
    for (int col : {0, 2, 3, 4, 5, 6, 7, 9, 11, 13, 14, 20, 21})
        EXPECT_EQ(one.column(col), two.column(col)) << col;
    for (const QString& f : one.files("smxcwjj/tp_wj/tp_slt_1"))
        EXPECT_EQ(one.read("smxcwjj/tp_wj/tp_slt_1/" + f), two.read("smxcwjj/tp_wj/tp_slt_1/" + f)) << f.toStdString();
    for (int g = 1; g <= one.session.getInt("Edit_mobanleijia_sum"); ++g) {
        const QString dir = QStringLiteral("smxcwjj/tp_wjj/tp_wjj/tp_wjj_%1").arg(g);
        ASSERT_EQ(one.files(dir), two.files(dir));
        for (const QString& f : one.files(dir))
            EXPECT_EQ(one.read(dir + "/" + f), two.read(dir + "/" + f));
    }
    EXPECT_EQ(one.read("smxcwjj/tp_wjj/tp_wjj/t_p_1.rar"), two.read("smxcwjj/tp_wjj/tp_wjj/t_p_1.rar"));
    EXPECT_EQ(one.session.get("Edit_Width"), two.session.get("Edit_Width"));
}

TEST(Import, TheAddCommandAsksForJpgFilesAndRebuildsTheTiles)
{
    ImportRun run;
    EXPECT_FALSE(addPhotosCommand(run.ctx)); // cancelled
    EXPECT_EQ(run.ui.filtersAsked, (QStringList{"添加相片文件(JPG)|*.jpg;"}));
    EXPECT_TRUE(run.hookCalls.isEmpty());

    run.ui.openAnswers.push_back({run.photo("1.jpg", 40, 30)});
    run.session.set("Edit_tubiao_liebiao", "liebiao");
    EXPECT_TRUE(addPhotosCommand(run.ctx));
    EXPECT_EQ(run.hookCalls, (QStringList{"stopPlaceholder", "createTiles", "showPhotoArea"}));
    EXPECT_EQ(run.session.get("Edit_tubiao_liebiao"), "tubiao");
    EXPECT_EQ(run.session.get("Edit_xianshikuang_pailie"), "1");

    run.hookCalls.clear();
    run.ui.openAnswers.push_back({run.photo("2.jpg", 40, 30)});
    addPhotosCommand(run.ctx);
    EXPECT_EQ(run.hookCalls, (QStringList{"stopPlaceholder", "destroyTiles", "createTiles", "showPhotoArea"}));
    EXPECT_EQ(run.session.get("Edit_xianshikuang_pailie"), "2");
}
