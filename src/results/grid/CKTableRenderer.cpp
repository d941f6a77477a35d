#include "results/grid/CKTableRenderer.h"

#include "results/grid/GridChartBinding.h"
#include "results/grid/GridSort.h"
#include "results/grid/TableColumns.h"

#include "core/Prompter.h"
#include "core/values/ReplyFacts.h"
#include "kdb/ScanCount.h"
#include "core/settings/CDlgQSettings.h"
#include "core/values/ValueCatalogue.h"

#include <QColor>

#include <algorithm>
#include <climits>
#include <optional>
#include <cstring>

namespace {

// A one-column table name!column; takes the column.
K oneColumnTable(const char* name, K column)
{
    K names = ktn(KS, 1);
    kS(names)[0] = ss(name);
    return xT(xD(names, knk(1, column)));
}

// A two-column table; takes the columns.
K twoColumnTable(const char* first, K a, const char* second, K b)
{
    K names = ktn(KS, 2);
    kS(names)[0] = ss(first);
    kS(names)[1] = ss(second);
    return xT(xD(names, knk(2, a, b)));
}

// The word after the type, as a tooltip counts it: the length of a list, the
// payload of an atom; 0 where the word holds an address.
long long countWord(K x)
{
    const int t = x->t;
    if (t >= 0)
        return t == XT || (t >= KEACH && t <= KDYNLOAD) || (t >= KUNARY && t <= KTERNARY) ? 0 : x->n;
    switch (-t) {
    case KB: case KG: case KC: return x->g;
    case KH: return x->h;
    case KI: case KM: case KD: case KU: case KV: case KT: return x->i;
    case KE: {
        std::uint32_t bits;
        std::memcpy(&bits, &x->e, sizeof bits);
        return bits;
    }
    case KJ: case KF: case KP: case KZ: case KN: return x->j;
    case UU: return 1;
    default: return t >= -76 && t <= -20 ? x->j : 0; // an enumerated index, or an address
    }
}

QColor colourOf(std::uint32_t ref) { return QColor(GridColors::red(ref), GridColors::green(ref), GridColors::blue(ref)); }

QString typeText(const char* what, K x)
{
    QString text = QStringLiteral("%1:\n type:%2h (%3)\n count:%4")
                       .arg(QLatin1String(what))
                       .arg(int(x->t))
                       .arg(ValueCatalogue::typeName(x->t))
                       .arg(countWord(x));
    const char attr = x->t >= 0 ? ValueCatalogue::attributeLetter(static_cast<unsigned char>(x->u)) : 0;
    if (attr)
        text += QStringLiteral("\nattr: `%1# (%2)").arg(QLatin1Char(attr)).arg(ValueCatalogue::attributeName(QLatin1Char(attr)));
    return text;
}

} // namespace

CKTableRenderer::CKTableRenderer(QObject* parent) : QAbstractTableModel(parent) {}

CKTableRenderer::ResetScope::ResetScope(CKTableRenderer& g) : grid(g)
{
    if (grid.m_resetDepth++ == 0)
        grid.beginResetModel();
}

CKTableRenderer::ResetScope::~ResetScope()
{
    if (--grid.m_resetDepth == 0)
        grid.endResetModel();
}

CKTableRenderer::~CKTableRenderer() = default;

const CDlgQSettings& CKTableRenderer::settings() const
{
    static const CDlgQSettings defaults;
    return m_settings ? *m_settings : defaults;
}

void CKTableRenderer::setColours(const GridColors& colours)
{
    m_colours = colours;
    if (m_rows > 0 && !m_headers.isEmpty())
        emit dataChanged(index(0, 0), index(m_rows - 1, int(m_headers.size()) - 1),
                         {ColourRefRole, Qt::BackgroundRole, Qt::ForegroundRole});
}

CKTableRenderer::Outcome CKTableRenderer::setValue(K value, const CResultInfo* record, K underlying,
                                                   std::shared_ptr<const ReplyFacts> facts)
{
    // The record and the underlying object may belong to this grid (a cell of
    // the Grid View sent to itself): keep them through the clear below.
    KPtr keptUnderlying(underlying ? r1(underlying) : nullptr);
    std::optional<CResultInfo> keptRecord;
    if (record) {
        keptRecord = *record;
        record = &*keptRecord;
    }
    m_incoming = facts && facts->isOf(value) ? std::move(facts) : nullptr;
    const Outcome outcome = load(value, record);
    if (outcome == Outcome::Shown)
        m_facts = std::move(m_incoming);
    m_incoming.reset();
    if (keptUnderlying && (outcome == Outcome::Shown || outcome == Outcome::Same))
        m_underlying = std::move(keptUnderlying);
    return outcome;
}

CKTableRenderer::Outcome CKTableRenderer::load(K value, const CResultInfo* record)
{
    if (auto* chart = qobject_cast<GridChartBinding*>(m_chart.data()))
        chart->gridDataChanged();
    if (!value) {
        clear();
        return Outcome::Cleared;
    }
    if (value == m_shown.get())
        return Outcome::Same;
    const int t = value->t;
    const bool shown = (t == XT && !TableColumns::isSplayedReference(value))
        || ((t == XD || t == SD) && value->n == 2 && kK(value)[0] && kK(value)[1]) || (t >= 0 && t <= KT);
    if (!shown)
        return Outcome::NotShown;
    // Held through clear(): the value may be the one being released.
    KPtr held(r1(value));
    ResetScope reset(*this);
    if (t == XT) {
        clear();
        addTable(value, QStringLiteral("Table"), value, record);
    } else if (t == XD || t == SD) {
        K keys = kK(value)[0], values = kK(value)[1];
        const bool keyTable = keys->t == XT, valueTable = values->t == XT;
        const QString dict = QStringLiteral("Dict");
        if (keyTable && valueTable) {
            clear();
            addTable(keys, QStringLiteral("Table"), value, record);
            addTable(values, QStringLiteral("Table"), value, record);
        } else if (keyTable) {
            KPtr valueColumn(oneColumnTable("value", r1(values)));
            clear();
            addTable(keys, dict, value, record);
            addTable(valueColumn.get(), dict, value, record);
        } else if (valueTable) {
            KPtr keyColumn(oneColumnTable("key", r1(keys)));
            clear();
            addTable(keyColumn.get(), dict, value, record);
            addTable(values, dict, value, record);
        } else {
            KPtr pairs(twoColumnTable("key", r1(keys), "value", r1(values)));
            clear();
            addTable(pairs.get(), dict, value, record);
        }
    } else if (t >= 0 && t <= KT) {
        clear();
        // Checked before the index column is built: it has an int per item.
        if (refuseRows(value->n)) {
            m_title = QStringLiteral("List");
            return Outcome::Refused;
        }
        // The index column comes made with the reply's facts; otherwise it is made here.
        K index = m_incoming && m_incoming->listIndex() && m_incoming->listIndex()->n == value->n
                      ? r1(m_incoming->listIndex())
                      : nullptr;
        if (!index) {
            index = ktn(KI, value->n);
            for (J i = 0; i < value->n; ++i)
                kI(index)[i] = static_cast<I>(i);
            kdb::ScanCount::add(value->n);
        }
        KPtr list(twoColumnTable("index", index, "value", r1(value)));
        addTable(list.get(), QStringLiteral("List"), value, record);
    }
    if (!m_first || m_refused)
        return Outcome::Refused;
    m_shown = std::move(held);
    return Outcome::Shown;
}

bool CKTableRenderer::refuseRows(long long rows)
{
    if (rows <= INT_MAX)
        return false;
    if (m_prompter)
        m_prompter->inform(QStringLiteral("Failed to set count of CListCtrl.\nMost probably you went over 100Mil rows "
                                          "limit of the control.\nNo results will be shown, try requesting less results."),
                           QStringLiteral("Tovo"), Prompter::Icon::Warning);
    return true;
}

void CKTableRenderer::addTable(K table, const QString& title, K underlying, const CResultInfo* record)
{
    if (!table)
        return;
    const CDlgQSettings& s = settings();
    if (record) {
        m_record = *record;
    } else {
        m_record = m_recordSource ? m_recordSource() : CResultInfo();
        m_record.received = CResultInfo::receivedNow();
    }

    ResetScope reset(*this);
    m_underlying = KPtr(underlying ? r1(underlying) : nullptr);
    const TableColumns columns(table);
    const bool second = static_cast<bool>(m_first);
    if (second) {
        m_second = KPtr(r1(table));
        m_secondColumns = columns.count;
        m_headers = m_headers.mid(0, int(m_numberColumn) + int(m_firstColumns));
        for (qsizetype i = m_numberColumn ? 1 : 0; i < m_headers.size(); ++i)
            if (!m_headers[i].startsWith(keyPrefix())) // a replaced second table marked them already
                m_headers[i] = keyPrefix() + m_headers[i].left(headerChars);
    } else {
        m_first = KPtr(r1(table));
        m_firstColumns = columns.count;
        m_numberColumn = s.AddNumColumn;
        m_indexNumbering = s.QColNI;
        m_headers.clear();
        if (m_numberColumn)
            m_headers << (m_indexNumbering == 1 ? QStringLiteral("#i") : QStringLiteral("#"));
    }
    for (long long i = 0; i < columns.count; ++i)
        m_headers << m_render.render(columns.names, -1, false, i, 0);

    const TableColumns firstColumns(m_first.get());
    K firstColumn = firstColumns.column(0);
    long long rows = 0;
    m_title = title;
    if (firstColumn && firstColumn->t >= 0 && firstColumn->t <= KT) {
        rows = firstColumn->n;
    } else if (firstColumn) {
        rows = 1;
        m_title += QStringLiteral("(Quirked)");
    }
    m_refused = refuseRows(rows);
    m_rows = m_totalRows = m_refused ? 0 : static_cast<int>(rows);
    resetSorting();
    emit contentReplaced();
}

void CKTableRenderer::clear()
{
    ResetScope reset(*this);
    m_shown.reset();
    m_facts.reset();
    m_first.reset();
    m_second.reset();
    m_underlying.reset();
    m_firstColumns = m_secondColumns = 0;
    m_headers.clear();
    m_title.clear();
    m_rows = m_totalRows = 0;
    m_refused = false;
    m_currentRow = m_currentSection = -1;
    resetSorting();
    emit contentReplaced();
}

void CKTableRenderer::resetSorting()
{
    m_order.reset();
    m_filtered.reset();
    m_rows = m_totalRows;
    m_sortColumn = -1;
    m_sortDirection = 0;
}

QString CKTableRenderer::label() const
{
    return m_title + QLatin1Char(':') + QString::number(m_totalRows);
}

int CKTableRenderer::keyColumnCount() const
{
    return m_second ? static_cast<int>(m_firstColumns) : 0;
}

int CKTableRenderer::dataColumns() const
{
    return static_cast<int>(m_firstColumns + m_secondColumns);
}

bool CKTableRenderer::locate(int section, K& column) const
{
    column = nullptr;
    const int col = section - int(m_numberColumn);
    if (col < 0 || col >= dataColumns())
        return false;
    if (m_second && col >= m_firstColumns)
        column = TableColumns(m_second.get()).column(col - m_firstColumns);
    else
        column = TableColumns(m_first.get()).column(col);
    return true;
}

K CKTableRenderer::columnVector(int section) const
{
    K column;
    return locate(section, column) ? column : nullptr;
}

std::int32_t CKTableRenderer::valueRow(int displayRow) const
{
    if (displayRow < 0 || displayRow >= m_rows)
        return -1;
    if (m_filtered)
        return (*m_filtered)[static_cast<std::size_t>(displayRow)];
    return m_order ? (*m_order)[static_cast<std::size_t>(displayRow)] : displayRow;
}

std::vector<int> CKTableRenderer::displayRows(const std::vector<std::int32_t>& valueRows) const
{
    std::vector<int> shown(valueRows.size(), -1);
    const std::vector<std::int32_t>* order = m_filtered ? m_filtered.get() : m_order.get();
    if (!order) {
        for (std::size_t i = 0; i < valueRows.size(); ++i)
            shown[i] = valueRows[i] >= 0 && valueRows[i] < m_rows ? valueRows[i] : -1;
        return shown;
    }
    std::vector<std::int32_t> inverse(static_cast<std::size_t>(m_totalRows), -1);
    for (std::size_t d = 0; d < order->size(); ++d)
        inverse[static_cast<std::size_t>((*order)[d])] = static_cast<std::int32_t>(d);
    for (std::size_t i = 0; i < valueRows.size(); ++i)
        if (valueRows[i] >= 0 && valueRows[i] < m_totalRows)
            shown[i] = inverse[static_cast<std::size_t>(valueRows[i])];
    return shown;
}

bool CKTableRenderer::clickHeader(int section)
{
    const int col = section - int(m_numberColumn);
    if (col < 0 || col >= dataColumns())
        return false;
    int direction = 1;
    if (col == m_sortColumn)
        direction = m_sortDirection == 1 ? -1 : m_sortDirection == -1 ? 0 : 1;
    sortBy(section, direction);
    return true;
}

void CKTableRenderer::sortBy(int section, int direction)
{
    K column;
    if (!locate(section, column))
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    m_sortColumn = section - int(m_numberColumn);
    m_sortDirection = direction < 0 ? -1 : direction > 0 ? 1 : 0;
    const RenderOptions options = RenderOptions::from(settings());
    if (m_sortDirection == 0) {
        m_order.reset();
    } else {
        // A filter run may be reading the order: it keeps the old one.
        if (!m_order) {
            m_order = std::make_shared<std::vector<std::int32_t>>(static_cast<std::size_t>(m_totalRows));
            for (int i = 0; i < m_totalRows; ++i)
                (*m_order)[static_cast<std::size_t>(i)] = i;
        } else if (m_order.use_count() > 1) {
            m_order = std::make_shared<std::vector<std::int32_t>>(*m_order);
        }
        GridSort::sort(column, *m_order, m_sortDirection, options);
    }
    if (m_filtered) {
        // The shown rows are a subsequence of the order; sorted alone, stably,
        // they come out as the new order's subsequence.
        auto filtered = std::make_shared<std::vector<std::int32_t>>(*m_filtered);
        if (m_sortDirection == 0)
            std::sort(filtered->begin(), filtered->end());
        else
            GridSort::sort(column, *filtered, m_sortDirection, options);
        m_filtered = std::move(filtered);
    }
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    emit sorted();
}

int CKTableRenderer::sortSection() const
{
    return m_sortColumn < 0 ? -1 : m_sortColumn + int(m_numberColumn);
}

K CKTableRenderer::nestedItem(int row, int section) const
{
    const std::int32_t p = valueRow(row);
    K column = columnVector(section);
    if (p < 0 || !column || column->t != 0 || p >= column->n)
        return nullptr;
    return kK(column)[p];
}

QString CKTableRenderer::cellText(int row, int section) const
{
    return cellText(row, section, settings().QCellCharsLimit);
}

QString CKTableRenderer::cellText(int row, int section, long long maxLength) const
{
    const std::int32_t p = valueRow(row);
    if (p < 0)
        return {};
    if (m_numberColumn && section == 0)
        return QString::number(m_indexNumbering == 1 ? p : row);
    K column = columnVector(section);
    if (!column || p >= TableColumns::length(column))
        return {};
    m_render.updateOptions(settings());
    return m_render.render(column, -1, false, p, maxLength);
}

QString CKTableRenderer::valueCellText(long long valueRow, int section) const
{
    K column = columnVector(section);
    if (!column || valueRow < 0 || valueRow >= TableColumns::length(column))
        return {};
    m_render.updateOptions(settings());
    return m_render.render(column, -1, false, valueRow, static_cast<long long>(settings().QCellCharsLimit));
}

std::unique_ptr<CKTableRenderer> CKTableRenderer::detachedCopy() const
{
    auto copy = std::make_unique<CKTableRenderer>();
    copy->m_ownSettings = std::make_shared<const CDlgQSettings>(settings());
    copy->m_settings = copy->m_ownSettings.get();
    copy->m_colours = m_colours;
    copy->m_shown = m_shown;
    copy->m_first = m_first;
    copy->m_second = m_second;
    copy->m_underlying = m_underlying;
    copy->m_firstColumns = m_firstColumns;
    copy->m_secondColumns = m_secondColumns;
    copy->m_headers = m_headers;
    copy->m_title = m_title;
    copy->m_rows = m_rows;
    copy->m_totalRows = m_totalRows;
    copy->m_refused = m_refused;
    copy->m_record = m_record;
    copy->m_numberColumn = m_numberColumn;
    copy->m_indexNumbering = m_indexNumbering;
    copy->m_sortColumn = m_sortColumn;
    copy->m_sortDirection = m_sortDirection;
    copy->m_order = m_order;
    copy->m_filtered = m_filtered;
    return copy;
}

QString CKTableRenderer::floatingText(int section, double value) const
{
    K column = columnVector(section);
    if (!column || (column->t != KE && column->t != KF))
        return {};
    KPtr item(ktn(column->t, 1));
    if (!item)
        return {};
    if (column->t == KE)
        kE(item.get())[0] = static_cast<float>(value);
    else
        kF(item.get())[0] = value;
    m_render.updateOptions(settings());
    return m_render.render(item.get(), -1, false, 0, static_cast<long long>(settings().QCellCharsLimit));
}

int CKTableRenderer::floatPrecision() const { return settings().QFloatPrecision; }

std::uint32_t CKTableRenderer::cellColour(int row, int section) const
{
    if (m_numberColumn && section == 0)
        return m_colours.evenRows;
    const bool odd = row % 2 != 0;
    if (section - int(m_numberColumn) < keyColumnCount())
        return odd ? m_colours.keyOddRows : m_colours.keyEvenRows;
    return odd ? m_colours.oddRows : m_colours.evenRows;
}

QString CKTableRenderer::tooltipText(int row, int section) const
{
    if (valueRow(row) < 0)
        return {};
    if (K item = nestedItem(row, section))
        return typeText("Cell", item);
    if (K column = columnVector(section))
        return typeText("Column", column);
    return {};
}

QString CKTableRenderer::headerText(int section) const
{
    if (section < 0 || section >= m_headers.size())
        return {};
    return m_headers[section].left(headerChars);
}

void CKTableRenderer::setCurrentCell(int row, int section)
{
    m_currentRow = row;
    m_currentSection = section;
}

bool CKTableRenderer::hasCurrentCell() const
{
    return m_currentRow >= 0 && m_currentRow < m_rows && m_currentSection >= 0 && m_currentSection < m_headers.size();
}

int CKTableRenderer::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int CKTableRenderer::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_headers.size());
}

QVariant CKTableRenderer::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return cellText(index.row(), index.column());
    switch (role) {
    case ColourRefRole: return QVariant::fromValue(cellColour(index.row(), index.column()));
    case Qt::BackgroundRole: return colourOf(cellColour(index.row(), index.column()));
    case Qt::ForegroundRole: return colourOf(GridColors::textOn(cellColour(index.row(), index.column())));
    default: return {};
    }
}

QVariant CKTableRenderer::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return headerText(section);
    return {};
}

void CKTableRenderer::setFilteredRows(std::shared_ptr<const std::vector<std::int32_t>> rows)
{
    if (!rows && !m_filtered)
        return;
    ResetScope reset(*this);
    m_filtered = std::move(rows);
    m_rows = m_filtered ? static_cast<int>(m_filtered->size()) : m_totalRows;
    m_currentRow = m_currentSection = -1;
}

std::shared_ptr<const std::vector<std::int32_t>> CKTableRenderer::order() const { return m_order; }

RenderOptions CKTableRenderer::renderOptions() const { return RenderOptions::from(settings()); }

long long CKTableRenderer::cellCharsLimit() const { return settings().QCellCharsLimit; }
