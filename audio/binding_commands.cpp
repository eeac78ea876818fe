#include "audio/binding_commands.h"

#include "audio/lrc.h"
#include "audio/lyric_table.h"
#include "audio/music_import.h"
#include "audio/music_table.h"
#include "audio/position_binding.h"
#include "core/file_tree.h"

#include <QFile>
#include <QSet>

namespace fotarel::audio {

namespace {

Table& songsOf(Session& session)
{
    return session.table(names::MusicTable);
}

Table& lyricsOf(Session& session)
{
    return session.table(names::LyricTable);
}

void clearSong(Session& session, int song)
{
    Table& songs = songsOf(session);
    songs.setCell(song, MusicCol::LyricKey, kNone);
    songs.setCell(song, MusicCol::LyricName, kNone);
    Table& list = session.table(names::MusicList);
    if (song < list.rowCount())
        list.setCell(song, MusicListCol::Lyric, kNoLyricText);
}

void clearLyric(Session& session, int lyric)
{
    Table& lyrics = lyricsOf(session);
    lyrics.setCell(lyric, LyricCol::SongKey, kNone);
    lyrics.setCell(lyric, LyricCol::SongName, kNone);
    Table& list = session.table(names::LyricList);
    if (lyric < list.rowCount())
        list.setCell(lyric, kLyricListSongColumn, kNoSongText);
}

void setLyricSongName(Session& session, int lyric, const QString& name)
{
    lyricsOf(session).setCell(lyric, LyricCol::SongName, name);
    Table& list = session.table(names::LyricList);
    if (lyric < list.rowCount())
        list.setCell(lyric, kLyricListSongColumn, name);
}

// Recounts one lyric file: unbound when no song holds its key, otherwise the
// one song's name or "绑定" + n + "个音乐".
void recountLyric(Session& session, int lyric)
{
    const Table& songs = songsOf(session);
    const QString key = lyricsOf(session).cell(lyric, LyricCol::SongKey);
    int count = 0;
    QString name;
    if (key != kNone) {
        for (int s = 0; s < songs.rowCount(); ++s) {
            if (songs.cell(s, MusicCol::LyricKey) == key) {
                ++count;
                name = songs.cell(s, MusicCol::Name);
            }
        }
    }
    if (count == 0)
        clearLyric(session, lyric);
    else if (count == 1)
        setLyricSongName(session, lyric, name);
    else
        setLyricSongName(session, lyric, QStringLiteral("绑定%1个音乐").arg(count));
}

bool validRow(std::optional<int> row, int count)
{
    return row && *row >= 0 && *row < count;
}

// The shared checks: `mine` is the side's own table ("nothing happens" when
// empty), `other` the other side's (a message when empty).
bool checkTables(const Session& session, UiPort& ui, Side side)
{
    const bool noSongs = session.table(names::MusicTable).isEmpty();
    const bool noLyrics = session.table(names::LyricTable).isEmpty();
    if (side == Side::Music) {
        if (noSongs)
            return false;
        if (noLyrics) {
            ui.showMessage(kNoLyricFilesFound);
            return false;
        }
    } else {
        if (noSongs) {
            ui.showMessage(kNoSongsFound);
            return false;
        }
        if (noLyrics)
            return false;
    }
    return true;
}

bool checkSelected(const Session& session, UiPort& ui, Side side, std::optional<int> selected)
{
    const int count = session.table(side == Side::Music ? names::MusicTable : names::LyricTable).rowCount();
    if (validRow(selected, count))
        return true;
    ui.showMessage(side == Side::Music ? kNoSongSelected : kNoLyricSelected);
    return false;
}

void renumberTileImages(const Session& session, const WorkingFolder& folder, TileSet set, int removed, int count)
{
    QFile::remove(tileImagePath(session, folder, set, removed + 1));
    for (int n = removed + 2; n <= count; ++n)
        QFile::rename(tileImagePath(session, folder, set, n), tileImagePath(session, folder, set, n - 1));
}

void resetTileVariables(Session& session, const QString& suffix)
{
    session.set(QStringLiteral("Edit_xianshikuang_pailie") + suffix, QStringLiteral("0"));
    for (const char* stem : {"Edit_MouseDown", "Edit_MouseDown_kuangdu", "Edit_MouseDown_kaiguan",
                             "Edit_Height_chazhi", "Edit_Panel_xianshikuang_daxiao", "Edit_chakankongjian_shiyong"})
        session.set(QString::fromLatin1(stem) + suffix, QString());
    session.set(QStringLiteral("Edit_chakankongjian_shiyong") + suffix + QStringLiteral("2"), QString());
    session.set(QStringLiteral("Edit_xiangpian_down_id"), kNone);
}

// Deletes a tile folder with its pictures and creates it again.
void emptyFolder(const QString& path, UiPort& ui)
{
    deleteTree(path);
    recreateFolder(path, [&ui] { ui.processEvents(); });
}

} // namespace

QString unboundSongsMessage(int count)
{
    return QStringLiteral("添加的歌词数量与添加的音乐数量不一致,还有 %1 个音乐没有绑定").arg(count);
}

QString newHandKey(const Session& session, const QDateTime& when)
{
    return freeBindingKey(session, when, 1);
}

bool mayBindByHand(const Session& session, UiPort& ui, Side side, std::optional<int> selected)
{
    return checkTables(session, ui, side) && checkSelected(session, ui, side, selected);
}

void bindByHand(Session& session, Side side, int selected, int chosen, const QDateTime& when)
{
    const int song = side == Side::Music ? selected : chosen;
    const int lyric = side == Side::Music ? chosen : selected;
    Table& songs = songsOf(session);
    Table& lyrics = lyricsOf(session);
    if (song < 0 || song >= songs.rowCount() || lyric < 0 || lyric >= lyrics.rowCount())
        return;
    QString key = lyrics.cell(lyric, LyricCol::SongKey);
    if (key == kNone)
        key = newHandKey(session, when);
    bindSongToLyric(session, song, lyric, key);
    recountLyricBindings(session);
}

void recountLyricBindings(Session& session)
{
    for (int f = 0; f < lyricsOf(session).rowCount(); ++f)
        recountLyric(session, f);
}

bool automaticBindingCommand(Session& session, UiPort& ui, Side side, const QDateTime& when)
{
    if (!checkTables(session, ui, side) || !ui.confirm(kAutoBindTitle, kAutoBindQuestion))
        return false;
    automaticBinding(session, ui, when);
    return true;
}

void automaticBinding(Session& session, UiPort& ui, const QDateTime& when)
{
    unbindAll(session);
    const int songCount = songsOf(session).rowCount();
    bindAutomatically(session, when);
    int unbound = 0;
    for (int q = 0; q < songCount; ++q)
        if (songsOf(session).cell(q, MusicCol::LyricKey) == kNone
            && songsOf(session).cell(q, MusicCol::LyricName) == kNone)
            ++unbound;
    if (unbound > 0)
        ui.showMessage(unboundSongsMessage(unbound));
}

bool unbindAllCommand(Session& session, UiPort& ui)
{
    if (songsOf(session).isEmpty() || lyricsOf(session).isEmpty())
        return false;
    if (!ui.confirm(kUnbindAllTitle, kUnbindAllQuestion))
        return false;
    unbindAll(session);
    return true;
}

void unbindAll(Session& session)
{
    for (int s = 0; s < songsOf(session).rowCount(); ++s)
        clearSong(session, s);
    for (int f = 0; f < lyricsOf(session).rowCount(); ++f)
        clearLyric(session, f);
}

bool unbindOneCommand(Session& session, UiPort& ui, Side side, std::optional<int> selected)
{
    if (!checkTables(session, ui, side) || !checkSelected(session, ui, side, selected))
        return false;
    if (!ui.confirm(kUnbindTitle, kUnbindQuestion))
        return false;
    if (side == Side::Music)
        unbindSong(session, *selected);
    else
        unbindLyric(session, *selected);
    return true;
}

void unbindSong(Session& session, int song)
{
    const QString key = songsOf(session).cell(song, MusicCol::LyricKey);
    clearSong(session, song);
    if (key == kNone)
        return;
    // The lyric file stays bound while another song holds it, and then names
    // the songs that do.
    for (int f = 0; f < lyricsOf(session).rowCount(); ++f)
        if (lyricsOf(session).cell(f, LyricCol::SongKey) == key)
            recountLyric(session, f);
}

void unbindLyric(Session& session, int lyric)
{
    const QString key = lyricsOf(session).cell(lyric, LyricCol::SongKey);
    clearLyric(session, lyric);
    if (key == kNone)
        return;
    for (int s = 0; s < songsOf(session).rowCount(); ++s)
        if (songsOf(session).cell(s, MusicCol::LyricKey) == key)
            clearSong(session, s);
}

bool deleteOneCommand(Session& session, const WorkingFolder& folder, UiPort& ui, Side side,
                      std::optional<int> selected)
{
    const QLatin1StringView list = side == Side::Music ? names::MusicList : names::LyricList;
    if (session.table(list).isEmpty() || !checkSelected(session, ui, side, selected))
        return false;
    const bool music = side == Side::Music;
    if (!ui.confirm(music ? kDeleteSongTitle : kDeleteLyricTitle, music ? kDeleteOneSong : kDeleteOneLyric, kDeleteAccept))
        return false;
    if (music)
        deleteSong(session, folder, *selected);
    else
        deleteLyric(session, folder, *selected);
    return true;
}

bool deleteAllCommand(Session& session, const WorkingFolder& folder, UiPort& ui, Side side)
{
    const bool music = side == Side::Music;
    if (session.table(music ? names::MusicList : names::LyricList).isEmpty())
        return false;
    if (!ui.confirm(music ? kDeleteSongTitle : kDeleteLyricTitle, music ? kDeleteAllSongs : kDeleteAllLyrics, kDeleteAccept))
        return false;
    if (music)
        deleteAllSongs(session, folder, ui);
    else
        deleteAllLyrics(session, folder, ui);
    return true;
}

void deleteSong(Session& session, const WorkingFolder& folder, int song)
{
    Table& songs = songsOf(session);
    if (song < 0 || song >= songs.rowCount())
        return;
    const int count = songs.rowCount();
    const QString key = songs.cell(song, MusicCol::LyricKey);
    renumberTileImages(session, folder, TileSet::Music, song, count);
    songs.removeRow(song);
    renumber(songs);
    Table& list = session.table(names::MusicList);
    list.clear();
    for (int i = 0; i < songs.rowCount(); ++i)
        list.appendRow(musicListRow(songs.row(i), i + 1));
    // The lyric file stays bound while another song still holds its key.
    if (key != kNone)
        for (int f = 0; f < lyricsOf(session).rowCount(); ++f)
            if (lyricsOf(session).cell(f, LyricCol::SongKey) == key)
                recountLyric(session, f);
    session.setInt(QStringLiteral("Edit_xianshikuang_pailie_yinyue"), songs.rowCount());
    session.set(QStringLiteral("Edit_xiangpian_down_id"), kNone);
    if (songs.isEmpty()) {
        session.table(names::MusicSwap).clear();
        session.table(names::MusicListSwap).clear();
    }
}

void deleteLyric(Session& session, const WorkingFolder& folder, int lyric)
{
    Table& lyrics = lyricsOf(session);
    if (lyric < 0 || lyric >= lyrics.rowCount())
        return;
    const int count = lyrics.rowCount();
    unbindLyric(session, lyric);
    renumberTileImages(session, folder, TileSet::Lyrics, lyric, count);
    lyrics.removeRow(lyric);
    renumber(lyrics);
    rebuildLyricList(session);
    session.setInt(QStringLiteral("Edit_xianshikuang_pailie_geci"), lyrics.rowCount());
    session.set(QStringLiteral("Edit_xiangpian_down_id"), kNone);
    if (lyrics.isEmpty()) {
        session.table(names::LyricSwap).clear();
        session.table(names::LyricListSwap).clear();
        lrc::clearParse(session);
    }
}

void deleteAllSongs(Session& session, const WorkingFolder& folder, UiPort& ui)
{
    for (QLatin1StringView name : {names::MusicList, names::MusicTable, names::MusicSwap, names::MusicListSwap})
        session.table(name).clear();
    for (int f = 0; f < lyricsOf(session).rowCount(); ++f)
        clearLyric(session, f);
    resetTileVariables(session, QStringLiteral("_yinyue"));
    emptyFolder(folder.path(tileFolder(TileSet::Music)), ui);
}

void deleteAllLyrics(Session& session, const WorkingFolder& folder, UiPort& ui)
{
    for (QLatin1StringView name : {names::LyricList, names::LyricTable, names::LyricSwap, names::LyricListSwap})
        session.table(name).clear();
    lrc::clearParse(session);
    for (int s = 0; s < songsOf(session).rowCount(); ++s)
        clearSong(session, s);
    resetTileVariables(session, QStringLiteral("_geci"));
    emptyFolder(folder.path(tileFolder(TileSet::Lyrics)), ui);
}

} // namespace fotarel::audio
