#pragma once

#include <QString>
#include <QVariant>

#include <utility>
#include <vector>

class TDM1;

namespace kelpora::testing {

// Inserts one FISH_DATA row with just the given columns; every other column is NULL.
// An int binds as integer, a QString as text (memo for the memo columns), a
// QByteArray as a binary BLOB, and a null QVariant as NULL.
void insertRecord(TDM1& dm, const std::vector<std::pair<QString, QVariant>>& values);

// A record with number, date, place and first species only.
void insertMinimal(
    TDM1& dm, int code, const QString& place = QStringLiteral("館山"), const QString& fish = QStringLiteral("アジ"));

} // namespace kelpora::testing
