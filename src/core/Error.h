#pragma once

#include <QString>

#include <algorithm>
#include <stdexcept>
#include <utility>
#include <vector>

namespace kelpora {

// The one error type that crosses layer boundaries. Its text is what the user sees,
// so it carries the originating library's own wording (Firebird, libjpeg, iconv).
class Error : public std::runtime_error {
public:
    explicit Error(const QString& text) : std::runtime_error(text.toStdString()), m_text(text) { }
    const QString& text() const noexcept { return m_text; }

private:
    QString m_text;
};

// Carries the client's error codes as well, for the few callers that must tell one
// failure from another (a file held by another process, say) without parsing text.
class DbError : public Error {
public:
    // What went wrong with the book itself, when the client's codes tell it; the user
    // is told in Japanese above the client's own English text.
    enum class Cause { Other, NoBook, NotABook, NoPermission, BookInUse };

    explicit DbError(const QString& text, Cause cause = Cause::Other, std::vector<long> codes = {})
        : Error(text), m_cause(cause), m_codes(std::move(codes))
    { }
    Cause cause() const noexcept { return m_cause; }
    // The client's error codes, for callers that must tell one failure from another.
    const std::vector<long>& codes() const noexcept { return m_codes; }
    bool hasCode(long code) const { return std::find(m_codes.begin(), m_codes.end(), code) != m_codes.end(); }

private:
    Cause m_cause;
    std::vector<long> m_codes;
};

class EncodingError : public Error {
public:
    using Error::Error;
};

class ConversionError : public Error {
public:
    using Error::Error;
};

} // namespace kelpora
