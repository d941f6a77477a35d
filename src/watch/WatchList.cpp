#include "watch/WatchList.h"

#include "core/values/KRender.h"

const QString WatchList::refusedText = QStringLiteral("Seriously?");

namespace {

const QString kSignal = QStringLiteral("`!SIGNAL!");

QString trimmed(const QString& text)
{
    auto blank = [](QChar c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
    qsizetype from = 0, to = text.size();
    while (from < to && blank(text.at(from)))
        ++from;
    while (to > from && blank(text.at(to - 1)))
        --to;
    return text.mid(from, to - from);
}

} // namespace

int WatchList::rowOf(quint64 id) const
{
    for (int row = 0; row < m_items.size(); ++row)
        if (m_items.at(row).id == id)
            return row;
    return -1;
}

void WatchList::reset(const QList<WatchItem>& items)
{
    m_items.clear();
    m_changed.clear();
    m_errors.clear();
    for (const WatchItem& item : items)
        append(item.expression, item.checked);
}

int WatchList::append(const QString& expression, bool checked)
{
    WatchItem item;
    item.expression = expression;
    item.checked = checked;
    item.id = m_nextId++;
    m_items.append(item);
    return int(m_items.size()) - 1;
}

void WatchList::remove(int row)
{
    m_items.removeAt(row);
}

void WatchList::clear()
{
    m_items.clear();
}

void WatchList::setAllChecked(bool checked)
{
    for (WatchItem& item : m_items)
        item.checked = checked;
}

void WatchList::reverseChecked()
{
    for (WatchItem& item : m_items)
        item.checked = !item.checked;
}

WatchList::AddResult WatchList::add(const QString& text, bool toggle, int* row)
{
    const QString expression = trimmed(text);
    if (expression.isEmpty())
        return AddResult::Empty;
    for (int r = 0; r < m_items.size(); ++r) {
        if (m_items.at(r).expression != expression)
            continue;
        if (row)
            *row = r;
        if (!toggle)
            return AddResult::AlreadyPresent;
        m_items.removeAt(r);
        return AddResult::ToggledOff;
    }
    const int added = append(expression, true);
    if (row)
        *row = added;
    return AddResult::Added;
}

QString WatchList::escape(const QString& expression)
{
    QString out = expression;
    out.replace(u'\\', QStringLiteral("\\\\"));
    out.replace(u'"', QStringLiteral("\\\""));
    return out;
}

WatchList::Query WatchList::buildQuery()
{
    Query query;
    QString text = QStringLiteral("(");
    for (int row = 0; row < m_items.size(); ++row) {
        WatchItem& item = m_items[row];
        if (!item.checked)
            continue;
        // "\\" ends the instance and so does exit: never sent.
        if (item.expression.contains(QStringLiteral("\\\\")) || item.expression.contains(QStringLiteral("exit"))) {
            item.expression = refusedText;
            item.checked = false;
            query.refused.append(row);
            continue;
        }
        text += QStringLiteral("@[value;\"") + escape(item.expression) + QStringLiteral("\";`$\"!SIGNAL!\",];");
        query.ids.append(item.id);
    }
    if (query.ids.isEmpty())
        return query;
    while (text.endsWith(u';'))
        text.chop(1);
    // The two constants keep the reply a general list whatever the watches give.
    text += QStringLiteral(";1;0h)");
    query.text = text;
    return query;
}

bool WatchList::applyReply(const Query& query, K reply, KRender& renderer)
{
    if (!reply || reply->t != 0 || reply->n < query.ids.size())
        return false;
    m_changed.clear();
    m_errors.clear();
    for (qsizetype k = 0; k < query.ids.size(); ++k) {
        const int row = rowOf(query.ids.at(k));
        if (row < 0)
            continue;
        WatchItem& item = m_items[row];
        const QString text = renderer.render(kK(reply)[k]);
        if (text != item.value)
            m_changed.insert(item.expression);
        if (text.startsWith(kSignal)) {
            item.value = QStringLiteral("ERROR: '") + text.mid(8);
            m_errors.insert(item.expression);
        } else {
            item.value = text;
        }
    }
    return true;
}

void WatchList::applyFailure(const Query& query, const QString& reason)
{
    m_changed.clear();
    m_errors.clear();
    const QString text = QStringLiteral("ERROR: '") + reason;
    for (quint64 id : query.ids) {
        const int row = rowOf(id);
        if (row < 0)
            continue;
        WatchItem& item = m_items[row];
        if (item.value != text)
            m_changed.insert(item.expression);
        item.value = text;
        m_errors.insert(item.expression);
    }
}

WatchList::Tint WatchList::tint(int row, int column) const
{
    const WatchItem& item = m_items.at(row);
    if (!item.checked)
        return Tint::Inactive;
    if (m_errors.contains(item.expression))
        return Tint::Error;
    if (column == ValueColumn && m_changed.contains(item.expression))
        return Tint::Changed;
    return Tint::Normal;
}
