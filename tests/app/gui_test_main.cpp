// GoogleTest main for tests that need a GUI application object.
#include "core/fonts.h"

#include <QApplication>
#include <QStandardPaths>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Fotarel"));
    // The remembered layout goes to the test location, not the user's.
    QStandardPaths::setTestModeEnabled(true);
    fotarel::registerFontSubstitutions();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
