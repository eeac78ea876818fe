#include "app/audio/lyric_panel.h"

#include <QPainter>

namespace fotarel::app {

LyricPanel::LyricPanel(QSize size, QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Panel_LRC"));
    setFixedSize(size);
}

void LyricPanel::setLine(const QString& text, const audio::LyricStyle& style)
{
    if (text == text_ && style == style_ && (!picture_.image.isNull() || text.trimmed().isEmpty()))
        return;
    text_ = text;
    style_ = style;
    picture_ = audio::drawLyricLine(text, style, size(), width());
    update();
}

void LyricPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!picture_.image.isNull())
        painter.drawImage(picture_.position, picture_.image);
}

} // namespace fotarel::app
