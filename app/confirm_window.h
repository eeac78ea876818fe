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
    // The answers of a question with three buttons (askThree).
    enum class Answer { Accept, Other, Cancel };

    ConfirmWindow(const QString& objectName, const QString& caption, QWidget* parent = nullptr);
    // Shows the question modally; true for "确定", false for "取消" or the close box.
    bool ask(const QString& text);
    // Shows the question with three buttons: `accept`, `other` and "取消"
    // (as the close box). The window's own button texts come back after it.
    Answer askThree(const QString& text, const QString& accept, const QString& other);
    void setCaption(const QString& caption);
    // The accepting button's text ("确定" unless set, e.g. "确定删除").
    void setAcceptText(const QString& text);

private:
    void placeButtons();
    int run(const QString& text);

    TitleBar* title_;
    QLabel* label_;
    QPushButton* ok_;
    QPushButton* other_;
    QPushButton* cancel_;
};

} // namespace fotarel::app
