#pragma once

#include <QString>

#include <stdexcept>

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

// A failure of the database client, with what it says of the book itself.
class DbError : public Error {
public:
    // What went wrong with the book itself, when the client's codes tell it; the user
    // is told in Japanese above the client's own English text.
    enum class Cause { Other, NoBook, NotABook, NoPermission, BookInUse, ServerUnreachable };

    explicit DbError(const QString& text, Cause cause = Cause::Other) : Error(text), m_cause(cause) { }
    Cause cause() const noexcept { return m_cause; }

private:
    Cause m_cause;
};

// A mistake in the program itself (a statement's parameter or column named wrongly, a
// parameter count that does not match), never a state of the book or of the user's
// input. Deliberately not an Error, so no handler meant for those takes it for one.
class ProgrammingError : public std::logic_error {
public:
    explicit ProgrammingError(const QString& text) : std::logic_error(text.toStdString()), m_text(text) { }
    const QString& text() const noexcept { return m_text; }

private:
    QString m_text;
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
