#pragma once

#include "audio/lyric_table.h"
#include "core/session.h"
#include "engine/ui_port.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QComboBox;
class QRadioButton;

namespace fotarel::app {

class LyricPanel;
class OutlineControls;

// "歌词设置" (TForm16): the selected lyric file's style on a live sample
// ("此处歌词内容" on the 513 x 289 panel Panel_LRC), a "默认" button beside each
// setting; "确定" stores the choices into the row's cells and refreshes its
// list row, "取消" and the close box change nothing.
class LyricStyleWindow : public QDialog {
    Q_OBJECT
public:
    LyricStyleWindow(Session& session, QWidget* parent = nullptr);

    // Prepares the window for lyric file row `row` (size list refilled,
    // controls and sample from the row's cells).
    void prepare(int row);
    // prepare(row), then modal; true when "确定" stored the style.
    bool run(int row);

    // The style the controls show.
    audio::LyricStyle chosenStyle() const;
    // "确定".
    void store();

    QComboBox* colours() const { return colours_; }
    QComboBox* fonts() const { return fonts_; }
    QComboBox* sizes() const { return sizes_; }
    QCheckBox* bold() const { return bold_; }
    QCheckBox* italic() const { return italic_; }
    QCheckBox* underline() const { return underline_; }
    QRadioButton* horizontal(int i) const { return horizontal_[i]; }
    QRadioButton* vertical(int i) const { return vertical_[i]; }
    LyricPanel* sample() const { return sample_; }
    OutlineControls* outline() const { return outline_; }

private:
    void updateSample();
    void selectText(QComboBox* box, const QString& text);

    Session& session_;
    int row_ = -1;
    QComboBox* colours_;
    QComboBox* fonts_;
    QComboBox* sizes_;
    QCheckBox* bold_;
    QCheckBox* italic_;
    QCheckBox* underline_;
    QRadioButton* horizontal_[3];
    QRadioButton* vertical_[3];
    LyricPanel* sample_;
    OutlineControls* outline_;
};

// The command "歌词设置": nothing with no lyric files; "没有选中歌词文件！" with none
// selected; otherwise the window for the selected row. True when stored.
bool lyricStyleCommand(Session& session, UiPort& ui, LyricStyleWindow& window, std::optional<int> selected);

} // namespace fotarel::app
