#include "kdb/Serializer.h"
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
    explicit Sizer(int mode) : m_mode(mode) {}

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
                for (J i = 0; i < x->n; ++i)
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
    std::string m_error;
};

// Writes a value already checked by Sizer.
class Writer {
public:
    // With pieces, vector bodies of kPieceMin bytes or more are not copied:
    // the output is the pieces in order, runs of out between references to
    // the vectors' own items.
    explicit Writer(char* out, std::vector<Serializer::Piece>* pieces = nullptr)
        : m_p(out)
        , m_run(out)
        , m_pieces(pieces)
    {
    }

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
                for (J i = 0; i < x->n; ++i)
                    text(kS(x)[i]);
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

    char* position() const { return m_p; }

    // Ends the piece list with the last run of copied bytes.
    void finishPieces()
    {
        if (m_pieces && m_p != m_run)
            m_pieces->push_back({m_run, static_cast<std::size_t>(m_p - m_run)});
        m_run = m_p;
    }

private:
    static constexpr std::size_t kPieceMin = 64 * 1024;

    void body(const void* p, std::size_t n)
    {
        if (!m_pieces || n < kPieceMin) {
            bytes(p, n);
            return;
        }
        finishPieces();
        m_pieces->push_back({static_cast<const char*>(p), n});
    }
    void put(char c) { *m_p++ = c; }
    void bytes(const void* p, std::size_t n)
    {
        std::memcpy(m_p, p, n);
        m_p += n;
    }
    void count(J n)
    {
        const I v = static_cast<I>(n);
        bytes(&v, 4);
    }
    // One pass over the text, its zero included: symbols are mostly a few
    // bytes long, where a length scan and a copy cost twice.
    void text(S s)
    {
        if (!s) {
            put(0);
            return;
        }
        while ((*m_p++ = *s++) != 0) {
        }
    }

    char* m_p;
    char* m_run;
    std::vector<Serializer::Piece>* m_pieces;
};

bool validMode(int mode) { return mode >= -1 && mode <= 3; }

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

void Serializer::writeValue(K x, char* out)
{
    Writer writer(out);
    writer.value(x);
}

void Serializer::writePieces(K x, char* out, std::vector<Piece>& pieces)
{
    pieces.clear();
    Writer writer(out, &pieces);
    writer.value(x);
    writer.finishPieces();
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
