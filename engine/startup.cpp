#include "engine/startup.h"

#include "core/file_tree.h"
#include "templates/classification.h"
#include "templates/descriptions.h"

#include <QDir>

namespace fotarel {

namespace {

void call(const std::function<void()>& hook)
{
    if (hook)
        hook();
}

} // namespace

QString skippedTemplatesMessage(const QList<SkippedTemplate>& skipped, const WorkingFolder& folder)
{
    const QDir base(folder.dataFolder());
    QString text = QStringLiteral("以下模板文件无法使用，已跳过：");
    for (const SkippedTemplate& s : skipped)
        text += QStringLiteral("\n%1：%2").arg(QDir::toNativeSeparators(base.relativeFilePath(s.file)), s.reason);
    return text;
}

QString folderUnavailableMessage(const QString& folder)
{
    return QStringLiteral("无法创建文件夹：%1，请检查该位置的写入权限。").arg(QDir::toNativeSeparators(folder));
}

StartupReport loadTemplateLibrary(Session& session, const WorkingFolder& folder, UiPort& ui)
{
    StartupReport report;
    const ScanResult scan = scanLibrary(session, folder, [&ui] { ui.processEvents(); });
    if (!scan.unpackFolderReady) {
        report.outcome = StartupOutcome::FolderUnavailable;
        report.detail = folder.path(paths::kDescriptionUnpack);
        return report;
    }
    report.skippedTemplates = scan.skipped;
    const DescriptionResult descriptions = unpackAllDescriptions(session, folder);
    report.skippedTemplates += descriptions.skipped;
    if (descriptions.markerFailure) {
        report.outcome = StartupOutcome::InvalidTemplateMarker;
        report.detail = *descriptions.markerFailure;
        return report;
    }
    classifyTemplates(session);
    countSlots(session);
    return report;
}

StartupReport runStartup(Session& session, const WorkingFolder& folder, SingleInstanceGuard& guard, UiPort& ui,
                         const StartupHooks& hooks)
{
    // 1. Window preparation; the wizard step starts empty.
    call(hooks.prepareWindow);
    session.set(QStringLiteral("xiangce_xiangdao_buzhou"), QString());

    // 2. Single-instance guard, before anything touches the working folder.
    if (!guard.acquire()) {
        StartupReport report;
        report.outcome = StartupOutcome::AnotherInstanceRunning;
        return report;
    }

    // 3. Template library.
    StartupReport report = loadTemplateLibrary(session, folder, ui);
    if (report.outcome == StartupOutcome::InvalidTemplateMarker)
        return report;
    if (report.outcome == StartupOutcome::FolderUnavailable) {
        ui.showMessage(folderUnavailableMessage(report.detail));
        return report;
    }

    // 4. and 5. Areas and the start layout (applied twice).
    call(hooks.placeAreas);
    call(hooks.applyStartLayout);
    call(hooks.applyStartLayout);

    // 6. Thumbnail folders and the ending template's scratch: emptied and recreated.
    for (const QString& rel : {paths::kPhotoThumbs, paths::kMusicThumbs, paths::kLyricThumbs, paths::kEndingUnpack}) {
        const QString path = folder.path(rel);
        deleteTree(path);
        if (!recreateFolder(path, [&ui] { ui.processEvents(); })) {
            report.outcome = StartupOutcome::FolderUnavailable;
            report.detail = path;
            ui.showMessage(folderUnavailableMessage(path));
            return report;
        }
    }

    // 7. Folders of the previous session's work: removed, not recreated.
    for (const QString& rel : {paths::kGroupFolders, paths::kCarryOverFolder, paths::kUnusedDeepFolder,
                               paths::kPreviewRoot})
        deleteTree(folder.path(rel));

    // 8. Loose scratch files.
    for (const QString& rel : paths::scratchFiles())
        deleteFileIfExists(folder.path(rel));

    if (!report.skippedTemplates.isEmpty())
        ui.showMessage(skippedTemplatesMessage(report.skippedTemplates, folder));

    // 9. The album wizard opens once the message loop runs.
    call(hooks.startWizardTimer);
    return report;
}

} // namespace fotarel
