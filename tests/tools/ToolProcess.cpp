#include "ToolProcess.h"

#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

namespace kelpora::testing {

QString ToolProcess::toolPath(const char* tool)
{
    return QDir(QStringLiteral(KELPORA_TOOLS_DIR)).filePath(QLatin1String(tool));
}

ToolProcess::Outcome ToolProcess::tool(const char* tool, const QStringList& args, const QString& workingDir)
{
    return program(toolPath(tool), args, workingDir);
}

ToolProcess::Outcome ToolProcess::program(
    const QString& program, const QStringList& args, const QString& workingDir, const QProcessEnvironment& env)
{
    QProcess p;
    p.setProcessEnvironment(env);
    if (!workingDir.isEmpty())
        p.setWorkingDirectory(workingDir);
    p.start(program, args);
    Outcome o;
    if (!p.waitForFinished(180000)) {
        ADD_FAILURE() << program.toStdString() << " did not finish";
        p.kill();
        p.waitForFinished();
        return o;
    }
    o.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    o.out = QString::fromUtf8(p.readAllStandardOutput());
    o.err = QString::fromUtf8(p.readAllStandardError());
    return o;
}

} // namespace kelpora::testing
