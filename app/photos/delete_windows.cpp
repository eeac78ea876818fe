#include "app/photos/delete_windows.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QTreeWidget>

namespace fotarel::app {

DeletePhotoWindow::DeletePhotoWindow(const QString& objectName, const QStringList& buttons, bool withList,
                                     QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), label_(new QLabel(this))
{
    setObjectName(objectName);
    setWindowTitle(kDeleteWindowTitle);
    setModal(true);
    setStyleSheet(QStringLiteral("QDialog { background: #f4f6f8; border: 1px solid #3a4452; }"));
    const int width = withList ? 640 : 440;
    const int height = withList ? 380 : 190;
    resize(width, height);
    auto* title = new QLabel(kDeleteWindowTitle, this);
    title->setObjectName(QStringLiteral("Label_biaoti"));
    title->setGeometry(12, 6, width - 60, 24);
    auto* close = new QToolButton(this);
    close->setObjectName(QStringLiteral("Button_guanbi"));
    close->setText(QStringLiteral("×"));
    close->setGeometry(width - 34, 4, 28, 26);
    connect(close, &QToolButton::clicked, this, [this] {
        answer_ = -1;
        reject();
    });
    label_->setWordWrap(true);
    label_->setAlignment(Qt::AlignCenter);
    label_->setGeometry(16, 40, width - 32, withList ? 0 : 80);
    if (withList) {
        list_ = new QTreeWidget(this);
        list_->setObjectName(QStringLiteral("ListView_buchong"));
        list_->setRootIsDecorated(false);
        list_->setHeaderLabels(kReplacementColumns);
        list_->setGeometry(12, 40, width - 24, height - 100);
    }
    const int buttonWidth = withList ? 240 : 120;
    int x = (width - int(buttons.size()) * (buttonWidth + 10) + 10) / 2;
    for (int i = 0; i < buttons.size(); ++i) {
        auto* button = new QPushButton(buttons.at(i), this);
        button->setObjectName(QStringLiteral("suiButton%1").arg(i + 1));
        button->setGeometry(x, height - 46, i == buttons.size() - 1 && withList ? 80 : buttonWidth, 30);
        x += button->width() + 10;
        connect(button, &QPushButton::clicked, this, [this, i] {
            answer_ = i;
            accept();
        });
    }
}

int DeletePhotoWindow::ask(const QString& text)
{
    label_->setText(text);
    answer_ = -1;
    if (QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());
    exec();
    return answer_;
}

int DeletePhotoWindow::askWithList(const QList<Row>& rows, int* selectedRow)
{
    list_->clear();
    for (const Row& row : rows)
        list_->addTopLevelItem(new QTreeWidgetItem(row));
    answer_ = -1;
    if (QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());
    exec();
    *selectedRow = list_->currentItem() ? list_->indexOfTopLevelItem(list_->currentItem()) : -1;
    return answer_;
}

DeletePhotoDialogs::DeletePhotoDialogs(QWidget* parent)
    : confirm_(new DeletePhotoWindow(QStringLiteral("TForm9"), {QStringLiteral("确定删除"), QStringLiteral("取消")}, false,
                                     parent)),
      refill_(new DeletePhotoWindow(QStringLiteral("TForm10"),
                                    {QStringLiteral("确定删除"), QStringLiteral("手动为模板补充相片"), QStringLiteral("取消")},
                                    false, parent)),
      replacement_(new DeletePhotoWindow(QStringLiteral("TForm11"),
                                         {QStringLiteral("从已添加的相片中选择一张用来补充模板"),
                                          QStringLiteral("添加新相片用来补充"), QStringLiteral("取消")},
                                         true, parent))
{
}

bool DeletePhotoDialogs::confirmDelete(const QString& text)
{
    return confirm_->ask(text) == 0;
}

PhotoDialogs::RefillAnswer DeletePhotoDialogs::askRefill()
{
    switch (refill_->ask(kRefillText)) {
    case 0:
        return RefillAnswer::Random;
    case 1:
        return RefillAnswer::Manual;
    default:
        return RefillAnswer::Cancel;
    }
}

PhotoDialogs::Replacement DeletePhotoDialogs::chooseReplacement(const QList<Row>& candidates)
{
    Replacement r;
    const int answer = replacement_->askWithList(candidates, &r.selected);
    r.kind = answer == 0 ? Replacement::Kind::Existing
                         : answer == 1 ? Replacement::Kind::NewPhoto : Replacement::Kind::Cancel;
    return r;
}

} // namespace fotarel::app
