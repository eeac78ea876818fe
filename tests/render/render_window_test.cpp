// The render window runs a pass on its worker thread and says how it ended:
// done with the file's path and "打开文件夹", failed with the reason, or
// stopped with nothing left behind. The pass is held at chosen frames with
// latches, so nothing here depends on how fast the machine is.
#include "app/render/render_window.h"
#include "render/output_settings.h"
#include "render/render_names.h"
#include "tests/render/album_fixture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <latch>

using namespace fotarel;
using fotarel::test::AlbumRun;

namespace {

void prepare(AlbumRun& run, const QString& out)
{
    run.session.set(settings::vars::OutputType, settings::kAvi);
    run.session.set(settings::vars::Width, "320");
    run.session.set(settings::vars::Height, "180");
    run.session.set(render::vars::VideoOut, out);
    run.session.set(render::vars::AudioOut, out);
}

// Pumps the event loop until `done` (no time limit: ctest's timeout guards).
template <typename F>
void pumpUntil(F done)
{
    while (!done())
        QApplication::processEvents(QEventLoop::AllEvents, 5);
}

struct Album {
    AlbumRun run;
    Album()
    {
        test::MovieOptions movie;
        movie.frames = 150;
        run.addMovieTemplate("t01", movie);
        run.loadLibrary();
        run.importColours({Qt::red, Qt::green});
    }
    static constexpr int kFrames = 2 * 150 + 100;
};

// Holds the pass when the encoder has reported `frame`, until released.
struct Hold {
    explicit Hold(int frame) : frame(frame) {}
    void install(app::RenderWindow& window)
    {
        window.setEventsHook([this](render::PassEvents& events) {
            events.activity = [this, next = events.activity](int v, int m) {
                next(v, m);
                if (v == frame && m == Album::kFrames) {
                    reached.count_down();
                    release.wait();
                }
            };
        });
    }
    int frame;
    std::latch reached{1};
    std::latch release{1};
};

QString text(const app::RenderWindow& window, const char* name)
{
    return window.findChild<QLabel*>(name)->text();
}

} // namespace

TEST(RenderWindow, DoneShowsThePathAndOpenFolderAndTheBarsFollowTheEncoder)
{
    Album album;
    const QString out = album.run.tree.path("whole.avi");
    prepare(album.run, out);
    app::RenderWindow window(album.run.session, album.run.folder);
    window.setStartDelay(0);
    Hold hold(50);
    hold.install(window);
    window.show();
    auto* overall = window.findChild<QProgressBar*>("ProgressBar1");
    auto* activity = window.findChild<QProgressBar*>("ProgressBar2");
    EXPECT_EQ(text(window, "Label_zongjindu"), "总进度");
    EXPECT_EQ(text(window, "Label_bianma"), "视频编码");

    // Held at the encoder's 50th frame: one tick shows exactly that.
    pumpUntil([&] { return hold.reached.try_wait(); });
    window.showProgress();
    EXPECT_EQ(activity->value(), 50);
    EXPECT_EQ(activity->maximum(), Album::kFrames);
    EXPECT_EQ(overall->value(), Album::kFrames + 50);
    EXPECT_EQ(overall->maximum(), 2 * Album::kFrames);
    EXPECT_TRUE(text(window, "Label_shijian").contains("已用时间"));
    EXPECT_TRUE(text(window, "Label_shijian").contains("剩余时间"));
    hold.release.count_down();

    pumpUntil([&] { return window.finished(); });
    EXPECT_EQ(window.outcome(), render::PassOutcome::Completed);
    EXPECT_TRUE(window.isVisible()) << "the outcome stays on screen";
    EXPECT_EQ(overall->value(), overall->maximum());
    EXPECT_EQ(activity->value(), activity->maximum());
    EXPECT_EQ(text(window, "Label_jieguo"), "相册制作完成：" + out);
    EXPECT_TRUE(window.findChild<QPushButton*>("Button_dakai_wenjianjia")->isVisible());
    EXPECT_TRUE(QFileInfo::exists(out));
    // What the pass wrote is in the window's session now.
    EXPECT_EQ(album.run.session.get(render::vars::EndingSwitch), render::kEndingOn);
    EXPECT_TRUE(album.run.session.table(render::tables::ConversionLog).lines().contains("Conversion ended."));
    EXPECT_GT(window.findChild<QListWidget*>(render::tables::LoadLog)->count(), 0);

    auto* close = window.findChild<QPushButton*>("suiButton1");
    EXPECT_EQ(close->text(), "关闭");
    close->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Accepted);
}

TEST(RenderWindow, StopDuringEncodingShowsStoppedAndLeavesNothing)
{
    Album album;
    const QString out = album.run.tree.path("stopped.avi");
    prepare(album.run, out);
    app::RenderWindow window(album.run.session, album.run.folder);
    window.setStartDelay(0);
    Hold hold(20);
    hold.install(window);
    window.show();
    pumpUntil([&] { return hold.reached.try_wait(); });
    window.showProgress();
    auto* stop = window.findChild<QPushButton*>("suiButton1");
    ASSERT_TRUE(stop->isEnabled());
    stop->click();
    hold.release.count_down();
    pumpUntil([&] { return window.finished(); });
    EXPECT_EQ(window.outcome(), render::PassOutcome::Stopped);
    EXPECT_EQ(text(window, "Label_jieguo"), "已停止制作，没有生成文件。");
    for (const char* bar : {"ProgressBar1", "ProgressBar2"})
        EXPECT_EQ(window.findChild<QProgressBar*>(bar)->text(), "已停止") << bar;
    EXPECT_FALSE(window.findChild<QPushButton*>("Button_dakai_wenjianjia")->isVisible());
    EXPECT_FALSE(QFileInfo::exists(out));
    EXPECT_FALSE(QFileInfo::exists(out + ".part"));
    EXPECT_FALSE(album.run.exists("smxcwjj/tp_load/tp_load_1.bmp"));
    EXPECT_FALSE(album.run.exists("smxcwjj/tp_wjj/pic/picture_0.rar"));
    window.close(); // the close box now closes
    EXPECT_FALSE(window.isVisible());
}

TEST(RenderWindow, FailureShowsTheReason)
{
    Album album;
    // A folder that does not exist stands for one that cannot be written.
    const QString out = album.run.tree.path("no such folder/album.avi");
    prepare(album.run, out);
    app::RenderWindow window(album.run.session, album.run.folder);
    window.setStartDelay(0);
    window.show();
    pumpUntil([&] { return window.finished(); });
    EXPECT_EQ(window.outcome(), render::PassOutcome::Failed);
    const QString reason = text(window, "Label_jieguo");
    EXPECT_EQ(reason, QStringLiteral("制作失败：无法写入“%1”，保存文件的文件夹不存在。").arg(out));
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.findChild<QPushButton*>("Button_dakai_wenjianjia")->isVisible());
    // The reason wraps inside the window instead of running past its edge.
    auto* label = window.findChild<QLabel*>("Label_jieguo");
    const QRect needed = label->fontMetrics().boundingRect(QRect(0, 0, label->width(), 10000),
                                                           Qt::TextWordWrap, reason);
    EXPECT_LE(needed.width(), label->width());
    EXPECT_LE(needed.height(), label->height());
    EXPECT_LE(label->geometry().right(), window.rect().right());
    // Both bars say how it ended.
    for (const char* bar : {"ProgressBar1", "ProgressBar2"})
        EXPECT_EQ(window.findChild<QProgressBar*>(bar)->text(), "制作失败") << bar;
}

TEST(RenderWindow, OpenFolderSaysWhereTheFileIsWhenNothingCanOpenIt)
{
    Album album;
    const QString out = album.run.tree.path("opened.avi");
    prepare(album.run, out);
    app::RenderWindow window(album.run.session, album.run.folder);
    window.setStartDelay(0);
    QStringList asked;
    bool opens = false;
    window.setFolderOpener([&](const QString& folder) {
        asked << folder;
        return opens;
    });
    window.show();
    pumpUntil([&] { return window.finished(); });
    ASSERT_EQ(window.outcome(), render::PassOutcome::Completed);
    auto* open = window.findChild<QPushButton*>("Button_dakai_wenjianjia");
    auto* note = window.findChild<QLabel*>("Label_dakai_wenjianjia");
    QTest::mouseClick(open, Qt::LeftButton);
    EXPECT_EQ(asked, QStringList{album.run.tree.root()});
    EXPECT_TRUE(note->isVisible());
    EXPECT_EQ(note->text(), "无法打开文件夹：这台电脑没有登记文件管理器。文件保存在：" + album.run.tree.root());
    // Where a file manager answers, nothing more is said.
    opens = true;
    QTest::mouseClick(open, Qt::LeftButton);
    EXPECT_FALSE(note->isVisible());
    for (const char* bar : {"ProgressBar1", "ProgressBar2"})
        EXPECT_EQ(window.findChild<QProgressBar*>(bar)->text(), "完成") << bar;
}
