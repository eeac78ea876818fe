#include "audio/position_binding.h"

#include "audio/music_table.h"

#include <QFileInfo>
#include <QSet>

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

QString freeBindingKey(const Session& session, const QDateTime& when, int number)
{
    QSet<QString> used;
    const Table& songs = session.table(names::MusicTable);
    const Table& lyrics = session.table(names::LyricTable);
    for (int i = 0; i < songs.rowCount(); ++i)
        used.insert(songs.cell(i, MusicCol::LyricKey));
    for (int i = 0; i < lyrics.rowCount(); ++i)
        used.insert(lyrics.cell(i, LyricCol::SongKey));
    const QString base = bindingKey(when, number);
    QString key = base;
    for (int extra = 2; used.contains(key); ++extra)
        key = base + QStringLiteral("-") + QString::number(extra);
    return key;
}

int bindAutomatically(Session& session, const QDateTime& when)
{
    const Table& songs = session.table(names::MusicTable);
    const Table& lyrics = session.table(names::LyricTable);
    auto songFree = [&](int s) { return songs.cell(s, MusicCol::LyricKey) == kNone; };
    auto lyricFree = [&](int f) { return lyrics.cell(f, LyricCol::SongKey) == kNone; };
    int bound = 0;
    // Files named after their song first, so adding songs or files in
    // another order does not give a song another song's words.
    for (int s = 0; s < songs.rowCount(); ++s) {
        if (!songFree(s))
            continue;
        const QString name = QFileInfo(songs.cell(s, MusicCol::Path)).completeBaseName();
        for (int f = 0; f < lyrics.rowCount(); ++f) {
            if (lyricFree(f) &&
                QFileInfo(lyrics.cell(f, LyricCol::Path)).completeBaseName().compare(name, Qt::CaseInsensitive) == 0) {
                bindSongToLyric(session, s, f, freeBindingKey(session, when, s + 1));
                ++bound;
                break;
            }
        }
    }
    for (int q = 0; q < songs.rowCount() && q < lyrics.rowCount(); ++q) {
        if (songFree(q) && lyricFree(q)) {
            bindSongToLyric(session, q, q, freeBindingKey(session, when, q + 1));
            ++bound;
        }
    }
    return bound;
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
