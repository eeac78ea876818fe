#include "app/preview/preview_window.h"

#include "photos/photo_columns.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace fotarel::app {

PreviewWindow::PreviewWindow(Session& session, const WorkingFolder& folder, QWidget* parent)
    : QDialog(parent),
      session_(session),
      folder_(folder),
      picture_(new QLabel(this)),
      playButton_(new QPushButton(QStringLiteral("播放"), this)),
      stopButton_(new QPushButton(QStringLiteral("停止"), this)),
      backButton_(new QPushButton(QStringLiteral("返回"), this)),
      timer_(new QTimer(this))
{
    setObjectName(QStringLiteral("TForm34"));
    setWindowTitle(QStringLiteral("相片使用效果预览"));
    setModal(true);
    setStyleSheet(QStringLiteral(
        "QDialog { background: #1d2530; }"
        "QLabel { color: #d9dee5; font-family: '微软雅黑'; font-size: 13px; }"
        "QPushButton { color: white; background: #3a4452; border: 1px solid #56606e; border-radius: 4px;"
        " font-family: '微软雅黑'; font-size: 14px; padding: 5px 22px; }"
        "QPushButton:hover { background: #4a5666; }"));
    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(4);
    fields->setVerticalSpacing(2);
    const QStringList captions = {QStringLiteral("相片名称："), QStringLiteral("横照竖照："), QStringLiteral("相片类型："),
                                  QStringLiteral("相片序号："), QStringLiteral("相片尺寸：")};
    for (int i = 0; i < captions.size(); ++i) {
        auto* c = new QLabel(captions[i], this);
        auto* v = new QLabel(this);
        v->setObjectName(QStringLiteral("Label_yulan_%1").arg(i + 1));
        v->setStyleSheet(QStringLiteral("color: rgb(253, 209, 2);"));
        // Two columns of fields: name, orientation, type | number, size.
        fields->addWidget(c, i % 3, (i / 3) * 2);
        fields->addWidget(v, i % 3, (i / 3) * 2 + 1);
        captions_ << c;
        values_ << v;
    }
    fields->setColumnStretch(1, 1);
    fields->setColumnStretch(3, 1);
    picture_->setObjectName(QStringLiteral("Image_yulan"));
    picture_->setFixedSize(preview::kPreviewSize);
    picture_->setStyleSheet(QStringLiteral("background: black;"));
    playButton_->setObjectName(QStringLiteral("suiButton_bofang"));
    stopButton_->setObjectName(QStringLiteral("suiButton_tingzhi"));
    backButton_->setObjectName(QStringLiteral("suiButton_fanhui"));
    for (QPushButton* b : {playButton_, stopButton_, backButton_})
        b->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(playButton_);
    buttons->addWidget(stopButton_);
    buttons->addWidget(backButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(picture_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    timer_->setObjectName(QStringLiteral("Timer_zhengshu"));
    timer_->setInterval(1000 / preview::kFramesPerSecond);
    connect(timer_, &QTimer::timeout, this, &PreviewWindow::nextFrame);
    connect(playButton_, &QPushButton::clicked, this, &PreviewWindow::play);
    connect(stopButton_, &QPushButton::clicked, this, &PreviewWindow::stop);
    connect(backButton_, &QPushButton::clicked, this, &PreviewWindow::goBack);
    clock_.start();
    clockMs = [this] { return clock_.elapsed(); };
}

PreviewWindow::~PreviewWindow()
{
    timer_->stop();
    playback_.reset();
    preview::removePreviewFolder(folder_);
}

void PreviewWindow::prepare(int row)
{
    const auto fields = preview::photoFields(session_, row);
    for (int i = 0; i < values_.size() && i < fields.size(); ++i)
        values_[i]->setText(fields[i].second);
    playback_ = std::make_unique<preview::Playback>(session_, folder_, preview::prepare(session_, folder_, row));
    play();
}

void PreviewWindow::play()
{
    if (session_.table(photo_tables::Photos).isEmpty()) {
        stop();
        if (message)
            message(preview::kNoPhotos);
        return;
    }
    timer_->stop();
    if (!playback_)
        return;
    if (!playback_->play()) {
        emit invalidTemplate();
        return;
    }
    picture_->show();
    playStartedMs_ = clockMs();
    framesShown_ = 0;
    nextFrame(); // the first frame at once, the others at 25 a second
    timer_->start();
}

void PreviewWindow::nextFrame()
{
    if (!playback_)
        return;
    const qint64 due = (clockMs() - playStartedMs_) * preview::kFramesPerSecond / 1000 + 1;
    const int advance = int(std::clamp<qint64>(due - framesShown_, 1, preview::kFramesPerSecond));
    framesShown_ += advance;
    const bool more = playback_->step(frame_, advance);
    if (!frame_.isNull())
        picture_->setPixmap(QPixmap::fromImage(frame_));
    if (!more) {
        timer_->stop();
        if (playback_->invalid())
            emit invalidTemplate();
    }
}

void PreviewWindow::stop()
{
    timer_->stop();
    if (playback_)
        playback_->stop();
    picture_->clear();
}

void PreviewWindow::goBack()
{
    stop();
    preview::removePreviewFolder(folder_);
    close();
}

void PreviewWindow::closeEvent(QCloseEvent* event)
{
    stop();
    preview::removePreviewFolder(folder_);
    QDialog::closeEvent(event);
}

} // namespace fotarel::app
