#include "core/values/KRender.h"

#include "core/values/KItemText.h"
#include "core/values/KPrimitives.h"
#include "core/values/QErrors.h"
#include "core/values/ValueCatalogue.h"
#include "kdb/kbounds.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

// Real recursion bound: keyed tables restart the level count, so a crafted
// value could otherwise nest without end.
constexpr int kMaxNesting = 1100;
// A buffer that grew past this is released after use rather than kept.
constexpr std::size_t kKeptCapacity = std::size_t(4) << 20;

struct ListStyle {
    std::string_view separator, prefix, suffix, empty;
};

ListStyle listStyle(int type, bool postfixInts)
{
    switch (type) {
    case KB: return {"", "", "b", "`boolean$()"};
    case UU: return {" ", "", "", "`guid$()"};
    case KG: return {"", "0x", "", "`byte$()"};
    case KH: return {"h, ", "", "h", "`short$()"};
    case KI: return postfixInts ? ListStyle{"i, ", "", "i", "`int$()"} : ListStyle{" ", "", "", "`int$()"};
    case KJ: return postfixInts ? ListStyle{" ", "", "", "`long$()"} : ListStyle{"j, ", "", "j", "`long$()"};
    case KE: return {" ", "", "e", "`real$()"};
    case KF: return {" ", "", "f", "`float$()"};
    case KS: return {"`", "`", "", "`symbol$()"};
    case KP: return {" ", "", "", "`timestamp$()"};
    case KM: return {", ", "", "", "`month$()"};
    case KD: return {" ", "", "", "`date$()"};
    case KZ: return {" ", "", "", "`datetime$()"};
    case KN: return {" ", "", "", "`timespan$()"};
    case KU: return {" ", "", "", "`minute$()"};
    case KV: return {" ", "", "", "`second$()"};
    case KT: return {" ", "", "", "`time$()"};
    default: return {" ", "", "", "()"};
    }
}

std::string_view symbolText(S s)
{
    return s ? std::string_view(s) : std::string_view();
}

// Where the item of a simple atom lives: guids after the header, the rest in
// the atom slot.
const void* atomItem(K x)
{
    return x->t == -UU ? static_cast<const void*>(kG(x)) : static_cast<const void*>(&x->g);
}

bool isSimpleType(int t)
{
    return t >= KB && t <= KT && t != 3;
}

struct NestingGuard {
    explicit NestingGuard(int& n) : nesting(n) { ++nesting; }
    ~NestingGuard() { --nesting; }
    int& nesting;
};

} // namespace

KRender::KRender(const RenderOptions& options) : m_options(options) {}

QString KRender::render(K value, int depth, bool tableBody, long long element, long long maxLength)
{
    const std::string_view text = renderUtf8(value, depth, tableBody, element, maxLength);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string_view KRender::renderUtf8(K value, int depth, bool tableBody, long long element, long long maxLength)
{
    if (m_out.bytes().capacity() > kKeptCapacity)
        m_out = RenderBuffer();
    m_out.clear();
    m_rootValue = value;
    m_nesting = 0;
    renderValue(value, depth, tableBody, element, maxLength);
    return m_out.bytes();
}

bool KRender::renderValue(K x, int depth, bool tableBody, long long element, long long maxLength)
{
    if (maxLength < 0)
        return false;
    const int level = depth + 1;
    if (level > maxLevel || m_nesting >= kMaxNesting) {
        m_out.append("!Too Deep>1000!");
        return false;
    }
    if (!x)
        return false;
    NestingGuard guard(m_nesting);

    const int t = x->t;
    const char attr = t >= 0 && element < 0 ? ValueCatalogue::attributeLetter(static_cast<unsigned char>(x->u)) : 0;
    const std::size_t prefixAt = m_out.size();
    if (attr) {
        m_out.append('`');
        m_out.append(attr);
        m_out.append('#');
    }
    const Mark start = m_out.mark();

    bool truncated = false;
    if (t == KERR) {
        renderError(x);
    } else if (t < 0) {
        if (isSimpleType(-t))
            renderAtom(x, element);
        else
            renderUnknown(x);
    } else if (t == 0 || isSimpleType(t)) {
        if (element >= 0)
            renderElement(x, level, element, maxLength);
        else if (t == 0)
            truncated = renderGeneral(x, level, tableBody, maxLength, start);
        else if (t == KC)
            truncated = renderString(x, maxLength, start);
        else
            truncated = renderList(x, maxLength, start);
    } else if (t == XT) {
        truncated = renderTable(x, level, maxLength, start);
    } else if (t == XD || t == SD) {
        truncated = renderDictionary(x, level, tableBody, maxLength, start);
    } else if (t >= KLAMBDA && t <= KEACHLEFT) {
        renderFunction(x, level);
    } else {
        renderUnknown(x);
    }

    if (attr && truncated)
        m_out.eraseAscii(prefixAt, 3);
    return truncated;
}

bool KRender::room(long long maxLength, const Mark& start, long long& left)
{
    left = 0;
    if (maxLength <= 0)
        return true;
    left = maxLength - m_out.lengthSince(start);
    if (left < 1) {
        m_out.append("...");
        return false;
    }
    return true;
}

void KRender::appendItem(int type, const void* item, bool listItem)
{
    char text[KItemText::capacity];
    const int precision = std::clamp(m_options.floatPrecision, 1, 32);
    m_out.append(text, KItemText::write(text, type, item, listItem, precision));
}

void KRender::appendChar(unsigned char c, bool escape)
{
    if (c == 0)
        m_out.append(' ');
    else if (c == '\\' && escape)
        m_out.append("\\\\");
    else
        m_out.appendLatin1(c);
}

void KRender::renderAtom(K x, long long element)
{
    const int t = -x->t;
    const void* item = atomItem(x);
    // Grid cells of atoms may show nulls as empty, still with their type marks.
    const bool emptyNull = element >= 0 && m_options.nullsAreEmpty && KItemText::isNull(t, item);
    const auto appendText = [&] {
        if (!emptyNull)
            appendItem(t, item, false);
    };
    switch (t) {
    case KB: appendText(); m_out.append('b'); break;
    case KG: m_out.append("0x"); appendText(); break;
    case KH: appendText(); m_out.append('h'); break;
    case KI: appendText(); if (m_options.postfixInts) m_out.append('i'); break;
    case KJ: appendText(); if (!m_options.postfixInts) m_out.append('j'); break;
    case KE: appendText(); m_out.append('e'); break;
    case KF: {
        const Mark at = m_out.mark();
        appendText();
        if (std::memchr(m_out.bytes().data() + at.bytes, '.', m_out.size() - at.bytes) == nullptr)
            m_out.append('f');
        break;
    }
    case KC:
        m_out.append('"');
        appendChar(x->g, m_options.escapeSlash);
        m_out.append('"');
        break;
    case KS:
        m_out.append('`');
        m_out.appendUtf8(symbolText(x->s));
        break;
    default: appendText(); break;
    }
}

bool KRender::renderList(K x, long long maxLength, const Mark& start)
{
    const int t = x->t;
    const ListStyle style = listStyle(t, m_options.postfixInts);
    const long long n = x->n;
    if (n <= 0) {
        m_out.append(style.empty);
        return false;
    }
    if (n == 1)
        m_out.append("enlist ");
    m_out.append(style.prefix);

    const long long size = kItemSize(t);
    const G* items = kG(x);
    const int precision = std::clamp(m_options.floatPrecision, 1, 32);
    bool hasStop = false; // a full stop anywhere keeps "f" off a float list
    char text[KItemText::capacity];
    for (long long i = 0; i < n; ++i) {
        if (t == KS) {
            m_out.appendUtf8(symbolText(kS(x)[i]));
        } else {
            const std::size_t len = KItemText::write(text, t, items + i * size, true, precision);
            if (t == KF && !hasStop)
                hasStop = std::memchr(text, '.', len) != nullptr;
            m_out.append(text, len);
        }
        if (maxLength > 0 && m_out.lengthSince(start) > maxLength) {
            m_out.append("...");
            return true;
        }
        if (i + 1 < n)
            m_out.append(style.separator);
    }
    if (t == KE) {
        if (m_out.bytes().back() != 'e')
            m_out.append('e');
    } else if (t == KF) {
        if (!hasStop)
            m_out.append('f');
    } else {
        m_out.append(style.suffix);
    }
    return false;
}

bool KRender::renderString(K x, long long maxLength, const Mark& start)
{
    const long long n = x->n;
    if (n <= 0) {
        m_out.append("\"\"");
        return false;
    }
    const unsigned char* bytes = kG(x);
    // Function source comes back as a string: shown unquoted when it is the
    // whole text.
    const bool source = x == m_rootValue && n >= 2 && bytes[n - 1] == '}'
        && (bytes[0] == '{' || (n >= 4 && std::memcmp(bytes, "k){", 3) == 0));
    const bool escape = !source && m_options.escapeSlash;
    if (n == 1)
        m_out.append("enlist ");
    if (!source)
        m_out.append('"');

    std::string& out = m_out.bytes();
    if (maxLength <= 0) {
        out.reserve(out.size() + static_cast<std::size_t>(n) + 2);
        for (long long i = 0; i < n; ++i) {
            const unsigned char c = bytes[i];
            if (c == 0)
                out.push_back(' ');
            else if (c == '\\' && escape)
                out.append("\\\\");
            else
                out.push_back(static_cast<char>(c));
        }
        m_out.addExtra(RenderBuffer::extraBytes(
            std::string_view(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(n))));
    } else {
        // One character (a whole UTF-8 sequence) at a time, so a cut never
        // splits one and the work stays in proportion to the maximum.
        long long i = 0;
        while (i < n) {
            long long len = 1;
            if (bytes[i] >= 0xC0)
                while (len < 4 && i + len < n && (bytes[i + len] & 0xC0) == 0x80)
                    ++len;
            if (len == 1) {
                const unsigned char c = bytes[i];
                if (c == 0)
                    out.push_back(' ');
                else if (c == '\\' && escape)
                    out.append("\\\\");
                else
                    out.push_back(static_cast<char>(c));
            } else {
                m_out.appendUtf8(std::string_view(reinterpret_cast<const char*>(bytes + i), static_cast<std::size_t>(len)));
            }
            i += len;
            if (m_out.lengthSince(start) > maxLength) {
                m_out.append("...");
                return true;
            }
        }
    }
    if (!source)
        m_out.append('"');
    return false;
}

bool KRender::renderGeneral(K x, int level, bool tableBody, long long maxLength, const Mark& start)
{
    const long long n = x->n;
    if (n <= 0) {
        m_out.append("()");
        return false;
    }
    const bool passBody = tableBody && level < 4;
    long long left;
    if (n == 1) {
        m_out.append("enlist ");
        if (!room(maxLength, start, left))
            return true;
        renderValue(kK(x)[0], level, passBody, -1, left);
        return false;
    }
    m_out.append('(');
    for (long long i = 0; i < n; ++i) {
        if (!room(maxLength, start, left))
            return true;
        renderValue(kK(x)[i], level, passBody, -1, left);
        if (i + 1 < n)
            m_out.append(';');
    }
    m_out.append(')');
    return false;
}

void KRender::parenthesise(std::size_t at)
{
    const std::string& out = m_out.bytes();
    const std::size_t close = out.find(')', at);
    if (out.size() > at && out[at] == '(' && close == out.size() - 1)
        return;
    m_out.insertAscii(at, "(");
    m_out.append(')');
}

bool KRender::renderDictionary(K x, int level, bool tableBody, long long maxLength, const Mark& start)
{
    if (x->n < 2 || !kK(x)[0] || !kK(x)[1]) {
        renderUnknown(x);
        return false;
    }
    K keys = kK(x)[0];
    K values = kK(x)[1];
    long long left;
    if (keys->t == XT && values->t == XT) {
        // A keyed table: both halves print as top-level tables.
        if (!room(maxLength, start, left))
            return true;
        const std::size_t at = m_out.size();
        renderValue(keys, -1, false, -1, left);
        parenthesise(at);
        m_out.append('!');
        if (!room(maxLength, start, left))
            return true;
        renderValue(values, -2, false, -1, left);
        return false;
    }

    if (!room(maxLength, start, left))
        return true;
    const std::size_t at = m_out.size();
    renderValue(keys, level, false, -1, left);
    parenthesise(at);
    m_out.append('!');
    if (values->t < 0) {
        m_out.insertAscii(start.bytes, "<Quirk(when using parted table name immediate via IPC)> ");
    } else if (tableBody && values->t == 0 && values->n > 0) {
        K first = kK(values)[0];
        if (first && first->t >= 0 && first->t <= KT && first->n > m_options.maxTableRowsAsText) {
            m_out.append("<large table skipped>");
            return false;
        }
    }
    if (!room(maxLength, start, left))
        return true;
    renderValue(values, level, false, -1, left);
    return false;
}

bool KRender::renderTable(K x, int level, long long maxLength, const Mark& start)
{
    K dict = x->k;
    if (!dict || (dict->t != XD && dict->t != SD)) {
        renderUnknown(x);
        return false;
    }
    m_out.append("flip ");
    long long left;
    if (!room(maxLength, start, left))
        return true;
    // Only a top-level table (or half of a keyed one) may skip a long body.
    renderValue(dict, level, level <= 0, -1, left);
    return false;
}

void KRender::renderFunction(K x, int level)
{
    const int t = x->t;
    switch (t) {
    case KLAMBDA: {
        // The source text as the wire carries it, whatever the lambda's namespace.
        K source = x->n == 2 ? kK(x)[1] : nullptr;
        if (!source || source->t != KC) {
            renderUnknown(x);
            return;
        }
        const auto* bytes = reinterpret_cast<const char*>(kG(source));
        const std::string_view text(bytes, static_cast<std::size_t>(std::max<J>(source->n, 0)));
        std::string& out = m_out.bytes();
        const std::size_t at = out.size();
        m_out.appendUtf8(text);
        std::replace(out.begin() + static_cast<std::ptrdiff_t>(at), out.end(), '\0', ' ');
        return;
    }
    case KUNARY: m_out.append(KPrimitives::unary(x->g)); return;
    case KBINARY: m_out.append(KPrimitives::binary(x->g)); return;
    case KTERNARY: m_out.append(KPrimitives::adverb(x->g)); return;
    case KPROJECTION: {
        const long long n = x->n;
        if (n <= 0) {
            renderUnknown(x);
            return;
        }
        const auto part = [&](K item) {
            // The elided argument of a projection is the generic null.
            if (!(item && item->t == KUNARY && item->g == 0))
                renderValue(item, level, false, -1, 0);
        };
        K first = kK(x)[0];
        const bool enlist = first && first->t == KUNARY && first->g == KPrimitives::enlistCode;
        part(first);
        m_out.append(enlist ? '(' : '[');
        for (long long i = 1; i < n; ++i) {
            if (i > 1)
                m_out.append(';');
            part(kK(x)[i]);
        }
        m_out.append(enlist ? ')' : ']');
        return;
    }
    case KCOMPOSITION: {
        const std::size_t at = m_out.size();
        const long long n = x->n;
        for (long long i = 0; i < n; ++i) {
            K item = kK(x)[i];
            renderValue(item, level, false, -1, 0);
            if (!item)
                continue;
            if (i + 1 < n && (item->t == KUNARY || item->t == KCOMPOSITION) && m_out.size() > at
                && m_out.bytes().back() == ':')
                m_out.eraseAscii(m_out.size() - 1, 1);
            if (item->t == KCOMPOSITION) {
                std::size_t pos;
                while ((pos = m_out.bytes().find("k)", at)) != std::string::npos)
                    m_out.eraseAscii(pos, 2);
            }
        }
        return;
    }
    default:
        if (!x->k) {
            renderUnknown(x);
            return;
        }
        renderValue(x->k, level, false, -1, 0);
        m_out.append(KPrimitives::derivedSuffix(t));
        return;
    }
}

void KRender::renderElement(K x, int level, long long element, long long maxLength)
{
    if (element >= x->n)
        return; // no such item: an empty cell
    const int t = x->t;
    if (t == 0) {
        K item = kK(x)[element];
        if (x == m_rootValue)
            m_rootValue = item;
        renderValue(item, level, false, -1, maxLength);
        return;
    }
    const Mark start = m_out.mark();
    const void* item = kG(x) + element * kItemSize(t);
    if (t == KC) {
        appendChar(kG(x)[element], false);
    } else if (t == KS) {
        m_out.appendUtf8(symbolText(kS(x)[element]));
    } else if (m_options.nullsAreEmpty && KItemText::isNull(t, item)) {
        return;
    } else {
        const QString local = m_options.numberLocaleFormat ? KItemText::localeText(t, item, m_options.locale) : QString();
        if (!local.isEmpty())
            m_out.appendQString(local);
        else
            appendItem(t, item, true);
    }
    if (maxLength > 0 && m_out.lengthSince(start) > maxLength)
        m_out.append("...");
}

void KRender::renderError(K x)
{
    const std::string_view text = symbolText(x->s);
    if (kdb::isLocalError(x)) {
        // Raised here (a reply that could not be decoded or held): no q signal.
        m_out.append("ERROR: ");
        m_out.appendUtf8(text);
        return;
    }
    m_out.append("ERROR: '");
    m_out.appendUtf8(text);
    m_out.append(" \n(");
    m_out.appendUtf8(QErrors::explainUtf8(text));
    m_out.append(')');
}

void KRender::renderUnknown(K x)
{
    // The low 32 bits of the count, or of the value of an atom.
    long long field = 0;
    if (x->t < 0)
        field = x->j;
    else if (x->t != XT && !(x->t >= KEACH && x->t <= KDYNLOAD)) // those hold a pointer
        field = x->n;
    const auto low = static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(field)));
    m_out.append("!TYPE:");
    m_out.append(std::to_string(x->t));
    m_out.append("!n=");
    m_out.append(std::to_string(low));
    m_out.append(' ');
}

QString renderConsole(K value, const RenderOptions& options)
{
    return KRender(options).render(value);
}
