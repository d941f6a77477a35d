// A per-decode map from symbol text to its interned pointer, so that decoding
// a symbol column takes the global pool's lock once per distinct name.
#pragma once

#include "kdb/k.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace kdb {

class SymbolCache {
public:
    S intern(const char* text, std::size_t length)
    {
        const std::uint64_t hash = hashOf(text, length);
        if (m_slots.empty())
            m_slots.resize(256);
        std::size_t mask = m_slots.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            Slot& slot = m_slots[i];
            if (!slot.symbol)
                break;
            if (slot.hash == hash && slot.length == length && std::memcmp(slot.symbol, text, length) == 0)
                return slot.symbol;
        }
        S symbol = sn(text, static_cast<I>(length));
        if (m_used >= kMaxEntries)
            return symbol; // a column of mostly distinct names gains nothing from caching
        if ((m_used + 1) * 2 > m_slots.size())
            grow();
        insert(hash, length, symbol);
        return symbol;
    }

private:
    struct Slot {
        std::uint64_t hash = 0;
        std::size_t length = 0;
        S symbol = nullptr;
    };
    static constexpr std::size_t kMaxEntries = 1 << 16;

    static std::uint64_t hashOf(const char* text, std::size_t length)
    {
        std::uint64_t h = 0xcbf29ce484222325ull; // FNV-1a
        for (std::size_t i = 0; i < length; ++i) {
            h ^= static_cast<unsigned char>(text[i]);
            h *= 0x100000001b3ull;
        }
        return h ^ (h >> 29);
    }

    void insert(std::uint64_t hash, std::size_t length, S symbol)
    {
        std::size_t mask = m_slots.size() - 1;
        std::size_t i = hash & mask;
        while (m_slots[i].symbol)
            i = (i + 1) & mask;
        m_slots[i] = Slot{hash, length, symbol};
        ++m_used;
    }

    void grow()
    {
        std::vector<Slot> old(m_slots.size() * 2);
        old.swap(m_slots);
        m_used = 0;
        for (const Slot& slot : old)
            if (slot.symbol)
                insert(slot.hash, slot.length, slot.symbol);
    }

    std::vector<Slot> m_slots;
    std::size_t m_used = 0;
};

} // namespace kdb
