#include "core/FbBlob.h"

#include "core/FbClient.h"

#include <algorithm>

namespace kelpora::fb {

using Firebird::ThrowStatusWrapper;

namespace {

constexpr unsigned kSegment = 32768;
// The most one getSegment call hands over.
constexpr unsigned kMaxSegment = 65535;

// Info buffers hold little-endian integers of a given length.
int vaxInteger(const unsigned char* p, int length)
{
    int value = 0;
    for (int i = 0; i < length && i < 4; ++i)
        value |= int(p[i]) << (8 * i);
    return value;
}

} // namespace

ISC_QUAD writeBlob(Firebird::IAttachment* att, Firebird::ITransaction* tr, const QByteArray& bytes)
{
    ISC_QUAD id{};
    fb::call([&](ThrowStatusWrapper* st) {
        fb::Ref<Firebird::IBlob> blob(att->createBlob(st, tr, &id, 0, nullptr));
        for (qsizetype pos = 0; pos < bytes.size(); pos += kSegment) {
            const auto len = unsigned(std::min<qsizetype>(kSegment, bytes.size() - pos));
            blob->putSegment(st, len, bytes.constData() + pos);
        }
        blob->close(st);
        (void)blob.release(); // close() released it
    });
    return id;
}

// Straight into the array that is handed back: a picture of several megabytes is
// copied once, not once more through a segment buffer.
QByteArray readBlob(Firebird::IAttachment* att, Firebird::ITransaction* tr, ISC_QUAD id)
{
    QByteArray out;
    fb::call([&](ThrowStatusWrapper* st) {
        fb::Ref<Firebird::IBlob> blob(att->openBlob(st, tr, &id, 0, nullptr));
        const unsigned char items[] = {isc_info_blob_total_length};
        unsigned char info[32] = {};
        blob->getInfo(st, sizeof items, items, sizeof info, info);
        qsizetype total = 0;
        if (info[0] == isc_info_blob_total_length) {
            const int len = vaxInteger(info + 1, 2);
            total = std::max(0, vaxInteger(info + 3, len));
        }
        // Big pictures are read one after the other, each a little larger or smaller than
        // the last; rounded up to whole megabytes, the room one leaves behind fits the next
        // instead of making the heap grow around it.
        constexpr qsizetype Mb = qsizetype(1) << 20;
        if (total >= Mb)
            out.reserve((total + Mb - 1) / Mb * Mb);
        out.resize(total);
        qsizetype used = 0;
        char spare[kSegment]; // for whatever comes beyond the length the BLOB said it has
        for (;;) {
            const bool inPlace = used < out.size();
            char* at = inPlace ? out.data() + used : spare;
            const unsigned room
                = inPlace ? unsigned(std::min<qsizetype>(out.size() - used, kMaxSegment)) : unsigned(sizeof spare);
            unsigned got = 0;
            const int rc = blob->getSegment(st, room, at, &got);
            if (rc != Firebird::IStatus::RESULT_OK && rc != Firebird::IStatus::RESULT_SEGMENT)
                break; // RESULT_NO_DATA: the whole BLOB has been read
            if (!inPlace)
                out.append(spare, qsizetype(got));
            used += qsizetype(got);
        }
        out.truncate(used);
        blob->close(st);
        (void)blob.release();
    });
    return out;
}

} // namespace kelpora::fb
