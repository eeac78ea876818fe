#pragma once

#include "core/session.h"
#include "core/working_folder.h"
#include "engine/ui_port.h"
#include "photos/photo_context.h"
#include "photos/random_source.h"

#include <QObject>

#include <memory>

class QFrame;
class QTreeWidget;

namespace fotarel::app {

class PhotoTileView;
class ImportWindow;
class DeletePhotoDialogs;

// The photos area of the main window: tiles and list view over the area
// frame, the import window and the three "删除相片" windows, wired to the
// engine's photo commands.
class PhotoArea : public QObject {
    Q_OBJECT
public:
    PhotoArea(Session& session, const WorkingFolder& folder, UiPort& ui, QFrame* area);
    ~PhotoArea() override;

    PhotoTileView* tiles() const { return tiles_; }
    QTreeWidget* list() const { return list_; }
    ImportWindow* importWindow() const { return importWindow_; }
    DeletePhotoDialogs* dialogs() const { return dialogs_.get(); }
    PhotoContext& context() { return context_; }

public slots:
    void addPhotos();   // "添加相片"
    void deleteOne();   // "删除" / "删除相片"
    void deleteAll();   // "删除全部" / "全部删除"
    void showTiles();   // "图标" / "图标格式"
    void showList();    // "列表" / "列表格式"
    void refreshList(); // the list view from the visible photo list

signals:
    // The main window switches to its photos area.
    void photoAreaWanted();
    // A photo was selected (tile pressed, or list row clicked) and its
    // thumbnail exists: the selected-photo panel ("        相片缩略图预览")
    // shows it (renderPhotoInBox gives the picture).
    void photoSelected(int row);
    // Double-click or "预览效果" on a photo row (the template preview).
    void previewRequested(int row);

private:
    void swap(int dragged, const QList<int>& targets);

    Session& session_;
    const WorkingFolder& folder_;
    QFrame* area_;
    PhotoTileView* tiles_;
    QTreeWidget* list_;
    ImportWindow* importWindow_;
    std::unique_ptr<DeletePhotoDialogs> dialogs_;
    ClockRandom random_;
    PhotoContext context_;
};

} // namespace fotarel::app
