#include "explorer/panes/CDlgInventory.h"

#include "explorer/CQEntity.h"
#include "explorer/CQFunction.h"
#include "explorer/NamespaceModel.h"
#include "explorer/panes/ExplorerIcons.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QTextEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cstdlib>

namespace {
constexpr int NameRole = Qt::UserRole;
}

CDlgInventory::CDlgInventory(Inventory::Kind kind, QWidget* parent) : QDialog(parent), m_kind(kind)
{
    const bool functions = kind == Inventory::Kind::Functions;
    setWindowTitle(functions ? QStringLiteral("Functions Inventory") : QStringLiteral("Variables Inventory"));
    setMinimumSize(300, 200);
    resize(functions ? 900 : 640, 480);
    m_name = new QLineEdit(this);
    m_name->setMaxLength(255);
    m_case = new QCheckBox(QStringLiteral("Match case"), this);
    m_list = new QTreeWidget(this);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setHeaderLabels(Inventory::headers(kind));
    m_list->header()->setSectionsClickable(true);
    m_list->header()->setSortIndicatorShown(true);
    auto* clear = new QPushButton(functions ? QStringLiteral("Clear filters") : QStringLiteral("Clear filter"), this);
    m_jump = new QPushButton(QStringLiteral("Close && Jump To"), this);
    m_jump->setDefault(true);
    m_jump->setEnabled(false);
    auto* close = new QPushButton(QStringLiteral("Close"), this);

    auto* filters = new QGridLayout;
    filters->addWidget(new QLabel(functions ? QStringLiteral("Filter Name:") : QStringLiteral("Filter substring:"), this), 0, 0);
    filters->addWidget(m_name, 0, 1);
    filters->addWidget(m_case, 0, 2);
    if (functions) {
        m_body = new QLineEdit(this);
        filters->addWidget(new QLabel(QStringLiteral("Filter body:"), this), 1, 0);
        filters->addWidget(m_body, 1, 1);
        connect(m_body, &QLineEdit::textEdited, this, &CDlgInventory::edited);
    }
    auto* middle = new QHBoxLayout;
    middle->addWidget(m_list, 3);
    if (functions) {
        m_preview = new QTextEdit(this);
        m_preview->setReadOnly(true);
        middle->addWidget(m_preview, 2);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(clear);
    buttons->addWidget(m_jump);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addLayout(middle, 1);
    layout->addLayout(buttons);

    connect(m_name, &QLineEdit::textEdited, this, &CDlgInventory::edited);
    connect(m_case, &QCheckBox::toggled, this, [this] {
        if (!m_name->text().isEmpty())
            refill();
    });
    connect(clear, &QPushButton::clicked, this, [this] {
        m_name->clear();
        if (m_body)
            m_body->clear();
        m_changed = m_typing = false;
        refill();
    });
    connect(m_jump, &QPushButton::clicked, this, &QDialog::accept);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) { rowSelected(item); });
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        rowSelected(item);
        accept();
    });
    connect(m_list->header(), &QHeaderView::sectionClicked, this, &CDlgInventory::headerClicked);
    // The list follows the filters half a second to a second after typing stops.
    m_timer.setInterval(500);
    connect(&m_timer, &QTimer::timeout, this, &CDlgInventory::tick);
    m_timer.start();
}

void CDlgInventory::edited()
{
    m_changed = true;
    m_typing = true;
}

void CDlgInventory::tick()
{
    if (m_typing) {
        m_typing = false;
        return;
    }
    if (m_changed) {
        m_changed = false;
        refill();
    }
}

void CDlgInventory::refill()
{
    m_list->clear();
    if (m_preview)
        m_preview->clear();
    std::vector<const CQEntity*> rows;
    if (m_model)
        rows = Inventory::rows(m_kind, *m_model, m_name->text(), m_case->isChecked(), m_body ? m_body->text() : QString());
    Inventory::sort(m_kind, rows, m_key);
    QList<QTreeWidgetItem*> items;
    QTreeWidgetItem* chosen = nullptr;
    for (const CQEntity* entity : rows) {
        auto* item = new QTreeWidgetItem(Inventory::cells(m_kind, *entity));
        item->setIcon(0, ExplorerIcons::icon(Inventory::image(m_kind, *entity)));
        item->setData(0, NameRole, entity->fullName());
        if (entity->fullName() == m_chosen)
            chosen = item;
        items.append(item);
    }
    {
        const QSignalBlocker block(m_list);
        m_list->addTopLevelItems(items);
    }
    for (int c = 0; c < m_list->columnCount(); ++c)
        m_list->resizeColumnToContents(c);
    m_list->header()->setSortIndicator(std::abs(m_key) - 1, m_key > 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
    if (!chosen && m_kind == Inventory::Kind::Functions && m_chosen.isEmpty() && !items.isEmpty())
        chosen = items.front();
    if (!chosen)
        m_chosen.clear();
    m_jump->setEnabled(chosen != nullptr);
    if (chosen) {
        m_list->setCurrentItem(chosen);
        m_list->scrollToItem(chosen);
    }
}

void CDlgInventory::rowSelected(QTreeWidgetItem* item)
{
    if (!item)
        return;
    m_chosen = item->data(0, NameRole).toString();
    m_jump->setEnabled(true);
    if (!m_preview || !m_model)
        return;
    const CQEntity* entity = m_model->find(m_chosen);
    if (!entity || entity->kind() != CQEntity::Function)
        return;
    QPalette palette = m_preview->palette();
    palette.setColor(QPalette::Base, m_look.background);
    m_preview->setPalette(palette);
    m_preview->setFont(m_look.font);
    m_preview->setPlainText(static_cast<const CQFunction*>(entity)->body());
    if (m_look.colour)
        m_look.colour(m_preview);
    QList<QTextEdit::ExtraSelection> marks;
    const QString what = m_body ? m_body->text() : QString();
    if (!what.isEmpty())
        for (QTextCursor at = m_preview->document()->find(what); !at.isNull(); at = m_preview->document()->find(what, at)) {
            QTextEdit::ExtraSelection mark;
            mark.cursor = at;
            mark.format.setBackground(m_look.marked);
            marks.append(mark);
        }
    m_preview->setExtraSelections(marks);
}

void CDlgInventory::headerClicked(int section)
{
    m_key = Inventory::nextKey(m_key, section + 1);
    refill();
}
