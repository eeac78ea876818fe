#include "engine/wizard.h"

#include "photos/photo_columns.h"

namespace fotarel::wizard {

const std::array<Step, 4>& steps()
{
    static const std::array<Step, 4> table{{
        {QStringLiteral("suiButton_diyibu"), QStringLiteral("第一步： 添加相片   "),
         QStringLiteral("xiangce_xiangdao_tianjiaxiangpian"), QStringLiteral("suiButton1")},
        {QStringLiteral("suiButton_dierbu"), QStringLiteral("第二步： 添加音乐   "),
         QStringLiteral("xiangce_xiangdao_tianjiayinyue"), QStringLiteral("suiButton2")},
        {QStringLiteral("suiButton_disanbu"), QStringLiteral("第三步： 添加歌词   "),
         QStringLiteral("xiangce_xiangdao_tianjiageci"), QStringLiteral("suiButton3")},
        {QStringLiteral("suiButton_disibu"), QStringLiteral("第四步：制作DVD相册"),
         QStringLiteral("xiangce_xiangdao_zhizuoDVDxiangce"), QStringLiteral("suiButton12")},
    }};
    return table;
}

bool press(Session& session, UiPort& ui, int step)
{
    if (step < 0 || step >= int(steps().size()))
        return false;
    if (step == 3 && session.table(photo_tables::Photos).isEmpty()) {
        ui.showMessage(kNoPhotosMessage);
        return false;
    }
    session.set(kStepVariable, steps()[size_t(step)].word);
    return true;
}

QString commandForRecordedStep(const Session& session)
{
    const QString word = session.get(kStepVariable);
    for (const Step& s : steps())
        if (s.word == word)
            return s.command;
    return {};
}

} // namespace fotarel::wizard
