#pragma once

// The caption editor "文字特效" (TForm3): composes captions with a live
// sample, keeps its working table between openings, reorders rows by
// dragging, previews one caption or all of them on its preview panel, and
// hands its table to the main window when it closes.

#include "core/session.h"
#include "core/table.h"
#include "effects/caption_editing.h"
#include "effects/caption_overlay.h"
#include "engine/ui_port.h"

#include <QDialog>
#include <QTreeWidget>

#include <memory>
#include <vector>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace fotarel::app {

class OutlineControls;

// The preview panel Panel_LRC: black, with the sample caption on it and the
// previewed captions painted over it.
class CaptionPreviewPanel : public QWidget {
    Q_OBJECT
public:
    explicit CaptionPreviewPanel(QWidget* parent);
    void show(effects::CaptionOverlay* overlay, long long albumFrame);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    effects::CaptionOverlay* overlay_ = nullptr;
    long long frame_ = -1;
};

// The display list suiListView_Label_2: rows are reordered by pressing on a
// selected row, dragging, and releasing over the row they should go before.
class CaptionList : public QTreeWidget {
    Q_OBJECT
public:
    explicit CaptionList(QWidget* parent);
    std::vector<int> selectedRows() const;
    QFrame* dragImage() const { return dragImage_; }

signals:
    // Released with the drag image shown: the selected rows go before
    // `dropRow` (the row count for below the last row).
    void rowsDropped(int startRow, int dropRow);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void showDragImage(QPoint at);
    void hideDragImage();
    int rowAt(QPoint viewportPos) const;

    QFrame* dragImage_;
    QTreeWidget* dragRows_;
    bool pressed_ = false; // Edit_tuodong_kaiguan "anxia"
    int startRow_ = -1;    // Edit_tuodong_up_or_dn
    bool moved_ = false;
};

class CaptionEditorWindow : public QDialog {
    Q_OBJECT
public:
    CaptionEditorWindow(Session& session, UiPort& ui, QWidget* parent);
    ~CaptionEditorWindow() override;

    // "文字特效": resets the choosers, shows the window modally; on closing
    // the main window's caption table becomes a copy of the working table.
    void run();
    // The opening steps without showing the window (run() uses it; tests too).
    void prepareOpening();

    const Table& workingTable() const { return working_; }
    CaptionList* displayList() const { return list_; }
    CaptionPreviewPanel* previewPanel() const { return panel_; }
    QLabel* sample() const { return sample_; }
    bool previewRunning() const;
    // One preview frame, as the preview timer makes it.
    void previewTick();
    long long previewFrame() const { return previewFrame_; }

    void addCaption();
    void deleteSelected();
    void deleteAll();
    void previewSelected();
    void previewAll();
    void stopPreview();

    void done(int result) override;

private:
    void buildChoosers(QWidget* box);
    void rebuildDisplayList(const std::vector<int>& select = {});
    void applySample();
    void startPreview(const QString& mode, const std::vector<int>& rows);
    void setEditingEnabled(bool enabled);
    void dropRows(int startRow, int dropRow);
    effects::CaptionChoice currentChoice() const;

    Session& session_;
    UiPort& ui_;
    Table working_;
    Table motions_;
    CaptionPreviewPanel* panel_;
    QLabel* sample_;
    CaptionList* list_;
    QLineEdit* clock_;
    QLineEdit* text_;
    QComboBox* minute_;
    QComboBox* second_;
    QComboBox* effect_;
    QComboBox* colour_;
    QComboBox* font_;
    QComboBox* size_;
    QCheckBox* bold_;
    QCheckBox* italic_;
    QCheckBox* underline_;
    OutlineControls* outline_;
    QList<QWidget*> editing_; // disabled while a preview runs
    QTimer* previewTimer_;
    std::unique_ptr<effects::CaptionOverlay> previewOverlay_;
    long long previewFrame_ = -1;
    QString previewMode_; // "dangeyulan" or "quanbuyulan"
};

} // namespace fotarel::app
