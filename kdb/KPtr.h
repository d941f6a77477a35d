// Owning handle of one reference to a K value.
#pragma once

#include "kdb/k.h"

#include <utility>

class KPtr {
public:
    KPtr() = default;
    explicit KPtr(K value) : m_value(value) {}
    KPtr(const KPtr& other) : m_value(other.m_value ? r1(other.m_value) : nullptr) {}
    KPtr(KPtr&& other) noexcept : m_value(std::exchange(other.m_value, nullptr)) {}
    KPtr& operator=(KPtr other) noexcept
    {
        std::swap(m_value, other.m_value);
        return *this;
    }
    ~KPtr()
    {
        if (m_value)
            r0(m_value);
    }

    K get() const { return m_value; }
    K operator->() const { return m_value; }
    explicit operator bool() const { return m_value != nullptr; }
    K release() { return std::exchange(m_value, nullptr); }
    void reset(K value = nullptr) { *this = KPtr(value); }

private:
    K m_value = nullptr;
};
