#pragma once

#include <QByteArray>
#include <QString>

// A book's text columns hold Shift-JIS bytes, but nothing stops an older program or a
// damaged file from leaving bytes there that are not Shift-JIS, or a NUL. The CSV carries
// those as characters that Shift-JIS has no form for, U+F700 + the byte (U+F700 to
// U+F7FF, in Unicode's private use area), so an export and an import give back every
// byte and no CSV ever holds a NUL.
namespace kelpora::bookcare::storedText {

inline constexpr char16_t kEscapeBase = 0xF700;

// The text for the CSV. escaped, when given, is set to whether any byte needed escaping.
QString toCsv(const QByteArray& stored, bool* escaped = nullptr);

// The bytes to store: U+F7xx back to their byte, the rest encoded as Shift-JIS. Throws
// EncodingError naming a character Shift-JIS cannot hold.
QByteArray fromCsv(const QString& text);

} // namespace kelpora::bookcare::storedText
