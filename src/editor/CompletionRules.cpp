#include "editor/CompletionRules.h"

#include <algorithm>
#include <utility>
#include <vector>

const QString& CompletionRules::delimiters()
{
    static const QString text = QStringLiteral(" \n\r\t`{}[]!@#$%^&*()+-=/?\\|~<>'\":;,");
    return text;
}

CompletionRules::Word CompletionRules::wordAt(const QString& text, int caret)
{
    Word word;
    caret = std::clamp(caret, 0, int(text.size()));
    int start = caret;
    while (start > 0 && !isDelimiter(text.at(start - 1)))
        --start;
    int end = caret;
    while (end < text.size() && !isDelimiter(text.at(end)))
        ++end;
    word.head = text.mid(start, caret - start);
    word.tail = text.mid(caret, end - caret);
    word.anchorStart = start;
    word.anchorEnd = end;
    const qsizetype dot = word.head.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0) {
        word.prefix = word.head.left(dot + 1);
        word.head = word.head.mid(dot + 1);
        word.anchorStart += int(dot + 1);
    }
    return word;
}

QList<CompletionRules::Item> CompletionRules::items(const QList<CompletionName>& names, const QString& prefix)
{
    static const QString builtIn = QStringLiteral(".q.");
    QList<Item> out;
    for (const CompletionName& n : names) {
        QString text;
        if (!prefix.isEmpty()) {
            if (!n.name.startsWith(prefix) || n.name.startsWith(builtIn))
                continue;
            text = n.name.mid(prefix.size());
        } else if (n.name.startsWith(builtIn)) {
            text = n.name.mid(builtIn.size());
        } else if (n.name.startsWith(QLatin1Char('.'))) {
            continue;
        } else {
            text = n.name;
        }
        int icon = 0;
        if (n.kind == 3 || n.kind == 5)
            icon = n.kind;
        else if (n.kind == 4)
            icon = n.unresolved ? 6 : 4;
        if (n.kind == 4)
            text += n.parameters;
        out.append({text, icon});
    }
    // Sorted without regard to case. Names given in that order (name and
    // parameters) keep it under a prefix; otherwise each text is folded
    // once, not at every comparison (a list may hold every name of the instance).
    const auto caseless = [](const Item& a, const Item& b) {
        return QString::compare(a.text, b.text, Qt::CaseInsensitive) < 0;
    };
    if (std::is_sorted(out.begin(), out.end(), caseless))
        return out;
    std::vector<std::pair<QString, qsizetype>> keys;
    keys.reserve(out.size());
    for (qsizetype i = 0; i < out.size(); ++i)
        keys.emplace_back(out.at(i).text.toCaseFolded(), i);
    std::stable_sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    QList<Item> sorted;
    sorted.reserve(out.size());
    for (const auto& key : keys)
        sorted.append(std::move(out[key.second]));
    return sorted;
}

namespace {
int find(const QList<CompletionRules::Item>& items, const QString& start)
{
    int found = -1;
    for (int i = 0; i < items.size(); ++i) {
        if (!items.at(i).text.startsWith(start, Qt::CaseInsensitive))
            continue;
        if (found < 0)
            found = i;
        if (items.at(i).text.startsWith(start))
            return i; // the same case wins
    }
    return found;
}
} // namespace

int CompletionRules::bestItem(const QList<Item>& items, const QString& head, const QString& tail)
{
    int best = find(items, head);
    for (int k = 1; k <= tail.size(); ++k) {
        const int match = find(items, head + tail.left(k));
        if (match >= 0)
            best = match;
    }
    return best < 0 ? 0 : best;
}

CompletionRules::Accepted CompletionRules::accept(const QString& itemText, const QString& after, int kind,
                                                  const Word& word, int caret)
{
    Accepted result;
    result.text = itemText;
    const bool bracketFollows = after.trimmed().startsWith(QLatin1Char('[')) || after.startsWith(QLatin1Char('['));
    if (bracketFollows || kind == TypedBracket) {
        const qsizetype bracket = result.text.lastIndexOf(QLatin1Char('['));
        if (bracket >= 0)
            result.text.truncate(bracket);
    }
    if (kind < 0 || bracketFollows) {
        const int change = int(result.text.size()) - (word.anchorEnd - word.anchorStart);
        result.caret = caret + change;
    }
    return result;
}
