#include "core/bar_list.h"
#include "core/colours.h"
#include "core/text_decode.h"
#include "core/working_folder.h"
#include "tests/support/temp_tree.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace fotarel;
using fotarel::test::TempTree;

TEST(BarList, SplitsItemsBetweenConsecutiveBars)
{
    struct Case {
        const char* text;
        QStringList items;
        QList<int> bars;
    };
    const Case cases[] = {
        {"|heng|shu|", {"heng", "shu"}, {1, 6, 10}},
        {"|1920|", {"1920"}, {1, 6}},
        {"lead|a||b|trail", {"a", "", "b"}, {5, 7, 8, 10}},
        {"|", {}, {1}},
        {"", {}, {}},
        {"no bars", {}, {}},
        {"| heng|", {" heng"}, {1, 7}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const BarListSplit s = splitBarList(QString::fromUtf8(c.text));
        EXPECT_EQ(s.items, c.items);
        EXPECT_EQ(s.barPositions, c.bars);
    }
    // Characters, not bytes: the positions count Chinese characters as one.
    EXPECT_EQ(splitBarList(QStringLiteral("横|竖|")).barPositions, (QList<int>{2, 4}));
}

TEST(Colours, NamesAndBgrValues)
{
    int count = 0;
    namedColours(&count);
    EXPECT_EQ(count, 20);
    EXPECT_EQ(colourValueForName("clWhite"), 16777215u);
    EXPECT_EQ(colourValueForName("clRed"), 255u);
    EXPECT_EQ(colourValueForName("clNavy"), 0x800000u);
    EXPECT_EQ(colourValueForName("clSkyBlue"), 0xF0CAA6u);
    EXPECT_FALSE(colourValueForName("clwhite").has_value());
    EXPECT_EQ(colourNameForValue(0x00FFFF), "clYellow");
    EXPECT_EQ(colourNameForValue(0x123456), "");
    // 1185821 = 0x12181D: red 0x1D, green 0x18, blue 0x12.
    EXPECT_EQ(colourFromText("1185821"), QColor(0x1D, 0x18, 0x12));
    EXPECT_EQ(colourFromText("not a number"), QColor(Qt::black));
    EXPECT_EQ(valueFromColour(QColor(0x1D, 0x18, 0x12)), 1185821u);
}

TEST(TextDecode, BomUtf8AndGbk)
{
    const QString text = QStringLiteral("甜蜜蜜 [00:01.00]");
    EXPECT_EQ(decodeText(text.toUtf8()), text);
    EXPECT_EQ(decodeText("\xEF\xBB\xBF" + text.toUtf8()), text);
    EXPECT_EQ(decodeText(encodeGb18030(text)), text);
    QByteArray utf16("\xFF\xFE", 2);
    utf16.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    EXPECT_EQ(decodeText(utf16), text);
    // A truncated GBK sequence at the end still decodes what came before.
    QByteArray broken = encodeGb18030(QStringLiteral("甜蜜"));
    broken.append('\xCC');
    EXPECT_TRUE(decodeText(broken).startsWith(QStringLiteral("甜蜜")));
}

TEST(WorkingFolder, JoinsBackslashPathsBesideTheProgram)
{
    const WorkingFolder f("/opt/fotarel/bin");
    EXPECT_EQ(f.path(paths::kLibraryMovies), "/opt/fotarel/bin/smxcwjj/wj_0_or_2/wjj_01");
    EXPECT_EQ(f.path(paths::kPhotoThumbs), "/opt/fotarel/bin/smxcwjj/tp_wj/tp_slt_1/");
    EXPECT_EQ(paths::scratchFiles().size(), 20);
    EXPECT_EQ(paths::scratchFiles().first(), "smxcwjj\\tp_slt_tp_0_1.png");
    EXPECT_EQ(paths::scratchFiles().last(), "smxcwjj\\tp_0\\tp_slt_tp_0_1.png");
}

TEST(WorkingFolder, ReadsTheLibraryFromProgramDataAndWritesEverythingElseInTheSessionFolder)
{
    const WorkingFolder f("/usr/share/fotarel", "/home/me/.local/share/Fotarel");
    const struct {
        QString relative;
        QString expected;
    } cases[] = {
        {paths::kLibraryMovies, "/usr/share/fotarel/smxcwjj/wj_0_or_2/wjj_01"},
        {paths::kLibraryMovies + "\\sub\\a.rar", "/usr/share/fotarel/smxcwjj/wj_0_or_2/wjj_01/sub/a.rar"},
        {paths::kLibraryDescriptions, "/usr/share/fotarel/smxcwjj/wj_0_or_2/wjj_02"},
        {paths::kEndingPackage, "/usr/share/fotarel/smxcwjj/wj_0_or_1/wj_1.rar"},
        {paths::kSamples + "甜蜜蜜.ksc", "/usr/share/fotarel/yinyuegeci/甜蜜蜜.ksc"},
        // Scratch beside the library, and names that only start like it.
        {paths::kDescriptionUnpack, "/home/me/.local/share/Fotarel/smxcwjj/wj_0_or_2/wjj_00_j_y/"},
        {paths::kEndingUnpack, "/home/me/.local/share/Fotarel/smxcwjj/wj_0_or_1/wj_1_jy/"},
        {"smxcwjj\\wj_0_or_1\\wj_1_jy.rar", "/home/me/.local/share/Fotarel/smxcwjj/wj_0_or_1/wj_1_jy.rar"},
        {"smxcwjj\\wj_0_or_2\\wjj_012", "/home/me/.local/share/Fotarel/smxcwjj/wj_0_or_2/wjj_012"},
        {paths::kRenderFolder, "/home/me/.local/share/Fotarel/smxcwjj/tp_load/"},
        {paths::kGroupFolders + "tp_wjj_1", "/home/me/.local/share/Fotarel/smxcwjj/tp_wjj/tp_wjj/tp_wjj_1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(f.path(c.relative), c.expected) << c.relative.toStdString();
}

TEST(WorkingFolder, FindsTheLibraryBesideTheProgramOrInTheInstalledDataFolder)
{
    TempTree t;
    // Installed: <prefix>/bin and <prefix>/share/fotarel.
    t.mkdir("usr/bin");
    t.mkdir("usr/share/fotarel/smxcwjj/wj_0_or_2");
    EXPECT_EQ(programDataFolder(t.path("usr/bin")), t.path("usr/share/fotarel"));
    // A build tree (or a copy of it) keeps the library beside the programs.
    t.mkdir("build/bin/smxcwjj/wj_0_or_2");
    EXPECT_EQ(programDataFolder(t.path("build/bin")), t.path("build/bin"));
}

TEST(PrivateFolder, IsRemovedWhenItGoesAndWhenItsProcessIsKilled)
{
    QString kept;
    {
        const PrivateFolder folder("fotarel-test");
        ASSERT_TRUE(folder.isValid());
        kept = folder.path();
        QFile file(kept + "/work.bin");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        EXPECT_FALSE(QFileInfo(kept).permissions().testAnyFlags(QFile::ReadOther | QFile::ReadGroup));
        const PrivateFolder other("fotarel-test");
        EXPECT_NE(other.path(), kept);
    }
    EXPECT_FALSE(QFileInfo::exists(kept));

    // A process that dies from a signal cannot clean up: its helper does.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        auto* folder = new PrivateFolder("fotarel-test");
        const QByteArray path = QFile::encodeName(folder->path()) + '\n';
        (void)!::write(ready[1], path.constData(), size_t(path.size()));
        ::pause();
        ::_exit(0);
    }
    ::close(ready[1]);
    QByteArray line;
    char c = 0;
    while (::read(ready[0], &c, 1) == 1 && c != '\n')
        line.append(c);
    ::close(ready[0]);
    const QString path = QFile::decodeName(line);
    ASSERT_FALSE(path.isEmpty());
    EXPECT_TRUE(QFileInfo(path).isDir());
    ::kill(child, SIGINT);
    ::waitpid(child, nullptr, 0);
    QElapsedTimer clock;
    clock.start();
    while (QFileInfo::exists(path) && clock.elapsed() < 10000)
        QThread::msleep(20);
    EXPECT_FALSE(QFileInfo::exists(path));
}
