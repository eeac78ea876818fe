#include "app/photos/photo_area.h"

#include "app/photos/delete_windows.h"
#include "app/photos/import_window.h"
#include "app/photos/photo_tiles.h"
#include "photos/editing.h"
#include "photos/import.h"
#include "photos/photo_columns.h"
#include "photos/photo_paths.h"

#include <QFileInfo>

#include <QFrame>
#include <QHeaderView>
#include <QTreeWidget>

namespace fotarel::app {

PhotoArea::PhotoArea(Session& session, const WorkingFolder& folder, UiPort& ui, QFrame* area)
    : QObject(area),
      session_(session),
      folder_(folder),
      area_(area),
      tiles_(new PhotoTileView(session, folder, area)),
      list_(new QTreeWidget(area)),
      importWindow_(new ImportWindow(area ? area->window() : nullptr)),
      dialogs_(std::make_unique<DeletePhotoDialogs>(area ? area->window() : nullptr)),
      context_{session, folder, ui, random_, dialogs_.get(), {}, {}}
{
    list_->setObjectName(photo_tables::Visible);
    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setStyleSheet(QStringLiteral("QTreeWidget { background: white; color: black; }"));
    list_->setHeaderLabels(session.table(photo_tables::Visible).columnCaptions());
    list_->setGeometry(area ? area->rect() : QRect());
    list_->hide();

    // The desktop UI port reports progress with a signal
    // progressChanged(bar, value, maximum); the import window follows it.
    if (auto* port = dynamic_cast<QObject*>(&ui);
        port && port->metaObject()->indexOfSignal("progressChanged(QString,int,int)") >= 0)
        connect(port, SIGNAL(progressChanged(QString,int,int)), importWindow_, SLOT(setProgress(QString,int,int)));

    PhotoViewHooks& view = context_.view;
    view.runInImportWindow = [this](const std::function<void()>& work) { importWindow_->run(work); };
    view.stopPlaceholder = [this] { tiles_->stopPlaceholder(); };
    view.restartPlaceholder = [this] { tiles_->startPlaceholder(); };
    view.destroyTiles = [this] { tiles_->destroyTiles(); };
    view.createTiles = [this] { tiles_->createTiles(); };
    view.destroyLastTile = [this] { tiles_->destroyLastTile(); };
    view.reloadTiles = [this] {
        tiles_->reloadTiles();
        refreshList();
    };
    view.hideFrames = [this] { tiles_->hideFrames(); };
    view.showPhotoArea = [this] { emit photoAreaWanted(); };

    connect(tiles_, &PhotoTileView::deleteOneRequested, this, &PhotoArea::deleteOne);
    connect(tiles_, &PhotoTileView::deleteAllRequested, this, &PhotoArea::deleteAll);
    connect(tiles_, &PhotoTileView::tileModeRequested, this, &PhotoArea::showTiles);
    connect(tiles_, &PhotoTileView::listModeRequested, this, &PhotoArea::showList);
    connect(tiles_, &PhotoTileView::previewRequested, this, &PhotoArea::previewRequested);
    connect(tiles_, &PhotoTileView::dropped, this, &PhotoArea::swap);
    connect(tiles_, &PhotoTileView::selected, this, [this](int row) {
        if (QFileInfo::exists(photo_paths::thumbnail(folder_, session_, row + 1)))
            emit photoSelected(row);
    });
    connect(list_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        const int row = list_->indexOfTopLevelItem(item);
        if (row >= 0 && QFileInfo::exists(photo_paths::thumbnail(folder_, session_, row + 1))) {
            session_.set(QStringLiteral("Edit_Image_chakanxiangpian_T_or_F"), QStringLiteral("True"));
            emit photoSelected(row);
        }
    });
}

PhotoArea::~PhotoArea() = default;

void PhotoArea::refreshList()
{
    list_->clear();
    const Table& visible = session_.table(photo_tables::Visible);
    for (int r = 0; r < visible.rowCount(); ++r)
        list_->addTopLevelItem(new QTreeWidgetItem(visible.row(r)));
}

void PhotoArea::addPhotos()
{
    addPhotosCommand(context_);
    refreshList();
}

void PhotoArea::deleteOne()
{
    QList<int> selection;
    for (QTreeWidgetItem* item : list_->selectedItems())
        selection << list_->indexOfTopLevelItem(item);
    deleteSelectedPhotos(context_, selection);
    refreshList();
}

void PhotoArea::deleteAll()
{
    deleteAllPhotos(context_);
    refreshList();
}

void PhotoArea::showTiles()
{
    emit photoAreaWanted();
    list_->hide();
    session_.set(QStringLiteral("Edit_tubiao_liebiao"), QStringLiteral("tubiao"));
}

void PhotoArea::showList()
{
    emit photoAreaWanted();
    refreshList();
    list_->setGeometry(area_ ? area_->rect() : QRect());
    list_->show();
    list_->raise();
    session_.set(QStringLiteral("Edit_tubiao_liebiao"), QStringLiteral("liebiao"));
}

void PhotoArea::swap(int dragged, const QList<int>& targets)
{
    swapPhotos(context_, dragged, targets);
    refreshList();
}

} // namespace fotarel::app
