// fotarel-cli: drives the same engine as the desktop program, without windows.
#include "cli/album_commands.h"
#include "cli/console_ui.h"
#include "core/columns.h"
#include "core/fonts.h"
#include "core/session.h"
#include "core/table_names.h"
#include "core/working_folder.h"
#include "engine/qt_translations.h"
#include "engine/startup.h"
#include "photos/fitting.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>
#include <string>

namespace {

const char kUsage[] =
    "用法: fotarel-cli templates | make [选项] 相片... -o 输出 | plan [选项] 相片... | demo 输出.mpg\n"
    "  templates   读取程序的模板库，列出每个模板的类别、照片位和帧数\n"
    "  make        用相片和音乐制作相册（选项见 fotarel-cli make --help）\n"
    "  plan        列出相片的组、模板、相片位和剪裁，不制作视频（选项见 fotarel-cli plan --help）\n"
    "  demo 输出   用程序自己画的相片和合成的乐曲制作一个 DVD 演示相册\n"
    "  --version   显示版本\n";

int listTemplates()
{
    const fotarel::PrivateWorkFolder work(QCoreApplication::applicationDirPath());
    if (!work.isValid()) {
        std::fprintf(stderr, "fotarel-cli: %s\n", qPrintable(fotarel::cli::workFolderUnavailableMessage()));
        return 1;
    }
    const fotarel::WorkingFolder& folder = work.folder();
    fotarel::Session session;
    fotarel::cli::ConsoleUi ui;
    const fotarel::StartupReport report = fotarel::loadTemplateLibrary(session, folder, ui);
    if (report.outcome == fotarel::StartupOutcome::InvalidTemplateMarker) {
        std::fprintf(stderr, "fotarel-cli: 模板说明 %s 没有有效的标记。\n",
                     qPrintable(report.detail));
        return 1;
    }
    if (report.outcome == fotarel::StartupOutcome::FolderUnavailable) {
        ui.showMessage(fotarel::folderUnavailableMessage(report.detail));
        return 1;
    }
    if (!report.skippedTemplates.isEmpty())
        ui.showMessage(fotarel::skippedTemplatesMessage(report.skippedTemplates, folder));

    QTextStream out(stdout);
    const fotarel::Table& templates = session.table(fotarel::tables::Templates);
    out << "#\t类别\t相片数\t宽度\t高度\t方向\t帧数\t类型\t分类\t名称\n";
    for (int r = 0; r < templates.rowCount(); ++r) {
        using namespace fotarel;
        out << templates.cell(r, TemplateCol::PairNumber) << '\t' << templates.cell(r, TemplateCol::Class) << '\t'
            << templates.cell(r, TemplateCol::PhotoCount) << '\t' << templates.cell(r, TemplateCol::SlotWidths) << '\t'
            << templates.cell(r, TemplateCol::SlotHeights) << '\t'
            << templates.cell(r, TemplateCol::SlotOrientations) << '\t'
            << templates.cell(r, TemplateCol::FrameCount) << '\t' << templates.cell(r, TemplateCol::Type) << '\t'
            << templates.cell(r, TemplateCol::Category) << '\t'
            << templateShortName(templates.cell(r, TemplateCol::MoviePath)) << '\n';
    }
    out << QStringLiteral("共 %1 个模板：横照 %2 个，竖照 %3 个，混合 %4 个\n")
               .arg(templates.rowCount())
               .arg(session.table(fotarel::tables::Landscape).rowCount())
               .arg(session.table(fotarel::tables::Portrait).rowCount())
               .arg(session.table(fotarel::tables::Mixed).rowCount());
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    fotarel::ensureRuntimeFolder();
    const bool album = argc >= 2 && (std::string(argv[1]) == "make" || std::string(argv[1]) == "demo"
                                     || std::string(argv[1]) == "plan");
    if (album) {
        // Template movies are painted with text: that needs a GUI application,
        // which never shows a window here.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("Fotarel"));
        fotarel::installQtChinese(app);
        // Captions name their fonts as the desktop program does ("黑体").
        fotarel::registerFontSubstitutions();
        const QStringList args = QCoreApplication::arguments();
        if (args.at(1) == QLatin1String("plan"))
            return fotarel::cli::planAlbum(args.mid(1));
        return args.at(1) == QLatin1String("make") ? fotarel::cli::makeAlbum(args.mid(1))
                                                   : fotarel::cli::makeDemo(args);
    }
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Fotarel"));
    const QStringList args = QCoreApplication::arguments();
    if (args.size() >= 2 && args.at(1) == QLatin1String("templates"))
        return listTemplates();
    if (args.size() == 2 && args.at(1) == QLatin1String("--version")) {
        std::printf("fotarel-cli %s\n", FOTAREL_VERSION);
        return 0;
    }
    // Asked for: the usage on standard output, success. Otherwise it
    // explains a wrong command line, on standard error.
    const QStringList help{QStringLiteral("--help"), QStringLiteral("-h"), QStringLiteral("help")};
    if (args.size() == 2 && help.contains(args.at(1))) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (args.size() >= 2)
        std::fprintf(stderr, "fotarel-cli: 未知的命令 %s\n", qPrintable(args.at(1)));
    std::fputs(kUsage, stderr);
    return 2;
}
