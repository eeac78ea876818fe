#include "photos/browser.h"

#include "photos/jpeg_codec.h"
#include "photos/jpeg_info.h"

#include <QFile>
#include <QPainter>

#include <algorithm>

namespace fotarel::browser {

int clampZoom(int zoom)
{
    return std::clamp(zoom, kMinZoom, kMaxZoom);
}

QSize boxForZoom(int zoom)
{
    const int z = clampZoom(zoom);
    return {55 * z, 41 * z};
}

QRect windowGeometry(WindowSize size, const QRect& screen)
{
    if (size == WindowSize::FullScreen)
        return screen;
    QSize s = size == WindowSize::Enlarged
                  ? QSize(screen.width() - screen.width() / 20, screen.height() - screen.height() / 10)
                  : kDefaultWindow;
    s = s.boundedTo(screen.size());
    QRect r(QPoint(0, 0), s);
    r.moveCenter(screen.center());
    return r;
}

QSize fitInBox(QSize photo, QSize box)
{
    const int bw = std::max(1, box.width() - 8), bh = std::max(1, box.height() - 8);
    if (photo.width() <= 0 || photo.height() <= 0)
        return {bw, bh};
    long long w, h;
    if (photo.width() >= photo.height()) {
        w = bw;
        h = (long long)photo.height() * bw / photo.width();
        if (h > bh) {
            h = bh;
            w = (long long)photo.width() * bh / photo.height();
        }
    } else {
        h = bh;
        w = (long long)photo.width() * bh / photo.height();
        if (w > bw) {
            w = bw;
            h = (long long)photo.height() * bw / photo.width();
        }
    }
    return {int(std::max(1LL, w)), int(std::max(1LL, h))};
}

QImage renderCell(const QString& photoPath, QSize box)
{
    QImage cell(box, QImage::Format_RGB32);
    cell.fill(QColor(0x1d, 0x25, 0x30));
    QFile file(photoPath);
    if (!file.open(QIODevice::ReadOnly))
        return cell;
    const QByteArray bytes = file.readAll();
    const JpegProbe probe = probeJpeg(bytes);
    if (!probe.ok)
        return cell;
    const QSize fitted = fitInBox(probe.info.upright(), box);
    const DecodedPicture picture = decodeUpright(bytes, probe.info, fitted);
    if (picture.image.isNull())
        return cell;
    QPainter p(&cell);
    const QRect frame(QPoint((box.width() - fitted.width() - 8) / 2, (box.height() - fitted.height() - 8) / 2),
                      fitted + QSize(8, 8));
    p.fillRect(frame, Qt::white);
    p.drawImage(frame.topLeft() + QPoint(4, 4), picture.image);
    return cell;
}

int step(int current, int count, int delta)
{
    if (count <= 0)
        return -1;
    if (current < 0)
        return delta >= 0 ? 0 : count - 1;
    return std::clamp(current + delta, 0, count - 1);
}

} // namespace fotarel::browser
