#include "kit/Openers.h"

namespace kelpora::openers {

namespace {

Reference browserReference = nullptr;
Reference entryReference = nullptr;

RecordOpener* read(Reference reference)
{
    return reference ? reference() : nullptr;
}

} // namespace

void pointBrowser(Reference reference)
{
    browserReference = reference;
}

void pointEntry(Reference reference)
{
    entryReference = reference;
}

RecordOpener* browser()
{
    return read(browserReference);
}

RecordOpener* entry()
{
    return read(entryReference);
}

} // namespace kelpora::openers
