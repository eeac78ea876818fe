#pragma once

#include <QByteArray>
#include <QString>

#include <map>
#include <vector>

namespace fotarel {

// A Windows-style INI text: "[section]" lines and "key=value" lines. Section
// and key names compare without regard to case; names and values are trimmed,
// and a value enclosed in matching quotes loses them. Lines starting with ";"
// are comments. When a section or key appears twice, the first one counts.
// A missing section or key reads as the empty text.
class IniFile {
public:
    static IniFile parse(const QString& text);
    static IniFile fromBytes(const QByteArray& bytes); // decodes UTF-8/UTF-16/GBK first
    static IniFile load(const QString& path);           // missing file = empty INI

    QString value(const QString& section, const QString& key) const;
    bool hasSection(const QString& section) const;

private:
    // folded section name -> (folded key -> value)
    std::map<QString, std::map<QString, QString>> sections_;
};

} // namespace fotarel
