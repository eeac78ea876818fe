// The photo tiles: grid, pictures, labels, frames, menu, dragging to swap.
#include "app/photos/delete_windows.h"
#include "app/photos/import_window.h"
#include "app/photos/photo_area.h"
#include "app/photos/photo_tiles.h"
#include "photos/import.h"
#include "photos/photo_columns.h"
#include "tests/photos/photo_fixture.h"

#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QTest>

#include <gtest/gtest.h>

using namespace fotarel;
using namespace fotarel::test;
using fotarel::app::PhotoArea;
using fotarel::app::PhotoTileView;

namespace {

struct AreaRun : PhotoRun {
    QFrame frame;
    std::unique_ptr<PhotoArea> area;

    explicit AreaRun(int areaWidth)
    {
        addTemplate("a_h1", "|heng|", "|40|", "|30|", 1);
        loadLibrary();
        frame.setObjectName("Panel_xianshikuang");
        frame.resize(areaWidth, 550);
        area = std::make_unique<PhotoArea>(session, folder, ui, &frame);
        area->context().import = ctx.import;
        frame.show();
    }
    void importPhotos(int n)
    {
        QStringList files;
        for (int i = 1; i <= n; ++i)
            files << photo(QStringLiteral("photo%1.jpg").arg(i), 40, 30);
        ui.openAnswers.push_back(files);
        area->addPhotos();
    }
};

} // namespace

TEST(PhotoTiles, GridOfFourColumnsWithCentredThumbnailsAndNameLabels)
{
    // 900 pixels minus the scroll bar hold four 180-pixel tiles a row.
    AreaRun run(900 + 17);
    PhotoTileView* tiles = run.area->tiles();
    EXPECT_TRUE(tiles->placeholderTimer()->isActive());
    run.importPhotos(5);
    EXPECT_FALSE(tiles->placeholderTimer()->isActive());
    EXPECT_FALSE(tiles->placeholder()->isVisible());
    ASSERT_EQ(tiles->tileCount(), 5);
    EXPECT_EQ(tiles->tile(3)->pos(), QPoint(10 + 3 * 200, 10));
    EXPECT_EQ(tiles->tile(4)->pos(), QPoint(10, 10 + 200));
    EXPECT_EQ(tiles->tile(4)->objectName(), "Imagem_4");
    EXPECT_EQ(tiles->label(4)->objectName(), "Labelm_xianshikuang_mingcheng_Labelm_4");
    EXPECT_EQ(tiles->label(4)->text(), "photo5");
    EXPECT_EQ(tiles->label(4)->pos(), QPoint(10, 10 + 200 + 180));
    EXPECT_TRUE(tiles->label(4)->styleSheet().contains(QColor(253, 209, 2).name()));
    // The thumbnail is shown at its own size, centred in the 180 x 180 tile.
    EXPECT_EQ(tiles->tile(0)->pixmap().size(), QSize(158, 120));
    EXPECT_EQ(tiles->tile(0)->alignment(), Qt::AlignCenter);
    EXPECT_EQ(run.session.get("Edit_xianshikuang_pailie"), "5");
    EXPECT_EQ(run.session.get("Edit_xiangpian_down_id"), "wu");
    EXPECT_FALSE(tiles->scrollBar()->isVisible());
}

TEST(PhotoTiles, ManyTilesScrollAndTheMenuListsItsEntriesInOrder)
{
    AreaRun run(880);
    run.importPhotos(13);
    PhotoTileView* tiles = run.area->tiles();
    EXPECT_TRUE(tiles->scrollBar()->isVisible());
    // Four rows of 200 pixels; the holder ends 10 pixels under the last
    // row's names.
    EXPECT_EQ(run.session.get("Edit_Panel_xianshikuang_daxiao"),
              QString::number(10 + 3 * 200 + 180 + PhotoTileView::kLabelHeight + 10));
    // Scrolled to the end, the last name is seen whole.
    QTest::keyClick(tiles->scrollBar(), Qt::Key_End);
    ASSERT_EQ(tiles->scrollBar()->value(), tiles->scrollBar()->maximum());
    QLabel* last = tiles->label(12);
    const QRect seen(last->mapTo(tiles, QPoint(0, 0)), last->size());
    EXPECT_TRUE(tiles->rect().contains(seen)) << seen.bottom() << " > " << tiles->rect().bottom();
    std::unique_ptr<QMenu> menu(tiles->makeContextMenu(nullptr));
    QStringList entries;
    for (QAction* a : menu->actions())
        entries << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(entries, (QStringList{"删除相片", "全部删除", "-", "图标格式", "列表格式", "-", "预览效果"}));
}

TEST(PhotoTiles, PressSelectsAndDroppingOntoAnotherTileSwapsThePhotos)
{
    AreaRun run(880);
    run.importPhotos(3);
    PhotoTileView* tiles = run.area->tiles();
    run.session.set("Edit_shuangji_yulan_or_qitacaozuo", "qita_caozuo");
    QList<int> shown; // the rows the selected-photo panel was asked to show
    QObject::connect(run.area.get(), &PhotoArea::photoSelected, [&](int row) { shown << row; });
    QLabel* first = tiles->tile(0);
    QTest::mousePress(first, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(run.session.get("Edit_xiangpian_down_id"), "0");
    EXPECT_EQ(run.session.get("Edit_tuodong_kaiguan"), "anxia");
    EXPECT_TRUE(tiles->selectionFrame()->isVisible());
    // Drag it to 40 pixels right of the second tile's place and let go.
    const QPoint target = tiles->tile(1)->pos() + QPoint(40, 10);
    QMouseEvent move(QEvent::MouseMove, QPointF(20, 20) + QPointF(target - first->pos()),
                     first->mapToGlobal(QPointF(20, 20) + QPointF(target - first->pos())), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(first, &move);
    EXPECT_EQ(first->pos(), target);
    QTest::mouseRelease(first, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(run.session.get("Edit_tuodong_kaiguan"), "songkai");
    EXPECT_EQ(first->pos(), QPoint(10, 10)); // back where it started
    EXPECT_EQ(run.column(PhotoCol::Name), (QStringList{"photo2", "photo1", "photo3"}));
    EXPECT_EQ(tiles->label(0)->text(), "photo2");
    EXPECT_EQ(run.session.get("Edit_tuodong_huhuan_yes_or_no"), "tuodong_huhuan_yes");
    // The selection went with the dragged photo: frame, selected row and
    // the panel's picture all name photo1, now second.
    EXPECT_EQ(run.session.get("Edit_xiangpian_down_id"), "1");
    EXPECT_EQ(tiles->selectionFrame()->geometry(), tiles->tile(1)->geometry().adjusted(-2, -2, 2, 2));
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_EQ(shown.last(), 1);
    EXPECT_EQ(run.cell(shown.last(), PhotoCol::Name), "photo1");
}

TEST(PhotoTiles, SwappedPhotosTakeTheirThumbnailsAlong)
{
    AreaRun run(880);
    // Same size, different colours: thumbnail files of equal size and age.
    const QList<QColor> colours{QColor(220, 30, 30), QColor(30, 30, 220)};
    QStringList files;
    for (int i = 0; i < colours.size(); ++i) {
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(colours[i]);
        files << run.photo(QStringLiteral("c%1.jpg").arg(i + 1), picture);
    }
    run.ui.openAnswers.push_back(files);
    run.area->addPhotos();
    PhotoTileView* tiles = run.area->tiles();
    auto centre = [tiles](int i) {
        const QImage image = tiles->tile(i)->pixmap().toImage();
        return QColor(image.pixel(image.width() / 2, image.height() / 2));
    };
    ASSERT_LT(std::abs(centre(0).red() - 220), 40);
    emit tiles->dropped(0, {1}); // what a drop onto the second tile sends
    EXPECT_EQ(tiles->label(0)->text(), "c2");
    EXPECT_LT(std::abs(centre(0).blue() - 220), 40) << "tile 0 shows the swapped-in photo";
    EXPECT_LT(std::abs(centre(1).red() - 220), 40);
    // Switching views reloads the tiles: they still show the new order.
    run.area->showList();
    run.area->showTiles();
    run.area->tiles()->arrange();
    EXPECT_LT(std::abs(centre(0).blue() - 220), 40);
}

TEST(PhotoTiles, DeleteAllThroughTheConfirmWindowRestartsThePlaceholder)
{
    AreaRun run(880);
    run.importPhotos(2);
    auto* confirm = run.area->dialogs()->confirmWindow();
    QTimer::singleShot(0, confirm, [confirm] {
        EXPECT_EQ(confirm->label()->text(), "确定删除全部相片吗？");
        EXPECT_EQ(confirm->windowTitle(), "删除相片");
        confirm->findChild<QPushButton*>("suiButton1")->click(); // "确定删除"
    });
    run.area->deleteAll();
    EXPECT_EQ(run.area->tiles()->tileCount(), 0);
    EXPECT_TRUE(run.area->tiles()->placeholderTimer()->isActive());
    EXPECT_EQ(run.session.table(photo_tables::Photos).rowCount(), 0);
}

namespace {

// A UI port that, like the desktop one, reports progress with a signal.
class SignallingUi : public QObject, public ScriptedUi {
    Q_OBJECT
public:
    void progress(const QString& bar, int value, int maximum) override
    {
        ScriptedUi::progress(bar, value, maximum);
        emit progressChanged(bar, value, maximum);
    }
signals:
    void progressChanged(const QString& bar, int value, int maximum);
};

} // namespace

TEST(ImportWindow, FollowsTheProgressOfTheUiPort)
{
    PhotoRun run;
    SignallingUi ui;
    QFrame frame;
    frame.resize(880, 550);
    PhotoArea area(run.session, run.folder, ui, &frame);
    emit ui.progressChanged("添加相片", 3, 12);
    EXPECT_EQ(area.importWindow()->bar()->maximum(), 12);
    EXPECT_EQ(area.importWindow()->bar()->value(), 3);
    emit ui.progressChanged("其它", 1, 2); // another bar
    EXPECT_EQ(area.importWindow()->bar()->value(), 3);
    EXPECT_EQ(area.importWindow()->objectName(), "TMainForm");
}

#include "photo_area_test.moc"
