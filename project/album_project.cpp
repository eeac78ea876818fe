#include "project/album_project.h"

#include "audio/music_import.h"
#include "audio/lyric_table.h"
#include "audio/music_table.h"
#include "audio/tile_image.h"
#include "core/bar_list.h"
#include "core/columns.h"
#include "core/file_tree.h"
#include "core/table_names.h"
#include "effects/caption_columns.h"
#include "karaoke/karaoke_table.h"
#include "photos/crop.h"
#include "photos/editing.h"
#include "photos/import.h"
#include "photos/photo_columns.h"
#include "render/album_length.h"
#include "render/render_driver.h"
#include "templates/template_names.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <QRegularExpression>

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

// A project names each photo's template, never the path of the program's
// library, so it opens the same after the program has moved or been installed.
QJsonArray photoRowsToJson(const Table& photos)
{
    QJsonArray rows;
    for (int r = 0; r < photos.rowCount(); ++r) {
        Row row = photos.row(r);
        if (row.size() > PhotoCol::MoviePackage)
            row[PhotoCol::MoviePackage] = templateName(row[PhotoCol::MoviePackage]);
        rows.append(QJsonArray::fromStringList(row));
    }
    return rows;
}

// A photo row takes its template's cells from template table row `t`: the
// movie package, pair number, photo count, the bar lists and frame count,
// and the size of the slot its picture name says.
void takeTemplate(Row& row, const Table& templates, int t)
{
    const int slot = row[PhotoCol::PictureName].mid(QStringLiteral("picture_").size()).toInt();
    row[PhotoCol::MoviePackage] = templates.cell(t, TemplateCol::MoviePath);
    row[PhotoCol::PairNumber] = templates.cell(t, TemplateCol::PairNumber);
    row[PhotoCol::TemplatePhotos] = templates.cell(t, TemplateCol::PhotoCount);
    row[PhotoCol::SlotWidth] = splitBarList(templates.cell(t, TemplateCol::SlotWidths)).items.value(slot - 1);
    row[PhotoCol::SlotHeight] = splitBarList(templates.cell(t, TemplateCol::SlotHeights)).items.value(slot - 1);
    row[PhotoCol::TemplateWidths] = templates.cell(t, TemplateCol::SlotWidths);
    row[PhotoCol::TemplateHeights] = templates.cell(t, TemplateCol::SlotHeights);
    row[PhotoCol::TemplateOrientations] = templates.cell(t, TemplateCol::SlotOrientations);
    row[PhotoCol::TemplateJpgNames] = templates.cell(t, TemplateCol::JpgNames);
    row[PhotoCol::FrameCount] = templates.cell(t, TemplateCol::FrameCount);
}

// The first template of the library with the photo count and slot
// orientations a photo row's template had, or -1.
int sameSlots(const Table& templates, const Row& row)
{
    for (int t = 0; t < templates.rowCount(); ++t)
        if (templates.cell(t, TemplateCol::PhotoCount) == row[PhotoCol::TemplatePhotos] &&
            templates.cell(t, TemplateCol::SlotOrientations) == row[PhotoCol::TemplateOrientations])
            return t;
    return -1;
}

// Each photo row's template becomes the library's package of that name (a
// path saved by an older program is matched by the name it has in its
// library), with the library's description of it. A template the library no
// longer has is replaced by the first with the same slots, the same for
// every photo of its group; the lines "old → new" are returned. Without
// such a template the row keeps the saved name, and the rebuild reports it.
QStringList placeTemplates(const Session& session, QList<Row>& photoRows)
{
    const Table& templates = session.table(tables::Templates);
    QStringList replaced;
    for (Row& row : photoRows) {
        const QString saved = templateName(row[PhotoCol::MoviePackage]);
        int t = findTemplate(session, saved);
        if (t < 0) {
            t = sameSlots(templates, row);
            if (t < 0)
                continue;
            const QString line = QStringLiteral("%1 → %2").arg(saved, templateName(templates.cell(t, TemplateCol::MoviePath)));
            if (!replaced.contains(line))
                replaced << line;
        }
        takeTemplate(row, templates, t);
    }
    return replaced;
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


// What the album can hold. A number outside these bounds cannot come from
// an album this program made, and taken as it is it would size pictures,
// lists or loops without end.
constexpr qint64 kMaxPhotoSide = 65535;          // a JPEG's largest side
constexpr qint64 kMaxSlotWidth = 7680;           // a slot is cropped at its size
constexpr qint64 kMaxSlotHeight = 4320;
constexpr qint64 kMaxTemplatePhotos = 100;
constexpr qint64 kMaxTemplateNumber = 99999;
constexpr qint64 kMaxMovieFrames = 65535;        // a movie's frame count is 16 bits
constexpr qint64 kMaxColour = 0xFFFFFF;
constexpr qint64 kMaxLyricPoints = 200;
constexpr int kMinFrameSide = 16;

struct NumberRule {
    int column;
    qint64 min;
    qint64 max; // -1: the table's row count
    const char* what;
};

struct TableRules {
    QString table;
    const char* what;
    QList<NumberRule> numbers;
};

const QList<TableRules>& numberRules()
{
    static const QList<TableRules> rules{
        {kPhotoTable,
         "相片",
         {{PhotoCol::Width, 1, kMaxPhotoSide, "宽度"},
          {PhotoCol::Height, 1, kMaxPhotoSide, "高度"},
          {PhotoCol::Group, 1, -1, "组号"},
          {PhotoCol::PairNumber, 0, kMaxTemplateNumber, "模板编号"},
          {PhotoCol::TemplatePhotos, 1, kMaxTemplatePhotos, "模板相片数"},
          {PhotoCol::SlotWidth, 0, kMaxSlotWidth, "照片位宽度"},
          {PhotoCol::SlotHeight, 0, kMaxSlotHeight, "照片位高度"},
          {PhotoCol::FrameCount, 1, kMaxMovieFrames, "模板帧数"}}},
        {kMusicTable, "音乐", {{audio::MusicCol::Frames, 1, render::kMaxAlbumFrames, "帧数"}}},
        {kLyricTable,
         "歌词",
         {{audio::LyricCol::ColourValue, 0, kMaxColour, "颜色值"},
          {audio::LyricCol::Size, 1, kMaxLyricPoints, "字号"}}},
        {kKaraokeTable,
         "卡拉OK歌词",
         {{karaoke::KscCol::Size, 1, kMaxLyricPoints, "字号"},
          {karaoke::KscCol::BaseValue, 0, kMaxColour, "颜色值"},
          {karaoke::KscCol::SungValue, 0, kMaxColour, "渲染颜色值"}}},
        {kCaptionTable,
         "文字特效",
         {{effects::CaptionCol::FontSize, 10, 40, "字号"},
          {effects::CaptionCol::ColourValue, 0, kMaxColour, "颜色值"}}},
    };
    return rules;
}

QString outOfRange(const char* table, int row, const char* what, const QString& cell, qint64 min, qint64 max)
{
    return QStringLiteral("%1第 %2 行的%3“%4”不在 %5 到 %6 之间。")
        .arg(QString::fromUtf8(table))
        .arg(row + 1)
        .arg(QString::fromUtf8(what), cell.left(40))
        .arg(min)
        .arg(max);
}

// Every number the tables hold, checked against what the album can hold.
// Empty when all are in range, else the first one that is not.
QString checkNumbers(const ProjectContent& content)
{
    for (const TableRules& rules : numberRules()) {
        const auto found = content.tables.find(rules.table);
        if (found == content.tables.end())
            continue;
        const QList<Row>& rows = found->second;
        for (int r = 0; r < rows.size(); ++r) {
            for (const NumberRule& rule : rules.numbers) {
                // Photo and song rows are complete (checked before); a cell
                // other rows leave out is read as its default.
                if (rule.column >= rows[r].size())
                    continue;
                const qint64 max = rule.max < 0 ? rows.size() : rule.max;
                const QString cell = rows[r].value(rule.column);
                bool ok = false;
                const qint64 value = cell.toLongLong(&ok);
                if (!ok || value < rule.min || value > max)
                    return outOfRange(rules.what, r, rule.what, cell, rule.min, max);
            }
        }
    }
    // The picture a photo's crop is written to: one of its template's slots.
    static const QRegularExpression pictureName(QStringLiteral("^picture_([1-9][0-9]{0,2})$"));
    const QList<Row>& photos = content.tables.at(kPhotoTable);
    for (int r = 0; r < photos.size(); ++r) {
        const QRegularExpressionMatch match = pictureName.match(photos[r].value(PhotoCol::PictureName));
        if (!match.hasMatch() || match.captured(1).toInt() > photos[r].value(PhotoCol::TemplatePhotos).toInt())
            return QStringLiteral("相片第 %1 行的图片名“%2”不是 picture_1 到 picture_%3 之一。")
                .arg(r + 1)
                .arg(photos[r].value(PhotoCol::PictureName).left(40), photos[r].value(PhotoCol::TemplatePhotos));
    }
    // The album's length: every group's template once, the ending, the songs.
    std::map<QString, qint64> groupFrames;
    for (const Row& row : photos)
        groupFrames[row.value(PhotoCol::Group)] = row.value(PhotoCol::FrameCount).toLongLong();
    qint64 templateFrames = photos.isEmpty() ? 0 : render::kEndingReserve;
    for (const auto& [group, frames] : groupFrames)
        templateFrames += frames;
    qint64 musicFrames = 0;
    for (const Row& row : content.tables.at(kMusicTable))
        musicFrames += row.value(audio::MusicCol::Frames).toLongLong();
    const qint64 longest = std::max(templateFrames, musicFrames);
    if (longest > render::kMaxAlbumFrames)
        return render::albumTooLongText(longest);
    // The output size: the largest is the panel's, and a frame needs some pixels.
    const auto width = content.settings.find(QStringLiteral("Edit_chicun_width"));
    const auto height = content.settings.find(QStringLiteral("Edit_chicun_height"));
    if (width != content.settings.end() || height != content.settings.end()) {
        const QString w = width == content.settings.end() ? QString() : width->second;
        const QString h = height == content.settings.end() ? QString() : height->second;
        bool wOk = false, hOk = false;
        const int wide = w.toInt(&wOk), high = h.toInt(&hOk);
        if (!wOk || !hOk || wide < kMinFrameSide || high < kMinFrameSide || wide > render::kPanelWidth ||
            high > render::kPanelHeight)
            return QStringLiteral("输出尺寸“%1 × %2”不在 %3 × %3 到 %4 × %5 之间。")
                .arg(w.left(20), h.left(20))
                .arg(kMinFrameSide)
                .arg(render::kPanelWidth)
                .arg(render::kPanelHeight);
    }
    return {};
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
        if (!session.hasTable(saved.name))
            continue;
        const Table& table = session.table(saved.name);
        tables.insert(saved.name, saved.name == kPhotoTable ? photoRowsToJson(table) : rowsToJson(table));
    }
    root.insert(kTablesKey, tables);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

std::optional<ProjectContent> parseProject(const QByteArray& text, QString* error, QString* reason)
{
    auto fail = [error, reason](const QString& message, const QString& why = {}) -> std::optional<ProjectContent> {
        if (error)
            *error = message;
        if (reason)
            *reason = why;
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
    if (const QString why = checkNumbers(content); !why.isEmpty())
        return fail(kBrokenMessage, why);
    return content;
}

QString saveProject(const Session& session, const QString& path, std::optional<unsigned> seed)
{
    const QByteArray text = projectText(session, seed);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return kSaveFailedMessage + path;
    // The text is flushed and checked before the commit: commit() can report
    // success after a buffered write failed (a full disk), and would then
    // put a short file in the place of the old project.
    if (file.write(text) != text.size() || !file.flush() || file.error() != QFileDevice::NoError) {
        file.cancelWriting(); // the temporary file goes; the old project stays
        return kSaveFailedMessage + path;
    }
    if (!file.commit())
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
    QString error, reason;
    std::optional<ProjectContent> content = text.isEmpty() ? std::nullopt : parseProject(text, &error, &reason);
    if (!content) {
        report.error = (error.isEmpty() ? kBrokenMessage : error) + path;
        if (!reason.isEmpty())
            report.error += QLatin1Char('\n') + reason;
        ctx.ui.showMessage(report.error);
        return report;
    }
    report.seed = content->seed;
    Session& session = ctx.session;
    const QStringList replaced = placeTemplates(session, content->tables[kPhotoTable]);

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
    if (!replaced.isEmpty())
        ctx.ui.showMessage(kTemplateReplacedMessage + QLatin1Char('\n') + replaced.join(QLatin1Char('\n')));
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
