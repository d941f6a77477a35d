#include "app/CDlgWindows.h"

#include "app/CChildFrame.h"
#include "app/CDocumentArea.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

CDlgWindows::CDlgWindows(CDocumentArea& area, QWidget* parent)
    : QDialog(parent)
    , m_area(area)
    , m_list(new QListWidget(this))
{
    setWindowTitle(QStringLiteral("Windows"));
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    auto* activate = new QPushButton(QStringLiteral("&Activate"), this);
    auto* close = new QPushButton(QStringLiteral("&Close Window(s)"), this);
    auto* done = new QPushButton(QStringLiteral("OK"), this);
    connect(activate, &QPushButton::clicked, this, &CDlgWindows::activateSelected);
    connect(close, &QPushButton::clicked, this, &CDlgWindows::closeSelected);
    connect(done, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &CDlgWindows::activateSelected);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {activate, close, done})
        buttons->addWidget(b);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(buttons);
    refresh();
}

void CDlgWindows::refresh()
{
    m_list->clear();
    for (CChildFrame* child : m_area.documents()) {
        auto* item = new QListWidgetItem(child->title(), m_list);
        item->setData(Qt::UserRole, QVariant::fromValue(static_cast<QObject*>(child)));
        if (child == m_area.activeDocument())
            m_list->setCurrentItem(item);
    }
}

void CDlgWindows::activateSelected()
{
    QListWidgetItem* item = m_list->currentItem();
    if (!item)
        return;
    if (auto* child = qobject_cast<CChildFrame*>(item->data(Qt::UserRole).value<QObject*>()))
        m_area.activateDocument(child);
    accept();
}

void CDlgWindows::closeSelected()
{
    QList<QPointer<CChildFrame>> chosen;
    for (QListWidgetItem* item : m_list->selectedItems())
        chosen.append(qobject_cast<CChildFrame*>(item->data(Qt::UserRole).value<QObject*>()));
    for (const QPointer<CChildFrame>& child : chosen)
        if (child)
            emit closeRequested(child);
    refresh();
}
