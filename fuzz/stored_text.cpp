// Any bytes a text column may hold survive the trip through the CSV, and the CSV text
// never holds a NUL.
#include "bookcare/StoredText.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    namespace storedText = kelpora::bookcare::storedText;
    const QByteArray stored(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString text = storedText::toCsv(stored);
    if (text.contains(QChar(u'\0')) || storedText::fromCsv(text) != stored)
        std::abort();
    return 0;
}
