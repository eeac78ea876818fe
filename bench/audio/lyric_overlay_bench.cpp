// The lyric overlay's cost per 1080p frame, side by side with the same frame
// without lyrics: a player-sized picture is copied into the frame (what every
// frame costs anyway), then the overlay paints over it for a song whose line
// changes every second. Prints milliseconds per frame for both and the ratio.
#include "audio/lyric_overlay.h"
#include "audio/lyric_table.h"
#include "audio/music_table.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <cstdio>

using namespace fotarel;

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    QByteArray lrc;
    for (int s = 0; s < 240; ++s)
        lrc += QStringLiteral("[%1:%2.00]第%3行歌词 一句普通长度的歌词\n")
                   .arg(s / 60, 2, 10, QLatin1Char('0'))
                   .arg(s % 60, 2, 10, QLatin1Char('0'))
                   .arg(s)
                   .toUtf8();
    QFile file(dir.path() + "/song.lrc");
    file.open(QIODevice::WriteOnly);
    file.write(lrc);
    file.close();
    Session session;
    session.table(audio::names::MusicTable).appendRow(audio::songRow(1, "/song.mp3", 240000));
    session.table(audio::names::LyricTable).appendRow(audio::lyricRow(1, file.fileName()));
    auto overlay = audio::makeLyricOverlay(session, WorkingFolder(dir.path()), {});

    const QSize size(1920, 1080);
    QImage player(size, QImage::Format_RGB32);
    player.fill(QColor(40, 60, 90));
    QImage frame(size, QImage::Format_RGB32);
    constexpr int kFrames = 1500; // one minute of album
    auto run = [&](bool lyrics) {
        QElapsedTimer clock;
        clock.start();
        for (int f = 0; f < kFrames; ++f) {
            QPainter painter(&frame);
            painter.drawImage(0, 0, player);
            if (lyrics) {
                OverlayTime time;
                time.song = 0;
                time.songFrame = f;
                time.songMs = f * 40LL;
                overlay->paint(painter, size, time);
            }
        }
        return clock.nsecsElapsed() / 1e6 / kFrames;
    };
    double without = 1e9, with = 1e9;
    for (int round = 0; round < 3; ++round) {
        without = std::min(without, run(false));
        with = std::min(with, run(true));
    }
    std::printf("1080p frame without lyrics: %.3f ms\n1080p frame with lyrics:    %.3f ms\n"
                "overlay cost: %.3f ms per frame (ratio %.3f)\n",
                without, with, with - without, with / without);
    return 0;
}
