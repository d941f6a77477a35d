#include "results/history/CHistoryPane.h"

#include "results/history/CHistoryListCtrl.h"
#include "results/history/ResultHistory.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QVBoxLayout>

CHistoryPane::CHistoryPane(ResultHistory& history, QWidget* parent)
    : QWidget(parent)
    , m_history(history)
    , m_list(new CHistoryListCtrl)
{
    setObjectName(QStringLiteral("CHistoryPane"));
    setMinimumSize(100, 100);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    m_list->installEventFilter(this);
    m_list->setContextMenuPolicy(Qt::NoContextMenu);
    connect(&m_history, &ResultHistory::changed, this, [this] { m_list->refill(m_history); });
    connect(m_list, &QTableWidget::cellDoubleClicked, this, [this] { sendToGridView(); });
    m_list->refill(m_history);
}

bool CHistoryPane::oneSelected() const { return m_list->selectedRowNumbers().size() == 1; }

bool CHistoryPane::anySelected() const { return !m_list->selectedRowNumbers().empty(); }

const CResultWithInfo* CHistoryPane::selectedRecord() const
{
    const std::vector<int> rows = m_list->selectedRowNumbers();
    if (rows.size() != 1 || rows[0] >= m_history.size())
        return nullptr;
    return &m_history.at(rows[0]);
}

void CHistoryPane::showProperties()
{
    if (const CResultWithInfo* record = selectedRecord())
        emit propertiesRequested(record->info);
}

void CHistoryPane::removeSelected() { m_history.remove(m_list->selectedRowNumbers()); }

void CHistoryPane::sendToInstance()
{
    if (const CResultWithInfo* record = selectedRecord())
        emit sendToInstanceRequested(record->value.get());
}

void CHistoryPane::sendToStash()
{
    std::vector<CResultWithInfo> records;
    for (int row : m_list->selectedRowNumbers())
        if (row < m_history.size())
            records.push_back(m_history.at(row));
    if (!records.empty())
        emit sendToStashRequested(records);
}

void CHistoryPane::sendToGridView()
{
    if (const CResultWithInfo* record = selectedRecord())
        emit sendToGridViewRequested(record->value.get(), record->info);
    emit gridViewShowRequested();
}

QMenu* CHistoryPane::createContextMenu()
{
    auto* menu = new QMenu(this);
    QAction* a = menu->addAction(QStringLiteral("Properties"), this, &CHistoryPane::showProperties);
    a->setEnabled(oneSelected());
    a = menu->addAction(QStringLiteral("Remove"), this, &CHistoryPane::removeSelected);
    a->setShortcut(QKeySequence::Delete);
    a->setEnabled(anySelected());
    a = menu->addAction(QStringLiteral("Send to Instance..."), this, &CHistoryPane::sendToInstance);
    a->setEnabled(oneSelected());
    a = menu->addAction(QStringLiteral("Send to Stash..."), this, &CHistoryPane::sendToStash);
    a->setEnabled(anySelected());
    a = menu->addAction(QStringLiteral("Send to Grid View"), this, &CHistoryPane::sendToGridView);
    a->setEnabled(oneSelected());
    return menu;
}

void CHistoryPane::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
    event->accept();
}

bool CHistoryPane::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Delete)) {
        removeSelected();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
