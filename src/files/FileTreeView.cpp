#include "files/FileTreeView.h"

#include <QIcon>
#include <QTextEdit>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

QTreeWidgetItem* FileTreeView::fill(QTreeWidget* tree, const SearchFiles::Layout& layout,
                                    const std::function<QIcon(const SearchFiles::Node&)>& icon)
{
    tree->setUpdatesEnabled(false);
    const QSignalBlocker block(tree);
    tree->clear();
    QTreeWidgetItem* select = nullptr;
    std::function<void(QTreeWidgetItem*, const SearchFiles::Node&)> add = [&](QTreeWidgetItem* parent,
                                                                           const SearchFiles::Node& node) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
        item->setText(0, node.text);
        item->setData(0, KindRole, int(node.kind));
        item->setIcon(0, icon(node));
        const bool file = node.kind == SearchFiles::Node::File;
        const bool function = node.kind == SearchFiles::Node::Function;
        if (file || function) {
            item->setData(0, PathRole, node.path);
            item->setData(0, LineRole, node.line);
        }
        if (node.path == layout.selectedPath
            && ((file && layout.selectedFunction.isEmpty()) || (function && node.text == layout.selectedFunction)))
            select = item;
        for (const SearchFiles::Node& child : node.children)
            add(item, child);
    };
    add(nullptr, layout.root);
    if (QTreeWidgetItem* root = tree->topLevelItem(0)) {
        root->setExpanded(true);
        // The folders open; files keep their functions folded.
        if (layout.expandAll())
            for (QTreeWidgetItemIterator it(root); *it; ++it)
                if ((*it)->data(0, KindRole).toInt() == int(SearchFiles::Node::Folder))
                    (*it)->setExpanded(true);
    }
    tree->setUpdatesEnabled(true);
    return select;
}

QTextCursor FileTreeView::markAll(QTextEdit* preview, const QString& text, QTextDocument::FindFlags flags,
                                  const QColor& colour)
{
    QList<QTextEdit::ExtraSelection> marks;
    QTextCursor first;
    if (!text.isEmpty())
        for (QTextCursor at = preview->document()->find(text, 0, flags); !at.isNull();
             at = preview->document()->find(text, at, flags)) {
            if (first.isNull())
                first = at;
            QTextEdit::ExtraSelection mark;
            mark.cursor = at;
            mark.format.setBackground(colour);
            marks.append(mark);
        }
    preview->setExtraSelections(marks);
    return first;
}

bool FileTreeView::findNext(QTextEdit* preview, const QString& text, bool matchCase, bool forward)
{
    if (text.isEmpty())
        return false;
    const int start = preview->textCursor().selectionStart();
    const int from = start == 0 ? 0 : forward ? start + 1 : start - 1;
    QTextDocument::FindFlags flags = matchCase ? QTextDocument::FindCaseSensitively : QTextDocument::FindFlags();
    if (!forward)
        flags |= QTextDocument::FindBackward;
    const QTextCursor found = preview->document()->find(text, from, flags);
    if (found.isNull())
        return false;
    preview->setTextCursor(found);
    preview->ensureCursorVisible();
    return true;
}
