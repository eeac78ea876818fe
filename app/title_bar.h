#pragma once

#include <QPoint>
#include <QWidget>

class QLabel;
class QToolButton;

namespace fotarel::app {

// The drawn title bar of the program's borderless windows: the caption, a
// close box, and dragging the bar moves the window.
class TitleBar : public QWidget {
    Q_OBJECT
public:
    explicit TitleBar(const QString& caption, QWidget* parent);
    void setCaption(const QString& caption);
    static constexpr int kHeight = 30;

signals:
    void closeClicked();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void resizeEvent(QResizeEvent*) override;

private:
    QLabel* caption_;
    QToolButton* close_;
    QPoint dragOffset_;
    bool dragging_ = false;
};

} // namespace fotarel::app
