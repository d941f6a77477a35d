// What the search-files dialog and the remote files inventory share: the
// layout of files put into a tree widget (file and function items carry their
// path and line), and the marks of a text's occurrences in a preview.
#pragma once

#include "files/SearchFiles.h"

#include <QColor>
#include <QTextCursor>
#include <QTextDocument>

#include <functional>

class QIcon;
class QTextEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace FileTreeView {

inline constexpr int PathRole = Qt::UserRole;
inline constexpr int LineRole = Qt::UserRole + 1;
inline constexpr int KindRole = Qt::UserRole + 2;

// Empties tree and fills it from layout (its folders expanded when it lists
// fewer than 1000 files); returns the item of the layout's selection, or null.
QTreeWidgetItem* fill(QTreeWidget* tree, const SearchFiles::Layout& layout,
                      const std::function<QIcon(const SearchFiles::Node&)>& icon);

// Marks every occurrence of text in the preview's extra selections; returns
// the first one (null when there is none).
QTextCursor markAll(QTextEdit* preview, const QString& text, QTextDocument::FindFlags flags, const QColor& colour);

// The next (or previous) occurrence of text in the preview from its
// selection's start, selected; false when there is none.
bool findNext(QTextEdit* preview, const QString& text, bool matchCase, bool forward);

} // namespace FileTreeView
