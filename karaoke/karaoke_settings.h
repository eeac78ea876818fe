#pragma once

// The commands of the karaoke settings window "卡拉OK设置" with their checks
// and messages, and the preview of a karaoke file against a song with sound.
// The window (app/karaoke/) only shows what this holds and forwards clicks.

#include "audio/audio_player.h"
#include "core/session.h"
#include "core/working_folder.h"
#include "engine/ui_port.h"
#include "karaoke/karaoke_painter.h"
#include "karaoke/karaoke_table.h"

#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace fotarel::karaoke {

inline const QString kNoKaraokeFiles = QStringLiteral("没有导入卡拉OK歌词文件！");
inline const QString kNoKaraokeChosen = QStringLiteral("没有选中卡拉OK歌词文件！");
inline const QString kKaraokeDeleted = QStringLiteral("卡拉OK歌词已经删除！");
inline const QString kAllKaraokeDeleted = QStringLiteral("导入的卡拉OK歌词已全部删除！");
inline const QString kListEmpty = QStringLiteral("没有导入卡拉OK歌词！");
inline const QString kListNoSelection = QStringLiteral("没有选中卡拉OK歌词！");
inline const QString kNoSongChosen = QStringLiteral("没有选择音乐文件！");
inline const QString kImportFilter = QStringLiteral("导入卡拉OK歌词文件 (KSC)|*.ksc;");

// "导入卡拉OK歌词": the open dialog (preselecting the sample "yinyuegeci/甜蜜蜜.ksc"
// beside the program when it exists), then a row per chosen file. A file that
// is no karaoke file is not imported; one message names each such file and why.
// When a song is chosen in the window (`chosenSong`, a music-table row), the
// first imported file goes with that song.
int importKaraokeCommand(Session& session, UiPort& ui, const WorkingFolder& folder, int chosenSong = -1);

// "hh:mm:ss" of a position in milliseconds.
QString clockText(qint64 ms);

// The preview: a chosen karaoke row, a chosen song, the player, and the
// painter that draws the lines at the player's position.
class KaraokePreview {
public:
    KaraokePreview(Session& session, audio::AudioPlayer& player, UiPort& ui);

    // A click in the window's list: `row` is the selected row or -1. Reads
    // the file with the row's style; problems in the file are shown once.
    bool chooseFile(int row);
    // The song chooser: a music-table row (-1 clears the choice).
    void chooseSong(int row);

    // "播放", "暂停", "停止". play() and pause() check for a chosen song and
    // file; stop() does nothing without a song.
    bool play();
    bool pause();
    void stop();
    // The display tick: true when the song has just ended (the preview stopped).
    bool tick();

    // "删除歌词" / "全删歌词" / "设置歌词" forget the chosen file: it must be
    // chosen again to be previewed with its new style.
    void forgetFile();

    bool playing() const { return playing_; }
    QString chosenFileName() const { return fileName_; }   // suiEdit_xuanzhonggeci
    QString chosenSongName() const { return songName_; }   // suiEdit_xuanzhongyinyue
    int chosenSongRow() const { return songName_.isEmpty() ? -1 : songRow_; }
    int chosenRow() const { return row_; }
    QString currentTimeText() const;                        // suiEdit_dangqianshijian
    QString totalTimeText() const;                          // suiEdit_zongshijian
    qint64 positionMs() const;
    KaraokePainter* painter() const { return painter_.get(); }
    // Whether lines are drawn now (a file and a song are chosen and the song
    // was started since).
    bool showingLines() const { return painter_ && showLines_; }

private:
    // The checks of "播放" and "暂停": a song and a file are chosen.
    bool readyToPlay();

    Session& session_;
    audio::AudioPlayer& player_;
    UiPort& ui_;
    std::unique_ptr<KaraokePainter> painter_;
    QString fileName_;
    QString songName_;
    int row_ = -1;
    int songRow_ = -1;
    bool playing_ = false;
    bool showLines_ = false;
};

// "删除歌词": checks and removal of the selected rows; true when removed.
bool deleteKaraokeCommand(Session& session, UiPort& ui, const std::vector<int>& selected);
// "全删歌词".
bool deleteAllKaraokeCommand(Session& session, UiPort& ui);
// "设置歌词": the checks before the style dialog opens.
bool canSetStyle(const Session& session, UiPort& ui, const KaraokePreview& preview);

} // namespace fotarel::karaoke
