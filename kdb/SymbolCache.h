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
    // a table of their own first: one multiply and, mostly, one compare per
    // hit.
    S shortHit(std::uint64_t word) const
    {
        // A name mostly sits in its own slot or the next: both are looked at
        // without a branch on which, and only a longer run loops.
        const std::size_t i = shortSlotOf(word);
        const ShortSlot& first = m_short[i];
        const ShortSlot& second = m_short[(i + 1) & m_shortMask];
        // Masks rather than conditions: the compiler would branch on them,
        // and which of the two holds the name is a coin toss to a predictor.
        const std::uintptr_t inFirst = std::uintptr_t(0) - std::uintptr_t(first.word == word);
        const std::uintptr_t inSecond = (std::uintptr_t(0) - std::uintptr_t(second.word == word)) & ~inFirst;
        const S near = reinterpret_cast<S>((reinterpret_cast<std::uintptr_t>(first.symbol) & inFirst)
                                           | (reinterpret_cast<std::uintptr_t>(second.symbol) & inSecond));
        if (near || !first.symbol || !second.symbol)
            return near;
        for (std::size_t j = (i + 2) & m_shortMask;; j = (j + 1) & m_shortMask) {
            const ShortSlot& slot = m_short[j];
            if (slot.word == word || !slot.symbol)
                return slot.symbol;
        }
    }

    S intern(const char* text, std::size_t length, std::uint64_t hash)
    {
        S symbol = lookup(text, length, hash);
        if (length < 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, text, length);
            rememberShort(word, symbol);
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
        S symbol = nullptr; // null: a free slot
    };
    // The short table is open-addressed and never more than a quarter full,
    // so a name, once seen, stays: a column of a thousand names read in
    // random order must not evict its own entries. It starts small and
    // inline (most replies name a few symbols) and doubles on the heap up to
    // kMaxShortBits.
    static constexpr int kShortBits = 10;
    static constexpr int kMaxShortBits = 16;
    std::size_t shortSlotOf(std::uint64_t word) const
    {
        // Names differ in a few middle bytes ("sym17", "sym18"): shift them
        // down before the multiply so that they reach the top bits evenly.
        word ^= word >> 29;
        return static_cast<std::size_t>((word * 0xbf58476d1ce4e5b9ull) >> m_shortShift);
    }
    void rememberShort(std::uint64_t word, S symbol)
    {
        if ((m_shortUsed + 1) * 4 > m_shortMask + 1) {
            if (64 - m_shortShift >= kMaxShortBits)
                return;
            growShortTable();
        }
        std::size_t i = shortSlotOf(word);
        for (; m_short[i].symbol; i = (i + 1) & m_shortMask)
            if (m_short[i].word == word)
                return;
        m_short[i] = ShortSlot{word, symbol};
        ++m_shortUsed;
    }
    void growShortTable()
    {
        const std::size_t oldSize = m_shortMask + 1;
        std::unique_ptr<ShortSlot[]> table(new ShortSlot[oldSize * 2]());
        const ShortSlot* old = m_short;
        m_short = table.get();
        m_shortMask = oldSize * 2 - 1;
        --m_shortShift;
        for (std::size_t j = 0; j < oldSize; ++j) {
            if (!old[j].symbol)
                continue;
            std::size_t i = shortSlotOf(old[j].word);
            while (m_short[i].symbol)
                i = (i + 1) & m_shortMask;
            m_short[i] = old[j];
        }
        m_shortLarge = std::move(table);
    }

    ShortSlot m_shortInline[std::size_t(1) << kShortBits] = {};
    ShortSlot* m_short = m_shortInline;
    std::size_t m_shortMask = (std::size_t(1) << kShortBits) - 1;
    int m_shortShift = 64 - kShortBits;
    std::size_t m_shortUsed = 0;
    std::unique_ptr<ShortSlot[]> m_shortLarge;
    std::vector<Slot> m_slots;
    std::size_t m_used = 0;
    int m_shift = 64 - 8; // 256 slots to start with
};

} // namespace kdb
