#pragma once

#include <QString>

#include <span>

// The catch record: one row of FISH_DATA. This catalogue is the only list of its
// columns; the file tool, the insert and the tests all read it.
namespace kelpora::record {

enum class ColumnType { Integer, Text, Memo, Picture };

struct Column {
    const char* name;
    ColumnType type;
    int byteLength; // text columns: bytes of Shift-JIS; 0 otherwise
    const char* label; // what windows and messages call it, UTF-8; may be empty
    bool primaryKey = false;
};

inline constexpr const char* kTable = "FISH_DATA";

std::span<const Column> columns();

// The columns of the tide chart marks in the order of Shio_Marks: the three reserved
// periods TIME1_START .. TIME3_END, then NEW_1_S, NEW_1_E .. NEW_6_E, start and end of
// each of the six marks.
std::span<const char* const, 18> markColumns();
// The six marks alone, as the chart editor and viewer read and write them.
std::span<const char* const, 12> chartMarkColumns();
const Column* find(const QString& name);
QString label(const Column& c);

// "CODENO INTEGER NOT NULL PRIMARY KEY, DAY_DATA VARCHAR(20), ..."
QString createTableSql();

// "insert into FISH_DATA (CODENO, ...) values (:parCODENO, ...)" over every column.
QString insertAllSql();

} // namespace kelpora::record
