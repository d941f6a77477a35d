// The source view: a QScintilla editor showing one q document, coloured by
// the q lexer after each quiet typing period, with the editing commands that
// need no connection (tab indenting, go to line, bracket matching, marking,
// the two copy forms, plain-text paste).
#pragma once

#include "core/settings/CDlgQSettings.h"
#include "editor/CDocEditor.h"
#include "editor/CDocWindows.h"
#include "editor/CLookupListBox.h"
#include "editor/CompletionSession.h"
#include "editor/CTovoDoc.h"
#include "editor/CTypingGate.h"

#include <Qsci/qsciscintilla.h>

#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>

class CDialogFontsColors;
class CommandHandlers;
class CFindReplace;
class CQLexer;
class Prompter;
class QMenu;

class CTovoView : public QsciScintilla, public CDocEditor {
    Q_OBJECT
public:
    CTovoView(const CDialogFontsColors& scheme, const CDlgEditorSettings& settings, Prompter& prompter,
              QWidget* parent = nullptr);
    ~CTovoView() override;

    CTovoDoc& document() { return m_windows->document(); }
    CQLexer& lexer() { return *m_lexer; }

    // "New Window": another view on this view's document, with the same text,
    // colours, modified state and undo history, and its own caret, selection,
    // scrolling, word wrap, highlighting, brackets and marks. The caller owns it.
    CTovoView* createWindowView(QWidget* parent = nullptr);
    // The windows of this view's document, in the order they were opened.
    QList<CTovoView*> windows() const { return m_windows->views(); }
    int windowCount() const { return static_cast<int>(m_windows->views().size()); }
    bool isLastWindow() const { return windowCount() == 1; }
    // 1-based number of this window among its document's windows.
    int windowIndex() const { return m_windows->indexOf(this); }
    // A window's caption: "title:n" while the document has several windows.
    QString frameTitle(const QString& documentTitle) const;
    // Whether this view is the one that colours the shared text and keeps
    // the document's timers (the first window still open).
    bool processesChanges() const { return m_windows->processor() == this; }
    // The set of indicators this view paints its brackets and marks with.
    int indicatorSlot() const { return m_slot; }

    // Source font, "Default" text colour and background, then full colouring.
    void applyFontsAndColours();
    // Critical instances show CriticalBackground instead of "Background".
    void setCritical(bool critical, std::uint32_t criticalBackground);
    void setHighlighting(bool on);
    bool highlighting() const { return m_highlighting; }
    void toggleHighlighting() { setHighlighting(!highlighting()); }
    void setLineWrapping(bool on);
    bool lineWrapping() const { return wrapMode() != WrapNone; }
    // Restarts the colouring timer with the settings' TypingDelayMS.
    void restartTimers();
    // For every window of the document.
    void setKnownNames(const QSet<QString>* names);

    // Automatic saves for recovery: a copy of a modified document every
    // interval, removed when the document's last window closes normally.
    // folder: empty for the local application-data folder. For every window
    // of the document.
    void setAutoSave(int intervalMs, const QString& folder = QString());

    // Whether a change waits for the typing delay to pass.
    bool changePending() const;
    // Colours what changed since the last run and tells listeners.
    void processChange();

    // Commands.
    // The window's editing commands this view answers while it has the focus
    // (Undo, Redo, Cut, Copy, Paste, Paste Special, Select All).
    void registerCommands(CommandHandlers& handlers);
    // Execute Line and Execute Selection: hand the text to queryRequested.
    void executeLine(bool asIs);
    void executeSelection(bool asIs);
    void indentLines(bool unindent);
    void goToLine(int line); // 1-based
    // Ctrl+G: asks for the line in the "Go to line" box.
    void goToLineDialog();
    int lineTotal() const;
    const QStringList& goToHistory() const { return m_goToHistory; }
    void addGoToHistory(const QString& number);
    void goToMatchingBracket();
    void selectToMatchingBracket();
    // Toggles the mark on the identifier at the caret (Ctrl+M).
    void markIdentifier(bool fromWordHighlight = false);
    QString markedWord() const { return m_markedWord; }
    QString wordAtCaret() const;
    QString identifierAtCaret() const;
    // F1: the q reference page (or the search page) for the word at the caret.
    QString helpAddress() const;
    void help();
    void copyAsString();
    void copyAsUrl(const QString& serverText);
    // Copy as URL with the view's server text.
    void copyAsUrl() { copyAsUrl(m_serverText); }
    // Ctrl+Q, Ctrl+W, Ctrl+D: the request signals with the identifier at the
    // caret; nothing when it is empty, and no Quick Watch without a server text.
    void quickWatch();
    void addWatch();
    void lookupInNamespaces();

    // The server text the view's commands use (Quick Watch, Copy as URL);
    // empty while there is none.
    void setServerText(const QString& serverText) { m_serverText = serverText; }
    QString serverText() const { return m_serverText; }

    // Auto-complete: the names offered (none: nothing is listed) and the
    // pictures of their kinds. For this window; new windows take them over.
    void setCompletionSource(const CompletionSource* source) { m_completionSource = source; }
    void setCompletionIcons(std::function<QIcon(int)> icons);
    // Ctrl+Space: opens the list for the word at the caret, or hides it
    // when nothing is listed.
    void autoComplete();
    bool completionOpen() const { return m_completion.isOpen(); }
    // Inserts the chosen item; kind: 1 chosen, -2 "[" typed, -1 another delimiter typed.
    void acceptCompletion(int kind = CompletionRules::Explicit);
    void hideCompletion();
    // The list (null until first opened).
    CLookupListBox* lookupList() const { return m_list.data(); }

    // The right-click menu, its items enabled for the current state; the
    // caller owns it.
    QMenu* createContextMenu(QWidget* parent = nullptr);

    // Find and replace through the box shared by the main window's views
    // (setFindReplace), or through one of the view's own when none is given.
    void setFindReplace(CFindReplace* findReplace) { m_findReplace = findReplace; }
    CFindReplace& findReplace();
    // "&Find..." and "R&eplace".
    void showFindDialog(bool replace);
    // "F&ind Next" (F3): the last search again, without the box.
    bool findNext() override;
    // The highlighted bracket pair (byte positions), -1 when none.
    int bracketOpen() const { return m_bracketA; }
    int bracketClose() const { return m_bracketB; }
    // Whether indicator (0 bracket, 1 bracket content, 2 marked word) covers pos.
    bool hasIndicator(int indicator, int pos) const;

    // CDocEditor
    QString documentText() const override { return text(); }
    void replaceDocumentText(const QString& text) override;
    void loadDocumentText(const QString& text) override;
    bool isDocumentModified() const override { return isModified(); }
    void setDocumentModified(bool modified) override { setModified(modified); }

    enum Indicator { BracketIndicator = 0, BracketContentIndicator = 1, MarkIndicator = 2 };

public slots:
    // One tick of the colouring timer.
    void colourTimerTick();
    // One tick of the file-change timer.
    void diskTimerTick();
    // One tick of the automatic-save timer.
    void autoSaveTick();
    void undo() override;
    void redo() override;
    void paste() override;

signals:
    // A query for the runner; asIs (Shift held) means without query wrapping.
    void queryRequested(const QString& query, bool asIs);
    // Ctrl+D, Ctrl+W and Ctrl+Q with the identifier at the caret (never empty).
    void lookupRequested(const QString& identifier);
    void addWatchRequested(const QString& identifier);
    void quickWatchRequested(const QString& identifier);
    // Local files dropped on the view, to be opened as documents.
    void filesDropped(const QStringList& paths);
    // After each processed change (in any window of the document): the
    // title's modified mark may have changed.
    void changeProcessed();
    // A window of this view's document opened or closed: windowCount and
    // windowIndex may have changed, so may the window's caption.
    void windowsChanged();
    void caretMoved(int line, int column);
    // The file was reloaded after a change on disk (told to every window).
    void reloaded();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void attachTo(CTovoView& other);
    // The first window closed: this one now colours and keeps the timers.
    void takeOverProcessing();
    void defineIndicators();
    int indicatorNumber(int indicator) const { return indicator + 3 * m_slot; }
    CTovoView* processor() const { return m_windows->processor(); }
    void onModified(int position, int type, const char* text, int length, int linesAdded, int line, int, int, int,
                    int);
    // The auto-complete list's part of a change and of a key.
    void noteCompletionChange(int type, const char* text, int length);
    bool completionKey(QKeyEvent* event);
    void afterTypedChange();
    void placeCompletionList();
    CLookupListBox* list();
    // The caret's line and its column in characters.
    int caretColumn(int* line) const;
    // The position of a character column of line.
    long positionOf(int line, const QString& lineText, int column) const;
    void onCaretMoved();
    void paintBrackets();
    void clearIndicator(int indicator, int start, int end);
    void fillIndicator(int indicator, int start, int end);
    void clearMarks();
    void moveWordStoppingAtBackquote(bool right, bool extend);
    int caretPos() const;
    // Ends the undo step of the edits since the last colouring run.
    void closeBurst();

    const CDialogFontsColors& m_scheme;
    const CDlgEditorSettings& m_settings;
    Prompter& m_prompter;
    std::shared_ptr<CDocWindows> m_windows;
    int m_slot = 0;
    std::unique_ptr<CQLexer> m_lexer;
    CTypingGate m_gate;
    QTimer m_colourTimer;
    QTimer m_diskTimer;
    QTimer m_autoSaveTimer;
    bool m_busy = true; // until the first full colouring, and during our own work
    bool m_highlighting = true;
    bool m_critical = false;
    std::uint32_t m_criticalBackground = 0;
    int m_bracketA = -1;
    int m_bracketB = -1;
    QString m_markedWord;
    QStringList m_goToHistory;
    QString m_serverText;
    CFindReplace* m_findReplace = nullptr;
    std::unique_ptr<CFindReplace> m_ownFindReplace;

    const CompletionSource* m_completionSource = nullptr;
    std::function<QIcon(int)> m_completionIcons;
    CompletionSession m_completion;
    QPointer<CLookupListBox> m_list;
    // The edits of the key being handled: their count, the characters
    // inserted or deleted, the text inserted.
    bool m_inKey = false;
    int m_keyEdits = 0;
    int m_keyChars = 0;
    QString m_keyInserted;
    bool m_completionEdit = false; // the view's own edit while accepting
};
