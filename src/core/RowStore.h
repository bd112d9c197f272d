#pragma once

#include <cstddef>
#include <vector>

namespace kelpora {

// The buffered rows of one result set, as fixed-length messages in large blocks.
//
// Fresh memory is expensive here: every new page costs a fault, and a book of twenty
// thousand records touches thousands of pages. So rows never move once fetched (no
// doubling and copying), blocks are huge-page sized, and released blocks go back to a
// process-wide pool, so reopening a query or opening the browser again faults nothing.
class RowStore {
public:
    RowStore() = default;
    ~RowStore();
    RowStore(const RowStore&) = delete;
    RowStore& operator=(const RowStore&) = delete;

    // Drops all rows and sets the message length for the next fill.
    void reset(size_t messageLength);
    void clear();

    // Room for one more row; it counts once commit() is called.
    unsigned char* append();
    void commit() { ++m_count; }

    size_t size() const { return m_count; }
    const unsigned char* row(size_t index) const
    {
        return m_blocks[index / m_rowsPerBlock] + (index % m_rowsPerBlock) * m_length;
    }

private:
    std::vector<unsigned char*> m_blocks;
    size_t m_length = 0;
    size_t m_rowsPerBlock = 1;
    size_t m_count = 0;
};

} // namespace kelpora
