#pragma once

#include <QByteArray>

#include <firebird/Interface.h>

// BLOB contents in and out, for the database layer and the tools that read a book
// directly.
namespace kelpora::fb {

// A new BLOB holding `bytes`; its id is what the row's column is bound to.
ISC_QUAD writeBlob(Firebird::IAttachment* att, Firebird::ITransaction* tr, const QByteArray& bytes);
// The whole contents of BLOB `id`.
QByteArray readBlob(Firebird::IAttachment* att, Firebird::ITransaction* tr, ISC_QUAD id);

} // namespace kelpora::fb
