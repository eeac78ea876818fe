#pragma once

// The binding and deletion commands of the music and lyric areas: their
// checks with the exact messages, the confirmations, and what "确定" does to
// the music table, the lyric file table and their lists. The tiles are the
// windows' part: a command that changed rows returns true so they rebuild.

#include "core/session.h"
#include "core/working_folder.h"
#include "engine/ui_port.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace fotarel::audio {

// Which area's menu a command came from.
enum class Side { Music, Lyrics };

inline const QString kNoLyricFilesFound = QStringLiteral("没有找到歌词文件！");
inline const QString kNoSongsFound = QStringLiteral("没有找到音乐文件！");
inline const QString kNoSongSelected = QStringLiteral("没有选中音乐文件！");
inline const QString kNoLyricSelected = QStringLiteral("没有选中歌词文件！");
inline const QString kAutoBindTitle = QStringLiteral("自动绑定");
inline const QString kAutoBindQuestion =
    QStringLiteral("自动绑定会先解绑所有的绑定,然后按顺序重新自动绑定。确定自动绑定吗？");
inline const QString kUnbindTitle = QStringLiteral("解除绑定");
inline const QString kUnbindQuestion = QStringLiteral("确定解除绑定吗？");
inline const QString kUnbindAllTitle = QStringLiteral("全部解绑");
inline const QString kUnbindAllQuestion = QStringLiteral("确定全部解除绑定吗？");
inline const QString kDeleteSongTitle = QStringLiteral("删除音乐");
inline const QString kDeleteLyricTitle = QStringLiteral("删除歌词");
inline const QString kDeleteAccept = QStringLiteral("确定删除");
inline const QString kDeleteOneSong = QStringLiteral("确定删除这个音乐文件吗？");
inline const QString kDeleteAllSongs = QStringLiteral("确定删除全部音乐文件吗？");
inline const QString kDeleteOneLyric = QStringLiteral("确定删除这个歌词文件吗？");
inline const QString kDeleteAllLyrics = QStringLiteral("确定删除全部歌词文件吗？");
// "添加的歌词数量与添加的音乐数量不一致,还有 " + n + " 个音乐没有绑定".
QString unboundSongsMessage(int count);

// Binding key of a binding by hand: the time to the second and "1"; a key
// that a row already holds gets a further number so two bindings never
// share a key by accident.
QString newHandKey(const Session& session, const QDateTime& when);

// Checks of "手动绑定" before the binding window opens: true when it may
// open. `selected` is the area's selected row.
bool mayBindByHand(const Session& session, UiPort& ui, Side side, std::optional<int> selected);
// "确定" of the binding window: song side binds the selected song to the
// chosen lyric file, lyric side the chosen song to the selected lyric file;
// then every lyric file is recounted.
void bindByHand(Session& session, Side side, int selected, int chosen, const QDateTime& when);
// Every lyric file's "绑定音乐名称" from the songs holding its key; files no
// song holds become unbound.
void recountLyricBindings(Session& session);

// "自动绑定": checks, the confirmation, unbind all, bind row q to row q,
// the message counting unbound songs. True when the rows changed.
bool automaticBindingCommand(Session& session, UiPort& ui, Side side, const QDateTime& when);
void automaticBinding(Session& session, UiPort& ui, const QDateTime& when);

// "全部解绑" and "手动解绑" with their checks and confirmations.
bool unbindAllCommand(Session& session, UiPort& ui);
void unbindAll(Session& session);
bool unbindOneCommand(Session& session, UiPort& ui, Side side, std::optional<int> selected);
void unbindSong(Session& session, int song);
void unbindLyric(Session& session, int lyric);

// "删除音乐" / "删除歌词" and "全部删除" with their checks and confirmations.
// Tile images are renumbered or removed with the rows.
bool deleteOneCommand(Session& session, const WorkingFolder& folder, UiPort& ui, Side side,
                      std::optional<int> selected);
bool deleteAllCommand(Session& session, const WorkingFolder& folder, UiPort& ui, Side side);
void deleteSong(Session& session, const WorkingFolder& folder, int song);
void deleteLyric(Session& session, const WorkingFolder& folder, int lyric);
void deleteAllSongs(Session& session, const WorkingFolder& folder, UiPort& ui);
void deleteAllLyrics(Session& session, const WorkingFolder& folder, UiPort& ui);

} // namespace fotarel::audio
