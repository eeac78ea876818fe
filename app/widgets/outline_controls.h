#pragma once

#include "core/text_outline.h"

#include <QWidget>

class QComboBox;
class QSpinBox;

namespace fotarel::app {

// The outline (描边) of a style window: its colour ("描边颜色", a list of
// named colours) and its width ("描边宽度", pixels on a 1920-pixel-wide
// video, 0 for none). `changed` fires on every change so the window's
// sample follows at once.
class OutlineControls : public QWidget {
    Q_OBJECT
public:
    explicit OutlineControls(QWidget* parent = nullptr);

    TextOutline outline() const;
    void setOutline(const TextOutline& outline);

    QComboBox* colours() const { return colours_; }
    QSpinBox* width() const { return width_; }

signals:
    void changed();

private:
    QComboBox* colours_;
    QSpinBox* width_;
};

} // namespace fotarel::app
