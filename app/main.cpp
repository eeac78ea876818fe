#include "app/main_window.h"
#include "core/fonts.h"
#include "engine/qt_translations.h"
#include "engine/single_instance.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Fotarel"));
    QApplication::setQuitOnLastWindowClosed(true);
    // Standard dialogs and buttons in the program's language.
    fotarel::installQtChinese(app);

    // A second start ends here, before it touches the working folder or the
    // template library, and leaves the running program alone.
    fotarel::SingleInstanceGuard guard;
    if (!guard.acquire())
        return 0;

    fotarel::registerFontSubstitutions();

    fotarel::app::MainWindow window(QCoreApplication::applicationDirPath(), guard);
    QObject::connect(&window, &fotarel::app::MainWindow::startupFinished, &app, [](int exitCode) {
        if (exitCode >= 0)
            QCoreApplication::exit(exitCode);
    });
    QObject::connect(&window, &fotarel::app::MainWindow::exitDone, &app, &QCoreApplication::quit);
    window.show();
    return app.exec();
}
