#pragma once

// Plays a compiled template the way the album renderer does, in a work
// folder laid out like the real one, with generated sample pictures.

#include "tools/templatec/scene.h"

#include "swf/player.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace fotarel::templatec {

// A sample photo: sky, sun and hills in the given hue, with a bold number.
QImage samplePicture(int width, int height, QColor base, int number);

// The dominant colour of sample picture `slot` (0 = the carry-over picture).
QColor sampleColour(int slot);

class TemplateRun {
public:
    // Writes the movie as "smxcwjj/tp_wjj/tp_wjj/tp_wjj_1/w_j_1.rar", one
    // picture per slot (full-frame slots get `fullFrameSize`) and, unless
    // `withCarry` is false, the carry-over picture.
    TemplateRun(const Scene& scene, const QByteArray& movie, QSize fullFrameSize = {1440, 1080}, bool withCarry = true);

    bool ok() const { return ok_; }
    QString error() const { return error_; }
    swf::Player& player() { return *player_; }
    QStringList commands() const { return commands_; }
    int ticksToPicture0() const { return ticks_; }

    // Shows frame `frame` (0-based) and paints it at `size`.
    QImage frame(int frame, QSize size);

private:
    QTemporaryDir dir_;
    std::unique_ptr<swf::Player> player_;
    QStringList commands_;
    bool ok_ = false;
    QString error_;
    int ticks_ = 0;
};

} // namespace fotarel::templatec
