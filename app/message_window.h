#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace fotarel::app {

class TitleBar;

// The message window "提示信息": one line of text and "确定". Long texts
// (lists of files) wrap and the window grows to show them.
class MessageWindow : public QDialog {
    Q_OBJECT
public:
    explicit MessageWindow(QWidget* parent = nullptr);
    void showMessage(const QString& text); // modal
    QString text() const;

private:
    TitleBar* title_;
    QLabel* label_;
    QPushButton* ok_;
};

} // namespace fotarel::app
