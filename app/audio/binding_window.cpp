#include "app/audio/binding_window.h"

#include "audio/music_table.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace fotarel::app {

BindingWindow::BindingWindow(Session& session, UiPort& ui, QWidget* parent)
    : QDialog(parent), session_(session), ui_(ui), list_(new QTreeWidget(this))
{
    setObjectName(QStringLiteral("TForm15"));
    setWindowTitle(QStringLiteral("绑定"));
    setModal(true);
    resize(420, 360);
    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    auto* cancel = new QPushButton(QStringLiteral("取消"), this);
    ok->setObjectName(QStringLiteral("suiButton_queding"));
    cancel->setObjectName(QStringLiteral("suiButton_quxiao"));
    connect(ok, &QPushButton::clicked, this, &BindingWindow::confirmChoice);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, &BindingWindow::confirmChoice);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("从下面列表中选择一个文件绑定"), this));
    layout->addWidget(list_);
    layout->addLayout(buttons);
}

void BindingWindow::prepare(audio::Side side, int selected)
{
    side_ = side;
    selected_ = selected;
    list_->clear();
    const bool lyrics = side == audio::Side::Music;
    list_->setObjectName(lyrics ? QStringLiteral("ListView_bangding_geci") : QStringLiteral("ListView_bangding_yinyue"));
    list_->setHeaderLabels(lyrics ? QStringList{"序号", "歌词文件名", "歌词类型"}
                                  : QStringList{"序号", "音乐文件名", "音乐类型"});
    const Table& rows = session_.table(lyrics ? audio::names::LyricTable : audio::names::MusicTable);
    for (int i = 0; i < rows.rowCount(); ++i)
        list_->addTopLevelItem(new QTreeWidgetItem(QStringList{rows.cell(i, 0), rows.cell(i, 1), rows.cell(i, 2)}));
    list_->header()->resizeSection(1, 240);
}

bool BindingWindow::run(audio::Side side, int selected)
{
    prepare(side, selected);
    return exec() == QDialog::Accepted;
}

bool BindingWindow::confirmChoice()
{
    QTreeWidgetItem* item = list_->currentItem();
    if (!item || !item->isSelected()) {
        ui_.showMessage(side_ == audio::Side::Music ? audio::kNoLyricSelected : audio::kNoSongSelected);
        return false;
    }
    audio::bindByHand(session_, side_, selected_, list_->indexOfTopLevelItem(item), QDateTime::currentDateTime());
    accept();
    return true;
}

} // namespace fotarel::app
