#pragma once

#include "core/table.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <map>

namespace fotarel {

// The whole working session of the program: named text variables with their
// initial texts, and the named tables. Values stay text: numbers are decimal
// text, flags are words, "wu" means none. Nothing here is ever saved.
class Session {
public:
    // Called when one of the three tile-hover variables is set to a non-empty
    // text (the tile name); the application opens that area's hint window.
    using HoverListener = std::function<void(const QString& variable, const QString& tileName)>;

    Session();

    bool hasVariable(const QString& name) const;
    QString get(const QString& name) const;      // throws std::logic_error for an unknown name
    void set(const QString& name, const QString& text);
    int getInt(const QString& name, int fallback = 0) const; // decimal text; fallback when not a number
    void setInt(const QString& name, long long value) { set(name, QString::number(value)); }

    // Adds a variable with its initial text (used by the catalogue and by
    // windows that own variables of their own). Redefining resets the value.
    void define(const QString& name, const QString& initial);
    QString initialText(const QString& name) const;
    QStringList variableNames() const;

    bool hasTable(const QString& name) const;
    Table& table(const QString& name);           // throws std::logic_error for an unknown name
    const Table& table(const QString& name) const;
    void defineTable(const QString& name, QStringList columnCaptions = {});
    QStringList tableNames() const;

    void setHoverListener(HoverListener listener) { hoverListener_ = std::move(listener); }

    static bool isHoverVariable(const QString& name);

private:
    struct Variable {
        QString initial;
        QString text;
    };
    std::map<QString, Variable> variables_;
    std::map<QString, Table> tables_;
    HoverListener hoverListener_;
};

} // namespace fotarel
