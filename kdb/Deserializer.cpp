#include "kdb/Deserializer.h"
#include "kdb/BlockPool.h"
#include "kdb/Compression.h"
#include "kdb/MessageHeader.h"
#include "kdb/WireSizes.h"
#include "kdb/SymbolCache.h"
#include "kdb/kalloc.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace kdb {
namespace {

void swapItems(G* p, J count, J size)
{
    switch (size) {
    case 2:
        for (J i = 0; i < count; ++i, p += 2)
            std::swap(p[0], p[1]);
        break;
    case 4:
        for (J i = 0; i < count; ++i, p += 4) {
            std::swap(p[0], p[3]);
            std::swap(p[1], p[2]);
        }
        break;
    case 8:
        for (J i = 0; i < count; ++i, p += 8) {
            std::swap(p[0], p[7]);
            std::swap(p[1], p[6]);
            std::swap(p[2], p[5]);
            std::swap(p[3], p[4]);
        }
        break;
    default:
        break;
    }
}

// Reads a value from bytes in memory, or from a source that delivers the
// message's bytes in order: then a small window of it is kept here and vector
// bodies go straight from the source into their K vectors. Either way counts
// are checked against the whole message's remaining length before anything
// is allocated.
class Reader {
public:
    Reader(const G* data, std::size_t length, bool littleEndian)
        : m_p(data), m_end(data + length), m_swap(!littleEndian)
    {
    }

    Reader(Deserializer::Source& source, std::size_t length, bool littleEndian)
        : m_p(nullptr), m_end(nullptr), m_swap(!littleEndian), m_source(&source), m_sourceLeft(length)
    {
    }

    K value(int depth)
    {
        if (depth > Deserializer::kMaxDepth)
            return fail("d9: nesting too deep");
        if (!need(1))
            return truncated();
        const int t = static_cast<signed char>(*m_p++);
        if (t < 0)
            return atom(t, depth);
        if (t <= 19 || (t >= 20 && t <= 76))
            return vector(t, depth);
        if (t >= 77 && t <= 97)
            return list(t, depth);
        switch (t) {
        case XT: return table(depth);
        case XD:
        case SD: return dictionary(t, depth);
        case KLAMBDA: return lambda(depth);
        case KUNARY:
        case KBINARY:
        case KTERNARY: {
            if (!need(1))
                return truncated();
            const G code = *m_p++;
            // Items of a list share one atom per code: a list of generic
            // nulls costs a pointer an item.
            if (depth > 0)
                return sharedAtom(t, code);
            K x = kaOrNull(t);
            if (!x)
                return outOfMemory();
            x->g = code;
            return x;
        }
        case KPROJECTION:
        case KCOMPOSITION: return counted(t, depth);
        default:
            if (t >= KEACH && t <= KDYNLOAD)
                return wrapped(t, depth);
            return unknownType(t);
        }
    }

    bool atEnd() const { return remaining() == 0; }
    const std::string& error() const { return m_error; }
    bool sourceFailed() const { return m_sourceFailed; }

    // Reads and drops what is left of a streamed message, so that the source
    // stands at the next message; false when the source fails.
    bool skipRest()
    {
        m_p = m_end;
        G sink[4096];
        while (m_sourceLeft > 0 && !m_sourceFailed) {
            const std::size_t n = std::min(sizeof sink, m_sourceLeft);
            if (!pull(sink, n))
                return false;
        }
        return !m_sourceFailed;
    }

private:
    K fail(const char* text)
    {
        if (m_error.empty())
            m_error = text;
        return nullptr;
    }
    K truncated() { return fail("d9: truncated message"); }
    // Memory ran out: this reason wins over any that follows while unwinding.
    K outOfMemory()
    {
        m_error = Deserializer::kOutOfMemory;
        return nullptr;
    }
    K unknownType(int t)
    {
        m_error = "d9: unknown type " + std::to_string(t);
        return nullptr;
    }
    // Bytes left in the message; available() of them are in memory now.
    std::size_t remaining() const { return available() + m_sourceLeft; }
    std::size_t available() const { return static_cast<std::size_t>(m_end - m_p); }

    bool pull(void* data, std::size_t size)
    {
        if (!m_source->read(data, size)) {
            m_sourceFailed = true;
            m_error = m_source->error();
            if (m_error.empty())
                m_error = "connection closed";
            return false;
        }
        m_sourceLeft -= size;
        return true;
    }

    // Makes at least n bytes available; false when the message has fewer or
    // the source fails.
    bool need(std::size_t n)
    {
        if (available() >= n)
            return true;
        if (remaining() < n || m_sourceFailed)
            return false;
        // In a stream, unread bytes in memory always lie in the window.
        const std::size_t kept = available();
        const std::size_t offset = kept ? static_cast<std::size_t>(m_p - m_window.data()) : 0;
        const std::size_t want = std::max(n, kWindow);
        if (m_window.size() < want) {
            try {
                m_window.resize(want);
            } catch (const std::bad_alloc&) {
                outOfMemory();
                return false;
            }
        }
        if (kept && offset)
            std::memmove(m_window.data(), m_window.data() + offset, kept);
        const std::size_t more = std::min(want - kept, m_sourceLeft);
        m_p = m_window.data();
        m_end = m_p + kept;
        if (!pull(m_window.data() + kept, more))
            return false;
        m_end += more;
        return true;
    }

    // Copies the next size bytes (size <= remaining()) to out: a vector's body.
    bool take(G* out, std::size_t size)
    {
        const std::size_t here = std::min(size, available());
        if (here) {
            std::memcpy(out, m_p, here);
            m_p += here;
        }
        return here == size || pull(out + here, size - here);
    }

    bool readInt(I& v)
    {
        if (!need(4))
            return false;
        std::memcpy(&v, m_p, 4);
        if (m_swap)
            swapItems(reinterpret_cast<G*>(&v), 1, 4);
        m_p += 4;
        return true;
    }

    // A zero-terminated text inside the message, interned.
    bool readSymbol(S& symbol)
    {
        if (available() < 8 && m_sourceLeft)
            need(std::min<std::size_t>(8, remaining()));
        if (available() >= 8) {
            std::uint64_t word;
            std::memcpy(&word, m_p, 8);
            const std::uint64_t zeros = (word - 0x0101010101010101ull) & ~word & 0x8080808080808080ull;
            if (zeros) {
                const std::size_t length = static_cast<std::size_t>(std::countr_zero(zeros) / 8);
                if (!symbolAt(m_p, length, symbol))
                    return false;
                m_p += length + 1;
                return true;
            }
        }
        std::size_t length;
        std::uint64_t hash;
        // A streamed symbol may run past the window: widen it until its zero shows.
        while (!SymbolCache::scan(m_p, available(), length, hash)) {
            if (!m_sourceLeft || !need(std::min(remaining(), available() * 2 + kWindow)))
                return false;
        }
        if (!intern(m_p, length, hash, symbol))
            return false;
        m_p += length + 1;
        return true;
    }

    bool intern(const G* text, std::size_t length, std::uint64_t hash, S& symbol)
    {
        if (length > 0x7fffffff)
            return false;
        try {
            symbol = m_symbols.intern(reinterpret_cast<const char*>(text), length, hash);
        } catch (const std::bad_alloc&) {
            outOfMemory();
            return false;
        }
        return true;
    }

    // A symbol column. Its texts are found by the zeros in whole 64-byte
    // blocks of the window, so that where one name ends is known without
    // waiting for the name before it; the last names of a window, and any
    // that run past it, go one at a time.
    bool readSymbols(S* out, J n)
    {
        J i = 0;
        while (i < n) {
            if (available() < kSymbolBlock + 8 && m_sourceLeft)
                need(std::min(remaining(), kWindow));
            if (!readSymbolRun(out, n, i))
                return false;
            if (i < n && !readSymbol(out[i++]))
                return false;
        }
        return true;
    }

    bool readSymbolRun(S* out, J n, J& i)
    {
        const G* start = m_p;
        // A block ends eight bytes short of the window: a short name's word
        // is read from its start and may run past its zero, up to seven bytes.
        for (const G* block = m_p; i < n && m_end - block >= std::ptrdiff_t(kSymbolBlock + 8); block += kSymbolBlock) {
            for (std::uint64_t zeros = zeroBytes(block); zeros && i < n; zeros &= zeros - 1) {
                const G* zero = block + std::countr_zero(zeros);
                if (!symbolAt(start, static_cast<std::size_t>(zero - start), out[i]))
                    return false;
                ++i;
                start = zero + 1;
            }
        }
        m_p = start;
        return true;
    }

    // The symbol whose text of length bytes starts at p, its zero after it.
    bool symbolAt(const G* p, std::size_t length, S& symbol)
    {
        if (length < 8) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            word &= (std::uint64_t(1) << (8 * length)) - 1;
            // Symbol columns come in runs of one name (tables kept by
            // symbol): the name before is the first guess.
            if (word == m_lastWord) {
                symbol = m_lastShort;
                return true;
            }
            S hit = m_symbols.shortHit(word);
            if (!hit) {
                std::uint64_t hash = 0;
                SymbolCache::scan(p, length + 1, length, hash);
                if (!intern(p, length, hash, hit))
                    return false;
            }
            m_lastWord = word;
            m_lastShort = hit;
            symbol = hit;
            return true;
        }
        std::uint64_t hash = 0;
        SymbolCache::scan(p, length + 1, length, hash);
        return intern(p, length, hash, symbol);
    }

    // Bit i set where p[i] is zero, for 64 bytes.
    static std::uint64_t zeroBytes(const G* p)
    {
#if defined(__SSE2__) || defined(_M_X64)
        const __m128i zero = _mm_setzero_si128();
        std::uint64_t mask = 0;
        for (int k = 0; k < 4; ++k) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
            mask |= std::uint64_t(std::uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, zero)))) << (16 * k);
        }
        return mask;
#else
        std::uint64_t mask = 0;
        for (int k = 0; k < 64; ++k)
            mask |= std::uint64_t(p[k] == 0) << k;
        return mask;
#endif
    }

    K atom(int t, int depth)
    {
        if (t == KERR || t == -KS) {
            S symbol;
            if (!readSymbol(symbol))
                return truncated();
            K x = kaOrNull(t);
            if (!x)
                return outOfMemory();
            x->s = symbol;
            return x;
        }
        const J size = wireItemSize(-t);
        if (size == 0)
            return unknownType(t);
        if (!need(static_cast<std::size_t>(size)))
            return truncated();
        if (depth > 0 && size == 1) {
            if (K shared = sharedAtom(t, *m_p)) {
                ++m_p;
                return shared;
            }
        }
        K x = kaOrNull(t);
        if (!x)
            return outOfMemory();
        if (t == -UU) {
            std::memcpy(kG(x), m_p, 16); // guids travel in text order in either byte order
        } else {
            std::memcpy(&x->g, m_p, static_cast<std::size_t>(size));
            if (m_swap)
                swapItems(&x->g, 1, size);
        }
        m_p += size;
        return x;
    }

    bool header(G& attribute, J& count, std::size_t minItemBytes)
    {
        if (!need(5))
            return false;
        attribute = *m_p++;
        I n = 0;
        readInt(n);
        if (n < 0) {
            fail("d9: negative count");
            return false;
        }
        if (static_cast<std::uint64_t>(n) * minItemBytes > remaining()) {
            fail("d9: count larger than the message");
            return false;
        }
        count = n;
        return true;
    }

    K vector(int t, int depth)
    {
        if (t == 0)
            return list(0, depth);
        const J size = t == KS ? 1 : wireItemSize(t);
        if (size == 0)
            return unknownType(t);
        G attribute;
        J n;
        if (!header(attribute, n, static_cast<std::size_t>(size)))
            return m_error.empty() ? truncated() : nullptr;
        // A streamed count is bounded by the announced length, not by bytes
        // already here: a length the system cannot hold is an error, not an abort.
        K x = ktnOrNull(t, n, false);
        if (!x)
            return outOfMemory();
        x->u = static_cast<C>(attribute);
        if (t == KS) {
            if (!readSymbols(kS(x), n)) {
                r0(x);
                return truncated();
            }
            return x;
        }
        const std::size_t bytes = static_cast<std::size_t>(n * size);
        if (!take(kG(x), bytes)) {
            r0(x);
            return truncated();
        }
        if (m_swap && t != UU)
            swapItems(kG(x), n, size);
        return x;
    }

    // General lists (and mapped lists of lists, which read the same way).
    K list(int t, int depth)
    {
        G attribute;
        J n;
        if (!header(attribute, n, 2))
            return m_error.empty() ? truncated() : nullptr;
        K x = ktnOrNull(t, n, true);
        if (!x)
            return outOfMemory();
        x->u = static_cast<C>(attribute);
        return fill(x, n, depth);
    }

    K fill(K x, J n, int depth)
    {
        for (J i = 0; i < n; ++i) {
            K item = value(depth + 1);
            if (!item) {
                r0(x);
                return nullptr;
            }
            kK(x)[i] = item;
        }
        return x;
    }

    K dictionary(int t, int depth)
    {
        K x = ktnOrNull(t, 2, true);
        if (!x)
            return outOfMemory();
        if (!fill(x, 2, depth))
            return nullptr;
        const J keys = countOf(kK(x)[0]);
        if (keys < 0 || keys != countOf(kK(x)[1])) {
            r0(x);
            return fail("d9: dictionary keys and values differ in count");
        }
        return x;
    }

    // Items of a list, rows of a table, keys of a dictionary; -1 for anything
    // that has no count (atoms, functions).
    static J countOf(K x)
    {
        if (x->t >= 0 && x->t <= 97)
            return x->n;
        if (x->t == XD || x->t == SD)
            return countOf(kK(x)[0]);
        if (x->t == XT) {
            K columns = kK(x->k)[1];
            return columns->n ? countOf(kK(columns)[0]) : 0;
        }
        return -1;
    }

    // Tables reach the renderer and the grid, which index every column by
    // row: the names must be symbols and the columns lists of one length.
    static bool validColumns(K dict)
    {
        K names = kK(dict)[0], columns = kK(dict)[1];
        if (names->t != KS || !(columns->t == 0 || (columns->t >= 77 && columns->t <= 97))
            || names->n != columns->n)
            return false;
        for (J i = 0; i < columns->n; ++i) {
            K column = kK(columns)[i];
            if (column->t < 0 || column->t > 97 || column->n != kK(columns)[0]->n)
                return false;
        }
        return true;
    }

    K table(int depth)
    {
        if (!need(2))
            return truncated();
        const G attribute = *m_p++;
        if (*m_p != XD)
            return fail("d9: table without a dictionary");
        K dict = value(depth + 1);
        if (!dict)
            return nullptr;
        if (!validColumns(dict)) {
            r0(dict);
            return fail("d9: table columns are not a symbol list and lists of one length");
        }
        K x = kaOrNull(XT);
        if (!x) {
            r0(dict);
            return outOfMemory();
        }
        x->k = dict;
        x->u = static_cast<C>(attribute);
        return x;
    }

    K lambda(int depth)
    {
        S name;
        if (!readSymbol(name))
            return truncated();
        K ns = kaOrNull(-KS);
        K x = ns ? ktnOrNull(KLAMBDA, 2, true) : nullptr;
        if (!x) {
            r0(ns);
            return outOfMemory();
        }
        ns->s = name;
        kK(x)[0] = ns;
        K source = value(depth + 1);
        if (!source) {
            r0(x);
            return nullptr;
        }
        kK(x)[1] = source;
        if (source->t != KC) {
            r0(x);
            return fail("d9: lambda without source text");
        }
        return x;
    }

    K counted(int t, int depth)
    {
        I n = 0;
        if (!readInt(n))
            return truncated();
        if (n < 0)
            return fail("d9: negative count");
        if (static_cast<std::uint64_t>(n) * 2 > remaining())
            return fail("d9: count larger than the message");
        K x = ktnOrNull(t, n, true);
        if (!x)
            return outOfMemory();
        return fill(x, n, depth);
    }

    K wrapped(int t, int depth)
    {
        K inner = value(depth + 1);
        if (!inner)
            return nullptr;
        K x = kaOrNull(t);
        if (!x) {
            r0(inner);
            return outOfMemory();
        }
        x->k = inner;
        return x;
    }

    static constexpr std::size_t kWindow = 64 * 1024;
    static constexpr std::size_t kSymbolBlock = 64;

    const G* m_p;
    const G* m_end;
    bool m_swap;
    Deserializer::Source* m_source = nullptr;
    std::size_t m_sourceLeft = 0; // message bytes not yet read from the source
    bool m_sourceFailed = false;
    std::vector<G> m_window;
    std::string m_error;
    SymbolCache m_symbols;
    // The last name of under eight bytes read, as its zero-padded word (all
    // ones, which no such word is, before the first).
    std::uint64_t m_lastWord = ~std::uint64_t(0);
    S m_lastShort = nullptr;
};

} // namespace

K Deserializer::decodeValue(const char* data, std::size_t length, bool littleEndian, std::string& error)
{
    Reader reader(reinterpret_cast<const G*>(data), length, littleEndian);
    K x = reader.value(0);
    if (!x) {
        error = reader.error().empty() ? "d9: malformed message" : reader.error();
        return nullptr;
    }
    if (!reader.atEnd()) {
        r0(x);
        error = "d9: bytes left over after the value";
        return nullptr;
    }
    return x;
}

K Deserializer::decodeStreamed(Source& source, const MessageHeader& header, std::string& error, bool& sourceFailed)
{
    sourceFailed = false;
    if (header.compressed || header.length < MessageHeader::kSize) {
        error = "d9: not a plain message";
        return nullptr;
    }
    Reader reader(source, static_cast<std::size_t>(header.length - MessageHeader::kSize), header.littleEndian);
    K x = reader.value(0);
    if (x && !reader.atEnd()) {
        r0(x);
        x = nullptr;
        error = "d9: bytes left over after the value";
    } else if (!x) {
        error = reader.error().empty() ? "d9: malformed message" : reader.error();
    }
    // A malformed message is still read to its end, so the next one starts in step.
    if (!reader.sourceFailed())
        reader.skipRest();
    if (reader.sourceFailed()) {
        if (x)
            r0(x);
        error = reader.error();
        sourceFailed = true;
        return nullptr;
    }
    return x;
}

K Deserializer::decodeMessage(const char* data, std::size_t length, std::string& error)
{
    MessageHeader header;
    if (length < MessageHeader::kSize) {
        error = "d9: truncated message";
        return nullptr;
    }
    if (!MessageHeader::parse(reinterpret_cast<const unsigned char*>(data), CapLarge, header, error))
        return nullptr;
    if (header.length != length) {
        error = header.length > length ? "d9: truncated message" : "d9: bytes left over after the message";
        return nullptr;
    }
    if (header.compressed) {
        // The plain message is scratch: a pool block when big, so that pages
        // mapped for one reply serve the next.
        std::size_t size;
        if (!Compression::expandedSize(data, length, size, error))
            return nullptr;
        PooledBuffer plain(size);
        if (!plain.data()) {
            error = kOutOfMemory;
            return nullptr;
        }
        return Compression::expand(data, length, plain.data(), size, error)
            ? decodeValue(plain.data() + MessageHeader::kSize, size - MessageHeader::kSize, header.littleEndian, error)
            : nullptr;
    }
    return decodeValue(data + MessageHeader::kSize, length - MessageHeader::kSize, header.littleEndian, error);
}

} // namespace kdb
