#pragma once

#include <QString>
#include <QStringList>

#include <span>

// The browser's search kinds (Serch_Kind), each in one place: how the browser offers it,
// how the value picker lists the values it can take, and the statement that finds them.
namespace kelpora::search {

inline constexpr int kNone = 0;
inline constexpr int kSpecies = 1;
inline constexpr int kMonth = 2;

struct Kind {
    int serchKind; // 1 species, 2 month, 3 place, 4 point
    QString item; // in CBox_Kensaku
    QString heading; // Label_kensaku while the search is in force
    // The value picker's list; a kind without one (the month) has its own picker.
    QString pickerHeading;
    QString listColumn;
    QStringList listLines;
    // The browser's statement and the parameter the chosen value goes to.
    QStringList searchLines;
    QString parameter;

    bool hasValueList() const { return !listColumn.isEmpty(); }
};

// In the order CBox_Kensaku offers them, after "全体".
std::span<const Kind> kinds();
const Kind* find(int serchKind); // nullptr for none or an unknown kind
const Kind* byItem(const QString& item);

} // namespace kelpora::search
