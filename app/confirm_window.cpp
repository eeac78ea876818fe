#include "app/confirm_window.h"

#include "app/title_bar.h"

#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace fotarel::app {

ConfirmWindow::ConfirmWindow(const QString& objectName, const QString& caption, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      title_(new TitleBar(caption, this)),
      label_(new QLabel(this)),
      ok_(new QPushButton(QStringLiteral("确定"), this)),
      cancel_(new QPushButton(QStringLiteral("取消"), this))
{
    setObjectName(objectName);
    setWindowTitle(caption);
    setModal(true);
    setStyleSheet(QStringLiteral("QDialog { background: #f4f6f8; border: 1px solid #3a4452; }"));
    resize(400, 180);
    title_->setGeometry(0, 0, width(), TitleBar::kHeight);
    label_->setObjectName(QStringLiteral("Label_tishi"));
    label_->setAlignment(Qt::AlignCenter);
    label_->setWordWrap(true);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(14);
    label_->setFont(font);
    label_->setGeometry(10, 55, width() - 20, 50);
    ok_->setObjectName(QStringLiteral("suiButton_queding"));
    cancel_->setObjectName(QStringLiteral("suiButton_quxiao"));
    ok_->setGeometry(width() / 2 - 110, 130, 90, 28);
    cancel_->setGeometry(width() / 2 + 20, 130, 90, 28);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(title_, &TitleBar::closeClicked, this, &QDialog::reject);
}

void ConfirmWindow::setAcceptText(const QString& text) { ok_->setText(text); }

void ConfirmWindow::setCaption(const QString& caption)
{
    setWindowTitle(caption);
    title_->setCaption(caption);
}

bool ConfirmWindow::ask(const QString& text)
{
    label_->setText(text);
    if (QScreen* screen = (parentWidget() ? parentWidget()->screen() : this->screen()))
        move(screen->availableGeometry().center() - rect().center());
    return exec() == QDialog::Accepted;
}

} // namespace fotarel::app
