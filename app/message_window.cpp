#include "app/message_window.h"

#include "app/title_bar.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace fotarel::app {

namespace {
constexpr int kWidth = 584;
constexpr int kHeight = 204;
constexpr int kLabelLeft = 8;
constexpr int kLabelTop = 80;
constexpr int kLabelWidth = 569;
constexpr int kLabelHeight = 25;
} // namespace

MessageWindow::MessageWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      title_(new TitleBar(QStringLiteral("提示信息"), this)),
      label_(new QLabel(this)),
      ok_(new QPushButton(QStringLiteral("确定"), this))
{
    setObjectName(QStringLiteral("TForm8"));
    setWindowTitle(QStringLiteral("提示信息"));
    setModal(true);
    setStyleSheet(QStringLiteral("QDialog#TForm8 { background: #f4f6f8; border: 1px solid #3a4452; }"));
    label_->setObjectName(QStringLiteral("Label_xianshi_xiaoxi"));
    label_->setAlignment(Qt::AlignCenter);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(14);
    label_->setFont(font);
    ok_->setObjectName(QStringLiteral("suiButton_queding"));
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(title_, &TitleBar::closeClicked, this, &QDialog::reject);
    resize(kWidth, kHeight);
}

QString MessageWindow::text() const
{
    return label_->text();
}

void MessageWindow::showMessage(const QString& text)
{
    label_->setText(text);
    const QFontMetrics metrics(label_->font());
    const bool multiLine = text.contains(QLatin1Char('\n')) || metrics.horizontalAdvance(text) > kLabelWidth;
    int height = kHeight;
    if (multiLine) {
        // Lists (of skipped files, for example) wrap in the space between the
        // title bar and the button, and the window grows when they need more.
        label_->setWordWrap(true);
        const int textHeight =
            metrics.boundingRect(QRect(0, 0, kLabelWidth, 4000), Qt::TextWordWrap | Qt::AlignCenter, text).height();
        const int top = TitleBar::kHeight + 12;
        const int available = kHeight - 60 - top;
        const int labelHeight = std::min(std::max(available, textHeight), 560);
        height = top + labelHeight + 60;
        label_->setGeometry(kLabelLeft, top, kLabelWidth, labelHeight);
    } else {
        label_->setWordWrap(false);
        label_->setGeometry(kLabelLeft, kLabelTop, kLabelWidth, kLabelHeight);
    }
    resize(kWidth, height);
    title_->setGeometry(0, 0, kWidth, TitleBar::kHeight);
    ok_->setGeometry((kWidth - 90) / 2, height - 46, 90, 28);
    if (QScreen* screen = (parentWidget() ? parentWidget()->screen() : this->screen()))
        move(screen->availableGeometry().center() - rect().center());
    exec();
}

} // namespace fotarel::app
