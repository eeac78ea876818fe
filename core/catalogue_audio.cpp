// The music area's tables with their column captions. The tile-area
// variables of the music area ("_yinyue") are shared with the other areas and
// live in the main catalogue.
#include "audio/audio_names.h"
#include "core/session.h"

namespace fotarel {

void defineCatalogue_audio(Session& session)
{
    const QStringList songColumns = {"序号", "音乐文件名", "类型", "位置", "音乐时间", "需要帧数", "绑定歌词", "绑定歌词名称"};
    const QStringList listColumns = {"序号", "音乐文件名", "音乐类型", "音乐时间", "音乐文件位置", "绑定歌词"};
    session.defineTable(audio::names::MusicTable, songColumns);
    session.defineTable(audio::names::MusicSwap, songColumns);
    session.defineTable(audio::names::MusicList, listColumns);
    session.defineTable(audio::names::MusicListSwap, listColumns.mid(0, 5));
}

} // namespace fotarel
