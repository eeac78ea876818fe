#include "app/render/render_window.h"

#include "media/conversion.h"
#include "render/render_names.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
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

#include <algorithm>

namespace fotarel::app {

namespace {
// Progress reaches the window this often: a few times a second is enough
// to read, and keeps the interface thread idle while the pass runs.
constexpr int kProgressIntervalMs = 250;

QString clockText(double seconds)
{
    return QString::fromStdString(media::makeTimeText(seconds));
}
} // namespace

RenderWindow::RenderWindow(Session& session, const WorkingFolder& folder, QWidget* parent)
    : QDialog(parent), session_(session), folder_(folder)
{
    setObjectName(QStringLiteral("TfrmMain"));
    setWindowTitle(QStringLiteral("制作相册"));
    setModal(true);
    auto* grid = new QGridLayout(this);
    overallLabel_ = new QLabel(QStringLiteral("总进度"), this);
    overallLabel_->setObjectName(QStringLiteral("Label_zongjindu"));
    overall_ = new QProgressBar(this);
    overall_->setObjectName(QStringLiteral("ProgressBar1"));
    activityLabel_ = new QLabel(QStringLiteral("视频编码"), this);
    activityLabel_->setObjectName(QStringLiteral("Label_bianma"));
    activity_ = new QProgressBar(this);
    activity_->setObjectName(QStringLiteral("ProgressBar2"));
    time_ = new QLabel(this);
    time_->setObjectName(QStringLiteral("Label_shijian"));
    outcomeText_ = new QLabel(this);
    outcomeText_->setObjectName(QStringLiteral("Label_jieguo"));
    outcomeText_->setWordWrap(true);
    outcomeText_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    outcomeText_->hide();
    folderNote_ = new QLabel(this);
    folderNote_->setObjectName(QStringLiteral("Label_dakai_wenjianjia"));
    folderNote_->setWordWrap(true);
    folderNote_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    folderNote_->hide();
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
    openFolder_ = new QPushButton(QStringLiteral("打开文件夹"), this);
    openFolder_->setObjectName(QStringLiteral("Button_dakai_wenjianjia"));
    openFolder_->hide();
    grid->addWidget(new QLabel(QStringLiteral("文件名:"), this), 0, 0);
    grid->addWidget(fileName_, 0, 1, 1, 2);
    grid->addWidget(activityLabel_, 1, 0);
    grid->addWidget(activity_, 1, 1, 1, 2);
    grid->addWidget(overallLabel_, 2, 0);
    grid->addWidget(overall_, 2, 1, 1, 2);
    grid->addWidget(time_, 3, 0, 1, 3);
    grid->addWidget(outcomeText_, 4, 0, 1, 3);
    grid->addWidget(folderNote_, 5, 0, 1, 3);
    grid->addWidget(openWhenDone_, 6, 0, 1, 2);
    grid->addWidget(openLocation_, 7, 1);
    grid->addWidget(openFolder_, 7, 1);
    grid->addWidget(stop_, 7, 2);
    // The outcome and the notes wrap inside the window's width.
    grid->setColumnStretch(1, 1);

    // Hidden state: the player load log, its error log and the conversion log.
    loadLog_ = new QListWidget(this);
    loadLog_->setObjectName(render::tables::LoadLog);
    errorLog_ = new QListWidget(this);
    errorLog_->setObjectName(render::tables::ErrorLog);
    conversionLog_ = new QListWidget(this);
    conversionLog_->setObjectName(render::tables::ConversionLog);
    for (QListWidget* list : {loadLog_, errorLog_, conversionLog_})
        list->hide();
    resize(460, 200);

    folderOpener_ = [](const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };

    startTimer_ = new QTimer(this);
    startTimer_->setSingleShot(true);
    startTimer_->setInterval(1000);
    progressTimer_ = new QTimer(this);
    progressTimer_->setObjectName(QStringLiteral("Timer_jindu"));
    progressTimer_->setInterval(kProgressIntervalMs);
    connect(startTimer_, &QTimer::timeout, this, &RenderWindow::startPass);
    connect(progressTimer_, &QTimer::timeout, this, &RenderWindow::showProgress);
    connect(stop_, &QPushButton::clicked, this, &RenderWindow::stopOrClose);
    connect(openLocation_, &QPushButton::clicked, this, &RenderWindow::openFolder);
    connect(openFolder_, &QPushButton::clicked, this, &RenderWindow::openFolder);
    connect(openWhenDone_, &QCheckBox::toggled, this, [this](bool on) {
        session_.set(render::vars::OpenFolderWhenDone, on ? QStringLiteral("True") : QStringLiteral("False"));
    });
    startTimer_->start();
}

RenderWindow::~RenderWindow()
{
    if (pass_)
        pass_->stop();
    if (thread_) {
        thread_->wait();
        delete thread_;
    }
}

void RenderWindow::setStartDelay(int ms)
{
    startTimer_->setInterval(ms);
    if (startTimer_->isActive())
        startTimer_->start();
}

void RenderWindow::startPass()
{
    overall_->setValue(0);
    activity_->setValue(0);
    time_->setText(QStringLiteral("已用时间 %1").arg(clockText(0)));
    render::PassEvents events;
    // Called on the pass's thread: they only note the figures.
    events.overall = [this](int v, int m) {
        const std::lock_guard<std::mutex> lock(progressMutex_);
        progress_.overall = v;
        progress_.overallMax = m;
    };
    events.activity = [this](int v, int m) {
        const std::lock_guard<std::mutex> lock(progressMutex_);
        progress_.activity = v;
        progress_.activityMax = m;
    };
    events.stopEnabled = [this](bool on) {
        const std::lock_guard<std::mutex> lock(progressMutex_);
        progress_.stopEnabled = on;
    };
    events.time = [this](double, double remaining) {
        const std::lock_guard<std::mutex> lock(progressMutex_);
        progress_.remaining = remaining;
    };
    if (eventsHook_)
        eventsHook_(events);
    pass_ = std::make_unique<render::RenderPass>(session_, folder_, events);
    running_ = true;
    clock_.start();
    thread_ = QThread::create([this] {
        const render::PassResult result = pass_->run();
        QMetaObject::invokeMethod(this, [this, result] { onPassEnded(result); });
    });
    thread_->start();
    progressTimer_->start();
}

void RenderWindow::showProgress()
{
    Progress p;
    {
        const std::lock_guard<std::mutex> lock(progressMutex_);
        p = progress_;
    }
    overall_->setMaximum(std::max(1, p.overallMax));
    overall_->setValue(std::clamp(p.overall, 0, overall_->maximum()));
    activity_->setMaximum(std::max(1, p.activityMax));
    activity_->setValue(std::clamp(p.activity, 0, activity_->maximum()));
    if (running_) {
        stop_->setEnabled(p.stopEnabled && !pass_->stopRequested());
        const QString spent = QStringLiteral("已用时间 %1").arg(clockText(clock_.elapsed() / 1000.0));
        time_->setText(p.remaining < 0 ? spent : spent + QStringLiteral("    剩余时间 %1").arg(clockText(p.remaining)));
    }
}

void RenderWindow::onPassEnded(const render::PassResult& result)
{
    result_ = result;
    running_ = false;
    progressTimer_->stop();
    if (thread_) {
        thread_->wait();
        delete thread_;
        thread_ = nullptr;
    }
    result.applyTo(session_);
    loadLog_->clear();
    loadLog_->addItems(session_.table(render::tables::LoadLog).lines());
    errorLog_->clear();
    errorLog_->addItems(session_.table(render::tables::ErrorLog).lines());
    conversionLog_->clear();
    conversionLog_->addItems(session_.table(render::tables::ConversionLog).lines());
    finished_ = true;
    if (result.outcome == render::PassOutcome::InvalidTemplate) {
        emit passEnded();
        emit invalidTemplate();
        done(QDialog::Rejected);
        return;
    }
    showProgress();
    showOutcome();
    if (openWhenDone_->isChecked() && result.outcome == render::PassOutcome::Completed)
        openFolder();
    emit passEnded();
}

void RenderWindow::showOutcome()
{
    const QString spent = QStringLiteral("用时 %1").arg(clockText(clock_.elapsed() / 1000.0));
    // The bars end saying how the pass ended, not where it happened to be.
    auto endBars = [this](const QString& word, bool full) {
        for (QProgressBar* bar : {overall_, activity_}) {
            bar->setValue(full ? bar->maximum() : bar->minimum());
            bar->setFormat(word);
        }
    };
    switch (result_.outcome) {
    case render::PassOutcome::Completed:
        outcomeText_->setText(QStringLiteral("相册制作完成：%1").arg(result_.outputPath));
        time_->setText(spent);
        openLocation_->hide();
        openFolder_->show();
        endBars(QStringLiteral("完成"), true);
        break;
    case render::PassOutcome::Stopped:
        outcomeText_->setText(QStringLiteral("已停止制作，没有生成文件。"));
        endBars(QStringLiteral("已停止"), false);
        break;
    default:
        outcomeText_->setText(render::failureText(result_));
        endBars(QStringLiteral("制作失败"), false);
        break;
    }
    outcomeText_->show();
    fitHeightToText();
    stop_->setText(QStringLiteral("关闭"));
    stop_->setEnabled(true);
}

void RenderWindow::fitHeightToText()
{
    // Wrapped lines need height: the window grows downwards until all of
    // the outcome and the notes are seen.
    layout()->activate();
    const int needed = layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(width()) : sizeHint().height();
    if (needed > height())
        resize(width(), needed);
}

void RenderWindow::stopOrClose()
{
    if (running_) {
        pass_->stop(); // the pass ends within a frame and reports its end
        stop_->setEnabled(false);
        return;
    }
    if (finished_)
        done(result_.outcome == render::PassOutcome::Completed ? QDialog::Accepted : QDialog::Rejected);
}

void RenderWindow::openFolder()
{
    const QString out = session_.get(render::vars::VideoOut);
    if (out.isEmpty())
        return;
    const QString folder = render::outputFolder(out);
    if (folderOpener_(folder)) {
        folderNote_->hide();
        return;
    }
    folderNote_->setText(QStringLiteral("无法打开文件夹：这台电脑没有登记文件管理器。文件保存在：%1")
                             .arg(QDir::toNativeSeparators(folder)));
    folderNote_->show();
    fitHeightToText();
}

void RenderWindow::reject()
{
    // The close box acts as "停止制作" while the pass runs, then closes.
    if (running_ || finished_) {
        stopOrClose();
        return;
    }
    // Closed before the pass started: nothing was made.
    startTimer_->stop();
    result_.outcome = render::PassOutcome::Stopped;
    finished_ = true;
    emit passEnded();
    done(QDialog::Rejected);
}

} // namespace fotarel::app
