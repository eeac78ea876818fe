#include "audio/lyric_import.h"

#include "audio/lyric_table.h"
#include "audio/music_import.h"
#include "audio/music_table.h"
#include "audio/position_binding.h"
#include "audio/tile_image.h"
#include "core/file_tree.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace fotarel::audio {

QString readErrorText(lrc::ReadError error)
{
    switch (error) {
    case lrc::ReadError::None:
        return QString();
    case lrc::ReadError::Unreadable:
        return QStringLiteral("无法读取");
    case lrc::ReadError::TooLarge:
        return QStringLiteral("文件太大");
    case lrc::ReadError::Empty:
        return QStringLiteral("空文件");
    case lrc::ReadError::Binary:
        return QStringLiteral("不是文本文件");
    case lrc::ReadError::NoTimedLine:
        return QStringLiteral("没有带时间的歌词行");
    }
    return QString();
}

QStringList chooseLyricFiles(UiPort& ui, const WorkingFolder& folder)
{
    QStringList preselected;
    const QString sample = folder.path(kSampleLyrics);
    if (QFileInfo::exists(sample))
        preselected.append(sample);
    return ui.chooseOpenFiles(kAddLyricsFilter, preselected);
}

LyricImportResult runLyricImport(Session& session, const WorkingFolder& folder, UiPort& ui, const QStringList& files)
{
    LyricImportResult result;
    const int maximum = 2 * static_cast<int>(files.size());
    int step = 0;
    ui.progress(kLyricProgressBar, 0, maximum);

    Table& lyrics = session.table(names::LyricTable);
    for (const QString& path : files) {
        ui.processEvents();
        // Read now, so a file that can never show a line is named at once
        // instead of leaving an album silently without its lyrics.
        const lrc::ReadError error = lrc::readFile(path).error;
        if (error == lrc::ReadError::None) {
            result.rows.append(lyrics.rowCount());
            lyrics.appendRow(lyricRow(lyrics.rowCount() + 1, path));
            ++result.added;
        } else {
            result.rows.append(-1);
            result.skipped.append(path + QStringLiteral("（") + readErrorText(error) + QStringLiteral("）"));
        }
        ui.progress(kLyricProgressBar, ++step, maximum);
    }

    Table& list = session.table(names::LyricList);
    list.clear();
    recreateFolder(folder.path(tileFolder(TileSet::Lyrics)), [&ui] { ui.processEvents(); });
    const QDateTime now = QDateTime::currentDateTime();
    bindAutomatically(session, now);
    for (int q = 0; q < lyrics.rowCount(); ++q) {
        ui.processEvents();
        saveMusicTile(lyrics.cell(q, LyricCol::Name), tileImagePath(session, folder, TileSet::Lyrics, q + 1));
        ui.progress(kLyricProgressBar, ++step, maximum);
        list.appendRow(lyricListRow(lyrics.row(q), list.rowCount() + 1));
    }
    refreshMusicListBindings(session);
    ui.progress(kLyricProgressBar, maximum, maximum);
    for (const char* scratch : {"smxcwjj\\tp_0\\tp_slt_1_0.png", "smxcwjj\\tp_0\\tp_slt_1_1.png"})
        QFile::remove(folder.path(QString::fromUtf8(scratch)));

    if (!result.skipped.isEmpty())
        ui.showMessage(kUnusableLyricsMessage + QStringLiteral("\n") + result.skipped.join(QStringLiteral("\n")));
    return result;
}

} // namespace fotarel::audio
