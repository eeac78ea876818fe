#include "project/album_project.h"

#include "audio/music_import.h"
#include "audio/lyric_table.h"
#include "audio/music_table.h"
#include "audio/tile_image.h"
#include "core/file_tree.h"
#include "effects/caption_columns.h"
#include "karaoke/karaoke_table.h"
#include "photos/crop.h"
#include "photos/editing.h"
#include "photos/import.h"
#include "photos/photo_columns.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <algorithm>
#include <set>

namespace fotarel::project {

namespace {

const QString kFormatKey = QStringLiteral("fotarel_album");
const QString kSeedKey = QStringLiteral("seed");
const QString kSettingsKey = QStringLiteral("settings");
const QString kTablesKey = QStringLiteral("tables");

// A table the project keeps and the cell that names its file (or -1). The
// visible lists that mirror these tables are rebuilt from them.
struct SavedTable {
    QString name;
    int fileColumn;
};

const QString kPhotoTable = QString(photo_tables::Photos);
const QString kMusicTable = QString(audio::names::MusicTable);
const QString kMusicList = QString(audio::names::MusicList);
const QString kLyricTable = QString(audio::names::LyricTable);
const QString kKaraokeTable = QString(karaoke::names::KaraokeTable);
const QString kCaptionTable = QString(effects::kCaptionTable);

const QList<SavedTable>& savedTables()
{
    static const QList<SavedTable> tables{
        {kPhotoTable, PhotoCol::Path},
        {kMusicTable, audio::MusicCol::Path},
        {kLyricTable, audio::LyricCol::Path},
        {kKaraokeTable, karaoke::KscCol::Path},
        {kCaptionTable, -1},
    };
    return tables;
}

// The settings that shape the output and the album's length, the crops and
// the lyric type; the rest of the session is rebuilt from the tables.
const QStringList& savedSettings()
{
    static const QStringList names{
        QStringLiteral("Edit_VCDSVCDDVD_leixing"),
        QStringLiteral("Edit_VCDSVCDDVD_zhishi"),
        QStringLiteral("Edit_huanmian_zhiliang"),
        QStringLiteral("Edit_tongbu_shezhi"),
        QStringLiteral("Edit_chicun_width"),
        QStringLiteral("Edit_chicun_height"),
        QStringLiteral("suiEdit_shuchu_chicun"),
        QStringLiteral("suiEdit_shuchu_leixing"),
        QStringLiteral("ListBox_tupian_geshi"),
        QStringLiteral("TForm2.RadioButton1"),
        QStringLiteral("TForm2.RadioButton2"),
        QStringLiteral("TForm2.CheckBox1"),
        QStringLiteral("TForm2.CheckBox2"),
        QStringLiteral("TForm17.suiRadioButton_hengzhaopian_quanping"),
        QStringLiteral("TForm17.suiRadioButton_hengzhaopian_moren"),
        QStringLiteral("TForm17.suiRadioButton_shuzhaopian_jubufangda"),
        QStringLiteral("TForm17.suiRadioButton_shuzhaopian_moren"),
        kTopLeftCropVariable,
        QStringLiteral("Edit1_shiyong_lrc_or_ksc"),
    };
    return names;
}

QJsonArray rowsToJson(const Table& table)
{
    QJsonArray rows;
    for (int r = 0; r < table.rowCount(); ++r)
        rows.append(QJsonArray::fromStringList(table.row(r)));
    return rows;
}

bool rowsFromJson(const QJsonValue& value, QList<Row>* rows)
{
    if (!value.isArray())
        return false;
    for (const QJsonValue& rowValue : value.toArray()) {
        if (!rowValue.isArray())
            return false;
        Row row;
        for (const QJsonValue& cell : rowValue.toArray()) {
            if (!cell.isString())
                return false;
            row << cell.toString();
        }
        rows->append(row);
    }
    return true;
}

void putTable(Session& session, const QString& name, const QList<Row>& rows)
{
    if (!session.hasTable(name))
        return;
    Table& table = session.table(name);
    table.clear();
    for (const Row& row : rows)
        table.appendRow(row);
}

// Keeps the song and lyric rows' binding keys pointing at rows that exist.
void dropStaleBindings(Session& session)
{
    if (!session.hasTable(kLyricTable))
        return;
    Table& music = session.table(kMusicTable);
    Table& lyrics = session.table(kLyricTable);
    const QString none = QStringLiteral("wu");
    std::set<QString> songKeys, lyricKeys;
    for (int r = 0; r < music.rowCount(); ++r)
        songKeys.insert(music.cell(r, audio::MusicCol::LyricKey));
    for (int r = 0; r < lyrics.rowCount(); ++r)
        lyricKeys.insert(lyrics.cell(r, audio::LyricCol::SongKey));
    for (int r = 0; r < music.rowCount(); ++r) {
        if (music.cell(r, audio::MusicCol::LyricKey) != none && !lyricKeys.count(music.cell(r, audio::MusicCol::LyricKey))) {
            music.setCell(r, audio::MusicCol::LyricKey, none);
            music.setCell(r, audio::MusicCol::LyricName, none);
        }
    }
    for (int r = 0; r < lyrics.rowCount(); ++r) {
        if (lyrics.cell(r, audio::LyricCol::SongKey) != none &&
            !songKeys.count(lyrics.cell(r, audio::LyricCol::SongKey))) {
            lyrics.setCell(r, audio::LyricCol::SongKey, none);
            lyrics.setCell(r, audio::LyricCol::SongName, none);
        }
    }
}

} // namespace

QByteArray projectText(const Session& session, std::optional<unsigned> seed)
{
    QJsonObject root;
    root.insert(kFormatKey, kFormatVersion);
    if (seed)
        root.insert(kSeedKey, double(*seed));
    QJsonObject settings;
    for (const QString& name : savedSettings())
        if (session.hasVariable(name))
            settings.insert(name, session.get(name));
    root.insert(kSettingsKey, settings);
    QJsonObject tables;
    for (const SavedTable& saved : savedTables()) {
        if (session.hasTable(saved.name))
            tables.insert(saved.name, rowsToJson(session.table(saved.name)));
    }
    root.insert(kTablesKey, tables);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

std::optional<ProjectContent> parseProject(const QByteArray& text, QString* error)
{
    auto fail = [error](const QString& message) -> std::optional<ProjectContent> {
        if (error)
            *error = message;
        return std::nullopt;
    };
    if (text.size() > kMaxProjectBytes)
        return fail(kBrokenMessage);
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(text, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject())
        return fail(kBrokenMessage);
    const QJsonObject root = document.object();
    const QJsonValue version = root.value(kFormatKey);
    if (!version.isDouble() || version.toDouble() < 1 || version.toDouble() != double(version.toInt()))
        return fail(kBrokenMessage);
    ProjectContent content;
    content.version = version.toInt();
    if (content.version > kFormatVersion)
        return fail(kNewerMessage);
    if (root.contains(kSeedKey)) {
        const double seed = root.value(kSeedKey).toDouble(-1);
        if (seed < 0 || seed > 4294967295.0 || seed != double(qint64(seed)))
            return fail(kBrokenMessage);
        content.seed = unsigned(seed);
    }
    const QJsonValue settings = root.value(kSettingsKey);
    const QJsonValue tables = root.value(kTablesKey);
    if (!settings.isObject() || !tables.isObject())
        return fail(kBrokenMessage);
    const QJsonObject settingsObject = settings.toObject();
    for (auto it = settingsObject.begin(); it != settingsObject.end(); ++it) {
        if (!savedSettings().contains(it.key()) || !it.value().isString())
            return fail(kBrokenMessage);
        content.settings[it.key()] = it.value().toString();
    }
    const QJsonObject tablesObject = tables.toObject();
    for (auto it = tablesObject.begin(); it != tablesObject.end(); ++it) {
        const bool known = std::any_of(savedTables().begin(), savedTables().end(),
                                       [&](const SavedTable& t) { return t.name == it.key(); });
        QList<Row> rows;
        if (!known || !rowsFromJson(it.value(), &rows))
            return fail(kBrokenMessage);
        content.tables[it.key()] = rows;
    }
    // The photo rows drive the rebuild: every cell the rebuild reads must be there.
    for (const Row& row : content.tables[kPhotoTable])
        if (row.size() <= PhotoCol::CropDone || row.value(PhotoCol::Group).toInt() < 1)
            return fail(kBrokenMessage);
    for (const Row& row : content.tables[kMusicTable])
        if (row.size() <= audio::MusicCol::LyricName)
            return fail(kBrokenMessage);
    return content;
}

QString saveProject(const Session& session, const QString& path, std::optional<unsigned> seed)
{
    const QByteArray text = projectText(session, seed);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        return kSaveFailedMessage + path;
    return {};
}

OpenReport openProject(PhotoContext& ctx, const QString& path)
{
    OpenReport report;
    QFile file(path);
    QByteArray text;
    if (file.open(QIODevice::ReadOnly) && file.size() <= kMaxProjectBytes)
        text = file.read(kMaxProjectBytes + 1);
    QString error;
    std::optional<ProjectContent> content = text.isEmpty() ? std::nullopt : parseProject(text, &error);
    if (!content) {
        report.error = (error.isEmpty() ? kBrokenMessage : error) + path;
        ctx.ui.showMessage(report.error);
        return report;
    }
    report.seed = content->seed;
    Session& session = ctx.session;

    // Rows whose files are gone leave the song, lyric and karaoke tables
    // (with their mirrors); photos are removed once the album stands.
    QList<int> missingPhotos;
    for (const SavedTable& saved : savedTables()) {
        if (saved.fileColumn < 0 || !content->tables.count(saved.name))
            continue;
        QList<Row>& rows = content->tables[saved.name];
        QStringList gone;
        for (int r = int(rows.size()) - 1; r >= 0; --r) {
            const QString named = rows[r].value(saved.fileColumn);
            if (QFileInfo::exists(named))
                continue;
            gone.prepend(named);
            if (saved.name == kPhotoTable) {
                missingPhotos.prepend(r);
                continue;
            }
            rows.removeAt(r);
        }
        report.missing += gone;
    }

    // The current album goes; the project's takes its place.
    clearAllPhotos(ctx);
    for (const auto& [name, value] : content->settings)
        if (session.hasVariable(name))
            session.set(name, value);
    // Projects saved before crops followed the subject were cut from the
    // top-left corner: they keep those crops.
    if (!content->settings.count(kTopLeftCropVariable))
        session.set(kTopLeftCropVariable, QStringLiteral("True"));
    for (const SavedTable& saved : savedTables())
        putTable(session, saved.name, content->tables[saved.name]);
    for (const QString& name : {kMusicTable, kLyricTable, kKaraokeTable})
        if (session.hasTable(name))
            audio::renumber(session.table(name));
    dropStaleBindings(session);
    Table& music = session.table(kMusicTable);
    Table& musicList = session.table(kMusicList);
    musicList.clear();
    for (int r = 0; r < music.rowCount(); ++r)
        musicList.appendRow(audio::musicListRow(music.row(r), r + 1));
    audio::rebuildLyricList(session);
    audio::refreshMusicListBindings(session);
    audio::rebuildTileImages(session, ctx.folder);
    const Table& lyrics = session.table(kLyricTable);
    recreateFolder(ctx.folder.path(audio::tileFolder(audio::TileSet::Lyrics)), [&ctx] { ctx.pump(); });
    for (int r = 0; r < lyrics.rowCount(); ++r)
        audio::saveMusicTile(lyrics.cell(r, audio::LyricCol::Name),
                             audio::tileImagePath(session, ctx.folder, audio::TileSet::Lyrics, r + 1));

    // Photos: their groups' folders, thumbnails and crops made anew.
    Table& photos = session.table(photo_tables::Photos);
    int groups = 0;
    for (int r = 0; r < photos.rowCount(); ++r) {
        photos.setCell(r, PhotoCol::ThumbnailDone, QString(kNotDone));
        photos.setCell(r, PhotoCol::CropDone, QString(kNotDone));
        groups = std::max(groups, photos.cell(r, PhotoCol::Group).toInt());
    }
    session.setInt(QStringLiteral("Edit_mobanleijia_sum"), groups);
    if (!photos.isEmpty()) {
        session.set(QStringLiteral("Edit_daoru_moban_kaishishiyong_kaiguan"), QStringLiteral("kai"));
        const PhotoFilesReport made = makePhotoFiles(ctx, 0);
        for (const QString& broken : made.brokenPackages)
            report.missing.append(broken);
        rebuildVisibleList(session, [&ctx] { ctx.pump(); });
        session.set(QStringLiteral("Edit_tubiao_liebiao"), QStringLiteral("tubiao"));
        session.setInt(QStringLiteral("Edit_xianshikuang_pailie"), photos.rowCount());
        callHook(ctx.view.stopPlaceholder);
        callHook(ctx.view.createTiles);
        // Missing photos leave as a deletion takes them, from the last.
        for (auto it = missingPhotos.rbegin(); it != missingPhotos.rend(); ++it)
            deletePhotoRow(ctx, *it);
        callHook(ctx.view.showPhotoArea);
    }
    report.opened = true;
    if (!report.missing.isEmpty())
        ctx.ui.showMessage(kMissingMessage + QLatin1Char('\n') + report.missing.join(QLatin1Char('\n')));
    return report;
}

bool albumChanged(const Session& session, const QByteArray& savedText)
{
    QString error;
    const std::optional<ProjectContent> saved = parseProject(savedText, &error);
    const std::optional<ProjectContent> now = parseProject(projectText(session), &error);
    if (!saved || !now)
        return true;
    return saved->settings != now->settings || saved->tables != now->tables;
}

} // namespace fotarel::project
