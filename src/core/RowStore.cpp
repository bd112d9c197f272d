#include "core/RowStore.h"

#include <cstdlib>
#include <mutex>
#include <new>

#include <sys/mman.h>

namespace kelpora {

namespace {

constexpr size_t kBlockSize = size_t(2) << 20;
// Enough for a few open result sets of a large book; beyond it blocks go back to the system.
constexpr size_t kPoolLimit = 48;

class BlockPool {
public:
    BlockPool() = default;
    BlockPool(const BlockPool&) = delete;
    BlockPool& operator=(const BlockPool&) = delete;
    ~BlockPool()
    {
        for (unsigned char* block : m_free)
            std::free(block);
    }

    unsigned char* take()
    {
        {
            std::lock_guard lock(m_mutex);
            if (!m_free.empty()) {
                unsigned char* block = m_free.back();
                m_free.pop_back();
                return block;
            }
        }
        void* block = std::aligned_alloc(kBlockSize, kBlockSize);
        if (!block)
            throw std::bad_alloc();
        madvise(block, kBlockSize, MADV_HUGEPAGE);
        return static_cast<unsigned char*>(block);
    }

    void give(unsigned char* block) noexcept
    {
        std::lock_guard lock(m_mutex);
        if (m_free.size() < kPoolLimit) {
            try {
                m_free.push_back(block);
                return;
            } catch (...) { }
        }
        std::free(block);
    }

private:
    std::mutex m_mutex;
    std::vector<unsigned char*> m_free;
};

BlockPool& pool()
{
    static BlockPool instance;
    return instance;
}

} // namespace

RowStore::~RowStore()
{
    clear();
}

void RowStore::clear()
{
    for (unsigned char* block : m_blocks)
        pool().give(block);
    m_blocks.clear();
    m_count = 0;
}

void RowStore::reset(size_t messageLength)
{
    clear();
    m_length = messageLength == 0 ? 1 : messageLength;
    m_rowsPerBlock = kBlockSize / m_length;
    if (m_rowsPerBlock == 0)
        throw std::bad_alloc(); // a row wider than a block cannot be buffered
}

unsigned char* RowStore::append()
{
    const size_t block = m_count / m_rowsPerBlock;
    if (block == m_blocks.size())
        m_blocks.push_back(pool().take());
    return m_blocks[block] + (m_count % m_rowsPerBlock) * m_length;
}

} // namespace kelpora
