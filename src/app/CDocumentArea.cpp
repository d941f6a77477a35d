#include "app/CDocumentArea.h"

#include "app/CChildFrame.h"
#include "app/CommandIds.h"

#include <QMenu>

#include <functional>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

CDocumentArea::CDocumentArea(QWidget* parent)
    : QWidget(parent)
    , m_splitter(new QSplitter(Qt::Horizontal, this))
{
    setObjectName(QStringLiteral("CDocumentArea"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_splitter);
    m_activeGroup = createGroup();
}

QTabWidget* CDocumentArea::createGroup()
{
    auto* group = new QTabWidget(m_splitter);
    group->setDocumentMode(true);
    group->setMovable(true);
    group->setTabsClosable(true);
    group->tabBar()->setContextMenuPolicy(Qt::CustomContextMenu);
    m_splitter->addWidget(group);
    connect(group, &QTabWidget::currentChanged, this, [this, group](int) {
        m_activeGroup = group;
        emit activeDocumentChanged(activeDocument());
    });
    connect(group, &QTabWidget::tabCloseRequested, this, [this, group](int index) {
        if (auto* child = qobject_cast<CChildFrame*>(group->widget(index)))
            emit closeRequested(child);
    });
    connect(group->tabBar(), &QWidget::customContextMenuRequested, this,
            [this, group](const QPoint& pos) { showTabMenu(group, pos); });
    return group;
}

QTabWidget* CDocumentArea::groupAt(int index) const { return qobject_cast<QTabWidget*>(m_splitter->widget(index)); }

QTabWidget* CDocumentArea::activeGroup() const { return m_activeGroup ? m_activeGroup : groupAt(0); }

int CDocumentArea::groupCount() const { return m_splitter->count(); }

Qt::Orientation CDocumentArea::groupOrientation() const { return m_splitter->orientation(); }

void CDocumentArea::addDocument(CChildFrame* child)
{
    QTabWidget* group = activeGroup();
    const int index = group->addTab(child, child->title());
    connect(child, &CChildFrame::titleChanged, this, [this, child] {
        updateTab(child);
        emit documentTitleChanged(child);
    });
    updateTab(child);
    group->setCurrentIndex(index);
    m_activeGroup = group;
    emit activeDocumentChanged(child);
}

void CDocumentArea::updateTab(CChildFrame* child)
{
    for (int g = 0; g < groupCount(); ++g) {
        QTabWidget* group = groupAt(g);
        const int index = group->indexOf(child);
        if (index < 0)
            continue;
        group->setTabText(index, child->title());
        group->setTabToolTip(index, child->tooltipExtra().isEmpty() ? child->title()
                                                                    : child->title() + u'\n' + child->tooltipExtra());
    }
}

void CDocumentArea::closeDocument(CChildFrame* child)
{
    const int g = groupOf(child);
    if (g < 0)
        return;
    QTabWidget* group = groupAt(g);
    group->removeTab(group->indexOf(child));
    child->deleteLater();
    removeEmptyGroups();
    emit activeDocumentChanged(activeDocument());
}

void CDocumentArea::removeEmptyGroups()
{
    for (int g = groupCount() - 1; g >= 0 && groupCount() > 1; --g) {
        QTabWidget* group = groupAt(g);
        if (group->count() == 0) {
            if (m_activeGroup == group)
                m_activeGroup = nullptr;
            delete group;
        }
    }
    if (!m_activeGroup)
        m_activeGroup = groupAt(0);
}

CChildFrame* CDocumentArea::activeDocument() const
{
    QTabWidget* group = activeGroup();
    return group ? qobject_cast<CChildFrame*>(group->currentWidget()) : nullptr;
}

void CDocumentArea::activateDocument(CChildFrame* child)
{
    const int g = groupOf(child);
    if (g < 0)
        return;
    m_activeGroup = groupAt(g);
    m_activeGroup->setCurrentWidget(child);
    child->setFocus();
    emit activeDocumentChanged(child);
}

QList<CChildFrame*> CDocumentArea::documents() const
{
    QList<CChildFrame*> all;
    for (int g = 0; g < groupCount(); ++g)
        for (int i = 0; i < groupAt(g)->count(); ++i)
            if (auto* child = qobject_cast<CChildFrame*>(groupAt(g)->widget(i)))
                all.append(child);
    return all;
}

int CDocumentArea::groupOf(CChildFrame* child) const
{
    for (int g = 0; g < groupCount(); ++g)
        if (groupAt(g)->indexOf(child) >= 0)
            return g;
    return -1;
}

bool CDocumentArea::canNewGroup(Qt::Orientation orientation) const
{
    QTabWidget* group = activeGroup();
    if (!group || group->count() < 2)
        return false;
    return groupCount() == 1 || m_splitter->orientation() == orientation;
}

bool CDocumentArea::canMoveToGroup(int step) const
{
    const int g = m_splitter->indexOf(activeGroup());
    return activeDocument() && g + step >= 0 && g + step < groupCount();
}

void CDocumentArea::newGroup(Qt::Orientation orientation)
{
    if (!canNewGroup(orientation))
        return;
    CChildFrame* child = activeDocument();
    QTabWidget* from = activeGroup();
    m_splitter->setOrientation(orientation);
    QTabWidget* to = createGroup();
    from->removeTab(from->indexOf(child));
    to->addTab(child, child->title());
    updateTab(child);
    m_activeGroup = to;
    to->setCurrentWidget(child);
    emit activeDocumentChanged(child);
}

void CDocumentArea::moveToGroup(int step)
{
    if (!canMoveToGroup(step))
        return;
    CChildFrame* child = activeDocument();
    QTabWidget* from = activeGroup();
    QTabWidget* to = groupAt(m_splitter->indexOf(from) + step);
    from->removeTab(from->indexOf(child));
    to->addTab(child, child->title());
    updateTab(child);
    m_activeGroup = to;
    to->setCurrentWidget(child);
    removeEmptyGroups();
    emit activeDocumentChanged(child);
}

void CDocumentArea::addGroupItems(QMenu& menu)
{
    struct Item {
        int id;
        const char* text;
        bool allowed;
        std::function<void()> run;
    };
    const Item items[] = {
        {cmd::NewHorizontalTabGroup, "New &Horizontal Tab Group", canNewGroup(Qt::Vertical),
         [this] { newGroup(Qt::Vertical); }},
        {cmd::NewVerticalTabGroup, "New &Vertical Tab Group", canNewGroup(Qt::Horizontal),
         [this] { newGroup(Qt::Horizontal); }},
        {cmd::MoveToNextTabGroup, "Move to Ne&xt Tab Group", canMoveToGroup(1), [this] { moveToGroup(1); }},
        {cmd::MoveToPreviousTabGroup, "Move to P&revious Tab Group", canMoveToGroup(-1), [this] { moveToGroup(-1); }},
    };
    for (const Item& item : items) {
        if (!item.allowed)
            continue;
        QAction* a = menu.addAction(QString::fromUtf8(item.text));
        a->setData(item.id);
        connect(a, &QAction::triggered, this, item.run);
    }
}

void CDocumentArea::showTabMenu(QTabWidget* group, const QPoint& pos)
{
    const int index = group->tabBar()->tabAt(pos);
    auto* child = qobject_cast<CChildFrame*>(group->widget(index));
    if (!child)
        return;
    m_activeGroup = group;
    group->setCurrentIndex(index);
    QMenu menu(this);
    QAction* save = menu.addAction(QStringLiteral("&Save"));
    connect(save, &QAction::triggered, this, [this, child] { emit saveRequested(child); });
    QAction* close = menu.addAction(QStringLiteral("&Close"));
    connect(close, &QAction::triggered, this, [this, child] { emit closeRequested(child); });
    menu.addSeparator();
    addGroupItems(menu);
    emit tabMenuAboutToShow(&menu, child);
    menu.exec(group->tabBar()->mapToGlobal(pos));
}
