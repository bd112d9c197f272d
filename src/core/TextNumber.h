#pragma once

#include <QString>
#include <QtGlobal>

namespace kelpora {

// A decimal integer with an optional sign and nothing else (no blanks, no full-width
// digits); anything else throws ConversionError naming the field.
qint32 toInteger(const QString& text, const QString& fieldLabel);

} // namespace kelpora
