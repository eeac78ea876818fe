// Import benchmark.
//
//   photos_bench [photo folder]
//
// Makes (once) 20 photos of 4000 x 3000 and 20 of 6000 x 4000 in the photo
// folder, then runs, five times and alternately, side by side:
//   - our whole import of the 40 photos (measure, fit, work folders,
//     thumbnails, crops, lists) in a fresh working folder whose library
//     holds one full-frame landscape template, so every photo is scaled to
//     1920 wide and cut to 1920 x 1080 from the top-left, as a quality-90
//     JPEG, and gets a 150 x 150 thumbnail;
//   - libvips doing the same picture work: vipsthumbnail to 150 x 150, and
//     vipsthumbnail covering 1920 x 1080 cropped at the top-left ("low")
//     saved at quality 90; the photos are split in two halves run as two
//     processes at once, as our import uses both cores.
// Each run is a child process; wall time and peak resident memory come from
// the operating system (wait4). Prints ms per photo and the ratio.
//
//   photos_bench subjects [photo folder]
//
// Makes (once) 16 photos of 6000 x 4000 from real photos (a face pasted at
// a different place in each, over fine grain) and runs, five times and
// alternately, our whole import of them with crops from the top-left corner
// (no subject finding) and with crops around the subject (faces, salience):
// the cost of finding subjects, as a ratio.
#include "bench/quiet_ui.h"
#include "core/session.h"
#include "core/working_folder.h"
#include "engine/startup.h"
#include "engine/ui_port.h"
#include "photos/crop.h"
#include "photos/import.h"
#include "photos/photo_context.h"
#include "photos/random_source.h"
#include "templates/package.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <turbojpeg.h>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

extern char** environ;

namespace {

using namespace fotarel;

using bench::QuietUi;

QByteArray encode(const QImage& image)
{
    tjhandle handle = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    tjCompress2(handle, image.constBits(), image.width(), int(image.bytesPerLine()), image.height(), TJPF_BGRX, &out,
                &size, TJSAMP_420, 92, 0);
    QByteArray jpeg(reinterpret_cast<const char*>(out), qsizetype(size));
    tjFree(out);
    tjDestroy(handle);
    return jpeg;
}

// A photo-like picture: broad gradients and shapes with fine grain, so the
// JPEG carries about as much detail as a camera picture of that size.
QByteArray makePhoto(int w, int h, unsigned seed)
{
    QImage image(w, h, QImage::Format_RGB32);
    std::minstd_rand rng(seed);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int grain = int(rng() % 24) - 12;
            const int r = (x * 255 / w + grain + int(seed * 37)) & 255;
            const int g = (y * 255 / h + grain + ((x / 97 + y / 89) % 2) * 40) & 255;
            const int b = ((x + y) * 255 / (w + h) - grain) & 255;
            line[x] = qRgb(r, g, b);
        }
    }
    return encode(image);
}

// A 6000 x 4000 photo from a real one, with the face pasted where `seed`
// puts it and fine grain over everything, as a camera leaves it.
QByteArray makeSubjectPhoto(unsigned seed)
{
    const QString data = QStringLiteral(FOTAREL_SUBJECT_DATA "/");
    QImage photo = QImage(data + (seed % 2 ? "rocket.jpg" : "coffee.jpg"))
                       .convertToFormat(QImage::Format_RGB32)
                       .scaled(6000, 4000, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage head = QImage(data + "astronaut_head.jpg").convertToFormat(QImage::Format_RGB32);
    if (photo.isNull() || head.isNull())
        return {};
    std::minstd_rand rng(seed);
    const int h = 700 + int(rng() % 600), w = h * 200 / 220;
    const QRect box(int(rng() % unsigned(6000 - w)), int(rng() % unsigned(4000 - h)), w, h);
    QPainter(&photo).drawImage(box, head);
    for (int y = 0; y < photo.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(photo.scanLine(y));
        for (int x = 0; x < photo.width(); ++x) {
            const int grain = int(rng() % 13) - 6;
            const QRgb c = line[x];
            line[x] = qRgb(std::clamp(qRed(c) + grain, 0, 255), std::clamp(qGreen(c) + grain, 0, 255),
                           std::clamp(qBlue(c) + grain, 0, 255));
        }
    }
    return encode(photo);
}

QStringList ensureSubjectPhotos(const QString& folder)
{
    QDir().mkpath(folder);
    QStringList files;
    for (int i = 0; i < 16; ++i) {
        const QString path = QStringLiteral("%1/face_24mp_%2.jpg").arg(folder).arg(i, 2, 10, QChar('0'));
        if (!QFileInfo::exists(path)) {
            const QByteArray jpeg = makeSubjectPhoto(unsigned(i + 1));
            QFile f(path);
            if (jpeg.isEmpty() || !f.open(QIODevice::WriteOnly) || f.write(jpeg) != jpeg.size())
                return {};
        }
        files << path;
    }
    return files;
}

QStringList ensurePhotos(const QString& folder)
{
    QDir().mkpath(folder);
    QStringList files;
    for (int i = 0; i < 40; ++i) {
        const bool big = i >= 20;
        const QString path = QStringLiteral("%1/%2_%3.jpg").arg(folder, big ? "24mp" : "12mp").arg(i, 2, 10, QChar('0'));
        if (!QFileInfo::exists(path)) {
            QFile f(path);
            if (!f.open(QIODevice::WriteOnly))
                return {};
            f.write(makePhoto(big ? 6000 : 4000, big ? 4000 : 3000, unsigned(i + 1)));
        }
        files << path;
    }
    return files;
}

QByteArray templateIni()
{
    return QByteArray("[l_x_w_j_s_y]\r\nl_x_w_j_s_y=s_y_l_x\r\n[1]\r\nmblx=a\r\nmbfl=b\r\nxpsl=1\r\nxpkd=|0|\r\n"
                      "xpgd=|0|\r\nszhz=|heng|\r\nxpjpgmc=picture\r\nmbdx=125\r\n");
}

int runImport(const QStringList& files, const QString& work, CropRule rule)
{
    WorkingFolder folder(work);
    QDir().mkpath(folder.path("smxcwjj/wj_0_or_2/wjj_02"));
    QDir().mkpath(folder.path("smxcwjj/wj_0_or_2/wjj_01"));
    QDir().mkpath(folder.path("smxcwjj/tp_wj/tp_slt_1"));
    QDir().mkpath(folder.path("smxcwjj/wj_0_or_1/wj_1_jy"));
    writePackage(folder.path("smxcwjj/wj_0_or_2/wjj_02/t1.rar"), templateIni());
    writePackage(folder.path("smxcwjj/wj_0_or_2/wjj_01/t1.rar"), QByteArray(20000, 'm'));
    writePackage(folder.path("smxcwjj/wj_0_or_1/wj_1.rar"), QByteArray(20000, 'e'));
    Session session;
    QuietUi ui;
    loadTemplateLibrary(session, folder, ui);
    session.set(kTopLeftCropVariable, rule == CropRule::TopLeft ? QStringLiteral("True") : QStringLiteral("False"));
    ClockRandom random;
    PhotoContext ctx{session, folder, ui, random, nullptr, {}, {std::chrono::milliseconds(0), std::chrono::milliseconds(0), 0}};
    QElapsedTimer clock;
    clock.start();
    const ImportReport report = importPhotos(ctx, files);
    std::fprintf(stderr, "  import inside: %lld ms, %d photos\n", static_cast<long long>(clock.elapsed()),
                 report.imported);
    return report.imported == files.size() ? 0 : 1;
}

struct Measured {
    double ms = 0;
    long peakKb = 0;
    bool ok = true;
};

// Starts the commands at once and waits for all of them.
Measured runProcesses(const std::vector<std::vector<std::string>>& commands)
{
    Measured m;
    const auto start = std::chrono::steady_clock::now();
    std::vector<pid_t> pids;
    for (const auto& command : commands) {
        std::vector<char*> argv;
        for (const std::string& a : command)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        pid_t pid = 0;
        if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
            m.ok = false;
            continue;
        }
        pids.push_back(pid);
    }
    for (pid_t pid : pids) {
        int status = 0;
        rusage usage{};
        wait4(pid, &status, 0, &usage);
        m.ok = m.ok && WIFEXITED(status) && WEXITSTATUS(status) == 0;
        m.peakKb += usage.ru_maxrss; // processes running at once add up
    }
    m.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return m;
}

} // namespace

// Our import with and without finding subjects, alternately, side by side.
int compareSubjects(const QString& photoFolder)
{
    std::fprintf(stderr, "photos in %s\n", qPrintable(photoFolder));
    const QStringList files = ensureSubjectPhotos(photoFolder);
    if (files.size() != 16)
        return 1;
    const std::string self = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().toStdString();
    std::vector<double> ratios;
    for (int round = 1; round <= 5; ++round) {
        Measured plain, subjects;
        // Alternate which goes first, so neither always meets a warm cache.
        for (int turn = 0; turn < 2; ++turn) {
            const bool withSubjects = (turn == 0) == (round % 2 == 0);
            QTemporaryDir work;
            const Measured m = runProcesses({{self, withSubjects ? "import-subjects" : "import-top-left",
                                              photoFolder.toStdString(), work.path().toStdString()}});
            (withSubjects ? subjects : plain) = m;
        }
        const double ratio = subjects.ms / plain.ms;
        ratios.push_back(ratio);
        std::printf("round %d: top-left %.1f ms/photo%s, subjects %.1f ms/photo%s, ratio %.2f\n", round,
                    plain.ms / files.size(), plain.ok ? "" : " FAILED", subjects.ms / files.size(),
                    subjects.ok ? "" : " FAILED", ratio);
        std::fflush(stdout);
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf("median ratio (with subjects / without): %.2f\n", ratios[ratios.size() / 2]);
    return 0;
}

int main(int argc, char** argv)
{
    if (argc >= 4 && std::string(argv[1]) == "import")
        return runImport(ensurePhotos(QString::fromLocal8Bit(argv[2])), QString::fromLocal8Bit(argv[3]),
                         CropRule::TopLeft);
    if (argc >= 4 && (std::string(argv[1]) == "import-subjects" || std::string(argv[1]) == "import-top-left"))
        return runImport(ensureSubjectPhotos(QString::fromLocal8Bit(argv[2])), QString::fromLocal8Bit(argv[3]),
                         std::string(argv[1]) == "import-subjects" ? CropRule::Subject : CropRule::TopLeft);
    if (argc >= 2 && std::string(argv[1]) == "subjects")
        return compareSubjects(argc >= 3 ? QString::fromLocal8Bit(argv[2])
                                         : QDir::tempPath() + "/fotarel-bench-subject-photos");

    const QString photoFolder = argc >= 2 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath() + "/fotarel-bench-photos";
    std::fprintf(stderr, "photos in %s\n", qPrintable(photoFolder));
    const QStringList files = ensurePhotos(photoFolder);
    if (files.size() != 40)
        return 1;
    const std::string self = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().toStdString();

    std::vector<double> ratios;
    for (int round = 1; round <= 5; ++round) {
        QTemporaryDir ours, theirs;
        const Measured our = runProcesses({{self, "import", photoFolder.toStdString(), ours.path().toStdString()}});
        std::vector<std::vector<std::string>> vips;
        for (int half = 0; half < 2; ++half) {
            std::vector<std::string> thumbs{"vipsthumbnail", "-s", "150x150", "-o", theirs.path().toStdString() + "/%s_tn.ppm"};
            std::vector<std::string> crops{"vipsthumbnail", "-s", "1920x1080", "--smartcrop", "low", "-o",
                                           theirs.path().toStdString() + "/%s_slot.jpg[Q=90]"};
            // Alternate photos, so each half gets ten of each size.
            for (int i = 0; i < 40; ++i) {
                if (i % 2 != half)
                    continue;
                thumbs.push_back(files.at(i).toStdString());
                crops.push_back(files.at(i).toStdString());
            }
            // One shell per half runs its two steps one after the other.
            std::string script;
            for (const auto* command : {&thumbs, &crops}) {
                for (const std::string& a : *command)
                    script += "'" + a + "' ";
                script += "&& ";
            }
            script += "true";
            vips.push_back({"sh", "-c", script});
        }
        const Measured their = runProcesses(vips);
        const double ratio = our.ms / their.ms;
        ratios.push_back(ratio);
        std::printf("round %d: ours %.1f ms/photo (peak %ld MB)%s, libvips %.1f ms/photo (peak %ld MB, two processes)%s,"
                    " ratio %.2f\n",
                    round, our.ms / 40, our.peakKb / 1024, our.ok ? "" : " FAILED", their.ms / 40, their.peakKb / 1024,
                    their.ok ? "" : " FAILED", ratio);
        std::fflush(stdout);
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf("median ratio (ours / libvips): %.2f\n", ratios[ratios.size() / 2]);
    return 0;
}
