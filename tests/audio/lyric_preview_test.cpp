#include "audio/lyric_preview.h"

#include "audio/lyric_picture.h"
#include "audio/music_table.h"
#include "tests/audio/qt_print.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/temp_tree.h"
#include "audio/audio_names.h"

#include <gtest/gtest.h>

namespace fotarel::audio {
namespace {

using test::ScriptedUi;
using test::TempTree;

// A player on a clock the test moves.
class FakePlayer : public AudioPlayer {
public:
    bool open(const QString& path) override
    {
        file = path;
        position = 0;
        playingNow = false;
        return true;
    }
    void close() override { file.clear(); }
    QString fileName() const override { return file; }
    void play() override { playingNow = true; }
    void stop() override { playingNow = false; }
    void seek(qint64 ms) override { position = ms; }
    qint64 lengthMs() const override { return length; }
    qint64 positionMs() const override { return position; }
    bool isPlaying() const override { return playingNow && position < length; }

    QString file;
    qint64 length = 75500;
    qint64 position = 0;
    bool playingNow = false;
};

class Preview : public ::testing::Test {
protected:
    void addSong(const QString& name)
    {
        Table& songs = session.table(names::MusicTable);
        songs.appendRow(songRow(songs.rowCount() + 1, "/m/" + name + ".mp3", 75500));
    }
    void addLyrics(const QString& name, const QByteArray& text)
    {
        Table& lyrics = session.table(names::LyricTable);
        lyrics.appendRow(lyricRow(lyrics.rowCount() + 1, tree.write(name + ".lrc", text)));
    }

    TempTree tree;
    Session session;
    ScriptedUi ui;
    FakePlayer player;
};

TEST_F(Preview, OpeningChecks)
{
    EXPECT_FALSE(LyricPreview::mayOpen(session, ui, LyricPreview::Kind::Music));
    EXPECT_FALSE(LyricPreview::mayOpen(session, ui, LyricPreview::Kind::Lyrics));
    addLyrics("a", "[00:01.00]x");
    EXPECT_FALSE(LyricPreview::mayOpen(session, ui, LyricPreview::Kind::Lyrics));
    addSong("a");
    EXPECT_TRUE(LyricPreview::mayOpen(session, ui, LyricPreview::Kind::Lyrics));
    EXPECT_TRUE(LyricPreview::mayOpen(session, ui, LyricPreview::Kind::Music));
    EXPECT_EQ(ui.messages, (QStringList{kNoSongsToPreview, kNoLyricsToPreview, kNoSongsForLyricPreview}));
    EXPECT_EQ(session.get("Edit_shuangji_yulan_or_qitacaozuo"), "shuangji_yulan");

    LyricPreview preview(session, player, LyricPreview::Kind::Lyrics);
    preview.reset();
    ui.messages.clear();
    EXPECT_FALSE(preview.play(ui));
    preview.chooseLyrics(0, ui);
    EXPECT_FALSE(preview.play(ui));
    EXPECT_EQ(ui.messages, (QStringList{kNoLyricChosen, kNoSongChosenForLyrics}));
}

TEST_F(Preview, LinesFollowThePlayerAndTheSongEndClearsThem)
{
    addSong("a");
    addLyrics("a", "[00:00.50]first\n[00:00.90]second\n[01:10.00]last\n");
    LyricStyle style;
    style.size = 20;
    Row& row = session.table(names::LyricTable).row(0);
    writeStyle(row, style);

    LyricPreview preview(session, player, LyricPreview::Kind::Lyrics);
    preview.reset();
    preview.chooseSong(0);
    EXPECT_EQ(preview.lengthText(), "01:15");
    preview.chooseLyrics(0, ui);
    EXPECT_EQ(session.table(audio::names::LrcTimed).rowCount(), 4);
    ASSERT_TRUE(preview.play(ui));

    struct Step {
        qint64 ms;
        const char* current;
        const char* line;
    };
    const Step steps[] = {{0, "00:00", ""}, {499, "00:00", ""}, {500, "00:00", "first"}, {900, "00:00", "second"},
                          {65000, "01:05", "second"}, {70000, "01:10", "last"}};
    for (const Step& s : steps) {
        player.position = s.ms;
        const LyricPreview::Frame frame = preview.tick();
        EXPECT_EQ(frame.current, QString(s.current)) << s.ms;
        EXPECT_EQ(frame.line, QString(s.line)) << s.ms;
        EXPECT_FALSE(frame.stopped);
    }
    EXPECT_EQ(preview.style(), style);
    player.position = 75500;
    const LyricPreview::Frame end = preview.tick();
    EXPECT_TRUE(end.stopped);
    EXPECT_EQ(end.line, "");
    EXPECT_EQ(end.current, "00:00");
    EXPECT_TRUE(player.fileName().isEmpty());

    // The music preview shows the lines parsed last, styled from its own
    // window's row (0 at start).
    LyricPreview music(session, player, LyricPreview::Kind::Music);
    music.reset();
    music.chooseSong(0);
    ASSERT_TRUE(music.play(ui));
    player.position = 800;
    EXPECT_EQ(music.tick().line, "first");
}

TEST_F(Preview, DefaultStyleOnThePreviewPanel)
{
    // Size 10 on the 679-pixel panel is 13 points: bottom centre, its box
    // 10 pixels above the lower edge.
    const LyricPicture picture =
        drawLyricLine("此处歌词内容", LyricStyle{}, QSize(kPreviewPanelWidth, kPreviewPanelHeight), kPreviewPanelWidth);
    EXPECT_EQ(picture.pixelSize, 17); // 13 points at 96 dots an inch
    EXPECT_EQ(picture.box.bottom() + 1, kPreviewPanelHeight - 10);
    EXPECT_NEAR(picture.box.center().x(), kPreviewPanelWidth / 2, 1);
    // The thin outline reaches past the box on every side.
    EXPECT_LT(picture.position.y(), picture.box.top());
    EXPECT_GT(picture.position.y() + picture.image.height(), picture.box.bottom() + 1);
}

} // namespace
} // namespace fotarel::audio
