#pragma once

// The karaoke table `suiListView_ksc` of the main window (one row per
// imported KSC file; karaoke row i goes with song row i of the music table),
// the style a row gives, the settings window's list rows, deletion and the
// match of karaoke rows against songs.

#include "karaoke/karaoke_names.h"
#include "core/session.h"
#include "core/table.h"
#include "core/text_outline.h"

#include <QColor>
#include <QLatin1StringView>
#include <QString>
#include <QStringList>

#include <vector>

namespace fotarel::karaoke {

// suiListView_ksc: cell 0 is the row caption.
namespace KscCol {
enum : int {
    Number = 0,      // 序号: 1-based, renumbered after deletions
    Name = 1,        // 歌词名称: file name without its last four characters
    BaseName = 2,    // 歌词颜色: colour name
    SungName = 3,    // 渲染颜色
    Font = 4,        // 歌词字体
    Size = 5,        // 歌词大小 (points)
    Bold = 6,        // 粗体 "T"/"F"
    Italic = 7,      // 斜体
    Underline = 8,   // 下划线
    Path = 9,        // 歌词位置
    BaseValue = 10,  // 歌词颜色(数字): decimal 0x00BBGGRR
    SungValue = 11,  // 渲染颜色(数字)
    Script = 12,     // 简体或繁体: "jianti" / "fanti"
    Song = 13,       // 对应音乐: path of the song the file was imported for; empty: paired automatically
    Outline = 14,    // 描边颜色, 描边颜色(数字), 描边宽度 (core/text_outline.h)
};
inline constexpr int kCount = 17;
}

// The settings window's visible list: 序号 … 歌词大小, 粗体, 斜体, 下划线, 歌词位置, 简体或繁体.
QStringList karaokeListColumns();

// A karaoke row's style.
struct KaraokeStyle {
    QString baseName = QStringLiteral("clWhite");
    unsigned baseValue = 16777215;
    QString sungName = QStringLiteral("clBlue");
    unsigned sungValue = 16711680;
    QString font = QStringLiteral("黑体");
    int size = 25; // points on the 800 × 450 preview panel
    bool bold = true;
    bool italic = false;
    bool underline = false;
    QString script = QStringLiteral("jianti");
    TextOutline outline;

    // The style dialog's "默认" for every group: as a new row, but not bold.
    static KaraokeStyle dialogDefaults();
    bool operator==(const KaraokeStyle&) const = default;
};

inline constexpr int kMinSize = 10;
inline constexpr int kMaxSize = 40;

KaraokeStyle styleOfRow(const Row& row);
void applyStyle(Row& row, const KaraokeStyle& style);

// The karaoke table's row for an imported file (white, blue, 黑体 25, bold, simplified).
Row karaokeRow(int number, const QString& path);
// The settings window's list row for a karaoke table row ("使用"/"无", "简体"/"繁体").
Row karaokeListRow(const Row& row);

// Appends rows for `paths` and returns how many were added. A song path
// given in `forSong` goes with the first of them: that file is shown over
// that song whatever the order of the tables.
int importKaraokeFiles(Session& session, const QStringList& paths, const QString& forSong = {});
// Removes the rows at `indices` (any order, duplicates ignored) and renumbers.
void deleteKaraokeRows(Session& session, std::vector<int> indices);
void deleteAllKaraokeRows(Session& session);

// The karaoke row each song of the music table shows, -1 for none. A file
// imported for a song goes with every row of that song; of several files
// imported for one song the last one counts. Each song still without a file
// then takes the first free file with its own base name (any letter case),
// and finally song q takes file q where both are still free. Rows without a
// file path take no part.
std::vector<int> karaokeRowsOfSongs(const Session& session);

// One row of the match window: 音乐文件, 对应, 歌词文件 under caption n.
struct MatchRow {
    QString song;
    QString lyric;
};
// The pairs the album is made with: one row per song with the file it shows
// (empty when none), then one row per file no song shows, its song empty.
std::vector<MatchRow> matchRows(const Session& session);

} // namespace fotarel::karaoke
