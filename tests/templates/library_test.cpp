#include "core/columns.h"
#include "core/session.h"
#include "core/table_names.h"
#include "templates/descriptions.h"
#include "templates/library_scan.h"
#include "templates/package.h"
#include "templates/template_names.h"
#include "tests/support/temp_tree.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace fotarel;
using namespace fotarel::test;

namespace {

QByteArray landscapeIni(int frames = 125)
{
    return descriptionIni("|heng|", "|0|", "|0|", 1, frames);
}

QStringList relative(const TempTree& t, const QStringList& paths)
{
    QStringList out;
    for (const QString& p : paths)
        out.append(p.mid(t.root().size() + 1));
    return out;
}

} // namespace

TEST(LibraryScan, WalksInNameOrderTakingOnlyRarOrUpperCaseRar)
{
    TempTree t;
    const QByteArray pkg = packPayload("x");
    for (const char* name : {"b.rar", "a.RAR", "c.Rar", "d.rAR", "e.txt", "sub/z.rar", "sub/deeper/y.rar", "f.rar"})
        t.write(QStringLiteral("lib/%1").arg(QString::fromLatin1(name)), pkg);
    EXPECT_EQ(relative(t, listPackages(t.path("lib"))),
              (QStringList{"lib/a.RAR", "lib/b.rar", "lib/f.rar", "lib/sub/deeper/y.rar", "lib/sub/z.rar"}));
    EXPECT_TRUE(listPackages(t.path("no-such-folder")).isEmpty());
}

TEST(LibraryScan, PairsTheIthDescriptionWithTheIthMovie)
{
    TempTree t;
    for (const char* name : {"t1", "t2", "t3"})
        addTemplate(t, QString::fromLatin1(name), landscapeIni());
    Session s;
    const ScanResult r = scanLibrary(s, WorkingFolder(t.root()));
    EXPECT_TRUE(r.unpackFolderReady);
    EXPECT_EQ(r.pairCount, 3);
    EXPECT_TRUE(r.skipped.isEmpty());
    EXPECT_EQ(s.table(tables::ScannedFiles).rowCount(), 6);
    EXPECT_EQ(s.table(tables::PairLines).lines(), (QStringList{"1=   0   1", "2=   2   3", "3=   4   5"}));
    EXPECT_TRUE(s.table(tables::PairDescriptions).lines().at(2).endsWith("wjj_02/t3.rar"));
    EXPECT_TRUE(s.table(tables::PairMovies).lines().at(2).endsWith("wjj_01/t3.rar"));
    EXPECT_TRUE(QFileInfo(t.path("smxcwjj/wj_0_or_2/wjj_00_j_y")).isDir());
}

TEST(LibraryScan, UnequalOrEmptyLibrariesPairWhatTheyCanAndReportTheRest)
{
    TempTree t;
    addTemplate(t, "t1", landscapeIni());
    t.write("smxcwjj/wj_0_or_2/wjj_02/t2.rar", packPayload(landscapeIni()));
    Session s;
    const ScanResult r = scanLibrary(s, WorkingFolder(t.root()));
    EXPECT_EQ(r.pairCount, 1);
    ASSERT_EQ(r.skipped.size(), 1);
    EXPECT_TRUE(r.skipped.first().file.endsWith("t2.rar"));

    TempTree empty;
    Session s2;
    const ScanResult none = scanLibrary(s2, WorkingFolder(empty.root()));
    EXPECT_EQ(none.pairCount, 0);
    EXPECT_EQ(s2.table(tables::PairLines).rowCount(), 0);
}

TEST(Descriptions, LoadEveryDescriptionIntoTheTemplateTable)
{
    TempTree t;
    addTemplate(t, "t1", descriptionIni("|heng|heng|", "|800|800|", "|600|600|", 2, 150, "横照两张", "多张效果"));
    // A description without mbdx gives an empty last cell.
    addTemplate(t, "t2", "[l_x_w_j_s_y]\nl_x_w_j_s_y=s_y_l_x\n[1]\nmblx=竖照\nszhz=|shu|\n");
    Session s;
    const WorkingFolder folder(t.root());
    scanLibrary(s, folder);
    // Leftovers of an earlier run disappear with the rescan.
    const DescriptionResult r = unpackAllDescriptions(s, folder);
    EXPECT_FALSE(r.markerFailure.has_value());
    EXPECT_TRUE(r.skipped.isEmpty());

    const Table& templates = s.table(tables::Templates);
    ASSERT_EQ(templates.rowCount(), 2);
    EXPECT_EQ(templates.row(0), (Row{"横照两张", "多张效果", "2", "|800|800|", "|600|600|", "|heng|heng|", "picture",
                                     s.table(tables::PairMovies).lines().at(0), "", "0", "150"}));
    EXPECT_EQ(templates.cell(1, TemplateCol::Type), "竖照");
    EXPECT_EQ(templates.cell(1, TemplateCol::PhotoCount), "");
    EXPECT_EQ(templates.cell(1, TemplateCol::PairNumber), "1");
    EXPECT_EQ(templates.cell(1, TemplateCol::FrameCount), "");
    EXPECT_EQ(templates.row(1).size(), 11);

    // The INI files are gone; the first pair's 22 intermediates stay.
    for (int n = 1; n <= 22; ++n)
        EXPECT_TRUE(t.exists(QStringLiteral("smxcwjj/wj_0_or_2/wjj_00_j_y/wjj_00_j_y1-%1.rar").arg(n))) << n;
    EXPECT_FALSE(t.exists("smxcwjj/wj_0_or_2/wjj_00_j_y/wjj_00_j_y1.ini"));
    EXPECT_FALSE(t.exists("smxcwjj/wj_0_or_2/wjj_00_j_y/wjj_00_j_y2.ini"));
}

TEST(Descriptions, CorruptPackagesAreSkippedAndTheOthersLoad)
{
    TempTree t;
    addTemplate(t, "t1", landscapeIni());
    t.write("smxcwjj/wj_0_or_2/wjj_02/t2.rar", "\xff\xff\xff\x7f not a package");
    t.write("smxcwjj/wj_0_or_2/wjj_01/t2.rar", packPayload("movie"));
    addTemplate(t, "t3", landscapeIni(200));
    Session s;
    const WorkingFolder folder(t.root());
    scanLibrary(s, folder);
    const DescriptionResult r = unpackAllDescriptions(s, folder);
    EXPECT_FALSE(r.markerFailure.has_value());
    ASSERT_EQ(r.skipped.size(), 1);
    EXPECT_TRUE(r.skipped.first().file.endsWith("t2.rar"));
    const Table& templates = s.table(tables::Templates);
    ASSERT_EQ(templates.rowCount(), 2);
    // Rows keep their pair number and their own movie.
    EXPECT_EQ(templates.cell(1, TemplateCol::PairNumber), "2");
    EXPECT_TRUE(templates.cell(1, TemplateCol::MoviePath).endsWith("wjj_01/t3.rar"));
    EXPECT_EQ(templates.cell(1, TemplateCol::FrameCount), "200");
}

TEST(Descriptions, AWrongOrMissingMarkerStopsTheLoading)
{
    struct Case {
        const char* what;
        QByteArray package; // raw bytes of the second description package
    };
    const Case cases[] = {
        {"wrong marker", packPayload("[l_x_w_j_s_y]\nl_x_w_j_s_y=wrong\n")},
        {"marker in another section", packPayload("[1]\nl_x_w_j_s_y=s_y_l_x\n")},
        // An empty file passes every layer unchanged: an empty INI, no marker.
        {"empty package", QByteArray()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempTree m;
        addTemplate(m, "t1", landscapeIni());
        m.write("smxcwjj/wj_0_or_2/wjj_02/t2.rar", c.package);
        m.write("smxcwjj/wj_0_or_2/wjj_01/t2.rar", packPayload("movie"));
        addTemplate(m, "t3", landscapeIni());
        Session s;
        const WorkingFolder folder(m.root());
        scanLibrary(s, folder);
        const DescriptionResult stop = unpackAllDescriptions(s, folder);
        ASSERT_TRUE(stop.markerFailure.has_value());
        EXPECT_TRUE(stop.markerFailure->endsWith("wjj_02/t2.rar"));
        EXPECT_EQ(s.table(tables::Templates).rowCount(), 1);
    }
}

TEST(TemplateNames, AProjectsNameOrOldPathFindsTheTemplateInThisLibrary)
{
    // The library as this program reads it: one template at the top, one in
    // a subfolder, and its data in a folder apart from the working tree.
    TempTree data;
    TempTree work;
    addTemplate(data, "a1", landscapeIni());
    data.write("smxcwjj/wj_0_or_2/wjj_02/more/b2.rar", packPayload(landscapeIni()));
    data.write("smxcwjj/wj_0_or_2/wjj_01/more/b2.rar", packPayload("movie"));
    Session s;
    const WorkingFolder folder(data.root(), work.root());
    scanLibrary(s, folder);
    unpackAllDescriptions(s, folder);
    const Table& templates = s.table(tables::Templates);
    ASSERT_EQ(templates.rowCount(), 2);
    const int a1 = templates.cell(0, TemplateCol::MoviePath).endsWith("a1.rar") ? 0 : 1;
    const int b2 = 1 - a1;
    EXPECT_EQ(templateName(templates.cell(a1, TemplateCol::MoviePath)), "a1.rar");
    EXPECT_EQ(templateName(templates.cell(b2, TemplateCol::MoviePath)), "more/b2.rar");

    const struct {
        const char* saved;
        int row;
    } cases[] = {
        {"a1.rar", a1},
        {"more/b2.rar", b2},
        // Paths an older program saved, from wherever it was.
        {"/opt/old/bin/smxcwjj/wj_0_or_2/wjj_01/a1.rar", a1},
        {"C:\\Fotarel\\smxcwjj\\wj_0_or_2\\wjj_01\\more\\b2.rar", b2},
        // Moved to another subfolder since: found by its file name.
        {"other/b2.rar", b2},
        {"/somewhere/else/a1.rar", a1},
        {"zz.rar", -1},
        {"", -1},
        {"../../../etc/passwd", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(findTemplate(s, c.saved), c.row) << c.saved;
}
