#include "templates/ini_file.h"

#include "core/text_decode.h"

#include <QFile>
#include <QRegularExpression>

namespace fotarel {

namespace {

QString fold(const QString& name)
{
    return name.trimmed().toCaseFolded();
}

QString unquote(const QString& value)
{
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && value.back() == first)
            return value.mid(1, value.size() - 2);
    }
    return value;
}

} // namespace

IniFile IniFile::parse(const QString& text)
{
    IniFile ini;
    std::map<QString, QString>* current = nullptr;
    bool currentIsDuplicate = false;
    const QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            const qsizetype close = line.indexOf(QLatin1Char(']'));
            if (close < 0)
                continue;
            const QString name = fold(line.mid(1, close - 1));
            currentIsDuplicate = ini.sections_.count(name) != 0;
            current = &ini.sections_[name];
            continue;
        }
        if (!current || currentIsDuplicate)
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        const QString key = fold(line.left(eq));
        if (key.isEmpty() || current->count(key))
            continue;
        (*current)[key] = unquote(line.mid(eq + 1).trimmed());
    }
    return ini;
}

IniFile IniFile::fromBytes(const QByteArray& bytes)
{
    return parse(decodeText(bytes));
}

IniFile IniFile::load(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return fromBytes(f.readAll());
}

QString IniFile::value(const QString& section, const QString& key) const
{
    auto s = sections_.find(fold(section));
    if (s == sections_.end())
        return {};
    auto k = s->second.find(fold(key));
    return k == s->second.end() ? QString() : k->second;
}

bool IniFile::hasSection(const QString& section) const
{
    return sections_.count(fold(section)) != 0;
}

} // namespace fotarel
