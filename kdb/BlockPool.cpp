#include "kdb/BlockPool.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace kdb {
namespace {

constexpr int kClasses = 48;
constexpr std::size_t kBlocksPerClass = 8;
constexpr std::size_t kMaxKeptBytes = std::size_t(1) << 30;

// Set once the thread's pool is destroyed. A value released later on the same
// thread (a thread_local or static holder destroyed after the pool, at thread
// or process exit) goes straight to the allocator. Trivially destructible, so
// it stays readable to the very end.
thread_local bool poolGone = false;

struct ThreadBlocks {
    std::vector<void*> blocks[kClasses];
    std::size_t keptBytes = 0;

    ~ThreadBlocks()
    {
        clear();
        poolGone = true;
    }
    void clear()
    {
        for (auto& list : blocks) {
            for (void* p : list)
                std::free(p);
            list.clear();
        }
        keptBytes = 0;
    }
};

ThreadBlocks& threadBlocks()
{
    thread_local ThreadBlocks blocks;
    return blocks;
}

} // namespace

int BlockPool::classOf(std::size_t size)
{
    int c = 20;
    while (c < kClasses - 1 && (std::size_t(1) << c) < size)
        ++c;
    return c;
}

void* BlockPool::take(int sizeClass, bool zeroed)
{
    const std::size_t capacity = std::size_t(1) << sizeClass;
    if (poolGone)
        return zeroed ? std::calloc(1, capacity) : std::malloc(capacity);
    ThreadBlocks& pool = threadBlocks();
    auto& list = pool.blocks[sizeClass];
    if (!list.empty()) {
        void* p = list.back();
        list.pop_back();
        pool.keptBytes -= capacity;
        if (zeroed)
            std::memset(p, 0, capacity);
        return p;
    }
    // Fresh memory from calloc is zero without touching its pages.
    return zeroed ? std::calloc(1, capacity) : std::malloc(capacity);
}

void BlockPool::give(void* block, int sizeClass)
{
    const std::size_t capacity = std::size_t(1) << sizeClass;
    if (poolGone) {
        std::free(block);
        return;
    }
    ThreadBlocks& pool = threadBlocks();
    auto& list = pool.blocks[sizeClass];
    if (list.size() >= kBlocksPerClass || pool.keptBytes + capacity > kMaxKeptBytes) {
        std::free(block);
        return;
    }
    try {
        list.push_back(block);
    } catch (const std::bad_alloc&) {
        std::free(block); // called while freeing values: never throws
        return;
    }
    pool.keptBytes += capacity;
}

void BlockPool::release()
{
    if (!poolGone)
        threadBlocks().clear();
}

} // namespace kdb
