#pragma once

#include "core/session.h"
#include "core/working_folder.h"

#include <QList>
#include <QPoint>
#include <QWidget>

class QFrame;
class QLabel;
class QMenu;
class QScrollBar;
class QTimer;

namespace fotarel::app {

// The placeholder frames drawn over the empty photos area
// (PaintBox_xiangpian_yanshi with the picture Image_load_yanshi_bmp).
class PlaceholderBox : public QWidget {
    Q_OBJECT
public:
    explicit PlaceholderBox(QWidget* parent);
    static QImage placeholderPicture(); // 180 x 180

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QImage picture_;
};

// The photo tiles of the photos area: one thumbnail tile and name label per
// photo row in a grid, with selection and hover frames, dragging to swap,
// and the context menu. Place it over the whole photos area
// ("Panel_xianshikuang"); it fills its parent.
class PhotoTileView : public QWidget {
    Q_OBJECT
public:
    static constexpr unsigned kLabelColour = 184829; // 0x00BBGGRR: red 253, green 209, blue 2
    static constexpr int kGap = 20;
    static constexpr int kLabelHeight = 18; // the name under a tile

    PhotoTileView(Session& session, const WorkingFolder& folder, QWidget* parent);

    // One tile and label per photo row, then arranged.
    void createTiles();
    void destroyTiles();
    void destroyLastTile();
    // Pictures from the thumbnail files and labels from the rows.
    void reloadTiles();
    // The grid, the holder height and scroll bar; clears the selection.
    void arrange();
    void hideFrames();
    void startPlaceholder();
    void stopPlaceholder();

    // The context menu of a tile, entries in their order.
    QMenu* makeContextMenu(QWidget* parent);

    int tileCount() const { return int(tiles_.size()); }
    QLabel* tile(int i) const { return tiles_.value(i); }
    QLabel* label(int i) const { return labels_.value(i); }
    QFrame* selectionFrame() const { return selection_; }
    QFrame* hoverFrame() const { return hover_; }
    QWidget* holder() const { return holder_; }
    QScrollBar* scrollBar() const { return scroll_; }
    PlaceholderBox* placeholder() const { return placeholder_; }
    QTimer* placeholderTimer() const { return placeholderTimer_; }

signals:
    // Context menu entries and the double-click.
    void deleteOneRequested();
    void deleteAllRequested();
    void tileModeRequested();
    void listModeRequested();
    void previewRequested(int row); // -1: none selected
    // A dragged tile was dropped onto the tiles `targets`.
    void dropped(int dragged, const QList<int>& targets);
    // A tile was pressed; when its thumbnail exists the selected-photo panel
    // ("        相片缩略图预览") shows the photo.
    void selected(int row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent*) override;
    void wheelEvent(QWheelEvent*) override;

private:
    QSize tileSize() const;
    void placeHolder();
    // Puts the selection frame on tile `index` and records it as selected.
    void markSelected(int index, const QRect& tileGeometry);
    // Tells the main window (the selected-photo panel) which photo is selected.
    void announceSelection(int index);

    Session& session_;
    const WorkingFolder& folder_;
    QWidget* viewport_;
    QWidget* holder_;
    QScrollBar* scroll_;
    QFrame* selection_;
    QFrame* hover_;
    PlaceholderBox* placeholder_;
    QTimer* placeholderTimer_;
    QList<QLabel*> tiles_;
    QList<QLabel*> labels_;
    int dragging_ = -1;
    QPoint grab_;
    QPoint dragStart_;
};

} // namespace fotarel::app
