#pragma once

#include "core/session.h"
#include "core/working_folder.h"
#include "engine/ui_port.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace fotarel::audio {

inline const QString kAddMusicFilter = QStringLiteral("添加音乐文件(MP3)|*.mp3;");
inline const QString kSampleSong = QStringLiteral("yinyuegeci\\甜蜜蜜.mp3");
inline const QString kMusicProgressBar = QStringLiteral("ProgressBar_yinyue");
// Shown once after an import that skipped files, followed by their paths.
inline const QString kUnreadableSongsMessage = QStringLiteral("以下音乐文件无法打开或解码，没有添加：");

// The tile pictures of the music area ("tp_slt_2") and of the lyric area
// ("tp_slt_3"), each in its folder "smxcwjj\tp_wj\<stem>\".
enum class TileSet { Music, Lyrics };
QString tileFolder(TileSet set); // relative to the program folder, with the final "\"

// The tile image file of 1-based row `number`:
// "smxcwjj\tp_wj\tp_slt_2\tp_slt_2_" + number + Edit_kuozhanming_7 for songs.
QString tileImagePath(const Session& session, const WorkingFolder& folder, TileSet set, int number);
// The scratch name used while two tile images exchange numbers ("_000").
QString tileImageScratchPath(const Session& session, const WorkingFolder& folder, TileSet set);
// The music area's: tileImagePath(..., TileSet::Music, number).
QString tileImagePath(const Session& session, const WorkingFolder& folder, int number);

// Exchanges tile images r+1 and j+1 of a set through the scratch name.
void exchangeTileImages(const Session& session, const WorkingFolder& folder, TileSet set, int r, int j);

// "添加音乐MP3", first half: the open dialog with the MP3 filter, the sample
// song preselected when it exists beside the program. Empty when cancelled.
QStringList chooseSongs(UiPort& ui, const WorkingFolder& folder);

struct MusicImportResult {
    int added = 0;
    QStringList skipped; // files that could not be opened or decoded
};

// Reads a song's length in milliseconds; empty when the file is unreadable.
using LengthReader = std::function<std::optional<qint64>(const QString& path)>;

// The import run, second half of "添加音乐MP3": one music table row per
// readable file in the given order; then the whole music list and every tile
// image rebuilt, songs bound to lyric files by position, and the lyric list's
// song column refreshed. Progress goes to "ProgressBar_yinyue" (maximum
// 2 x files); window events are pumped before each file and each tile. Files
// that cannot be read are left out and listed in one message.
MusicImportResult runMusicImport(Session& session, const WorkingFolder& folder, UiPort& ui,
                                 const QStringList& files, const LengthReader& readLength = {});

// Renders the tile image of every music table row into its file.
void rebuildTileImages(const Session& session, const WorkingFolder& folder);

// Exchanges songs r and j after a tile drop: tile image j+1 goes to the
// scratch name, r+1 becomes j+1, the scratch becomes r+1; then the rows of the
// music list and music table are exchanged and renumbered.
void exchangeSongs(Session& session, const WorkingFolder& folder, int r, int j);

} // namespace fotarel::audio
