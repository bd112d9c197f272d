#include "app/KelporaApplication.h"

#include "app/ErrorHandler.h"
#include "pictures/PictureStore.h"

#include <QFont>
#include <QImageReader>
#include <QLibraryInfo>
#include <QTranslator>

#include <malloc.h>

namespace {

// Every record shown reads and decodes megabytes of pictures, and the next record wants
// the same amount again. Keeping freed memory in the heap, instead of handing it back
// to the system and faulting it in anew, takes a large share off every step.
void keepFreedMemory()
{
    mallopt(M_MMAP_THRESHOLD, 256 << 20);
    mallopt(M_TRIM_THRESHOLD, 512 << 20);
}

// Qt's own texts (the edit menu, the file dialog, the buttons of a message box) in
// Japanese like the rest of KELPORA, whatever language the desktop speaks.
void installQtJapanese(QCoreApplication* app)
{
    auto* translator = new QTranslator(app);
    if (translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator; // English it is, rather than no application
}

} // namespace

KelporaApplication::KelporaApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    keepFreedMemory();
    setApplicationName(QStringLiteral("kelpora"));
    setApplicationVersion(QStringLiteral(KELPORA_VERSION));
    // Qt's reader stops at 128 MiB; pictures up to our own size limit must still open,
    // and nothing larger.
    QImageReader::setAllocationLimit(kelpora::PictureStore::ReaderAllocationLimitMb);
    installQtJapanese(this);
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
