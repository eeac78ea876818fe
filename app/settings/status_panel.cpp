#include "app/settings/status_panel.h"

#include "render/album_length.h"
#include "render/output_settings.h"

#include <QPushButton>

#include <QLabel>
#include <QTimer>

namespace fotarel::app {

namespace {
constexpr int kLineHeight = 20;
constexpr int kLineCount = 8;
const QString kHelpText = QStringLiteral(
    "使用说明：\n1. 添加相片\n2. 添加音乐\n3. 添加歌词\n4. 选择输出类型，制作相册\n\n"
    "拖动图标可以交换顺序，双击音乐图标可以预览。");
} // namespace

StatusPanel::StatusPanel(Session& session, QWidget* parent)
    : QFrame(parent),
      session_(session),
      musicNotice_(new QLabel(this)),
      loopMusic_(new QPushButton(QStringLiteral("循环播放音乐"), this)),
      helpArea_(new QWidget(this)),
      help_(new QLabel(helpArea_)),
      timer_(new QTimer(this))
{
    setObjectName(QStringLiteral("Panel_zhuangtai"));
    resize(kDefaultWidth, kDefaultHeight);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);

    // The help text scrolls in the lower part of the panel, under the lines.
    for (int i = 0; i < kLineCount; ++i) {
        auto* line = new QLabel(this);
        line->setObjectName(QStringLiteral("Label_zhuangtai_%1").arg(i + 1));
        line->setGeometry(8, 4 + i * kLineHeight, kDefaultWidth - 16, kLineHeight);
        lines_.append(line);
    }
    // Songs shorter than the album: how much is silent, and the loop choice.
    const int noticeTop = 4 + kLineCount * kLineHeight;
    musicNotice_->setObjectName(QStringLiteral("Label_yinyue_tishi"));
    musicNotice_->setGeometry(8, noticeTop, kDefaultWidth - 16, kLineHeight);
    musicNotice_->setStyleSheet(QStringLiteral("color: #ffd060;"));
    musicNotice_->hide();
    loopMusic_->setObjectName(QStringLiteral("suiButton_xunhuan_yinyue"));
    loopMusic_->setToolTip(QStringLiteral("以音乐循环播放补充帧频"));
    loopMusic_->setGeometry(8, noticeTop + kLineHeight + 2, kDefaultWidth - 16, 22);
    loopMusic_->hide();
    connect(loopMusic_, &QPushButton::clicked, this, [this] {
        settings::setLoopMusic(session_, true);
        refresh();
    });
    static_assert(kContentHeight >= 4 + kLineCount * kLineHeight + kLineHeight + 2 + 22);
    const int helpTop = kContentHeight + 4;
    helpArea_->setObjectName(QStringLiteral("Panel_bangzhu"));
    helpArea_->setGeometry(0, helpTop, kDefaultWidth, kDefaultHeight - helpTop);
    help_->setObjectName(QStringLiteral("Label_bangzhu"));
    help_->setWordWrap(true);
    setHelpText(kHelpText);
    help_->move(8, settings::kHelpTextStartTop);

    timer_->setObjectName(QStringLiteral("Timer_zhuangtai"));
    timer_->setInterval(50);
    connect(timer_, &QTimer::timeout, this, &StatusPanel::refresh);
    refresh();
}

void StatusPanel::setHelpText(const QString& text)
{
    help_->setText(text);
    help_->setFixedWidth(helpArea_->width() - 16);
    help_->adjustSize();
}

void StatusPanel::refresh()
{
    const QStringList texts = settings::statusLines(session_);
    for (int i = 0; i < lines_.size() && i < texts.size(); ++i)
        if (lines_[i]->text() != texts[i])
            lines_[i]->setText(texts[i]);
    const QString notice = render::shortMusicNotice(session_);
    if (musicNotice_->text() != notice)
        musicNotice_->setText(notice);
    musicNotice_->setVisible(!notice.isEmpty());
    loopMusic_->setVisible(!notice.isEmpty());
    help_->move(help_->x(), settings::nextHelpTextTop(help_->y(), help_->height()));
    if (preview_) {
        const QString flag = session_.get(QStringLiteral("Edit_Image_chakanxiangpian_T_or_F"));
        if (flag == QLatin1String("True"))
            preview_->show();
        else if (flag == QLatin1String("False"))
            preview_->hide();
    }
}

} // namespace fotarel::app
