// Every shipped template meets the movie contract: the marker, "picture_0"
// after the loads, frame and slot counts as its description says, the
// carry-over picture at frame 0, each slot's picture where it is fully
// shown, and no blank frame in the middle. The installed library loads
// through the start-up's scan, description and classification code.
#include "tools/templatec/compile.h"
#include "tools/templatec/description.h"
#include "tools/templatec/movie.h"
#include "tools/templatec/preview.h"

#include "swf/movie.h"

#include "core/columns.h"
#include "core/session.h"
#include "core/table_names.h"
#include "core/working_folder.h"
#include "templates/classification.h"
#include "templates/descriptions.h"
#include "templates/ini_file.h"
#include "templates/library_scan.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <cmath>

using namespace fotarel;
using namespace fotarel::templatec;

namespace {

QStringList sourceFiles()
{
    return QDir(QStringLiteral(FOTAREL_LIBRARY_SOURCES)).entryList({QStringLiteral("*.tpl")}, QDir::Files, QDir::Name);
}

// Parameters are std::string so test messages print the file name.
std::vector<std::string> sourceVector()
{
    std::vector<std::string> out;
    for (const QString& f : sourceFiles())
        out.push_back(f.toStdString());
    return out;
}

// What a template's file name promises: the class prefix and photo count.
struct Intent {
    QString cls; // heng, shu, shuheng, gaojimoban; empty for the ending
    int photos = 0;
    bool fullFrame = false;
};

Intent intentOf(const QString& file)
{
    static const std::map<QString, Intent> prefixes{
        {"h1", {"heng", 1, true}},   {"s1", {"shu", 1, true}}, {"b1", {"shuheng", 1, false}},
        {"h2", {"heng", 2, false}},  {"h3", {"heng", 3, false}}, {"h4", {"heng", 4, false}},
        {"s2", {"shu", 2, false}},   {"s3", {"shu", 3, false}}, {"g2", {"gaojimoban", 2, false}},
        {"g3", {"gaojimoban", 3, false}}, {"pw", {"heng", 1, false}}, {"pt", {"shu", 1, false}},
        {"end", {"", 0, false}}};
    const auto it = prefixes.find(file.section('_', 0, 0));
    return it == prefixes.end() ? Intent{"?", -1, false} : it->second;
}

// Hue distance in degrees.
int hueDistance(QColor a, QColor b)
{
    const int d = std::abs(a.hsvHue() - b.hsvHue()) % 360;
    return std::min(d, 360 - d);
}

// Share of points of a grid around (cx, cy) (stage pixels, spread over
// w x h) whose colour has the hue of `want`.
double hueShare(const QImage& img, double cx, double cy, double w, double h, QColor want)
{
    const double sx = img.width() / double(kStageWidth), sy = img.height() / double(kStageHeight);
    int hits = 0, total = 0;
    for (int j = -2; j <= 2; ++j)
        for (int i = -2; i <= 2; ++i) {
            const int x = int((cx + i * w / 5) * sx), y = int((cy + j * h / 5) * sy);
            if (x < 0 || y < 0 || x >= img.width() || y >= img.height())
                continue;
            const QColor c = img.pixelColor(x, y);
            ++total;
            if (c.hsvSaturation() > 60 && c.value() > 40 && hueDistance(c, want) < 25)
                ++hits;
        }
    return total ? hits / double(total) : 0;
}

struct Stats {
    double mean = 0, spread = 0;
};

Stats luminance(const QImage& img)
{
    double sum = 0, sq = 0;
    const int n = img.width() * img.height();
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const double l = qGray(img.pixel(x, y));
            sum += l;
            sq += l * l;
        }
    const double mean = sum / n;
    return {mean, std::sqrt(std::max(0.0, sq / n - mean * mean))};
}

// Mean absolute difference per channel of two pictures of the same size.
double meanDifference(const QImage& a, const QImage& b)
{
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * a.width() * a.height());
}

class ShippedTemplate : public ::testing::TestWithParam<std::string> {};

} // namespace

TEST(TemplateLibrary, CoversEveryClass)
{
    std::map<QString, int> perPrefix;
    for (const QString& f : sourceFiles())
        ++perPrefix[f.section('_', 0, 0)];
    for (const char* p : {"h1", "s1", "b1", "h2", "h3", "h4", "s2", "s3", "g2", "pw", "pt", "end"})
        EXPECT_GE(perPrefix[p], 1) << "no template of kind " << p;
    EXPECT_EQ(perPrefix["end"], 1);
}

TEST_P(ShippedTemplate, MeetsTheMovieContract)
{
    const QString file = QString::fromStdString(GetParam());
    const Scene s = loadScene(QStringLiteral(FOTAREL_LIBRARY_SOURCES) + "/" + file);
    const Intent intent = intentOf(file);
    ASSERT_NE(intent.photos, -1) << "unknown file name prefix";

    // The description.
    if (!s.ending) {
        const IniFile ini = IniFile::fromBytes(descriptionIni(s));
        EXPECT_EQ(ini.value("l_x_w_j_s_y", "l_x_w_j_s_y"), "s_y_l_x");
        EXPECT_EQ(ini.value("1", "xpsl").toInt(), intent.photos);
        EXPECT_EQ(classifySlots(ini.value("1", "szhz")), intent.cls);
        EXPECT_EQ(ini.value("1", "xpkd").count('|'), intent.photos + 1);
        EXPECT_EQ(ini.value("1", "xpgd").count('|'), intent.photos + 1);
        EXPECT_EQ(ini.value("1", "mbdx").toInt(), s.frames);
        EXPECT_FALSE(ini.value("1", "mblx").isEmpty());
        EXPECT_FALSE(ini.value("1", "mbfl").isEmpty());
        EXPECT_GE(s.frames, 125);
        EXPECT_LE(s.frames, 250);
        for (const Slot& sl : s.photoSlots)
            EXPECT_EQ(sl.fullFrame(), intent.fullFrame);
    } else {
        EXPECT_EQ(s.frames, 100);
    }

    // The movie: a plain compressed SWF 8 file the reader takes without a
    // skipped or repaired tag.
    const QByteArray movie = compileMovie(s);
    const swf::ParseResult parsed = swf::parseMovie(movie);
    ASSERT_TRUE(parsed.movie) << parsed.error.toStdString();
    EXPECT_TRUE(parsed.log.isEmpty()) << parsed.log.join('\n').toStdString();
    EXPECT_EQ(parsed.movie->signature, 'C');
    EXPECT_EQ(parsed.movie->version, 8);
    EXPECT_EQ(parsed.movie->frameRate, 25.0);
    EXPECT_EQ(parsed.movie->frameSize.width(), kStageWidth * 20);
    EXPECT_EQ(parsed.movie->frameSize.height(), kStageHeight * 20);
    EXPECT_EQ(parsed.movie->frameCount, s.frames);

    // Played as the renderer plays it.
    TemplateRun run(s, movie);
    ASSERT_TRUE(run.ok()) << run.error().toStdString();
    EXPECT_EQ(run.commands(), QStringList{"picture_0"});
    EXPECT_LE(run.ticksToPicture0(), 2); // the loads complete at the first tick
    EXPECT_EQ(run.player().getVariable("l_x_z_f_c"), QString("l_x_z_f_c_s_y_w_j"));
    EXPECT_EQ(run.player().totalFrames(), s.frames);
    EXPECT_EQ(run.player().getVariable("wm._alpha").value_or("?").toDouble(), 0) << "xc_alpha must hide the watermark";

    const QSize small(192, 108);
    const QImage first = run.frame(0, small);
    EXPECT_GT(hueShare(first, 960, 540, 1700, 900, sampleColour(0)), 0.8) << "carry-over picture at frame 0";
    // Frame 0 is the carry-over picture itself, so templates flow without a cut.
    const QImage carry = samplePicture(kStageWidth, kStageHeight, sampleColour(0), 0)
                             .scaled(small, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                             .convertToFormat(QImage::Format_RGB32);
    EXPECT_LT(meanDifference(first.convertToFormat(QImage::Format_RGB32), carry), 6) << "frame 0 differs from the carry-over";

    // No blank or black frame in the middle (the ending may close on black).
    const int lastChecked = s.ending ? s.frames / 2 : s.frames - 1;
    for (int f = s.frames / 10; f <= lastChecked; f += std::max(1, s.frames / 10)) {
        const Stats st = luminance(run.frame(f, small));
        EXPECT_GT(st.mean, 25) << "dark frame " << f;
        EXPECT_GT(st.spread, 8) << "flat frame " << f;
    }

    // Each slot's picture where it is fully shown, around its centre.
    for (const auto& [slot, frame] : s.showFrames) {
        const QImage img = run.frame(frame, QSize(384, 216));
        const Slot& sl = s.photoSlots[size_t(slot - 1)];
        const Layer* layer = nullptr;
        for (const Layer& l : s.layers)
            if (l.kind == LayerKind::Photo && l.slot == slot)
                layer = &l;
        ASSERT_NE(layer, nullptr) << "slot " << slot << " has no photo layer";
        const double scale = layerValue(*layer, Prop::Scale, frame);
        const double w = (sl.fullFrame() ? 1440 : sl.width) * scale * 0.6, h = (sl.fullFrame() ? 1080 : sl.height) * scale * 0.4;
        EXPECT_GT(hueShare(img, layerValue(*layer, Prop::X, frame), layerValue(*layer, Prop::Y, frame), w, h, sampleColour(slot)),
                  0.6)
            << "slot " << slot << " at frame " << frame;
    }
}

TEST_P(ShippedTemplate, PlaysWithoutCarryOverAndWithOtherPictureSizes)
{
    const QString file = QString::fromStdString(GetParam());
    const Scene s = loadScene(QStringLiteral(FOTAREL_LIBRARY_SOURCES) + "/" + file);
    const QByteArray movie = compileMovie(s);
    // The first template of an album has no carry-over picture yet.
    TemplateRun noCarry(s, movie, {1440, 1080}, false);
    ASSERT_TRUE(noCarry.ok()) << noCarry.error().toStdString();
    EXPECT_EQ(noCarry.commands(), QStringList{"picture_0"});
    if (!intentOf(file).fullFrame)
        return;
    // Full-frame pictures of any size are centred on the stage.
    for (const QSize size : {QSize(1920, 1080), QSize(810, 1080), QSize(1080, 1080)}) {
        TemplateRun run(s, movie, size);
        ASSERT_TRUE(run.ok()) << run.error().toStdString();
        const int frame = s.showFrames.at(1);
        const QImage img = run.frame(frame, QSize(384, 216));
        EXPECT_GT(hueShare(img, 960, 540, size.width() * 0.5, size.height() * 0.4, sampleColour(1)), 0.6)
            << size.width() << "x" << size.height();
    }
}

INSTANTIATE_TEST_SUITE_P(Library, ShippedTemplate, ::testing::ValuesIn(sourceVector()),
                         [](const ::testing::TestParamInfo<std::string>& i) {
                             return i.param.substr(0, i.param.size() - 4);
                         });

TEST(CompileLibrary, PairsStayInStepWhenTemplatesComeAndGo)
{
    QTemporaryDir tmp;
    const QString src = tmp.path() + "/library", work = tmp.path() + "/smxcwjj";
    QDir().mkpath(src);
    auto write = [&](const QString& name, const QString& text) {
        QFile f(src + "/" + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.toUtf8());
    };
    const QString body = "type t\ncategory c\nframes 130\nslot 0 0 heng\nshow 1 10\nlayer carry\nlayer photo 1\n";
    write("a.tpl", body);
    write("b.tpl", body);
    write("z_end.tpl", "type e\ncategory e\nframes 100\nending\nlayer carry\n");
    write("notes.txt", "not a template");
    EXPECT_EQ(compileLibrary(src, work, tmp.path() + "/raw"), 2);
    const QStringList both{"a.rar", "b.rar"};
    EXPECT_EQ(QDir(work + "/wj_0_or_2/wjj_02").entryList(QDir::Files), both);
    EXPECT_EQ(QDir(work + "/wj_0_or_2/wjj_01").entryList(QDir::Files), both);
    EXPECT_TRUE(QFileInfo::exists(work + "/wj_0_or_1/wj_1.rar"));
    EXPECT_TRUE(QFileInfo::exists(tmp.path() + "/raw/a.swf"));
    EXPECT_TRUE(QFileInfo::exists(tmp.path() + "/raw/a.ini"));

    // A template taken out of the library takes both its packages along.
    QFile::remove(src + "/a.tpl");
    EXPECT_EQ(compileLibrary(src, work), 1);
    EXPECT_EQ(QDir(work + "/wj_0_or_2/wjj_02").entryList(QDir::Files), QStringList{"b.rar"});
    EXPECT_EQ(QDir(work + "/wj_0_or_2/wjj_01").entryList(QDir::Files), QStringList{"b.rar"});

    // A broken source stops the build with its file and line.
    write("c.tpl", body + "layer photo 3\n");
    try {
        compileLibrary(src, work);
        ADD_FAILURE() << "a broken source compiled";
    } catch (const SourceError& e) {
        EXPECT_NE(std::string(e.what()).find("c.tpl:8: slot 3 does not exist"), std::string::npos) << e.what();
    }
}

TEST(InstalledLibrary, LoadsThroughTheStartUpCode)
{
    const QString installed = QStringLiteral(FOTAREL_INSTALLED_LIBRARY);
    ASSERT_TRUE(QFileInfo::exists(installed + "/wj_0_or_1/wj_1.rar")) << "build the template_library target";
    QTemporaryDir tmp;
    const QString work = tmp.path() + "/smxcwjj";
    for (const char* sub : {"wj_0_or_2/wjj_01", "wj_0_or_2/wjj_02"}) {
        QDir().mkpath(work + "/" + sub);
        for (const QString& f : QDir(installed + "/" + sub).entryList(QDir::Files))
            ASSERT_TRUE(QFile::copy(installed + "/" + sub + "/" + f, work + "/" + sub + "/" + f));
    }
    Session session;
    const WorkingFolder folder(tmp.path());
    const ScanResult scan = scanLibrary(session, folder);
    EXPECT_TRUE(scan.skipped.isEmpty());
    const DescriptionResult d = unpackAllDescriptions(session, folder);
    ASSERT_FALSE(d.markerFailure.has_value());
    EXPECT_TRUE(d.skipped.isEmpty());
    classifyTemplates(session);

    QStringList expected;
    for (const QString& f : sourceFiles())
        if (intentOf(f).cls != "")
            expected << f;
    const Table& t = session.table(tables::Templates);
    ASSERT_EQ(t.rowCount(), expected.size());
    for (int r = 0; r < t.rowCount(); ++r) {
        const QString name = expected[r];
        const Scene s = loadScene(QStringLiteral(FOTAREL_LIBRARY_SOURCES) + "/" + name);
        EXPECT_EQ(t.cell(r, TemplateCol::Class), intentOf(name).cls) << name.toStdString();
        EXPECT_EQ(t.cell(r, TemplateCol::FrameCount), QString::number(s.frames)) << name.toStdString();
        EXPECT_TRUE(t.cell(r, TemplateCol::MoviePath).endsWith(s.name + ".rar")) << name.toStdString();
        EXPECT_EQ(t.cell(r, TemplateCol::Type), s.type);
    }
}
