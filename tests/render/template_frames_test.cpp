// Every shipped template paints the same pictures as the stored reference
// frames (PSNR >= 45 dB). The player's painting is made faster by caching
// and skipping work; this test holds it to the pictures it painted before.
//
// Each template plays from its first frame to its last with sample
// pictures, as in an album; at a few moments it is painted at 480 × 270,
// and the frame before each moment is painted too, so that whatever the
// painter keeps from one frame to the next is in use when the moment is
// compared. Each compared frame is also painted with nothing left out
// for being hidden, which must give the same picture: gradients cut where
// a hidden area begins may round a pixel there by one step, no more.
//
// The references are tests/render/data/template_frames/<template>_<frame>.png.
// After an intended change of the painted pictures, write them again with
//   FOTAREL_UPDATE_TEMPLATE_FRAMES=1 build/bin/render_frames_tests
// and look at the changed files before committing them.
#include "tests/support/image_compare.h"
#include "tools/templatec/movie.h"
#include "tools/templatec/preview.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include <cctype>
#include <set>

using namespace fotarel;
using namespace fotarel::templatec;

namespace {

const QSize kSize(480, 270);
constexpr double kMinimumPsnr = 45.0;

QString referenceDir() { return QStringLiteral(FOTAREL_TEMPLATE_FRAMES); }

bool updating() { return qEnvironmentVariableIntValue("FOTAREL_UPDATE_TEMPLATE_FRAMES") == 1; }

std::vector<std::string> templateFiles()
{
    std::vector<std::string> out;
    for (const QString& f :
         QDir(QStringLiteral(FOTAREL_LIBRARY_SOURCES)).entryList({QStringLiteral("*.tpl")}, QDir::Files, QDir::Name))
        out.push_back(f.toStdString());
    return out;
}

// The compared moments of a template of `frames` frames: early in its
// opening, its middle, late, and its last frame.
std::set<int> moments(int frames)
{
    const int last = std::max(0, frames - 1);
    return {std::min(last, 6), last * 2 / 5, last * 3 / 4, last};
}

class TemplateFrames : public ::testing::TestWithParam<std::string> {};

TEST_P(TemplateFrames, MatchStoredReferences)
{
    const QString file = QString::fromStdString(GetParam());
    const Scene scene = loadScene(QDir(QStringLiteral(FOTAREL_LIBRARY_SOURCES)).filePath(file));
    // Full-frame photos as the contact sheets give them: portrait for a
    // single portrait slot, landscape otherwise.
    const QSize full = scene.photoSlots.size() == 1 && scene.photoSlots[0].orientation == "shu" ? QSize(810, 1080)
                                                                                                : QSize(1440, 1080);
    TemplateRun run(scene, compileMovie(scene), full);
    ASSERT_TRUE(run.ok()) << run.error().toStdString();

    const std::set<int> compared = moments(scene.frames);
    std::set<int> painted;
    for (int m : compared) {
        painted.insert(m);
        if (m > 0)
            painted.insert(m - 1);
    }
    const QString stem = QFileInfo(file).completeBaseName();
    for (int f = 0; f <= *compared.rbegin(); ++f) {
        if (run.player().frameNum() != f)
            run.player().setFrameNum(f);
        if (!painted.count(f))
            continue;
        const QImage picture = run.player().paint(kSize);
        if (!compared.count(f))
            continue;
        const QString reference = QStringLiteral("%1/%2_%3.png").arg(referenceDir(), stem).arg(f, 3, 10, QChar('0'));
        if (updating()) {
            QDir().mkpath(referenceDir());
            ASSERT_TRUE(picture.convertToFormat(QImage::Format_RGB888).save(reference, "PNG", 0)) << reference.toStdString();
            continue;
        }
        const QImage stored(reference, "PNG");
        ASSERT_FALSE(stored.isNull()) << "no reference " << reference.toStdString();
        EXPECT_GE(test::psnr(stored, picture), kMinimumPsnr) << stem.toStdString() << " frame " << f;
        // Leaving out what opaque objects hide changes no pixel beyond a
        // rounding step: the same frame painted in full is the same picture.
        run.player().renderer().setSkipHidden(false);
        const QImage everything = run.player().paint(kSize);
        run.player().renderer().setSkipHidden(true);
        EXPECT_LE(test::largestDifference(everything, picture), 1)
            << stem.toStdString() << " frame " << f << ": PSNR " << test::psnr(everything, picture)
            << " dB against the full painting";
    }
}

INSTANTIATE_TEST_SUITE_P(Library, TemplateFrames, ::testing::ValuesIn(templateFiles()),
                         [](const ::testing::TestParamInfo<std::string>& param) {
                             std::string name = param.param.substr(0, param.param.find('.'));
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

} // namespace
