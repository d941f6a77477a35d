// The gate of one run: released by the user-interface thread to abort the
// run. The run stores its reply under the gate's lock, so an abort comes
// either wholly before (the reply is dropped) or wholly after (the abort
// takes the stored reply back).
#pragma once

#include <mutex>

class ReplyGate {
public:
    // True the first time only.
    bool release()
    {
        std::lock_guard lock(m_mutex);
        if (m_released)
            return false;
        m_released = true;
        return true;
    }
    // Releases the gate with f run under its lock; false (and f not run)
    // when it was released already.
    template <class F>
    bool releaseWith(F f)
    {
        std::lock_guard lock(m_mutex);
        if (m_released)
            return false;
        f();
        m_released = true;
        return true;
    }
    // Runs f under the gate's lock unless it was released.
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

private:
    mutable std::mutex m_mutex;
    bool m_released = false;
};
