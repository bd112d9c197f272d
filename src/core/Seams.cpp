#include "core/Seams.h"

#include <cstdio>

namespace kelpora::seams {

namespace {

class FallbackMessages final : public MessageBoxes {
public:
    void inform(const QString& text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
    void error(const QString& text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
    bool confirm(const QString& text) override
    {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        return false;
    }
};

class FallbackFileDialog final : public FileDialog {
public:
    QString openPicture(const QStringList&) override { return {}; }
    QString savePicture(const QString&, const QStringList&) override { return {}; }
};

class FallbackClipboard final : public Clipboard {
public:
    void clear() override { }
    std::optional<QImage> bitmap() override { return std::nullopt; }
    std::optional<QImage> picture() override { return std::nullopt; }
};

class FallbackProgram final : public ExternalProgram {
public:
    QString locate(const QString&) override { return {}; }
    bool runAndWait(const QString&, const std::function<void()>&) override { return false; }
};

template <class Base, class Fallback> class Slot {
public:
    Base& get() { return m_current ? *m_current : m_fallback; }
    void set(Base* impl) { m_current = impl; }

private:
    Fallback m_fallback;
    Base* m_current = nullptr;
};

Slot<MessageBoxes, FallbackMessages> g_messages;
Slot<FileDialog, FallbackFileDialog> g_fileDialog;
Slot<Clipboard, FallbackClipboard> g_clipboard;
Slot<ExternalProgram, FallbackProgram> g_program;

} // namespace

MessageBoxes& messageBoxes()
{
    return g_messages.get();
}
FileDialog& fileDialog()
{
    return g_fileDialog.get();
}
Clipboard& clipboard()
{
    return g_clipboard.get();
}
ExternalProgram& externalProgram()
{
    return g_program.get();
}

void setMessageBoxes(MessageBoxes* impl)
{
    g_messages.set(impl);
}
void setFileDialog(FileDialog* impl)
{
    g_fileDialog.set(impl);
}
void setClipboard(Clipboard* impl)
{
    g_clipboard.set(impl);
}
void setExternalProgram(ExternalProgram* impl)
{
    g_program.set(impl);
}

} // namespace kelpora::seams
