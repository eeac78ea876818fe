#include "cli/demo_media.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QRadialGradient>

namespace fotarel::cli {

namespace {

void sky(QPainter& p, const QRectF& r, QColor top, QColor bottom)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.fillRect(r, g);
}

void sun(QPainter& p, QPointF centre, double radius, QColor colour)
{
    QRadialGradient g(centre, radius * 2);
    g.setColorAt(0, colour);
    g.setColorAt(0.5, colour);
    g.setColorAt(1, QColor(colour.red(), colour.green(), colour.blue(), 0));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(centre, radius * 2, radius * 2);
}

void hills(QPainter& p, int w, int h, double base, double amplitude, double phase, QColor colour)
{
    QPainterPath path;
    path.moveTo(0, h);
    for (int x = 0; x <= w; x += 8)
        path.lineTo(x, h * base - amplitude * h * std::sin(phase + x * 6.28 / w * 1.5) *
                                     std::cos(x * 6.28 / w * 0.7 + phase));
    path.lineTo(w, h);
    path.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(path);
}

void tree(QPainter& p, double x, double ground, double height)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 60, 30));
    p.drawRect(QRectF(x - height * 0.05, ground - height * 0.35, height * 0.1, height * 0.35));
    p.setBrush(QColor(30, 110, 40));
    QPolygonF crown;
    crown << QPointF(x, ground - height) << QPointF(x - height * 0.3, ground - height * 0.3)
          << QPointF(x + height * 0.3, ground - height * 0.3);
    p.drawPolygon(crown);
}

void caption(QPainter& p, const QString& text, int w, int h)
{
    QFont f;
    f.setPixelSize(h / 14);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(255, 255, 255, 220));
    p.drawText(QRectF(0, h * 0.86, w, h * 0.12), Qt::AlignCenter, text);
}

QImage landscape(int kind)
{
    const int w = 1600, h = 1200;
    QImage img(w, h, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    switch (kind) {
    case 0: // sunset over the sea
        sky(p, QRectF(0, 0, w, h * 0.6), QColor(250, 120, 40), QColor(255, 210, 120));
        sun(p, QPointF(w * 0.5, h * 0.58), h * 0.08, QColor(255, 240, 180));
        sky(p, QRectF(0, h * 0.6, w, h * 0.4), QColor(40, 70, 140), QColor(10, 20, 60));
        caption(p, QStringLiteral("Sunset Sea"), w, h);
        break;
    case 1: // green hills, blue sky
        sky(p, QRectF(0, 0, w, h), QColor(80, 150, 240), QColor(190, 225, 255));
        sun(p, QPointF(w * 0.8, h * 0.18), h * 0.06, QColor(255, 250, 200));
        hills(p, w, h, 0.62, 0.08, 0.3, QColor(70, 150, 60));
        hills(p, w, h, 0.78, 0.06, 2.0, QColor(40, 120, 40));
        for (int i = 0; i < 5; ++i)
            tree(p, w * (0.12 + i * 0.19), h * 0.86, h * 0.22);
        caption(p, QStringLiteral("Green Hills"), w, h);
        break;
    case 2: // snowy mountains
        sky(p, QRectF(0, 0, w, h), QColor(150, 180, 220), QColor(235, 240, 250));
        for (int i = 0; i < 3; ++i) {
            QPolygonF m;
            const double cx = w * (0.2 + 0.3 * i);
            m << QPointF(cx - w * 0.3, h) << QPointF(cx, h * (0.25 + 0.08 * i)) << QPointF(cx + w * 0.3, h);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(90 + 20 * i, 100 + 20 * i, 130 + 10 * i));
            p.drawPolygon(m);
            QPolygonF snow;
            snow << QPointF(cx - w * 0.06, h * (0.37 + 0.08 * i)) << QPointF(cx, h * (0.25 + 0.08 * i))
                 << QPointF(cx + w * 0.06, h * (0.37 + 0.08 * i));
            p.setBrush(Qt::white);
            p.drawPolygon(snow);
        }
        caption(p, QStringLiteral("Snow Peaks"), w, h);
        break;
    default: // night city
        sky(p, QRectF(0, 0, w, h), QColor(10, 10, 40), QColor(50, 30, 90));
        sun(p, QPointF(w * 0.2, h * 0.2), h * 0.05, QColor(240, 240, 220));
        for (int i = 0; i < 12; ++i) {
            const double bw = w / 12.0;
            const double bh = h * (0.25 + 0.35 * ((i * 37) % 11) / 10.0);
            p.setBrush(QColor(30, 30, 50));
            p.drawRect(QRectF(i * bw, h - bh, bw - 6, bh));
            p.setBrush(QColor(255, 220, 100));
            for (double y = h - bh + 20; y < h - 20; y += 40)
                for (double x = i * bw + 12; x < (i + 1) * bw - 24; x += 30)
                    if ((int(x + y) / 10) % 3 != 0)
                        p.drawRect(QRectF(x, y, 12, 16));
        }
        caption(p, QStringLiteral("City Lights"), w, h);
        break;
    }
    return img;
}

QImage portrait(int kind)
{
    const int w = 1200, h = 1600;
    QImage img(w, h, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    if (kind == 0) { // a tall tree in a meadow
        sky(p, QRectF(0, 0, w, h), QColor(120, 190, 250), QColor(220, 240, 255));
        p.fillRect(QRectF(0, h * 0.75, w, h * 0.25), QColor(90, 170, 70));
        tree(p, w * 0.5, h * 0.8, h * 0.65);
        p.setBrush(QColor(240, 80, 120));
        for (int i = 0; i < 30; ++i)
            p.drawEllipse(QPointF((i * 97) % w, h * 0.8 + (i * 53) % int(h * 0.18)), 10, 10);
        caption(p, QStringLiteral("Meadow Tree"), w, h);
    } else { // a lighthouse
        sky(p, QRectF(0, 0, w, h), QColor(255, 170, 90), QColor(120, 60, 140));
        p.fillRect(QRectF(0, h * 0.8, w, h * 0.2), QColor(30, 60, 120));
        for (int i = 0; i < 6; ++i) {
            p.setBrush(i % 2 ? QColor(240, 240, 240) : QColor(210, 30, 30));
            p.setPen(Qt::NoPen);
            p.drawRect(QRectF(w * 0.42, h * (0.3 + i * 0.085), w * 0.16, h * 0.085));
        }
        sun(p, QPointF(w * 0.5, h * 0.26), h * 0.04, QColor(255, 255, 200));
        caption(p, QStringLiteral("Lighthouse"), w, h);
    }
    return img;
}

} // namespace

QStringList writeDemoPhotos(const QString& folder)
{
    QStringList files;
    const QList<QImage> pictures{landscape(0), landscape(1), portrait(0), landscape(2), portrait(1), landscape(3)};
    for (int i = 0; i < pictures.size(); ++i) {
        const QString file = folder + QStringLiteral("/demo_%1.jpg").arg(i + 1, 2, 10, QLatin1Char('0'));
        if (pictures[i].save(file, "JPG", 92))
            files << file;
    }
    return files;
}

QString writeDemoSong(const QString& path, double seconds)
{
    // A slow arpeggio (C, E, G, C') with a soft bass, half a second a note.
    const QString expr = QStringLiteral(
        "0.25*sin(2*PI*t*(261.63*eq(mod(floor(t*2),4),0)+329.63*eq(mod(floor(t*2),4),1)+392.00*eq(mod(floor(t*2),4),2)+"
        "523.25*eq(mod(floor(t*2),4),3)))*exp(-2*mod(t,0.5))+0.12*sin(2*PI*t*(130.81*lt(mod(t,8),4)+98.00*gte(mod(t,8),4)))");
    // Commas inside a filter argument are escaped for the filter graph parser.
    const QString escaped = QString(expr).replace(QLatin1Char(','), QStringLiteral("\\,"));
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
                  QStringLiteral("lavfi"), QStringLiteral("-i"),
                  QStringLiteral("aevalsrc=%1:s=44100:d=%2").arg(escaped).arg(seconds), QStringLiteral("-ac"),
                  QStringLiteral("2"), QStringLiteral("-c:a"), QStringLiteral("libmp3lame"), QStringLiteral("-b:a"),
                  QStringLiteral("128k"), path});
    if (!ffmpeg.waitForFinished(120000) || ffmpeg.exitStatus() != QProcess::NormalExit || ffmpeg.exitCode() != 0)
        return {};
    return QFileInfo::exists(path) ? path : QString();
}

DemoWords writeDemoWords(const QString& folder)
{
    auto write = [](const QString& path, const QByteArray& text) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.flush() ? path : QString();
    };
    DemoWords words;
    // Two lines, then a tag of its own that clears the display before the
    // karaoke lines come.
    words.lrc = write(folder + QStringLiteral("/demo_song.lrc"),
                      QStringLiteral("[ti:Fotarel 演示]\n[00:01.00]Fotarel 电子相册\n"
                                     "[00:06.00]相片、音乐和歌词一起制作\n[00:11.00]\n")
                          .toUtf8());
    words.ksc = write(folder + QStringLiteral("/demo_song.ksc"),
                      QStringLiteral("karaoke.add('00:13.000', '00:16.000', '记录美好时光', '500,500,500,500,500,500');\n"
                                     "karaoke.add('00:17.000', '00:20.000', '留住每个笑容', '500,500,500,500,500,500');\n")
                          .toUtf8());
    words.caption = QStringLiteral("00:03|从左下到右上|美好时光|黑体|30|clYellow");
    return words;
}

} // namespace fotarel::cli
