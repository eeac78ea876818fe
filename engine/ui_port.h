#pragma once

#include <QString>
#include <QStringList>

namespace fotarel {

// The only way engine code talks to the user. The desktop program answers
// with real windows; tests answer with scripted replies and record what was
// shown; the command-line front end prints.
class UiPort {
public:
    virtual ~UiPort() = default;

    // The message window: shows one fixed text until the user dismisses it.
    virtual void showMessage(const QString& text) = 0;
    // A confirmation with an accepting button ("确定" unless named, e.g.
    // "确定删除") and "取消"; true when accepted.
    virtual bool confirm(const QString& title, const QString& text,
                         const QString& accept = QStringLiteral("确定")) = 0;
    // Open dialog; `filter` is written "描述|*.jpg;" and `preselected` names
    // files to offer first. An empty list means cancelled.
    virtual QStringList chooseOpenFiles(const QString& filter, const QStringList& preselected) = 0;
    // Save dialog; an empty text means cancelled.
    virtual QString chooseSaveFile(const QString& filter) = 0;
    // Progress of long work on the named bar.
    virtual void progress(const QString& bar, int value, int maximum) = 0;
    // Lets pending window events run during long work.
    virtual void processEvents() = 0;
};

} // namespace fotarel
