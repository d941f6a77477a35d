// The q colouring rules applied one line at a time. The scanner state at a
// line's start (code, inside a string, inside a block comment, or in the tail
// comment that runs to the end of the text) is all a line needs from the text
// before it, so callers can re-colour from any line whose starting state they
// know. Works on UTF-16 text and on UTF-8 bytes alike: every character the
// rules look at is ASCII.
#pragma once

#include "core/colors/CDialogFontsColors.h"
#include "editor/QKeywords.h"

#include <QSet>
#include <QString>

#include <array>
#include <cstdint>
#include <utility>
#include <vector>
#include <type_traits>

enum class ScanState : std::uint8_t { Code = 0, String = 1, BlockComment = 2, TailComment = 3 };

template <typename Ch>
class LineColourer {
public:
    using E = CDialogFontsColors;

    // Colours one line (s, n characters, without its line end) that starts in
    // state `in`. sink(start, length, element) is called for coloured ranges
    // (start relative to the line); a later range over the same characters wins.
    // Returns the state at the start of the next line.
    template <typename Emit>
    static ScanState colourLine(const Ch* s, int n, ScanState in, const QSet<QString>* known, Emit&& sink)
    {
        Line<Emit> line{s, known, sink};
        return line.run(n, in);
    }

private:
    static unsigned u(Ch c) { return static_cast<std::make_unsigned_t<Ch>>(c); }

    static bool inSet(unsigned c, const char* set)
    {
        if (c >= 128)
            return false;
        for (const char* p = set; *p; ++p) {
            if (static_cast<unsigned>(*p) == c)
                return true;
        }
        return false;
    }

    static constexpr std::array<bool, 128> delimiterTable()
    {
        std::array<bool, 128> t{};
        for (const char* p = "~!@#$%^&*()-+=|\\/?<>'[]{};, \t"; *p; ++p)
            t[static_cast<unsigned char>(*p)] = true;
        return t;
    }
    static bool isDelimiter(unsigned c)
    {
        static constexpr std::array<bool, 128> table = delimiterTable();
        return c < 128 && table[c];
    }
    static bool isDigit(unsigned c) { return c >= '0' && c <= '9'; }
    static bool isLetter(unsigned c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static bool isBlank(unsigned c) { return c == ' ' || c == '\t'; }

    template <typename Emit>
    struct Line {
        const Ch* s;
        const QSet<QString>* known;
        Emit& sink;

        void out(int a, int b, int element)
        {
            if (b > a)
                sink(a, b - a, element);
        }

        bool anyOf(int a, int b, const char* set) const
        {
            for (int i = a; i < b; ++i) {
                if (inSet(u(s[i]), set))
                    return true;
            }
            return false;
        }

        // The closing quote of a string: the next quote after an even number of backslashes.
        int closingQuote(int from, int n) const
        {
            for (int i = from; i < n; ++i) {
                if (u(s[i]) != '"')
                    continue;
                int k = 0;
                while (i - 1 - k >= from && u(s[i - 1 - k]) == '\\')
                    ++k;
                if (k % 2 == 0)
                    return i;
            }
            return -1;
        }

        ScanState run(int n, ScanState in)
        {
            const bool alone = n == 1;
            switch (in) {
            case ScanState::TailComment:
                out(0, n, E::Comment);
                return ScanState::TailComment;
            case ScanState::BlockComment:
                out(0, n, E::Comment);
                return alone && u(s[0]) == '\\' ? ScanState::Code : ScanState::BlockComment;
            case ScanState::String: {
                const int q = closingQuote(0, n);
                if (q < 0) {
                    out(0, n, E::String);
                    return ScanState::String;
                }
                out(0, q + 1, E::String);
                return code(q + 1, n);
            }
            case ScanState::Code:
                break;
            }
            return code(0, n);
        }

        // Scans code from `from`; the code segment runs until a string or a comment starts.
        ScanState code(int from, int n)
        {
            int segStart = from;
            int pos = from;
            while (pos < n) {
                const unsigned c = u(s[pos]);
                if (c != '"' && c != '/' && c != '\\') {
                    ++pos;
                    continue;
                }
                if (c == '"') {
                    part(segStart, pos);
                    const int q = closingQuote(pos + 1, n);
                    if (q < 0) {
                        out(pos, n, E::String);
                        return ScanState::String;
                    }
                    out(pos, q + 1, E::String);
                    segStart = pos = q + 1;
                    continue;
                }
                if (pos == 0 && n == 1) {
                    // A lone slash opens a block comment, a lone backslash the tail comment.
                    out(0, 1, E::Comment);
                    return c == '/' ? ScanState::BlockComment : ScanState::TailComment;
                }
                if (c == '/' && (pos == 0 || isBlank(u(s[pos - 1])))) {
                    // A line comment: quotes after it open nothing.
                    part(segStart, n);
                    out(pos, n, E::Comment);
                    return ScanState::Code;
                }
                ++pos;
            }
            part(segStart, n);
            return ScanState::Code;
        }

        // A piece of a code segment within one line; it is at line start when it begins the line.
        void part(int a, int b)
        {
            if (a >= b)
                return;
            if (a == 0 && u(s[0]) == '/') {
                out(a, b, E::Comment);
                return;
            }
            if (a == 0 && u(s[0]) == '\\') {
                out(a, b, E::Command);
                return;
            }
            codeLine(a, b);
        }

        int find2(int a, int b, unsigned c1, unsigned c2) const
        {
            for (int i = a; i + 1 < b; ++i) {
                if (u(s[i]) == c1 && u(s[i + 1]) == c2)
                    return i;
            }
            return -1;
        }

        void codeLine(int a, int b)
        {
            bool blank = true;
            for (int i = a; i < b && blank; ++i)
                blank = isBlank(u(s[i]));
            if (blank)
                return;
            int i = find2(a, b, ' ', '/');
            if (i < 0)
                i = find2(a, b, '\t', '/');
            if (i >= 0) {
                out(i + 1, b, E::Comment);
                codeLine(a, i);
                return;
            }
            int p = a;
            while (p < b) {
                int t = p;
                while (t < b && isDelimiter(u(s[t])))
                    ++t;
                out(p, t, E::Operator);
                if (t >= b)
                    break;
                int e = t;
                while (e < b && !isDelimiter(u(s[e])))
                    ++e;
                token(t, e);
                p = e;
            }
        }

        int firstOf(int a, int b, unsigned c1, unsigned c2) const
        {
            for (int i = a; i < b; ++i) {
                if (u(s[i]) == c1 || u(s[i]) == c2)
                    return i;
            }
            return -1;
        }

        bool is(int a, int b, const char* text) const
        {
            int i = a;
            for (const char* p = text; *p; ++p, ++i) {
                if (i >= b || u(s[i]) != static_cast<unsigned>(*p))
                    return false;
            }
            return i == b;
        }

        // Pieces of tokens still to classify. Splits are kept here rather than
        // recursed into, so that a token of any length (a long run of colons,
        // say) cannot exhaust the stack.
        struct Piece {
            int a = 0;
            int b = 0;
            bool noSplit = false; // known to hold no underscore or backquote
        };
        struct Pending {
            std::array<Piece, 16> fixed;
            std::vector<Piece> spill;
            int used = 0;
            void push(int a, int b, bool noSplit = false)
            {
                if (used < int(fixed.size()))
                    fixed[size_t(used++)] = {a, b, noSplit};
                else
                    spill.push_back({a, b, noSplit});
            }
            bool pop(Piece& piece)
            {
                if (!spill.empty()) {
                    piece = spill.back();
                    spill.pop_back();
                    return true;
                }
                if (used == 0)
                    return false;
                piece = fixed[size_t(--used)];
                return true;
            }
        };

        void token(int a, int b)
        {
            Pending pending;
            pending.push(a, b);
            Piece piece;
            while (pending.pop(piece))
                tokenStep(piece, pending);
        }

        // Classifies one piece, or colours its head and leaves the rest pending.
        void tokenStep(const Piece& piece, Pending& pending)
        {
            const int a = piece.a;
            const int b = piece.b;
            if (a >= b)
                return;
            const unsigned c = u(s[a]);
            if (c == '`') {
                out(a, b, E::Symbol);
                return;
            }
            if (!isDigit(c)) {
                if (c == ':' || c == '_') {
                    out(a, a + 1, E::Operator);
                    pending.push(a + 1, b);
                } else if (c == '.' && b - a == 1) {
                    out(a, b, E::Operator);
                } else if (c == '.' && !anyOf(a, b, "_:abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ")) {
                    out(a, b, E::Float);
                } else if (c == '.' || isLetter(c)) {
                    const int k = firstOf(a, b, ':', '`');
                    if (k > a) {
                        pending.push(k, b);
                        pending.push(a, k);
                    } else {
                        out(a, b, nameElement(a, b));
                    }
                } else {
                    out(a, b, E::Operator);
                }
                return;
            }
            const int k = piece.noSplit ? -1 : firstOf(a, b, '_', '`');
            if (k > a) {
                pending.push(k, b);
                pending.push(a, k, true);
                return;
            }
            const int element = number(a, b, pending);
            if (element >= 0)
                out(a, b, element);
        }

        int nameElement(int a, int b) const
        {
            if (QKeywords::contains(s + a, b - a))
                return E::Keyword;
            if (known && known->contains(toQString(a, b)))
                return E::RecognizedGlobal;
            return E::Identifier;
        }

        QString toQString(int a, int b) const
        {
            if constexpr (std::is_same_v<Ch, char>)
                return QString::fromUtf8(s + a, b - a);
            else
                return QString(reinterpret_cast<const QChar*>(s + a), b - a);
        }

        // A token that starts with a digit and holds no underscore or backquote;
        // -1 when its head was coloured here and the rest left pending.
        int number(int a, int b, Pending& pending)
        {
            const int len = b - a;
            if (len == 1)
                return E::Integer;
            if (is(a, b, "0n") || is(a, b, "0w"))
                return E::Float;
            if (is(a, b, "0N") || is(a, b, "0W"))
                return E::Integer;
            const unsigned c0 = u(s[a]);
            const unsigned c1 = u(s[a + 1]);
            if (c1 == ':' && (c0 == '0' || c0 == '1' || c0 == '2')) {
                out(a, a + 2, E::Operator);
                pending.push(a + 2, b, true);
                return -1;
            }
            if (c0 == '0' && c1 == 'x')
                return anyOf(a + 2, b, ".:ghijklmnopqrstuvwxyzGHIJKLMNOPQRSTUVWXYZ") ? E::ParseError : E::Byte;
            if (anyOf(a, b, "acgkloqrsxyABCEFGHIJKLMOPQRSUVXYZ"))
                return E::ParseError;
            struct Suffix {
                char letter;
                int element;
                const char* bad;
            };
            static constexpr const char* kLetters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
            static constexpr Suffix kSuffixes[] = {
                {'b', E::Boolean, ".:23456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"},
                {'f', E::Float, ":abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"},
                {'e', E::Real, ":abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"},
                {'i', E::Integer, ".:abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"},
                {'j', E::Long, ".:abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"},
                {'h', E::Short, ".:abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"},
                {'m', E::Month, ":abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"},
                {'u', E::Minute, ".abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"},
                {'v', E::Second, ".abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"},
                {'t', E::Time, kLetters},
                {'z', E::Datetime, "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSUVWXYZ"},
                {'n', E::Timespan, "abcdefghijklmnopqrstuvwxyzABCEFGHIJKLMNOPQRSTUVWXYZ"},
                {'p', E::Timestamp, "abcdefghijklmnopqrstuvwxyzABCEFGHIJKLMNOPQRSTUVWXYZ"},
            };
            const unsigned last = u(s[b - 1]);
            for (const Suffix& sfx : kSuffixes) {
                if (last != static_cast<unsigned>(sfx.letter))
                    continue;
                const bool nullBody = sfx.letter != 'b' && b - a == 3
                    && (is(a, b - 1, "0N") || is(a, b - 1, "0n") || is(a, b - 1, "0w") || is(a, b - 1, "0W"));
                if (nullBody)
                    return sfx.element;
                return anyOf(a, b - 1, sfx.bad) ? E::ParseError : sfx.element;
            }
            return E::Integer;
        }
    };
};
