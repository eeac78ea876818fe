#include "app/main_window.h"

#include "app/audio/music_import_window.h"
#include "app/audio/music_tile_area.h"
#include "app/confirm_window.h"
#include "app/effects/caption_editor_window.h"
#include "app/photos/photo_area.h"
#include "app/render/output_buttons.h"
#include "app/settings/album_length_dialog.h"
#include "app/settings/other_settings_dialog.h"
#include "app/settings/status_panel.h"
#include "app/message_window.h"
#include "app/qt_ui_port.h"
#include "app/title_bar.h"
#include "core/colours.h"
#include "engine/exit_command.h"

#include <QCloseEvent>
#include <QFrame>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <vector>

namespace fotarel::app {

MainWindow::MainWindow(const QString& programFolder, SingleInstanceGuard& guard, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      folder_(programFolder),
      guard_(guard),
      title_(new TitleBar(QStringLiteral("Fotarel2018"), this)),
      messages_(new MessageWindow(this)),
      exitConfirm_(new ConfirmWindow(QStringLiteral("TForm25"), kExitTitle, this)),
      ui_(std::make_unique<QtUiPort>(this, messages_, exitConfirm_)),
      photoArea_(makeArea(QStringLiteral("Panel_xianshikuang"))),
      musicArea_(makeArea(QStringLiteral("Panel_xianshikuang_yinyue"))),
      lyricArea_(makeArea(QStringLiteral("Panel_xianshikuang_geci"))),
      photos_(std::make_unique<PhotoArea>(session_, folder_, *ui_, photoArea_)),
      musicTiles_(new MusicTileArea(session_, folder_, musicArea_)),
      musicImport_(new MusicImportWindow(session_, folder_, *ui_, this)),
      status_(new StatusPanel(session_, this)),
      albumLength_(new AlbumLengthDialog(session_, this)),
      otherSettings_(new OtherSettingsDialog(session_, this)),
      captions_(new CaptionEditorWindow(session_, *ui_, this)),
      commands_(new QWidget(this)),
      exitTimer_(new QTimer(this))
{
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("Fotarel2018"));
    resize(kClientWidth, kClientHeight);
    title_->setGeometry(0, 0, kClientWidth, TitleBar::kHeight);
    connect(title_, &TitleBar::closeClicked, this, &MainWindow::closeCommand);

    exitTimer_->setObjectName(QStringLiteral("Timer_tuichuruanjian"));
    exitTimer_->setInterval(1);
    connect(exitTimer_, &QTimer::timeout, this, &MainWindow::exitTimerTick);
    buildCommands();
    buildAreaBar();
    musicTiles_->setGeometry(0, 0, 880, 550);
    connect(photos_.get(), &PhotoArea::photoAreaWanted, this, [this] { chooseArea(Area::Photos); });

    if (QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

MainWindow::~MainWindow() = default;

QFrame* MainWindow::makeArea(const QString& name)
{
    auto* area = new QFrame(this);
    area->setObjectName(name);
    // Placed here already so the contents built over it get their size;
    // start-up places the areas again.
    area->setGeometry(170, 50, 880, 550);
    area->setAutoFillBackground(true);
    QPalette pal = area->palette();
    pal.setColor(QPalette::Window, QColor(0x2a, 0x31, 0x3a));
    area->setPalette(pal);
    area->hide();
    return area;
}

QPushButton* MainWindow::addCommand(const QString& objectName, const QString& caption, int row)
{
    auto* button = new QPushButton(caption, commands_);
    button->setObjectName(objectName);
    button->setGeometry(10, row * 38, 150, 32);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

void MainWindow::buildCommands()
{
    // The command column left of the areas, with the status panel under it.
    commands_->setObjectName(QStringLiteral("Panel_mingling"));
    constexpr int kRows = 10;
    commands_->setGeometry(0, 50, 170, kRows * 38);
    commands_->setStyleSheet(QStringLiteral(
        "QPushButton { color: white; background: #3a4452; border: 1px solid #56606e; border-radius: 4px;"
        " font-family: '微软雅黑'; font-size: 14px; }"
        "QPushButton:hover { background: #4a5666; }"));
    connect(addCommand(QStringLiteral("suiButton1"), QStringLiteral("添加相片"), 0), &QPushButton::clicked,
            photos_.get(), &PhotoArea::addPhotos);
    connect(addCommand(QStringLiteral("suiButton2"), QStringLiteral("添加音乐"), 1), &QPushButton::clicked, this,
            [this] {
                addMusicCommand(session_, folder_, *ui_, *musicImport_, *musicTiles_,
                                [this] { chooseArea(Area::Music); });
            });
    connect(addCommand(QStringLiteral("suiButton4"), QStringLiteral("相册长度"), 2), &QPushButton::clicked,
            albumLength_, &AlbumLengthDialog::run);
    connect(addCommand(QStringLiteral("suiButton9"), QStringLiteral("其它设置"), 3), &QPushButton::clicked,
            otherSettings_, &OtherSettingsDialog::run);
    connect(addCommand(QStringLiteral("suiButton5"), QStringLiteral("文字特效"), 4), &QPushButton::clicked,
            captions_, &CaptionEditorWindow::run);
    // The output commands; OutputButtons finds them by name and runs them.
    addCommand(QStringLiteral("suiButton10"), QStringLiteral("VCD"), 5);
    addCommand(QStringLiteral("suiButton11"), QStringLiteral("SVCD"), 6);
    addCommand(QStringLiteral("suiButton12"), QStringLiteral("DVD"), 7);
    addCommand(QStringLiteral("suiButton38"), QStringLiteral("AVI"), 8);
    addCommand(QStringLiteral("suiButton39"), QStringLiteral("序列图"), 9);
    new OutputButtons(this, session_, folder_, *ui_);
    status_->setGeometry(5, 50 + kRows * 38 + 8, 160, kClientHeight - (50 + kRows * 38 + 8) - 10);
}

void MainWindow::buildAreaBar()
{
    // Area switches above the areas, and each area's view commands under it.
    const QString style = QStringLiteral(
        "QPushButton { color: #d9dee5; background: transparent; border: none; font-family: '微软雅黑';"
        " font-size: 13px; padding: 0 6px; }"
        "QPushButton:hover { color: white; text-decoration: underline; }");
    struct Switch {
        const char* name;
        const char* caption;
        Area area;
    };
    const Switch switches[] = {{"Label_xiangpianquyu", "相片区域", Area::Photos},
                               {"Label_yinyuequyu", "音乐区域", Area::Music},
                               {"Label_geciquyu", "歌词区域", Area::Lyrics}};
    int x = 170;
    for (const Switch& sw : switches) {
        auto* b = new QPushButton(QString::fromUtf8(sw.caption), this);
        b->setObjectName(QString::fromLatin1(sw.name));
        b->setStyleSheet(style);
        b->setGeometry(x, 30, 80, 20);
        b->setCursor(Qt::PointingHandCursor);
        const Area area = sw.area;
        connect(b, &QPushButton::clicked, this, [this, area] { chooseArea(area); });
        x += 84;
    }

    struct Tool {
        const char* name;
        const char* caption;
        std::function<void()> run;
    };
    auto makeRow = [&](const std::vector<Tool>& tools, QList<QWidget*>& into) {
        int left = 170;
        for (const Tool& t : tools) {
            auto* b = new QPushButton(QString::fromUtf8(t.caption), this);
            b->setObjectName(QString::fromLatin1(t.name));
            b->setStyleSheet(style);
            b->setGeometry(left, 606, 60, 24);
            b->setCursor(Qt::PointingHandCursor);
            connect(b, &QPushButton::clicked, this, t.run);
            into.append(b);
            left += 64;
        }
    };
    PhotoArea* photos = photos_.get();
    makeRow({{"suiButton13", "图标", [photos] { photos->showTiles(); }},
             {"suiButton14", "列表", [photos] { photos->showList(); }},
             {"suiButton15", "删除", [photos] { photos->deleteOne(); }},
             {"suiButton16", "全删", [photos] { photos->deleteAll(); }}},
            photoTools_);
    MusicTileArea* music = musicTiles_;
    makeRow({{"suiButton17", "图标", [music] { music->showTiles(); }},
             {"suiButton18", "列表", [music] { music->showList(); }}},
            musicTools_);
    for (QWidget* w : musicTools_)
        w->hide();
}

void MainWindow::chooseArea(Area area)
{
    // Choosing the music or lyric area forgets the selected tile; choosing the
    // photo area keeps it. The tile/list choice stays as it was.
    if (area != Area::Photos)
        session_.set(QStringLiteral("Edit_xiangpian_down_id"), QStringLiteral("wu"));
    photoArea_->setVisible(area == Area::Photos);
    musicArea_->setVisible(area == Area::Music);
    lyricArea_->setVisible(area == Area::Lyrics);
    for (QWidget* w : photoTools_)
        w->setVisible(area == Area::Photos);
    for (QWidget* w : musicTools_)
        w->setVisible(area == Area::Music);
}

void MainWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!startupStarted_) {
        startupStarted_ = true;
        QTimer::singleShot(0, this, &MainWindow::runStartup);
    }
}

void MainWindow::runStartup()
{
    StartupHooks hooks;
    hooks.prepareWindow = [this] {
        QPalette pal = palette();
        pal.setColor(QPalette::Window, colourFromValue(kBackgroundColour));
        setPalette(pal);
        setAutoFillBackground(true);
    };
    hooks.placeAreas = [this] {
        const QColor background = photoArea_->palette().color(QPalette::Window);
        for (QFrame* area : {photoArea_, musicArea_, lyricArea_}) {
            area->setGeometry(170, 50, 880, 550);
            QPalette pal = area->palette();
            pal.setColor(QPalette::Window, background);
            area->setPalette(pal);
        }
        photoArea_->show();
        musicArea_->hide();
        lyricArea_->hide();
    };
    startupReport_ = fotarel::runStartup(session_, folder_, guard_, *ui_, hooks);
    startupDone_ = true;

    int exitCode = -1;
    switch (startupReport_.outcome) {
    case StartupOutcome::Ready:
        status_->timer()->start();
        break;
    case StartupOutcome::AnotherInstanceRunning:
        exitCode = 0;
        break;
    case StartupOutcome::InvalidTemplateMarker:
        std::fprintf(stderr, "Fotarel: template description %s has no valid marker; the program ends.\n",
                     qPrintable(startupReport_.detail));
        exitCode = 0;
        break;
    case StartupOutcome::FolderUnavailable:
        exitCode = 1;
        break;
    }
    emit startupFinished(exitCode);
}

void MainWindow::closeCommand()
{
    if (confirmExit(*ui_))
        exitTimer_->start();
}

void MainWindow::exitTimerTick()
{
    exitTimer_->stop();
    status_->timer()->stop();
    cleanWorkingTreeAtExit(folder_);
    close();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Closing by any means ends the program; only the close box's path
    // (closeCommand) cleans the working tree first.
    event->accept();
}

} // namespace fotarel::app
