#include "app/side_panels.h"

#include "app/settings/status_panel.h"
#include "engine/layouts.h"

#include <QLabel>
#include <QPushButton>

namespace fotarel::app {

namespace {
constexpr int kHeaderHeight = 22;
constexpr int kPhotoPanelHeight = kHeaderHeight + 20 + SidePanels::kPreviewHeight + 30;
constexpr int kLinkPanelHeight = kHeaderHeight + 2;
constexpr int kStatusPanelHeight = kHeaderHeight + 4 + StatusPanel::kContentHeight + 4;
const QString kPreviewEmpty = QStringLiteral("        缩略图预览");
const QString kPreviewShown = QStringLiteral("        相片缩略图预览");
} // namespace

SidePanels::SidePanels(StatusPanel* status, QWidget* parent)
    : QWidget(parent),
      status_(status),
      previewTitle_(nullptr),
      previewPicture_(nullptr),
      browserLink_(nullptr),
      previews_{{kPreviewEmpty, {}}, {kPreviewEmpty, {}}, {kPreviewEmpty, {}}}
{
    setObjectName(QStringLiteral("Panel_youbian"));
    setStyleSheet(QStringLiteral(
        "QFrame#Panel_zhuangtai_kuang { background: #222b36; border: 1px solid #364252; border-radius: 3px; }"
        "QPushButton[panelHeader=\"true\"] { color: white; background: #3a4452; border: none; text-align: left;"
        " padding-left: 8px; font-family: '微软雅黑'; font-size: 13px; }"
        "QPushButton[panelHeader=\"true\"]:hover { background: #4a5666; }"
        "QPushButton#Label_rujianjianjie { color: rgb(253, 209, 2); background: transparent; border: none;"
        " font-family: '微软雅黑'; font-size: 13px; text-decoration: underline; }"
        "QLabel { color: #d9dee5; font-family: '微软雅黑'; font-size: 12px; }"));

    QPushButton* header = nullptr;
    const char* const areaHeaders[][2] = {{"Label_liulanxiangpian", "相片区域"},
                                          {"Label_liulanyinyue", "音乐区域"},
                                          {"Label_liulangeci", "歌词区域"}};
    for (int i = 0; i < 3; ++i) {
        QFrame* p = makePanel(QStringLiteral("Panel_zhuangtai_kuang"), QString::fromUtf8(areaHeaders[i][1]), &header);
        header->setObjectName(QString::fromLatin1(areaHeaders[i][0]));
        connect(header, &QPushButton::clicked, this, [this, i] { emit areaWanted(i); });
        if (i == 0) {
            previewTitle_ = new QLabel(kPreviewEmpty, p);
            previewTitle_->setObjectName(QStringLiteral("Label_chakanxiangpian"));
            previewTitle_->setGeometry(0, kHeaderHeight + 2, layouts::kPanelWidth, 18);
            previewPicture_ = new QLabel(p);
            previewPicture_->setObjectName(QStringLiteral("Image_chakanxiangpian"));
            previewPicture_->setAlignment(Qt::AlignCenter);
            previewPicture_->setGeometry(5, kHeaderHeight + 20, kPreviewWidth, kPreviewHeight);
            previewPicture_->setStyleSheet(QStringLiteral("background: #10161e;"));
            browserLink_ = new QPushButton(QStringLiteral("大图片浏览"), p);
            browserLink_->setObjectName(QStringLiteral("Label_rujianjianjie"));
            browserLink_->setCursor(Qt::PointingHandCursor);
            browserLink_->setGeometry(5, kHeaderHeight + 22 + kPreviewHeight, kPreviewWidth, 24);
            connect(browserLink_, &QPushButton::clicked, this, &SidePanels::browserWanted);
        }
    }
    QFrame* other = makePanel(QStringLiteral("Panel_zhuangtai_kuang"), QStringLiteral("其它相关"), &header);
    header->setObjectName(QStringLiteral("Label_qitaxiangguan"));
    header->setEnabled(false);
    status_->setParent(other);
    // The status lines and, when the songs are shorter than the album, the
    // notice with its loop button under them.
    status_->setGeometry(0, kHeaderHeight + 4, layouts::kPanelWidth, StatusPanel::kContentHeight);
    status_->show();
    QFrame* help = makePanel(QStringLiteral("Panel_zhuangtai_kuang"), QStringLiteral("帮助信息"), &header);
    header->setObjectName(QStringLiteral("Label_bangzhuxinxi"));
    header->setEnabled(false);
    status_->helpArea()->setParent(help);
    status_->helpArea()->show();
    status_->setPreviewImage(previewPicture_);
    previewPicture_->hide();
}

QFrame* SidePanels::makePanel(const QString& name, const QString& caption, QPushButton** header)
{
    auto* panel = new QFrame(this);
    panel->setObjectName(name);
    auto* h = new QPushButton(caption, panel);
    h->setProperty("panelHeader", true);
    h->setCursor(Qt::PointingHandCursor);
    h->setGeometry(0, 0, layouts::kPanelWidth, kHeaderHeight);
    *header = h;
    panels_ << panel;
    return panel;
}

void SidePanels::resizeEvent(QResizeEvent*)
{
    const int fixed[4] = {kPhotoPanelHeight, kLinkPanelHeight, kLinkPanelHeight, kStatusPanelHeight};
    const layouts::PanelPlan plan = layouts::planPanels(0, height(), fixed);
    for (int i = 0; i < 5; ++i) {
        panels_[i]->setGeometry(0, plan.top[i], layouts::kPanelWidth, plan.height[i]);
        panels_[i]->setVisible(plan.height[i] > 0);
    }
    QWidget* helpArea = status_->helpArea();
    helpArea->setGeometry(0, kHeaderHeight + 2, layouts::kPanelWidth, std::max(0, plan.height[4] - kHeaderHeight - 4));
    status_->setHelpText(status_->helpLabel()->text());
}

void SidePanels::showSelectedPhoto(const QImage& picture)
{
    setPreview(0, {kPreviewShown, QPixmap::fromImage(picture)});
}

void SidePanels::clearSelectedPhoto()
{
    setPreview(0, {kPreviewEmpty, {}});
}

void SidePanels::showAreaPreview(int area, const QString& caption, const QPixmap& picture)
{
    setPreview(area, {caption, picture});
}

void SidePanels::clearShownPreview()
{
    setPreview(shownArea_, {kPreviewEmpty, {}});
}

void SidePanels::setPreview(int area, const Preview& preview)
{
    if (area < 0 || area > 2)
        return;
    previews_[area] = preview;
    if (area == shownArea_)
        showArea(area);
}

void SidePanels::showArea(int area)
{
    if (area < 0 || area > 2)
        return;
    shownArea_ = area;
    previewTitle_->setText(previews_[area].title);
    if (previews_[area].picture.isNull())
        previewPicture_->clear();
    else
        previewPicture_->setPixmap(previews_[area].picture);
}

} // namespace fotarel::app
