#include "results/grid/COutputTable.h"

#include "core/commands/CommandHandlers.h"
#include "core/commands/CommandIds.h"

#include "results/grid/CGridFilterHeader.h"
#include "core/values/ColumnExtremes.h"
#include "core/values/ReplyFacts.h"
#include "results/grid/TextWidths.h"
#include "results/grid/GridFilterRunner.h"
#include "results/grid/GridRowWindow.h"

#include "core/settings/CDlgQSettings.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QHelpEvent>
#include <QItemSelection>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <QSignalBlocker>
#include <QToolTip>

#include <algorithm>
#include <optional>

namespace {

const CDlgQSettings& settingsOrDefaults(const CDlgQSettings* settings)
{
    static const CDlgQSettings defaults;
    return settings ? *settings : defaults;
}

// Menu texts take "&" as a mnemonic mark; a cell's own "&" stays a character.
QString menuLiteral(QString text)
{
    return text.replace(QLatin1Char('&'), QLatin1String("&&"));
}

} // namespace

COutputTable::COutputTable(Place place, QWidget* parent)
    : QTableView(parent), m_place(place), m_renderer(new CKTableRenderer(this)),
      m_window(new GridRowWindow(m_renderer, this)), m_filterHeader(new CGridFilterHeader(this)),
      m_filter(new GridFilterRunner(m_renderer, this))
{
    setModel(m_window);
    setHorizontalHeader(m_filterHeader);
    connect(m_filterHeader, &CGridFilterHeader::filterEdited, m_filter, &GridFilterRunner::setText);
    connect(m_filterHeader, &CGridFilterHeader::leaveRequested, this, [this] { setFocus(Qt::OtherFocusReason); });
    connect(m_filter, &GridFilterRunner::applied, this, &COutputTable::onFilterApplied);
    connect(m_filter, &GridFilterRunner::textsCleared, m_filterHeader, &CGridFilterHeader::clearBoxes);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, m_filterHeader, &CGridFilterHeader::placeBoxes);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &COutputTable::statusChanged);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, &COutputTable::statusChanged);
    connect(m_renderer, &QAbstractItemModel::layoutChanged, this, &COutputTable::statusChanged);
    m_window->setSelection(&m_selected);
    connect(m_window, &QAbstractItemModel::modelReset, this, &COutputTable::onReset);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    setContextMenuPolicy(Qt::DefaultContextMenu);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionsMovable(true);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    horizontalHeader()->setHighlightSections(false);
    applyRowHeight();
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &COutputTable::onHeaderClicked);
}

void COutputTable::setSettings(const CDlgQSettings* settings)
{
    m_settings = settings;
    m_renderer->setSettings(settings);
}

void COutputTable::setGridFont(const QFont& font)
{
    setFont(font);
    applyRowHeight();
}

void COutputTable::applyRowHeight()
{
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
}

CKTableRenderer::Outcome COutputTable::setValue(K value, const CResultInfo* record, K underlying,
                                                std::shared_ptr<const ReplyFacts> facts)
{
    const auto outcome = m_renderer->setValue(value, record, underlying, std::move(facts));
    switch (outcome) {
    case CKTableRenderer::Outcome::Cleared:
        emit cleared();
        break;
    case CKTableRenderer::Outcome::Same:
        if (m_place == Place::GridView)
            emit showRequested();
        break;
    case CKTableRenderer::Outcome::NotShown:
        break;
    case CKTableRenderer::Outcome::Shown:
    case CKTableRenderer::Outcome::Refused: {
        if (outcome == CKTableRenderer::Outcome::Shown && m_place == Place::OutputPane)
            emit valueShown(m_renderer->valueToSend(), m_renderer->record());
        syncSortIndicator();
        autoSizeColumns();
        // Loaded is told once the view has settled, as a posted message; the
        // focus goes back where it was when the value came.
        const QString label = m_renderer->label();
        QPointer<QWidget> focus = QApplication::focusWidget();
        QMetaObject::invokeMethod(
            this,
            [this, label, focus] {
                emit loaded(label);
                if (m_place == Place::GridView)
                    emit showRequested();
                viewport()->update();
                if (focus)
                    focus->setFocus();
            },
            Qt::QueuedConnection);
        break;
    }
    }
    return outcome;
}

void COutputTable::clear()
{
    m_renderer->clear();
    syncSortIndicator();
    emit cleared();
}

void COutputTable::autoSizeColumns()
{
    const bool updates = updatesEnabled();
    setUpdatesEnabled(false);
    sizeColumnsToSample();
    widenForLastRows();
    setUpdatesEnabled(updates);
}

void COutputTable::sizeColumnsToSample()
{
    // As the view's own sizing to contents measures them (the header and the
    // rows it samples from the top), but the texts' widths are estimated
    // from their characters and only the widest measured whole: the view's
    // delegate lays out every sampled cell, which for a few thousand cells
    // keeps the window busy for tens of milliseconds.
    QAbstractItemModel* shown = model();
    if (!shown)
        return;
    const int rows = std::min(shown->rowCount(), std::max(verticalHeader()->resizeContentsPrecision(), 0));
    const int padding = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1)
                        + (showGrid() ? 1 : 0);
    QHeaderView* header = horizontalHeader();
    TextWidths widths {QFontMetrics(font())};
    for (int section = 0; section < shown->columnCount(); ++section) {
        if (header->isSectionHidden(section))
            continue;
        widths.clear();
        for (int row = 0; row < rows; ++row)
            widths.add(shown->index(row, section).data(Qt::DisplayRole).toString());
        const int cells = widths.widest() > 0 ? widths.widest() + padding : 0;
        const int width = std::max(cells, header->sectionSizeHint(section));
        setColumnWidth(section, std::clamp(width, header->minimumSectionSize(), header->maximumSectionSize()));
    }
}

void COutputTable::widenForLastRows()
{
    // The view measures the rows it shows and a sample from the top. Numeric
    // columns are measured at their extremes over the whole column, where
    // their widest texts are (floating columns also at every digit their
    // precision shows); other columns at the last rows too, since a long
    // table's widest texts are often at its end.
    const int rows = m_renderer->rowCount();
    const int sampled = std::max(verticalHeader()->resizeContentsPrecision(), 0);
    const int window = isWindowed() ? 512 : sampled;
    const QFontMetrics metrics(font());
    const int padding = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1)
                        + (showGrid() ? 1 : 0);
    const int first = std::max(rows - 256, 0);
    for (int section = 0; section < m_renderer->columnCount(); ++section) {
        int widest = columnWidth(section);
        K column = m_renderer->columnVector(section);
        if (ColumnExtremes::applies(column)) {
            // A reply's extremes were found on its worker.
            const ReplyFacts* facts = m_renderer->facts();
            const ColumnExtremes::Found* known = facts ? facts->extremes(column) : nullptr;
            const ColumnExtremes::Found found = known ? *known : ColumnExtremes::find(column);
            for (long long row : found.rows)
                widest = std::max(widest, metrics.horizontalAdvance(m_renderer->valueCellText(row, section)) + padding);
            for (double value : ColumnExtremes::fullDigitValues(found, m_renderer->floatPrecision()))
                widest = std::max(widest, metrics.horizontalAdvance(m_renderer->floatingText(section, value)) + padding);
        } else if (rows > window) {
            TextWidths last(metrics);
            for (int row = first; row < rows; ++row)
                last.add(m_renderer->cellText(row, section));
            widest = std::max(widest, last.widest() + padding);
        }
        if (widest > columnWidth(section))
            setColumnWidth(section, widest);
    }
}

void COutputTable::onHeaderClicked(int section)
{
    // Selected rows are remembered as value rows and selected again where the
    // new order puts them.
    const int rows = m_renderer->rowCount();
    const std::vector<int> selected = selectedRows();
    const bool all = rows > 0 && static_cast<int>(selected.size()) == rows;
    std::vector<std::int32_t> valueRows;
    if (!all)
        for (int r : selected)
            valueRows.push_back(m_renderer->valueRow(r));
    const std::int32_t currentValue = m_renderer->valueRow(isWindowed() ? m_current : currentIndex().row());
    const int currentColumn = std::max(0, currentIndex().column());

    if (m_renderer->clickHeader(section)) {
        if (isWindowed()) {
            if (!all) {
                m_selected.clear();
                for (int r : m_renderer->displayRows(valueRows))
                    if (r >= 0)
                        m_selected.add(r, r);
            }
            const std::int32_t anchorValue = m_anchor >= 0 ? m_renderer->valueRow(m_anchor) : -1;
            m_anchor = anchorValue >= 0 ? m_renderer->displayRows({anchorValue}).front() : -1;
            m_current = currentValue >= 0 ? m_renderer->displayRows({currentValue}).front() : -1;
            if (m_current >= 0)
                ensureVisible(m_current);
            syncCurrent(currentColumn);
            m_window->repaint();
            syncSortIndicator();
            return;
        }
        selectionModel()->clearSelection();
        if (all) {
            selectAll();
        } else if (!valueRows.empty()) {
            std::vector<int> shown = m_renderer->displayRows(valueRows);
            std::sort(shown.begin(), shown.end());
            QItemSelection selection;
            const int last = m_renderer->columnCount() - 1;
            for (std::size_t i = 0; i < shown.size();) {
                std::size_t j = i;
                while (j + 1 < shown.size() && shown[j + 1] == shown[j] + 1)
                    ++j;
                if (shown[i] >= 0)
                    selection.select(model()->index(shown[i], 0), model()->index(shown[j], last));
                i = j + 1;
            }
            selectionModel()->select(selection, QItemSelectionModel::Select);
        }
        if (currentValue >= 0) {
            const int at = m_renderer->displayRows({currentValue}).front();
            const QModelIndex index = model()->index(at, currentColumn);
            selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
            scrollTo(index);
        }
    }
    syncSortIndicator();
}

void COutputTable::syncSortIndicator()
{
    const int direction = m_renderer->sortDirection();
    if (direction == 0)
        horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    else
        horizontalHeader()->setSortIndicator(m_renderer->sortSection(),
                                             direction > 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
}

std::vector<int> COutputTable::selectedRows() const
{
    if (isWindowed())
        return m_selected.rows();
    std::vector<int> rows;
    if (!selectionModel())
        return rows;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        for (int r = range.top(); r <= range.bottom(); ++r)
            rows.push_back(r);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

int COutputTable::firstSelectedRow() const
{
    if (isWindowed())
        return m_selected.first();
    const QModelIndexList rows = selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    return rows.isEmpty() ? -1 : rows.first().row();
}

std::vector<int> COutputTable::displaySections() const
{
    std::vector<int> sections;
    const QHeaderView* header = horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual)
        sections.push_back(header->logicalIndex(visual));
    return sections;
}

void COutputTable::placeOnClipboard(const GridCopy::Forms& forms)
{
    auto* mime = new QMimeData;
    if (settingsOrDefaults(m_settings).CopyInHTML)
        mime->setHtml(forms.html);
    mime->setText(forms.text);
    QApplication::clipboard()->setMimeData(mime);
}

void COutputTable::registerCommands(CommandHandlers& handlers)
{
    using Scope = CommandHandlers::Scope;
    // In a filter box they act on its text.
    handlers.addHandler(
        cmd::EditCopy, this, Scope::Focus,
        [this] {
            if (QLineEdit* box = focusedBox())
                box->copy();
            else
                copyRows(false);
        },
        [this] { return focusedBox() ? focusedBox()->hasSelectedText() : firstSelectedRow() >= 0; });
    handlers.addHandler(
        cmd::EditSelectAll, this, Scope::Focus,
        [this] {
            if (QLineEdit* box = focusedBox())
                box->selectAll();
            else
                selectAll();
        },
        [this] { return focusedBox() ? !focusedBox()->text().isEmpty() : m_renderer->rowCount() > 0; });
}

void COutputTable::copyRows(bool invertHeaders)
{
    const bool headers = settingsOrDefaults(m_settings).QCopyHeaders != invertHeaders;
    placeOnClipboard(GridCopy::rows(*m_renderer, selectedRows(), displaySections(), headers));
}

void COutputTable::copyColumn()
{
    if (!m_renderer->hasCurrentCell())
        return;
    placeOnClipboard(GridCopy::rows(*m_renderer, selectedRows(), {m_renderer->currentSection()},
                                    settingsOrDefaults(m_settings).QCopyHeaders));
}

void COutputTable::copyCell()
{
    if (m_renderer->hasCurrentCell())
        placeOnClipboard(GridCopy::cell(*m_renderer, m_renderer->currentRow(), m_renderer->currentSection()));
}

void COutputTable::sendTableToGridView()
{
    emit sendToGridView(m_renderer->valueToSend(), m_renderer->record(), nullptr);
}

void COutputTable::sendCellToGridView()
{
    if (!m_renderer->hasCurrentCell())
        return;
    if (K item = m_renderer->nestedItem(m_renderer->currentRow(), m_renderer->currentSection()))
        emit sendToGridView(item, m_renderer->record(), m_renderer->valueToSend());
}

void COutputTable::showUnderlyingObject()
{
    if (K underlying = m_renderer->underlyingObject())
        setValue(underlying, &m_renderer->record());
}

void COutputTable::setCurrentCellAt(const QPoint& viewportPos)
{
    const QModelIndex index = indexAt(viewportPos);
    if (index.isValid())
        m_renderer->setCurrentCell(displayRow(index), index.column());
    else
        m_renderer->setCurrentCell(-1, -1);
}

QString COutputTable::toolTipAt(const QPoint& viewportPos, Qt::KeyboardModifiers modifiers)
{
    if (!(modifiers & Qt::ShiftModifier))
        return {};
    setCurrentCellAt(viewportPos);
    if (!m_renderer->hasCurrentCell())
        return {};
    return m_renderer->tooltipText(m_renderer->currentRow(), m_renderer->currentSection());
}

bool COutputTable::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString text = toolTipAt(help->pos(), QApplication::queryKeyboardModifiers());
        if (text.isEmpty()) {
            QToolTip::hideText();
        } else {
            // A fixed-width table makes the tooltip wrap at 150 pixels.
            QString html = text.toHtmlEscaped();
            html.replace(QLatin1Char('\n'), QLatin1String("<br>"));
            QToolTip::showText(help->globalPos(),
                               QStringLiteral("<table width=150><tr><td>%1</td></tr></table>").arg(html), viewport(),
                               visualRect(indexAt(help->pos())));
        }
        return true;
    }
    return QTableView::viewportEvent(event);
}

QString COutputTable::menuText(const QString& format, const QString& text)
{
    const QString shown = text.size() > 18 ? text.left(15) + QStringLiteral("...") : text;
    return format.arg(menuLiteral(shown));
}

QMenu* COutputTable::createContextMenu(const QPoint& viewportPos)
{
    setCurrentCellAt(viewportPos);
    const CDlgQSettings& s = settingsOrDefaults(m_settings);
    const bool cell = m_renderer->hasCurrentCell();
    const bool holdsValue = !m_renderer->isEmpty();
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);

    QMenu* copy = menu->addMenu(QStringLiteral("Copy"));
    QAction* a = copy->addAction(
        cell ? menuText(QStringLiteral("Copy Ce&ll (%1)"),
                        m_renderer->cellText(m_renderer->currentRow(), m_renderer->currentSection()))
             : QStringLiteral("Copy Ce&ll"),
        this, &COutputTable::copyCell);
    a->setEnabled(cell);
    a = copy->addAction(cell ? menuText(QStringLiteral("Copy Col&umn (%1)"),
                                        m_renderer->headerText(m_renderer->currentSection()))
                             : QStringLiteral("Copy Col&umn"),
                        this, &COutputTable::copyColumn);
    a->setEnabled(cell);
    a = copy->addAction(QStringLiteral("&Copy Row(s)"), this, [this] { copyRows(false); });
    a->setShortcut(QKeySequence::Copy);
    copy->addAction(s.QCopyHeaders ? QStringLiteral("Copy Row(s) without Headers")
                                   : QStringLiteral("Copy Row(s) with Headers"),
                    this, [this] { copyRows(true); });

    menu->addAction(QStringLiteral("Export &Selection to CSV..."), this, &COutputTable::exportSelectionToCsv);
    menu->addAction(QStringLiteral("&Export All to CSV..."), this, &COutputTable::exportAllToCsv);
    a = menu->addAction(QStringLiteral("Select &All"), this, &COutputTable::selectAll);
    a->setShortcut(QKeySequence::SelectAll);
    menu->addAction(QStringLiteral("Open in browser"), this, &COutputTable::openInBrowser);
    menu->addAction(QStringLiteral("Open in Excel"), this, &COutputTable::openInExcel);
    a = menu->addAction(QStringLiteral("Export to .xlsx..."), this, &COutputTable::exportToXlsx);
    a->setEnabled(holdsValue);
    a = menu->addAction(QStringLiteral("Auto si&ze columns"), this, &COutputTable::autoSizeColumns);
    a->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_J));
    a = menu->addAction(QStringLiteral("Show Result Properties"), this,
                        [this] { emit showResultProperties(m_renderer->record()); });
    a->setEnabled(!m_renderer->record().query.isEmpty());

    QMenu* send = menu->addMenu(QStringLiteral("Send"));
    a = send->addAction(QStringLiteral("Send to Instance..."), this,
                        [this] { emit sendToInstance(m_renderer->valueToSend()); });
    a->setEnabled(holdsValue && m_serverConnected && m_serverConnected());
    send->addAction(QStringLiteral("Send to Stash..."), this,
                    [this] { emit sendToStash(m_renderer->valueToSend(), m_renderer->record()); });
    send->addAction(QStringLiteral("Send Table to Grid View"), this, &COutputTable::sendTableToGridView);
    send->addAction(QStringLiteral("Send Cell to Grid View"), this, &COutputTable::sendCellToGridView);

    a = menu->addAction(QStringLiteral("Show Underlying Object"), this, &COutputTable::showUnderlyingObject);
    a->setEnabled(m_renderer->underlyingObject() != nullptr);
    a = menu->addAction(QStringLiteral("Save to binary..."), this,
                        [this] { emit saveToBinary(m_renderer->valueToSend()); });
    a->setEnabled(holdsValue);
    menu->addAction(QStringLiteral("Load from binary..."), this, &COutputTable::loadFromBinary);
    a = menu->addAction(QStringLiteral("Plot result..."), this, &COutputTable::plotResult);
    a->setEnabled(m_canPlot && m_canPlot());
    return menu;
}

void COutputTable::contextMenuEvent(QContextMenuEvent* event)
{
    const QPoint pos = viewport()->mapFromGlobal(event->globalPos());
    createContextMenu(pos)->popup(event->globalPos());
}

void COutputTable::mouseDoubleClickEvent(QMouseEvent* event)
{
    setCurrentCellAt(event->position().toPoint());
    if (!m_renderer->hasCurrentCell())
        return;
    K item = m_renderer->nestedItem(m_renderer->currentRow(), m_renderer->currentSection());
    if (item && item->t >= 0 && item->t != KC)
        sendCellToGridView();
    else
        copyCell();
}

void COutputTable::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        copyRows(false);
        return;
    }
    if (event->key() == Qt::Key_J && event->modifiers() == Qt::ControlModifier) {
        autoSizeColumns();
        return;
    }
    if (event->key() == Qt::Key_F && event->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier)) {
        toggleFilterRow();
        return;
    }
    if (isWindowed() && !event->matches(QKeySequence::SelectAll)) {
        // Row moves, counted in display rows: the view knows only its window.
        const int from = m_current >= 0 ? m_current : m_first;
        const bool control = event->modifiers() & Qt::ControlModifier;
        std::optional<int> to;
        switch (event->key()) {
        case Qt::Key_Up: to = from - 1; break;
        case Qt::Key_Down: to = from + 1; break;
        case Qt::Key_PageUp: to = from - pageRows(); break;
        case Qt::Key_PageDown: to = from + pageRows(); break;
        case Qt::Key_Home:
            if (control)
                to = 0;
            break;
        case Qt::Key_End:
            if (control)
                to = m_renderer->rowCount() - 1;
            break;
        default: break;
        }
        if (to) {
            moveCurrent(std::clamp(*to, 0, m_renderer->rowCount() - 1), event->modifiers());
            return;
        }
    }
    QTableView::keyPressEvent(event);
}

// ---- windowed mode ----

bool COutputTable::isWindowed() const { return m_window->isWindowed(); }

int COutputTable::displayRow(const QModelIndex& viewIndex) const
{
    return viewIndex.isValid() ? m_window->displayRow(viewIndex.row()) : -1;
}

QLineEdit* COutputTable::focusedBox() const
{
    auto* box = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    return box && box->parentWidget() == m_filterHeader ? box : nullptr;
}

void COutputTable::setFilterRowVisible(bool visible)
{
    if (visible == isFilterRowVisible())
        return;
    if (!visible) {
        const bool inBox = focusedBox() != nullptr;
        m_filter->clear();
        m_filterHeader->clearBoxes();
        if (inBox)
            setFocus(Qt::OtherFocusReason);
    }
    m_filterHeader->setSectionWithoutBox(m_renderer->hasNumberColumn() ? 0 : -1);
    m_filterHeader->setFilterRowVisible(visible);
    updateGeometries();
    if (visible)
        m_filterHeader->focusBox(currentIndex().isValid() ? currentIndex().column() : -1);
}

bool COutputTable::isFilterRowVisible() const { return m_filterHeader->isFilterRowVisible(); }

void COutputTable::onFilterApplied()
{
    for (int section = 0; section < m_renderer->columnCount(); ++section)
        m_filterHeader->setBoxValid(section, m_filter->isValid(section));
    emit statusChanged();
}

QString COutputTable::shapeText() const
{
    if (m_renderer->isEmpty())
        return {};
    const int columns = m_renderer->columnCount() - (m_renderer->hasNumberColumn() ? 1 : 0);
    return GridStatistics::shapeText(m_renderer->rowCount(), m_renderer->totalRows(), columns,
                                     m_renderer->isFiltered());
}

GridStatistics COutputTable::selectionStatistics() const
{
    std::vector<K> columns;
    const int current = currentIndex().isValid() ? currentIndex().column() : -1;
    if (K column = m_renderer->columnVector(current)) {
        columns.push_back(column);
    } else {
        for (int section = 0; section < m_renderer->columnCount(); ++section)
            if (K c = m_renderer->columnVector(section))
                columns.push_back(c);
    }
    const std::vector<int> rows = selectedRows();
    std::vector<std::int32_t> valueRows;
    valueRows.reserve(rows.size());
    for (int r : rows)
        valueRows.push_back(m_renderer->valueRow(r));
    return GridStatistics::of(columns, valueRows);
}

void COutputTable::onReset()
{
    m_filterHeader->setSectionWithoutBox(m_renderer->hasNumberColumn() ? 0 : -1);
    m_selected.clear();
    m_anchor = m_current = -1;
    m_first = 0;
    m_dragging = false;
    m_window->setHighlight(palette().color(QPalette::Highlight), palette().color(QPalette::HighlightedText));
    // In a window the view's own selection would follow window rows, not table rows.
    setSelectionMode(isWindowed() ? QAbstractItemView::NoSelection : QAbstractItemView::ExtendedSelection);
    // A new value starts at its first row, whichever mode the last one used.
    verticalHeader()->setOffset(0);
    const QSignalBlocker blocker(verticalScrollBar());
    verticalScrollBar()->setValue(0);
    emit statusChanged();
}

int COutputTable::pageRows() const
{
    return std::max(1, viewport()->height() / std::max(1, verticalHeader()->defaultSectionSize()));
}

void COutputTable::setFirstVisible(int row)
{
    const int rows = m_renderer->rowCount();
    const int page = pageRows();
    m_first = std::clamp(row, 0, std::max(0, rows - page));
    m_window->setOffset(std::min(m_first, rows - GridRowWindow::kWindowRows));
    verticalHeader()->setOffsetToSectionPosition(m_first - m_window->offset());
    QScrollBar* bar = verticalScrollBar();
    const QSignalBlocker blocker(bar);
    bar->setRange(0, std::max(0, rows - page));
    bar->setPageStep(page);
    bar->setSingleStep(1);
    bar->setValue(m_first);
    viewport()->update();
}

void COutputTable::ensureVisible(int row)
{
    if (row < m_first)
        setFirstVisible(row);
    else if (row >= m_first + pageRows())
        setFirstVisible(row - pageRows() + 1);
}

void COutputTable::syncCurrent(int column)
{
    const int row = m_window->windowRow(m_current);
    // Scrolling to the current index is the caller's business here.
    m_ignoreVertical = true;
    const bool scroll = hasAutoScroll();
    setAutoScroll(false);
    if (row >= 0)
        selectionModel()->setCurrentIndex(m_window->index(row, std::max(0, column)), QItemSelectionModel::NoUpdate);
    else
        selectionModel()->clearCurrentIndex();
    setAutoScroll(scroll);
    m_ignoreVertical = false;
}

void COutputTable::moveCurrent(int row, Qt::KeyboardModifiers modifiers)
{
    const int column = currentIndex().column();
    if (modifiers & Qt::ShiftModifier) {
        if (m_anchor < 0)
            m_anchor = m_current >= 0 ? m_current : row;
        m_selected.clear();
        m_selected.add(m_anchor, row);
    } else if (!(modifiers & Qt::ControlModifier)) {
        m_selected.clear();
        m_selected.add(row, row);
        m_anchor = row;
    }
    m_current = row;
    ensureVisible(row);
    syncCurrent(column);
    m_window->repaint();
    emit statusChanged();
}

void COutputTable::selectAll()
{
    if (!isWindowed()) {
        QTableView::selectAll();
        return;
    }
    m_selected.clear();
    if (m_renderer->rowCount() > 0)
        m_selected.add(0, m_renderer->rowCount() - 1);
    m_window->repaint();
    emit statusChanged();
}

void COutputTable::mousePressEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!isWindowed() || !index.isValid()) {
        QTableView::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const int row = displayRow(index);
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (event->button() == Qt::LeftButton) {
        if (modifiers & Qt::ShiftModifier) {
            m_selected.clear();
            m_selected.add(m_anchor >= 0 ? m_anchor : row, row);
        } else if (modifiers & Qt::ControlModifier) {
            m_selected.toggle(row);
            m_anchor = row;
        } else {
            m_selected.clear();
            m_selected.add(row, row);
            m_anchor = row;
        }
        m_dragging = !(modifiers & (Qt::ShiftModifier | Qt::ControlModifier));
    } else if (event->button() == Qt::RightButton && !m_selected.contains(row)) {
        m_selected.clear();
        m_selected.add(row, row);
        m_anchor = row;
    }
    m_current = row;
    syncCurrent(index.column());
    m_window->repaint();
    emit statusChanged();
}

void COutputTable::mouseMoveEvent(QMouseEvent* event)
{
    if (!isWindowed()) {
        QTableView::mouseMoveEvent(event);
        return;
    }
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!m_dragging || !(event->buttons() & Qt::LeftButton) || !index.isValid() || m_anchor < 0)
        return;
    const int row = displayRow(index);
    if (row == m_current)
        return;
    m_selected.clear();
    m_selected.add(m_anchor, row);
    m_current = row;
    syncCurrent(index.column());
    m_window->repaint();
    emit statusChanged();
}

void COutputTable::mouseReleaseEvent(QMouseEvent* event)
{
    m_dragging = false;
    QTableView::mouseReleaseEvent(event);
}

void COutputTable::scrollContentsBy(int dx, int dy)
{
    if (!isWindowed()) {
        QTableView::scrollContentsBy(dx, dy);
        return;
    }
    // The vertical scroll bar counts display rows: the window moves instead of the view.
    if (dx)
        QTableView::scrollContentsBy(dx, 0);
    if (dy && !m_ignoreVertical)
        setFirstVisible(verticalScrollBar()->value());
}

void COutputTable::updateGeometries()
{
    m_ignoreVertical = true;
    QTableView::updateGeometries();
    m_ignoreVertical = false;
    if (isWindowed())
        setFirstVisible(m_first);
}

void COutputTable::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    if (!isWindowed()) {
        QTableView::scrollTo(index, hint);
        return;
    }
    if (m_ignoreVertical || !index.isValid())
        return;
    const int row = displayRow(index);
    const int page = pageRows();
    switch (hint) {
    case PositionAtTop: setFirstVisible(row); break;
    case PositionAtBottom: setFirstVisible(row - page + 1); break;
    case PositionAtCenter: setFirstVisible(row - page / 2); break;
    case EnsureVisible: ensureVisible(row); break;
    }
    // Columns scroll as usual; the base class must not move the rows.
    const int inWindow = m_window->windowRow(row);
    if (inWindow >= 0) {
        m_ignoreVertical = true;
        QTableView::scrollTo(m_window->index(inWindow, index.column()), EnsureVisible);
        m_ignoreVertical = false;
        setFirstVisible(m_first);
    }
}
