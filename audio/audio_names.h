#pragma once

#include <QLatin1StringView>

// Names of the music and lyric tables of the session (constants only, so the
// catalogue and every reader name the same tables).
namespace fotarel::audio::names {

// The music area's tables and the lyric tables the music side keeps in step with.
inline constexpr QLatin1StringView MusicTable{"ListView_daoru_yinyue"};
inline constexpr QLatin1StringView MusicSwap{"ListView_daoruyinyue_tuodong_linshi"};
inline constexpr QLatin1StringView MusicList{"suiListView_yinyue_liebiao"};
inline constexpr QLatin1StringView MusicListSwap{"suiListView_tuodong_yinyue"};
inline constexpr QLatin1StringView LyricTable{"ListView_daoru_LRC"};
inline constexpr QLatin1StringView LyricSwap{"ListView_daorulrc_tuodong_linshi"};
inline constexpr QLatin1StringView LyricList{"suiListView_geci_liebiao"};
inline constexpr QLatin1StringView LyricListSwap{"suiListView_tuodong_geci"};

// The tables of the last LRC file parsed.
inline constexpr QLatin1StringView LrcLines{"ListView_LRC_1"};   // every line, numbered
inline constexpr QLatin1StringView LrcRows{"ListView_LRC_2"};    // tag rows, numbered
inline constexpr QLatin1StringView LrcTimed{"ListView_LRC_3"};   // ("00:00", "") then every tag row
inline constexpr QLatin1StringView LrcBox1{"ListBox_LRC_1"};     // cleared with the parse; nothing fills it
inline constexpr QLatin1StringView LrcBox2{"ListBox_LRC_2"};     // cleared with the parse; nothing fills it
inline constexpr QLatin1StringView LrcHeaders{"ListBox_LRC_3"};  // header tags as written

} // namespace fotarel::audio::names
