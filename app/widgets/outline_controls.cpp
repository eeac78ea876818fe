#include "app/widgets/outline_controls.h"

#include "app/colour_box.h"
#include "core/colours.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>

namespace fotarel::app {

OutlineControls::OutlineControls(QWidget* parent)
    : QWidget(parent),
      colours_(makeColourBox(QStringLiteral("ComboBox_miaobian_yanse"), this)),
      width_(new QSpinBox(this))
{
    width_->setObjectName(QStringLiteral("SpinBox_miaobian_kuandu"));
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
    outline.colourName = chosenColourName(colours_);
    outline.colourValue = chosenColourValue(colours_, outline.colourValue);
    outline.width = width_->value();
    return outline;
}

void OutlineControls::setOutline(const TextOutline& outline)
{
    selectColour(colours_, outline.colourName);
    width_->setValue(outline.width);
}

} // namespace fotarel::app
