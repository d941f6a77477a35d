// Passes a writer's bytes on to another sink from a thread of its own, so
// that the writer serialises the next run while the last one is written
// (to a file, say). One write is in flight at a time: write() returns once
// the write before it has finished, which is what a Serializer sink promises
// about the bytes it holds. Small writes (a file's mark, a header) are
// copied, so they may come from the caller's stack.
#pragma once

#include "kdb/Serializer.h"

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>

namespace kdb {

class BackgroundSink : public Serializer::Sink {
public:
    // target is used only from the background thread until finish().
    explicit BackgroundSink(Serializer::Sink& target);
    ~BackgroundSink() override;
    BackgroundSink(const BackgroundSink&) = delete;
    BackgroundSink& operator=(const BackgroundSink&) = delete;

    // False when an earlier write failed; nothing more is passed on then.
    bool write(const char* data, std::size_t size) override;
    // Waits for the last write; false when any write failed.
    bool finish() override;

private:
    void run();
    // With m_mutex held: waits until no write is in flight.
    void waitIdle(std::unique_lock<std::mutex>& lock);

    Serializer::Sink& m_target;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    static constexpr std::size_t kCopiedMax = 4096;
    char m_copy[kCopiedMax];
    const char* m_data = nullptr;
    std::size_t m_size = 0;
    bool m_pending = false;
    bool m_failed = false;
    bool m_stop = false;
    std::thread m_thread;
};

} // namespace kdb
