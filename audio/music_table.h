#pragma once

#include "audio/audio_names.h"
#include "core/session.h"
#include "core/table.h"

#include <QLatin1StringView>
#include <QString>

#include <optional>

namespace fotarel::audio {

// ListView_daoru_yinyue: one row per song, in album order.
namespace MusicCol {
enum : int {
    Number = 0,    // 1-based row number
    Name = 1,      // file name without its last four characters
    Type = 2,      // extension with the dot
    Path = 3,      // full path
    Length = 4,    // "00:mm:ss"
    Frames = 5,    // frames at 25 a second that cover the whole song
    LyricKey = 6,  // binding key or "wu"
    LyricName = 7, // bound lyric file's name or "wu"
};
}

// suiListView_yinyue_liebiao: the visible list, row for row the music table.
namespace MusicListCol {
enum : int { Number = 0, Name = 1, Type = 2, Length = 3, Path = 4, Lyric = 5 };
}

// ListView_daoru_LRC: one row per lyric file, with its binding and style.
namespace LyricCol {
enum : int {
    Number = 0,      // 1-based row number
    Name = 1,        // file name without its last four characters
    Type = 2,        // extension with the dot
    Path = 3,        // full path
    SongKey = 4,     // binding key or "wu"
    SongName = 5,    // bound song's name, "绑定" + n + "个音乐", or "wu"
    ColourName = 6,  // "clWhite"
    ColourValue = 7, // decimal 0x00BBGGRR
    Size = 8,        // points
    Font = 9,        // font name
    Bold = 10,       // "cuti" or "wu"
    Italic = 11,     // "xieti" or "wu"
    Underline = 12,  // "xiahuaxian" or "wu"
    Horizontal = 13, // "zuobian", "juzhong", "youbian"
    Vertical = 14,   // "shangmian", "zhongjian", "xiamian"
    Outline = 15,    // 描边颜色, 描边颜色(数字), 描边宽度 (core/text_outline.h)
};
}
inline constexpr int kLyricListSongColumn = 4;

inline const QString kNone = QStringLiteral("wu");
inline const QString kNoLyricText = QStringLiteral("未绑定歌词");
inline const QString kNoSongText = QStringLiteral("未绑定音乐");

inline constexpr int kFramesPerSecond = 25;

// "00:" + minutes + ":" + seconds of the whole seconds in `ms`; minutes are
// not folded into hours (75 minutes give "00:75:00"). A song shorter than a
// second shows "00:00:01".
QString lengthText(qint64 ms);
// The frames at 25 a second that cover a song of `ms` milliseconds: the
// real length rounded up to the next frame, never short of the audio.
qint64 framesNeeded(qint64 ms);

// The music table's row for a song file whose length is known.
Row songRow(int number, const QString& path, qint64 lengthMs);
// The music list's row mirroring a music table row.
Row musicListRow(const Row& song, int number);

// What the music hint window shows for a hovered tile ("Imagemyinyue_" + row).
struct MusicHint {
    QString name;       // cell 1
    QString type;       // cell 2 in capitals
    QString length;     // cell 4
    QString state;      // "未绑定歌词" or "已绑定歌词"
    QString lyricFile;  // "无" or the bound lyric file's name
    int number = 0;     // row + 1
};
// Empty when the name is not a music tile of an existing row.
std::optional<MusicHint> musicHint(const Session& session, const QString& tileName);

// Writes 1..n into the captions of a table.
void renumber(Table& table);

// Exchanges rows a and b of a table and of its visible list (each through its
// scratch table, which holds one row meanwhile and is left empty) and
// renumbers both.
struct ExchangeTables {
    QLatin1StringView table, swap, list, listSwap;
};
void exchangeRows(Session& session, const ExchangeTables& names, int a, int b);

// exchangeRows for the music table and the music list.
void exchangeSongRows(Session& session, int a, int b);

} // namespace fotarel::audio
