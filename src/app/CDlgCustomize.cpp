#include "app/CDlgCustomize.h"

#include "app/CToolBarLayout.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

CDlgCustomize::CDlgCustomize(QList<CToolBarLayout*> layouts, QList<int> commands,
                             std::function<QPair<QString, QIcon>(int)> describe, QWidget* parent)
    : QDialog(parent)
    , m_layouts(std::move(layouts))
    , m_describe(std::move(describe))
    , m_toolBars(new QComboBox(this))
    , m_commands(new QListWidget(this))
    , m_items(new QListWidget(this))
{
    setWindowTitle(QStringLiteral("Customize"));
    for (CToolBarLayout* layout : m_layouts) {
        m_toolBars->addItem(layout->name());
        m_edited.append(layout->items());
    }
    commands.prepend(CToolBarLayout::Separator);
    for (int id : commands) {
        const auto [text, icon] = m_describe(id);
        auto* item = new QListWidgetItem(icon, text, m_commands);
        item->setData(Qt::UserRole, id);
    }

    auto* add = new QPushButton(QStringLiteral("Add >"), this);
    auto* remove = new QPushButton(QStringLiteral("< Remove"), this);
    auto* up = new QPushButton(QStringLiteral("Move Up"), this);
    auto* down = new QPushButton(QStringLiteral("Move Down"), this);
    auto* reset = new QPushButton(QStringLiteral("Reset"), this);
    connect(m_toolBars, &QComboBox::currentIndexChanged, this, &CDlgCustomize::selectToolBar);
    connect(add, &QPushButton::clicked, this, [this] {
        if (QListWidgetItem* item = m_commands->currentItem())
            addCommand(item->data(Qt::UserRole).toInt());
    });
    connect(remove, &QPushButton::clicked, this, [this] { removeAt(m_items->currentRow()); });
    connect(up, &QPushButton::clicked, this, [this] { moveUp(m_items->currentRow()); });
    connect(down, &QPushButton::clicked, this, [this] {
        const int row = m_items->currentRow();
        if (row >= 0 && row + 1 < m_items->count()) {
            moveUp(row + 1);
            m_items->setCurrentRow(row + 1);
        }
    });
    connect(reset, &QPushButton::clicked, this, &CDlgCustomize::resetToolBar);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Toolbar:"), this), 0, 0);
    grid->addWidget(m_toolBars, 0, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Commands:"), this), 1, 0);
    grid->addWidget(new QLabel(QStringLiteral("On the toolbar:"), this), 1, 2);
    grid->addWidget(m_commands, 2, 0);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {add, remove, up, down, reset})
        buttons->addWidget(b);
    buttons->addStretch();
    grid->addLayout(buttons, 2, 1);
    grid->addWidget(m_items, 2, 2);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(box);
    resize(640, 480);
    refreshItems();
}

void CDlgCustomize::selectToolBar(int index)
{
    if (index < 0 || index >= m_edited.size())
        return;
    m_current = index;
    if (m_toolBars->currentIndex() != index)
        m_toolBars->setCurrentIndex(index);
    refreshItems();
}

void CDlgCustomize::addCommand(int id)
{
    QList<int>& items = m_edited[m_current];
    const int row = m_items->currentRow();
    items.insert(row >= 0 ? row + 1 : items.size(), id);
    refreshItems();
    m_items->setCurrentRow(row >= 0 ? row + 1 : int(items.size()) - 1);
}

void CDlgCustomize::removeAt(int row)
{
    QList<int>& items = m_edited[m_current];
    if (row < 0 || row >= items.size())
        return;
    items.removeAt(row);
    refreshItems();
}

void CDlgCustomize::moveUp(int row)
{
    QList<int>& items = m_edited[m_current];
    if (row <= 0 || row >= items.size())
        return;
    items.swapItemsAt(row, row - 1);
    refreshItems();
    m_items->setCurrentRow(row - 1);
}

void CDlgCustomize::resetToolBar()
{
    m_edited[m_current] = m_layouts[m_current]->defaults();
    refreshItems();
}

void CDlgCustomize::refreshItems()
{
    m_items->clear();
    for (int id : m_edited.value(m_current)) {
        const auto [text, icon] = m_describe(id);
        auto* item = new QListWidgetItem(icon, text, m_items);
        item->setData(Qt::UserRole, id);
    }
}
