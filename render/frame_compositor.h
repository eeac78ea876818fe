#pragma once

// Makes the album's frames one at a time: steps the player to the next frame
// of the playing template, lays the overlays over its picture, notices the
// end of a template (keeping its last frame as the next one's carry-over
// picture) and replaces a failed player.

#include <QImage>
#include <QString>

namespace fotarel::render {

class RenderDriver;

// "mm:ss" of `frames` album frames at 25 frames a second; minutes above 60
// fold back by 60 (60 itself stays).
QString timeText(long long frames);

class FrameCompositor {
public:
    explicit FrameCompositor(RenderDriver& driver) : driver_(driver) {}

    // One frame into `frame` (the frame size, 32-bit). Returns false when a
    // template loaded on the way is no valid template (the program ends).
    bool compose(QImage& frame);

private:
    bool checkPlayer(const QString& prefix);

    RenderDriver& driver_;
};

} // namespace fotarel::render
