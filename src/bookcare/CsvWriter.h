#pragma once

#include <QByteArray>
#include <QString>

namespace kelpora::bookcare {

// Builds CSV text by RFC 4180, in UTF-8: fields that hold a comma, a quote or a line
// break are quoted with inner quotes doubled; records end in CR LF. An empty field
// written by emptyText() is a quoted "" and one written by null() is bare, so a reader
// can tell empty text from no value.
class CsvWriter {
public:
    void null();
    void emptyText();
    // Empty text is written as emptyText().
    void text(const QString& value);
    void endRecord();

    // The bytes so far, taken away.
    QByteArray take();
    qsizetype size() const { return m_out.size(); }

private:
    void separate();
    QByteArray m_out;
    bool m_recordStarted = false;
};

} // namespace kelpora::bookcare
