#include "results/history/CDlgResults.h"

#include "results/grid/COutputTable.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

CDlgResults::CDlgResults(QWidget* parent)
    : QDialog(parent)
    , m_labels(new QListWidget)
    , m_grid(new COutputTable(COutputTable::Place::Embedded))
{
    setObjectName(QStringLiteral("CDlgResults"));
    setWindowTitle(QStringLiteral("Results Stash"));
    setModal(false);
    resize(1000, 500);
    m_labels->setObjectName(QStringLiteral("stashLabels"));
    m_labels->setMaximumWidth(320);
    m_labels->setSelectionMode(QAbstractItemView::SingleSelection);

    auto* buttons = new QVBoxLayout;
    const auto addButton = [this, buttons](const QString& text, auto slot) {
        auto* b = new QPushButton(text);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, slot);
        buttons->addWidget(b);
    };
    addButton(QStringLiteral("Add Current"), [this] { addCurrent(); });
    addButton(QStringLiteral("Remove"), [this] { removeSelected(); });
    addButton(QStringLiteral("Send to..."), [this] {
        if (const int i = selectedIndex(); i >= 0)
            emit sendToInstanceRequested(m_stash.at(i).value.get());
    });
    addButton(QStringLiteral("Properties"), [this] {
        if (const int i = selectedIndex(); i >= 0)
            emit propertiesRequested(m_stash.at(i).info);
    });
    addButton(QStringLiteral("Send to Grid"), [this] {
        if (const int i = selectedIndex(); i >= 0)
            emit sendToGridViewRequested(m_stash.at(i).value.get(), m_stash.at(i).info);
    });
    addButton(QStringLiteral("Open Excel"), [this] { emit openExcelRequested(); });
    buttons->addStretch(1);

    auto* left = new QVBoxLayout;
    left->addWidget(m_labels, 1);
    left->addLayout(buttons);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addWidget(m_grid, 1);
    connect(m_labels, &QListWidget::currentRowChanged, this, [this] { showSelected(); });
    // Ctrl+C and Ctrl+Insert copy the grid's selected rows wherever the focus is in the dialog.
    for (const QKeySequence& keys : {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)}) {
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, m_grid, [this] { m_grid->copyRows(false); });
    }
}

QPushButton* CDlgResults::button(const QString& text) const
{
    for (QPushButton* b : findChildren<QPushButton*>())
        if (b->text() == text)
            return b;
    return nullptr;
}

int CDlgResults::selectedIndex() const
{
    const int row = m_labels->currentRow();
    return row >= 0 && row < m_stash.size() ? row : -1;
}

void CDlgResults::add(K value, const CResultInfo& info)
{
    if (!value)
        return;
    const int before = m_stash.size();
    const int index = m_stash.add(value, info);
    if (m_stash.size() > before)
        m_labels->addItem(m_stash.label(index));
    select(index);
}

void CDlgResults::addCurrent()
{
    if (!m_current)
        return;
    const CResultWithInfo current = m_current();
    add(current.value.get(), current.info);
}

void CDlgResults::removeSelected()
{
    const int index = selectedIndex();
    if (index < 0)
        return;
    const int next = m_stash.remove(index);
    delete m_labels->takeItem(index);
    select(next);
}

void CDlgResults::select(int index)
{
    if (index >= 0) {
        m_labels->setCurrentRow(index);
        m_labels->item(index)->setSelected(true);
        m_labels->scrollToItem(m_labels->item(index));
    } else {
        m_labels->setCurrentRow(-1);
    }
    showSelected();
}

void CDlgResults::showSelected()
{
    const int index = selectedIndex();
    const K value = index >= 0 ? m_stash.at(index).value.get() : nullptr;
    if (index == m_shown && value == m_shownValue)
        return;
    m_shown = index;
    m_shownValue = value;
    if (!value) {
        m_grid->clear();
        return;
    }
    m_grid->setValue(value, &m_stash.at(index).info);
}
