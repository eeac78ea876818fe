#include "templates/descriptions.h"

#include "core/columns.h"
#include "core/file_tree.h"
#include "core/table_names.h"
#include "templates/ini_file.h"
#include "templates/package.h"

#include <QFileInfo>

namespace fotarel {

QStringList descriptionIntermediates(const WorkingFolder& folder, int k)
{
    QStringList out;
    for (int n = 1; n < kPackageLayers; ++n)
        out.append(folder.path(QStringLiteral("%1wjj_00_j_y%2-%3.rar").arg(paths::kDescriptionUnpack).arg(k).arg(n)));
    return out;
}

QString descriptionTarget(const WorkingFolder& folder, int k)
{
    return folder.path(QStringLiteral("%1wjj_00_j_y%2.ini").arg(paths::kDescriptionUnpack).arg(k));
}

DescriptionResult unpackAllDescriptions(Session& session, const WorkingFolder& folder)
{
    DescriptionResult result;
    Table& templates = session.table(tables::Templates);
    templates.clear();
    const QStringList packages = session.table(tables::PairDescriptions).lines();
    const QStringList movies = session.table(tables::PairMovies).lines();

    for (int i = 0; i < packages.size(); ++i) {
        const int k = i + 1;
        const QString target = descriptionTarget(folder, k);
        const UnpackResult unpacked = unpackPackage(packages.at(i), descriptionIntermediates(folder, k), target);
        if (!unpacked.ok) {
            result.skipped.append({packages.at(i), QStringLiteral("第%1层解压失败（%2）").arg(unpacked.failedStep).arg(unpacked.reason)});
            continue;
        }
        const IniFile ini = IniFile::load(target);
        if (!QFileInfo::exists(target) || ini.value(kMarkerSection, kMarkerKey) != kMarkerValue) {
            result.markerFailure = packages.at(i);
            return result;
        }
        auto key = [&](const char* name) { return ini.value(kDescriptionSection, QString::fromLatin1(name)); };
        Row row(11);
        row[TemplateCol::Type] = key("mblx");
        row[TemplateCol::Category] = key("mbfl");
        row[TemplateCol::PhotoCount] = key("xpsl");
        row[TemplateCol::SlotWidths] = key("xpkd");
        row[TemplateCol::SlotHeights] = key("xpgd");
        row[TemplateCol::SlotOrientations] = key("szhz");
        row[TemplateCol::JpgNames] = key("xpjpgmc");
        row[TemplateCol::MoviePath] = movies.value(i);
        row[TemplateCol::Class] = QString();
        row[TemplateCol::PairNumber] = QString::number(i);
        row[TemplateCol::FrameCount] = key("mbdx");
        templates.appendRow(row);
        deleteFileIfExists(target);
    }
    return result;
}

} // namespace fotarel
