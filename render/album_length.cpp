#include "render/album_length.h"
#include "core/extension_names.h"

#include "render/frame_compositor.h"
#include "render/output_settings.h"
#include "render/render_driver.h"
#include "render/render_names.h"

#include "audio/music_table.h"
#include "photos/photo_columns.h"

#include <QSet>

namespace fotarel::render {

namespace {

int musicFrames(const Session& session)
{
    const Table& music = session.table(audio::names::MusicTable);
    long long frames = 0;
    for (int r = 0; r < music.rowCount(); ++r)
        frames += music.cell(r, audio::MusicCol::Frames).toLongLong();
    return int(std::min<long long>(frames, 1LL << 30));
}

int useFrames(const Table& use)
{
    int frames = 0;
    for (int r = 0; r < use.rowCount(); ++r)
        frames += use.cell(r, UseCol::FrameCount).toInt();
    return frames;
}

} // namespace

AlbumLength planAlbumLength(const Session& session)
{
    AlbumLength plan;
    const Table& use = session.table(tables::TemplateUse);
    const Table& music = session.table(audio::names::MusicTable);
    const settings::AlbumLengthFlags flags = settings::albumLengthFlags(session);
    plan.templateFrames = useFrames(use);
    plan.musicFrames = musicFrames(session);
    if (session.table(photo_tables::Photos).isEmpty()) {
        plan.audioEntries = music.rowCount();
        return plan;
    }
    plan.sequenceRows = use.rowCount();
    plan.totalFrames = plan.templateFrames + kEndingReserve;
    plan.audioEntries = music.rowCount();
    const bool followMusic = !music.isEmpty() && flags.followMusic && !flags.followPhotos;
    if (followMusic && plan.musicFrames >= plan.templateFrames + 1) {
        plan.totalFrames = plan.musicFrames;
        if (flags.loopPictures && plan.templateFrames > 0) {
            // Whole passes through the templates until the songs are covered.
            int covered = plan.templateFrames;
            while (1 + covered < plan.totalFrames) {
                covered += plan.templateFrames;
                plan.sequenceRows += use.rowCount();
            }
        }
    } else if (flags.loopMusic && plan.musicFrames > 0) {
        int covered = plan.musicFrames;
        while (covered < plan.totalFrames) {
            covered += plan.musicFrames;
            plan.audioEntries += music.rowCount();
        }
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
            frames += photos.cell(r, PhotoCol::FrameCount).toLongLong();
        }
    }
    return photos.isEmpty() ? 0 : int(std::min<long long>(frames + kEndingReserve, 1LL << 30));
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
