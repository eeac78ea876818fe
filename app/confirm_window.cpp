#include "app/confirm_window.h"

#include "app/title_bar.h"

#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace fotarel::app {

namespace {
constexpr int kOtherResult = 2; // beside QDialog's Accepted (1) and Rejected (0)
} // namespace

ConfirmWindow::ConfirmWindow(const QString& objectName, const QString& caption, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      title_(new TitleBar(caption, this)),
      label_(new QLabel(this)),
      ok_(new QPushButton(QStringLiteral("确定"), this)),
      other_(new QPushButton(this)),
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
    other_->setObjectName(QStringLiteral("suiButton_qita"));
    other_->hide();
    placeButtons();
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(other_, &QPushButton::clicked, this, [this] { done(kOtherResult); });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(title_, &TitleBar::closeClicked, this, &QDialog::reject);
}

void ConfirmWindow::setAcceptText(const QString& text) { ok_->setText(text); }

void ConfirmWindow::setCaption(const QString& caption)
{
    setWindowTitle(caption);
    title_->setCaption(caption);
}

void ConfirmWindow::placeButtons()
{
    const QList<QPushButton*> shown = other_->isVisibleTo(this) ? QList<QPushButton*>{ok_, other_, cancel_}
                                                                : QList<QPushButton*>{ok_, cancel_};
    constexpr int kWidth = 90, kGap = 20;
    const int total = int(shown.size()) * kWidth + int(shown.size() - 1) * kGap;
    int x = (width() - total) / 2;
    for (QPushButton* b : shown) {
        b->setGeometry(x, 130, kWidth, 28);
        x += kWidth + kGap;
    }
}

int ConfirmWindow::run(const QString& text)
{
    label_->setText(text);
    placeButtons();
    if (QScreen* screen = (parentWidget() ? parentWidget()->screen() : this->screen()))
        move(screen->availableGeometry().center() - rect().center());
    return exec();
}

bool ConfirmWindow::ask(const QString& text)
{
    return run(text) == QDialog::Accepted;
}

ConfirmWindow::Answer ConfirmWindow::askThree(const QString& text, const QString& accept, const QString& other)
{
    const QString acceptBefore = ok_->text();
    ok_->setText(accept);
    other_->setText(other);
    other_->show();
    const int result = run(text);
    other_->hide();
    ok_->setText(acceptBefore);
    return result == QDialog::Accepted ? Answer::Accept : result == kOtherResult ? Answer::Other : Answer::Cancel;
}

} // namespace fotarel::app
