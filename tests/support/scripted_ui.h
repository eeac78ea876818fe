#pragma once

#include "engine/ui_port.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <deque>

namespace fotarel::test {

// A UiPort with scripted answers that records everything it was asked.
class ScriptedUi : public UiPort {
public:
    void showMessage(const QString& text) override { messages.append(text); }
    bool confirm(const QString& title, const QString& text, const QString& accept = QStringLiteral("确定")) override;
    QStringList chooseOpenFiles(const QString& filter, const QStringList& preselected) override;
    QString chooseSaveFile(const QString& filter) override;
    void progress(const QString& bar, int value, int maximum) override;
    void processEvents() override { ++pumps; }

    QStringList messages;
    QStringList confirmations; // "title|text"
    QStringList acceptCaptions; // the accepting button of each confirmation
    std::deque<bool> confirmAnswers; // default answer when empty: false
    std::deque<QStringList> openAnswers;
    std::deque<QString> saveAnswers;
    QStringList filtersAsked;
    struct Progress {
        QString bar;
        int value;
        int maximum;
    };
    QList<Progress> progressSeen;
    int pumps = 0;
};

} // namespace fotarel::test
