// The template effect preview and the photo browser's sizes and limits.
#include "photos/browser.h"
#include "photos/preview.h"
#include "tests/render/album_fixture.h"

#include <QCryptographicHash>
#include <QDirIterator>

#include <gtest/gtest.h>

using namespace fotarel;
using namespace fotarel::test;

namespace {

// Every file under the album's group folders with its content hash.
QMap<QString, QByteArray> groupTree(const AlbumRun& run)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(run.tree.path("smxcwjj/tp_wjj/tp_wjj"), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        files.insert(path, QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1));
    }
    return files;
}

bool near(QColor a, QColor b)
{
    return std::abs(a.red() - b.red()) < 40 && std::abs(a.green() - b.green()) < 40 && std::abs(a.blue() - b.blue()) < 40;
}

struct TwoGroups : AlbumRun {
    explicit TwoGroups(const MovieOptions& options = {})
    {
        addMovieTemplate("t01", options);
        loadLibrary();
        importColours({Qt::red, Qt::blue});
    }
};

} // namespace

TEST(Preview, RefusesWithoutPhotosOrSelection)
{
    TwoGroups run;
    Session empty;
    EXPECT_EQ(preview::choosePhoto(empty, 0).refusal, "没有找到相片文件，不能预览效果！");
    EXPECT_EQ(preview::choosePhoto(run.session, std::nullopt).refusal, "没有选中相片文件！");
    EXPECT_EQ(preview::choosePhoto(run.session, 2).refusal, "没有选中相片文件！");
    EXPECT_EQ(preview::choosePhoto(run.session, 1).row, 1);
    EXPECT_TRUE(preview::choosePhoto(run.session, 1).refusal.isEmpty());
    const auto fields = preview::photoFields(run.session, 1);
    ASSERT_EQ(fields.size(), 5);
    EXPECT_EQ(fields[0], qMakePair(QString("相片名称："), QString("p2")));
    EXPECT_EQ(fields[1].second, "横照相片");
    EXPECT_EQ(fields[2].second, ".JPG");
    EXPECT_EQ(fields[3].second, "2");
    EXPECT_EQ(fields[4].second, "240*135");
}

TEST(Preview, PlaysTheGroupThenTheEndingOnCopiesAndLeavesTheAlbumAlone)
{
    TwoGroups run;
    ASSERT_EQ(run.session.get("Edit_mobanleijia_sum"), "2");
    const auto before = groupTree(run);

    const preview::Prepared prepared = preview::prepare(run.session, run.folder, 1);
    ASSERT_TRUE(prepared.ok);
    EXPECT_EQ(prepared.group, 2);
    EXPECT_TRUE(run.tree.exists("smxcwjj/wj_yl_xg_1/wj_yl_xg_1/wj_yl_xg_1/tp_wjj/wj_yl_xg2/wj_yl_xg_2.rar"));
    EXPECT_TRUE(run.tree.exists("smxcwjj/wj_yl_xg_1/wj_yl_xg_1/wj_yl_xg_1/tp_wjj/wj_yl_xg2/picture_1.rar"));
    EXPECT_TRUE(run.tree.exists("smxcwjj/wj_yl_xg_1/wj_yl_xg_1/wj_yl_xg_1/tp_wjj/wj_yl_xg_zuihou/wj_yl_xg_zuihou.rar"));

    preview::Playback playback(run.session, run.folder, prepared);
    ASSERT_TRUE(playback.play());
    QImage frame;
    QList<preview::Playback::Phase> phases;
    QList<QImage> frames;
    while (playback.step(frame)) {
        phases << playback.phase();
        frames << frame.copy();
    }
    frames << frame.copy();
    EXPECT_EQ(playback.phase(), preview::Playback::Phase::Finished);
    EXPECT_EQ(frame.size(), QSize(800, 450));
    // Six frames of the group's movie (its photo is blue), then the four of
    // the ending template: its right half white, its left half the group's
    // last frame carried over.
    ASSERT_EQ(frames.size(), 6 + 4);
    EXPECT_EQ(phases.count(preview::Playback::Phase::Group), 5); // the sixth step loads the ending
    EXPECT_TRUE(near(frames[2].pixelColor(200, 225), Qt::blue));
    EXPECT_TRUE(near(frames.last().pixelColor(700, 225), Qt::white));
    EXPECT_TRUE(near(frames.last().pixelColor(100, 225), Qt::blue));

    // "停止" and "播放" again start from the group's first frame.
    playback.stop();
    EXPECT_EQ(playback.phase(), preview::Playback::Phase::Idle);
    EXPECT_FALSE(playback.step(frame));
    ASSERT_TRUE(playback.play());
    ASSERT_TRUE(playback.step(frame));
    EXPECT_EQ(playback.frame(), 0);
    EXPECT_EQ(playback.phase(), preview::Playback::Phase::Group);

    // Stepping ahead never passes the movie's last frame: a big step ends
    // the group's movie and the ending template follows.
    ASSERT_TRUE(playback.step(frame, 100));
    EXPECT_EQ(playback.phase(), preview::Playback::Phase::Ending);
    ASSERT_TRUE(playback.step(frame, 2));
    EXPECT_EQ(playback.frame(), 1);

    // "返回" leaves no preview folder; the album's folders never changed.
    preview::removePreviewFolder(run.folder);
    EXPECT_FALSE(run.tree.exists("smxcwjj/wj_yl_xg_1"));
    EXPECT_EQ(groupTree(run), before);
}

TEST(Preview, AMovieThatIsNoTemplateIsReported)
{
    MovieOptions bad;
    bad.marker = false;
    TwoGroups run(bad);
    preview::Playback playback(run.session, run.folder, preview::prepare(run.session, run.folder, 0));
    EXPECT_FALSE(playback.play());
    EXPECT_TRUE(playback.invalid());
    QImage frame;
    EXPECT_FALSE(playback.step(frame));
}

TEST(Browser, ZoomBoxesAndTheirLimits)
{
    EXPECT_EQ(browser::boxForZoom(1), QSize(55, 41));
    EXPECT_EQ(browser::boxForZoom(20), QSize(1100, 820));
    EXPECT_EQ(browser::boxForZoom(0), QSize(55, 41));
    EXPECT_EQ(browser::boxForZoom(25), QSize(1100, 820));
    const QRect screen(0, 0, 1366, 768);
    EXPECT_EQ(browser::windowGeometry(browser::WindowSize::Default, screen).size(), QSize(928, 690));
    EXPECT_EQ(browser::windowGeometry(browser::WindowSize::Enlarged, screen).size(), QSize(1366 - 68, 768 - 76));
    EXPECT_EQ(browser::windowGeometry(browser::WindowSize::FullScreen, screen), screen);
    // A small screen never gets a window larger than itself.
    EXPECT_TRUE(QRect(0, 0, 800, 600).contains(browser::windowGeometry(browser::WindowSize::Default, {0, 0, 800, 600})));
}

TEST(Browser, PhotosFitTheirBoxAndNavigationStopsAtTheEnds)
{
    struct Case {
        QSize photo, box, fitted;
    } cases[] = {
        {{6000, 4000}, {235, 195}, {227, 151}}, // landscape by width
        {{4000, 6000}, {235, 195}, {124, 187}}, // portrait by height
        {{1000, 1000}, {235, 195}, {187, 187}}, // square: by width, then reduced
        {{8000, 1000}, {55, 41}, {47, 5}},
        {{1, 20000}, {55, 41}, {1, 33}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(browser::fitInBox(c.photo, c.box), c.fitted) << c.photo.width() << "x" << c.photo.height();

    EXPECT_EQ(browser::step(-1, 0, 1), -1);
    EXPECT_EQ(browser::step(-1, 3, 1), 0);
    EXPECT_EQ(browser::step(-1, 3, -1), 2);
    EXPECT_EQ(browser::step(2, 3, 1), 2);
    EXPECT_EQ(browser::step(0, 3, -1), 0);
    EXPECT_EQ(browser::step(1, 3, 1), 2);
}

TEST(Browser, CellShowsThePhotoFramedInTheMiddle)
{
    PhotoRun run;
    QImage green(600, 300, QImage::Format_RGB32);
    green.fill(Qt::green);
    const QString file = run.photo("g.jpg", green);
    const QImage cell = browser::renderCell(file, {235, 195});
    ASSERT_EQ(cell.size(), QSize(235, 195));
    // 227 x 113 picture in a white frame 8 pixels larger, centred.
    EXPECT_TRUE(near(cell.pixelColor(117, 97), Qt::green));
    EXPECT_TRUE(near(cell.pixelColor(1, (195 - 121) / 2 + 1), Qt::white));
    EXPECT_FALSE(near(cell.pixelColor(117, 5), Qt::green));
    // A file that is no JPEG leaves the box empty rather than failing.
    run.tree.write("photos/bad.jpg", "not a jpeg");
    const QImage empty = browser::renderCell(run.tree.path("photos/bad.jpg"), {55, 41});
    EXPECT_EQ(empty.size(), QSize(55, 41));
}
