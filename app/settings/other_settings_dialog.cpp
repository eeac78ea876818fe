#include "app/settings/other_settings_dialog.h"

#include "app/settings/confirm_row.h"
#include "photos/crop.h"
#include "render/output_settings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

namespace fotarel::app {

namespace {

QRadioButton* radio(const QString& objectName, const QString& caption, QWidget* parent)
{
    auto* button = new QRadioButton(caption, parent);
    button->setObjectName(objectName);
    return button;
}

// A titled group holding two exclusive choices side by side or stacked.
QGroupBox* group(const QString& title, QRadioButton* a, QRadioButton* b, bool stacked)
{
    auto* box = new QGroupBox(title);
    QBoxLayout* layout = stacked ? static_cast<QBoxLayout*>(new QVBoxLayout(box))
                                 : static_cast<QBoxLayout*>(new QHBoxLayout(box));
    auto* exclusive = new QButtonGroup(box);
    for (QRadioButton* button : {a, b}) {
        button->setParent(box);
        layout->addWidget(button);
        exclusive->addButton(button);
    }
    return box;
}

} // namespace

OtherSettingsDialog::OtherSettingsDialog(Session& session, QWidget* parent)
    : QDialog(parent),
      session_(session),
      pal_(radio("suiRadioButton_PAL", QStringLiteral("PAL制式"), this)),
      ntsc_(radio("suiRadioButton_NTSC", QStringLiteral("NTSC制式"), this)),
      normal_(radio("suiRadioButton_yiban_huazhi", QStringLiteral("一般画质"), this)),
      high_(radio("suiRadioButton_gaoqing_huazhi", QStringLiteral("高清画质"), this)),
      landscapeFull_(radio("suiRadioButton_hengzhaopian_quanping", QStringLiteral("横照片剪裁成全屏效果"), this)),
      landscapeTemplate_(radio("suiRadioButton_hengzhaopian_moren", QStringLiteral("横照片剪裁成模板特效默认效果"), this)),
      portraitZoom_(radio("suiRadioButton_shuzhaopian_jubufangda", QStringLiteral("竖照片剪裁成局部放大效果"), this)),
      portraitTemplate_(radio("suiRadioButton_shuzhaopian_moren", QStringLiteral("竖照片使用模板特效默认效果"), this)),
      topLeftCrop_(new QCheckBox(QStringLiteral("从左上角剪裁"), this))
{
    setObjectName(QStringLiteral("TForm17"));
    setWindowTitle(QStringLiteral("其它设置"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group(QStringLiteral("电视制式"), pal_, ntsc_, false));
    layout->addWidget(group(QStringLiteral("画面质量"), normal_, high_, false));
    layout->addWidget(group(QStringLiteral("导入照片时，对横照片的剪裁效果   (支持单张照片模板效果)"), landscapeFull_,
                            landscapeTemplate_, true));
    layout->addWidget(group(QStringLiteral("导入照片时，对竖照片的剪裁效果   (支持单张照片模板效果)"), portraitZoom_,
                            portraitTemplate_, true));
    // Crops follow the photo's subject (faces, else what stands out); this
    // keeps the old rule for albums that want it.
    topLeftCrop_->setObjectName(QStringLiteral("suiCheckBox_zuoshangjiao_jiancai"));
    layout->addWidget(topLeftCrop_);
    addConfirmRow(this, layout);

    using namespace settings;
    // `clicked` fires only for the user's choice, not for syncFromSession().
    connect(pal_, &QRadioButton::clicked, this, [this] { setTvStandard(session_, kPal); });
    connect(ntsc_, &QRadioButton::clicked, this, [this] { setTvStandard(session_, kNtsc); });
    connect(normal_, &QRadioButton::clicked, this, [this] { setPictureQuality(session_, kNormalQuality); });
    connect(high_, &QRadioButton::clicked, this, [this] { setPictureQuality(session_, kHighQuality); });
    connect(landscapeFull_, &QRadioButton::clicked, this,
            [this] { setLandscapeCrop(session_, LandscapeCrop::FullScreen); });
    connect(landscapeTemplate_, &QRadioButton::clicked, this,
            [this] { setLandscapeCrop(session_, LandscapeCrop::TemplateDefault); });
    connect(portraitZoom_, &QRadioButton::clicked, this,
            [this] { setPortraitCrop(session_, PortraitCrop::PartialZoom); });
    connect(portraitTemplate_, &QRadioButton::clicked, this,
            [this] { setPortraitCrop(session_, PortraitCrop::TemplateDefault); });
    connect(topLeftCrop_, &QCheckBox::clicked, this, [this](bool on) {
        session_.set(kTopLeftCropVariable, on ? QStringLiteral("True") : QStringLiteral("False"));
    });
    syncFromSession();
}

void OtherSettingsDialog::run()
{
    exec();
}

void OtherSettingsDialog::showEvent(QShowEvent* event)
{
    syncFromSession();
    QDialog::showEvent(event);
}

void OtherSettingsDialog::syncFromSession()
{
    using namespace settings;
    const bool ntsc = session_.get(vars::TvStandard) == kNtsc;
    ntsc_->setChecked(ntsc);
    pal_->setChecked(!ntsc);
    const bool normal = session_.get(vars::Quality) == kNormalQuality;
    normal_->setChecked(normal);
    high_->setChecked(!normal);
    const bool full = landscapeCrop(session_) == LandscapeCrop::FullScreen;
    landscapeFull_->setChecked(full);
    landscapeTemplate_->setChecked(!full);
    const bool zoom = portraitCrop(session_) == PortraitCrop::PartialZoom;
    portraitZoom_->setChecked(zoom);
    portraitTemplate_->setChecked(!zoom);
    topLeftCrop_->setChecked(cropRuleFrom(session_) == CropRule::TopLeft);
}

} // namespace fotarel::app
