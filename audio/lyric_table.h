#pragma once

// The lyric file table ListView_daoru_LRC and its visible list: rows as the
// import writes them, the list row that mirrors a table row, the style cells
// as one value, and the lyric hint.

#include "audio/music_table.h"
#include "core/session.h"
#include "core/text_outline.h"

#include <QFont>
#include <QPoint>
#include <QSize>
#include <QString>

#include <optional>

namespace fotarel::audio {

// suiListView_geci_liebiao: the visible list, row for row the lyric file table.
namespace LyricListCol {
enum : int {
    Number = 0,
    Name = 1,
    Type = 2,
    Path = 3,
    Song = 4,
    Colour = 5,
    Size = 6,
    Font = 7,
    FontStyle = 8,
    Horizontal = 9,
    Vertical = 10,
};
}

// The style a lyric file's lines are drawn with (cells 6-14 and the outline's 15-17).
struct LyricStyle {
    enum class Horizontal { Left, Centre, Right };
    enum class Vertical { Top, Middle, Bottom };

    QString colourName = QStringLiteral("clWhite");
    unsigned colourValue = 16777215; // 0x00BBGGRR
    int size = 10;                   // points on the style window's 513-pixel sample panel
    QString font = QStringLiteral("黑体");
    bool bold = true;
    bool italic = false;
    bool underline = false;
    Horizontal horizontal = Horizontal::Centre;
    Vertical vertical = Vertical::Bottom;
    TextOutline outline;

    friend bool operator==(const LyricStyle&, const LyricStyle&) = default;
};

// The style window's sample panel, whose width sizes every lyric: a lyric of
// s points is drawn at s x W div 513 points on a panel W pixels wide.
inline constexpr int kSamplePanelWidth = 513;
inline constexpr int kSamplePanelHeight = 289;
// Distance of a lyric line from the panel edge it is placed against.
inline constexpr int kLyricMargin = 10;

// The style of a lyric file row; cells that hold no word of their vocabulary
// keep the import defaults.
LyricStyle styleOfRow(const Row& row);
// Writes the style into cells 6-17 of a row.
void writeStyle(Row& row, const LyricStyle& style);

// The font of a lyric on a panel `panelWidth` pixels wide: the size scaled
// by panelWidth div 513, as pixels at 96 dots an inch (a point is 4/3 pixel),
// so windows and rendered frames agree whatever the screen's resolution.
QFont lyricFont(const LyricStyle& style, int panelWidth);
// Where a lyric of `textSize` goes on a panel: `margin` pixels from the edge
// it is placed against, or centred (integer division).
QPoint lyricPosition(const LyricStyle& style, QSize panel, QSize textSize, int margin = kLyricMargin);

// A new lyric file row with the import defaults, unbound.
Row lyricRow(int number, const QString& path);
// The lyric list's row mirroring a lyric file row.
Row lyricListRow(const Row& lyric, int number);

// "[粗体]", "[斜体]", "[下划线]" concatenated for the ticked styles.
QString fontStyleText(const LyricStyle& style);

// What the lyric hint window shows for a hovered tile ("Imagemgeci_" + row).
struct LyricHint {
    QString name;  // cell 1
    QString type;  // cell 2 in capitals
    QString state; // "未绑定音乐" or "已绑定音乐"
    QString song;  // "无" or cell 5
    int number = 0;
};
std::optional<LyricHint> lyricHint(const Session& session, const QString& tileName);

// Rewrites the lyric list from the lyric file table.
void rebuildLyricList(Session& session);
// Rewrites the music list's "绑定歌词" column from the music table.
void refreshMusicListBindings(Session& session);

// "确定" of the lyric style window: the style into row `row`'s cells 6-14 and
// that row of the lyric list refreshed.
void setRowStyle(Session& session, int row, const LyricStyle& style);

// exchangeRows for the lyric file table and the lyric list (style and
// binding move with the rows).
void exchangeLyricRows(Session& session, int a, int b);

// The lyric file row song `songRow` shows: the last lyric file row whose
// "绑定音乐" key equals the song's "绑定歌词" key. Empty when the song is
// unbound, no lyric file holds its key, or there is no such song.
std::optional<int> lyricRowOfSong(const Session& session, int songRow);

} // namespace fotarel::audio
