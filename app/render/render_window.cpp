#include "app/render/render_window.h"

#include "render/render_names.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QUrl>

namespace fotarel::app {

namespace {
constexpr int kLogCap = 31999;
}

RenderWindow::RenderWindow(Session& session, const WorkingFolder& folder, QWidget* parent)
    : QDialog(parent), session_(session), folder_(folder)
{
    setObjectName(QStringLiteral("TfrmMain"));
    setWindowTitle(QStringLiteral("制作相册"));
    setModal(true);
    auto* grid = new QGridLayout(this);
    overall_ = new QProgressBar(this);
    overall_->setObjectName(QStringLiteral("ProgressBar1"));
    activity_ = new QProgressBar(this);
    activity_->setObjectName(QStringLiteral("ProgressBar2"));
    activity_->setTextVisible(false);
    fileName_ = new QLineEdit(session.get(render::vars::OutputFileName), this);
    fileName_->setObjectName(QStringLiteral("suiEdit_baocunwenjianming"));
    fileName_->setReadOnly(true);
    openWhenDone_ = new QCheckBox(QStringLiteral("完成后打开保存文件夹"), this);
    openWhenDone_->setObjectName(QStringLiteral("CheckBox_daikai_wenjianjia"));
    openWhenDone_->setChecked(session.get(render::vars::OpenFolderWhenDone) == QLatin1String("True"));
    stop_ = new QPushButton(QStringLiteral("停止制作"), this);
    stop_->setObjectName(QStringLiteral("suiButton1"));
    stop_->setEnabled(false);
    openLocation_ = new QPushButton(QStringLiteral("打开位置"), this);
    openLocation_->setObjectName(QStringLiteral("suiButton2"));
    grid->addWidget(new QLabel(QStringLiteral("文件名:"), this), 0, 0);
    grid->addWidget(fileName_, 0, 1, 1, 2);
    grid->addWidget(activity_, 1, 0, 1, 3);
    grid->addWidget(overall_, 2, 0, 1, 3);
    grid->addWidget(openWhenDone_, 3, 0, 1, 2);
    grid->addWidget(openLocation_, 4, 1);
    grid->addWidget(stop_, 4, 2);

    // Hidden state: the player load log, its error log and the conversion log.
    loadLog_ = new QListWidget(this);
    loadLog_->setObjectName(QStringLiteral("ListBox_jiazai_FLASH_xianshi"));
    errorLog_ = new QListWidget(this);
    errorLog_->setObjectName(QStringLiteral("ListBox_cuowu_yichang_xianshi"));
    conversionLog_ = new QListWidget(this);
    conversionLog_->setObjectName(QStringLiteral("lstProgress"));
    for (QListWidget* list : {loadLog_, errorLog_, conversionLog_})
        list->hide();
    resize(460, 170);

    startTimer_ = new QTimer(this);
    startTimer_->setSingleShot(true);
    startTimer_->setInterval(1000);
    finishTimer_ = new QTimer(this);
    finishTimer_->setSingleShot(true);
    finishTimer_->setInterval(1000);
    connect(startTimer_, &QTimer::timeout, this, &RenderWindow::startPass);
    connect(finishTimer_, &QTimer::timeout, this, &RenderWindow::finishPass);
    connect(stop_, &QPushButton::clicked, this, &RenderWindow::stopPass);
    connect(openLocation_, &QPushButton::clicked, this, &RenderWindow::openFolder);
    connect(openWhenDone_, &QCheckBox::toggled, this, [this](bool on) {
        if (!running_)
            session_.set(render::vars::OpenFolderWhenDone, on ? QStringLiteral("True") : QStringLiteral("False"));
    });
    startTimer_->start();
}

RenderWindow::~RenderWindow()
{
    if (pass_)
        pass_->stop();
    if (thread_) {
        thread_->quit();
        thread_->wait();
    }
}

void RenderWindow::setTimerIntervals(int startMs, int finishMs)
{
    startTimer_->setInterval(startMs);
    if (startTimer_->isActive())
        startTimer_->start();
    finishTimer_->setInterval(finishMs);
}

void RenderWindow::startPass()
{
    conversionLog_->clear();
    overall_->setValue(0);
    activity_->setValue(0);
    render::PassEvents events;
    // The pass reports from its thread; the window takes the reports in its own.
    events.overall = [this](int v, int m) {
        QMetaObject::invokeMethod(this, [this, v, m] {
            overall_->setMaximum(m);
            overall_->setValue(v);
        });
    };
    events.activity = [this](int v, int m) {
        QMetaObject::invokeMethod(this, [this, v, m] {
            activity_->setMaximum(m);
            activity_->setValue(v);
        });
    };
    events.log = [this](const QString& line) {
        QMetaObject::invokeMethod(this, [this, line] { addLogLine(line); });
    };
    events.stopEnabled = [this](bool on) { QMetaObject::invokeMethod(this, [this, on] { stop_->setEnabled(on); }); };
    pass_ = std::make_unique<render::RenderPass>(session_, folder_, events);
    running_ = true;
    thread_ = QThread::create([this] {
        const render::PassResult result = pass_->run();
        QMetaObject::invokeMethod(this, [this, result] { onPassEnded(result); });
    });
    thread_->start();
}

void RenderWindow::addLogLine(const QString& line)
{
    if (conversionLog_->count() > kLogCap)
        delete conversionLog_->takeItem(0);
    conversionLog_->addItem(line);
    conversionLog_->scrollToBottom();
}

void RenderWindow::onPassEnded(const render::PassResult& result)
{
    result_ = result;
    running_ = false;
    if (thread_) {
        thread_->wait();
        delete thread_;
        thread_ = nullptr;
    }
    loadLog_->clear();
    loadLog_->addItems(session_.table(render::tables::LoadLog).lines());
    errorLog_->clear();
    errorLog_->addItems(session_.table(render::tables::ErrorLog).lines());
    if (result.outcome == render::PassOutcome::InvalidTemplate) {
        finished_ = true;
        emit passEnded();
        emit invalidTemplate();
        done(QDialog::Rejected);
        return;
    }
    if (result.outcome == render::PassOutcome::NothingToConvert) {
        // The window stays open; "停止制作" closes it.
        stop_->setEnabled(true);
        return;
    }
    finishTimer_->start();
}

void RenderWindow::stopPass()
{
    if (running_ && pass_) {
        pass_->stop(); // the pass ends at its next frame and the finish timer follows
        stop_->setEnabled(false);
        return;
    }
    finishTimer_->start();
}

void RenderWindow::finishPass()
{
    finishTimer_->stop();
    if (running_)
        return; // the pass reports its end, then the timer runs again
    finished_ = true;
    if (openWhenDone_->isChecked() && result_.outcome == render::PassOutcome::Completed)
        openFolder();
    emit passEnded();
    done(result_.outcome == render::PassOutcome::Completed ? QDialog::Accepted : QDialog::Rejected);
}

void RenderWindow::openFolder()
{
    const QString out = session_.get(render::vars::VideoOut);
    if (out.isEmpty())
        return;
    QDesktopServices::openUrl(QUrl::fromLocalFile(render::outputFolder(out)));
}

void RenderWindow::reject()
{
    // The close box acts as "停止制作".
    stopPass();
}

} // namespace fotarel::app
