#include "bookcare/StoredText.h"

#include "core/Error.h"
#include "core/SjisCodec.h"

namespace kelpora::bookcare::storedText {

namespace {

bool isLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool isEscape(QChar c)
{
    return c.unicode() >= kEscapeBase && c.unicode() <= kEscapeBase + 0xFF;
}

// Code page 932 reads some characters from two byte pairs (NEC's and IBM's copies of
// the same kanji) but writes only one of them, so text is kept as text only where it
// writes back to the very bytes it came from.
bool writesBackTo(const QString& text, const char* data, qsizetype size)
{
    try {
        return sjis::encode(text) == QByteArray::fromRawData(data, size);
    } catch (const EncodingError&) {
        return false;
    }
}

// One character's bytes decoded, or a null QString when they are not Shift-JIS.
QString decodedUnit(const char* data, qsizetype size)
{
    const QString text = sjis::decode(data, size);
    const bool sound = text.size() == 1 && text.front() != QChar::ReplacementCharacter && text.front() != QChar(u'\0');
    return sound && writesBackTo(text, data, size) ? text : QString();
}

} // namespace

QString toCsv(const QByteArray& stored, bool* escaped)
{
    if (escaped)
        *escaped = false;
    QString whole = sjis::decode(stored);
    if (!whole.contains(QChar::ReplacementCharacter) && !whole.contains(QChar(u'\0'))
        && writesBackTo(whole, stored.constData(), stored.size()))
        return whole;

    // Shift-JIS is stateless, so character by character gives what the whole did
    // wherever the bytes are sound; a byte that starts no sound character is escaped and
    // the next one looked at afresh.
    QString out;
    const char* data = stored.constData();
    for (qsizetype at = 0; at < stored.size();) {
        const auto b = static_cast<unsigned char>(data[at]);
        const qsizetype width = isLeadByte(b) && at + 1 < stored.size() ? 2 : 1;
        const QString unit = decodedUnit(data + at, width);
        if (!unit.isNull()) {
            out += unit;
            at += width;
            continue;
        }
        out += QChar(char16_t(kEscapeBase + b));
        if (escaped)
            *escaped = true;
        ++at;
    }
    return out;
}

QByteArray fromCsv(const QString& text)
{
    QByteArray out;
    qsizetype runStart = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !isEscape(text.at(i)))
            continue;
        out += sjis::encode(text.mid(runStart, i - runStart));
        if (i < text.size())
            out += char(text.at(i).unicode() - kEscapeBase);
        runStart = i + 1;
    }
    return out;
}

} // namespace kelpora::bookcare::storedText
