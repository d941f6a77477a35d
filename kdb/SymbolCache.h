// A per-decode map from symbol text to its interned pointer, so that decoding
// a symbol column takes the global pool's lock once per distinct name.
#pragma once

#include "kdb/k.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace kdb {

class SymbolCache {
public:
    SymbolCache() = default;
    SymbolCache(const SymbolCache&) = delete; // the short table points into itself
    SymbolCache& operator=(const SymbolCache&) = delete;

    // Finds the zero that ends a symbol within available bytes, hashing the
    // text on the way (eight bytes at a time). False when there is no zero.
    static bool scan(const unsigned char* p, std::size_t available, std::size_t& length, std::uint64_t& hash)
    {
        static_assert(std::endian::native == std::endian::little, "the zero search reads words little-endian");
        std::uint64_t h = 0x243f6a8885a308d3ull;
        std::size_t i = 0;
        while (available - i >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p + i, 8);
            const std::uint64_t zeros = (word - 0x0101010101010101ull) & ~word & 0x8080808080808080ull;
            if (zeros) {
                const int bytes = std::countr_zero(zeros) / 8;
                if (bytes)
                    h = mix(h, word & (~0ull >> (64 - 8 * bytes)));
                length = i + static_cast<std::size_t>(bytes);
                hash = h;
                return true;
            }
            h = mix(h, word);
            i += 8;
        }
        std::uint64_t word = 0;
        for (std::size_t j = i; j < available; ++j) {
            if (p[j] == 0) {
                if (j > i)
                    h = mix(h, word);
                length = j;
                hash = h;
                return true;
            }
            word |= std::uint64_t(p[j]) << (8 * (j - i));
        }
        return false;
    }

    // Names of up to seven bytes, read as one zero-padded word, go through
    // a direct-mapped table first: one multiply and one compare per hit.
    S shortHit(std::uint64_t word) const
    {
        const ShortSlot& slot = m_short[shortSlotOf(word)];
        return slot.word == word ? slot.symbol : nullptr;
    }

    S intern(const char* text, std::size_t length, std::uint64_t hash)
    {
        S symbol = lookup(text, length, hash);
        if (length < 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, text, length);
            m_short[shortSlotOf(word)] = ShortSlot{word, symbol};
        }
        return symbol;
    }

private:
    S lookup(const char* text, std::size_t length, std::uint64_t hash)
    {
        if (m_slots.empty())
            m_slots.resize(std::size_t(1) << (64 - m_shift));
        const std::size_t mask = m_slots.size() - 1;
        // Up to eight bytes the hash is a one-to-one function of the text
        // (an odd multiplier and a xor-shift are both invertible), so equal
        // hashes and lengths mean equal texts.
        for (std::size_t i = slotOf(hash);; i = (i + 1) & mask) {
            const Slot& slot = m_slots[i];
            if (!slot.symbol)
                break;
            if (slot.hash == hash && slot.length == length
                && (length <= 8 || std::memcmp(slot.symbol, text, length) == 0))
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

    struct Slot {
        std::uint64_t hash = 0;
        std::size_t length = 0;
        S symbol = nullptr;
    };
    static constexpr std::size_t kMaxEntries = 1 << 16;

    static std::uint64_t mix(std::uint64_t h, std::uint64_t word)
    {
        h = (h ^ word) * 0x9e3779b97f4a7c15ull;
        return h ^ (h >> 32);
    }

    // The multiplier mixes best into the high bits.
    std::size_t slotOf(std::uint64_t hash) const { return static_cast<std::size_t>((hash * 0x9e3779b97f4a7c15ull) >> m_shift); }

    void insert(std::uint64_t hash, std::size_t length, S symbol)
    {
        const std::size_t mask = m_slots.size() - 1;
        std::size_t i = slotOf(hash);
        while (m_slots[i].symbol)
            i = (i + 1) & mask;
        m_slots[i] = Slot{hash, length, symbol};
        ++m_used;
        if (m_used == kGrowShortAt && !m_shortLarge)
            growShortTable();
    }

    void grow()
    {
        std::vector<Slot> old(m_slots.size() * 2);
        old.swap(m_slots);
        --m_shift;
        m_used = 0;
        for (const Slot& slot : old)
            if (slot.symbol)
                insert(slot.hash, slot.length, slot.symbol);
    }

    struct ShortSlot {
        std::uint64_t word = 0;
        S symbol = nullptr;
    };
    // The short table starts small and inline (most replies name a few
    // symbols); once a decode has seen many distinct names it moves to a
    // larger one on the heap, so that a column of a thousand names does not
    // keep evicting itself.
    static constexpr int kShortBits = 10;
    static constexpr int kLargeShortBits = 13;
    static constexpr std::size_t kGrowShortAt = 512;
    std::size_t shortSlotOf(std::uint64_t word) const
    {
        return static_cast<std::size_t>((word * 0x9e3779b97f4a7c15ull) >> m_shortShift);
    }
    void growShortTable()
    {
        m_shortLarge.reset(new ShortSlot[std::size_t(1) << kLargeShortBits]());
        m_short = m_shortLarge.get();
        m_shortShift = 64 - kLargeShortBits;
    }

    ShortSlot m_shortInline[std::size_t(1) << kShortBits] = {};
    ShortSlot* m_short = m_shortInline;
    int m_shortShift = 64 - kShortBits;
    std::unique_ptr<ShortSlot[]> m_shortLarge;
    std::vector<Slot> m_slots;
    std::size_t m_used = 0;
    int m_shift = 64 - 8; // 256 slots to start with
};

} // namespace kdb
