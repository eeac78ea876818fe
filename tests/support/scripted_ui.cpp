#include "tests/support/scripted_ui.h"

namespace fotarel::test {

bool ScriptedUi::confirm(const QString& title, const QString& text, const QString& accept)
{
    confirmations.append(title + QLatin1Char('|') + text);
    acceptCaptions.append(accept);
    if (confirmAnswers.empty())
        return false;
    const bool answer = confirmAnswers.front();
    confirmAnswers.pop_front();
    return answer;
}

QStringList ScriptedUi::chooseOpenFiles(const QString& filter, const QStringList&)
{
    filtersAsked.append(filter);
    if (openAnswers.empty())
        return {};
    QStringList answer = openAnswers.front();
    openAnswers.pop_front();
    return answer;
}

QString ScriptedUi::chooseSaveFile(const QString& filter)
{
    filtersAsked.append(filter);
    if (saveAnswers.empty())
        return {};
    QString answer = saveAnswers.front();
    saveAnswers.pop_front();
    return answer;
}

void ScriptedUi::progress(const QString& bar, int value, int maximum)
{
    progressSeen.append({bar, value, maximum});
}

} // namespace fotarel::test
