#pragma once

// The karaoke table `suiListView_ksc` of the main window (one row per
// imported KSC file; karaoke row i goes with song row i of the music table),
// the style a row gives, the settings window's list rows, deletion and the
// match of karaoke rows against songs.

#include "karaoke/karaoke_names.h"
#include "core/session.h"
#include "core/table.h"

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
};
inline constexpr int kCount = 13;
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

// Appends rows for `paths` and returns how many were added.
int importKaraokeFiles(Session& session, const QStringList& paths);
// Removes the rows at `indices` (any order, duplicates ignored) and renumbers.
void deleteKaraokeRows(Session& session, std::vector<int> indices);
void deleteAllKaraokeRows(Session& session);

// One row of the match window: 音乐文件, 对应, 歌词文件 under caption n.
struct MatchRow {
    QString song;
    QString lyric;
};
// One row per song, or per karaoke row when there are more of them; the
// missing side is empty.
std::vector<MatchRow> matchRows(const Session& session);

} // namespace fotarel::karaoke
