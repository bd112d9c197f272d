#include "BareFetch.h"
#include "Measure.h"

#include "core/FbClient.h"

#include <QElapsedTimer>
#include <QtGlobal>
#include <QStringList>

#include <sys/mman.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace kelpora::bench {

namespace {

const char kSql[] = "select *  from FISH_DATA  order by CODENO  ";

struct Usage {
    double cpuMs;
    long faults;
};

Usage usage()
{
    return {processCpuMs(), minorFaults()};
}

constexpr size_t kBlock = size_t(2) << 20;

// Row blocks of 2 MB aligned to 2 MB, as the row store uses, each mapped afresh from the
// system (so its pages are touched for the first time by the fetch), huge pages asked for
// or not. `offset` shifts every row within its block.
class Blocks {
public:
    Blocks(size_t length, size_t offset, bool huge) : m_length(length), m_offset(offset), m_huge(huge)
    {
        m_perBlock = (kBlock - offset) / length;
    }
    ~Blocks() { release(); }
    Blocks(const Blocks&) = delete;
    Blocks& operator=(const Blocks&) = delete;

    unsigned char* place(int row)
    {
        const size_t block = size_t(row) / m_perBlock;
        while (block >= m_blocks.size())
            m_blocks.push_back(map());
        return m_blocks[block] + m_offset + (size_t(row) % m_perBlock) * m_length;
    }
    void release()
    {
        for (unsigned char* b : m_blocks)
            munmap(b, kBlock);
        m_blocks.clear();
    }

private:
    unsigned char* map() const
    {
        // Twice the size, then the unaligned ends given back: 2 MB alignment, which huge
        // pages need.
        void* p = mmap(nullptr, 2 * kBlock, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED)
            throw std::bad_alloc();
        auto* raw = static_cast<unsigned char*>(p);
        const auto address = reinterpret_cast<quintptr>(raw);
        unsigned char* aligned = raw + ((kBlock - address % kBlock) % kBlock);
        if (aligned > raw)
            munmap(raw, size_t(aligned - raw));
        munmap(aligned + kBlock, size_t(raw + 2 * kBlock - (aligned + kBlock)));
        if (m_huge)
            madvise(aligned, kBlock, MADV_HUGEPAGE);
        return aligned;
    }

    size_t m_length;
    size_t m_offset;
    bool m_huge;
    size_t m_perBlock;
    std::vector<unsigned char*> m_blocks;
};

} // namespace

BareConnection::BareConnection(const QString& path) : m_book(path)
{
    m_book.open();
}

BareConnection::~BareConnection() = default;

size_t BareConnection::messageLength()
{
    return fb::call([&](Firebird::ThrowStatusWrapper* st) {
        fb::Ref<Firebird::ITransaction> tr(m_book.db().attachment()->startTransaction(st, 0, nullptr));
        const fb::Ref<Firebird::IStatement> stmt(
            m_book.db().attachment()->prepare(st, tr.get(), 0, kSql, 1, Firebird::IStatement::PREPARE_PREFETCH_METADATA));
        const fb::Ref<Firebird::IMessageMetadata> meta(stmt->getOutputMetadata(st));
        const size_t length = meta->getMessageLength(st);
        tr->commit(st);
        (void)tr.release(); // commit() released it
        return length;
    });
}

int BareConnection::fetchAll(const std::function<unsigned char*(int row)>& place)
{
    return fb::call([&](Firebird::ThrowStatusWrapper* st) {
        fb::Ref<Firebird::ITransaction> tr(m_book.db().attachment()->startTransaction(st, 0, nullptr));
        const fb::Ref<Firebird::IStatement> stmt(
            m_book.db().attachment()->prepare(st, tr.get(), 0, kSql, 1, Firebird::IStatement::PREPARE_PREFETCH_METADATA));
        const fb::Ref<Firebird::IMessageMetadata> meta(stmt->getOutputMetadata(st));
        std::vector<unsigned char> one(meta->getMessageLength(st));
        fb::Ref<Firebird::IResultSet> cursor(stmt->openCursor(st, tr.get(), nullptr, nullptr, meta.get(), 0));
        int rows = 0;
        while (cursor->fetchNext(st, place ? place(rows) : one.data()) == Firebird::IStatus::RESULT_OK)
            ++rows;
        cursor->close(st);
        (void)cursor.release(); // close() released it
        tr->commit(st);
        (void)tr.release();
        return rows;
    });
}

void fetchStudy(BareConnection& bare, int runs)
{
    const size_t length = bare.messageLength();
    std::vector<unsigned char> warm(length);
    Blocks reused(length, 0, true);
    bare.fetchAll([&](int row) { return reused.place(row); }); // touched once, kept

    struct Variant {
        const char* name;
        std::function<int()> run;
        std::vector<double> ms, cpu, faults;
    };
    std::vector<Variant> variants;
    variants.push_back({"one warm buffer (the bare fetch)", [&] { return bare.fetchAll(); }, {}, {}, {}});
    variants.push_back({"fresh 2 MB blocks (huge pages), as the row store takes them",
        [&] {
            Blocks fresh(length, 0, true);
            return bare.fetchAll([&](int row) { return fresh.place(row); });
        },
        {}, {}, {}});
    variants.push_back({"blocks fetched into before",
        [&] { return bare.fetchAll([&](int row) { return reused.place(row); }); }, {}, {}, {}});
    variants.push_back({"one warm buffer, each row copied out to fresh blocks",
        [&] {
            Blocks fresh(length, 0, true);
            // Asked for the place of row n, the buffer still holds row n - 1; the last
            // call, which finds no row, copies the last one.
            return bare.fetchAll([&](int row) {
                if (row > 0)
                    std::memcpy(fresh.place(row - 1), warm.data(), length);
                return warm.data();
            });
        },
        {}, {}, {}});
    variants.push_back({"fresh 2 MB blocks of 4 KB pages",
        [&] {
            Blocks fresh(length, 0, false);
            return bare.fetchAll([&](int row) { return fresh.place(row); });
        },
        {}, {}, {}});
    variants.push_back({"fresh blocks, rows 64 bytes in",
        [&] {
            Blocks fresh(length, 64, true);
            return bare.fetchAll([&](int row) { return fresh.place(row); });
        },
        {}, {}, {}});

    for (int i = 0; i < runs; ++i) {
        // Each round in another order, so no variant always follows the same one.
        for (size_t k = 0; k < variants.size(); ++k) {
            Variant& v = variants[(k + size_t(i)) % variants.size()];
            const Usage before = usage();
            QElapsedTimer t;
            t.start();
            v.run();
            v.ms.push_back(double(t.nsecsElapsed()) / 1e6);
            const Usage after = usage();
            v.cpu.push_back(after.cpuMs - before.cpuMs);
            v.faults.push_back(double(after.faults - before.faults));
        }
    }
    std::printf("   load-all study (%zu-byte rows, medians of %d rounds):\n", length, runs);
    for (const Variant& v : variants)
        std::printf("     %-55s %7.1f ms, CPU %6.1f ms, %6.0f page faults\n", v.name, median(v.ms), median(v.cpu),
            median(v.faults));
}

} // namespace kelpora::bench
