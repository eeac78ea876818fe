#include "app/title_bar.h"

#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>

namespace fotarel::app {

TitleBar::TitleBar(const QString& caption, QWidget* parent)
    : QWidget(parent), caption_(new QLabel(caption, this)), close_(new QToolButton(this))
{
    setObjectName(QStringLiteral("TitleBar"));
    setFixedHeight(kHeight);
    caption_->setObjectName(QStringLiteral("Label_biaoti"));
    caption_->setStyleSheet(QStringLiteral("color: white; font-family: '微软雅黑'; font-size: 13px;"));
    close_->setObjectName(QStringLiteral("Image_guanbi"));
    close_->setText(QStringLiteral("✕"));
    close_->setToolTip(QStringLiteral("关闭"));
    close_->setAutoRaise(true);
    close_->setStyleSheet(QStringLiteral("QToolButton { color: white; border: none; font-size: 14px; }"
                                         "QToolButton:hover { background: #c0392b; }"));
    close_->setFixedSize(40, kHeight);
    connect(close_, &QToolButton::clicked, this, &TitleBar::closeClicked);
}

void TitleBar::setCaption(const QString& caption)
{
    caption_->setText(caption);
}

void TitleBar::addLayoutButtons(const QStringList& words, const QStringList& captions)
{
    static const char* const glyphs[] = {"▣", "□", "❐"};
    for (int i = 0; i < words.size() && i < 3; ++i) {
        auto* b = new QToolButton(this);
        b->setObjectName(QStringLiteral("Image_buju_%1").arg(i + 1));
        b->setText(QString::fromUtf8(glyphs[i]));
        b->setToolTip(captions.value(i));
        b->setAutoRaise(true);
        b->setStyleSheet(QStringLiteral("QToolButton { color: white; border: none; font-size: 14px; }"
                                        "QToolButton:hover { background: #4a5666; }"));
        b->setFixedSize(34, kHeight);
        const QString word = words[i];
        connect(b, &QToolButton::clicked, this, [this, word] { emit layoutRequested(word); });
        b->show();
        layoutButtons_ << b;
    }
    resizeEvent(nullptr);
}

void TitleBar::resizeEvent(QResizeEvent*)
{
    close_->move(width() - close_->width(), 0);
    int x = close_->x();
    for (int i = int(layoutButtons_.size()) - 1; i >= 0; --i) {
        x -= layoutButtons_[i]->width();
        layoutButtons_[i]->move(x, 0);
    }
    caption_->setGeometry(12, 0, std::max(0, x - 20), kHeight);
}

void TitleBar::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton) {
        dragging_ = false;
        emit doubleClicked();
    }
}

void TitleBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QLinearGradient g(0, 0, 0, height());
    g.setColorAt(0, QColor(0x3a, 0x44, 0x52));
    g.setColorAt(1, QColor(0x24, 0x2b, 0x35));
    p.fillRect(rect(), g);
}

void TitleBar::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton) {
        dragging_ = true;
        dragOffset_ = e->globalPosition().toPoint() - window()->frameGeometry().topLeft();
    }
}

void TitleBar::mouseMoveEvent(QMouseEvent* e)
{
    if (dragging_)
        window()->move(e->globalPosition().toPoint() - dragOffset_);
}

void TitleBar::mouseReleaseEvent(QMouseEvent*)
{
    dragging_ = false;
}

} // namespace fotarel::app
