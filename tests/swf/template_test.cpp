// A template-like movie driven the way the album renderer drives templates:
// marker variable, picture loads, the "picture_0" command, frame jumps.
#include "swf_builder.h"

#include "swf/player.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

using namespace fotarel::swf;
using swftest::Actions;
using swftest::Place;

namespace {

// Frame 1 of the root sets the marker and loads "picture_1.rar" into clip
// pic1 and the carry-over picture into pic0. A two-frame watcher clip sends
// "picture_0" once both clips have a width, and stops. The root has 30 frames.
QByteArray templateMovie()
{
    swftest::Movie m;
    m.width = 200;
    m.height = 100;
    m.tag(9, QByteArray("\x00\x00\x00", 3));
    swftest::Movie empty;
    empty.showFrame();
    m.tag(39, swftest::defineSprite(1, empty));

    // if (!(0 < _root.pic1._width)) skip; if (!(0 < _root.pic0._width)) skip;
    // fscommand("picture_0"); stop();
    Actions tail;
    tail.getUrl("FSCommand:picture_0", "").op(0x07);
    Actions check0;
    check0.push(0).push("_root.pic0").push(8).op(0x22).op(0x48).op(0x12).jumpIf(tail.size());
    Actions check1;
    check1.push(0).push("_root.pic1").push(8).op(0x22).op(0x48).op(0x12).jumpIf(check0.size() + tail.size());
    QByteArray watch = check1.finish();
    watch.chop(1);
    watch += check0.finish();
    watch.chop(1);
    watch += tail.finish();
    swftest::Movie watcher;
    watcher.tag(12, watch);
    watcher.showFrame();
    watcher.showFrame();
    m.tag(39, swftest::defineSprite(2, watcher));

    Place pic0;
    pic0.depth = 1;
    pic0.characterId = 1;
    pic0.name = "pic0";
    m.tag(26, swftest::placeObject2(pic0));
    Place pic1;
    pic1.depth = 2;
    pic1.characterId = 1;
    pic1.name = "pic1";
    pic1.hasMatrix = true;
    pic1.matrixBytes = swftest::matrix(1, 0, 0, 1, 100 * 20, 0);
    m.tag(26, swftest::placeObject2(pic1));
    Place w;
    w.depth = 3;
    w.characterId = 2;
    m.tag(26, swftest::placeObject2(w));
    Actions start;
    start.push("l_x_z_f_c").push("l_x_z_f_c_s_y_w_j").op(0x1d);
    start.push("picture_1.rar").push("pic1").getUrl2(0x40);
    start.push("../pic/picture_0.rar").push("pic0").getUrl2(0x40);
    m.tag(12, start.finish());
    for (int i = 0; i < 30; ++i)
        m.showFrame();
    return m.finish();
}

} // namespace

TEST(SwfTemplateContract, MarkerPicturesAndPicture0)
{
    QTemporaryDir tmp;
    const QString group = tmp.path() + "/smxcwjj/tp_wjj/tp_wjj_1";
    const QString carry = tmp.path() + "/smxcwjj/tp_wjj/pic";
    ASSERT_TRUE(QDir().mkpath(group) && QDir().mkpath(carry));
    QImage red(100, 100, QImage::Format_RGB32), blue(100, 100, QImage::Format_RGB32);
    red.fill(qRgb(255, 0, 0));
    blue.fill(qRgb(0, 0, 255));
    ASSERT_TRUE(red.save(group + "/picture_1.rar", "JPG", 95));
    ASSERT_TRUE(blue.save(carry + "/picture_0.rar", "JPG", 95));
    QFile movie(group + "/movie.rar");
    ASSERT_TRUE(movie.open(QIODevice::WriteOnly));
    movie.write(templateMovie());
    movie.close();

    Player p;
    QStringList commands;
    p.onFsCommand = [&](const QString& cmd, const QString&) { commands << cmd; };
    ASSERT_TRUE(p.load(movie.fileName()));
    p.stopPlaying();
    EXPECT_EQ(p.totalFrames(), 30);
    EXPECT_TRUE(p.setVariable("xc_alpha", "0"));
    EXPECT_EQ(p.getVariable("xc_alpha"), QString("0"));
    EXPECT_EQ(p.getVariable("l_x_z_f_c"), QString("l_x_z_f_c_s_y_w_j"));

    // Waiting for the command: ticks leave the stopped root where it is.
    int ticks = 0;
    while (commands.isEmpty() && ticks < 50) {
        p.tick();
        ++ticks;
    }
    ASSERT_EQ(commands, QStringList{"picture_0"}) << p.errorLog().join('\n').toStdString();
    EXPECT_EQ(ticks, 2); // loads complete at tick 1, the watcher checks at tick 2
    EXPECT_EQ(p.frameNum(), 0);

    p.setFrameNum(20);
    p.setFrameNum(0);
    p.stopPlaying();
    const QImage img = p.paint(QSize(200, 100));
    EXPECT_GT(qBlue(img.pixel(50, 50)), 200);
    EXPECT_GT(qRed(img.pixel(150, 50)), 200);
    EXPECT_TRUE(p.loadLog().join('\n').contains("picture_1.rar"));
}
