#include "app/widgets/outline_controls.h"

#include "core/colours.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QSpinBox>

namespace fotarel::app {

OutlineControls::OutlineControls(QWidget* parent)
    : QWidget(parent), colours_(new QComboBox(this)), width_(new QSpinBox(this))
{
    colours_->setObjectName(QStringLiteral("ComboBox_miaobian_yanse"));
    width_->setObjectName(QStringLiteral("SpinBox_miaobian_kuandu"));
    int count = 0;
    const NamedColour* named = namedColours(&count);
    for (int i = 0; i < count; ++i) {
        QPixmap swatch(16, 12);
        swatch.fill(colourFromValue(named[i].value));
        QPainter p(&swatch);
        p.setPen(Qt::gray);
        p.drawRect(swatch.rect().adjusted(0, 0, -1, -1));
        p.end();
        colours_->addItem(swatch, QString::fromLatin1(named[i].name));
    }
    width_->setRange(0, kMaxOutlineWidth);
    width_->setSpecialValueText(QStringLiteral("无描边"));
    width_->setSuffix(QStringLiteral(" 像素"));

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(new QLabel(QStringLiteral("描边颜色"), this));
    row->addWidget(colours_);
    row->addWidget(new QLabel(QStringLiteral("描边宽度"), this));
    row->addWidget(width_);
    row->addStretch();
    connect(colours_, &QComboBox::currentIndexChanged, this, &OutlineControls::changed);
    connect(width_, &QSpinBox::valueChanged, this, &OutlineControls::changed);
    setOutline(TextOutline{});
}

TextOutline OutlineControls::outline() const
{
    TextOutline outline;
    outline.colourName = colours_->currentText();
    outline.colourValue = colourValueForName(outline.colourName).value_or(outline.colourValue);
    outline.width = width_->value();
    return outline;
}

void OutlineControls::setOutline(const TextOutline& outline)
{
    // A colour without a name in the list keeps the list's choice.
    const int index = colours_->findText(outline.colourName);
    if (index >= 0)
        colours_->setCurrentIndex(index);
    width_->setValue(outline.width);
}

} // namespace fotarel::app
