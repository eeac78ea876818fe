#pragma once

#include "core/session.h"
#include "photos/jpeg_codec.h"
#include "photos/subject.h"

#include <optional>

#include <QImage>
#include <QSize>

namespace fotarel {

// The box a thumbnail fits into: the tile size less 30 pixels each way.
QSize thumbnailBox(const Session& session);

// The thumbnail picture: the photo drawn at (4, 4) on a white panel 8
// pixels wider and higher than `scaled`, with a one-pixel raised bevel.
QImage thumbnailPanel(const QImage& photo, QSize scaled);

struct Thumbnail {
    QImage panel;   // null on failure
    QString reason;
};

// Renders the thumbnail of a photo whose arranged size is (W, H): scaled to
// the box (landscape by width, portrait by height), decoded upright. With
// `subject`, the photo's subject is found on the same reduced decode, which
// is then made at least large enough for that.
Thumbnail renderThumbnail(const QByteArray& bytes, const JpegInfo& info, QSize arranged, QSize box,
                          std::optional<Subject>* subject = nullptr);

// Renders a photo file upright into a box, keeping its aspect ratio: a
// landscape photo takes the box width, a portrait photo the box height,
// reduced further when the other side would not fit. For the selected-photo
// panel and previews. A null picture when the file cannot be decoded.
QImage renderPhotoInBox(const QString& path, QSize box);

} // namespace fotarel
