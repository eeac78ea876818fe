#include "app/audio/music_import_window.h"

#include "app/audio/music_tile_area.h"
#include "audio/music_table.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

namespace fotarel::app {

// Passes everything to the program's port, except progress on the import's
// bar, which this window shows itself.
class MusicImportWindow::BarPort : public UiPort {
public:
    BarPort(UiPort& inner, QProgressBar* bar) : inner_(inner), bar_(bar) {}
    void showMessage(const QString& text) override { inner_.showMessage(text); }
    bool confirm(const QString& title, const QString& text) override { return inner_.confirm(title, text); }
    QStringList chooseOpenFiles(const QString& filter, const QStringList& preselected) override
    {
        return inner_.chooseOpenFiles(filter, preselected);
    }
    QString chooseSaveFile(const QString& filter) override { return inner_.chooseSaveFile(filter); }
    void progress(const QString& bar, int value, int maximum) override
    {
        if (bar != bar_->objectName()) {
            inner_.progress(bar, value, maximum);
            return;
        }
        bar_->setRange(0, maximum);
        bar_->setValue(value);
    }
    void processEvents() override { QCoreApplication::processEvents(); }

private:
    UiPort& inner_;
    QProgressBar* bar_;
};

MusicImportWindow::MusicImportWindow(Session& session, const WorkingFolder& folder, UiPort& ui, QWidget* parent)
    : QDialog(parent),
      session_(session),
      folder_(folder),
      ui_(ui),
      bar_(new QProgressBar(this)),
      timer_(new QTimer(this))
{
    setObjectName(QStringLiteral("TForm6"));
    setWindowTitle(QStringLiteral("添加音乐"));
    setModal(true);
    setFixedSize(420, 110);
    bar_->setObjectName(audio::kMusicProgressBar);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("正在添加音乐，请稍候..."), this));
    layout->addWidget(bar_);
    timer_->setObjectName(QStringLiteral("Timer_daoru_yinyue"));
    timer_->setSingleShot(true);
    timer_->setInterval(1000);
    connect(timer_, &QTimer::timeout, this, &MusicImportWindow::importNow);
}

void MusicImportWindow::setDelays(int startMs, int closeMs)
{
    timer_->setInterval(startMs);
    closeMs_ = closeMs;
}

audio::MusicImportResult MusicImportWindow::run(const QStringList& files)
{
    files_ = files;
    result_ = {};
    bar_->setRange(0, 2 * static_cast<int>(files.size()));
    bar_->setValue(0);
    timer_->start();
    exec();
    return result_;
}

void MusicImportWindow::importNow()
{
    timer_->stop();
    BarPort port(ui_, bar_);
    result_ = audio::runMusicImport(session_, folder_, port, files_);
    // The window stays a moment so the full bar is seen.
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < closeMs_) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    accept();
}

void addMusicCommand(Session& session, const WorkingFolder& folder, UiPort& ui, MusicImportWindow& window,
                     MusicTileArea& tiles, const std::function<void()>& showMusicArea)
{
    const QStringList files = audio::chooseSongs(ui, folder);
    if (files.isEmpty())
        return;
    window.run(files);
    session.set(QStringLiteral("Edit_tubiao_liebiao"), QStringLiteral("tubiao"));
    tiles.refreshList();
    if (session.table(audio::names::MusicTable).isEmpty())
        return;
    tiles.rebuildTiles();
    if (showMusicArea)
        showMusicArea();
}

} // namespace fotarel::app
