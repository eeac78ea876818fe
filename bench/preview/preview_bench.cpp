// Preview and browser benchmark.
//
//   preview_bench [rounds]
//
// Copies the template library beside the program (build/bin/smxcwjj, made by
// the template_library target) into a temporary program folder, makes four
// 24-megapixel photos (6000 x 4000), imports them with the real import, then
// measures side by side in one run:
//   - the template preview's start: preparing the preview folder, loading
//     the group's movie with its pictures and painting the first frame,
//     against one second of the preview playing (25 frames at 800 x 450);
//   - the photo browser's cell of a 24-megapixel photo (decoded at the size
//     shown, through the DCT scaling of libjpeg-turbo) at the default box
//     and at the largest zoom, against decoding the whole photo and scaling
//     it down (what a browser without scaled decoding does).
// Prints the best time of each over the rounds (default 3; for the preview
// the slowest photo's best) and the ratios.
#include "bench/quiet_ui.h"
#include "core/file_tree.h"
#include "core/session.h"
#include "core/working_folder.h"
#include "engine/startup.h"
#include "engine/ui_port.h"
#include "photos/browser.h"
#include "photos/import.h"
#include "photos/jpeg_codec.h"
#include "photos/photo_columns.h"
#include "photos/photo_context.h"
#include "photos/preview.h"
#include "photos/random_source.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <limits>
#include <vector>

namespace {

using namespace fotarel;

using bench::QuietUi;

QString makePhoto(const QString& folder, int i)
{
    QImage image(6000, 4000, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, 6000, 4000);
    g.setColorAt(0, QColor::fromHsv((i * 70) % 360, 200, 230));
    g.setColorAt(1, QColor::fromHsv((i * 70 + 150) % 360, 180, 90));
    p.fillRect(image.rect(), g);
    p.setPen(QPen(Qt::white, 40));
    for (int k = 0; k < 40; ++k)
        p.drawEllipse(QPoint(150 * k, 100 * k % 4000), 300 + 20 * k, 200 + 10 * k);
    p.end();
    const QString path = folder + QStringLiteral("/photo_%1.jpg").arg(i);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(encodeJpeg(image, 90));
    return path;
}

double timeMs(const std::function<void()>& work)
{
    QElapsedTimer clock;
    clock.start();
    work();
    return double(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    const QString library = QCoreApplication::applicationDirPath() + QStringLiteral("/smxcwjj");
    QTemporaryDir program;
    if (!QDir(library).exists() || !copyTree(library + QStringLiteral("/wj_0_or_2"), program.path() + "/smxcwjj/wj_0_or_2") ||
        !copyTree(library + QStringLiteral("/wj_0_or_1"), program.path() + "/smxcwjj/wj_0_or_1")) {
        std::fprintf(stderr, "no template library beside the program: build the template_library target\n");
        return 1;
    }
    Session session;
    WorkingFolder folder(program.path());
    QuietUi ui;
    if (loadTemplateLibrary(session, folder, ui).outcome != StartupOutcome::Ready)
        return 1;
    QDir().mkpath(program.path() + "/photos");
    QStringList photos;
    for (int i = 0; i < 4; ++i)
        photos << makePhoto(program.path() + "/photos", i);
    ClockRandom random;
    PhotoContext context{session, folder, ui, random, nullptr, {}, {std::chrono::milliseconds(0), std::chrono::milliseconds(0), 0}};
    importPhotos(context, photos);
    const int rows = session.table(photo_tables::Photos).rowCount();
    if (rows == 0)
        return 1;

    constexpr double kMax = std::numeric_limits<double>::max();
    std::vector<double> start(size_t(rows), kMax), second(size_t(rows), kMax);
    double cellDefault = kMax, cellLarge = kMax, whole = kMax;
    for (int round = 0; round < rounds; ++round) {
        for (int row = 0; row < rows; ++row) {
            // Preview start: prepare, load, first frame.
            std::unique_ptr<preview::Playback> playback;
            QImage frame;
            start[size_t(row)] = std::min(start[size_t(row)], timeMs([&] {
                playback = std::make_unique<preview::Playback>(session, folder, preview::prepare(session, folder, row));
                playback->play();
                playback->step(frame);
            }));
            if (frame.isNull() || playback->phase() != preview::Playback::Phase::Group) {
                std::fprintf(stderr, "the preview of photo %d did not play (%d frames)\n", row + 1, playback->totalFrames());
                return 1;
            }
            // One second of playing: 25 more frames.
            second[size_t(row)] = std::min(second[size_t(row)], timeMs([&] {
                for (int f = 0; f < preview::kFramesPerSecond; ++f)
                    playback->step(frame);
            }));
        }
        for (const QString& photo : photos) {
            cellDefault = std::min(cellDefault, timeMs([&] { browser::renderCell(photo, browser::kDefaultBox); }));
            cellLarge = std::min(cellLarge, timeMs([&] { browser::renderCell(photo, browser::boxForZoom(20)); }));
            whole = std::min(whole, timeMs([&] {
                QImage full(photo);
                const QImage shown = full.scaled(browser::fitInBox(full.size(), browser::boxForZoom(20)),
                                                 Qt::KeepAspectRatio, Qt::SmoothTransformation);
                (void)shown;
            }));
        }
    }
    preview::removePreviewFolder(folder);
    // The slowest photo's template counts (each photo's best round).
    const double slowStart = *std::max_element(start.begin(), start.end());
    const double slowSecond = *std::max_element(second.begin(), second.end());
    std::printf("preview start (prepare + load + first frame), slowest of %d templates: %.1f ms\n", rows, slowStart);
    std::printf("one second of preview (25 frames, 800 x 450), slowest: %.1f ms  -> start / one second = %.2f\n",
                slowSecond, slowStart / slowSecond);
    std::printf("browser cell, 24 MP photo, 235 x 195:  %.1f ms\n", cellDefault);
    std::printf("browser cell, 24 MP photo, 1100 x 820: %.1f ms\n", cellLarge);
    std::printf("whole decode + scale to 1100 x 820:    %.1f ms  -> ratio %.1f x (default box), %.1f x (zoom 20)\n",
                whole, whole / cellDefault, whole / cellLarge);
    return 0;
}
