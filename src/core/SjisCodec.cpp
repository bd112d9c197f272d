#include "core/SjisCodec.h"

#include "core/Error.h"

#include <QList>

#include <cerrno>
#include <iconv.h>

namespace kelpora::sjis {

namespace {

// iconv descriptors are not thread-safe, and opening one costs far more than a
// conversion, so each thread keeps its own pair.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from))
    {
        if (m_cd == reinterpret_cast<iconv_t>(-1))
            throw EncodingError(QStringLiteral("文字コード変換 (CP932) を利用できません"));
    }
    ~Converter() { iconv_close(m_cd); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    iconv_t get()
    {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        return m_cd;
    }

private:
    iconv_t m_cd;
};

Converter& toSjis()
{
    thread_local Converter c("CP932", "UTF-8");
    return c;
}

Converter& fromSjis()
{
    thread_local Converter c("UTF-8", "CP932");
    return c;
}

QString describe(const char* utf8, size_t left)
{
    // The offending character is one UTF-8 sequence at the failure point.
    size_t len = 1;
    const auto lead = static_cast<unsigned char>(utf8[0]);
    if (lead >= 0xF0)
        len = 4;
    else if (lead >= 0xE0)
        len = 3;
    else if (lead >= 0xC0)
        len = 2;
    const QString ch = QString::fromUtf8(utf8, qsizetype(std::min(len, left)));
    const char32_t code = ch.isEmpty() ? 0 : ch.toUcs4().value(0);
    return QStringLiteral("「%1」(U+%2) はシフトJISで保存できない文字です。別の文字に置き換えてください。")
        .arg(ch, QString::number(uint(code), 16).toUpper().rightJustified(4, u'0'));
}

} // namespace

QByteArray encode(const QString& text)
{
    if (text.isEmpty())
        return {};
    // toUtf8() would quietly turn a lone surrogate into U+FFFD; name the real culprit.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;
        } else if (c.isSurrogate()) {
            throw EncodingError(QStringLiteral("対になっていないサロゲート (U+%1) はシフトJISで保存できない文字です。"
                                               "別の文字に置き換えてください。")
                                    .arg(QString::number(c.unicode(), 16).toUpper()));
        }
    }
    QByteArray in = text.toUtf8();
    QByteArray out(in.size() + 8, Qt::Uninitialized); // CP932 is never longer than UTF-8
    char* src = in.data();
    size_t srcLeft = size_t(in.size());
    char* dst = out.data();
    size_t dstLeft = size_t(out.size());
    iconv_t cd = toSjis().get();
    if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == size_t(-1)) {
        if (errno == EILSEQ || errno == EINVAL)
            throw EncodingError(describe(src, srcLeft));
        throw EncodingError(QStringLiteral("文字コード変換 (CP932) に失敗しました"));
    }
    out.resize(out.size() - qsizetype(dstLeft));
    return out;
}

QString decode(const char* data, qsizetype size)
{
    if (size <= 0)
        return {};
    QByteArray out(size * 3 + 8, Qt::Uninitialized); // each byte yields at most 3 UTF-8 bytes
    char* src = const_cast<char*>(data);
    size_t srcLeft = size_t(size);
    char* dst = out.data();
    size_t dstLeft = size_t(out.size());
    iconv_t cd = fromSjis().get();
    while (srcLeft > 0) {
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != size_t(-1))
            break;
        if (errno != EILSEQ && errno != EINVAL)
            break;
        // Stand in for the bad byte and carry on with the next one.
        if (dstLeft < 3)
            break;
        *dst++ = char(0xEF);
        *dst++ = char(0xBF);
        *dst++ = char(0xBD);
        dstLeft -= 3;
        ++src;
        --srcLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return QString::fromUtf8(out.constData(), out.size() - qsizetype(dstLeft));
}

} // namespace kelpora::sjis
