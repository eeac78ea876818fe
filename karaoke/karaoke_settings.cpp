#include "karaoke/karaoke_settings.h"

#include "audio/music_table.h"
#include "karaoke/ksc_file.h"

#include <QFileInfo>

namespace fotarel::karaoke {

namespace {

QString twoDigits(qint64 v)
{
    return v < 10 ? QStringLiteral("0") + QString::number(v) : QString::number(v);
}

// Problems of a file shown in the message window: the first few.
constexpr int kShownProblems = 8;

QString problemsMessage(const QString& name, const QStringList& problems)
{
    QStringList lines{QStringLiteral("卡拉OK歌词文件“%1”中有问题，已按下面的方式处理：").arg(name)};
    lines += problems.mid(0, kShownProblems);
    if (problems.size() > kShownProblems)
        lines.append(QStringLiteral("……共 %1 处").arg(problems.size()));
    return lines.join(u'\n');
}

} // namespace

QString clockText(qint64 ms)
{
    if (ms < 0)
        ms = 0;
    return twoDigits(ms / 3600000) + u':' + twoDigits((ms / 60000) % 60) + u':' + twoDigits((ms / 1000) % 60);
}

int importKaraokeCommand(Session& session, UiPort& ui, const WorkingFolder& folder, int chosenSong)
{
    QStringList preselected;
    const QString sample = folder.path(paths::kSamples + QStringLiteral("甜蜜蜜.ksc"));
    if (QFileInfo::exists(sample))
        preselected.append(sample);
    const QStringList chosen = ui.chooseOpenFiles(kImportFilter, preselected);
    QStringList accepted;
    QStringList refused;
    for (const QString& path : chosen) {
        ui.processEvents();
        const KscDocument document = readKscFile(path);
        if (document.ok())
            accepted.append(path);
        else
            refused.append(document.error);
    }
    const Table& songs = session.table(audio::names::MusicTable);
    const QString forSong =
        chosenSong >= 0 && chosenSong < songs.rowCount() ? songs.cell(chosenSong, audio::MusicCol::Path) : QString();
    const int added = importKaraokeFiles(session, accepted, forSong);
    if (!refused.isEmpty())
        ui.showMessage(QStringLiteral("下列文件不是可用的卡拉OK歌词文件，没有导入：\n") + refused.join(u'\n'));
    return added;
}

KaraokePreview::KaraokePreview(Session& session, audio::AudioPlayer& player, UiPort& ui)
    : session_(session), player_(player), ui_(ui)
{
}

bool KaraokePreview::chooseFile(int row)
{
    const Table& table = session_.table(names::KaraokeTable);
    if (table.isEmpty()) {
        ui_.showMessage(kListEmpty);
        return false;
    }
    if (row < 0 || row >= table.rowCount()) {
        ui_.showMessage(kListNoSelection);
        return false;
    }
    forgetFile();
    const QString path = table.cell(row, KscCol::Path);
    const KscDocument document = readKscFile(path);
    if (!document.ok()) {
        ui_.showMessage(document.error);
        return false;
    }
    if (!document.problems.isEmpty())
        ui_.showMessage(problemsMessage(QFileInfo(path).fileName(), document.problems));
    painter_ = std::make_unique<KaraokePainter>(document, styleOfRow(table.row(row)));
    row_ = row;
    fileName_ = QFileInfo(path).completeBaseName();
    return true;
}

void KaraokePreview::forgetFile()
{
    painter_.reset();
    fileName_.clear();
    row_ = -1;
    showLines_ = false;
}

void KaraokePreview::chooseSong(int row)
{
    if (!player_.fileName().isEmpty())
        player_.stop();
    player_.close();
    playing_ = false;
    showLines_ = false;
    songName_.clear();
    const Table& songs = session_.table(audio::names::MusicTable);
    if (row < 0 || row >= songs.rowCount())
        return;
    const QString path = songs.cell(row, audio::MusicCol::Path);
    if (!player_.open(path)) {
        ui_.showMessage(QStringLiteral("音乐文件无法打开：%1").arg(path));
        return;
    }
    songName_ = songs.cell(row, audio::MusicCol::Name);
    songRow_ = row;
}

bool KaraokePreview::readyToPlay()
{
    if (songName_.isEmpty()) {
        ui_.showMessage(kNoSongChosen);
        return false;
    }
    if (fileName_.isEmpty()) {
        ui_.showMessage(kNoKaraokeFiles);
        return false;
    }
    return true;
}

bool KaraokePreview::play()
{
    if (!readyToPlay())
        return false;
    // At the end of the song a new play starts from the beginning.
    if (player_.lengthMs() > 0 && player_.positionMs() >= player_.lengthMs())
        player_.seek(0);
    player_.play();
    playing_ = true;
    showLines_ = true;
    return true;
}

bool KaraokePreview::pause()
{
    if (!readyToPlay())
        return false;
    player_.stop();
    playing_ = false;
    return true;
}

void KaraokePreview::stop()
{
    if (songName_.isEmpty())
        return;
    player_.stop();
    player_.seek(0);
    playing_ = false;
    showLines_ = false;
}

bool KaraokePreview::tick()
{
    if (playing_ && !player_.isPlaying()) {
        stop();
        return true;
    }
    return false;
}

qint64 KaraokePreview::positionMs() const
{
    return songName_.isEmpty() ? 0 : player_.positionMs();
}

QString KaraokePreview::currentTimeText() const
{
    return showLines_ || playing_ ? clockText(positionMs()) : clockText(0);
}

QString KaraokePreview::totalTimeText() const
{
    return songName_.isEmpty() ? clockText(0) : clockText(player_.lengthMs());
}

bool deleteKaraokeCommand(Session& session, UiPort& ui, const std::vector<int>& selected)
{
    if (session.table(names::KaraokeTable).isEmpty()) {
        ui.showMessage(kNoKaraokeFiles);
        return false;
    }
    if (selected.empty()) {
        ui.showMessage(kNoKaraokeChosen);
        return false;
    }
    deleteKaraokeRows(session, selected);
    ui.showMessage(kKaraokeDeleted);
    return true;
}

bool deleteAllKaraokeCommand(Session& session, UiPort& ui)
{
    if (session.table(names::KaraokeTable).isEmpty()) {
        ui.showMessage(kNoKaraokeFiles);
        return false;
    }
    deleteAllKaraokeRows(session);
    ui.showMessage(kAllKaraokeDeleted);
    return true;
}

bool canSetStyle(const Session& session, UiPort& ui, const KaraokePreview& preview)
{
    if (session.table(names::KaraokeTable).isEmpty()) {
        ui.showMessage(kNoKaraokeFiles);
        return false;
    }
    if (preview.chosenFileName().isEmpty()) {
        ui.showMessage(kNoKaraokeChosen);
        return false;
    }
    return true;
}

} // namespace fotarel::karaoke
