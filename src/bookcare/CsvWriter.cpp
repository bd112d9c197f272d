#include "bookcare/CsvWriter.h"

#include <utility>

namespace kelpora::bookcare {

void CsvWriter::separate()
{
    if (m_recordStarted)
        m_out += ',';
    m_recordStarted = true;
}

void CsvWriter::null()
{
    separate();
}

void CsvWriter::emptyText()
{
    separate();
    m_out += "\"\"";
}

void CsvWriter::text(const QString& value)
{
    if (value.isEmpty()) {
        emptyText();
        return;
    }
    separate();
    const QByteArray utf8 = value.toUtf8();
    const bool quote = utf8.contains(',') || utf8.contains('"') || utf8.contains('\r') || utf8.contains('\n');
    if (!quote) {
        m_out += utf8;
        return;
    }
    m_out += '"';
    for (const char c : utf8) {
        if (c == '"')
            m_out += '"';
        m_out += c;
    }
    m_out += '"';
}

void CsvWriter::endRecord()
{
    m_out += "\r\n";
    m_recordStarted = false;
}

QByteArray CsvWriter::take()
{
    return std::exchange(m_out, QByteArray());
}

} // namespace kelpora::bookcare
