#pragma once

#include <QString>
#include <QStringList>

namespace kelpora {

// The client takes positional markers only: ":parX" becomes "?" and the name is
// remembered at that position. Names are folded to upper case, as the server
// treats them. Quoted text and comments are left alone.
struct PositionalSql {
    QString sql;
    QStringList names; // one entry per "?", in order
};

PositionalSql toPositional(const QString& sql);

} // namespace kelpora
