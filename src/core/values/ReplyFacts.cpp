#include "core/values/ReplyFacts.h"

#include "kdb/ScanCount.h"
#include "kdb/Serializer.h"

#include <string>

std::shared_ptr<const ReplyFacts> ReplyFacts::of(K reply)
{
    auto facts = std::make_shared<ReplyFacts>();
    facts->m_reply = reply;
    if (!reply)
        return facts;
    std::size_t size = 0;
    std::string error;
    if (kdb::Serializer::valueSize(reply, 3, size, error))
        facts->m_messageSize = static_cast<std::int64_t>(size) + 8;
    const int t = reply->t;
    if (t == XT) {
        facts->addColumns(reply);
    } else if ((t == XD || t == SD) && reply->n == 2 && kK(reply)[0] && kK(reply)[1]) {
        facts->addColumns(kK(reply)[0]);
        facts->addColumns(kK(reply)[1]);
    } else if (t >= 0 && t <= KT && reply->n <= 0x7fffffff) {
        // The grid shows a list as an index column beside it.
        K index = ktn(KI, reply->n);
        for (J i = 0; i < reply->n; ++i)
            kI(index)[i] = static_cast<I>(i);
        kdb::ScanCount::add(reply->n);
        facts->m_listIndex = KPtr(index);
        facts->addColumn(index);
        facts->addColumn(reply);
    }
    return facts;
}

const ColumnExtremes::Found* ReplyFacts::extremes(K column) const
{
    for (const auto& [vector, found] : m_columns)
        if (vector == column)
            return &found;
    return nullptr;
}

void ReplyFacts::addColumn(K column)
{
    if (ColumnExtremes::applies(column) && !extremes(column))
        m_columns.emplace_back(column, ColumnExtremes::find(column));
}

void ReplyFacts::addColumns(K value)
{
    if (value->t != XT) {
        if (value->t >= 0 && value->t <= KT)
            addColumn(value);
        return;
    }
    K columns = kK(value->k)[1];
    if (columns->t != 0)
        return;
    for (J i = 0; i < columns->n; ++i)
        addColumn(kK(columns)[i]);
}
