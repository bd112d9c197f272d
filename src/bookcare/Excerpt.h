#pragma once

#include <QString>

namespace kelpora::bookcare {

// A value quoted in a message: the start of it, so a 30 MB field gives a line a person
// can read and a terminal can take.
inline QString excerpt(const QString& value, qsizetype keep = 40)
{
    if (value.size() <= keep)
        return value;
    return QStringLiteral("%1…（全 %2 文字）").arg(value.left(keep)).arg(value.size());
}

} // namespace kelpora::bookcare
