#include "results/grid/COutputTable.h"

#include "core/settings/CDlgQSettings.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QItemSelection>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QToolTip>

#include <algorithm>

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
    : QTableView(parent), m_place(place), m_renderer(new CKTableRenderer(this))
{
    setModel(m_renderer);
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

CKTableRenderer::Outcome COutputTable::setValue(K value, const CResultInfo* record, K underlying)
{
    const auto outcome = m_renderer->setValue(value, record, underlying);
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
    resizeColumnsToContents();
    setUpdatesEnabled(updates);
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
    const std::int32_t currentValue = m_renderer->valueRow(currentIndex().row());
    const int currentColumn = std::max(0, currentIndex().column());

    if (m_renderer->clickHeader(section)) {
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
                    selection.select(m_renderer->index(shown[i], 0), m_renderer->index(shown[j], last));
                i = j + 1;
            }
            selectionModel()->select(selection, QItemSelectionModel::Select);
        }
        if (currentValue >= 0) {
            const int at = m_renderer->displayRows({currentValue}).front();
            const QModelIndex index = m_renderer->index(at, currentColumn);
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
        m_renderer->setCurrentCell(index.row(), index.column());
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
    QTableView::keyPressEvent(event);
}
