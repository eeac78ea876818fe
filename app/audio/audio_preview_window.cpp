#include "app/audio/audio_preview_window.h"

#include "app/audio/lyric_panel.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace fotarel::app {

using Kind = audio::LyricPreview::Kind;

AudioPreviewWindow::AudioPreviewWindow(Session& session, audio::AudioPlayer& player, UiPort& ui, Kind kind, QWidget* parent)
    : QDialog(parent),
      ui_(ui),
      preview_(session, player, kind),
      songs_(new QComboBox(this)),
      lyrics_(new QComboBox(this)),
      chosenSong_(new QLineEdit(this)),
      chosenLyrics_(new QLineEdit(this)),
      current_(new QLabel(QStringLiteral("00:00"), this)),
      length_(new QLabel(QStringLiteral("00:00"), this)),
      panel_(new LyricPanel(QSize(audio::kPreviewPanelWidth, audio::kPreviewPanelHeight), this)),
      play_(new QPushButton(kind == Kind::Music ? QStringLiteral("播放音乐") : QStringLiteral("预览歌词"), this)),
      stop_(new QPushButton(QStringLiteral("停止播放"), this)),
      timer_(new QTimer(this))
{
    setObjectName(kind == Kind::Music ? QStringLiteral("TForm28") : QStringLiteral("TForm29"));
    setWindowTitle(kind == Kind::Music ? QStringLiteral("音乐预览") : QStringLiteral("歌词预览"));
    setModal(true);
    songs_->setObjectName(QStringLiteral("suiComboBox_yinyue"));
    lyrics_->setObjectName(QStringLiteral("suiComboBox_geci"));
    chosenSong_->setObjectName(QStringLiteral("suiEdit_xuanzhongyinyue"));
    chosenLyrics_->setObjectName(QStringLiteral("suiEdit_xuanzhonggeci"));
    chosenSong_->setReadOnly(true);
    chosenLyrics_->setReadOnly(true);
    current_->setObjectName(QStringLiteral("Label_dangqianshijian"));
    length_->setObjectName(QStringLiteral("Label_xianshi_zongshijian"));
    play_->setObjectName(QStringLiteral("suiButton_bofang"));
    stop_->setObjectName(QStringLiteral("suiButton_tingzhi"));
    timer_->setObjectName(QStringLiteral("Timer_xianshi_yinyue_dangqian_shijian"));
    timer_->setInterval(10);
    auto* back = new QPushButton(QStringLiteral("返        回"), this);
    back->setObjectName(QStringLiteral("suiButton_fanhui"));

    auto* choosers = new QGridLayout;
    choosers->addWidget(new QLabel(QStringLiteral("选择音乐："), this), 0, 0);
    choosers->addWidget(songs_, 0, 1);
    choosers->addWidget(chosenSong_, 0, 2);
    choosers->addWidget(new QLabel(QStringLiteral("选择歌词："), this), 1, 0);
    choosers->addWidget(lyrics_, 1, 1);
    choosers->addWidget(chosenLyrics_, 1, 2);
    choosers->setColumnStretch(1, 1);
    choosers->setColumnStretch(2, 1);
    auto* times = new QHBoxLayout;
    times->addWidget(new QLabel(QStringLiteral("当前时间："), this));
    times->addWidget(current_);
    times->addSpacing(20);
    times->addWidget(new QLabel(QStringLiteral("总时间："), this));
    times->addWidget(length_);
    times->addStretch();
    times->addWidget(play_);
    times->addWidget(stop_);
    times->addWidget(back);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choosers);
    layout->addWidget(panel_, 0, Qt::AlignHCenter);
    layout->addLayout(times);

    connect(songs_, &QComboBox::activated, this, [this](int index) {
        chosenSong_->setText(songs_->itemText(index));
        preview_.chooseSong(index);
        length_->setText(preview_.lengthText());
    });
    connect(lyrics_, &QComboBox::activated, this, [this](int index) {
        chosenLyrics_->setText(lyrics_->itemText(index));
        preview_.chooseLyrics(index, ui_);
    });
    connect(play_, &QPushButton::clicked, this, [this] {
        if (!preview_.play(ui_))
            return;
        length_->setText(preview_.lengthText());
        panel_->setLine(QString(), preview_.style());
        timer_->start();
        stop_->setEnabled(true);
    });
    connect(stop_, &QPushButton::clicked, this, &AudioPreviewWindow::stopPlaying);
    connect(back, &QPushButton::clicked, this, [this] {
        stopPlaying();
        reject();
    });
    connect(timer_, &QTimer::timeout, this, &AudioPreviewWindow::tick);
}

void AudioPreviewWindow::prepare()
{
    stopPlaying();
    preview_.reset();
    songs_->clear();
    songs_->addItems(preview_.songNames());
    songs_->setCurrentIndex(-1);
    lyrics_->clear();
    lyrics_->addItems(preview_.lyricNames());
    lyrics_->setCurrentIndex(-1);
    chosenSong_->clear();
    chosenLyrics_->clear();
    current_->setText(QStringLiteral("00:00"));
    length_->setText(QStringLiteral("00:00"));
    panel_->setLine(QString(), panel_->lineStyle());
}

void AudioPreviewWindow::open()
{
    prepare();
    exec();
}

void AudioPreviewWindow::tick()
{
    const audio::LyricPreview::Frame frame = preview_.tick();
    current_->setText(frame.current);
    panel_->setLine(frame.line, frame.style);
    if (frame.stopped) {
        timer_->stop();
        stop_->setEnabled(false);
    }
}

void AudioPreviewWindow::stopPlaying()
{
    timer_->stop();
    preview_.stop();
    panel_->setLine(QString(), panel_->lineStyle());
    current_->setText(QStringLiteral("00:00"));
    // "停止播放" only while something plays: otherwise it would do nothing.
    stop_->setEnabled(false);
}

void AudioPreviewWindow::closeEvent(QCloseEvent* event)
{
    stopPlaying();
    QDialog::closeEvent(event);
}

void previewCommand(Session& session, UiPort& ui, AudioPreviewWindow& window, Kind kind)
{
    if (audio::LyricPreview::mayOpen(session, ui, kind))
        window.open();
}

} // namespace fotarel::app
