#include "app/hints/hint_window.h"

#include "core/colours.h"

#include <QCursor>
#include <QEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPainterPath>
#include <QRegion>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace fotarel::app {

namespace {
QFont hintFont()
{
    QFont f(QStringLiteral("宋体"));
    f.setPixelSize(12);
    return f;
}
} // namespace

HintWindow::HintWindow(const QString& objectName, const QString& title, QWidget* parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint),
      timer_(new QTimer(this)),
      text_(new QLabel(this)),
      footer_(new QLabel(this))
{
    setObjectName(objectName);
    setWindowTitle(title);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, colourFromValue(kBackgroundColour));
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);
    setFont(hintFont());
    text_->setObjectName(QStringLiteral("Label_xianshi_xiaoxi"));
    text_->hide();
    footer_->hide();
    timer_->setObjectName(QStringLiteral("Timer_jianbian_xiaoguo"));
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, &HintWindow::tick);
    cursor = [] { return QCursor::pos(); };
}

void HintWindow::begin()
{
    timer_->stop();
    hide();
    fade_.start();
    setWindowOpacity(0);
    apply();
}

void HintWindow::startText(const QString& text)
{
    qDeleteAll(captions_);
    qDeleteAll(values_);
    captions_.clear();
    values_.clear();
    footer_->hide();
    text_->setText(text);
    text_->adjustSize();
    text_->resize(text_->width() + 5, text_->height());
    text_->move(8, 8);
    text_->show();
    resize(text_->width() + 16, text_->height() + 16);
    begin();
}

void HintWindow::startLines(const QList<QPair<QString, QString>>& lines, const QString& footer)
{
    text_->hide();
    if (captions_.size() != lines.size()) {
        qDeleteAll(captions_);
        qDeleteAll(values_);
        captions_.clear();
        values_.clear();
        for (int i = 0; i < lines.size(); ++i) {
            captions_ << new QLabel(this);
            values_ << new QLabel(this);
            values_.last()->setObjectName(QStringLiteral("Label_zhi_%1").arg(i + 1));
        }
    }
    const int lineHeight = fontMetrics().height() + 3;
    int captionWidth = 0, valueWidth = 0;
    for (int i = 0; i < lines.size(); ++i) {
        captions_[i]->setText(lines[i].first);
        values_[i]->setText(lines[i].second);
        captions_[i]->adjustSize();
        values_[i]->adjustSize();
        captionWidth = std::max(captionWidth, captions_[i]->width());
        valueWidth = std::max(valueWidth, values_[i]->width());
    }
    for (int i = 0; i < lines.size(); ++i) {
        captions_[i]->move(8, 8 + i * lineHeight);
        values_[i]->move(8 + captionWidth, 8 + i * lineHeight);
        captions_[i]->show();
        values_[i]->show();
    }
    footer_->setText(footer);
    footer_->adjustSize();
    footer_->move(8, 8 + int(lines.size()) * lineHeight + 2);
    footer_->show();
    // The text decides the size (long file names widen the window), never
    // less than the window's own size.
    const QSize base = objectName() == QLatin1String("TForm31")   ? QSize(247, 109)
                       : objectName() == QLatin1String("TForm32") ? QSize(265, 114)
                                                                  : QSize(266, 110);
    resize(std::max({base.width(), captionWidth + valueWidth + 16, footer_->width() + 16}),
           std::max(base.height(), footer_->y() + footer_->height() + 8));
    begin();
}

void HintWindow::end()
{
    fade_.end();
    apply();
}

void HintWindow::closeNow()
{
    fade_.closeNow();
    apply();
}

void HintWindow::tick()
{
    fade_.tick();
    if (fade_.justShown()) {
        const QPoint at = cursor();
        QScreen* screen = QGuiApplication::screenAt(at);
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        const QRect area = screen ? screen->geometry() : QRect(0, 0, 1920, 1080);
        move(hints::generalHintPosition(at, size(), area));
    }
    apply();
}

void HintWindow::apply()
{
    setWindowOpacity(fade_.alpha() / 255.0);
    if (fade_.visible() && !isVisible())
        show();
    else if (!fade_.visible() && isVisible())
        hide();
    if (const int ms = fade_.interval(); ms >= 0)
        timer_->start(ms);
    else
        timer_->stop();
}

void HintWindow::resizeEvent(QResizeEvent*)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), 3, 3);
    setMask(QRegion(path.toFillPolygon().toPolygon()));
}

CommandHints::CommandHints(HintWindow* window, QObject* parent) : QObject(parent), window_(window) {}

void CommandHints::attachAll(QWidget* root)
{
    for (QWidget* w : root->findChildren<QWidget*>()) {
        const QString text = hints::commandHint(w->objectName());
        if (!text.isEmpty())
            attach(w, text);
    }
}

void CommandHints::attach(QWidget* control, const QString& text)
{
    if (attached_.contains(control))
        return;
    attached_.insert(control);
    control->setProperty("fotarelHint", text);
    control->installEventFilter(this);
    connect(control, &QObject::destroyed, this, [this, control] { attached_.remove(control); });
}

bool CommandHints::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Enter:
        window_->startText(watched->property("fotarelHint").toString());
        break;
    case QEvent::Leave:
    case QEvent::MouseButtonPress:
    case QEvent::Hide:
        if (window_->fade().phase() != hints::HintFade::Phase::Hidden)
            window_->end();
        break;
    default:
        break;
    }
    return false;
}

} // namespace fotarel::app
