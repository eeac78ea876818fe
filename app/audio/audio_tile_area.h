#pragma once

#include "audio/music_import.h"
#include "core/session.h"
#include "core/working_folder.h"

#include <QLabel>
#include <QList>
#include <QPoint>
#include <QWidget>

#include <optional>
#include <vector>

class QTreeWidget;
class QMenu;

namespace fotarel::app {

// A dotted rectangle over the tiles: the hover frame Shape_yinyue (olive) and
// the selection frame Shape_yinyue_xuanzhong (lime). Mouse input passes
// through it.
class DottedFrame : public QWidget {
public:
    DottedFrame(const QString& objectName, const QColor& colour, QWidget* parent);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QColor colour_;
};

// The contents of the music area or of the lyric area, placed over the whole
// area (Panel_xianshikuang_yinyue or _geci, 880 x 550): one tile per row on
// the scrollable tile panel Panel_xianshikuang_daxiao_yinyue (_geci) with
// hover and selection frames, drag-to-exchange and the three-image scroll
// bar, and the visible list (suiListView_yinyue_liebiao or
// suiListView_geci_liebiao) for the list view. It reads and writes the
// session's tables and the area's tile variables (names ending in "_yinyue"
// or "_geci").
class AudioTileArea : public QWidget {
    Q_OBJECT
public:
    static constexpr int kScrollBarWidth = 12;
    static constexpr int kCapHeight = 10;

    AudioTileArea(Session& session, const WorkingFolder& folder, audio::TileSet set, QWidget* parent = nullptr);
    audio::TileSet tileSet() const { return set_; }

    // Destroys the tiles there are, sets Edit_xianshikuang_pailie_yinyue (_geci) to the
    // row count, creates one tile per song and arranges them.
    void rebuildTiles();
    void destroyTiles();
    void createTiles();
    void arrangeTiles();
    // Reloads every tile's picture from its tile image file.
    void reloadTilePictures();
    // Fills the visible list from the session's music list.
    void refreshList();

    // "图标" and "列表".
    void showTiles();
    void showList();

    // The selected song: Edit_xiangpian_down_id in tile view, the list's
    // selected row in list view; empty when none.
    std::optional<int> selectedRow() const;

    // The tile image the big preview shows: the selected song's, or the
    // first song's when none is selected; empty when that file is missing.
    QString previewImagePath() const;

    QList<QLabel*> tiles() const { return tiles_; }
    QWidget* tilePanel() const { return panel_; }
    QWidget* hoverFrame() const { return hover_; }
    QWidget* selectionFrame() const { return selection_; }
    QTreeWidget* list() const { return list_; }
    QLabel* scrollThumb() const { return scroll_[1]; }

signals:
    // A song was selected: the big preview shows `imagePath` and its caption
    // becomes `caption`.
    void previewSelected(const QString& caption, const QString& imagePath);
    // A tile was double-clicked: the area's preview for that row.
    void previewRequested(int row);
    // A command of the area's menu, by its caption ("音乐预览", "删除音乐", ...).
    void menuCommand(const QString& caption);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QString areaVar(const char* stem, const char* tail = "") const;
    QLatin1StringView tableName() const;
    QLatin1StringView listName() const;
    QString tilePrefix() const;
    QString previewCaption() const;
    int tileRow(const QObject* tile) const;
    void tileMoved(QLabel* tile, const QPoint& inTile);
    void tilePressed(QLabel* tile, Qt::MouseButton button, const QPoint& inTile);
    void tileReleased(QLabel* tile, Qt::MouseButton button);
    // The selection frame goes to the hover frame, the tile's row becomes
    // Edit_xiangpian_down_id and the big preview shows it.
    void selectTile(QLabel* tile);
    void scrollPressed(int cursorY);
    void scrollMoved(int cursorY);
    void updateScrollBar();
    void placeScrollBar(int top);
    void showPreviewOf(int row);
    void loadTilePicture(int row);

    Session& session_;
    const WorkingFolder& folder_;
    audio::TileSet set_;
    QString suffix_;
    QWidget* panel_;
    DottedFrame* hover_;
    DottedFrame* selection_;
    QLabel* scroll_[3];
    QTreeWidget* list_;
    QMenu* menu_;
    QList<QLabel*> tiles_;
};

// The music area's tiles and list.
class MusicTileArea : public AudioTileArea {
    Q_OBJECT
public:
    static inline const QString kTilePrefix = QStringLiteral("Imagemyinyue_");
    static inline const QString kPreviewCaption = QStringLiteral("        音乐缩略图预览");
    MusicTileArea(Session& session, const WorkingFolder& folder, QWidget* parent = nullptr)
        : AudioTileArea(session, folder, audio::TileSet::Music, parent)
    {
    }
};

// The lyric area's tiles and list.
class LyricTileArea : public AudioTileArea {
    Q_OBJECT
public:
    static inline const QString kTilePrefix = QStringLiteral("Imagemgeci_");
    static inline const QString kPreviewCaption = QStringLiteral("        歌词缩略图预览");
    LyricTileArea(Session& session, const WorkingFolder& folder, QWidget* parent = nullptr)
        : AudioTileArea(session, folder, audio::TileSet::Lyrics, parent)
    {
    }
};

} // namespace fotarel::app
