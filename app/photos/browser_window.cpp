#include "app/photos/browser_window.h"

#include "photos/browser.h"
#include "photos/photo_columns.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>

namespace fotarel::app {

LoadingWindow::LoadingWindow(QWidget* parent) : QDialog(parent), bar_(new QProgressBar(this))
{
    setObjectName(QStringLiteral("TForm55"));
    setWindowTitle(QStringLiteral("正在加载"));
    setWindowFlag(Qt::Tool);
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(QStringLiteral("正在加载相片，请稍候..."), this);
    layout->addWidget(text);
    bar_->setObjectName(QStringLiteral("ProgressBar_jiazai"));
    layout->addWidget(bar_);
    setFixedWidth(320);
}

void LoadingWindow::reject()
{
    emit closeRequested();
}

BrowserWindow::BrowserWindow(Session& session, Hooks hooks, QWidget* parent)
    : QDialog(parent),
      session_(session),
      hooks_(std::move(hooks)),
      list_(new QListWidget(this)),
      zoom_(new QSlider(Qt::Horizontal, this)),
      zoomText_(new QLabel(this)),
      loading_(new LoadingWindow(this)),
      box_(browser::kDefaultBox)
{
    setObjectName(QStringLiteral("TForm54"));
    setWindowTitle(QStringLiteral("相片浏览"));
    setModal(true);
    setStyleSheet(QStringLiteral(
        "QDialog { background: #1d2530; }"
        "QLabel { color: #d9dee5; font-family: '微软雅黑'; font-size: 13px; }"
        "QListWidget { background: #1d2530; color: #d9dee5; border: none; font-family: '微软雅黑'; }"
        "QListWidget::item:selected { background: #4a5666; }"
        "QPushButton { color: white; background: #3a4452; border: 1px solid #56606e; border-radius: 4px;"
        " font-family: '微软雅黑'; font-size: 13px; padding: 4px 12px; }"
        "QPushButton:hover { background: #4a5666; }"));
    list_->setObjectName(QStringLiteral("ListView_liulan"));
    list_->setViewMode(QListView::IconMode);
    list_->setResizeMode(QListView::Adjust);
    list_->setMovement(QListView::Static);
    list_->setUniformItemSizes(true);
    list_->setWordWrap(false);
    list_->setToolTip(QStringLiteral("单机鼠标右键弹出操作菜单"));
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list_, &QListWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        connect(menu.addAction(QStringLiteral("预览效果")), &QAction::triggered, this, &BrowserWindow::previewSelected);
        connect(menu.addAction(QStringLiteral("删除")), &QAction::triggered, this, &BrowserWindow::deleteSelected);
        connect(menu.addAction(QStringLiteral("全删")), &QAction::triggered, this, &BrowserWindow::deleteAll);
        menu.exec(list_->viewport()->mapToGlobal(at));
    });
    // A double click shows that photo as large as the window allows.
    connect(list_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        const QSize view = list_->viewport()->size();
        int zoom = browser::kMaxZoom;
        while (zoom > browser::kMinZoom &&
               (browser::boxForZoom(zoom).width() + 20 > view.width() ||
                browser::boxForZoom(zoom).height() + 40 > view.height()))
            --zoom;
        const int row = list_->row(item);
        setZoom(zoom);
        if (QListWidgetItem* again = list_->item(row)) {
            list_->setCurrentItem(again);
            list_->scrollToItem(again, QAbstractItemView::PositionAtTop);
        }
    });

    zoom_->setObjectName(QStringLiteral("TrackBar_suofang"));
    zoom_->setRange(browser::kMinZoom, browser::kMaxZoom);
    zoom_->setToolTip(QStringLiteral("按住鼠标左键,然后左右移动,即可放大或缩小相片浏览"));
    zoom_->setFixedWidth(180);
    connect(zoom_, &QSlider::valueChanged, this, [this](int v) { zoomText_->setText(QStringLiteral("缩放 %1").arg(v)); });
    // The pictures are made again when the slider is let go (or moved by
    // the keyboard), not at every step of a drag.
    connect(zoom_, &QSlider::sliderReleased, this, [this] { setZoom(zoom_->value()); });
    connect(zoom_, &QSlider::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderMove)
            QMetaObject::invokeMethod(this, [this] { setZoom(zoom_->value()); }, Qt::QueuedConnection);
    });

    struct Button {
        const char* name;
        const char* caption;
        const char* hint;
        std::function<void()> run;
    };
    const Button buttons[] = {
        {"suiButton_morenchuangkou", "默认窗口", "恢复当前默认窗口大小", [this] { applyWindowSize(0); }},
        {"suiButton_fangdachuangkou", "放大窗口", "放大当前窗口", [this] { applyWindowSize(1); }},
        {"suiButton_quanpingchuangkou", "全屏窗口", "全屏当前窗口", [this] { applyWindowSize(2); }},
        {"suiButton_shangyizhang", "上一张", "选中上一张相片", [this] { moveSelection(-1); }},
        {"suiButton_xiayizhang", "下一张", "选中下一张相片", [this] { moveSelection(1); }},
        {"suiButton_yulanxiaoguo", "预览效果", "预览相片使用的模板效果", [this] { previewSelected(); }},
        {"suiButton_shanchu", "删除", "删除一张相片", [this] { deleteSelected(); }},
        {"suiButton_quanshan", "全删", "删除全部相片", [this] { deleteAll(); }},
    };
    auto* bar = new QHBoxLayout;
    for (const Button& b : buttons) {
        auto* button = new QPushButton(QString::fromUtf8(b.caption), this);
        button->setObjectName(QString::fromLatin1(b.name));
        button->setToolTip(QString::fromUtf8(b.hint));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, b.run);
        bar->addWidget(button);
        if (QByteArray(b.name) == "suiButton_quanpingchuangkou") {
            bar->addSpacing(12);
            bar->addWidget(zoomText_);
            bar->addWidget(zoom_);
            bar->addSpacing(12);
        }
    }
    bar->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(list_, 1);
    connect(loading_, &LoadingWindow::closeRequested, this, &BrowserWindow::reject);
    connect(list_, &QListWidget::itemSelectionChanged, this, &BrowserWindow::updateSteps);
    new QShortcut(QKeySequence(Qt::Key_Left), this, [this] { moveSelection(-1); });
    new QShortcut(QKeySequence(Qt::Key_Right), this, [this] { moveSelection(1); });
    zoom_->setValue(1);
    zoomText_->setText(QStringLiteral("缩放 1"));
}

void BrowserWindow::open()
{
    zoom_->setValue(1);
    box_ = browser::kDefaultBox;
    applyWindowSize(0);
    list_->clear(); // no selection of an earlier opening is kept
    show();
    refill();
    if (!isVisible())
        return;
    const int selected = hooks_.mainSelection ? hooks_.mainSelection() : -1;
    list_->clearSelection();
    if (selected >= 0 && selected < list_->count()) {
        list_->setCurrentRow(selected);
        list_->scrollToItem(list_->item(selected));
    }
}

void BrowserWindow::applyWindowSize(int which)
{
    const QScreen* screen = this->screen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1366, 768);
    setGeometry(browser::windowGeometry(browser::WindowSize(which), area));
    if (isVisible())
        refill();
}

void BrowserWindow::setZoom(int zoom)
{
    const int z = browser::clampZoom(zoom);
    if (zoom_->value() != z)
        zoom_->setValue(z);
    box_ = browser::boxForZoom(z);
    refill();
}

void BrowserWindow::clear()
{
    list_->clear();
}

void BrowserWindow::refill()
{
    restart_ = true;
    cancelled_ = false;
    if (filling_)
        return; // the running fill sees restart_ and starts over
    filling_ = true;
    const int selected = selectedRow();
    while (restart_) {
        restart_ = false;
        if (!fillOnce())
            return;
    }
    filling_ = false;
    loading_->hide();
    updateSteps();
    if (!cancelled_ && selected >= 0 && selected < list_->count())
        list_->setCurrentRow(selected);
}

bool BrowserWindow::fillOnce()
{
    clear();
    const Table& photos = session_.table(photo_tables::Photos);
    list_->setIconSize(box_);
    list_->setGridSize(box_ + QSize(20, 40));
    const QSize box = box_;
    loading_->bar()->setRange(0, std::max(1, photos.rowCount()));
    loading_->bar()->setValue(0);
    if (photos.rowCount() > 0)
        loading_->show();
    const QPointer<BrowserWindow> alive(this);
    // The table is read afresh for every photo: a deletion made from the
    // browser while it loads shortens it.
    for (int r = 0; r < photos.rowCount(); ++r) {
        const QString path = photos.cell(r, PhotoCol::Path);
        auto* item = new QListWidgetItem(QIcon(QPixmap::fromImage(browser::renderCell(path, box))),
                                         photos.cell(r, PhotoCol::Name) + photos.cell(r, PhotoCol::Extension));
        item->setData(Qt::UserRole, path);
        item->setSizeHint(box + QSize(20, 40));
        list_->addItem(item);
        loading_->bar()->setValue(r + 1);
        // Every event, the user's too: the close box, Escape and the zoom
        // answer while the pictures are made.
        QApplication::processEvents();
        if (!alive)
            return false;
        if (restart_ || cancelled_)
            break;
    }
    return true;
}

void BrowserWindow::done(int result)
{
    // Closing by any means ends a running load.
    cancelled_ = true;
    loading_->hide();
    QDialog::done(result);
}

int BrowserWindow::selectedRow() const
{
    const QList<QListWidgetItem*> items = list_->selectedItems();
    return items.isEmpty() ? -1 : list_->row(items.first());
}

void BrowserWindow::moveSelection(int delta)
{
    const int next = browser::step(selectedRow(), list_->count(), delta);
    if (next < 0)
        return;
    list_->setCurrentRow(next);
    list_->scrollToItem(list_->item(next));
}

void BrowserWindow::updateSteps()
{
    // At the first photo there is no previous one, at the last no next one.
    const int row = selectedRow();
    const int count = list_->count();
    if (auto* previous = findChild<QPushButton*>(QStringLiteral("suiButton_shangyizhang")))
        previous->setEnabled(count > 0 && row != 0);
    if (auto* next = findChild<QPushButton*>(QStringLiteral("suiButton_xiayizhang")))
        next->setEnabled(count > 0 && row != count - 1);
}

void BrowserWindow::previewSelected()
{
    // The preview window says what is missing.
    const int row = selectedRow();
    if (hooks_.preview)
        hooks_.preview(row);
}

void BrowserWindow::deleteSelected()
{
    if (session_.table(photo_tables::Photos).isEmpty()) {
        hooks_.message(browser::kNoPhotos);
        return;
    }
    const int row = selectedRow();
    if (row < 0) {
        hooks_.message(browser::kNoneSelected);
        return;
    }
    hooks_.deleteRow(row);
    refill();
}

void BrowserWindow::deleteAll()
{
    if (session_.table(photo_tables::Photos).isEmpty()) {
        hooks_.message(browser::kNoPhotos);
        return;
    }
    hooks_.deleteAll();
    refill();
}

} // namespace fotarel::app
