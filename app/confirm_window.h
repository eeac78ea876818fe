#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace fotarel::app {

class TitleBar;

// A confirmation with "确定" and "取消", such as "退出本软件" (TForm25).
class ConfirmWindow : public QDialog {
    Q_OBJECT
public:
    ConfirmWindow(const QString& objectName, const QString& caption, QWidget* parent = nullptr);
    // Shows the question modally; true for "确定", false for "取消" or the close box.
    bool ask(const QString& text);
    void setCaption(const QString& caption);
    // The accepting button's text ("确定" unless set, e.g. "确定删除").
    void setAcceptText(const QString& text);

private:
    TitleBar* title_;
    QLabel* label_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

} // namespace fotarel::app
