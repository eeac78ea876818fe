#pragma once

#include "audio/binding_commands.h"
#include "core/session.h"
#include "engine/ui_port.h"

#include <QDialog>

class QTreeWidget;

namespace fotarel::app {

// "绑定" (TForm15): "从下面列表中选择一个文件绑定" over the lyric file list
// (bound from the music menu) or the song list (from the lyric menu).
// "确定" without a chosen row says so and stays open; with one it binds and
// closes; "取消" closes.
class BindingWindow : public QDialog {
    Q_OBJECT
public:
    BindingWindow(Session& session, UiPort& ui, QWidget* parent = nullptr);

    // Fills the list for `side`'s binding of its selected row `selected` and
    // shows the window modally; true when it bound.
    bool run(audio::Side side, int selected);
    void prepare(audio::Side side, int selected);
    // "确定": true when it bound (and closed).
    bool confirmChoice();

    QTreeWidget* list() const { return list_; }

private:
    Session& session_;
    UiPort& ui_;
    QTreeWidget* list_;
    audio::Side side_ = audio::Side::Music;
    int selected_ = -1;
};

} // namespace fotarel::app
