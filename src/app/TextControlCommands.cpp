#include "app/TextControlCommands.h"

#include "app/CommandIds.h"
#include "core/commands/CommandHandlers.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace {
QLineEdit* focusedLine() { return qobject_cast<QLineEdit*>(QApplication::focusWidget()); }
QTextEdit* focusedText() { return qobject_cast<QTextEdit*>(QApplication::focusWidget()); }
QPlainTextEdit* focusedPlain() { return qobject_cast<QPlainTextEdit*>(QApplication::focusWidget()); }

bool hasSelection()
{
    if (QLineEdit* e = focusedLine())
        return e->hasSelectedText();
    if (QTextEdit* e = focusedText())
        return e->textCursor().hasSelection();
    if (QPlainTextEdit* e = focusedPlain())
        return e->textCursor().hasSelection();
    return false;
}

bool writable()
{
    if (QLineEdit* e = focusedLine())
        return !e->isReadOnly();
    if (QTextEdit* e = focusedText())
        return !e->isReadOnly();
    if (QPlainTextEdit* e = focusedPlain())
        return !e->isReadOnly();
    return false;
}

bool focused() { return focusedLine() || focusedText() || focusedPlain(); }
} // namespace

void TextControlCommands::add(CommandHandlers& handlers, QObject* owner)
{
    using Scope = CommandHandlers::Scope;
    handlers.addHandler(cmd::EditCopy, owner, Scope::Window, [] {
        if (QLineEdit* e = focusedLine()) e->copy();
        else if (QTextEdit* t = focusedText()) t->copy();
        else if (QPlainTextEdit* p = focusedPlain()) p->copy();
    }, hasSelection);
    handlers.addHandler(cmd::EditCut, owner, Scope::Window, [] {
        if (QLineEdit* e = focusedLine()) e->cut();
        else if (QTextEdit* t = focusedText()) t->cut();
        else if (QPlainTextEdit* p = focusedPlain()) p->cut();
    }, [] { return hasSelection() && writable(); });
    // Pasting brings plain text only, never formatting.
    const auto paste = [] {
        const QString text = QApplication::clipboard()->text();
        if (QLineEdit* e = focusedLine()) e->insert(text);
        else if (QTextEdit* t = focusedText()) t->insertPlainText(text);
        else if (QPlainTextEdit* p = focusedPlain()) p->insertPlainText(text);
    };
    handlers.addHandler(cmd::EditPaste, owner, Scope::Window, paste, writable);
    handlers.addHandler(cmd::EditPasteSpecial, owner, Scope::Window, paste, writable);
    handlers.addHandler(cmd::EditSelectAll, owner, Scope::Window, [] {
        if (QLineEdit* e = focusedLine()) e->selectAll();
        else if (QTextEdit* t = focusedText()) t->selectAll();
        else if (QPlainTextEdit* p = focusedPlain()) p->selectAll();
    }, focused);
    handlers.addHandler(cmd::EditUndo, owner, Scope::Window, [] {
        if (QLineEdit* e = focusedLine()) e->undo();
        else if (QTextEdit* t = focusedText()) t->undo();
        else if (QPlainTextEdit* p = focusedPlain()) p->undo();
    }, [] {
        if (QLineEdit* e = focusedLine()) return e->isUndoAvailable();
        if (QTextEdit* t = focusedText()) return !t->isReadOnly() && t->document()->isUndoAvailable();
        if (QPlainTextEdit* p = focusedPlain()) return !p->isReadOnly() && p->document()->isUndoAvailable();
        return false;
    });
    handlers.addHandler(cmd::EditRedo, owner, Scope::Window, [] {
        if (QLineEdit* e = focusedLine()) e->redo();
        else if (QTextEdit* t = focusedText()) t->redo();
        else if (QPlainTextEdit* p = focusedPlain()) p->redo();
    }, [] {
        if (QLineEdit* e = focusedLine()) return e->isRedoAvailable();
        if (QTextEdit* t = focusedText()) return !t->isReadOnly() && t->document()->isRedoAvailable();
        if (QPlainTextEdit* p = focusedPlain()) return !p->isReadOnly() && p->document()->isRedoAvailable();
        return false;
    });
}
