#pragma once

// The music preview ("音乐预览") and the lyric preview ("歌词预览") without
// their windows: the checks with their messages, choosing a song and a lyric
// file, play and stop on the shared audio player, and what each timer tick
// shows (the time labels and the line due, in its lyric file's style).

#include "audio/audio_player.h"
#include "audio/lrc.h"
#include "audio/lyric_table.h"
#include "core/session.h"
#include "engine/ui_port.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace fotarel::audio {

inline const QString kNoSongsToPreview = QStringLiteral("没有添加音乐文件,不能音乐预览！");
inline const QString kNoLyricsToPreview = QStringLiteral("没有添加歌词文件,不能歌词预览！");
inline const QString kNoSongsForLyricPreview = QStringLiteral("没有找到音乐文件,添加音乐文件后再进行歌词预览！");
inline const QString kNoSongChosen = QStringLiteral("没有选择音乐文件！");
inline const QString kNoLyricChosen = QStringLiteral("没有选择歌词文件！");
inline const QString kNoSongChosenForLyrics = QStringLiteral("没有选择音乐文件！选择音乐文件后再进行歌词预览");
// The row of the lyric file whose style each preview window applies (its
// hidden field Edit_shijian_lrc_num, "0" at start).
inline const QString kMusicPreviewStyleRow = QStringLiteral("TForm28.Edit_shijian_lrc_num");
inline const QString kLyricPreviewStyleRow = QStringLiteral("TForm29.Edit_shijian_lrc_num");

// The lyric panel of the preview windows.
inline constexpr int kPreviewPanelWidth = 679;
inline constexpr int kPreviewPanelHeight = 390;

// The lines of the LRC file parsed last, from the session's LRC tables.
lrc::Parse storedParse(const Session& session);

class LyricPreview {
public:
    enum class Kind { Music, Lyrics };

    LyricPreview(Session& session, AudioPlayer& player, Kind kind);

    // The opening checks; true when the window may open. Both set
    // Edit_shuangji_yulan_or_qitacaozuo to "shuangji_yulan" first.
    static bool mayOpen(Session& session, UiPort& ui, Kind kind);

    // Opening: choosers refilled, nothing chosen, times "00:00", no line.
    void reset();
    QStringList songNames() const;
    QStringList lyricNames() const;

    void chooseSong(int row);
    // Parses the lyric file into the session's LRC tables; a file that shows
    // nothing is named in a message.
    void chooseLyrics(int row, UiPort& ui);

    // "播放音乐" / "预览歌词": the checks, then the song plays from its start.
    bool play(UiPort& ui);
    // "停止播放": no line, time "00:00", the player stopped and closed.
    void stop();

    struct Frame {
        QString current;  // "mm:ss"
        QString line;     // the line shown
        LyricStyle style; // its style
        bool stopped = false; // the song ended on this tick
    };
    // One timer tick.
    Frame tick();

    bool playing() const { return playing_; }
    QString lengthText() const { return length_; }
    QString currentText() const { return current_; }
    QString line() const { return line_; }
    LyricStyle style() const { return style_; }
    std::optional<int> chosenSong() const { return song_; }
    std::optional<int> chosenLyrics() const { return lyrics_; }

private:
    Session& session_;
    AudioPlayer& player_;
    Kind kind_;
    QString styleRowVariable_;
    std::optional<int> song_;
    std::optional<int> lyrics_;
    lrc::Timeline timeline_;
    bool playing_ = false;
    QString length_ = QStringLiteral("00:00");
    QString current_ = QStringLiteral("00:00");
    QString line_;
    LyricStyle style_;
};

} // namespace fotarel::audio
