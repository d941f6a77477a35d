// Find and replace in source views: the last search's options, one modeless
// Find/Replace box acting on the view it was last opened for, F3 repeating
// the last search, and "Cannot find" through the prompter.
#pragma once

#include "editor/TextFinder.h"

#include <QObject>
#include <QPointer>

class CDlgFind;
class Prompter;
class QsciScintilla;
class QWidget;

class CFindReplace : public QObject {
    Q_OBJECT
public:
    // dialogParent: the window the box stays above (the main window).
    explicit CFindReplace(Prompter& prompter, QWidget* dialogParent = nullptr);
    ~CFindReplace() override;

    // Shows the Find (or Replace) box for view, starting with the view's
    // one-line selection or else the last searched text.
    void showDialog(QsciScintilla* view, bool replace);
    // The next occurrence of the last search in view, selected; false (and
    // "Cannot find") when there is none. Without an earlier search the Find
    // box opens instead.
    bool findNext(QsciScintilla* view);
    // Replaces the selection when it is an occurrence, then finds the next one.
    bool replace(QsciScintilla* view);
    // Every occurrence in view, as one undo step; returns how many.
    int replaceAll(QsciScintilla* view);

    TextFinder::Options& options() { return m_options; }
    // The view the box acts on, null when it was closed.
    QsciScintilla* target() const { return m_view; }
    // Created on first use.
    CDlgFind* dialog();

private:
    void takeDialogOptions();
    void notFound();

    Prompter& m_prompter;
    QPointer<QWidget> m_dialogParent;
    QPointer<CDlgFind> m_dialog;
    QPointer<QsciScintilla> m_view;
    TextFinder::Options m_options;
    bool m_searched = false;
};
