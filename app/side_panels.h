#pragma once

#include <QFrame>
#include <QList>
#include <QPixmap>
#include <QString>

class QLabel;
class QPushButton;

namespace fotarel::app {

class StatusPanel;

// The main window's right-hand status panels, top to bottom: "相片区域"
// (the selected-photo panel and the photo browser's link), "音乐区域",
// "歌词区域", "其它相关" (the status lines) and "帮助信息" (the scrolling
// help text), each 185 pixels wide and 2 pixels apart. The help panel takes
// what height is left and hides when too little is.
class SidePanels : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPreviewWidth = 175;
    static constexpr int kPreviewHeight = 118;

    SidePanels(StatusPanel* status, QWidget* parent);

    // The selected-photo panel ("        相片缩略图预览") shows `picture`;
    // cleared, it is titled "        缩略图预览" and empty.
    void showSelectedPhoto(const QImage& picture);
    void clearSelectedPhoto();
    // The big preview of the music (1) or lyric (2) area: the selected
    // tile's picture under the area's caption.
    void showAreaPreview(int area, const QString& caption, const QPixmap& picture);
    // Empties the preview of the area shown (a deletion there).
    void clearShownPreview();
    // The preview follows the area shown (0 photos, 1 music, 2 lyrics):
    // each area keeps what was last selected in it.
    void showArea(int area);

    QLabel* previewTitle() const { return previewTitle_; }
    QLabel* previewPicture() const { return previewPicture_; }
    QFrame* panel(int i) const { return panels_.value(i); }

signals:
    void areaWanted(int area); // 0 photos, 1 music, 2 lyrics
    void browserWanted();      // "大图片浏览"

protected:
    void resizeEvent(QResizeEvent*) override;

private:
    struct Preview {
        QString title;
        QPixmap picture;
    };
    void setPreview(int area, const Preview& preview);

    QFrame* makePanel(const QString& name, const QString& caption, QPushButton** header);

    StatusPanel* status_;
    QList<QFrame*> panels_;
    QLabel* previewTitle_;
    QLabel* previewPicture_;
    QPushButton* browserLink_;
    Preview previews_[3];
    int shownArea_ = 0;
};

} // namespace fotarel::app
