#pragma once

#include <QByteArray>
#include <QString>

// Text lives as QString in the program and as Shift-JIS (code page 932) bytes in
// the database file; these two functions are the only crossing.
namespace kelpora::sjis {

// Throws EncodingError naming the first character that code page 932 cannot hold,
// so nothing is ever stored as "?" or silently dropped.
QByteArray encode(const QString& text);

// Never fails: bytes that are not valid code page 932 read as U+FFFD.
QString decode(const char* data, qsizetype size);
inline QString decode(const QByteArray& bytes)
{
    return decode(bytes.constData(), bytes.size());
}

} // namespace kelpora::sjis
