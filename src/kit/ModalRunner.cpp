#include "kit/ModalRunner.h"

namespace kelpora::seams {

namespace {

class DialogExec final : public ModalRunner {
public:
    int exec(QDialog& dialog) override { return dialog.exec(); }
};

DialogExec g_default;
ModalRunner* g_current = nullptr;

} // namespace

ModalRunner& modalRunner()
{
    return g_current ? *g_current : g_default;
}

void setModalRunner(ModalRunner* impl)
{
    g_current = impl;
}

} // namespace kelpora::seams
