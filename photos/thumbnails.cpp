#include "photos/thumbnails.h"

#include "photos/measure.h"

#include <QFile>
#include <QPainter>

#include <algorithm>

namespace fotarel {

QSize thumbnailBox(const Session& session)
{
    return QSize(session.getInt(QStringLiteral("Edit_xiangpian_Width"), 180) - 30,
                 session.getInt(QStringLiteral("Edit_xiangpian_Height"), 180) - 30);
}

QImage thumbnailPanel(const QImage& photo, QSize scaled)
{
    QImage panel(scaled.width() + 8, scaled.height() + 8, QImage::Format_RGB32);
    panel.fill(Qt::white);
    QPainter painter(&panel);
    painter.drawImage(4, 4, photo);
    // Raised bevel: light top and left edges, dark bottom and right edges.
    const int right = panel.width() - 1, bottom = panel.height() - 1;
    painter.setPen(QColor(255, 255, 255));
    painter.drawLine(0, 0, right, 0);
    painter.drawLine(0, 0, 0, bottom);
    painter.setPen(QColor(128, 128, 128));
    painter.drawLine(0, bottom, right, bottom);
    painter.drawLine(right, 0, right, bottom);
    painter.end();
    return panel;
}

Thumbnail renderThumbnail(const QByteArray& bytes, const JpegInfo& info, QSize arranged, QSize box,
                          std::optional<Subject>* subject)
{
    Thumbnail out;
    const QSize scaled = requestSize(arranged, box);
    const QSize drawn = fitInside(info.upright(), scaled);
    if (subject) {
        // One reduced decode for both: as small as still serves the subject.
        const QSize upright = info.upright();
        const double k = std::min(1.0, double(kSubjectMinShortSide) / std::max(1, std::min(upright.width(), upright.height())));
        const QSize cover(std::max(drawn.width(), int(upright.width() * k)),
                          std::max(drawn.height(), int(upright.height() * k)));
        DecodedPicture reduced = decodeReduced(bytes, info, cover);
        if (reduced.image.isNull()) {
            out.reason = reduced.reason;
            return out;
        }
        *subject = findSubject(reduced.image);
        out.panel = thumbnailPanel(reduced.image.scaled(drawn, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), scaled);
        return out;
    }
    DecodedPicture picture = decodeUpright(bytes, info, drawn);
    if (picture.image.isNull()) {
        out.reason = picture.reason;
        return out;
    }
    out.panel = thumbnailPanel(picture.image, scaled);
    return out;
}

} // namespace fotarel

namespace fotarel {

QImage renderPhotoInBox(const QString& path, QSize box)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || box.width() <= 0 || box.height() <= 0)
        return {};
    const QByteArray bytes = file.readAll();
    const JpegProbe probe = probeJpeg(bytes);
    if (!probe.ok)
        return {};
    return decodeUpright(bytes, probe.info, fitInside(probe.info.upright(), box)).image;
}

} // namespace fotarel
