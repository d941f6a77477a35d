#include "files/CDlgViewLogs.h"

#include "files/FileTreeView.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QThread>
#include <QToolButton>
#include <QTreeWidget>

namespace {
using FileTreeView::KindRole;
using FileTreeView::LineRole;
using FileTreeView::PathRole;

QTextDocument::FindFlags caseFlag(bool matchCase)
{
    return matchCase ? QTextDocument::FindCaseSensitively : QTextDocument::FindFlags();
}
} // namespace

CDlgViewLogs::CDlgViewLogs(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Search Files"));
    setModal(false);
    resize(860, 540);
    m_nameFilter = new QLineEdit(this);
    m_nameFilter->setMaxLength(255);
    m_nameCase = new QCheckBox(QStringLiteral("Match case"), this);
    m_bodyFilter = new QLineEdit(this);
    m_bodyCase = new QCheckBox(QStringLiteral("Match case"), this);
    m_previous = new QToolButton(this);
    m_previous->setArrowType(Qt::UpArrow);
    m_previous->setToolTip(QStringLiteral("Previous match (Shift+F3)"));
    m_next = new QToolButton(this);
    m_next->setArrowType(Qt::DownArrow);
    m_next->setToolTip(QStringLiteral("Next match (F3)"));
    m_tree = new QTreeWidget(this);
    m_tree->setHeaderHidden(true);
    m_tree->setUniformRowHeights(true);
    m_preview = new QTextEdit(this);
    m_preview->setReadOnly(true);
    m_preview->setLineWrapMode(QTextEdit::WidgetWidth);
    m_selected = new QLineEdit(this);
    m_selected->setReadOnly(true);
    auto* clear = new QPushButton(QStringLiteral("Clear filters"), this);
    m_open = new QPushButton(QStringLiteral("Close && Open File"), this);
    m_open->setEnabled(false);
    auto* close = new QPushButton(QStringLiteral("Close"), this);

    auto* filters = new QGridLayout;
    filters->addWidget(new QLabel(QStringLiteral("Filter Name:"), this), 0, 0);
    filters->addWidget(m_nameFilter, 0, 1);
    filters->addWidget(m_nameCase, 0, 2);
    filters->addWidget(new QLabel(QStringLiteral("Filter body:"), this), 1, 0);
    filters->addWidget(m_bodyFilter, 1, 1);
    filters->addWidget(m_bodyCase, 1, 2);
    auto* arrows = new QHBoxLayout;
    arrows->addWidget(m_previous);
    arrows->addWidget(m_next);
    filters->addLayout(arrows, 1, 3);
    auto* panes = new QHBoxLayout;
    panes->addWidget(m_tree, 1);
    panes->addWidget(m_preview, 2);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(new QLabel(QStringLiteral("Selected:"), this));
    bottom->addWidget(m_selected, 1);
    bottom->addWidget(clear);
    bottom->addWidget(m_open);
    bottom->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addLayout(panes, 1);
    layout->addLayout(bottom);

    connect(m_nameFilter, &QLineEdit::textEdited, this, &CDlgViewLogs::filterEdited);
    connect(m_bodyFilter, &QLineEdit::textEdited, this, &CDlgViewLogs::filterEdited);
    connect(m_nameCase, &QCheckBox::toggled, this, [this] {
        if (!m_nameFilter->text().isEmpty())
            fill();
    });
    connect(m_bodyCase, &QCheckBox::toggled, this, [this] {
        if (!m_bodyFilter->text().isEmpty())
            fill();
    });
    connect(clear, &QPushButton::clicked, this, [this] {
        m_nameFilter->clear();
        m_bodyFilter->clear();
        fill();
    });
    connect(m_previous, &QToolButton::clicked, this, [this] { findNext(false); });
    connect(m_next, &QToolButton::clicked, this, [this] { findNext(true); });
    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) { itemSelected(item); });
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) { activate(item); });
    connect(m_open, &QPushButton::clicked, this, [this] {
        const QString path = m_selected->text();
        hide();
        if (!path.isEmpty() && m_openFile)
            m_openFile(path);
    });
    connect(close, &QPushButton::clicked, this, &QDialog::hide);
    // A fill follows 500 to 1000 ms after the last key in a filter.
    m_timer.setInterval(500);
    connect(&m_timer, &QTimer::timeout, this, &CDlgViewLogs::tick);
    m_timer.start();
}

CDlgViewLogs::~CDlgViewLogs() = default;

void CDlgViewLogs::activate(QTreeWidgetItem* item)
{
    if (!item || item->childCount() > 0)
        return;
    const int kind = item->data(0, KindRole).toInt();
    if (kind == SearchFiles::Node::File) {
        const QString path = item->data(0, PathRole).toString();
        if (!path.isEmpty() && m_openFile)
            m_openFile(path);
    } else if (kind == SearchFiles::Node::Function && m_jumpTo) {
        m_jumpTo(item->text(0));
    }
}

void CDlgViewLogs::load(const QString& title, const QString& folder, const QString& mask)
{
    // Filters typed against an earlier namespace load do not carry over a new one.
    if (m_loadStamp) {
        const qint64 stamp = m_loadStamp();
        if (stamp != m_fillStamp) {
            m_fillStamp = stamp;
            m_nameFilter->clear();
            m_bodyFilter->clear();
        }
    }
    m_title = title;
    m_files.clear();
    fill();
    const int serial = ++m_loadSerial;
    ++m_loading;
    QPointer<CDlgViewLogs> self(this);
    // Reading a folder of logs may take a while: never on the window's thread.
    QThread* reader = QThread::create([self, serial, folder, mask] {
        auto error = std::make_shared<QString>();
        auto files = std::make_shared<SearchFiles::FileMap>(SearchFiles::load(folder, mask, error.get()));
        QMetaObject::invokeMethod(qApp, [self, serial, files, error] {
            if (!self)
                return;
            --self->m_loading;
            if (serial != self->m_loadSerial)
                return; // a newer load replaces this one
            self->m_files = std::move(*files);
            // A file that cannot be read ends the load: the files before it
            // are kept, nothing is filled, and the user learns which file.
            if (!error->isEmpty()) {
                if (self->m_failed)
                    self->m_failed(*error);
            } else {
                self->fill();
            }
            emit self->loaded();
        }, Qt::QueuedConnection);
    });
    connect(reader, &QThread::finished, reader, &QObject::deleteLater);
    reader->start();
}

void CDlgViewLogs::filterEdited()
{
    m_refillPending = true;
    m_typed = true;
}

void CDlgViewLogs::tick()
{
    if (!m_refillPending)
        return;
    if (m_typed) {
        m_typed = false;
        return;
    }
    m_refillPending = false;
    fill();
}

void CDlgViewLogs::fill()
{
    SearchFiles::Filter filter;
    filter.name = m_nameFilter->text();
    filter.nameCase = m_nameCase->isChecked();
    filter.body = m_bodyFilter->text();
    filter.bodyCase = m_bodyCase->isChecked();
    const QString pending = std::exchange(m_pendingPath, QString());
    const SearchFiles::Layout layout =
        SearchFiles::layout(m_title, m_files, filter, m_selectedPath, m_selectedFunction, pending, m_functionsOf);

    QTreeWidgetItem* select = FileTreeView::fill(m_tree, layout, [this](const SearchFiles::Node& node) {
        const QStyle::StandardPixmap icon = node.kind == SearchFiles::Node::File ? QStyle::SP_FileIcon
            : node.kind == SearchFiles::Node::Function                           ? QStyle::SP_ArrowRight
                                                                                 : QStyle::SP_DirIcon;
        return style()->standardIcon(icon);
    });
    if (select) {
        m_tree->setCurrentItem(select);
        m_tree->scrollToItem(select);
        itemSelected(select);
    } else {
        itemSelected(nullptr);
    }
}

void CDlgViewLogs::itemSelected(QTreeWidgetItem* item)
{
    const QString path = item ? item->data(0, PathRole).toString() : QString();
    if (path.isEmpty()) {
        if (!item) {
            m_selectedPath.clear();
            m_selected->clear();
            m_open->setEnabled(false);
            showPreview(QString(), QString());
        }
        return;
    }
    if (item->data(0, KindRole).toInt() == SearchFiles::Node::Function) {
        m_pendingLine = item->data(0, LineRole).toLongLong();
        m_selectedFunction = item->text(0);
    } else {
        m_selectedFunction.clear();
    }
    m_selectedPath = path;
    const auto it = m_files.find(path);
    const QString text = it == m_files.end() ? QString() : it->second;
    const QString highlight = m_bodyFilter->text().isEmpty() ? m_selectedFunction : m_bodyFilter->text();
    showPreview(text, highlight);
    m_selected->setText(path);
    m_open->setEnabled(!path.isEmpty());
}

void CDlgViewLogs::showPreview(const QString& text, const QString& highlight)
{
    if (text != m_preview->toPlainText()) {
        QPalette palette = m_preview->palette();
        palette.setColor(QPalette::Base, m_look.background);
        m_preview->setPalette(palette);
        m_preview->setFont(m_look.font);
        m_preview->setPlainText(text);
        if (m_look.colour && text.size() <= m_look.colourLimit)
            m_look.colour(m_preview);
    }
    // The previous marks go; the new ones are the highlight's.
    const bool matchCase = m_bodyCase->isChecked();
    FileTreeView::markAll(m_preview, highlight, caseFlag(matchCase), m_look.marked);
    QTextCursor caret(m_preview->document());
    if (m_pendingLine > 0) {
        const QTextBlock block = m_preview->document()->findBlockByNumber(int(m_pendingLine - 1));
        if (block.isValid())
            caret.setPosition(block.position());
        m_pendingLine = -1;
    } else if (!highlight.isEmpty()) {
        const QTextCursor found = m_preview->document()->find(highlight, 0, caseFlag(matchCase));
        if (!found.isNull())
            caret = found;
    }
    m_preview->setTextCursor(caret);
    m_preview->ensureCursorVisible();
    const bool canFind = !m_bodyFilter->text().isEmpty();
    m_previous->setEnabled(canFind);
    m_next->setEnabled(canFind);
}

bool CDlgViewLogs::findNext(bool forward)
{
    return FileTreeView::findNext(m_preview, m_bodyFilter->text(), m_bodyCase->isChecked(), forward);
}

void CDlgViewLogs::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F3) {
        findNext(!(event->modifiers() & Qt::ShiftModifier));
        return;
    }
    QDialog::keyPressEvent(event);
}
