#include "core/working_folder.h"

#include <QDir>

namespace fotarel {

const QStringList& paths::scratchFiles()
{
    static const QStringList files = {
        "smxcwjj\\tp_slt_tp_0_1.png",
        "smxcwjj\\tp_load\\tp_load_1.bmp",
        "smxcwjj\\tp_load\\tp_load_1_1.bmp",
        "smxcwjj\\tp_load\\tp_load_1.jpg",
        "smxcwjj\\tp_load\\tp_load_1_2_1.bmp",
        "smxcwjj\\tp_load\\tp_load_1_2_1.jpg",
        "smxcwjj\\wj_0_or_1\\wj_1_jy.rar",
        "smxcwjj\\tp_load\\tp_load_0.rar",
        "smxcwjj\\tp_0\\tp_slt_0_02.rar",
        "smxcwjj\\tp_0\\tp_slt_0_12.rar",
        "smxcwjj\\tp_0\\tp_slt_0_0.png",
        "smxcwjj\\tp_0\\tp_slt_0_1.png",
        "smxcwjj\\tp_0\\tp_slt_1_02.rar",
        "smxcwjj\\tp_0\\tp_slt_1_12.rar",
        "smxcwjj\\tp_0\\tp_slt_1_0.png",
        "smxcwjj\\tp_0\\tp_slt_1_1.png",
        "smxcwjj\\tp_0\\tp_slt_tp_02.rar",
        "smxcwjj\\tp_0\\tp_slt_tp_0.png",
        "smxcwjj\\tp_0\\tp_slt_tp_0_12.rar",
        "smxcwjj\\tp_0\\tp_slt_tp_0_1.png",
    };
    return files;
}

WorkingFolder::WorkingFolder(QString programFolder) : base_(QDir::cleanPath(std::move(programFolder))) {}

QString WorkingFolder::path(const QString& relative) const
{
    QString rel = relative;
    rel.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const bool folder = rel.endsWith(QLatin1Char('/'));
    QString joined = QDir::cleanPath(base_ + QLatin1Char('/') + rel);
    if (folder)
        joined += QLatin1Char('/');
    return joined;
}

} // namespace fotarel
