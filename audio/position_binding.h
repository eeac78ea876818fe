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

// bindingKey(when, number), made unique among the keys the music and lyric
// tables already hold by a further "-n", so two bindings never share a key
// by accident.
QString freeBindingKey(const Session& session, const QDateTime& when, int number);

// Automatic binding of unbound songs and unbound lyric files, nothing
// unbound first: every song takes the first lyric file whose base name is
// its own in any letter case; then row q binds to row q where both are still
// unbound. Keys carry the song's 1-based row. Returns how many it bound.
int bindAutomatically(Session& session, const QDateTime& when);

// Rewrites the lyric list's "绑定音乐" column from the lyric file table: the
// bound song's name, or "未绑定音乐".
void refreshLyricListBindings(Session& session);

} // namespace fotarel::audio
