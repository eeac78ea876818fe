#include "render/album_length.h"
#include "core/extension_names.h"

#include "render/frame_compositor.h"
#include "render/output_settings.h"
#include "render/render_driver.h"
#include "render/render_names.h"

#include "audio/music_table.h"
#include "photos/photo_columns.h"

#include <QSet>

#include <algorithm>
#include <climits>

namespace fotarel::render {

namespace {

// Frame counts are summed in 64 bits, each count taken as at most the
// largest int, so no count of a table, however wrong, wraps a sum round.
long long sumFrames(const Table& table, int column)
{
    long long frames = 0;
    for (int r = 0; r < table.rowCount(); ++r)
        frames += std::clamp<long long>(table.cell(r, column).toLongLong(), 0, INT_MAX);
    return frames;
}

int capped(long long frames)
{
    return int(std::clamp<long long>(frames, 0, kMaxAlbumFrames + 1LL));
}

int musicFrames(const Session& session)
{
    return capped(sumFrames(session.table(audio::names::MusicTable), audio::MusicCol::Frames));
}

// The rows `rounds` whole rounds through a table of `rows` rows list, kept
// to one per album frame at most (rows past the album's end never play).
int roundsRows(long long rows, long long rounds)
{
    return int(std::min<long long>(rows * rounds, kMaxAlbumFrames));
}

} // namespace

QString albumTooLongText(long long frames)
{
    return QStringLiteral("相册有 %1 帧，超过了最长的 %2 帧（%3 小时）。")
        .arg(frames)
        .arg(kMaxAlbumFrames)
        .arg(kMaxAlbumFrames / (25 * 3600));
}

AlbumLength planAlbumLength(const Session& session)
{
    AlbumLength plan;
    const Table& use = session.table(tables::TemplateUse);
    const Table& music = session.table(audio::names::MusicTable);
    const settings::AlbumLengthFlags flags = settings::albumLengthFlags(session);
    const long long templateFrames = sumFrames(use, UseCol::FrameCount);
    const long long musicFrames = sumFrames(music, audio::MusicCol::Frames);
    plan.templateFrames = capped(templateFrames);
    plan.musicFrames = capped(musicFrames);
    if (session.table(photo_tables::Photos).isEmpty()) {
        plan.audioEntries = music.rowCount();
        return plan;
    }
    const bool followMusic = !music.isEmpty() && flags.followMusic && !flags.followPhotos;
    const long long photosLength = templateFrames + kEndingReserve;
    const bool musicLonger = followMusic && musicFrames >= templateFrames + 1;
    const long long length = musicLonger ? musicFrames : photosLength;
    if (length > kMaxAlbumFrames) {
        plan.tooLong = length;
        return plan;
    }
    plan.sequenceRows = use.rowCount();
    plan.totalFrames = int(length);
    plan.audioEntries = music.rowCount();
    if (musicLonger) {
        if (flags.loopPictures && templateFrames > 0) {
            // Whole passes through the templates until the songs are covered
            // (the album's first frame is the start frame).
            const long long passes = std::max<long long>(1, (length - 1 + templateFrames - 1) / templateFrames);
            plan.sequenceRows = roundsRows(use.rowCount(), passes);
        }
    } else if (flags.loopMusic && musicFrames > 0) {
        const long long passes = std::max<long long>(1, (length + musicFrames - 1) / musicFrames);
        plan.audioEntries = roundsRows(music.rowCount(), passes);
    }
    return plan;
}

int photoAlbumFrames(const Session& session)
{
    const Table& photos = session.table(photo_tables::Photos);
    QSet<QString> groups;
    long long frames = 0;
    for (int r = 0; r < photos.rowCount(); ++r) {
        const QString group = photos.cell(r, PhotoCol::Group);
        if (!groups.contains(group)) {
            groups.insert(group);
            frames += std::clamp<long long>(photos.cell(r, PhotoCol::FrameCount).toLongLong(), 0, INT_MAX);
        }
    }
    return photos.isEmpty() ? 0 : capped(frames + kEndingReserve);
}

int silentFrames(const Session& session)
{
    const int music = musicFrames(session);
    const int album = photoAlbumFrames(session);
    const settings::AlbumLengthFlags flags = settings::albumLengthFlags(session);
    if (music <= 0 || album <= music || flags.loopMusic)
        return 0;
    // Following the music, songs longer than the templates make the album.
    if (flags.followMusic && !flags.followPhotos && music >= album - kEndingReserve + 1)
        return 0;
    return album - music;
}

QString shortMusicNotice(const Session& session)
{
    const int silent = silentFrames(session);
    return silent > 0 ? QStringLiteral("音乐比相册短 ") + timeText(silent) : QString();
}

int buildAlbumLists(Session& session, const WorkingFolder& folder, const std::function<void(int, int)>& overall)
{
    const AlbumLength plan = planAlbumLength(session);
    if (plan.tooLong > 0)
        return -1;
    const Table& use = session.table(tables::TemplateUse);
    Table& sequence = session.table(tables::Sequence);
    if (!session.table(photo_tables::Photos).isEmpty())
        sequence.clear();
    for (int r = 0; r < plan.sequenceRows && use.rowCount() > 0; ++r) {
        Row row = use.row(r % use.rowCount());
        row[0] = QString::number(r + 1);
        sequence.appendRow(row);
    }

    const int total = plan.totalFrames;
    const int maximum = 2 * total;
    if (overall)
        overall(0, maximum);
    Table& frames = session.table(tables::FrameList);
    frames.clear();
    const QString frameFile = folder.path(files::FrameFile + session.get(extensions::Bitmap));
    for (int i = 0; i < total; ++i) {
        frames.appendLine(frameFile);
        if (overall && (i % 256 == 255 || i + 1 == total))
            overall(i + 1, maximum);
    }

    Table& audioList = session.table(tables::AudioList);
    audioList.clear();
    const Table& music = session.table(audio::names::MusicTable);
    for (int i = 0; i < plan.audioEntries && music.rowCount() > 0; ++i)
        audioList.appendLine(music.cell(i % music.rowCount(), audio::MusicCol::Path));
    return total;
}

} // namespace fotarel::render
