// The value-holding half of a grid: a table model over a kdb+ table, keyed
// table, dictionary or list. It keeps references to the value, never copies or
// pre-renders rows, and renders a cell's text only when the view asks for it.
// The display order after sorting is the only memory kept per row.
#pragma once

#include "results/grid/CResultInfo.h"
#include "results/grid/GridColors.h"

#include "core/values/KRender.h"
#include "kdb/KPtr.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class CDlgQSettings;
class Prompter;
class ReplyFacts;

class CKTableRenderer : public QAbstractTableModel {
    Q_OBJECT
public:
    // data() under this role gives a cell's background as a colour reference
    // 0x00BBGGRR; Qt::BackgroundRole and Qt::ForegroundRole give it and the
    // text colour on it as QColor.
    static constexpr int ColourRefRole = Qt::UserRole + 1;

    enum class Outcome {
        Cleared,  // no value: the grid is empty
        Same,     // the value already shown: nothing reloaded
        Shown,    // the value is shown
        NotShown, // a kind of value the grid does not show; the content is unchanged
        Refused,  // more rows than a view can hold: the grid is empty
    };

    explicit CKTableRenderer(QObject* parent = nullptr);
    ~CKTableRenderer() override;

    // The live settings, read at each use; without them the defaults apply.
    void setSettings(const CDlgQSettings* settings) { m_settings = settings; }
    void setColours(const GridColors& colours);
    const GridColors& colours() const { return m_colours; }
    void setPrompter(Prompter* prompter) { m_prompter = prompter; }
    // The main window's last query, for values given without a record.
    void setRecordSource(std::function<CResultInfo()> source) { m_recordSource = std::move(source); }
    // A chart dialog plotting this grid; told when the value is replaced. It
    // implements GridChartBinding.
    void bindChart(QObject* chart) { m_chart = chart; }
    QObject* boundChart() const { return m_chart; }

    // underlying: for a cell sent from a grid, the object it came from, which
    // then stays the underlying object (it may be held only by this grid).
    // facts: what was found of a reply on its worker (ignored unless they
    // are of value); kept while the value is shown.
    Outcome setValue(K value, const CResultInfo* record = nullptr, K underlying = nullptr,
                     std::shared_ptr<const ReplyFacts> facts = {});
    void addTable(K table, const QString& title, K underlying, const CResultInfo* record);
    void clear();
    // Replaces the underlying object only; what is shown stays.
    void setUnderlyingObject(K value) { m_underlying = KPtr(value ? r1(value) : nullptr); }

    K shownValue() const { return m_shown.get(); }
    // Found of the shown value on the worker that decoded it; null when none were.
    const ReplyFacts* facts() const { return m_facts.get(); }
    K firstTable() const { return m_first.get(); }
    K secondTable() const { return m_second.get(); }
    K underlyingObject() const { return m_underlying.get(); }
    // The underlying object, or the first table when there is none.
    K valueToSend() const { return m_underlying ? m_underlying.get() : m_first.get(); }
    bool isEmpty() const { return !m_first; }
    const QString& title() const { return m_title; }
    // title + ":" + row count.
    QString label() const;
    const CResultInfo& record() const { return m_record; }
    bool hasNumberColumn() const { return m_numberColumn; }
    int indexNumbering() const { return m_indexNumbering; }
    // Columns of the key table of a keyed table (or of a dictionary's key
    // table), 0 otherwise.
    int keyColumnCount() const;

    // A copy for reading off the window's thread while this one goes on
    // changing (an export): it shares the value, keeps the display order,
    // reads its own copy of the settings and asks no questions. Create and
    // delete it on the window's thread.
    std::unique_ptr<CKTableRenderer> detachedCopy() const;

    // Sorting. Sections are model columns, the number column included.
    // A click on the number column does nothing and returns false; on the sort
    // column it cycles ascending, descending, none; on another it sorts ascending.
    bool clickHeader(int section);
    void sortBy(int section, int direction);
    int sortSection() const;
    int sortDirection() const { return m_sortDirection; }
    // Filtering: the value rows shown, in display order (a subsequence of the
    // sort order); null shows every row. Sorting keeps the shown rows sorted.
    void setFilteredRows(std::shared_ptr<const std::vector<std::int32_t>> rows);
    bool isFiltered() const { return m_filtered != nullptr; }
    // Rows of the value; rowCount() gives the rows shown.
    int totalRows() const { return m_totalRows; }
    // The sort order of every value row (null: the value's own order), for
    // reading on another thread: sorting replaces it rather than change it.
    std::shared_ptr<const std::vector<std::int32_t>> order() const;
    RenderOptions renderOptions() const;
    long long cellCharsLimit() const;

    // The value row shown at a display row, and back (-1 when not shown).
    std::int32_t valueRow(int displayRow) const;
    // Display rows of value rows, in the same order as given.
    std::vector<int> displayRows(const std::vector<std::int32_t>& valueRows) const;

    // The column vector of a section; null for the number column.
    K columnVector(int section) const;
    // The item of a general-list column at a cell (a nested value), else null.
    K nestedItem(int row, int section) const;
    QString cellText(int row, int section) const;
    // maxLength as QCellCharsLimit: 0 unbounded.
    QString cellText(int row, int section, long long maxLength) const;
    // The text of the cell of a value row (in the value's own order).
    QString valueCellText(long long valueRow, int section) const;
    // The text a cell of a real or float column would show for value; empty
    // for other columns.
    QString floatingText(int section, double value) const;
    int floatPrecision() const;
    std::uint32_t cellColour(int row, int section) const;
    // The Shift tooltip of a cell; empty for the number column.
    QString tooltipText(int row, int section) const;
    QString headerText(int section) const;

    // The current cell: of the last right click, double click or tooltip.
    void setCurrentCell(int row, int section);
    int currentRow() const { return m_currentRow; }
    int currentSection() const { return m_currentSection; }
    bool hasCurrentCell() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // "©¬ ": marks the key columns of a keyed table.
    static QString keyPrefix() { return QStringLiteral("\u00A9\u00AC "); }
    static constexpr int headerChars = 10000;

signals:
    // Sorting changed the display order (after layoutChanged).
    void sorted();
    // A new value (or none) replaced what was shown; filters no longer apply.
    void contentReplaced();

private:
    // One model reset however many adds and clears happen inside, since views
    // pay for every reset in proportion to the rows.
    struct ResetScope {
        explicit ResetScope(CKTableRenderer& grid);
        ~ResetScope();
        CKTableRenderer& grid;
    };

    Outcome load(K value, const CResultInfo* record);
    // A section as (table, column of that table); false for the number column.
    bool locate(int section, K& column) const;
    int dataColumns() const;
    const CDlgQSettings& settings() const;
    bool refuseRows(long long rows);
    void resetSorting();

    const CDlgQSettings* m_settings = nullptr;
    std::shared_ptr<const CDlgQSettings> m_ownSettings; // a detached copy's
    GridColors m_colours;
    Prompter* m_prompter = nullptr;
    std::function<CResultInfo()> m_recordSource;
    QPointer<QObject> m_chart;

    KPtr m_shown;      // the value given to set value
    std::shared_ptr<const ReplyFacts> m_facts;    // of m_shown
    std::shared_ptr<const ReplyFacts> m_incoming; // of the value being loaded
    KPtr m_first;
    KPtr m_second;
    KPtr m_underlying;
    long long m_firstColumns = 0; // columns of the first table
    long long m_secondColumns = 0;
    QStringList m_headers; // number column included
    QString m_title;
    int m_rows = 0;      // rows shown
    int m_totalRows = 0; // rows of the value
    bool m_refused = false; // the last add had more rows than a view can hold
    CResultInfo m_record;
    bool m_numberColumn = false;
    int m_indexNumbering = 0;
    int m_sortColumn = -1; // into the tables' columns
    int m_sortDirection = 0;
    std::shared_ptr<std::vector<std::int32_t>> m_order;           // null: identity
    std::shared_ptr<const std::vector<std::int32_t>> m_filtered; // null: not filtered
    int m_currentRow = -1;
    int m_currentSection = -1;
    mutable KRender m_render;
    int m_resetDepth = 0;
};
