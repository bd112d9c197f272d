#include "bookcare/BookComparison.h"

#include "bookcare/BookConnection.h"
#include "bookcare/RecordCursor.h"

#include "core/CatchRecord.h"

namespace kelpora::bookcare {

namespace {

QString firstDifference(const RecordCursor& a, const RecordCursor& b)
{
    const auto columns = record::columns();
    for (size_t i = 0; i < columns.size(); ++i)
        if (!(a.values()[i] == b.values()[i]))
            return QStringLiteral("記録 %1 の %2 が違います").arg(a.code()).arg(QLatin1String(columns[i].name));
    return {};
}

} // namespace

BookComparison BookComparison::compare(BookConnection& book, BookConnection& copy)
{
    BookComparison result;
    RecordCursor a(book);
    RecordCursor b(copy);
    for (;;) {
        const bool more = a.next();
        const bool moreCopy = b.next();
        if (more != moreCopy) {
            // Count the rest of both, so the message can give both numbers.
            qint64 left = result.records + (more ? 1 : 0);
            qint64 right = result.records + (moreCopy ? 1 : 0);
            while (a.next())
                ++left;
            while (b.next())
                ++right;
            result.difference = QStringLiteral("記録の数が違います（%1 件と %2 件）").arg(left).arg(right);
            return result;
        }
        if (!more)
            return result;
        ++result.records;
        result.difference = firstDifference(a, b);
        if (!result.same())
            return result;
    }
}

} // namespace kelpora::bookcare
