#include "audio/lyric_overlay.h"

#include "audio/lyric_table.h"
#include "audio/music_table.h"
#include "tests/audio/qt_print.h"
#include "tests/support/temp_tree.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace fotarel::audio {
namespace {

using test::TempTree;

// The bounding box of the pixels that are not black.
QRect inkBox(const QImage& image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((line[x] & 0xFFFFFF) != 0)
                box |= QRect(x, y, 1, 1);
    }
    return box;
}

class LyricOverlayTest : public ::testing::Test {
protected:
    LyricOverlayTest() : folder(tree.root()) {}

    void addSong(const QString& name, qint64 ms)
    {
        Table& songs = session.table(names::MusicTable);
        songs.appendRow(songRow(songs.rowCount() + 1, "/m/" + name + ".mp3", ms));
    }
    int addLyrics(const QString& name, const QByteArray& text, const LyricStyle& style = {})
    {
        Table& lyrics = session.table(names::LyricTable);
        Row row = lyricRow(lyrics.rowCount() + 1, tree.write(name + ".lrc", text));
        writeStyle(row, style);
        lyrics.appendRow(row);
        return lyrics.rowCount() - 1;
    }
    void bind(int song, int lyric)
    {
        const QString key = QStringLiteral("key%1").arg(lyric);
        session.table(names::MusicTable).setCell(song, MusicCol::LyricKey, key);
        session.table(names::LyricTable).setCell(lyric, LyricCol::SongKey, key);
    }

    QImage frame(Overlay& overlay, int song, long long songFrame, QSize size = {1920, 1080})
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter painter(&image);
        OverlayTime time;
        time.song = song;
        time.songFrame = songFrame;
        time.songMs = songFrame * 40;
        overlay.paint(painter, size, time);
        return image;
    }

    TempTree tree;
    WorkingFolder folder;
    Session session;
    QStringList log;
    LogFn logger = [this](const QString& line) { log.append(line); };
};

TEST_F(LyricOverlayTest, TwoSongsChangeAtTheirTagsAndStayBetween)
{
    addSong("a", 10000);
    addSong("b", 10000);
    addLyrics("a", "[00:01.00]第一首歌\n[00:01.50]同一秒的下一行\n[00:03.00]  \n");
    LyricStyle red;
    red.colourValue = 0x0000FF; // clRed as 0x00BBGGRR
    red.colourName = "clRed";
    addLyrics("b", "[00:00.20]第二首歌\n", red);
    bind(0, 0);
    bind(1, 1);
    auto overlay = makeLyricOverlay(session, folder, logger);
    ASSERT_TRUE(overlay);

    // Frame by frame through both songs: the picture changes exactly at the
    // lines' frames (1.00 s = 25, 1.50 s = 37.5 -> 38, 3.00 s = 75; song b's
    // 0.20 s = frame 5) and nowhere else.
    std::vector<std::pair<int, long long>> changes;
    QImage previous;
    for (int song = 0; song < 2; ++song) {
        for (long long f = 0; f < 100; ++f) {
            const QImage image = frame(*overlay, song, f);
            if (!previous.isNull() && image != previous)
                changes.emplace_back(song, f);
            previous = image;
        }
    }
    EXPECT_EQ(changes, (std::vector<std::pair<int, long long>>{{0, 25}, {0, 38}, {0, 75}, {1, 5}}));
    EXPECT_TRUE(inkBox(frame(*overlay, 0, 24)).isNull());
    EXPECT_TRUE(inkBox(frame(*overlay, 0, 80)).isNull()); // the blank line clears it
    EXPECT_TRUE(inkBox(frame(*overlay, 1, 4)).isNull());  // a new song starts clear

    // Song b's line in red, bottom centre, 10 pixels above the edge.
    const QImage b = frame(*overlay, 1, 50);
    const QRect box = inkBox(b);
    ASSERT_FALSE(box.isNull());
    EXPECT_NEAR(box.center().x(), 960, 8);
    EXPECT_GT(box.bottom(), 1000);
    EXPECT_LT(box.bottom(), 1070);
    const QColor ink = b.pixelColor(box.center().x(), box.center().y());
    bool sawRed = false;
    for (int x = box.left(); x <= box.right() && !sawRed; ++x)
        for (int y = box.top(); y <= box.bottom() && !sawRed; ++y)
            sawRed = b.pixel(x, y) == qRgb(255, 0, 0);
    EXPECT_TRUE(sawRed) << ink.name().toStdString();
    // Pictures are drawn per line, not per frame.
    EXPECT_LE(static_cast<LyricOverlay*>(overlay.get())->picturesDrawn(), 12);
}

TEST_F(LyricOverlayTest, StyleScalesWithTheFrameAndLongLinesFit)
{
    addSong("a", 60000);
    LyricStyle style;
    style.size = 20;
    style.horizontal = LyricStyle::Horizontal::Right;
    style.vertical = LyricStyle::Vertical::Top;
    addLyrics("a", "[00:00.00]短句\n[00:10.00]" + QByteArray("这是一行非常非常长的歌词").repeated(12) + "\n", style);
    bind(0, 0);
    auto overlay = makeLyricOverlay(session, folder, logger);
    ASSERT_TRUE(overlay);

    const QRect big = inkBox(frame(*overlay, 0, 0));
    const QRect small = inkBox(frame(*overlay, 0, 0, {1280, 720}));
    ASSERT_FALSE(big.isNull());
    ASSERT_FALSE(small.isNull());
    EXPECT_NEAR(small.height() * 1.5, big.height(), 4);
    EXPECT_NEAR(big.right(), 1920 - 10, 8);
    EXPECT_GE(big.top(), 10); // the line's box starts 10 pixels down; its ink a little lower
    EXPECT_LT(big.top(), 60);
    // 20 points on the 513-pixel sample: 74 points on the 1920 panel, about 99 pixels.
    EXPECT_GT(big.height(), 60);

    for (QSize size : {QSize(1920, 1080), QSize(720, 576)}) {
        const QRect wide = inkBox(frame(*overlay, 0, 300, size));
        ASSERT_FALSE(wide.isNull());
        EXPECT_GE(wide.left(), 1) << size.width();
        EXPECT_LE(wide.right(), size.width() - 2) << size.width();
    }
}

TEST_F(LyricOverlayTest, MissingFileIsLoggedAndOtherSongsKeepTheirLyrics)
{
    addSong("a", 10000);
    addSong("b", 10000);
    addLyrics("a", "[00:00.00]A\n");
    addLyrics("b", "[00:00.00]B\n");
    bind(0, 0);
    bind(1, 1);
    const QString gone = session.table(names::LyricTable).cell(0, LyricCol::Path);
    QFile::remove(gone);
    auto overlay = makeLyricOverlay(session, folder, logger);
    ASSERT_TRUE(overlay);
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0].contains(gone));
    EXPECT_TRUE(log[0].contains("无法读取"));
    EXPECT_TRUE(inkBox(frame(*overlay, 0, 10)).isNull());
    EXPECT_FALSE(inkBox(frame(*overlay, 1, 10)).isNull());
    EXPECT_TRUE(inkBox(frame(*overlay, -1, 10)).isNull()); // after the last song
}

TEST_F(LyricOverlayTest, SongWithoutItsOwnLyricFileShowsNoLines)
{
    addSong("a", 10000);
    addSong("b", 10000);
    addSong("c", 10000);
    addLyrics("x", "[00:00.00]X\n");
    addLyrics("a", "[00:00.00]A\n");
    bind(0, 1);
    // b is unbound, c holds a key no lyric file holds: neither borrows a file.
    session.table(names::MusicTable).setCell(2, MusicCol::LyricKey, "gone");
    auto overlay = makeLyricOverlay(session, folder, logger);
    ASSERT_TRUE(overlay);
    EXPECT_FALSE(inkBox(frame(*overlay, 0, 10)).isNull());
    EXPECT_TRUE(inkBox(frame(*overlay, 1, 10)).isNull());
    EXPECT_TRUE(inkBox(frame(*overlay, 2, 10)).isNull());
}

TEST_F(LyricOverlayTest, NothingToShowGivesNoOverlay)
{
    EXPECT_FALSE(makeLyricOverlay(session, folder, logger));
    addSong("a", 10000);
    EXPECT_FALSE(makeLyricOverlay(session, folder, logger));
    addLyrics("a", "[00:00.00]A\n");
    EXPECT_FALSE(makeLyricOverlay(session, folder, logger)); // the song is not bound to it
    bind(0, 0);
    EXPECT_TRUE(makeLyricOverlay(session, folder, logger));
    QFile::remove(session.table(names::LyricTable).cell(0, LyricCol::Path));
    EXPECT_FALSE(makeLyricOverlay(session, folder, logger));
}

} // namespace
} // namespace fotarel::audio
