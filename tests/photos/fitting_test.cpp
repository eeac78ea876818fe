// Automatic fitting with fixed draws.
#include "core/table_names.h"
#include "photos/fitting.h"
#include "photos/photo_columns.h"
#include "tests/photos/photo_fixture.h"

#include <gtest/gtest.h>

using namespace fotarel;
using namespace fotarel::test;

namespace {

// Pair numbers follow name order: a_h1 0, b_h2 1, c_h3 2, d_s1 3, e_s2 4, f_x2 5.
// Landscape list: h1, h2, h3, x2. Portrait list: s1, s2, x2.
struct FitRun : PhotoRun {
    explicit FitRun(bool panTemplates = false)
    {
        addTemplate("a_h1", "|heng|", "|0|", "|0|", 1);
        addTemplate("b_h2", "|heng|heng|", "|400|410|", "|300|310|", 2);
        addTemplate("c_h3", "|heng|heng|heng|", "|1|2|3|", "|1|2|3|", 3);
        addTemplate("d_s1", "|shu|", "|0|", "|0|", 1);
        addTemplate("e_s2", "|shu|shu|", "|300|310|", "|400|410|", 2);
        addTemplate("f_x2", "|shuheng|shuheng|", "|500|600|", "|300|400|", 2);
        if (panTemplates) {
            // A 5 : 1 and a 3 : 1 landscape slot, a 1 : 3 portrait slot.
            addTemplate("g_pw5", "|heng|", "|5400|", "|1080|", 1);
            addTemplate("h_pw3", "|heng|", "|3240|", "|1080|", 1);
            addTemplate("i_pt3", "|shu|", "|1080|", "|3240|", 1);
        }
        loadLibrary();
    }

    // A batch whose orientations are given as "L" and "S".
    void fit(const QString& orientations, std::deque<int> draws)
    {
        QList<QSize> sizes;
        for (QChar o : orientations)
            sizes << (o == 'S' ? QSize(30, 40) : QSize(40, 30));
        fit(sizes, std::move(draws));
    }

    // A batch of photos of these arranged sizes.
    void fit(const QList<QSize>& sizes, std::deque<int> draws)
    {
        Table& batch = session.table(photo_tables::Batch);
        batch.clear();
        for (int i = 0; i < sizes.size(); ++i) {
            const QSize s = sizes.at(i);
            Row row{QString::number(i + 1), QStringLiteral("/p/%1.jpg").arg(i), QString::number(i), ".jpg",
                    QString::number(s.width()), QString::number(s.height()),
                    s.width() < s.height() ? "shu_zhao" : "heng_zhao"};
            for (int k = 0; k < 13; ++k)
                row << QString();
            batch.appendRow(row);
        }
        random.script = std::move(draws);
        random.asked.clear();
        fitBatch(session, random);
    }
};

} // namespace

TEST(Fitting, ABatchOfOneIsAGroupOfItsOwnWithASinglePhotoTemplate)
{
    FitRun run;
    run.fit("S", {});
    ASSERT_EQ(run.session.table(photo_tables::Photos).rowCount(), 1);
    const Row row = run.session.table(photo_tables::Photos).row(0);
    EXPECT_EQ(row.mid(7), (QStringList{"1", "3", "picture_1", "1", "picture_1", row.value(12), "0", "0", "|0|", "|0|",
                                       "|shu|", "picture", "100", "jiancai_no", "jiancai_no", "", ""}));
    EXPECT_TRUE(row.value(12).endsWith("d_s1.rar"));
    EXPECT_EQ(run.session.get("Edit_mobanleijia_sum"), "1");
    EXPECT_EQ(run.random.asked, (std::vector<int>{1})); // only the single-photo portrait template
    EXPECT_EQ(run.session.table(tables::PortraitCandidates).rowCount(), 1);
}

TEST(Fitting, SmallBatchesMakeOneGroupPerPhotoAndTheCounterRunsOnAcrossBatches)
{
    FitRun run;
    run.fit("LLLL", {});
    EXPECT_EQ(run.column(PhotoCol::Group), (QStringList{"1", "2", "3", "4"}));
    EXPECT_EQ(run.column(PhotoCol::Label), (QStringList{"picture_1", "picture_1", "picture_1", "picture_1"}));
    // The next batch goes on from 4 and never adds to existing groups.
    run.fit("LLLLL", {1, 0});
    EXPECT_EQ(run.column(PhotoCol::Group).mid(4), (QStringList{"5", "5", "6", "7", "8"}));
    EXPECT_EQ(run.session.get("Edit_mobanleijia_sum"), "8");
}

TEST(Fitting, FillsAndLeftoverFallbacksWithTheirLandscapePortraitAsymmetry)
{
    struct Case {
        const char* what;
        QString orientations;
        std::deque<int> draws;
        QStringList labels;
        QStringList groups;
        QStringList pictures;
    };
    const Case cases[] = {
        // Landscape: h2 takes photos 1 and 2, h2 again takes 3 and 4, then h2
        // needs 2 with 1 left: a single-photo template from the leftovers list.
        {"landscape fill and fallback", "LLLLL", {1, 1, 1, 0},
         {"picture_1  heng", "picture_2  heng", "picture_1  heng", "picture_2  heng", "picture_1he不成立"},
         {"1", "1", "2", "2", "3"}, {"picture_1", "picture_2", "picture_1", "picture_2", "picture_1"}},
        // A landscape template that uses up exactly the remaining landscape
        // photos is filled ("need > i" fails): photos 4 and 5.
        {"landscape exact fit is filled", "SSSLL", {1, 0, 1},
         {"picture_1  shu", "picture_2  shu", "picture_1s", "picture_1  heng", "picture_2  heng"},
         {"1", "1", "2", "3", "3"}, {"picture_1", "picture_2", "picture_1", "picture_1", "picture_2"}},
        // A portrait template that would use up exactly the remaining
        // portrait photos is not ("need >= j"): single-photo templates.
        {"portrait exact fit falls back", "LLLSS", {1, 0, 1, 0, 1, 0},
         {"picture_1  heng", "picture_2  heng", "picture_1h", "picture_1sh不成立", "picture_1sh不成立"},
         {"1", "1", "2", "3", "4"}, {"picture_1", "picture_2", "picture_1", "picture_1", "picture_1"}},
        // The fill skips photos of the other orientation in between.
        {"fill skips the other orientation", "LSLSS", {1, 1, 1, 0},
         {"picture_1  heng", "picture_1  shu", "picture_2  heng", "picture_2  shu", "picture_1sh不成立"},
         {"1", "2", "1", "2", "3"}, {"picture_1", "picture_1", "picture_2", "picture_2", "picture_1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FitRun run;
        run.fit(c.orientations, c.draws);
        EXPECT_EQ(run.column(PhotoCol::Label), c.labels);
        EXPECT_EQ(run.column(PhotoCol::Group), c.groups);
        EXPECT_EQ(run.column(PhotoCol::PictureName), c.pictures);
        EXPECT_EQ(run.session.get("Edit_mobanleijia_sum"), c.groups.last());
    }
}

TEST(Fitting, ShuhengTemplatesFillLandscapeAndPortraitPhotosInSlotOrder)
{
    FitRun run;
    // x2 is row 2 of both candidate lists for batches of 5 .. 11.
    run.fit("LLLSSS", {2, 0, 2, 0});
    EXPECT_EQ(run.column(PhotoCol::Label), (QStringList{"picture_1  heng", "picture_2  heng", "picture_1h",
                                                        "picture_1  shu", "picture_2  shu", "picture_1s"}));
    EXPECT_EQ(run.column(PhotoCol::PairNumber), (QStringList{"5", "5", "0", "5", "5", "3"}));
    EXPECT_EQ(run.column(PhotoCol::SlotWidth), (QStringList{"500", "600", "0", "500", "600", "0"}));
    EXPECT_EQ(run.column(PhotoCol::SlotHeight), (QStringList{"300", "400", "0", "300", "400", "0"}));
}

TEST(Fitting, CandidatesDependOnTheBatchSize)
{
    auto names = [](const Table& t) {
        QStringList out;
        for (int r = 0; r < t.rowCount(); ++r)
            out << t.cell(r, 7).section('/', -1);
        return out;
    };
    struct Case {
        int size;
        QStringList landscape;
        QStringList singles;
    };
    for (const Case& c : {Case{4, {"a_h1.rar"}, {}}, Case{11, {"a_h1.rar", "b_h2.rar", "f_x2.rar"}, {"a_h1.rar"}},
                          Case{12, {"a_h1.rar", "b_h2.rar", "c_h3.rar", "f_x2.rar"}, {"a_h1.rar"}}}) {
        FitRun run;
        run.fit(QString(c.size, 'L'), {});
        EXPECT_EQ(names(run.session.table(tables::LandscapeCandidates)), c.landscape) << c.size;
        EXPECT_EQ(names(run.session.table(tables::LandscapeSingleCandidates)), c.singles) << c.size;
    }
}

TEST(Fitting, ShortageOfTemplatesIsFoundBeforeAnythingChanges)
{
    PhotoRun run;
    run.addTemplate("a_h1", "|heng|", "|0|", "|0|", 1);
    run.addTemplate("b_s2", "|shu|shu|", "|1|1|", "|1|1|", 2);
    run.loadLibrary();
    EXPECT_EQ(fittingShortage(run.session, 3, true, false), QString());
    EXPECT_EQ(fittingShortage(run.session, 3, true, true), "模板库中没有可用于竖照片的单张模板，不能添加相片！");
    // Five or more photos could draw the two-photo portrait template, but
    // its leftovers would have no single-photo template.
    EXPECT_FALSE(fittingShortage(run.session, 6, false, true).isEmpty());
}

TEST(Fitting, PanoramasAndTallPhotosPanAcrossTheNearestPanTemplate)
{
    FitRun run(true);
    struct Case {
        const char* what;
        QList<QSize> photos;
        std::deque<int> draws;
        QStringList templates; // the movie each photo gets, in order
        QStringList groups;
    };
    const Case cases[] = {
        {"one of each in a small batch", {{6000, 1000}, {4000, 3000}, {2800, 1000}, {1000, 3100}},
         {}, {"g_pw5", "a_h1", "h_pw3", "i_pt3"}, {"1", "2", "3", "4"}},
        // 2.1 : 1 is no panorama. A two-photo fill skips the panorama
        // between its photos, which keeps its own group in album order.
        {"a fill goes around a panorama", {{4000, 3000}, {7000, 1000}, {2100, 1000}, {40, 30}, {40, 30}},
         {1, 0, 0}, {"b_h2", "g_pw5", "b_h2", "a_h1", "a_h1"}, {"1", "2", "1", "3", "4"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        run.session.table(photo_tables::Photos).clear();
        run.session.set("Edit_mobanleijia_sum", "0");
        run.fit(c.photos, c.draws);
        QStringList templates;
        for (const QString& movie : run.column(PhotoCol::MoviePackage))
            templates << templateShortName(movie);
        EXPECT_EQ(templates, c.templates);
        EXPECT_EQ(run.column(PhotoCol::Group), c.groups);
    }
    // Pan templates are never drawn for other photos.
    for (int pick = 0; pick < 4; ++pick) {
        run.session.table(photo_tables::Photos).clear();
        run.fit(QList<QSize>(12, QSize(40, 30)), std::deque<int>(40, pick));
        for (const QString& movie : run.column(PhotoCol::MoviePackage))
            EXPECT_FALSE(templateShortName(movie).contains("_p")) << pick;
    }
}
