#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace kelpora::bookcare {

// One column of one stored record exactly as the file holds it: text as its Shift-JIS
// bytes, memos and pictures as their BLOB bytes. NULL and an empty value stay apart.
struct FieldValue {
    bool null = true;
    qint32 integer = 0; // integer columns
    QByteArray bytes; // text, memo and picture columns

    friend bool operator==(const FieldValue&, const FieldValue&) = default;
};

} // namespace kelpora::bookcare
