#include "karaoke/karaoke_overlay.h"

#include "audio/music_table.h"
#include "karaoke/karaoke_table.h"
#include "karaoke/lyric_type.h"

#include <algorithm>

namespace fotarel::karaoke {

namespace {

// Problems of one file are listed up to this many lines in the log.
constexpr int kLoggedProblems = 10;

} // namespace

KaraokeOverlay::KaraokeOverlay(std::map<int, std::unique_ptr<KaraokePainter>> painters)
    : painters_(std::move(painters))
{
}

KaraokePainter* KaraokeOverlay::painterFor(int song) const
{
    const auto it = painters_.find(song);
    return it == painters_.end() ? nullptr : it->second.get();
}

void KaraokeOverlay::paint(QPainter& painter, QSize frameSize, const OverlayTime& time)
{
    // A song that has ended keeps no pictures: a long album holds two lines' worth.
    if (time.song != lastSong_) {
        if (KaraokePainter* ended = painterFor(lastSong_))
            ended->releasePictures();
        lastSong_ = time.song;
    }
    if (KaraokePainter* song = painterFor(time.song))
        song->paint(painter, frameSize, time.songMs);
}

std::unique_ptr<Overlay> makeKaraokeOverlay(const Session& session, const WorkingFolder& folder, const LogFn& log)
{
    (void)folder;
    if (!karaokeRuns(session))
        return nullptr;
    const Table& karaoke = session.table(names::KaraokeTable);
    const std::vector<int> rowOfSong = karaokeRowsOfSongs(session);
    auto say = [&log](const QString& line) {
        if (log)
            log(line);
    };
    std::map<int, std::unique_ptr<KaraokePainter>> painters;
    for (int song = 0; song < static_cast<int>(rowOfSong.size()); ++song) {
        const int k = rowOfSong[static_cast<std::size_t>(song)];
        if (k < 0)
            continue; // a song without its own karaoke file shows none
        const Row& row = karaoke.row(k);
        const KscDocument document = readKscFile(row.value(KscCol::Path));
        if (!document.ok()) {
            say(QStringLiteral("卡拉OK歌词 %1：%2，本首歌不显示卡拉OK歌词").arg(k + 1).arg(document.error));
            continue;
        }
        const int shown = std::min<int>(kLoggedProblems, static_cast<int>(document.problems.size()));
        for (int p = 0; p < shown; ++p)
            say(QStringLiteral("卡拉OK歌词 %1（%2）%3").arg(k + 1).arg(row.value(KscCol::Name), document.problems[p]));
        if (document.problems.size() > shown)
            say(QStringLiteral("卡拉OK歌词 %1：还有 %2 处问题").arg(k + 1).arg(document.problems.size() - shown));
        painters.emplace(song, std::make_unique<KaraokePainter>(document, styleOfRow(row)));
    }
    if (painters.empty())
        return nullptr;
    return std::make_unique<KaraokeOverlay>(std::move(painters));
}

} // namespace fotarel::karaoke
