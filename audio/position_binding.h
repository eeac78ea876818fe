#pragma once

#include "core/session.h"

#include <QDateTime>
#include <QString>

namespace fotarel::audio {

// The text of a binding key: the date and time to the second followed by a
// decimal number (the 1-based row for bindings by position).
QString bindingKey(const QDateTime& when, int number);

// Binds song `songRow` to lyric file `lyricRow` with `key`: the song's key and
// lyric name cells, the lyric file's key and song name cells, and the two
// visible lists' binding columns.
void bindSongToLyric(Session& session, int songRow, int lyricRow, const QString& key);

// Binding by position for row q: when q is present in both tables and both
// rows are unbound, binds them with the key made with the number q + 1.
// Nothing is unbound first. Returns whether it bound them.
bool bindByPosition(Session& session, int q, const QDateTime& when);

// Rewrites the lyric list's "绑定音乐" column from the lyric file table: the
// bound song's name, or "未绑定音乐".
void refreshLyricListBindings(Session& session);

} // namespace fotarel::audio
