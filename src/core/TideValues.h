#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace kelpora {

// The tide times and heights of a new record, from the texts of their fields.
class TideValues {
public:
    TideValues() = delete;

    // "07:05" from "7" and "5": hour 0 to 23, minute 0 to 59, ASCII digits with leading
    // zeros allowed. Anything else (a pasted "7a", hour 24) fails.
    static std::optional<QString> time(const QString& hour, const QString& minute);

    // A height typed with a decimal point, rounded to the nearest whole number with an
    // exact half going to the even neighbour: 12.5 gives 12, 13.5 gives 14. An optional
    // sign is taken (a pasted low water below datum). A lone point, two points, other
    // characters or a value beyond 32 bits fail.
    static std::optional<qint32> height(const QString& text);
};

} // namespace kelpora
