#include "audio/qt_audio_player.h"

#include "tests/audio/qt_print.h"
#include "tests/audio/test_songs.h"
#include "tests/support/temp_tree.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

namespace fotarel::audio {
namespace {

TEST(QtAudioPlayer, OpensSeeksAndStopsKeepingThePosition)
{
    test::TempTree tree;
    const QString path = tree.path("播放 'test'.mp3");
    ASSERT_TRUE(test::makeSong(path, "sine=d=3.5"));

    QtAudioPlayer player;
    EXPECT_FALSE(player.isPlaying());
    ASSERT_TRUE(player.open(path));
    EXPECT_EQ(player.fileName(), path);
    EXPECT_EQ(player.lengthMs() / 1000, 3);
    EXPECT_FALSE(player.isPlaying());

    player.seek(2000);
    QElapsedTimer clock;
    clock.start();
    while (player.positionMs() != 2000 && clock.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(player.positionMs(), 2000);

    player.stop(); // stopping a stopped player keeps the position
    EXPECT_EQ(player.positionMs(), 2000);

    player.play();
    EXPECT_TRUE(player.isPlaying());
    clock.restart();
    while (player.positionMs() < 2300 && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    player.stop();
    EXPECT_FALSE(player.isPlaying());
    const qint64 stoppedAt = player.positionMs();
    EXPECT_GE(stoppedAt, 2300);
    QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
    EXPECT_EQ(player.positionMs(), stoppedAt);

    // Playing on to the end stops by itself at the song's length.
    player.seek(player.lengthMs() - 150);
    player.play();
    clock.restart();
    while (player.isPlaying() && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_FALSE(player.isPlaying());
    EXPECT_GE(player.positionMs(), player.lengthMs() - 100);

    EXPECT_FALSE(player.open(tree.write("not audio.mp3", "text")));
    EXPECT_TRUE(player.fileName().isEmpty());
    EXPECT_EQ(player.lengthMs(), 0);
}

} // namespace
} // namespace fotarel::audio
