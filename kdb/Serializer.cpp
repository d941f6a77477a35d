#include "kdb/Serializer.h"
#include "kdb/ScanCount.h"
#include "kdb/BlockPool.h"
#include "kdb/MessageHeader.h"
#include "kdb/WireSizes.h"

#include <bit>
#include <cstdint>
#include <cstring>

static_assert(std::endian::native == std::endian::little, "the writer copies items as they lie in memory");

namespace kdb {
namespace {

bool isEnumeration(int t) { return (t >= 20 && t <= 76) || (t <= -20 && t >= -76); }
bool isMappedList(int t) { return t >= 77 && t <= 97; }

std::size_t textBytes(S s) { return (s ? std::strlen(s) : 0) + 1; }

class Sizer {
public:
    // Without measuring texts, a symbol vector's items are not counted: a
    // check of what can be written, for a writer that needs no size.
    explicit Sizer(int mode, bool measureTexts = true) : m_mode(mode), m_measureTexts(measureTexts) {}

    bool size(K x, std::size_t& total, int depth)
    {
        if (!x)
            return fail("b9: null value");
        if (depth > 512)
            return fail("b9: nesting too deep");
        const int t = x->t;
        if (isEnumeration(t) && m_mode != 1)
            return fail("b9: enumerations must be sent as symbols");
        if (m_mode == 0 && (t == UU || t == -UU || t == KP || t == -KP || t == KN || t == -KN))
            return fail("b9: type not supported in mode 0");
        if (t < 0) {
            if (t == KERR || t == -KS) {
                total += 1 + textBytes(x->s);
                return true;
            }
            const J bytes = wireItemSize(-t);
            if (!bytes)
                return unknown(t);
            total += 1 + static_cast<std::size_t>(bytes);
            return true;
        }
        if (t == 0 || isMappedList(t) || t == KPROJECTION || t == KCOMPOSITION)
            return items(x, total, depth, t == KPROJECTION || t == KCOMPOSITION ? 5 : 6);
        if (t <= 76) {
            if (x->n < 0 || x->n > 0x7fffffff)
                return fail("b9: bad vector length");
            total += 6;
            if (t == KS) {
                if (m_measureTexts)
                    ScanCount::add(x->n);
                for (J i = 0; m_measureTexts && i < x->n; ++i)
                    total += textBytes(kS(x)[i]);
                return true;
            }
            const J bytes = wireItemSize(t);
            if (!bytes)
                return unknown(t);
            total += static_cast<std::size_t>(x->n * bytes);
            return true;
        }
        switch (t) {
        case XT:
            if (!x->k || x->k->t != XD)
                return fail("b9: table without a dictionary");
            total += 2;
            return size(x->k, total, depth + 1);
        case XD:
        case SD:
            if (x->n != 2)
                return fail("b9: dictionary without keys and values");
            total += 1;
            return size(kK(x)[0], total, depth + 1) && size(kK(x)[1], total, depth + 1);
        case KLAMBDA:
            if (x->n != 2 || !kK(x)[0] || kK(x)[0]->t != -KS || !kK(x)[1] || kK(x)[1]->t != KC)
                return fail("b9: lambda without namespace and source");
            total += 1 + textBytes(kK(x)[0]->s);
            return size(kK(x)[1], total, depth + 1);
        case KUNARY:
        case KBINARY:
        case KTERNARY:
            total += 2;
            return true;
        default:
            if (t >= KEACH && t <= KDYNLOAD) {
                total += 1;
                return size(x->k, total, depth + 1);
            }
            return unknown(t);
        }
    }

    const std::string& error() const { return m_error; }

private:
    bool items(K x, std::size_t& total, int depth, std::size_t head)
    {
        if (x->n < 0 || x->n > 0x7fffffff)
            return fail("b9: bad list length");
        total += head;
        ScanCount::add(x->n);
        for (J i = 0; i < x->n; ++i)
            if (!size(kK(x)[i], total, depth + 1))
                return false;
        return true;
    }
    bool fail(const char* text)
    {
        m_error = text;
        return false;
    }
    bool unknown(int t)
    {
        m_error = "b9: cannot write type " + std::to_string(t);
        return false;
    }

    int m_mode;
    bool m_measureTexts;
    std::string m_error;
};

// Writes a value already checked by Sizer, into memory or through a sink.
class Writer {
public:
    // Into out, which holds the bytes Sizer counted.
    explicit Writer(char* out)
        : m_p(out)
        , m_end(nullptr)
    {
    }

    // Through sink: items gathered in one half of buffer while the sink may
    // still hold the other (a sink keeps a write's bytes until its next
    // write returns), vector bodies of kDirectMin bytes or more handed to
    // the sink straight from the value.
    Writer(Serializer::Sink& sink, char* buffer, std::size_t bufferSize)
        : m_p(buffer)
        , m_end(buffer + bufferSize / 2)
        , m_chunk(buffer)
        , m_other(buffer + bufferSize / 2)
        , m_sink(&sink)
    {
    }

    // Hands what is gathered to the sink; false when the sink has failed.
    bool finish() { return flush(); }

    void value(K x)
    {
        const int t = x->t;
        if (t < 0) {
            put(static_cast<char>(t));
            if (t == KERR || t == -KS) {
                text(x->s);
            } else if (t == -UU) {
                bytes(kG(x), 16);
            } else {
                bytes(&x->g, static_cast<std::size_t>(wireItemSize(-t)));
            }
            return;
        }
        if (t == 0 || isMappedList(t)) {
            // Mapped lists of lists travel as the general lists they are.
            put(0);
            put(x->u);
            count(x->n);
            for (J i = 0; i < x->n; ++i)
                value(kK(x)[i]);
            return;
        }
        if (t <= 76) {
            put(static_cast<char>(t));
            put(x->u);
            count(x->n);
            if (t == KS) {
                symbols(kS(x), x->n);
            } else {
                body(kG(x), static_cast<std::size_t>(x->n * wireItemSize(t)));
            }
            return;
        }
        put(static_cast<char>(t));
        switch (t) {
        case XT:
            put(x->u);
            value(x->k);
            return;
        case XD:
        case SD:
            value(kK(x)[0]);
            value(kK(x)[1]);
            return;
        case KLAMBDA:
            text(kK(x)[0]->s);
            value(kK(x)[1]);
            return;
        case KUNARY:
        case KBINARY:
        case KTERNARY:
            put(static_cast<char>(x->g));
            return;
        case KPROJECTION:
        case KCOMPOSITION:
            count(x->n);
            for (J i = 0; i < x->n; ++i)
                value(kK(x)[i]);
            return;
        default:
            value(x->k);
            return;
        }
    }

private:
    static constexpr std::size_t kDirectMin = 64 * 1024;

    bool flush()
    {
        if (!m_sink)
            return true;
        if (!m_failed && m_p != m_chunk) {
            m_failed = !m_sink->write(m_chunk, static_cast<std::size_t>(m_p - m_chunk));
            const std::size_t size = static_cast<std::size_t>(m_end - m_chunk);
            std::swap(m_chunk, m_other);
            m_end = m_chunk + size;
        }
        m_p = m_chunk;
        return !m_failed;
    }
    // Bytes too many for the chunk go to the sink as they are.
    void direct(const void* p, std::size_t n)
    {
        if (flush())
            m_failed = !m_sink->write(static_cast<const char*>(p), n);
    }
    // Makes room for n bytes at m_p (n no more than a chunk). In memory the
    // size was counted beforehand; through a sink, a full chunk goes out.
    // After the sink fails, the chunk is only overwritten.
    void reserve(std::size_t n)
    {
        if (m_sink && static_cast<std::size_t>(m_end - m_p) < n)
            flush();
    }

    void body(const void* p, std::size_t n)
    {
        if (m_sink && n >= kDirectMin) {
            direct(p, n);
            return;
        }
        bytes(p, n);
    }
    void put(char c)
    {
        reserve(1);
        *m_p++ = c;
    }
    void bytes(const void* p, std::size_t n)
    {
        reserve(n);
        std::memcpy(m_p, p, n);
        m_p += n;
    }
    void count(J n)
    {
        const I v = static_cast<I>(n);
        bytes(&v, 4);
    }
    // A text and its zero.
    void text(S s)
    {
        if (!s) {
            put(0);
            return;
        }
        const std::size_t n = std::strlen(s) + 1;
        if (m_sink && n >= kDirectMin)
            direct(s, n);
        else
            bytes(s, n);
    }
    // A symbol vector's texts. They are mostly a few bytes long: two
    // overlapping moves copy one without the branch on every byte a copy
    // loop takes, or the call and size dispatch of memcpy.
    void symbols(const S* items, J count)
    {
        // The position lives in a local: a store through a char pointer
        // could alias a member, which would then be reloaded every item.
        char* p = m_p;
        const char* end = m_sink ? m_end - 16 : nullptr; // moves when the chunks swap
        for (J i = 0; i < count; ++i) {
            const S s = items[i];
            const std::size_t n = s ? std::strlen(s) + 1 : 0;
            if (n < 4 || n > 16 || (end && p > end)) {
                m_p = p;
                text(s);
                p = m_p;
                end = m_sink ? m_end - 16 : nullptr;
                continue;
            }
            if (n >= 8)
                overlapping<std::uint64_t>(p, s, n);
            else
                overlapping<std::uint32_t>(p, s, n);
            p += n;
        }
        m_p = p;
    }
    // The first and the last sizeof(Word) of the n bytes at s, for
    // sizeof(Word) <= n <= 2 * sizeof(Word).
    template<typename Word>
    static void overlapping(char* out, S s, std::size_t n)
    {
        Word first, last;
        std::memcpy(&first, s, sizeof(Word));
        std::memcpy(&last, s + n - sizeof(Word), sizeof(Word));
        std::memcpy(out, &first, sizeof(Word));
        std::memcpy(out + n - sizeof(Word), &last, sizeof(Word));
    }

    char* m_p;
    char* m_end;
    char* m_chunk = nullptr;
    char* m_other = nullptr;
    Serializer::Sink* m_sink = nullptr;
    bool m_failed = false;
};

bool validMode(int mode) { return mode >= -1 && mode <= 3; }

// Each run a sink gets; a background sink pays a thread switch per run, so
// runs are large (measured on a 1M-row table: 2 MiB wrote faster than 256 KiB).
constexpr std::size_t kWriteChunk = std::size_t(2) << 20;

} // namespace

bool Serializer::valueSize(K x, int mode, std::size_t& size, std::string& error)
{
    if (!validMode(mode)) {
        error = "b9: bad mode";
        return false;
    }
    Sizer sizer(mode);
    size = 0;
    if (!sizer.size(x, size, 0)) {
        error = sizer.error();
        return false;
    }
    return true;
}

bool Serializer::writeTo(K x, int mode, Sink& sink, std::string& error)
{
    if (!validMode(mode)) {
        error = "b9: bad mode";
        return false;
    }
    Sizer checker(mode, false);
    std::size_t unused = 0;
    if (!checker.size(x, unused, 0)) {
        error = checker.error();
        return false;
    }
    PooledBuffer buffer(2 * kWriteChunk);
    if (!buffer.data()) {
        error = "not enough memory to write the value";
        return false;
    }
    Writer writer(sink, buffer.data(), 2 * kWriteChunk);
    writer.value(x);
    // The sink lets go of the last run before the buffer holding it goes.
    const bool written = writer.finish();
    if (!sink.finish() || !written) {
        error.clear();
        return false;
    }
    return true;
}

bool Serializer::serialize(K x, int messageType, std::vector<char>& out, std::string& error, int mode)
{
    std::size_t size;
    if (!valueSize(x, mode, size, error))
        return false;
    MessageHeader header;
    header.type = messageType;
    header.length = size + MessageHeader::kSize;
    if (header.length > MessageHeader::maxLength(CapLarge)) {
        error = "b9: message too large";
        return false;
    }
    const std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(header.length));
    header.write(reinterpret_cast<unsigned char*>(out.data() + start), CapLarge);
    Writer writer(out.data() + start + MessageHeader::kSize);
    writer.value(x);
    return true;
}

} // namespace kdb
