#pragma once

#include <QString>
#include <QStringList>

#include <array>

class TFishDataIn;

namespace kelpora {

class SqlQuery;

// The insert of a new catch record: its statement and how every one of its 55
// parameters is taken from the entry window.
class EntryInsert {
public:
    EntryInsert() = delete;

    // The statement, line by line.
    static QStringList lines();

    // Gives `statement` the lines afresh and binds every parameter from the window: the
    // table's fields, the four tide times already made "hh:mm" (null: no time), the
    // rounded heights, the six pictures and the marks. ConversionError for a number
    // that cannot be stored; EncodingError for a character Shift-JIS does not have.
    static void prepare(TFishDataIn& window, SqlQuery& statement, const std::array<QString, 4>& times);
};

} // namespace kelpora
