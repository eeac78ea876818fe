#include "effects/caption_option.h"

#include "core/colours.h"
#include "effects/caption_columns.h"
#include "effects/caption_editing.h"
#include "effects/motions.h"

namespace fotarel::effects {

CaptionOption parseCaptionOption(const QString& text)
{
    auto bad = [&](const QString& why) { return CaptionOption{std::nullopt, QStringLiteral("--caption \"%1\": %2").arg(text, why)}; };
    const QStringList fields = text.split(QLatin1Char('|'));
    if (fields.size() < 3 || fields.size() > 6)
        return bad(QStringLiteral("write it as mm:ss|EFFECT|TEXT, optionally followed by |font|size|colour."));

    CaptionChoice choice;
    const QString time = fields[0].trimmed();
    const QStringList mmss = time.split(QLatin1Char(':'));
    bool minutesOk = false, secondsOk = false;
    const int minutes = mmss.size() == 2 ? mmss[0].toInt(&minutesOk) : -1;
    const int seconds = mmss.size() == 2 ? mmss[1].toInt(&secondsOk) : -1;
    if (!minutesOk || !secondsOk || minutes < 0 || minutes > 59 || seconds < 0 || seconds > 59)
        return bad(QStringLiteral("the time \"%1\" is not mm:ss with minutes and seconds from 00 to 59.").arg(time));
    const QStringList minuteList = minuteItems();
    const QStringList secondList = secondItems();
    choice.minuteItem = minuteList[minutes];
    choice.secondItem = secondList[seconds];

    const QStringList names = effectNames();
    const QString effect = fields[1].trimmed();
    bool numberOk = false;
    const int number = effect.toInt(&numberOk);
    if (numberOk)
        choice.effectIndex = number >= 1 && number <= names.size() ? number - 1 : -1;
    else
        choice.effectIndex = int(names.indexOf(effect));
    if (choice.effectIndex < 0)
        return bad(QStringLiteral("the effect \"%1\" is neither an effect name nor a number from 1 to %2 (see --help).")
                       .arg(effect)
                       .arg(names.size()));
    choice.effectName = names[choice.effectIndex];

    choice.text = fields[2];
    choice.fontName = fields.size() > 3 && !fields[3].trimmed().isEmpty() ? fields[3].trimmed() : kDefaultFont;
    choice.sizeText = kDefaultSize;
    if (fields.size() > 4 && !fields[4].trimmed().isEmpty()) {
        bool ok = false;
        const int size = fields[4].trimmed().toInt(&ok);
        if (!ok || size < 10 || size > 40)
            return bad(QStringLiteral("the size \"%1\" is not a whole number from 10 to 40.").arg(fields[4].trimmed()));
        choice.sizeText = QString::number(size);
    }
    choice.colourName = kDefaultColour;
    if (fields.size() > 5 && !fields[5].trimmed().isEmpty()) {
        const QString colour = fields[5].trimmed();
        if (!colourValueForName(colour)) {
            QStringList known;
            int count = 0;
            const NamedColour* all = namedColours(&count);
            for (int i = 0; i < count; ++i)
                known << QString::fromLatin1(all[i].name);
            return bad(QStringLiteral("the colour \"%1\" is not one of %2.").arg(colour, known.join(QStringLiteral(", "))));
        }
        choice.colourName = colour;
    }

    const ComposedRow composed = composeRow(choice, motionTable(kPreviewWidth, kPreviewHeight));
    if (!composed.row)
        return bad(QStringLiteral("the text: %1").arg(composed.refusal));
    return {composed.row, {}};
}

QString effectListText()
{
    // Every name flies the route it says.
    QString text;
    const QStringList names = effectNames();
    for (int i = 0; i < names.size(); ++i)
        text += QStringLiteral("  %1 %2\n").arg(i + 1, 2).arg(names[i]);
    return text;
}

} // namespace fotarel::effects
