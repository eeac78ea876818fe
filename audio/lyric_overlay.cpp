#include "audio/lyric_overlay.h"

#include "audio/lyric_import.h"
#include "audio/lyric_picture.h"
#include "audio/music_table.h"

#include <QPainter>

#include <map>

namespace fotarel::audio {

namespace {
// The overlay panel the lyric sizes are designed on.
constexpr int kOverlayPanelWidth = 1920;
} // namespace

int LyricOverlay::lineAt(const OverlayTime& time) const
{
    if (time.song < 0 || time.song >= static_cast<int>(songs_.size()))
        return -1;
    const SongLyrics& song = songs_[static_cast<std::size_t>(time.song)];
    return song.timeline ? song.timeline->indexAt(time.songMs) : -1;
}

void LyricOverlay::paint(QPainter& painter, QSize frameSize, const OverlayTime& time)
{
    const int line = lineAt(time);
    if (line < 0)
        return;
    if (time.song != cachedSong_ || line != cachedLine_ || frameSize != cachedSize_) {
        const SongLyrics& song = songs_[static_cast<std::size_t>(time.song)];
        const LyricPicture drawn = drawLyricLine(song.timeline->lines()[static_cast<std::size_t>(line)].text,
                                                 song.style, frameSize, kOverlayPanelWidth);
        picture_ = drawn.image;
        position_ = drawn.position;
        cachedSong_ = time.song;
        cachedLine_ = line;
        cachedSize_ = frameSize;
        ++picturesDrawn_;
    }
    if (!picture_.isNull())
        painter.drawImage(position_, picture_);
}

std::unique_ptr<Overlay> makeLyricOverlay(const Session& session, const WorkingFolder& folder, const LogFn& log)
{
    (void)folder;
    const Table& songs = session.table(names::MusicTable);
    const Table& lyrics = session.table(names::LyricTable);
    if (songs.isEmpty() || lyrics.isEmpty())
        return nullptr;

    std::map<int, std::shared_ptr<const lrc::Timeline>> timelines;
    std::vector<SongLyrics> perSong;
    bool anyLines = false;
    for (int s = 0; s < songs.rowCount(); ++s) {
        SongLyrics entry;
        const std::optional<int> row = lyricRowOfSong(session, s);
        if (row) {
            entry.style = styleOfRow(lyrics.row(*row));
            auto found = timelines.find(*row);
            if (found == timelines.end()) {
                const QString path = lyrics.cell(*row, LyricCol::Path);
                const lrc::FileParse file = lrc::readFile(path);
                std::shared_ptr<const lrc::Timeline> timeline;
                if (file.error == lrc::ReadError::None)
                    timeline = std::make_shared<const lrc::Timeline>(file.parse);
                else if (log)
                    log(QStringLiteral("歌词文件 %1 无法使用（%2），歌曲“%3”不显示歌词")
                            .arg(path, readErrorText(file.error), songs.cell(s, MusicCol::Name)));
                found = timelines.emplace(*row, timeline).first;
            }
            entry.timeline = found->second;
            anyLines = anyLines || (entry.timeline && !entry.timeline->isEmpty());
        }
        perSong.push_back(std::move(entry));
    }
    if (!anyLines)
        return nullptr;
    return std::make_unique<LyricOverlay>(std::move(perSong));
}

} // namespace fotarel::audio
