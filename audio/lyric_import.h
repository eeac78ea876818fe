#pragma once

// "添加歌词LRC": the open dialog and the import run that adds lyric file rows
// with the default style, rebuilds the lyric list and tile images, and binds
// by position.

#include "audio/lrc.h"
#include "core/session.h"
#include "core/working_folder.h"
#include "engine/ui_port.h"

#include <QString>
#include <QStringList>

namespace fotarel::audio {

inline const QString kAddLyricsFilter = QStringLiteral("添加歌词文件(LRC)|*.lrc;");
inline const QString kSampleLyrics = QStringLiteral("yinyuegeci\\甜蜜蜜.lrc");
inline const QString kLyricProgressBar = QStringLiteral("ProgressBar_geci");
// Shown once after an import that left files out, followed by one line per
// file: its path and why.
inline const QString kUnusableLyricsMessage = QStringLiteral("以下歌词文件没有可显示的歌词，没有添加：");

// Why a lyric file shows nothing, as the message names it.
QString readErrorText(lrc::ReadError error);

// The open dialog with the LRC filter, the sample lyric file preselected when
// it exists beside the program. Empty when cancelled.
QStringList chooseLyricFiles(UiPort& ui, const WorkingFolder& folder);

struct LyricImportResult {
    int added = 0;
    QStringList skipped; // "path（why）"
    QList<int> rows;     // per given file: its row in the lyric file table, -1 when left out
};

// The import run: every file that holds at least one timed line becomes a
// row (default style, unbound); then the whole lyric list and every tile
// image are rebuilt, rows bound by position, the music list's lyric column
// refreshed and the two scratch pictures of "smxcwjj\tp_0\" removed.
// Progress on "ProgressBar_geci" (maximum 2 x files).
LyricImportResult runLyricImport(Session& session, const WorkingFolder& folder, UiPort& ui, const QStringList& files);

} // namespace fotarel::audio
