#include "explorer/CQTable.h"

#include "explorer/ElementSizes.h"
#include "explorer/KReplyAccess.h"

#include "core/values/KRender.h"

CQTable::CQTable(QString nameSpace, QString shortName, K meta, int storage, std::int64_t count,
                 std::int64_t serialisedSize)
    : CQEntity(std::move(nameSpace), std::move(shortName), storage == KeyedInMemory ? 99 : 98)
    , m_storage(storage)
{
    m_count = count;
    m_serialisedSize = serialisedSize;
    if (meta && meta->t == -KS) {
        m_note = renderConsole(meta, RenderOptions());
        return;
    }
    readMeta(meta);
    // A column without an element size (strings, nested lists) counts as -1
    // byte: the estimate stays an underestimate, as its description says.
    std::int64_t width = 0;
    for (const QString& letter : m_types)
        width += letter.isEmpty() ? -1 : ElementSizes::ofLetter(letter.at(0));
    m_rowWidth = width;
    if (count > 0)
        m_sizeEstimate = count * width;
    else if (count == -13)
        m_sizeEstimate = -13;
}

void CQTable::readMeta(K meta)
{
    // meta is a keyed table: keys ([] c), values ([] t f a).
    const K keys = KReplyAccess::keyedPart(meta, true);
    const K values = KReplyAccess::keyedPart(meta, false);
    const K c = KReplyAccess::column(keys, "c");
    const K t = KReplyAccess::column(values, "t");
    const K f = KReplyAccess::column(values, "f");
    const K a = KReplyAccess::column(values, "a");
    const J rows = c ? c->n : 0;
    for (J i = 0; i < rows; ++i) {
        m_columns << KReplyAccess::itemText(c, i);
        m_types << KReplyAccess::itemText(t, i);
        m_foreignKeys << KReplyAccess::itemText(f, i);
        m_attributes << KReplyAccess::itemText(a, i);
    }
}

QString CQTable::storageText(int storage)
{
    switch (storage) {
    case InMemory: return QStringLiteral("In-memory");
    case KeyedInMemory: return QStringLiteral("Keyed (in-memory)");
    case OnDisk: return QStringLiteral("On disk");
    case Splayed: return QStringLiteral("Splayed (on disk)");
    case Partitioned: return QStringLiteral("Partitioned (on disk)");
    case Segmented: return QStringLiteral("Segmented (on disk)");
    default: return {};
    }
}

int CQTable::storageOf(int type, int storageCode)
{
    if (type == 99)
        return KeyedInMemory;
    if (type != 98)
        return OnDisk;
    switch (storageCode) {
    case 1: return InMemory;
    case 2: return Splayed;
    case 3: return Partitioned;
    default: return OnDisk;
    }
}
