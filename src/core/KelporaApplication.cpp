#include "KelporaApplication.h"

#include "ErrorHandler.h"

#include <QFont>
#include <QImageReader>

KelporaApplication::KelporaApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("kelpora"));
    setApplicationVersion(QStringLiteral(KELPORA_VERSION));
    // Qt's reader stops at 128 MiB; pictures up to our own size limit must still open.
    QImageReader::setAllocationLimit(1024);
}

bool KelporaApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        kelpora::reportError(std::current_exception());
        return false;
    }
}

void KelporaApplication::installJapaneseFont()
{
    const QString windowsFont = QStringLiteral("ＭＳ Ｐゴシック");
    QFont::insertSubstitutions(windowsFont, {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")});
    QFont font(windowsFont, 9);
    QApplication::setFont(font);
}
