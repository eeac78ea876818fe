// Deleting, refilling and swapping photos, with the groups kept consistent.
#include "photos/editing.h"
#include "photos/import.h"
#include "photos/photo_columns.h"
#include "tests/photos/photo_fixture.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace fotarel;
using namespace fotarel::test;

namespace {

QImage solid(int w, int h, QRgb colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

struct EditRun : PhotoRun {
    EditRun()
    {
        addTemplate("a_h1", "|heng|", "|40|", "|30|", 1);
        addTemplate("b_s1", "|shu|", "|30|", "|40|", 1);
        addTemplate("c_s2", "|shu|shu|", "|30|30|", "|40|40|", 2);
        addTemplate("d_hf", "|heng|heng|", "|0|0|", "|0|0|", 2);
        loadLibrary();
    }
    QString group(int g) const { return QStringLiteral("smxcwjj/tp_wjj/tp_wjj/tp_wjj_%1").arg(g); }
    QString thumb(int n) const { return QStringLiteral("smxcwjj/tp_wj/tp_slt_1/tp_slt_1_%1.bmp").arg(n); }
    QStringList files(const QString& relative) const
    {
        return QDir(tree.path(relative)).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    }
    // Five portrait photos: c_s2 takes 1+2 (group 1) and 3+4 (group 2); the
    // fifth is left over (group 3).
    void importPortraitGroups()
    {
        QStringList f;
        for (int i = 0; i < 5; ++i)
            f << photo(QStringLiteral("p%1.jpg").arg(i), solid(30, 40, qRgb(0, 0, 255)));
        random.script = {1, 1, 1, 0};
        import(f);
    }
};

} // namespace

TEST(DeletePhoto, TheOnlyPhotoOfAMiddleGroupTakesItsGroupAlongAndRenumbers)
{
    EditRun run;
    run.import({run.photo("1.jpg", solid(40, 30, qRgb(255, 0, 0))), run.photo("2.jpg", solid(40, 30, qRgb(0, 255, 0))),
                run.photo("3.jpg", solid(40, 30, qRgb(0, 0, 255)))});
    run.session.set("Edit_xianshikuang_pailie", "3");
    const QByteArray picture3 = run.read(run.group(3) + "/picture_1.rar");
    const QByteArray thumb3 = run.read(run.thumb(3));
    run.session.set("Edit_xiangpian_down_id", "1");

    deleteSelectedPhotos(run.ctx);
    EXPECT_EQ(run.dialogs.confirmTexts, (QStringList{"确定删除此张相片吗？"}));
    EXPECT_EQ(run.session.get("Edit_delete_leixing"), "dan_ge_shang_chu");
    EXPECT_EQ(run.column(PhotoCol::Name), (QStringList{"1", "3"}));
    EXPECT_EQ(run.column(PhotoCol::Number), (QStringList{"1", "2"}));
    EXPECT_EQ(run.column(PhotoCol::Group), (QStringList{"1", "2"}));
    EXPECT_EQ(run.session.get("Edit_mobanleijia_sum"), "2");
    EXPECT_EQ(run.files("smxcwjj/tp_wjj/tp_wjj"), (QStringList{"t_p_1.rar", "tp_wjj_1", "tp_wjj_2", "tp_wjj_zuihou"}));
    EXPECT_EQ(run.files(run.group(2)), (QStringList{"picture_1.rar", "w_j_2.rar"}));
    EXPECT_EQ(run.read(run.group(2) + "/picture_1.rar"), picture3);
    EXPECT_EQ(run.read(run.thumb(2)), thumb3);
    EXPECT_FALSE(run.exists(run.thumb(3)));
    EXPECT_EQ(run.session.table(photo_tables::Visible).row(1).mid(0, 2), (QStringList{"2", "3"}));
    EXPECT_EQ(run.session.get("Edit_xianshikuang_pailie"), "2");
    EXPECT_EQ(run.session.get("Edit_xiangpian_down_id"), "wu");
    EXPECT_EQ(run.hookCalls, (QStringList{"clearPreview", "destroyLastTile", "reloadTiles"}));
}

TEST(DeletePhoto, NothingSelectedOrCancelledChangesNothing)
{
    EditRun run;
    deleteSelectedPhotos(run.ctx); // no photos: nothing at all
    EXPECT_TRUE(run.ui.messages.isEmpty());
    run.import({run.photo("1.jpg", 40, 30), run.photo("2.jpg", 40, 30)});
    deleteSelectedPhotos(run.ctx);
    run.session.set("Edit_tubiao_liebiao", "liebiao");
    deleteSelectedPhotos(run.ctx, {});
    EXPECT_EQ(run.ui.messages, (QStringList{"没有选中相片文件！", "没有选中相片文件！"}));
    run.dialogs.confirmAnswer = false;
    deleteSelectedPhotos(run.ctx, {0});
    deleteAllPhotos(run.ctx);
    EXPECT_EQ(run.dialogs.confirmTexts, (QStringList{"确定删除此张相片吗？", "确定删除全部相片吗？"}));
    EXPECT_EQ(run.session.table(photo_tables::Photos).rowCount(), 2);
}

TEST(DeletePhoto, SeveralSelectedRowsInTheListGoFromTheLast)
{
    EditRun run;
    QStringList f;
    for (int i = 1; i <= 4; ++i)
        f << run.photo(QStringLiteral("%1.jpg").arg(i), 40, 30);
    run.import(f);
    run.session.set("Edit_tubiao_liebiao", "liebiao");
    deleteSelectedPhotos(run.ctx, {0, 2});
    EXPECT_EQ(run.column(PhotoCol::Name), (QStringList{"2", "4"}));
    EXPECT_EQ(run.column(PhotoCol::Group), (QStringList{"1", "2"}));
    EXPECT_EQ(run.session.get("Edit_mobanleijia_sum"), "2");
    EXPECT_EQ(run.files("smxcwjj/tp_wj/tp_slt_1"), (QStringList{"tp_slt_1_1.bmp", "tp_slt_1_2.bmp"}));
}

TEST(Refill, APhotoWhoseGroupKeepsOthersAsksForARefillAndCancelKeepsAll)
{
    EditRun run;
    run.importPortraitGroups();
    ASSERT_EQ(run.column(PhotoCol::Group), (QStringList{"1", "1", "2", "2", "3"}));
    run.session.set("Edit_xiangpian_down_id", "2");
    deleteSelectedPhotos(run.ctx);
    EXPECT_EQ(run.dialogs.refillAsked, 1);
    EXPECT_EQ(run.session.get("Edit_delete_ID"), "2");
    EXPECT_EQ(run.session.table(photo_tables::Photos).rowCount(), 5);
}

TEST(Refill, ANewPhotoOfTheWrongOrientationIsRefusedAndTheWindowStaysOpen)
{
    EditRun run;
    run.importPortraitGroups();
    const QString landscape = run.photo("wide.jpg", 40, 30);
    const QString portrait = run.photo("new.JPG", solid(30, 40, qRgb(255, 0, 0)));
    run.session.set("Edit_xiangpian_down_id", "0");
    run.dialogs.refillAnswer = PhotoDialogs::RefillAnswer::Manual;
    using Kind = PhotoDialogs::Replacement::Kind;
    run.dialogs.replacements = {{Kind::NewPhoto, -1}, {Kind::NewPhoto, -1}};
    run.ui.openAnswers = {{landscape}, {portrait}};
    deleteSelectedPhotos(run.ctx);

    EXPECT_EQ(run.ui.messages, (QStringList{"添加的新相片不是竖照片,请重新添加！"}));
    EXPECT_EQ(run.dialogs.replacementAsked, 2);
    EXPECT_EQ(run.dialogs.candidatesShown.size(), 5);
    EXPECT_EQ(run.session.get("Edit_buchong_xuanxiang"), "tianjia_xinxiangpian");
    // The new photo replaces the deleted one in its slot: same count, the new
    // row at the end with the deleted row's group and picture name.
    EXPECT_EQ(run.column(PhotoCol::Name), (QStringList{"p1", "p2", "p3", "p4", "new"}));
    EXPECT_EQ(run.column(PhotoCol::Group), (QStringList{"1", "2", "2", "3", "1"}));
    EXPECT_EQ(run.column(PhotoCol::PictureName), (QStringList{"picture_2", "picture_1", "picture_2", "picture_1", "picture_1"}));
    EXPECT_EQ(run.session.table(photo_tables::Visible).row(4),
              (QStringList{"5", "new", ".JPG", "30", "40", "竖照片", "已绑定", portrait}));
    const QImage picture = decodeFile(run.tree.path(run.group(1) + "/picture_1.rar"));
    EXPECT_EQ(picture.size(), QSize(30, 40));
    EXPECT_EQ(colourName(picture.pixel(15, 20)), "red");
    // Thumbnails and tiles match the table again.
    EXPECT_EQ(run.files("smxcwjj/tp_wj/tp_slt_1").size(), 5);
    EXPECT_EQ(colourName(decodeFile(run.tree.path(run.thumb(5))).pixel(20, 20)), "red");
    EXPECT_EQ(run.hookCalls.mid(run.hookCalls.size() - 2), (QStringList{"destroyTiles", "createTiles"}));
    EXPECT_EQ(run.session.get("Edit_mobanleijia_sum"), "3");
}

TEST(Refill, AnExistingPhotoFillsTheSlotAndTheAlbumHasOnePhotoFewer)
{
    EditRun run;
    run.importPortraitGroups();
    run.session.set("Edit_xiangpian_down_id", "3");
    run.dialogs.refillAnswer = PhotoDialogs::RefillAnswer::Random;
    run.random.script = {4};
    deleteSelectedPhotos(run.ctx);
    EXPECT_EQ(run.session.get("Edit_buchong_xuanxiang"), "suiji_xuanze_xinxiangpian");
    EXPECT_EQ(run.column(PhotoCol::Name), (QStringList{"p0", "p1", "p2", "p4"}));
    EXPECT_EQ(run.column(PhotoCol::Group), (QStringList{"1", "1", "2", "3"}));
    EXPECT_TRUE(run.exists(run.group(2) + "/picture_2.rar"));
    EXPECT_EQ(run.files("smxcwjj/tp_wj/tp_slt_1").size(), 4);
}

TEST(Refill, AFullFrameSlotTakesTheTemplateDefaultWhateverTheChoices)
{
    EditRun run;
    QStringList f;
    for (int i = 0; i < 5; ++i)
        f << run.photo(QStringLiteral("l%1.jpg").arg(i), 400, 300);
    run.random.script = {1}; // d_hf takes the first two photos
    run.import(f);
    ASSERT_EQ(run.column(PhotoCol::Group).mid(0, 2), (QStringList{"1", "1"}));
    // Imported with the full-screen choice: 1920 x 1080.
    EXPECT_EQ(decodeFile(run.tree.path(run.group(1) + "/picture_1.rar")).size(), QSize(1920, 1080));
    run.session.set("Edit_xiangpian_down_id", "0");
    run.dialogs.refillAnswer = PhotoDialogs::RefillAnswer::Random;
    run.random.script = {4};
    deleteSelectedPhotos(run.ctx);
    EXPECT_EQ(decodeFile(run.tree.path(run.group(1) + "/picture_1.rar")).size(), QSize(1440, 1080));
    EXPECT_TRUE(run.read("smxcwjj/tp_wjj/tp_wjj/t_p_1.bmp").startsWith("BM"));
    EXPECT_EQ(run.session.table(photo_tables::Photos).rowCount(), 4);
}

TEST(Swap, DroppingWithinFiftyPixelsSwaps)
{
    const QList<QPoint> tiles{{10, 10}, {210, 10}, {410, 10}};
    EXPECT_EQ(dropTargets(0, QPoint(210 - 49, 10 + 49), tiles), (QList<int>{1}));
    EXPECT_TRUE(dropTargets(0, QPoint(210 - 50, 10), tiles).isEmpty());
    EXPECT_TRUE(dropTargets(0, QPoint(210, 10 + 50), tiles).isEmpty());
    EXPECT_TRUE(dropTargets(1, QPoint(210, 10), tiles).isEmpty()); // not onto itself
}

TEST(Swap, SwappingAcrossGroupsChangesThePlayOrder)
{
    EditRun run;
    run.import({run.photo("first.jpg", solid(40, 30, qRgb(255, 0, 0))),
                run.photo("second.jpg", solid(40, 30, qRgb(0, 255, 0))), run.photo("third.jpg", 40, 30)});
    const QByteArray secondPicture = run.read(run.group(2) + "/picture_1.rar");
    const QByteArray firstPicture = run.read(run.group(1) + "/picture_1.rar");
    const QByteArray secondThumb = run.read(run.thumb(2));
    const QByteArray firstThumb = run.read(run.thumb(1));

    swapPhotos(run.ctx, 0, {1});
    EXPECT_EQ(run.column(PhotoCol::Name), (QStringList{"second", "first", "third"}));
    EXPECT_EQ(run.column(PhotoCol::Group), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(run.column(PhotoCol::Number), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(run.read(run.group(1) + "/picture_1.rar"), secondPicture);
    EXPECT_EQ(run.read(run.group(2) + "/picture_1.rar"), firstPicture);
    EXPECT_TRUE(run.exists(run.group(1) + "/w_j_1.rar"));
    EXPECT_EQ(run.read(run.thumb(1)), secondThumb);
    EXPECT_EQ(run.read(run.thumb(2)), firstThumb);
    EXPECT_EQ(run.session.table(photo_tables::Visible).row(0).mid(0, 2), (QStringList{"1", "second"}));
    EXPECT_EQ(run.session.get("Edit_tuodong_huhuan_yes_or_no"), "tuodong_huhuan_yes");
    EXPECT_EQ(run.session.get("Edit_tuodong_huhuan_yes_id"), "1");
    EXPECT_EQ(run.files("smxcwjj/tp_wj/tp_slt_1").size(), 3);
}

TEST(Swap, WithinOneGroupOnlyTheListOrderChanges)
{
    EditRun run;
    run.importPortraitGroups();
    swapPhotos(run.ctx, 0, {1});
    EXPECT_EQ(run.column(PhotoCol::Name), (QStringList{"p1", "p0", "p2", "p3", "p4"}));
    EXPECT_EQ(run.column(PhotoCol::Group), (QStringList{"1", "1", "2", "2", "3"}));
    EXPECT_EQ(run.column(PhotoCol::PictureName),
              (QStringList{"picture_2", "picture_1", "picture_1", "picture_2", "picture_1"}));
}

TEST(DeleteAll, ClearsEverythingAndTheNextImportStartsANewAlbum)
{
    EditRun run;
    run.import({run.photo("1.jpg", 40, 30), run.photo("2.jpg", 40, 30)});
    run.session.set("Edit_xianshikuang_pailie", "2");
    deleteAllPhotos(run.ctx);
    EXPECT_EQ(run.session.get("Edit_delete_leixing"), "quan_bu_shang_chu");
    EXPECT_EQ(run.session.get("Edit_mobanleijia_sum"), "0");
    EXPECT_EQ(run.session.get("Edit_xianshikuang_pailie"), "0");
    EXPECT_EQ(run.session.table(photo_tables::Photos).rowCount(), 0);
    EXPECT_EQ(run.session.table(photo_tables::Visible).rowCount(), 0);
    EXPECT_TRUE(run.files("smxcwjj/tp_wj/tp_slt_1").isEmpty());
    EXPECT_TRUE(run.files("smxcwjj/tp_wjj/tp_wjj").isEmpty());
    EXPECT_EQ(run.hookCalls, (QStringList{"destroyTiles", "restartPlaceholder", "clearBrowser"}));

    run.import({run.photo("3.jpg", 40, 30)});
    EXPECT_EQ(run.column(PhotoCol::Group), (QStringList{"1"}));
    EXPECT_EQ(run.files("smxcwjj/tp_wjj/tp_wjj"), (QStringList{"t_p_1.rar", "tp_wjj_1", "tp_wjj_zuihou"}));
}
