#pragma once

// The small windows of karaoke: the style dialog "卡拉OK设置" (TForm47), the
// match window "查看匹配" (TForm51) and the lyric type dialog "歌词类型选择"
// (TForm49).

#include "core/session.h"
#include "karaoke/karaoke_table.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QRadioButton;
class QTreeWidget;

namespace fotarel::app {

class OutlineControls;

// Colours, font, size, bold/italic/underline, script and outline of one karaoke row.
// Each group has its "默认" button; "确定" accepts, "取消" leaves all as it was.
class KaraokeStyleDialog : public QDialog {
    Q_OBJECT
public:
    explicit KaraokeStyleDialog(QWidget* parent = nullptr);

    void setStyle(const karaoke::KaraokeStyle& style);
    karaoke::KaraokeStyle style() const;

private:
    QComboBox* baseColour_;
    QComboBox* sungColour_;
    QComboBox* font_;
    QComboBox* size_;
    QCheckBox* bold_;
    QCheckBox* italic_;
    QCheckBox* underline_;
    QRadioButton* simplified_;
    QRadioButton* traditional_;
    OutlineControls* outline_;
};

// Which song each karaoke file goes with: the pairs the album is made with.
class KaraokeMatchWindow : public QDialog {
    Q_OBJECT
public:
    explicit KaraokeMatchWindow(const Session& session, QWidget* parent = nullptr);
    QTreeWidget* list() const { return list_; }

private:
    QTreeWidget* list_;
};

// Asks which lyrics an album carries. Every time it opens, "两种歌词都使用" is
// selected and the choice reset; each choice sets Edit1_shiyong_lrc_or_ksc.
class LyricTypeDialog : public QDialog {
    Q_OBJECT
public:
    explicit LyricTypeDialog(Session& session, QWidget* parent = nullptr);
    // Resets the choice and shows the dialog modally.
    void ask();

private:
    Session& session_;
    QRadioButton* lrc_;
    QRadioButton* ksc_;
    QRadioButton* both_;
};

} // namespace fotarel::app
