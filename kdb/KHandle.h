// Owning holder of one open connection handle: closes it unless released.
// A handle travelling inside a result (a connect made off the window's
// thread) is closed when that result is dropped on the way.
#pragma once

#include "kdb/k.h"

#include <utility>

class KHandle {
public:
    KHandle() = default;
    explicit KHandle(int handle) : m_handle(handle) {}
    KHandle(const KHandle&) = delete;
    KHandle& operator=(const KHandle&) = delete;
    KHandle(KHandle&& other) noexcept : m_handle(std::exchange(other.m_handle, -1)) {}
    KHandle& operator=(KHandle&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_handle = std::exchange(other.m_handle, -1);
        }
        return *this;
    }
    ~KHandle() { reset(); }

    int get() const { return m_handle; }
    explicit operator bool() const { return m_handle > 0; }
    // The handle is the caller's from here on.
    int release() { return std::exchange(m_handle, -1); }
    void reset()
    {
        if (m_handle > 0)
            kclose(std::exchange(m_handle, -1));
    }

private:
    int m_handle = -1;
};
