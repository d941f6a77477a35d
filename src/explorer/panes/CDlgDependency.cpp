#include "explorer/panes/CDlgDependency.h"

#include "explorer/CQEntity.h"
#include "explorer/CQFunction.h"
#include "explorer/NamespaceModel.h"
#include "explorer/panes/ExplorerIcons.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTextDocument>
#include <QTextEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

void addItems(QTreeWidgetItem* parent, const DependencyWalk::Item& item)
{
    for (const DependencyWalk::Item& child : item.children) {
        auto* node = new QTreeWidgetItem(parent, {child.name});
        node->setIcon(0, ExplorerIcons::icon(child.image));
        addItems(node, child);
    }
}

// The call graph in a modal box of its own, to read or copy.
void showText(QWidget* parent, const QString& text)
{
    QDialog box(parent);
    box.setWindowTitle(QStringLiteral("Call graph"));
    box.resize(600, 420);
    auto* view = new QPlainTextEdit(&box);
    view->setReadOnly(true);
    view->setPlainText(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &box);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);
    auto* layout = new QVBoxLayout(&box);
    layout->addWidget(view);
    layout->addWidget(buttons);
    box.exec();
}

} // namespace

CDlgDependency::CDlgDependency(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Dependency Explorer"));
    setModal(false);
    resize(900, 560);
    m_tree = new QTreeWidget(this);
    m_tree->setHeaderHidden(true);
    m_upperLabel = new QLabel(QStringLiteral("User"), this);
    m_lowerLabel = new QLabel(QStringLiteral("Dependency"), this);
    m_upper = new QTextEdit(this);
    m_lower = new QTextEdit(this);
    for (QTextEdit* pane : {m_upper, m_lower}) {
        pane->setReadOnly(true);
        pane->setLineWrapMode(QTextEdit::WidgetWidth);
    }
    auto* right = new QWidget(this);
    auto* panes = new QVBoxLayout(right);
    panes->setContentsMargins(0, 0, 0, 0);
    panes->addWidget(new QLabel(QStringLiteral("User/Caller"), this));
    panes->addWidget(m_upperLabel);
    panes->addWidget(m_upper, 1);
    panes->addWidget(new QLabel(QStringLiteral("Dependency"), this));
    panes->addWidget(m_lowerLabel);
    panes->addWidget(m_lower, 1);
    auto* split = new QSplitter(this);
    split->addWidget(m_tree);
    split->addWidget(right);
    split->setStretchFactor(1, 2);
    auto* asText = new QPushButton(QStringLiteral("Call graph as text"), this);
    auto* inTree = new QPushButton(QStringLiteral("Show in &Namespaces"), this);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(asText);
    buttons->addWidget(inTree);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(split, 1);
    layout->addLayout(buttons);

    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) { itemSelected(item); });
    connect(asText, &QPushButton::clicked, this, [this] { showText(this, m_callGraph); });
    connect(inTree, &QPushButton::clicked, this, [this] {
        if (QTreeWidgetItem* item = m_tree->currentItem(); item && m_select)
            m_select(item->text(0));
    });
    connect(close, &QPushButton::clicked, this, &QDialog::hide);
}

void CDlgDependency::showFor(Mode mode, const CQEntity& entity, std::shared_ptr<NamespaceModel> model)
{
    m_mode = mode;
    m_model = std::move(model);
    m_tree->clear();
    m_upper->clear();
    m_lower->clear();
    m_upperName.clear();
    m_lowerName.clear();
    m_callGraph.clear();
    DependencyWalk::Item root{entity.fullName(), mode == Dependencies ? int(CQEntity::Function) : entity.kind(), {}};
    QString text;
    if (m_model) {
        text = mode == Dependencies && entity.kind() == CQEntity::Function
            ? DependencyWalk::dependencies(static_cast<const CQFunction&>(entity), QString(), *m_model, &root)
            : DependencyWalk::callers(entity, QString(), *m_model, &root);
    }
    m_callGraph = text.replace(QStringLiteral("\n"), QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    auto* top = new QTreeWidgetItem(m_tree, {root.name});
    top->setIcon(0, ExplorerIcons::icon(root.image));
    addItems(top, root);
    top->setExpanded(true);
    m_tree->setCurrentItem(top);
    hide();
    show();
    raise();
    activateWindow();
}

void CDlgDependency::itemSelected(QTreeWidgetItem* item)
{
    if (!item)
        return;
    const QString selected = item->text(0);
    const QString parent = item->parent() ? item->parent()->text(0) : QString();
    QString upper = m_mode == Dependencies ? parent : selected;
    const QString lower = m_mode == Dependencies ? selected : parent.isEmpty() ? selected : parent;
    if (upper.isEmpty())
        upper = lower;
    fillPane(m_lower, m_lowerLabel, m_lowerName, lower);
    fillPane(m_upper, m_upperLabel, m_upperName, upper);
    // The dependency's name marked where the user (or caller) uses it.
    QList<QTextEdit::ExtraSelection> marks;
    QTextDocument* doc = m_upper->document();
    if (!lower.isEmpty())
        for (QTextCursor at = doc->find(lower); !at.isNull(); at = doc->find(lower, at)) {
            QTextEdit::ExtraSelection mark;
            mark.cursor = at;
            mark.format.setBackground(m_look.marked);
            marks.append(mark);
        }
    m_upper->setExtraSelections(marks);
}

void CDlgDependency::fillPane(QTextEdit* pane, QLabel* label, QString& shown, const QString& name)
{
    if (name == shown)
        return;
    shown = name;
    label->setText(name);
    QPalette palette = pane->palette();
    palette.setColor(QPalette::Base, m_look.background);
    pane->setPalette(palette);
    pane->setFont(m_look.font);
    const CQEntity* entity = m_model ? m_model->find(name) : nullptr;
    if (entity && entity->kind() == CQEntity::Function) {
        pane->setPlainText(name + u':' + static_cast<const CQFunction*>(entity)->body());
        if (m_look.colour)
            m_look.colour(pane);
    } else {
        pane->setPlainText(entity ? name : name + QStringLiteral(" (undefined)"));
    }
}
