#include "app/main_window.h"
#include "core/fonts.h"
#include "core/working_folder.h"
#include "engine/qt_translations.h"
#include "engine/single_instance.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <cstring>

namespace {

const char kUsage[] =
    "用法: fotarel [相册文件.fotarel]\n"
    "  打开 Fotarel 相册制作程序；给出相册文件时启动后打开这个相册。\n"
    "  --version  显示版本\n"
    "  --help     显示这段说明\n";

} // namespace

int main(int argc, char* argv[])
{
    // Answered before any window system is needed.
    if (argc == 2 && (std::strcmp(argv[1], "--version") == 0)) {
        std::printf("fotarel %s\n", FOTAREL_VERSION);
        return 0;
    }
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Fotarel"));
    QApplication::setQuitOnLastWindowClosed(true);
    // Standard dialogs and buttons in the program's language.
    fotarel::installQtChinese(app);

    const QStringList args = QCoreApplication::arguments();
    if (args.size() > 2 || (args.size() == 2 && args.at(1).startsWith(QLatin1Char('-')))) {
        std::fputs(kUsage, stderr);
        return 2;
    }

    // The session's working tree is in the user's data folder; the lock
    // beside it keeps one desktop session per folder. A second start ends
    // here, before it touches the working tree or the template library, and
    // leaves the running program alone.
    const QString work = fotarel::desktopWorkFolder();
    QDir().mkpath(work);
    fotarel::SingleInstanceGuard guard(work + QStringLiteral("/Fotarel.lock"));
    if (!guard.acquire())
        return 0;

    fotarel::registerFontSubstitutions();

    fotarel::app::MainWindow window(
        fotarel::WorkingFolder(fotarel::programDataFolder(QCoreApplication::applicationDirPath()), work), guard);
    if (args.size() == 2)
        window.openAtStart(QFileInfo(args.at(1)).absoluteFilePath());
    QObject::connect(&window, &fotarel::app::MainWindow::startupFinished, &app, [](int exitCode) {
        if (exitCode >= 0)
            QCoreApplication::exit(exitCode);
    });
    QObject::connect(&window, &fotarel::app::MainWindow::exitDone, &app, &QCoreApplication::quit);
    window.show();
    return app.exec();
}
