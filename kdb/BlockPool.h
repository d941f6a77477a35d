// Large value blocks kept by the thread that freed them, so that decoding
// one big reply after another reuses memory whose pages are already mapped
// instead of faulting in fresh pages each time (kdb+ keeps a per-thread
// pool for the same reason). m9() hands the thread's blocks back.
#pragma once

#include <cstddef>

namespace kdb {

class BlockPool {
public:
    static constexpr std::size_t kSmallest = std::size_t(1) << 20;

    // Size class of a block of at least size bytes (its capacity is 2^class).
    static int classOf(std::size_t size);

    // A block of 2^sizeClass bytes, zeroed when asked; null when out of memory.
    static void* take(int sizeClass, bool zeroed);
    // Keeps the block for this thread or frees it when the pool is full.
    static void give(void* block, int sizeClass);
    // Frees every block this thread keeps.
    static void release();
};

// A scratch buffer: a pool block when large enough, else plain heap memory;
// handed back when destroyed. data() is null when memory ran out. The
// contents start undefined.
class PooledBuffer {
public:
    PooledBuffer() = default;
    explicit PooledBuffer(std::size_t size);
    ~PooledBuffer();
    PooledBuffer(PooledBuffer&& other) noexcept;
    PooledBuffer& operator=(PooledBuffer&& other) noexcept;
    PooledBuffer(const PooledBuffer&) = delete;
    PooledBuffer& operator=(const PooledBuffer&) = delete;

    char* data() const { return m_data; }
    std::size_t size() const { return m_data ? m_size : 0; }

private:
    void free();

    char* m_data = nullptr;
    std::size_t m_size = 0;
    int m_sizeClass = -1; // -1: plain heap memory
};

} // namespace kdb
