#include "engine/qt_translations.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace {

// Qt's standard buttons and file dialogs take their texts from these
// contexts; with Qt's Chinese catalogue installed they match the program.
TEST(QtChinese, StandardDialogTextsSpeakChinese)
{
    int argc = 1;
    char name[] = "engine_tests";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    ASSERT_TRUE(fotarel::installQtChinese(app));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("取消"));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Save"), QStringLiteral("保存"));
    EXPECT_NE(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("Look in:"));
}

} // namespace
