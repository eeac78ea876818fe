#include "audio/position_binding.h"

#include "audio/music_table.h"

namespace fotarel::audio {

QString bindingKey(const QDateTime& when, int number)
{
    return when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QString::number(number);
}

void bindSongToLyric(Session& session, int songRow, int lyricRow, const QString& key)
{
    Table& songs = session.table(names::MusicTable);
    Table& lyrics = session.table(names::LyricTable);
    Table& musicList = session.table(names::MusicList);
    Table& lyricList = session.table(names::LyricList);
    const QString songName = songs.cell(songRow, MusicCol::Name);
    const QString lyricName = lyrics.cell(lyricRow, LyricCol::Name);

    songs.setCell(songRow, MusicCol::LyricKey, key);
    songs.setCell(songRow, MusicCol::LyricName, lyricName);
    if (songRow < musicList.rowCount())
        musicList.setCell(songRow, MusicListCol::Lyric, lyricName);
    lyrics.setCell(lyricRow, LyricCol::SongKey, key);
    lyrics.setCell(lyricRow, LyricCol::SongName, songName);
    if (lyricRow < lyricList.rowCount())
        lyricList.setCell(lyricRow, kLyricListSongColumn, songName);
}

bool bindByPosition(Session& session, int q, const QDateTime& when)
{
    const Table& songs = session.table(names::MusicTable);
    const Table& lyrics = session.table(names::LyricTable);
    if (q < 0 || q >= songs.rowCount() || q >= lyrics.rowCount())
        return false;
    if (songs.cell(q, MusicCol::LyricKey) != kNone || lyrics.cell(q, LyricCol::SongKey) != kNone)
        return false;
    bindSongToLyric(session, q, q, bindingKey(when, q + 1));
    return true;
}

void refreshLyricListBindings(Session& session)
{
    const Table& lyrics = session.table(names::LyricTable);
    Table& lyricList = session.table(names::LyricList);
    for (int i = 0; i < lyricList.rowCount() && i < lyrics.rowCount(); ++i) {
        const QString song = lyrics.cell(i, LyricCol::SongName);
        lyricList.setCell(i, kLyricListSongColumn, song == kNone ? kNoSongText : song);
    }
}

} // namespace fotarel::audio
