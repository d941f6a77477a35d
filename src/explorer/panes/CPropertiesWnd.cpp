#include "explorer/panes/CPropertiesWnd.h"

#include "explorer/CQFunction.h"
#include "explorer/EntityProperties.h"

#include <QAction>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QStyle>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
enum Role { DescriptionRole = Qt::UserRole + 1, JumpRole, TargetRole };
}

CPropertiesWnd::CPropertiesWnd(QWidget* parent)
    : QWidget(parent)
    , m_history([this](const QString& name) { return m_select && m_select(name); })
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_toolBar = new QToolBar(this);
    m_toolBar->setIconSize(QSize(16, 16));
    m_back = m_toolBar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), QStringLiteral("Back"), this,
                                  [this] { back(); });
    m_back->setToolTip(QStringLiteral("Go to dependent/caller entity you've jumped from"));
    m_forward = m_toolBar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("Forward"), this,
                                     [this] { forward(); });
    m_forward->setToolTip(QStringLiteral("Go to the entity you've came Back from"));
    m_query = m_toolBar->addAction(style()->standardIcon(QStyle::SP_MediaPlay), QStringLiteral("Query"), this,
                                   [this] { query(); });
    m_query->setToolTip(QStringLiteral("Query this entity from server"));
    layout->addWidget(m_toolBar);
    m_grid = new QTreeWidget(this);
    m_grid->setColumnCount(2);
    m_grid->setHeaderLabels({QStringLiteral("Property"), QStringLiteral("Value")});
    m_grid->setRootIsDecorated(true);
    m_grid->setAlternatingRowColors(true);
    m_grid->header()->setSectionResizeMode(0, QHeaderView::Interactive);
    m_grid->header()->resizeSection(0, 140);
    layout->addWidget(m_grid, 1);
    m_description = new QLabel(this);
    m_description->setWordWrap(true);
    m_description->setMinimumHeight(40);
    m_description->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_description->setMargin(4);
    layout->addWidget(m_description);
    connect(m_grid, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        m_description->setText(item ? item->data(0, DescriptionRole).toString() : QString());
    });
    connect(m_grid, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) { activate(item); });
    updateActions();
}

QSize CPropertiesWnd::sizeHint() const
{
    // The names' column and the values' column side by side, with room for the tree's indent.
    const QFontMetrics metrics(m_grid->font());
    const int names = metrics.horizontalAdvance(QStringLiteral("Globals ref'd from nested")) + 2 * m_grid->indentation();
    const int values = metrics.horizontalAdvance(QStringLiteral("Partitioned (on disk)"));
    return QSize(names + values + 32, QWidget::sizeHint().height());
}

void CPropertiesWnd::setSelector(NavigationHistory::Select select) { m_select = std::move(select); }

void CPropertiesWnd::showEntity(const CQEntity* entity, const NamespaceModel* model, const NamespaceTree* tree)
{
    m_grid->clear();
    m_description->clear();
    m_file.clear();
    m_line = -1;
    m_queryText.clear();
    if (!entity) {
        updateActions();
        return;
    }
    m_history.setCurrent(entity->fullName());
    m_queryText = EntityProperties::queryText(*entity);
    if (entity->kind() == CQEntity::Function) {
        const auto* f = static_cast<const CQFunction*>(entity);
        m_file = f->fileName();
        m_line = f->fileLine();
    }
    QTreeWidgetItem* first = nullptr;
    for (const EntityPropertyGroup& group : EntityProperties::of(*entity, model, tree)) {
        QTreeWidgetItem* parent = first;
        if (!group.name.isEmpty() || !first) {
            // A function's reference groups sit inside its own group.
            const bool nested = first && entity->kind() == CQEntity::Function
                && group.name != QLatin1String("Used in functions");
            parent = nested ? new QTreeWidgetItem(first, {group.name}) : new QTreeWidgetItem(m_grid, {group.name});
            QFont bold = parent->font(0);
            bold.setBold(true);
            parent->setFont(0, bold);
            parent->setFirstColumnSpanned(true);
            if (!first)
                first = parent;
        }
        for (const EntityProperty& p : group.properties) {
            auto* item = new QTreeWidgetItem(parent, {p.name, p.value});
            item->setData(0, DescriptionRole, p.description);
            item->setToolTip(1, p.value);
            const bool file = p.name == QLatin1String("File name") || p.name == QLatin1String("File line");
            const bool byValue = group.jump == EntityPropertyGroup::Jump::ByValue
                && (p.name == QLatin1String("Matched to") || p.name == QLatin1String("Defined in")
                    || p.name == QLatin1String("Original name"));
            if (group.jump == EntityPropertyGroup::Jump::ByName)
                item->setData(0, TargetRole, p.name);
            else if (byValue)
                item->setData(0, TargetRole, p.value);
            item->setData(0, JumpRole, file ? 2 : item->data(0, TargetRole).isValid() ? 1 : 0);
        }
    }
    m_grid->expandAll();
    m_grid->resizeColumnToContents(0);
    updateActions();
}

bool CPropertiesWnd::activate(QTreeWidgetItem* item)
{
    if (!item)
        return false;
    const int jump = item->data(0, JumpRole).toInt();
    if (jump == 2) {
        emit fileRequested(m_file, m_line);
        return true;
    }
    if (jump != 1)
        return false;
    const bool found = m_history.jump(item->data(0, TargetRole).toString());
    updateActions();
    return found;
}

bool CPropertiesWnd::canQuery() const { return !m_queryText.isEmpty() && (!m_queryAllowed || m_queryAllowed()); }

void CPropertiesWnd::query()
{
    if (canQuery())
        emit queryRequested(m_queryText);
}

void CPropertiesWnd::updateActions()
{
    m_back->setEnabled(m_history.canGoBack());
    m_forward->setEnabled(m_history.canGoForward());
    m_query->setEnabled(canQuery());
}

bool CPropertiesWnd::back()
{
    const bool moved = m_history.back();
    updateActions();
    return moved;
}

bool CPropertiesWnd::forward()
{
    const bool moved = m_history.forward();
    updateActions();
    return moved;
}
