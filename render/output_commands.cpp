#include "render/output_commands.h"

#include "render/output_settings.h"
#include "render/render_names.h"

#include "karaoke/lyric_type.h"
#include "photos/photo_columns.h"

#include <QDir>
#include <QFileInfo>

namespace fotarel::render {

namespace {

QString outputTypeOf(const QString& command)
{
    using namespace settings;
    if (command == kVcd || command == kSvcd || command == kDvd || command == kAvi || command == kMp4)
        return command;
    if (command == kImageSequenceCommand)
        return kImageSequence;
    return {};
}

void prepareRenderWindow(Session& session, const QString& output, const QString& shownName)
{
    session.set(vars::VideoOut, output);
    session.set(vars::AudioOut, output);
    session.set(vars::OpenFolderWhenDone, QStringLiteral("False"));
    session.set(vars::OutputFileName, shownName);
}

void render(Session& session, const OutputCommandHooks& hooks)
{
    if (karaoke::lyricTypeAsked(session) && hooks.askLyricType)
        hooks.askLyricType();
    if (hooks.runRenderWindow)
        hooks.runRenderWindow();
    if (hooks.destroyTextEffects)
        hooks.destroyTextEffects();
}

} // namespace

QString saveFilter(const QString& command, const QString& imageFormat)
{
    if (command == kImageSequenceCommand)
        return QStringLiteral("生成 %1 序列图片|*.%1").arg(imageFormat);
    if (command == settings::kAvi)
        return QStringLiteral("AVI 格式相册|*.avi");
    if (command == settings::kMp4)
        return QStringLiteral("MP4 格式相册|*.mp4");
    return command + QStringLiteral(" 格式相册|*.mpg");
}

QString videoOutputPath(const QString& chosen, const QString& outputType)
{
    const QString extension = outputType == settings::kAvi   ? QStringLiteral(".avi")
                              : outputType == settings::kMp4 ? QStringLiteral(".mp4")
                                                             : QStringLiteral(".mpg");
    const QString name = QFileInfo(chosen).fileName();
    if (name.size() > extension.size() && name.endsWith(extension, Qt::CaseInsensitive))
        return chosen;
    return chosen + extension;
}

QStringList makeSequenceFolder(const QString& folder)
{
    QStringList missing;
    QString level = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    while (!QFileInfo::exists(level)) {
        missing.prepend(level);
        const QString up = QFileInfo(level).absolutePath();
        if (up == level)
            break;
        level = up;
    }
    if (missing.isEmpty())
        return {}; // the folder exists
    QStringList made;
    for (const QString& path : missing) {
        if (QDir().mkdir(path)) {
            made << path;
            continue;
        }
        // A level above may have been made by someone else meanwhile; the
        // sequence's own folder must be this program's.
        if (path == missing.last() || !QFileInfo(path).isDir()) {
            removeEmptyFolders(made);
            return {};
        }
    }
    return made;
}

void removeEmptyFolders(const QStringList& made)
{
    for (auto it = made.rbegin(); it != made.rend(); ++it)
        if (!QDir().rmdir(*it))
            return; // not empty: the levels above are not either
}

OutputCommandResult runOutputCommand(Session& session, UiPort& ui, const QString& command,
                                     const OutputCommandHooks& hooks)
{
    const QString type = outputTypeOf(command);
    if (type.isEmpty())
        return OutputCommandResult::UnknownCommand;
    if (session.table(photo_tables::Photos).isEmpty()) {
        ui.showMessage(kNoPhotosMessage);
        return OutputCommandResult::NoPhotos;
    }
    session.set(settings::vars::OutputType, type);
    settings::prepareOutputSize(session, type);
    const bool wizard = type == settings::kDvd &&
                        session.get(settings::vars::WizardStep) == settings::kWizardMakeDvd;
    if (hooks.askOutputSize)
        hooks.askOutputSize(wizard);
    if (settings::outputSizeCancelled(session))
        return OutputCommandResult::Cancelled;

    if (type != settings::kImageSequence) {
        const QString chosen = ui.chooseSaveFile(saveFilter(command));
        if (chosen.isEmpty())
            return OutputCommandResult::Cancelled;
        const QString output = videoOutputPath(chosen, type);
        const QString name = QFileInfo(output).fileName();
        prepareRenderWindow(session, output, name.left(name.size() - 4));
        render(session, hooks);
        return OutputCommandResult::Rendered;
    }

    const QString format = session.get(settings::vars::ShownType);
    const QString chosen = ui.chooseSaveFile(saveFilter(command, format));
    if (chosen.isEmpty())
        return OutputCommandResult::Cancelled;
    if (QFileInfo::exists(chosen)) {
        ui.showMessage(kFolderExistsMessage);
        return OutputCommandResult::FolderExists;
    }
    const QStringList made = makeSequenceFolder(chosen);
    QString folder = QDir::cleanPath(chosen);
    prepareRenderWindow(session, folder + QStringLiteral("/01.") + format, QFileInfo(folder).fileName());
    render(session, hooks);
    removeEmptyFolders(made); // nothing was written: the name is free again
    return OutputCommandResult::Rendered;
}

} // namespace fotarel::render
