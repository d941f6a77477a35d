// What a benchmark measures of the process's memory: the heap in use and the
// resident size, now and at their peak over a stretch of work.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace bench {

// Bytes in use on the heap, large mapped blocks included; 0 where unknown.
inline long long heapInUse()
{
#if defined(__GLIBC__)
    const struct mallinfo2 info = mallinfo2();
    return static_cast<long long>(info.uordblks + info.hblkhd);
#else
    return 0;
#endif
}

// Resident bytes of the process; 0 where unknown.
inline long long residentBytes()
{
    long long pages = 0, resident = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%lld %lld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * 4096;
}

// The highest heap and resident size seen while it lives (sampled every
// millisecond), above those at its start.
class PeakSampler {
public:
    PeakSampler()
        : m_heapBase(heapInUse())
        , m_residentBase(residentBytes())
        , m_thread([this] {
            while (!m_stop.load()) {
                sample();
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        })
    {
    }
    ~PeakSampler() { stop(); }
    PeakSampler(const PeakSampler&) = delete;
    PeakSampler& operator=(const PeakSampler&) = delete;

    void stop()
    {
        if (m_thread.joinable()) {
            m_stop = true;
            m_thread.join();
            sample();
        }
    }
    double heapMB() const { return double(m_heapPeak.load() - m_heapBase) / (1 << 20); }
    double residentMB() const { return double(m_residentPeak.load() - m_residentBase) / (1 << 20); }

private:
    void sample()
    {
        const long long h = heapInUse(), r = residentBytes();
        if (h > m_heapPeak.load())
            m_heapPeak = h;
        if (r > m_residentPeak.load())
            m_residentPeak = r;
    }

    long long m_heapBase;
    long long m_residentBase;
    std::atomic<long long> m_heapPeak {0};
    std::atomic<long long> m_residentPeak {0};
    std::atomic<bool> m_stop {false};
    std::thread m_thread;
};

} // namespace bench
