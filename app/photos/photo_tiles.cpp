#include "app/photos/photo_tiles.h"

#include "core/colours.h"
#include "photos/editing.h"
#include "photos/photo_columns.h"
#include "photos/photo_paths.h"

#include <QContextMenuEvent>
#include <QFileInfo>
#include <QImage>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>

namespace fotarel::app {

namespace {

constexpr unsigned kAreaColour = 1185821;
const QString kTilePrefix = QStringLiteral("Imagem_");
const QString kLabelPrefix = QStringLiteral("Labelm_xianshikuang_mingcheng_Labelm_");

} // namespace

PlaceholderBox::PlaceholderBox(QWidget* parent) : QWidget(parent), picture_(placeholderPicture())
{
    setObjectName(QStringLiteral("PaintBox_xiangpian_yanshi"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

QImage PlaceholderBox::placeholderPicture()
{
    QImage image(180, 180, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 110, 135), 2, Qt::DashLine));
    p.setBrush(QColor(40, 52, 68));
    // The grid's first row starts 15 pixels above the area: the drawing
    // keeps clear of the picture's top so that the whole frame shows.
    p.drawRoundedRect(QRectF(12, 20, 156, 124), 8, 8);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 110, 135));
    p.drawEllipse(QPointF(60, 56), 12, 12);
    const QPointF hills[] = {{30, 128}, {75, 80}, {105, 108}, {125, 90}, {150, 128}};
    p.drawPolygon(hills, 5);
    p.setPen(QColor(120, 140, 165));
    p.drawText(QRectF(0, 148, 180, 24), Qt::AlignCenter, QStringLiteral("添加相片"));
    return image;
}

void PlaceholderBox::paintEvent(QPaintEvent*)
{
    // A grid of (width div 205) columns and (height div 185) rows; column c
    // and row i at (c * 205 + 25, i * 180 - 15).
    QPainter p(this);
    const int columns = width() / 205, rows = height() / 185;
    for (int i = 0; i < rows; ++i)
        for (int c = 0; c < columns; ++c)
            p.drawImage(c * 205 + 25, i * 180 - 15, picture_);
}

PhotoTileView::PhotoTileView(Session& session, const WorkingFolder& folder, QWidget* parent)
    : QWidget(parent),
      session_(session),
      folder_(folder),
      viewport_(new QWidget(this)),
      holder_(new QWidget(viewport_)),
      scroll_(new QScrollBar(Qt::Vertical, this)),
      selection_(new QFrame(holder_)),
      hover_(new QFrame(holder_)),
      placeholder_(new PlaceholderBox(this)),
      placeholderTimer_(new QTimer(this))
{
    setObjectName(QStringLiteral("PhotoTileView"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, colourFromValue(kAreaColour));
    setPalette(pal);
    if (parent)
        setGeometry(parent->rect());
    holder_->setObjectName(QStringLiteral("Panel_xianshikuang_tupian"));
    scroll_->setObjectName(QStringLiteral("ScrollBar_xiangpian"));
    scroll_->setMinimumHeight(17);
    scroll_->hide();
    connect(scroll_, &QScrollBar::valueChanged, this, [this](int v) { holder_->move(0, -v); });
    selection_->setObjectName(QStringLiteral("Shape_xuanzhong"));
    selection_->setStyleSheet(QStringLiteral("QFrame { border: 2px solid rgb(253, 209, 2); background: transparent; }"));
    selection_->setAttribute(Qt::WA_TransparentForMouseEvents);
    selection_->hide();
    hover_->setObjectName(QStringLiteral("Shape_xuanting"));
    hover_->setStyleSheet(QStringLiteral("QFrame { border: 1px dashed rgb(200, 220, 240); background: transparent; }"));
    hover_->setAttribute(Qt::WA_TransparentForMouseEvents);
    hover_->hide();
    placeholderTimer_->setObjectName(QStringLiteral("Timer_yanshi"));
    placeholderTimer_->setInterval(1);
    connect(placeholderTimer_, &QTimer::timeout, this, [this] {
        if (placeholder_->geometry() != rect()) {
            placeholder_->setGeometry(rect());
            placeholder_->update();
        }
    });
    startPlaceholder();
    setMouseTracking(true);
}

QSize PhotoTileView::tileSize() const
{
    return QSize(session_.getInt(QStringLiteral("Edit_xiangpian_Width"), 180),
                 session_.getInt(QStringLiteral("Edit_xiangpian_Height"), 180));
}

void PhotoTileView::startPlaceholder()
{
    placeholder_->setGeometry(rect());
    placeholder_->show();
    placeholder_->raise();
    placeholderTimer_->start();
}

void PhotoTileView::stopPlaceholder()
{
    placeholderTimer_->stop();
    placeholder_->hide();
}

void PhotoTileView::createTiles()
{
    destroyTiles();
    const Table& visible = session_.table(photo_tables::Visible);
    const QSize size = tileSize();
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    for (int i = 0; i < visible.rowCount(); ++i) {
        auto* tile = new QLabel(holder_);
        tile->setObjectName(kTilePrefix + QString::number(i));
        tile->setFixedSize(size);
        tile->setAlignment(Qt::AlignCenter); // centred, never scaled
        tile->setMouseTracking(true);
        tile->installEventFilter(this);
        tile->setContextMenuPolicy(Qt::DefaultContextMenu);
        tile->show();
        auto* label = new QLabel(holder_);
        label->setObjectName(kLabelPrefix + QString::number(i));
        label->setFixedSize(size.width(), kLabelHeight);
        label->setAlignment(Qt::AlignCenter);
        label->setFont(font);
        label->setStyleSheet(QStringLiteral("color: %1;").arg(colourFromValue(kLabelColour).name()));
        label->show();
        tiles_.append(tile);
        labels_.append(label);
    }
    arrange();
}

void PhotoTileView::destroyTiles()
{
    qDeleteAll(tiles_);
    qDeleteAll(labels_);
    tiles_.clear();
    labels_.clear();
    dragging_ = -1;
    hideFrames();
}

void PhotoTileView::destroyLastTile()
{
    if (tiles_.isEmpty())
        return;
    delete tiles_.takeLast();
    delete labels_.takeLast();
}

void PhotoTileView::reloadTiles()
{
    const Table& visible = session_.table(photo_tables::Visible);
    for (int i = 0; i < tiles_.size(); ++i) {
        const QString thumb = photo_paths::thumbnail(folder_, session_, i + 1);
        // Read anew: QPixmap(path) answers from Qt's pixmap cache by path,
        // size and time, which a swap's renamed thumbnail files all keep.
        tiles_[i]->setPixmap(QFileInfo::exists(thumb) ? QPixmap::fromImage(QImage(thumb)) : QPixmap());
        labels_[i]->setText(i < visible.rowCount() ? visible.cell(i, VisibleCol::Name) : QString());
    }
}

void PhotoTileView::arrange()
{
    const QSize size = tileSize();
    const int scrollWidth = scroll_->sizeHint().width();
    const int gridWidth = width() - scrollWidth;
    const int columns = std::max(1, gridWidth / (size.width() + kGap));
    int bottom = 0;
    for (int k = 0; k < tiles_.size(); ++k) {
        const int left = 10 + (k % columns) * (size.width() + kGap);
        const int top = 10 + (k / columns) * (size.height() + kGap);
        tiles_[k]->move(left, top);
        labels_[k]->move(left, top + size.height());
        // The name under the last row is part of what must be seen.
        bottom = top + size.height() + kLabelHeight;
    }
    const int visibleHeight = height();
    const int holderHeight = std::max(bottom + 10, visibleHeight);
    viewport_->setGeometry(0, 0, width() - (holderHeight > visibleHeight ? scrollWidth : 0), visibleHeight);
    holder_->setGeometry(0, 0, viewport_->width(), holderHeight);
    session_.setInt(QStringLiteral("Edit_Panel_xianshikuang_daxiao"), holderHeight);
    session_.setInt(QStringLiteral("Edit_Height_chazhi"), holderHeight - visibleHeight);
    if (holderHeight > visibleHeight) {
        scroll_->setGeometry(width() - scrollWidth, 0, scrollWidth, visibleHeight);
        scroll_->setRange(0, holderHeight - visibleHeight);
        scroll_->setPageStep(visibleHeight);
        scroll_->setSingleStep(size.height() / 4);
        scroll_->show();
    } else {
        scroll_->setValue(0);
        scroll_->hide();
    }
    reloadTiles();
    session_.set(QStringLiteral("Edit_xiangpian_down_id"), QStringLiteral("wu"));
    hideFrames();
}

void PhotoTileView::markSelected(int index, const QRect& tileGeometry)
{
    selection_->setGeometry(tileGeometry.adjusted(-2, -2, 2, 2));
    selection_->show();
    selection_->raise();
    session_.setInt(QStringLiteral("Edit_xiangpian_down_id"), index);
}

void PhotoTileView::announceSelection(int index)
{
    if (QFileInfo::exists(photo_paths::thumbnail(folder_, session_, index + 1)))
        session_.set(QStringLiteral("Edit_Image_chakanxiangpian_T_or_F"), QStringLiteral("True"));
    emit selected(index);
}

void PhotoTileView::hideFrames()
{
    selection_->hide();
    hover_->hide();
}

void PhotoTileView::resizeEvent(QResizeEvent*)
{
    if (placeholder_->isVisible())
        placeholder_->setGeometry(rect());
    arrange();
}

void PhotoTileView::wheelEvent(QWheelEvent* event)
{
    if (scroll_->isVisible())
        scroll_->setValue(scroll_->value() - event->angleDelta().y() / 2);
}

QMenu* PhotoTileView::makeContextMenu(QWidget* parent)
{
    auto* menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("PopupMenu_xiangpian"));
    connect(menu->addAction(QStringLiteral("删除相片")), &QAction::triggered, this, &PhotoTileView::deleteOneRequested);
    connect(menu->addAction(QStringLiteral("全部删除")), &QAction::triggered, this, &PhotoTileView::deleteAllRequested);
    menu->addSeparator();
    connect(menu->addAction(QStringLiteral("图标格式")), &QAction::triggered, this, &PhotoTileView::tileModeRequested);
    connect(menu->addAction(QStringLiteral("列表格式")), &QAction::triggered, this, &PhotoTileView::listModeRequested);
    menu->addSeparator();
    connect(menu->addAction(QStringLiteral("预览效果")), &QAction::triggered, this, [this] {
        // Without a selected photo the preview says so (-1).
        bool ok = false;
        const int row = session_.get(QStringLiteral("Edit_xiangpian_down_id")).toInt(&ok);
        emit previewRequested(ok ? row : -1);
    });
    return menu;
}

bool PhotoTileView::eventFilter(QObject* watched, QEvent* event)
{
    auto* tile = qobject_cast<QLabel*>(watched);
    const int index = tile ? int(tiles_.indexOf(tile)) : -1;
    if (index < 0)
        return QWidget::eventFilter(watched, event);
    const bool mouseEnabled = session_.get(QStringLiteral("Edit_shuangji_yulan_or_qitacaozuo")) == QLatin1String("qita_caozuo");
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        if (!mouseEnabled)
            return false;
        auto* e = static_cast<QMouseEvent*>(event);
        markSelected(index, tile->geometry());
        if (e->button() == Qt::LeftButton) {
            session_.set(QStringLiteral("Edit_tuodong_kaiguan"), QStringLiteral("anxia"));
            session_.setInt(QStringLiteral("Edit_tuodong_down_x"), int(e->position().x()));
            session_.setInt(QStringLiteral("Edit_tuodong_down_y"), int(e->position().y()));
            session_.setInt(QStringLiteral("Edit_tuodong_huhuan_down_x"), tile->x());
            session_.setInt(QStringLiteral("Edit_tuodong_huhuan_down_y"), tile->y());
            session_.set(QStringLiteral("Edit_tuodong_huhuan_yes_or_no"), QStringLiteral("tuodong_huhuan_no"));
            session_.set(QStringLiteral("Edit_tuodong_huhuan_yes_id"), QStringLiteral("wu"));
            dragging_ = index;
            grab_ = e->position().toPoint();
            dragStart_ = tile->pos();
        }
        announceSelection(index);
        return false;
    }
    case QEvent::MouseMove: {
        auto* e = static_cast<QMouseEvent*>(event);
        session_.set(QStringLiteral("Edit_shuangji_yulan_or_qitacaozuo"), QStringLiteral("qita_caozuo"));
        if (dragging_ == index && (e->buttons() & Qt::LeftButton)) {
            tile->move(tile->mapTo(holder_, e->position().toPoint()) - grab_);
            tile->raise();
            return true;
        }
        if (dragging_ < 0) {
            hover_->setGeometry(tile->geometry());
            hover_->show();
            hover_->raise();
            const QString name = tile->objectName();
            session_.set(QStringLiteral("Edit_chakankongjian_shiyong"), QStringLiteral("%1,%2").arg(name).arg(index));
            if (session_.get(QStringLiteral("Edit_chakankongjian_shiyong_2")) != name)
                session_.set(QStringLiteral("Edit_chakankongjian_shiyong_2"), name);
        }
        return false;
    }
    case QEvent::MouseButtonRelease: {
        if (dragging_ != index)
            return false;
        session_.set(QStringLiteral("Edit_tuodong_kaiguan"), QStringLiteral("songkai"));
        QList<QPoint> positions;
        for (QLabel* t : tiles_)
            positions << (t == tile ? dragStart_ : t->pos());
        const QList<int> targets = dropTargets(index, tile->pos(), positions);
        tile->move(dragStart_);
        dragging_ = -1;
        if (targets.isEmpty()) {
            markSelected(index, tile->geometry());
            return false;
        }
        emit dropped(index, targets);
        // The selection follows the dragged photo to the place it was
        // swapped into, and the selected-photo panel shows that photo.
        const int landed = targets.first();
        if (landed < tiles_.size()) {
            markSelected(landed, tiles_[landed]->geometry());
            announceSelection(landed);
        }
        return false;
    }
    case QEvent::Leave:
        if (dragging_ < 0)
            hover_->hide();
        return false;
    case QEvent::MouseButtonDblClick:
        emit previewRequested(index);
        return true;
    case QEvent::ContextMenu: {
        QMenu* menu = makeContextMenu(this);
        menu->exec(static_cast<QContextMenuEvent*>(event)->globalPos());
        menu->deleteLater();
        return true;
    }
    default:
        return false;
    }
}

} // namespace fotarel::app
