#include "files/CDlgRemoteFiles.h"

#include "files/FileTreeView.h"
#include "files/LocalCodebase.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
using FileTreeView::KindRole;
using FileTreeView::LineRole;
using FileTreeView::PathRole;
} // namespace

CDlgRemoteFiles::CDlgRemoteFiles(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Remote Files Inventory"));
    setModal(false);
    setMinimumSize(870, 300);
    resize(1000, 600);
    m_local = new QRadioButton(QStringLiteral("Local "), this);
    m_remote = new QRadioButton(QStringLiteral("Remote"), this);
    m_remote->setChecked(true);
    auto* group = new QButtonGroup(this);
    group->addButton(m_local);
    group->addButton(m_remote);
    m_localPath = new QLineEdit(QStringLiteral("<-- Pick local codebase to match"), this);
    m_localPath->setReadOnly(true);
    m_pick = new QPushButton(QStringLiteral("Pick Local..."), this);
    m_pick->setEnabled(false);
    m_nameFilter = new QLineEdit(this);
    m_nameFilter->setMaxLength(255);
    m_nameCase = new QCheckBox(QStringLiteral("Match case"), this);
    m_bodyFilter = new QLineEdit(this);
    m_bodyCase = new QCheckBox(QStringLiteral("Match case"), this);
    m_previous = new QToolButton(this);
    m_previous->setArrowType(Qt::UpArrow);
    m_previous->setToolTip(QStringLiteral("Previous match (Shift+F3)"));
    m_previous->setEnabled(false);
    m_next = new QToolButton(this);
    m_next->setArrowType(Qt::DownArrow);
    m_next->setToolTip(QStringLiteral("Next match (F3)"));
    m_next->setEnabled(false);
    m_tree = new QTreeWidget(this);
    m_tree->setHeaderHidden(true);
    m_preview = new QTextEdit(this);
    m_preview->setReadOnly(true);
    m_selected = new QLineEdit(this);
    m_selected->setReadOnly(true);
    m_matched = new QLineEdit(this);
    m_matched->setReadOnly(true);
    m_functionsLabel = new QLabel(QStringLiteral("0 Functions"), this);
    m_filesLabel = new QLabel(QStringLiteral("0 Files - 0 Matched"), this);
    auto* clear = new QPushButton(QStringLiteral("Clear filters"), this);
    m_open = new QPushButton(QStringLiteral("Close && Open File"), this);
    m_jump = new QPushButton(QStringLiteral("Close && Jump To"), this);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    m_open->setEnabled(false);
    m_jump->setEnabled(false);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Show Codebase:"), this));
    top->addWidget(m_local);
    top->addWidget(m_remote);
    top->addWidget(m_pick);
    top->addWidget(m_localPath, 1);
    auto* filters = new QGridLayout;
    filters->addWidget(new QLabel(QStringLiteral("Filter Name:"), this), 0, 0);
    filters->addWidget(m_nameFilter, 0, 1);
    filters->addWidget(m_nameCase, 0, 2);
    filters->addWidget(new QLabel(QStringLiteral("Filter body:"), this), 0, 3);
    filters->addWidget(m_bodyFilter, 0, 4);
    filters->addWidget(m_bodyCase, 0, 5);
    auto* arrows = new QHBoxLayout;
    arrows->setSpacing(0);
    arrows->addWidget(m_previous);
    arrows->addWidget(m_next);
    filters->addLayout(arrows, 0, 6);
    auto* panes = new QHBoxLayout;
    panes->addWidget(m_tree, 1);
    panes->addWidget(m_preview, 2);
    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("Selected:"), this), 0, 0);
    fields->addWidget(m_selected, 0, 1);
    fields->addWidget(m_functionsLabel, 0, 2);
    fields->addWidget(new QLabel(QStringLiteral("Matched to:"), this), 1, 0);
    fields->addWidget(m_matched, 1, 1);
    fields->addWidget(m_filesLabel, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(clear);
    buttons->addStretch(1);
    buttons->addWidget(m_open);
    buttons->addWidget(m_jump);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(filters);
    layout->addLayout(panes, 1);
    layout->addLayout(fields);
    layout->addLayout(buttons);

    connect(m_local, &QRadioButton::clicked, this, [this] {
        m_reselect = m_counterpart.isEmpty() ? m_selectedPath : m_counterpart;
        refill();
    });
    connect(m_remote, &QRadioButton::clicked, this, [this] {
        m_reselect = m_counterpart.isEmpty() ? m_selectedPath : m_counterpart;
        refill();
    });
    connect(m_pick, &QPushButton::clicked, this, [this] {
        const QString folder = m_pickFolder ? m_pickFolder() : QString();
        if (!folder.isEmpty() && folder != m_localFolder)
            pickLocal(folder);
    });
    auto edited = [this] {
        m_changed = true;
        m_typing = true;
    };
    connect(m_nameFilter, &QLineEdit::textEdited, this, edited);
    connect(m_bodyFilter, &QLineEdit::textEdited, this, edited);
    connect(m_nameCase, &QCheckBox::toggled, this, [this] {
        if (!m_nameFilter->text().isEmpty())
            refill();
    });
    connect(m_bodyCase, &QCheckBox::toggled, this, [this] {
        if (!m_bodyFilter->text().isEmpty())
            refill();
    });
    connect(clear, &QPushButton::clicked, this, [this] {
        m_nameFilter->clear();
        m_bodyFilter->clear();
        refill();
    });
    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) { itemSelected(item); });
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (item->data(0, KindRole).toInt() == SearchFiles::Node::Function) {
            if (m_jumpTo)
                m_jumpTo(item->text(0));
        } else if (item->data(0, KindRole).toInt() == SearchFiles::Node::File && !fileToOpen().isEmpty() && m_openFile) {
            m_openFile(fileToOpen());
        }
    });
    connect(m_open, &QPushButton::clicked, this, [this] {
        const QString path = fileToOpen();
        hide();
        if (!path.isEmpty() && m_openFile)
            m_openFile(path);
    });
    connect(m_jump, &QPushButton::clicked, this, [this] {
        const QString name = m_jumpName;
        hide();
        if (!name.isEmpty() && m_jumpTo)
            m_jumpTo(name);
    });
    connect(close, &QPushButton::clicked, this, &QDialog::hide);
    connect(m_previous, &QToolButton::clicked, this, [this] { findNext(false); });
    connect(m_next, &QToolButton::clicked, this, [this] { findNext(true); });
    m_timer.setInterval(500);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (m_typing) {
            m_typing = false;
        } else if (m_changed) {
            m_changed = false;
            refill();
        }
    });
    m_timer.start();
}

bool CDlgRemoteFiles::showingRemote() const { return m_remote->isChecked(); }

void CDlgRemoteFiles::setRemote(SearchFiles::FileMap files, qint64 stamp)
{
    m_remoteFiles = std::move(files);
    m_stamp = stamp;
}

void CDlgRemoteFiles::openRemote()
{
    m_remote->setChecked(true);
    if (m_stamp != m_builtStamp || m_localFolder != m_builtLocal) {
        m_builtStamp = m_stamp;
        m_builtLocal = m_localFolder;
        m_match.clear();
        m_nameFilter->clear();
        m_bodyFilter->clear();
    }
    refill();
    show();
    raise();
    activateWindow();
}

void CDlgRemoteFiles::showFile(const QString& path, qint64 line, const QString& function)
{
    m_reselect = path;
    m_lineToShow = line;
    m_jumpName = function;
    m_nameFilter->clear();
    m_bodyFilter->clear();
    openRemote();
}

void CDlgRemoteFiles::setLocalCodebase(const LocalCodebase* codebase, std::function<void(const QString&)> load)
{
    m_codebase = codebase;
    m_loadLocal = std::move(load);
    m_pick->setEnabled(m_codebase && m_loadLocal);
}

const SearchFiles::FileMap& CDlgRemoteFiles::localFiles() const
{
    static const SearchFiles::FileMap none;
    // While the file view reads a new codebase its map is empty.
    return m_codebase && !m_localFolder.isEmpty() ? m_codebase->files() : none;
}

void CDlgRemoteFiles::pickLocal(const QString& folder)
{
    if (!m_loadLocal)
        return;
    m_match.clear();
    m_reselect = m_selectedPath;
    hide();
    m_loadLocal(folder);
}

void CDlgRemoteFiles::localPicked(const QString& root)
{
    // Another reading: lengths and pairs may differ even under the same root.
    m_match.clear();
    m_localFolder = root;
    m_localPath->setText(root);
    m_local->setChecked(true);
    refill();
    show();
    raise();
    activateWindow();
    emit localLoaded();
}

void CDlgRemoteFiles::refill()
{
    m_local->setEnabled(!m_localFolder.isEmpty());
    m_remote->setEnabled(!m_remoteFiles.empty());
    const bool remote = showingRemote();
    const SearchFiles::FileMap& shown = remote ? m_remoteFiles : localFiles();
    const SearchFiles::FileMap& other = remote ? localFiles() : m_remoteFiles;
    SearchFiles::Filter filter{m_nameFilter->text(), m_nameCase->isChecked(), m_bodyFilter->text(),
                               m_bodyCase->isChecked()};
    QHash<QString, QString> counterparts;
    if (!other.empty())
        for (const auto& [path, text] : shown)
            counterparts.insert(path, m_match.counterpart(path, text, other, remote));
    // A local file lists the functions of its remote counterpart.
    SearchFiles::FunctionsOf functionsOf = m_functionsOf;
    if (!remote && m_functionsOf)
        functionsOf = [this, counterparts](const QString& path) {
            const QString remotePath = counterparts.value(path);
            return remotePath.isEmpty() ? QList<SearchFiles::Function>() : m_functionsOf(remotePath);
        };
    const SearchFiles::Layout layout = SearchFiles::layout(remote ? QStringLiteral("Remote FS") : QStringLiteral("Local FS"),
                                                           shown, filter, m_reselect, m_jumpName, QString(), functionsOf);

    int files = 0, matched = 0, functions = 0;
    QTreeWidgetItem* select = FileTreeView::fill(m_tree, layout, [&](const SearchFiles::Node& node) {
        QStyle::StandardPixmap icon = QStyle::SP_DirIcon;
        if (node.kind == SearchFiles::Node::Root)
            icon = QStyle::SP_DriveHDIcon;
        if (node.kind == SearchFiles::Node::File) {
            ++files;
            const bool hasCounterpart = !counterparts.value(node.path).isEmpty();
            matched += hasCounterpart ? 1 : 0;
            icon = hasCounterpart ? QStyle::SP_DialogApplyButton : QStyle::SP_FileIcon;
        }
        if (node.kind == SearchFiles::Node::Function) {
            ++functions;
            icon = QStyle::SP_ArrowRight;
        }
        return style()->standardIcon(icon);
    });
    m_functionsLabel->setText(QStringLiteral("%1 Functions").arg(functions));
    m_filesLabel->setText(QStringLiteral("%1 Files - %2 Matched").arg(files).arg(matched));
    m_reselect.clear();
    if (select) {
        m_tree->setCurrentItem(select);
        m_tree->scrollToItem(select);
    }
    itemSelected(select);
}

QString CDlgRemoteFiles::fileToOpen() const
{
    return showingRemote() ? m_counterpart : m_selectedPath;
}

void CDlgRemoteFiles::itemSelected(QTreeWidgetItem* item)
{
    const QString path = item ? item->data(0, PathRole).toString() : QString();
    if (path.isEmpty()) {
        m_selectedPath.clear();
        m_counterpart.clear();
        m_selected->clear();
        m_matched->clear();
        m_open->setEnabled(false);
        m_jump->setEnabled(false);
        m_preview->clear();
        m_previous->setEnabled(false);
        m_next->setEnabled(false);
        return;
    }
    if (item->data(0, KindRole).toInt() == SearchFiles::Node::Function) {
        m_lineToShow = item->data(0, LineRole).toLongLong();
        m_jumpName = item->text(0);
        m_jump->setEnabled(true);
    } else {
        m_jumpName.clear();
        m_jump->setEnabled(false);
    }
    m_selectedPath = path;
    const bool remote = showingRemote();
    const SearchFiles::FileMap& shown = remote ? m_remoteFiles : localFiles();
    const SearchFiles::FileMap& other = remote ? localFiles() : m_remoteFiles;
    const auto it = shown.find(path);
    const QString text = it == shown.end() ? QString() : it->second;
    m_counterpart = other.empty() ? QString() : m_match.counterpart(path, text, other, remote);
    m_selected->setText(path);
    m_matched->setText(!m_localFolder.isEmpty() && !m_remoteFiles.empty() ? m_counterpart : QString());
    m_open->setEnabled(!fileToOpen().isEmpty());
    showPreview(text);
}

void CDlgRemoteFiles::showPreview(const QString& text)
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
    const QString highlight = m_bodyFilter->text().isEmpty() ? m_jumpName : m_bodyFilter->text();
    const QTextDocument::FindFlags flags =
        m_bodyCase->isChecked() ? QTextDocument::FindCaseSensitively : QTextDocument::FindFlags();
    const QTextCursor first = FileTreeView::markAll(m_preview, highlight, flags, m_look.marked);
    QTextCursor caret(m_preview->document());
    if (m_lineToShow > 0) {
        const QTextBlock block = m_preview->document()->findBlockByNumber(int(m_lineToShow - 1));
        if (block.isValid())
            caret.setPosition(block.position());
        m_lineToShow = -1;
    } else if (!first.isNull()) {
        caret = first;
    }
    m_preview->setTextCursor(caret);
    m_preview->ensureCursorVisible();
    const bool canFind = !m_bodyFilter->text().isEmpty();
    m_previous->setEnabled(canFind);
    m_next->setEnabled(canFind);
}

bool CDlgRemoteFiles::findNext(bool forward)
{
    return FileTreeView::findNext(m_preview, m_bodyFilter->text(), m_bodyCase->isChecked(), forward);
}

void CDlgRemoteFiles::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F3) {
        findNext(!(event->modifiers() & Qt::ShiftModifier));
        return;
    }
    QDialog::keyPressEvent(event);
}
