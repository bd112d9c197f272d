#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

namespace kelpora::testing {

// A second process holding the book in a folder open, as the running application does.
class BookHolder {
public:
    explicit BookHolder(const QString& dir, const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());
    ~BookHolder();
    BookHolder(const BookHolder&) = delete;
    BookHolder& operator=(const BookHolder&) = delete;

    // True once the process has the book open.
    bool holding() const { return m_holding; }
    // Lets go of the book and waits for the process to end.
    void release();

private:
    QProcess m_process;
    bool m_holding = false;
};

} // namespace kelpora::testing
