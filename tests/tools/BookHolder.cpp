#include "BookHolder.h"

namespace kelpora::testing {

BookHolder::BookHolder(const QString& dir, const QProcessEnvironment& env)
{
    m_process.setProcessEnvironment(env);
    m_process.setWorkingDirectory(dir);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral(KELPORA_BOOK_USER_PATH), {QStringLiteral("hold")});
    QByteArray said;
    while (!m_holding && m_process.waitForReadyRead(60000)) {
        said += m_process.readAll();
        m_holding = said.contains("held");
    }
}

BookHolder::~BookHolder()
{
    release();
}

void BookHolder::release()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(60000)) {
        m_process.kill();
        m_process.waitForFinished();
    }
    m_holding = false;
}

} // namespace kelpora::testing
