#pragma once

// Album project files: what makes an album (photos in order with their
// groups, templates, picture names and crops; songs; lyric, karaoke and
// caption files with their bindings and styles; captions; the output
// settings and album-length rule; the seed of the template draws) saved as
// one small JSON text, and an album rebuilt from it. The format is
// described in project/README.md.

#include "core/session.h"
#include "photos/photo_context.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>

namespace fotarel::project {

// The version this program writes; it opens this one and older ones.
inline constexpr int kFormatVersion = 1;
inline const QString kProjectExtension = QStringLiteral(".fotarel");
inline const QString kProjectFilter = QStringLiteral("Fotarel相册文件(*.fotarel)|*.fotarel;");
// Larger files are no project of ours.
inline constexpr qint64 kMaxProjectBytes = 64LL * 1024 * 1024;

inline const QString kSaveFailedMessage = QStringLiteral("无法保存相册文件：");
inline const QString kBrokenMessage = QStringLiteral("相册文件已损坏或不是相册文件，不能打开：");
inline const QString kNewerMessage = QStringLiteral("相册文件由更新版本的程序保存，不能打开：");
inline const QString kMissingMessage = QStringLiteral("以下文件已经找不到，相册中没有它们：");
inline const QString kTemplateReplacedMessage =
    QStringLiteral("以下模板已不在模板库中，换用了相片位相同的模板：");

// A project file's content, checked.
struct ProjectContent {
    int version = kFormatVersion;
    std::optional<unsigned> seed;
    std::map<QString, QString> settings;
    std::map<QString, QList<Row>> tables;
};

// The album in the session as a project file's text.
QByteArray projectText(const Session& session, std::optional<unsigned> seed = {});

// Reads a project file's text. On failure `error` holds the message's
// first words (broken or newer), `reason` (when the file is readable but
// holds a number the album cannot hold) says which, and nothing is returned.
std::optional<ProjectContent> parseProject(const QByteArray& text, QString* error, QString* reason = nullptr);

// Writes the project to `path` through a temporary file renamed when
// complete, so a crash never leaves half a project. Empty on success, else
// the message to show.
QString saveProject(const Session& session, const QString& path, std::optional<unsigned> seed = {});

struct OpenReport {
    bool opened = false;
    QString error;          // the message shown when the project could not be opened
    QStringList missing;    // files named by the project that are gone
    std::optional<unsigned> seed;
};

// Replaces the album with the project at `path`: nothing changes when the
// file cannot be read, is broken or comes from a newer version (a message
// says why). Rows whose files are gone are left out, and one message lists
// them; a missing photo is removed from its group as a deletion would.
OpenReport openProject(PhotoContext& context, const QString& path);

// True when the album differs from what `savedText` (a project text, or
// the empty album's) holds: the exit asks to save only then.
bool albumChanged(const Session& session, const QByteArray& savedText);

} // namespace fotarel::project
