#include "app/audio/audio_tile_area.h"

#include "audio/lyric_table.h"

#include "audio/music_import.h"
#include "audio/music_table.h"
#include "audio/tile_layout.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QImage>
#include <QPixmap>
#include <QTreeWidget>

namespace fotarel::app {

namespace {

QString var(const char* name)
{
    return QString::fromLatin1(name);
}

QPixmap scrollPiece(int width, int height, bool thumb)
{
    QPixmap pixmap(width, std::max(1, height));
    pixmap.fill(QColor(0x1c, 0x22, 0x2a));
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(thumb ? QColor(0x7d, 0x8e, 0xa3) : QColor(0x4a, 0x55, 0x63));
    p.drawRoundedRect(QRectF(2, 1, width - 4, std::max(1, height - 2)), 3, 3);
    return pixmap;
}

} // namespace

QString AudioTileArea::areaVar(const char* stem, const char* tail) const
{
    return QString::fromLatin1(stem) + suffix_ + QString::fromLatin1(tail);
}

QLatin1StringView AudioTileArea::tableName() const
{
    return set_ == audio::TileSet::Music ? audio::names::MusicTable : audio::names::LyricTable;
}

QLatin1StringView AudioTileArea::listName() const
{
    return set_ == audio::TileSet::Music ? audio::names::MusicList : audio::names::LyricList;
}

QString AudioTileArea::tilePrefix() const
{
    return set_ == audio::TileSet::Music ? MusicTileArea::kTilePrefix : LyricTileArea::kTilePrefix;
}

QString AudioTileArea::previewCaption() const
{
    return set_ == audio::TileSet::Music ? MusicTileArea::kPreviewCaption : LyricTileArea::kPreviewCaption;
}

DottedFrame::DottedFrame(const QString& objectName, const QColor& colour, QWidget* parent)
    : QWidget(parent), colour_(colour)
{
    setObjectName(objectName);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

void DottedFrame::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QPen pen(colour_, 1, Qt::DotLine);
    p.setPen(pen);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

AudioTileArea::AudioTileArea(Session& session, const WorkingFolder& folder, audio::TileSet set, QWidget* parent)
    : QWidget(parent),
      session_(session),
      folder_(folder),
      set_(set),
      suffix_(set == audio::TileSet::Music ? QStringLiteral("_yinyue") : QStringLiteral("_geci")),
      panel_(new QWidget(this)),
      hover_(new DottedFrame(QStringLiteral("Shape") + suffix_, QColor(0x80, 0x80, 0x00), panel_)),
      selection_(new DottedFrame(QStringLiteral("Shape") + suffix_ + QStringLiteral("_xuanzhong"), QColor(0x00, 0xff, 0x00), panel_)),
      scroll_{new QLabel(this), new QLabel(this), new QLabel(this)},
      list_(new QTreeWidget(this)),
      menu_(new QMenu(this))
{
    setObjectName(set == audio::TileSet::Music ? QStringLiteral("MusicTileArea") : QStringLiteral("LyricTileArea"));
    if (parent)
        setGeometry(parent->rect());
    else
        resize(880, 550);
    panel_->setObjectName(QStringLiteral("Panel_xianshikuang_daxiao") + suffix_);
    panel_->setGeometry(0, 0, width() - kScrollBarWidth, height());

    for (int i = 0; i < 3; ++i) {
        scroll_[i]->setObjectName(QStringLiteral("Image_jindutiao%1_%2").arg(suffix_).arg(i));
        scroll_[i]->installEventFilter(this);
        scroll_[i]->hide();
    }

    list_->setObjectName(listName());
    list_->setRootIsDecorated(false);
    list_->setHeaderLabels(session_.table(listName()).columnCaptions());
    const QList<int> widths = set == audio::TileSet::Music ? QList<int>{50, 200, 70, 90, 300, 150}
                                                           : QList<int>{50, 160, 70, 260, 120, 80, 70, 80, 110, 80, 90};
    for (int column = 0; column < widths.size(); ++column)
        list_->setColumnWidth(column, widths[column]);
    list_->hide();
    connect(list_, &QTreeWidget::itemClicked, this, [this] {
        const std::optional<int> row = selectedRow();
        if (row)
            showPreviewOf(*row);
    });

    const QStringList captions =
        set == audio::TileSet::Music
            ? QStringList{"音乐预览", "删除音乐", "全部删除", "手动绑定", "自动绑定", "手动解绑", "全部解绑"}
            : QStringList{"歌词预览", "删除歌词", "全部删除", "手动绑定", "自动绑定", "手动解绑", "全部解绑", "歌词设置"};
    for (const QString& text : captions)
        menu_->addAction(text, this, [this, text] { emit menuCommand(text); });
}

void AudioTileArea::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (list_->isVisible())
        list_->setGeometry(rect());
}

int AudioTileArea::tileRow(const QObject* tile) const
{
    return static_cast<int>(tiles_.indexOf(static_cast<QLabel*>(const_cast<QObject*>(tile))));
}

void AudioTileArea::rebuildTiles()
{
    if (session_.get(areaVar("Edit_xianshikuang_pailie")) != QLatin1String("0"))
        destroyTiles();
    session_.setInt(areaVar("Edit_xianshikuang_pailie"), session_.table(tableName()).rowCount());
    createTiles();
}

void AudioTileArea::destroyTiles()
{
    for (QLabel* tile : tiles_)
        delete tile;
    tiles_.clear();
}

void AudioTileArea::createTiles()
{
    const int count = session_.table(tableName()).rowCount();
    for (int i = 0; i < count; ++i) {
        auto* tile = new QLabel(panel_);
        tile->setObjectName(tilePrefix() + QString::number(i));
        tile->setFixedSize(audio::kTileSize, audio::kTileSize);
        tile->setAlignment(Qt::AlignCenter);
        tile->setScaledContents(false);
        tile->setMouseTracking(true);
        tile->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(tile, &QLabel::customContextMenuRequested, this, [this, tile](const QPoint& at) {
            // The menu acts on the tile it was opened on: that tile is the
            // selected one, whatever the mouse did before.
            hover_->setGeometry(tile->geometry());
            selectTile(tile);
            menu_->popup(tile->mapToGlobal(at));
        });
        tile->installEventFilter(this);
        tiles_.append(tile);
        loadTilePicture(i);
        tile->show();
    }
    arrangeTiles();
}

void AudioTileArea::loadTilePicture(int row)
{
    if (row < 0 || row >= tiles_.size())
        return;
    // Read anew, not from Qt's pixmap cache: an exchange renames tile image
    // files of equal size and time into each other's names.
    tiles_[row]->setPixmap(QPixmap::fromImage(QImage(audio::tileImagePath(session_, folder_, set_, row + 1))));
}

void AudioTileArea::reloadTilePictures()
{
    for (int i = 0; i < tiles_.size(); ++i)
        loadTilePicture(i);
}

void AudioTileArea::arrangeTiles()
{
    if (session_.table(listName()).isEmpty() && tiles_.isEmpty())
        return;
    panel_->move(0, 0);
    hover_->hide();
    selection_->hide();
    for (QLabel* piece : scroll_)
        piece->hide();
    session_.set(var("Edit_xiangpian_down_id"), audio::kNone);

    const audio::TileArrangement layout =
        audio::arrangeTiles(static_cast<int>(tiles_.size()), size(), kScrollBarWidth);
    for (int i = 0; i < tiles_.size(); ++i)
        tiles_[i]->move(layout.positions[static_cast<std::size_t>(i)]);
    panel_->resize(layout.panelSize);
    updateScrollBar();
    const int bottomCapBottom = scroll_[2]->y() + scroll_[2]->height();
    session_.setInt(areaVar("Edit_Height_chazhi"), height() - bottomCapBottom);
    session_.setInt(areaVar("Edit_Panel_xianshikuang_daxiao"), panel_->height() - height());
}

void AudioTileArea::updateScrollBar()
{
    const audio::ScrollBarGeometry bar = audio::scrollBarFor(panel_->height(), height());
    scroll_[0]->setPixmap(scrollPiece(kScrollBarWidth, kCapHeight, false));
    scroll_[1]->setPixmap(scrollPiece(kScrollBarWidth, bar.thumbHeight, true));
    scroll_[2]->setPixmap(scrollPiece(kScrollBarWidth, kCapHeight, false));
    scroll_[0]->resize(kScrollBarWidth, kCapHeight);
    scroll_[1]->resize(kScrollBarWidth, bar.thumbHeight);
    scroll_[2]->resize(kScrollBarWidth, kCapHeight);
    placeScrollBar(0);
    for (QLabel* piece : scroll_) {
        piece->setVisible(bar.visible);
        piece->raise();
    }
}

void AudioTileArea::placeScrollBar(int top)
{
    const int x = width() - kScrollBarWidth;
    scroll_[0]->move(x, top);
    scroll_[1]->move(x, top + kCapHeight);
    scroll_[2]->move(x, scroll_[1]->y() + scroll_[1]->height());
}

void AudioTileArea::refreshList()
{
    list_->clear();
    const Table& rows = session_.table(listName());
    for (int i = 0; i < rows.rowCount(); ++i)
        list_->addTopLevelItem(new QTreeWidgetItem(rows.row(i)));
}

void AudioTileArea::showTiles()
{
    list_->hide();
    session_.set(var("Edit_tubiao_liebiao"), QStringLiteral("tubiao"));
    session_.set(var("Edit_xiangpian_down_id"), audio::kNone);
}

void AudioTileArea::showList()
{
    refreshList();
    list_->setGeometry(rect());
    list_->show();
    list_->raise();
    session_.set(var("Edit_tubiao_liebiao"), QStringLiteral("liebiao"));
    session_.set(var("Edit_xiangpian_down_id"), audio::kNone);
}

std::optional<int> AudioTileArea::selectedRow() const
{
    if (session_.get(var("Edit_tubiao_liebiao")) == QLatin1String("liebiao")) {
        const QTreeWidgetItem* item = list_->currentItem();
        if (!item || !item->isSelected())
            return std::nullopt;
        return list_->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item));
    }
    bool ok = false;
    const int row = session_.get(var("Edit_xiangpian_down_id")).toInt(&ok);
    return ok ? std::optional<int>(row) : std::nullopt;
}

QString AudioTileArea::previewImagePath() const
{
    const QString path = audio::tileImagePath(session_, folder_, set_, selectedRow().value_or(0) + 1);
    return QFileInfo::exists(path) ? path : QString();
}

void AudioTileArea::showPreviewOf(int row)
{
    const QString path = audio::tileImagePath(session_, folder_, set_, row + 1);
    if (QFileInfo::exists(path))
        emit previewSelected(previewCaption(), path);
}

bool AudioTileArea::eventFilter(QObject* watched, QEvent* event)
{
    const bool scrollPiece = watched == scroll_[0] || watched == scroll_[1] || watched == scroll_[2];
    auto* tile = qobject_cast<QLabel*>(watched);
    const bool isTile = tile && tiles_.contains(tile);
    if (!scrollPiece && !isTile)
        return QWidget::eventFilter(watched, event);

    auto* mouse = dynamic_cast<QMouseEvent*>(event);
    if (!mouse)
        return QWidget::eventFilter(watched, event);
    const QPoint inWidget = mouse->position().toPoint();
    const int cursorY = static_cast<QWidget*>(watched)->mapTo(this, inWidget).y();

    if (scrollPiece) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            scrollPressed(cursorY);
            return true;
        case QEvent::MouseMove:
            scrollMoved(cursorY);
            return true;
        case QEvent::MouseButtonRelease:
            session_.set(areaVar("Edit_MouseDown_kaiguan"), QStringLiteral("taiqi"));
            return true;
        default:
            return false;
        }
    }

    switch (event->type()) {
    case QEvent::MouseMove:
        tileMoved(tile, inWidget);
        return true;
    case QEvent::MouseButtonPress:
        tilePressed(tile, mouse->button(), inWidget);
        return true;
    case QEvent::MouseButtonRelease:
        tileReleased(tile, mouse->button());
        return true;
    case QEvent::MouseButtonDblClick:
        if (mouse->button() == Qt::LeftButton) {
            // The preview starts: the release that ends the double-click must
            // not start a drag.
            session_.set(var("Edit_shuangji_yulan_or_qitacaozuo"), QStringLiteral("shuangji_yulan"));
            session_.set(var("Edit_tuodong_kaiguan"), QStringLiteral("songkai"));
            emit previewRequested(tileRow(tile));
        }
        return true;
    default:
        return false;
    }
}

void AudioTileArea::tileMoved(QLabel* tile, const QPoint& inTile)
{
    session_.set(var("Edit_shuangji_yulan_or_qitacaozuo"), QStringLiteral("qita_caozuo"));
    if (session_.get(var("Edit_tuodong_kaiguan")) != QLatin1String("anxia")) {
        session_.set(areaVar("Edit_chakankongjian_shiyong"), QStringLiteral("%1,%2").arg(tile->objectName()).arg(0));
        session_.set(areaVar("Edit_chakankongjian_shiyong", "2"), tile->objectName());
        hover_->setGeometry(tile->geometry());
        hover_->raise();
        hover_->show();
        return;
    }
    hover_->hide();
    QLabel* dragged = panel_->findChild<QLabel*>(session_.get(areaVar("Edit_chakankongjian_shiyong", "2")),
                                                 Qt::FindDirectChildrenOnly);
    if (!dragged)
        return;
    const QPoint cursor = tile->mapTo(this, inTile);
    dragged->move(cursor.x() - session_.getInt(var("Edit_tuodong_down_x")),
                  cursor.y() - session_.getInt(var("Edit_tuodong_down_y")) - panel_->y());
    dragged->raise();
}

void AudioTileArea::tilePressed(QLabel* tile, Qt::MouseButton button, const QPoint& inTile)
{
    if (session_.get(var("Edit_shuangji_yulan_or_qitacaozuo")) != QLatin1String("qita_caozuo"))
        return;
    if (button == Qt::LeftButton) {
        session_.set(var("Edit_tuodong_kaiguan"), QStringLiteral("anxia"));
        session_.setInt(var("Edit_tuodong_down_x"), inTile.x());
        session_.setInt(var("Edit_tuodong_down_y"), inTile.y());
        session_.set(var("Edit_tuodong_huhuan_yes_or_no"), QStringLiteral("tuodong_huhuan_no"));
        session_.set(var("Edit_tuodong_huhuan_yes_id"), audio::kNone);
        session_.setInt(var("Edit_tuodong_huhuan_down_x"), tile->x());
        session_.setInt(var("Edit_tuodong_huhuan_down_y"), tile->y());
    }
    if (button == Qt::LeftButton || button == Qt::RightButton) {
        selectTile(tile);
        return;
    }
    bool ok = false;
    const int selected = session_.get(var("Edit_xiangpian_down_id")).toInt(&ok);
    if (ok)
        showPreviewOf(selected);
}

void AudioTileArea::selectTile(QLabel* tile)
{
    const int r = tileRow(tile);
    selection_->setGeometry(hover_->geometry());
    selection_->raise();
    selection_->show();
    session_.setInt(var("Edit_xiangpian_down_id"), r);
    showPreviewOf(r);
}

void AudioTileArea::tileReleased(QLabel* tile, Qt::MouseButton button)
{
    if (session_.get(var("Edit_shuangji_yulan_or_qitacaozuo")) != QLatin1String("qita_caozuo"))
        return;
    const int r = tileRow(tile);
    if (button == Qt::RightButton) {
        selection_->setGeometry(hover_->geometry());
        session_.setInt(var("Edit_xiangpian_down_id"), r);
        return;
    }
    if (button != Qt::LeftButton)
        return;
    session_.set(var("Edit_tuodong_kaiguan"), QStringLiteral("songkai"));

    std::vector<QPoint> positions;
    for (QLabel* t : tiles_)
        positions.push_back(t->pos());
    for (int j : audio::dropTargets(positions, r, tile->pos())) {
        session_.set(var("Edit_tuodong_huhuan_yes_or_no"), QStringLiteral("tuodong_huhuan_yes"));
        session_.setInt(var("Edit_tuodong_huhuan_yes_id"), j);
        if (set_ == audio::TileSet::Music) {
            audio::exchangeSongs(session_, folder_, r, j);
        } else {
            audio::exchangeTileImages(session_, folder_, set_, r, j);
            audio::exchangeLyricRows(session_, r, j);
        }
        loadTilePicture(r);
        loadTilePicture(j);
        refreshList();
    }
    // The tiles keep their places; their pictures and rows were exchanged.
    tile->move(session_.getInt(var("Edit_tuodong_huhuan_down_x")), session_.getInt(var("Edit_tuodong_huhuan_down_y")));
    hover_->setGeometry(selection_->geometry());
    hover_->raise();
    hover_->show();
}

void AudioTileArea::scrollPressed(int cursorY)
{
    session_.setInt(areaVar("Edit_MouseDown"), cursorY);
    session_.setInt(areaVar("Edit_MouseDown_kuangdu"), cursorY - scroll_[1]->y());
    session_.set(areaVar("Edit_MouseDown_kaiguan"), QStringLiteral("anxia"));
}

void AudioTileArea::scrollMoved(int cursorY)
{
    if (session_.get(areaVar("Edit_MouseDown_kaiguan")) != QLatin1String("anxia"))
        return;
    const audio::ScrollPosition at =
        audio::dragThumb(cursorY - session_.getInt(areaVar("Edit_MouseDown_kuangdu")), kCapHeight,
                         scroll_[1]->height(), kCapHeight, height(), panel_->height());
    placeScrollBar(at.topCapTop);
    panel_->move(0, at.panelTop);
}

} // namespace fotarel::app
