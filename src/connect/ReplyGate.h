// The gate of one run: released by the user-interface thread, either to abort
// the run or to tell the waiting worker that its reply is no longer shown.
#pragma once

#include <condition_variable>
#include <mutex>

class ReplyGate {
public:
    // True the first time only.
    bool release()
    {
        {
            std::lock_guard lock(m_mutex);
            if (m_released)
                return false;
            m_released = true;
        }
        m_cv.notify_all();
        return true;
    }
    // Releases the gate with f run under its lock; false (and f not run)
    // when it was released already.
    template <class F>
    bool releaseWith(F f)
    {
        {
            std::lock_guard lock(m_mutex);
            if (m_released)
                return false;
            f();
            m_released = true;
        }
        m_cv.notify_all();
        return true;
    }
    // Runs f under the gate's lock unless it was released: a run stores its
    // reply this way, so an abort comes either wholly before or wholly after.
    template <class F>
    bool ifOpen(F f)
    {
        std::lock_guard lock(m_mutex);
        if (m_released)
            return false;
        f();
        return true;
    }
    bool isReleased() const
    {
        std::lock_guard lock(m_mutex);
        return m_released;
    }
    // True when released within ms milliseconds.
    bool waitFor(int ms)
    {
        std::unique_lock lock(m_mutex);
        return m_cv.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_released; });
    }
    void wait()
    {
        std::unique_lock lock(m_mutex);
        m_cv.wait(lock, [this] { return m_released; });
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_released = false;
};
