#pragma once

#include <QList>
#include <QPoint>
#include <QStringList>
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

    // Adds the three layout buttons ("开始布局", "全屏", "还原") left of the
    // close box; each emits layoutRequested with its layout word.
    void addLayoutButtons(const QStringList& words, const QStringList& captions);

signals:
    void closeClicked();
    void doubleClicked();
    void layoutRequested(const QString& word);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;
    void resizeEvent(QResizeEvent*) override;

private:
    QLabel* caption_;
    QToolButton* close_;
    QList<QToolButton*> layoutButtons_;
    QPoint dragOffset_;
    bool dragging_ = false;
};

} // namespace fotarel::app
