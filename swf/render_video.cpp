// Painting a placed video: the picture of the frame its ratio names, filling
// the stream's declared size.

#include "swf/renderer.h"
#include "swf/video_playback.h"

namespace fotarel::swf {

void Renderer::drawVideo(QPainter& p, const Clip& clip, const QTransform& world, const ColorTransform& cx)
{
    if (!clip.video)
        return;
    const QImage& img = clip.video->picture(clip.ratio);
    if (img.isNull())
        return;
    const VideoStream& v = clip.video->stream();
    const double w = v.width > 0 ? v.width : img.width(), h = v.height > 0 ? v.height : img.height();
    const QTransform toDevice = QTransform::fromScale(w * 20.0 / img.width(), h * 20.0 / img.height()) * world;
    drawImage(p, img, toDevice, cx, v.smoothing);
}

} // namespace fotarel::swf
