#pragma once

#include "core/Error.h"

namespace kelpora::bookcare {

// A failed system call on a file, with its errno kept so a caller can tell a full disk
// from the rest. Its text names the file and the cause in Japanese.
class FileError : public Error {
public:
    FileError(const QString& text, int error) : Error(text), m_error(error) { }
    int error() const noexcept { return m_error; }
    bool diskFull() const noexcept;

    // "PATH を書けません: ディスクの空きがありません" for a doing such as "を書けません".
    static FileError of(const QString& path, const QString& doing, int error);
    // The cause alone, in Japanese; never "Unknown error".
    static QString causeText(int error);
    // Whether an error from anywhere (the database engine included, which tells it only
    // in its text) comes of a full disk.
    static bool isDiskFull(const Error& e);

private:
    int m_error;
};

} // namespace kelpora::bookcare
