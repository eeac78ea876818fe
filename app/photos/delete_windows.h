#pragma once

#include "photos/photo_dialogs.h"

#include <QDialog>

class QLabel;
class QTreeWidget;

namespace fotarel::app {

// One "删除相片" window: a text or a list, and a row of buttons; exec()
// returns the index of the button pressed, -1 for the close box.
class DeletePhotoWindow : public QDialog {
    Q_OBJECT
public:
    DeletePhotoWindow(const QString& objectName, const QStringList& buttons, bool withList, QWidget* parent);
    int ask(const QString& text);
    int askWithList(const QList<Row>& rows, int* selectedRow);
    QTreeWidget* list() const { return list_; }
    QLabel* label() const { return label_; }

private:
    QLabel* label_;
    QTreeWidget* list_ = nullptr;
    int answer_ = -1;
};

// The three windows TForm9 (confirm), TForm10 (refill) and TForm11
// (replacement), as the engine asks for them.
class DeletePhotoDialogs : public PhotoDialogs {
public:
    explicit DeletePhotoDialogs(QWidget* parent);
    bool confirmDelete(const QString& text) override;
    RefillAnswer askRefill() override;
    Replacement chooseReplacement(const QList<Row>& candidates) override;

    DeletePhotoWindow* confirmWindow() const { return confirm_; }
    DeletePhotoWindow* refillWindow() const { return refill_; }
    DeletePhotoWindow* replacementWindow() const { return replacement_; }

private:
    DeletePhotoWindow* confirm_;
    DeletePhotoWindow* refill_;
    DeletePhotoWindow* replacement_;
};

} // namespace fotarel::app
