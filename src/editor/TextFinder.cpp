#include "editor/TextFinder.h"

namespace {

bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

// A word boundary lies between characters of different kinds, as in the editor.
bool boundary(QStringView text, qsizetype between)
{
    if (between <= 0 || between >= text.size())
        return true;
    return isWordChar(text[between - 1]) != isWordChar(text[between]);
}

Qt::CaseSensitivity caseOf(const TextFinder::Options& o) { return o.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive; }

} // namespace

bool TextFinder::matchesAt(QStringView text, qsizetype at, const Options& options)
{
    const qsizetype n = options.what.size();
    if (n == 0 || at < 0 || at > text.size() - n)
        return false;
    if (text.mid(at, n).compare(options.what, caseOf(options)) != 0)
        return false;
    return !options.wholeWord || (boundary(text, at) && boundary(text, at + n));
}

qsizetype TextFinder::forward(QStringView text, qsizetype from, const Options& options)
{
    if (options.what.isEmpty())
        return -1;
    for (qsizetype at = text.indexOf(options.what, std::max<qsizetype>(from, 0), caseOf(options)); at >= 0;
         at = text.indexOf(options.what, at + 1, caseOf(options))) {
        if (matchesAt(text, at, options))
            return at;
    }
    return -1;
}

qsizetype TextFinder::backward(QStringView text, qsizetype before, const Options& options)
{
    if (options.what.isEmpty())
        return -1;
    // lastIndexOf treats a negative start as "from the end": stop before that.
    for (qsizetype from = std::min(before, text.size()) - 1; from >= 0;) {
        const qsizetype at = text.lastIndexOf(options.what, from, caseOf(options));
        if (at < 0)
            return -1;
        if (matchesAt(text, at, options))
            return at;
        from = at - 1;
    }
    return -1;
}

TextFinder::Hit TextFinder::find(QStringView text, qsizetype selStart, qsizetype selEnd, const Options& options,
                                 bool wrap)
{
    Hit hit;
    hit.pos = options.down ? forward(text, selEnd, options) : backward(text, selStart, options);
    if (hit.pos < 0 && wrap) {
        hit.pos = options.down ? forward(text, 0, options) : backward(text, text.size(), options);
        hit.wrapped = hit.pos >= 0;
    }
    return hit;
}

QList<qsizetype> TextFinder::findAll(QStringView text, const Options& options)
{
    QList<qsizetype> hits;
    for (qsizetype at = forward(text, 0, options); at >= 0; at = forward(text, at + options.what.size(), options))
        hits << at;
    return hits;
}

QString TextFinder::replaceAll(QStringView text, const Options& options, int* count)
{
    const QList<qsizetype> hits = findAll(text, options);
    if (count)
        *count = int(hits.size());
    QString out;
    out.reserve(text.size());
    qsizetype done = 0;
    for (qsizetype at : hits) {
        out += text.mid(done, at - done);
        out += options.with;
        done = at + options.what.size();
    }
    out += text.mid(done);
    return out;
}

qsizetype TextFinder::utf8Length(QStringView text)
{
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80)
            bytes += 1;
        else if (c < 0x800)
            bytes += 2;
        else if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
            bytes += 4;
            ++i;
        } else
            bytes += 3; // a lone surrogate becomes U+FFFD, three bytes
    }
    return bytes;
}
