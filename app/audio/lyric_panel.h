#pragma once

#include "audio/lyric_picture.h"

#include <QWidget>

namespace fotarel::app {

// A black panel showing one lyric line in a lyric style: the style window's
// sample panel (513 x 289) and the previews' lyric panel (679 x 390), named
// Panel_LRC. The line is drawn as the rendered frames draw it, with sizes
// following the panel's own width.
class LyricPanel : public QWidget {
    Q_OBJECT
public:
    LyricPanel(QSize size, QWidget* parent);

    void setLine(const QString& text, const audio::LyricStyle& style);
    QString text() const { return text_; }
    const audio::LyricStyle& lineStyle() const { return style_; }
    // Where the line stands on the panel (empty when there is none).
    QRect lineRect() const { return picture_.box; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString text_;
    audio::LyricStyle style_;
    audio::LyricPicture picture_;
};

} // namespace fotarel::app
