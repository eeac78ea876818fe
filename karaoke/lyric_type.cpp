#include "karaoke/lyric_type.h"

#include "audio/music_table.h"
#include "karaoke/karaoke_table.h"

namespace fotarel::karaoke {

namespace {

bool hasKaraokeRows(const Session& session)
{
    return !session.table(names::KaraokeTable).isEmpty();
}

} // namespace

bool lyricTypeAsked(const Session& session)
{
    return hasKaraokeRows(session) && !session.table(audio::names::MusicTable).isEmpty();
}

bool karaokeRuns(const Session& session)
{
    return hasKaraokeRows(session) && session.get(kLyricTypeVariable) != kUseLrc;
}

bool lrcRuns(const Session& session)
{
    return !hasKaraokeRows(session) || session.get(kLyricTypeVariable) != kUseKsc;
}

} // namespace fotarel::karaoke
