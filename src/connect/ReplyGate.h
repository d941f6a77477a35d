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
