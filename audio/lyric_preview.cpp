#include "audio/lyric_preview.h"

#include "audio/lyric_import.h"
#include "audio/music_table.h"

namespace fotarel::audio {

lrc::Parse storedParse(const Session& session)
{
    lrc::Parse parse;
    const Table& rows = session.table(names::LrcRows);
    for (int i = 0; i < rows.rowCount(); ++i)
        parse.rows.append(lrc::TagRow{rows.cell(i, 1), rows.cell(i, 2)});
    // The offset travels as a tag row; reading it again gives the same value.
    QString offsetLines;
    for (const lrc::TagRow& row : parse.rows)
        if (row.tag.startsWith(QStringLiteral("offset:"), Qt::CaseInsensitive))
            offsetLines += QLatin1Char('[') + row.tag + QStringLiteral("]\n");
    parse.offsetMs = lrc::parseText(offsetLines).offsetMs;
    return parse;
}

LyricPreview::LyricPreview(Session& session, AudioPlayer& player, Kind kind)
    : session_(session),
      player_(player),
      kind_(kind),
      styleRowVariable_(kind == Kind::Music ? kMusicPreviewStyleRow : kLyricPreviewStyleRow)
{
}

bool LyricPreview::mayOpen(Session& session, UiPort& ui, Kind kind)
{
    session.set(QStringLiteral("Edit_shuangji_yulan_or_qitacaozuo"), QStringLiteral("shuangji_yulan"));
    const bool noSongs = session.table(names::MusicTable).isEmpty();
    if (kind == Kind::Music) {
        if (noSongs) {
            ui.showMessage(kNoSongsToPreview);
            return false;
        }
        return true;
    }
    if (session.table(names::LyricTable).isEmpty()) {
        ui.showMessage(kNoLyricsToPreview);
        return false;
    }
    if (noSongs) {
        ui.showMessage(kNoSongsForLyricPreview);
        return false;
    }
    return true;
}

void LyricPreview::reset()
{
    song_.reset();
    lyrics_.reset();
    length_ = current_ = QStringLiteral("00:00");
    line_.clear();
    // The lines parsed last stay in force until a lyric file is chosen here.
    timeline_ = lrc::Timeline(storedParse(session_));
}

QStringList LyricPreview::songNames() const
{
    QStringList names;
    const Table& songs = session_.table(names::MusicTable);
    for (int i = 0; i < songs.rowCount(); ++i)
        names.append(songs.cell(i, MusicCol::Name));
    return names;
}

QStringList LyricPreview::lyricNames() const
{
    QStringList names;
    const Table& lyrics = session_.table(names::LyricTable);
    for (int i = 0; i < lyrics.rowCount(); ++i)
        names.append(lyrics.cell(i, LyricCol::Name));
    return names;
}

void LyricPreview::chooseSong(int row)
{
    const Table& songs = session_.table(names::MusicTable);
    if (row < 0 || row >= songs.rowCount())
        return;
    song_ = row;
    if (!player_.fileName().isEmpty())
        player_.stop();
    player_.close();
    if (player_.open(songs.cell(row, MusicCol::Path)))
        player_.stop();
    length_ = lrc::timeKey(player_.lengthMs() / 1000);
}

void LyricPreview::chooseLyrics(int row, UiPort& ui)
{
    const Table& lyrics = session_.table(names::LyricTable);
    if (row < 0 || row >= lyrics.rowCount())
        return;
    lyrics_ = row;
    session_.setInt(styleRowVariable_, row);
    const QString path = lyrics.cell(row, LyricCol::Path);
    const lrc::FileParse file = lrc::readFile(path);
    lrc::storeParse(session_, file.parse);
    timeline_ = lrc::Timeline(file.parse);
    if (file.error != lrc::ReadError::None)
        ui.showMessage(kUnusableLyricsMessage + QStringLiteral("\n") + path + QStringLiteral("（")
                       + readErrorText(file.error) + QStringLiteral("）"));
}

bool LyricPreview::play(UiPort& ui)
{
    if (kind_ == Kind::Lyrics && !lyrics_) {
        ui.showMessage(kNoLyricChosen);
        return false;
    }
    if (!song_) {
        ui.showMessage(kind_ == Kind::Music ? kNoSongChosen : kNoSongChosenForLyrics);
        return false;
    }
    if (!player_.fileName().isEmpty())
        player_.stop();
    player_.close();
    if (!player_.open(session_.table(names::MusicTable).cell(*song_, MusicCol::Path)))
        return false;
    player_.play();
    length_ = lrc::timeKey(player_.lengthMs() / 1000);
    line_.clear();
    playing_ = true;
    return true;
}

void LyricPreview::stop()
{
    playing_ = false;
    line_.clear();
    current_ = QStringLiteral("00:00");
    if (!player_.fileName().isEmpty()) {
        player_.stop();
        player_.close();
    }
}

LyricPreview::Frame LyricPreview::tick()
{
    Frame frame;
    if (!playing_) {
        frame.current = current_;
        return frame;
    }
    const qint64 position = player_.positionMs();
    if (!session_.table(names::MusicTable).isEmpty())
        current_ = lrc::timeKey(position / 1000);
    const Table& lyrics = session_.table(names::LyricTable);
    if (!lyrics.isEmpty()) {
        const int index = timeline_.indexAt(position);
        if (index >= 0) {
            line_ = timeline_.lines()[static_cast<std::size_t>(index)].text;
            // A style row that has been deleted since keeps the style shown.
            const int styleRow = session_.getInt(styleRowVariable_, -1);
            if (styleRow >= 0 && styleRow < lyrics.rowCount())
                style_ = styleOfRow(lyrics.row(styleRow));
        }
    }
    if (!player_.isPlaying()) {
        stop();
        frame.stopped = true;
    }
    frame.current = current_;
    frame.line = line_;
    frame.style = style_;
    return frame;
}

} // namespace fotarel::audio
