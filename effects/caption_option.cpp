#include "effects/caption_option.h"

#include "core/colours.h"
#include "effects/caption_columns.h"
#include "effects/caption_editing.h"
#include "effects/motions.h"

namespace fotarel::effects {

CaptionOption parseCaptionOption(const QString& text)
{
    auto bad = [&](const QString& why) { return CaptionOption{std::nullopt, QStringLiteral("--caption \"%1\"：%2").arg(text, why)}; };
    const QStringList fields = text.split(QLatin1Char('|'));
    if (fields.size() < 3 || fields.size() > 6)
        return bad(QStringLiteral("请写成 \"mm:ss|特效|文字\"，后面可以再加 \"|字体|字号|颜色\"。"));

    CaptionChoice choice;
    const QString time = fields[0].trimmed();
    const QStringList mmss = time.split(QLatin1Char(':'));
    bool minutesOk = false, secondsOk = false;
    const int minutes = mmss.size() == 2 ? mmss[0].toInt(&minutesOk) : -1;
    const int seconds = mmss.size() == 2 ? mmss[1].toInt(&secondsOk) : -1;
    if (!minutesOk || !secondsOk || minutes < 0 || minutes > 59 || seconds < 0 || seconds > 59)
        return bad(QStringLiteral("时间 \"%1\" 不是 mm:ss（分和秒都在 00 到 59 之间）。").arg(time));
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
        return bad(QStringLiteral("特效 \"%1\" 既不是特效名称，也不是 1 到 %2 的编号（见 --help）。")
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
            return bad(QStringLiteral("字号 \"%1\" 不是 10 到 40 之间的整数。").arg(fields[4].trimmed()));
        choice.sizeText = QString::number(size);
    }
    choice.colourName = kDefaultColour;
    if (fields.size() > 5 && !fields[5].trimmed().isEmpty()) {
        // A colour by its Chinese name (白色) or by its stored name (clWhite).
        const QString colour = fields[5].trimmed();
        const QString stored = colourNameForDisplayName(colour);
        if (!colourValueForName(stored))
            return bad(QStringLiteral("颜色 \"%1\" 不是可选的颜色：%2。").arg(colour, colourDisplayNames().join(QStringLiteral("、"))));
        choice.colourName = stored;
    }

    const ComposedRow composed = composeRow(choice, motionTable(kPreviewWidth, kPreviewHeight));
    if (!composed.row)
        return bad(QStringLiteral("文字：%1").arg(composed.refusal));
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
