#include "watch/CQuickWatchDialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

CQuickWatchDialog::CQuickWatchDialog(const QString& expression, Requery requery, const RenderOptions& options,
                                     QWidget* parent)
    : QDialog(parent)
    , m_requery(std::move(requery))
    , m_options(options)
    , m_expression(new QComboBox)
    , m_requeryButton(new QPushButton(QStringLiteral("Requery")))
    , m_physical(new QRadioButton(QStringLiteral("Physical (K struct-indexed)")))
    , m_logical(new QRadioButton(QStringLiteral("Logical (Q-indexed)")))
    , m_tree(new QTreeWidget)
    , m_value(new QTextEdit)
    , m_path(new QLineEdit)
{
    setWindowTitle(QStringLiteral("Quick Watch"));
    setModal(true);
    setMinimumSize(500, 300);
    resize(640, 420);

    m_expression->setEditable(true);
    m_expression->setInsertPolicy(QComboBox::NoInsert);
    m_expression->setEditText(expression);
    m_expression->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_requeryButton->setDefault(true);
    m_physical->setChecked(true);
    m_tree->setHeaderHidden(true);
    m_tree->setUniformRowHeights(false);
    m_value->setReadOnly(true);
    m_value->setLineWrapMode(QTextEdit::WidgetWidth);
    m_path->setReadOnly(true);
    auto* close = new QPushButton(QStringLiteral("Close"));
    close->setAutoDefault(false);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Expression")));
    top->addWidget(m_expression, 1);
    top->addWidget(m_requeryButton);
    auto* middle = new QHBoxLayout;
    middle->addWidget(m_tree, 1);
    middle->addWidget(m_value, 2);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_physical);
    bottom->addWidget(m_logical);
    bottom->addStretch(1);
    bottom->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(middle, 1);
    layout->addWidget(m_path);
    layout->addLayout(bottom);

    connect(m_requeryButton, &QPushButton::clicked, this, &CQuickWatchDialog::requery);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_physical, &QRadioButton::toggled, this, [this](bool on) {
        setMode(on ? QuickWatchTree::Mode::Physical : QuickWatchTree::Mode::Logical);
    });
    connect(m_tree, &QTreeWidget::currentItemChanged, this, &CQuickWatchDialog::nodeSelected);
}

CQuickWatchDialog::~CQuickWatchDialog() = default;

void CQuickWatchDialog::requery()
{
    if (m_querying || !m_requery)
        return;
    m_querying = true;
    m_requeryButton->setEnabled(false);
    const QString text = m_expression->currentText();
    QPointer<CQuickWatchDialog> self(this);
    m_requery(text, [self, text](KPtr reply) {
        if (!self)
            return;
        self->m_querying = false;
        self->m_requeryButton->setEnabled(true);
        // A lost connection leaves everything as it was.
        if (!reply)
            return;
        self->m_history.evaluated(text);
        self->syncHistory();
        self->m_reply = std::move(reply);
        self->rebuild();
        emit self->rebuilt();
    });
}

void CQuickWatchDialog::syncHistory()
{
    const QString text = m_expression->currentText();
    const QStringList& entries = m_history.entries();
    for (int i = m_expression->count(); i < entries.size(); ++i)
        m_expression->addItem(entries.at(i));
    m_expression->setEditText(text);
}

void CQuickWatchDialog::setMode(QuickWatchTree::Mode mode)
{
    if (mode == m_mode)
        return;
    m_mode = mode;
    {
        const QSignalBlocker block(m_physical);
        m_physical->setChecked(mode == QuickWatchTree::Mode::Physical);
        m_logical->setChecked(mode == QuickWatchTree::Mode::Logical);
    }
    m_path->setVisible(mode == QuickWatchTree::Mode::Physical);
    m_value->clear();
    rebuild();
}

void CQuickWatchDialog::rebuild()
{
    m_value->clear();
    const QSignalBlocker block(m_tree);
    m_tree->clear();
    m_nodes.clear();
    m_root = QuickWatchTree::build(m_reply.get(), m_mode, m_options);
    if (!m_root->value)
        return;
    auto* item = new QTreeWidgetItem(m_tree, {m_root->text});
    addItems(item, *m_root);
    item->setExpanded(true);
    m_tree->setCurrentItem(item);
    nodeSelected();
}

void CQuickWatchDialog::addItems(QTreeWidgetItem* item, const QuickWatchNode& node)
{
    m_nodes.insert(item, &node);
    for (const auto& child : node.children)
        addItems(new QTreeWidgetItem(item, {child->text}), *child);
}

bool CQuickWatchDialog::selectPath(const QList<int>& path)
{
    QTreeWidgetItem* item = m_tree->topLevelItem(0);
    for (int i : path) {
        if (!item || i < 0 || i >= item->childCount())
            return false;
        item->setExpanded(true);
        item = item->child(i);
    }
    if (!item)
        return false;
    m_tree->setCurrentItem(item);
    return true;
}

void CQuickWatchDialog::nodeSelected()
{
    const QuickWatchNode* node = m_nodes.value(m_tree->currentItem());
    if (!node)
        return;
    const QString text = QuickWatchTree::valueText(*node, m_options);
    m_value->setPlainText(text);
    if (const qsizetype brace = text.indexOf(u'{'); brace >= 0 && m_colourer)
        m_colourer(m_value, int(brace));
    if (m_mode == QuickWatchTree::Mode::Logical) {
        m_expression->setEditText(m_history.expressionFor(QuickWatchTree::logicalPath(*node)));
        syncHistory();
    } else {
        m_path->setText(QuickWatchTree::physicalPath(*node));
    }
}
