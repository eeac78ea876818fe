#include "audio/music_import.h"
#include "core/extension_names.h"

#include "audio/music_table.h"
#include "audio/position_binding.h"
#include "audio/song_length.h"
#include "audio/tile_image.h"
#include "core/file_tree.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace fotarel::audio {

namespace {

QString tileStem(TileSet set)
{
    return set == TileSet::Music ? QStringLiteral("tp_slt_2") : QStringLiteral("tp_slt_3");
}

} // namespace

QString tileFolder(TileSet set)
{
    return set == TileSet::Music ? paths::kMusicThumbs : paths::kLyricThumbs;
}

QString tileImagePath(const Session& session, const WorkingFolder& folder, TileSet set, int number)
{
    return folder.path(tileFolder(set) + tileStem(set) + QStringLiteral("_") + QString::number(number)
                       + session.get(extensions::Bitmap));
}

QString tileImageScratchPath(const Session& session, const WorkingFolder& folder, TileSet set)
{
    return folder.path(tileFolder(set) + tileStem(set) + QStringLiteral("_000")
                       + session.get(extensions::Bitmap));
}

QString tileImagePath(const Session& session, const WorkingFolder& folder, int number)
{
    return tileImagePath(session, folder, TileSet::Music, number);
}

void exchangeTileImages(const Session& session, const WorkingFolder& folder, TileSet set, int r, int j)
{
    const QString scratch = tileImageScratchPath(session, folder, set);
    const QString first = tileImagePath(session, folder, set, r + 1);
    const QString second = tileImagePath(session, folder, set, j + 1);
    QFile::remove(scratch);
    QFile::rename(second, scratch);
    QFile::rename(first, second);
    QFile::rename(scratch, first);
}

QStringList chooseSongs(UiPort& ui, const WorkingFolder& folder)
{
    QStringList preselected;
    const QString sample = folder.path(kSampleSong);
    if (QFileInfo::exists(sample))
        preselected.append(sample);
    return ui.chooseOpenFiles(kAddMusicFilter, preselected);
}

MusicImportResult runMusicImport(Session& session, const WorkingFolder& folder, UiPort& ui,
                                 const QStringList& files, const LengthReader& readLength)
{
    const LengthReader reader = readLength ? readLength : LengthReader(&songLengthMs);
    MusicImportResult result;
    const int maximum = 2 * static_cast<int>(files.size());
    int step = 0;
    ui.progress(kMusicProgressBar, 0, maximum);

    Table& songs = session.table(names::MusicTable);
    for (const QString& path : files) {
        ui.processEvents();
        // The length is read before the row exists, so a file that cannot be
        // read never leaves a row with missing cells.
        const std::optional<qint64> length = reader(path);
        if (length) {
            songs.appendRow(songRow(songs.rowCount() + 1, path, *length));
            ++result.added;
        } else {
            result.skipped.append(path);
        }
        ui.progress(kMusicProgressBar, ++step, maximum);
    }

    // Every batch rebuilds the whole list and every tile image.
    Table& list = session.table(names::MusicList);
    list.clear();
    recreateFolder(folder.path(tileFolder(TileSet::Music)), [&ui] { ui.processEvents(); });
    const QDateTime now = QDateTime::currentDateTime();
    bindAutomatically(session, now);
    for (int q = 0; q < songs.rowCount(); ++q) {
        ui.processEvents();
        saveMusicTile(songs.cell(q, MusicCol::Name), tileImagePath(session, folder, q + 1));
        ui.progress(kMusicProgressBar, ++step, maximum);
        list.appendRow(musicListRow(songs.row(q), list.rowCount() + 1));
    }
    refreshLyricListBindings(session);
    ui.progress(kMusicProgressBar, maximum, maximum);

    if (!result.skipped.isEmpty())
        ui.showMessage(kUnreadableSongsMessage + QStringLiteral("\n") + result.skipped.join(QStringLiteral("\n")));
    return result;
}

void rebuildTileImages(const Session& session, const WorkingFolder& folder)
{
    const Table& songs = session.table(names::MusicTable);
    for (int q = 0; q < songs.rowCount(); ++q)
        saveMusicTile(songs.cell(q, MusicCol::Name), tileImagePath(session, folder, q + 1));
}

void exchangeSongs(Session& session, const WorkingFolder& folder, int r, int j)
{
    if (r == j)
        return;
    exchangeTileImages(session, folder, TileSet::Music, r, j);
    exchangeSongRows(session, r, j);
}

} // namespace fotarel::audio
