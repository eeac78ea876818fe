#include "core/session.h"

#include <stdexcept>

namespace fotarel {

void defineSessionCatalogue(Session& session); // session_catalogue.cpp
void defineCatalogueParts(Session& session);   // generated: every catalogue_*.cpp

Session::Session()
{
    defineSessionCatalogue(*this);
    defineCatalogueParts(*this);
}

bool Session::hasVariable(const QString& name) const
{
    return variables_.count(name) != 0;
}

QString Session::get(const QString& name) const
{
    auto it = variables_.find(name);
    if (it == variables_.end())
        throw std::logic_error("unknown session variable " + name.toStdString());
    return it->second.text;
}

void Session::set(const QString& name, const QString& text)
{
    auto it = variables_.find(name);
    if (it == variables_.end())
        throw std::logic_error("unknown session variable " + name.toStdString());
    it->second.text = text;
    if (hoverListener_ && !text.isEmpty() && isHoverVariable(name))
        hoverListener_(name, text);
}

int Session::getInt(const QString& name, int fallback) const
{
    bool ok = false;
    const int value = get(name).trimmed().toInt(&ok);
    return ok ? value : fallback;
}

void Session::define(const QString& name, const QString& initial)
{
    variables_[name] = Variable{initial, initial};
}

QString Session::initialText(const QString& name) const
{
    auto it = variables_.find(name);
    if (it == variables_.end())
        throw std::logic_error("unknown session variable " + name.toStdString());
    return it->second.initial;
}

QStringList Session::variableNames() const
{
    QStringList names;
    for (const auto& [name, v] : variables_)
        names.append(name);
    return names;
}

bool Session::hasTable(const QString& name) const
{
    return tables_.count(name) != 0;
}

Table& Session::table(const QString& name)
{
    auto it = tables_.find(name);
    if (it == tables_.end())
        throw std::logic_error("unknown session table " + name.toStdString());
    return it->second;
}

const Table& Session::table(const QString& name) const
{
    auto it = tables_.find(name);
    if (it == tables_.end())
        throw std::logic_error("unknown session table " + name.toStdString());
    return it->second;
}

void Session::defineTable(const QString& name, QStringList columnCaptions)
{
    tables_[name] = Table(std::move(columnCaptions));
}

QStringList Session::tableNames() const
{
    QStringList names;
    for (const auto& [name, t] : tables_)
        names.append(name);
    return names;
}

bool Session::isHoverVariable(const QString& name)
{
    return name == QLatin1String("Edit_chakankongjian_shiyong_2")
        || name == QLatin1String("Edit_chakankongjian_shiyong_yinyue2")
        || name == QLatin1String("Edit_chakankongjian_shiyong_geci2");
}

} // namespace fotarel
