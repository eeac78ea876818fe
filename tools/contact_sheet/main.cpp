// contact_sheet: renders every template of library/ at 0, 25, 50, 75 and
// 100 % of its frames with sample pictures, one row per template, into PNG
// sheets of up to eight rows. Options: a file-name filter ("h1_*.tpl"),
// --frames A,B,... to show those frames instead, --cell W for the width of
// one picture.
#include "tools/templatec/movie.h"
#include "tools/templatec/preview.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <cstdio>

using namespace fotarel::templatec;

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: contact_sheet SOURCE_DIR OUT_DIR [NAME_FILTER] [--frames A,B,...] [--cell WIDTH]\n");
        return 2;
    }
    QString filter = QStringLiteral("*.tpl");
    std::vector<int> fixedFrames;
    int cellWidth = 384;
    for (int i = 3; i < args.size(); ++i) {
        if (args[i] == "--frames" && i + 1 < args.size()) {
            for (const QString& f : args[++i].split(','))
                fixedFrames.push_back(f.toInt());
        } else if (args[i] == "--cell" && i + 1 < args.size()) {
            cellWidth = std::clamp(args[++i].toInt(), 96, 1920);
        } else {
            filter = args[i];
        }
    }
    const int columns = fixedFrames.empty() ? 5 : int(fixedFrames.size());
    const QStringList files = QDir(args[1]).entryList({filter}, QDir::Files, QDir::Name);
    QDir().mkpath(args[2]);
    const QSize cell(cellWidth, cellWidth * 9 / 16);
    const int rowsPerSheet = 8, label = 22, gap = 6;
    int sheetNo = 0;
    for (int start = 0; start < files.size(); start += rowsPerSheet) {
        const int rows = std::min(rowsPerSheet, int(files.size()) - start);
        QImage sheet(columns * (cell.width() + gap) + gap, rows * (cell.height() + label + gap) + gap, QImage::Format_RGB32);
        sheet.fill(QColor(40, 40, 44));
        QPainter p(&sheet);
        for (int r = 0; r < rows; ++r) {
            const QString path = QDir(args[1]).filePath(files[start + r]);
            const int y = gap + r * (cell.height() + label + gap);
            p.setPen(Qt::white);
            try {
                const Scene s = loadScene(path);
                const QSize full = s.photoSlots.size() == 1 && s.photoSlots[0].orientation == "shu" ? QSize(810, 1080)
                                                                                                   : QSize(1440, 1080);
                TemplateRun run(s, compileMovie(s), full);
                p.drawText(gap, y + 16,
                           QStringLiteral("%1   %2 / %3   %4 frames").arg(s.name, s.type, s.category).arg(s.frames));
                if (!run.ok()) {
                    p.drawText(gap, y + 40, run.error());
                    continue;
                }
                for (int c = 0; c < columns; ++c) {
                    const int f = fixedFrames.empty() ? (s.frames - 1) * c / 4 : std::min(fixedFrames[size_t(c)], s.frames - 1);
                    p.drawImage(gap + c * (cell.width() + gap), y + label, run.frame(f, cell));
                }
            } catch (const std::exception& e) {
                p.drawText(gap, y + 16, QString::fromUtf8(e.what()));
            }
        }
        p.end();
        const QString out = QStringLiteral("%1/sheet_%2.png").arg(args[2]).arg(++sheetNo, 2, 10, QChar('0'));
        sheet.save(out);
        std::printf("%s\n", qPrintable(out));
    }
    return 0;
}
