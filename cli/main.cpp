// fotarel-cli: drives the same engine as the desktop program, without windows.
#include "cli/album_commands.h"
#include "cli/console_ui.h"
#include "core/columns.h"
#include "core/fonts.h"
#include "core/session.h"
#include "core/table_names.h"
#include "core/working_folder.h"
#include "engine/single_instance.h"
#include "engine/startup.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>
#include <string>

namespace {

void printUsage()
{
    std::fprintf(stderr,
                 "usage: fotarel-cli templates | make [options] PHOTO... -o OUT | demo OUT\n"
                 "  templates   load the template library beside the program and list every\n"
                 "              template with its class, slots and frame count\n"
                 "  make        make an album from photos and songs (fotarel-cli make --help)\n"
                 "  demo OUT    make a demo DVD album from photos and a song it draws itself\n");
}

int listTemplates()
{
    fotarel::SingleInstanceGuard guard;
    if (!guard.acquire()) {
        std::fprintf(stderr, "fotarel-cli: Fotarel is already running and uses the working folder.\n");
        return 1;
    }
    fotarel::Session session;
    fotarel::WorkingFolder folder(QCoreApplication::applicationDirPath());
    fotarel::cli::ConsoleUi ui;
    const fotarel::StartupReport report = fotarel::loadTemplateLibrary(session, folder, ui);
    if (report.outcome == fotarel::StartupOutcome::InvalidTemplateMarker) {
        std::fprintf(stderr, "fotarel-cli: template description %s has no valid marker.\n",
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
    out << "#\tclass\tphotos\twidths\theights\torientations\tframes\ttype\tcategory\n";
    for (int r = 0; r < templates.rowCount(); ++r) {
        using namespace fotarel;
        out << templates.cell(r, TemplateCol::PairNumber) << '\t' << templates.cell(r, TemplateCol::Class) << '\t'
            << templates.cell(r, TemplateCol::PhotoCount) << '\t' << templates.cell(r, TemplateCol::SlotWidths) << '\t'
            << templates.cell(r, TemplateCol::SlotHeights) << '\t'
            << templates.cell(r, TemplateCol::SlotOrientations) << '\t'
            << templates.cell(r, TemplateCol::FrameCount) << '\t' << templates.cell(r, TemplateCol::Type) << '\t'
            << templates.cell(r, TemplateCol::Category) << '\n';
    }
    out << templates.rowCount() << " templates: "
        << session.table(fotarel::tables::Landscape).rowCount() << " landscape, "
        << session.table(fotarel::tables::Portrait).rowCount() << " portrait, "
        << session.table(fotarel::tables::Mixed).rowCount() << " mixed\n";
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    const bool album = argc >= 2 && (std::string(argv[1]) == "make" || std::string(argv[1]) == "demo");
    if (album) {
        // Template movies are painted with text: that needs a GUI application,
        // which never shows a window here.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("Fotarel"));
        // Captions name their fonts as the desktop program does ("黑体").
        fotarel::registerFontSubstitutions();
        const QStringList args = QCoreApplication::arguments();
        return args.at(1) == QLatin1String("make") ? fotarel::cli::makeAlbum(args.mid(1))
                                                   : fotarel::cli::makeDemo(args);
    }
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Fotarel"));
    const QStringList args = QCoreApplication::arguments();
    if (args.size() >= 2 && args.at(1) == QLatin1String("templates"))
        return listTemplates();
    printUsage();
    return 2;
}
