#include "ToolMain.h"

#include "core/Error.h"

#include <QStringList>

#include <cstdio>

namespace kelpora::tools {

int runTool(const char* name, const std::function<int()>& body)
{
    try {
        return body();
    } catch (const Error& e) {
        std::fflush(stdout);
        // One line, also when the client's text runs over several.
        const QString text = e.text().split(u'\n', Qt::SkipEmptyParts).join(u' ');
        std::fprintf(stderr, "%s: %s\n", name, text.toUtf8().constData());
        return 1;
    }
}

void say(const QString& text)
{
    std::printf("%s\n", text.toUtf8().constData());
    std::fflush(stdout);
}

} // namespace kelpora::tools
