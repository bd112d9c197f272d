#include "bookcare/CsvReader.h"

#include <utility>

namespace kelpora::bookcare {

CsvReader::CsvReader(QByteArray data) : m_data(std::move(data))
{
    if (m_data.startsWith("\xEF\xBB\xBF"))
        m_pos = 3;
}

bool CsvReader::atLineEnd() const
{
    return m_pos >= m_data.size() || m_data[m_pos] == '\n'
        || (m_data[m_pos] == '\r' && m_pos + 1 < m_data.size() && m_data[m_pos + 1] == '\n');
}

void CsvReader::skipLineEnd()
{
    if (m_pos < m_data.size() && m_data[m_pos] == '\r')
        ++m_pos;
    if (m_pos < m_data.size() && m_data[m_pos] == '\n') {
        ++m_pos;
        ++m_line;
    }
}

bool CsvReader::next(Record& record)
{
    while (m_pos < m_data.size() && atLineEnd())
        skipLineEnd();
    if (m_pos >= m_data.size())
        return false;
    record.line = m_line;
    record.fields.clear();
    for (;;) {
        record.fields.push_back(m_pos < m_data.size() && m_data[m_pos] == '"' ? quotedField() : bareField());
        if (atLineEnd()) {
            skipLineEnd();
            return true;
        }
        if (m_data[m_pos] != ',')
            throw SyntaxError{m_line, "引用符で囲んだ項目の後に余分な文字があります"};
        ++m_pos;
    }
}

CsvReader::Field CsvReader::quotedField()
{
    const int startLine = m_line;
    Field f;
    f.quoted = true;
    ++m_pos; // the opening quote
    for (;;) {
        if (m_pos >= m_data.size())
            throw SyntaxError{startLine, "引用符が閉じられていません"};
        const char c = m_data[m_pos++];
        if (c == '"') {
            if (m_pos < m_data.size() && m_data[m_pos] == '"') {
                f.bytes += '"';
                ++m_pos;
                continue;
            }
            return f;
        }
        if (c == '\n')
            ++m_line;
        f.bytes += c;
    }
}

CsvReader::Field CsvReader::bareField()
{
    Field f;
    const qsizetype start = m_pos;
    while (m_pos < m_data.size() && m_data[m_pos] != ',' && !atLineEnd()) {
        if (m_data[m_pos] == '"')
            throw SyntaxError{m_line, "引用符で囲んでいない項目の中に引用符があります"};
        if (m_data[m_pos] == '\r')
            throw SyntaxError{m_line, "引用符で囲んでいない項目の中に改行文字があります"};
        ++m_pos;
    }
    f.bytes = m_data.mid(start, m_pos - start);
    return f;
}

} // namespace kelpora::bookcare
