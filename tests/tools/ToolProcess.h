#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace kelpora::testing {

// Runs one of the built tools (or any program) as a user would, to the end.
class ToolProcess {
public:
    struct Outcome {
        int exitCode = -1;
        QString out;
        QString err;
    };

    // tool is a name such as "kelpora-backup", found in the build's tool folder.
    static Outcome tool(const char* tool, const QStringList& args, const QString& workingDir = QString());
    static Outcome program(const QString& program, const QStringList& args, const QString& workingDir = QString(),
        const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());

    static QString toolPath(const char* tool);
};

} // namespace kelpora::testing
