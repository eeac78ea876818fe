#include "core/fonts.h"

#include <QFont>
#include <QStringList>

namespace fotarel {

void registerFontSubstitutions()
{
    const QStringList sans = {"Noto Sans CJK SC", "WenQuanYi Zen Hei", "Noto Sans CJK TC", "Droid Sans Fallback"};
    const QStringList serif = {"Noto Serif CJK SC", "Noto Sans CJK SC", "WenQuanYi Zen Hei"};
    for (const char* name : {"黑体", "SimHei", "微软雅黑", "Microsoft YaHei"})
        QFont::insertSubstitutions(QString::fromUtf8(name), sans);
    for (const char* name : {"宋体", "SimSun", "新宋体", "NSimSun"})
        QFont::insertSubstitutions(QString::fromUtf8(name), serif);
}

} // namespace fotarel
