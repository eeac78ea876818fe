#include "app/main_window.h"

#include "app/confirm_window.h"
#include "app/message_window.h"
#include "app/qt_ui_port.h"
#include "app/title_bar.h"
#include "core/colours.h"
#include "engine/exit_command.h"

#include <QCloseEvent>
#include <QFrame>
#include <QScreen>
#include <QTimer>

#include <cstdio>

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
      exitTimer_(new QTimer(this)),
      statusTimer_(new QTimer(this))
{
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("Fotarel2018"));
    resize(kClientWidth, kClientHeight);
    title_->setGeometry(0, 0, kClientWidth, TitleBar::kHeight);
    connect(title_, &TitleBar::closeClicked, this, &MainWindow::closeCommand);

    exitTimer_->setObjectName(QStringLiteral("Timer_tuichuruanjian"));
    exitTimer_->setInterval(1);
    connect(exitTimer_, &QTimer::timeout, this, &MainWindow::exitTimerTick);
    statusTimer_->setInterval(50);

    if (QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

MainWindow::~MainWindow() = default;

QFrame* MainWindow::makeArea(const QString& name)
{
    auto* area = new QFrame(this);
    area->setObjectName(name);
    area->setAutoFillBackground(true);
    QPalette pal = area->palette();
    pal.setColor(QPalette::Window, QColor(0x2a, 0x31, 0x3a));
    area->setPalette(pal);
    area->hide();
    return area;
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
        statusTimer_->start();
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
    statusTimer_->stop();
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
