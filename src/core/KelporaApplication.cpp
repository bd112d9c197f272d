#include "KelporaApplication.h"

#include "ErrorHandler.h"

#include <QFont>

KelporaApplication::KelporaApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("kelpora"));
    setApplicationVersion(QStringLiteral(KELPORA_VERSION));
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
