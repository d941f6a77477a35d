#include "editor/CTovoView.h"

#include "core/commands/CommandHandlers.h"
#include "core/commands/CommandIds.h"
#include "editor/HelpLookup.h"

#include <QDesktopServices>
#include <QUrl>

#include "core/colors/CDialogFontsColors.h"
#include "editor/CDlgGoToLine.h"
#include "editor/CFindReplace.h"
#include "editor/CQLexer.h"
#include "editor/EditorText.h"
#include "editor/FontConv.h"
#include "core/Prompter.h"

#include <Qsci/qscicommandset.h>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPointer>
#include <QScrollBar>

using Sci = QsciScintillaBase;
using E = CDialogFontsColors;

CTovoView::CTovoView(const CDialogFontsColors& scheme, const CDlgEditorSettings& settings, Prompter& prompter,
                     QWidget* parent)
    : QsciScintilla(parent)
    , m_scheme(scheme)
    , m_settings(settings)
    , m_prompter(prompter)
    , m_windows(std::make_shared<CDocWindows>(*this))
    , m_lexer(std::make_unique<CQLexer>())
{
    setUtf8(true);
    setEolMode(EolUnix);
    setLexer(m_lexer.get());
    SendScintilla(SCI_SETMODEVENTMASK, static_cast<unsigned long>(SC_MOD_INSERTTEXT | SC_MOD_DELETETEXT
                                                                   | SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE));
    // Keys of the view's own commands, and keys of the window's commands
    // (undo, clipboard, go to line, execute...), which reach the view through
    // the window's actions and the handlers it registers.
    const QKeyCombination freed[] = {
        Qt::CTRL | Qt::Key_L, Qt::CTRL | Qt::Key_U, Qt::CTRL | Qt::Key_D, Qt::CTRL | Qt::Key_E,
        Qt::CTRL | Qt::Key_W, Qt::CTRL | Qt::Key_M, Qt::CTRL | Qt::Key_Q, Qt::CTRL | Qt::Key_G,
        Qt::CTRL | Qt::Key_BracketRight, Qt::CTRL | Qt::SHIFT | Qt::Key_BracketRight,
        Qt::CTRL | Qt::Key_Return, Qt::CTRL | Qt::SHIFT | Qt::Key_L, Qt::CTRL | Qt::Key_T,
        Qt::CTRL | Qt::Key_Z, Qt::ALT | Qt::Key_Backspace, Qt::CTRL | Qt::Key_Y, Qt::CTRL | Qt::Key_X,
        Qt::CTRL | Qt::Key_C, Qt::CTRL | Qt::Key_V, Qt::CTRL | Qt::Key_A, Qt::ALT | Qt::Key_Left};
    for (QKeyCombination combination : freed) {
        const int key = combination.toCombined();
        // A key may be some command's main key and another's alternate.
        while (QsciCommand* cmd = standardCommands()->boundTo(key)) {
            if (cmd->key() == key)
                cmd->setKey(0);
            else
                cmd->setAlternateKey(0);
        }
    }
    defineIndicators();
    m_highlighting = m_settings.SyntaxHighlightingDef;
    setLineWrapping(m_settings.LineWrappingDef);

    connect(this, &QsciScintillaBase::SCN_MODIFIED, this, &CTovoView::onModified);
    connect(this, &QsciScintilla::cursorPositionChanged, this, &CTovoView::onCaretMoved);
    // Scrolling hides the auto-complete list.
    for (QScrollBar* bar : {verticalScrollBar(), horizontalScrollBar()})
        connect(bar, &QScrollBar::valueChanged, this, [this] {
            if (!m_completionEdit)
                hideCompletion();
        });
    m_colourTimer.setTimerType(Qt::CoarseTimer);
    connect(&m_colourTimer, &QTimer::timeout, this, &CTovoView::colourTimerTick);
    connect(&m_diskTimer, &QTimer::timeout, this, &CTovoView::diskTimerTick);
    m_diskTimer.start(500);
    connect(&m_autoSaveTimer, &QTimer::timeout, this, &CTovoView::autoSaveTick);
    setAutoSave(60000);
    restartTimers();
    applyFontsAndColours();
}

CTovoView::~CTovoView()
{
    delete m_list.data(); // a child of the window, which may outlive the view
    if (isLastWindow()) {
        // Closed normally: nothing is left to recover.
        if (m_windows->autoSaved)
            m_windows->document().discardAutoSave(m_windows->autoSaveFolder);
    } else {
        // The text stays with the other windows: take this view's brackets
        // and marks out of it, so that a later window in the same slot starts clean.
        m_busy = true;
        const int length = static_cast<int>(SendScintilla(SCI_GETLENGTH));
        for (int ind : {BracketIndicator, BracketContentIndicator, MarkIndicator})
            clearIndicator(ind, 0, length);
        const QList<CTovoView*> others = m_windows->views();
        if (m_windows->remove(this))
            m_windows->processor()->takeOverProcessing();
        for (CTovoView* view : others)
            if (view != this)
                emit view->windowsChanged();
    }
    // The lexer goes before the editor that uses it. A lexer's detaching only
    // resets this view's styles, never the shared text's.
    setLexer(nullptr);
}

CTovoView* CTovoView::createWindowView(QWidget* parent)
{
    auto* view = new CTovoView(m_scheme, m_settings, m_prompter, parent);
    view->attachTo(*this);
    view->m_completionSource = m_completionSource;
    view->m_completionIcons = m_completionIcons;
    return view;
}

void CTovoView::attachTo(CTovoView& other)
{
    // The lexer was set while this view still had its own empty text: setting
    // one clears the styles of the text it is attached to.
    m_busy = true;
    m_windows = other.m_windows;
    m_slot = m_windows->freeSlot();
    m_windows->add(this);
    // Only the processing view styles the shared text.
    m_lexer->setDeferred(true);
    QsciScintilla::setDocument(other.QsciScintilla::document());
    m_lexer->setKnownNames(other.m_lexer->knownNames());
    defineIndicators();
    m_findReplace = other.m_findReplace;
    m_serverText = other.m_serverText;
    m_critical = other.m_critical;
    m_criticalBackground = other.m_criticalBackground;
    m_autoSaveTimer.stop();
    if (m_windows->autoSaveInterval > 0)
        m_autoSaveTimer.start(m_windows->autoSaveInterval);
    m_gate.clear();
    applyFontsAndColours();
    // The text may have been left uncoloured while no window wanted colours.
    if (m_highlighting && !processor()->m_lexer->highlighting())
        processor()->applyFontsAndColours();
    for (CTovoView* view : m_windows->views())
        emit view->windowsChanged();
}

void CTovoView::takeOverProcessing()
{
    // The previous processor's record of what changed went with it: colour
    // everything once, which ends the undo step of the edits so far.
    closeBurst();
    m_gate.clear();
    applyFontsAndColours();
}

QString CTovoView::frameTitle(const QString& documentTitle) const
{
    if (windowCount() < 2)
        return documentTitle;
    return documentTitle + u':' + QString::number(windowIndex());
}

void CTovoView::defineIndicators()
{
    // Every view sees only its own slot; the others' brackets and marks are
    // in the same text but hidden here.
    for (int slot = 0; slot < CDocWindows::kIndicatorSlots; ++slot) {
        for (int ind : {BracketIndicator, BracketContentIndicator, MarkIndicator}) {
            const auto number = static_cast<unsigned long>(ind + 3 * slot);
            if (slot != m_slot) {
                SendScintilla(SCI_INDICSETSTYLE, number, static_cast<long>(INDIC_HIDDEN));
                continue;
            }
            SendScintilla(SCI_INDICSETSTYLE, number, static_cast<long>(INDIC_STRAIGHTBOX));
            SendScintilla(SCI_INDICSETUNDER, number, 1L);
            SendScintilla(SCI_INDICSETALPHA, number, 255L);
            SendScintilla(SCI_INDICSETOUTLINEALPHA, number, 255L);
        }
    }
}

bool CTovoView::changePending() const { return processor()->m_gate.isWaiting(); }

void CTovoView::restartTimers()
{
    m_colourTimer.stop();
    if (m_settings.TypingDelayMS > 0)
        m_colourTimer.start(m_settings.TypingDelayMS);
}

void CTovoView::setKnownNames(const QSet<QString>* names)
{
    for (CTovoView* view : m_windows->views())
        view->m_lexer->setKnownNames(names);
    processor()->applyFontsAndColours();
}

void CTovoView::applyFontsAndColours()
{
    m_busy = true;
    const QFont font = FontConv::toQFont(m_scheme.font(E::SourceFont));
    const QColor background = FontConv::toQColor(m_critical ? m_criticalBackground : m_scheme.color(E::Background));
    m_lexer->applyScheme(m_scheme, font, background, !m_highlighting);
    setFont(font);
    setColor(FontConv::toQColor(m_scheme.color(E::Default)));
    setPaper(background);
    // The caret in the text's colour, visible on a dark paper too; the margins
    // in the look's button colours.
    setCaretForegroundColor(FontConv::toQColor(m_scheme.color(E::Default)));
    setMarginsBackgroundColor(QApplication::palette().color(QPalette::Button));
    setMarginsForegroundColor(QApplication::palette().color(QPalette::ButtonText));
    setIndicatorForegroundColor(FontConv::toQColor(m_scheme.color(E::BracketsBackground)),
                                indicatorNumber(BracketIndicator));
    setIndicatorForegroundColor(FontConv::toQColor(m_scheme.color(E::BracketsContentBackground)),
                                indicatorNumber(BracketContentIndicator));
    setIndicatorForegroundColor(FontConv::toQColor(m_scheme.color(E::MarkedTextBackground)),
                                indicatorNumber(MarkIndicator));
    if (processesChanges()) {
        // The shared text is coloured while any of its windows wants colours;
        // a window without highlighting shows it all as "Default".
        bool any = false;
        for (const CTovoView* view : m_windows->views())
            any = any || view->m_highlighting;
        m_lexer->setHighlighting(any);
        m_gate.clear();
        m_lexer->setDeferred(false);
        m_lexer->colourAll();
    }
    m_busy = false;
}

void CTovoView::setCritical(bool critical, std::uint32_t criticalBackground)
{
    m_critical = critical;
    m_criticalBackground = criticalBackground;
    applyFontsAndColours();
}

void CTovoView::setHighlighting(bool on)
{
    m_highlighting = on;
    if (!processesChanges())
        processor()->applyFontsAndColours();
    applyFontsAndColours();
}

void CTovoView::setLineWrapping(bool on) { setWrapMode(on ? WrapWord : WrapNone); }

void CTovoView::onModified(int position, int type, const char* text, int length, int linesAdded, int, int, int, int,
                           int)
{
    if (type & (SC_MOD_INSERTTEXT | SC_MOD_DELETETEXT))
        noteCompletionChange(type, text, length);
    // Every window of a text hears of every change: one records it.
    if (!processesChanges())
        return;
    if (type & (SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE)) {
        // The user's edits up to the next colouring run make one undo step:
        // the step opens before the first of them is recorded.
        if ((type & SC_PERFORMED_USER) && !m_busy && m_settings.TypingDelayMS > 0 && !m_windows->burstOpen) {
            SendScintilla(SCI_BEGINUNDOACTION);
            m_windows->burstOpen = true;
        }
        return;
    }
    if (!(type & (SC_MOD_INSERTTEXT | SC_MOD_DELETETEXT)))
        return;
    m_lexer->noteModification(position, type, linesAdded);
    if (m_busy)
        return;
    if (m_settings.TypingDelayMS <= 0) {
        // No delay: coloured as soon as the editor has finished this change.
        QMetaObject::invokeMethod(this, &CTovoView::processChange, Qt::QueuedConnection);
        return;
    }
    m_gate.changed();
    m_lexer->setDeferred(true);
}

void CTovoView::setAutoSave(int intervalMs, const QString& folder)
{
    CDocWindows& w = *m_windows;
    if (w.autoSaved && folder != w.autoSaveFolder) {
        w.document().discardAutoSave(w.autoSaveFolder);
        w.autoSaved = false;
    }
    w.autoSaveFolder = folder;
    w.autoSaveInterval = intervalMs;
    // Every window keeps the timer, so that it runs on when the first one closes.
    for (CTovoView* view : w.views()) {
        view->m_autoSaveTimer.stop();
        if (intervalMs > 0)
            view->m_autoSaveTimer.start(intervalMs);
    }
}

void CTovoView::autoSaveTick()
{
    if (!processesChanges())
        return;
    CDocWindows& w = *m_windows;
    if (!isModified()) {
        // Saved or edited back: an old copy would only confuse recovery.
        if (w.autoSaved)
            w.document().discardAutoSave(w.autoSaveFolder);
        w.autoSaved = false;
        return;
    }
    if (!w.document().autoSave(w.autoSaveFolder).isEmpty())
        w.autoSaved = true;
}

void CTovoView::colourTimerTick()
{
    if (processesChanges() && m_gate.tick())
        processChange();
}

void CTovoView::processChange()
{
    if (!processesChanges()) {
        processor()->processChange();
        return;
    }
    closeBurst();
    m_gate.clear();
    m_lexer->setDeferred(false);
    m_lexer->colourChanges();
    for (CTovoView* view : m_windows->views())
        emit view->changeProcessed();
}

void CTovoView::closeBurst()
{
    if (m_windows->burstOpen) {
        m_windows->burstOpen = false;
        SendScintilla(SCI_ENDUNDOACTION);
    }
}

void CTovoView::diskTimerTick()
{
    if (!m_settings.CheckFS || !processesChanges())
        return;
    int line = 0;
    int index = 0;
    getCursorPosition(&line, &index);
    if (document().checkChangedOnDisk(m_prompter) == CTovoDoc::DiskCheck::Reloaded) {
        setCursorPosition(std::min(line, lines() - 1), 0);
        for (CTovoView* view : m_windows->views())
            emit view->reloaded();
    }
}

void CTovoView::registerCommands(CommandHandlers& handlers)
{
    using Scope = CommandHandlers::Scope;
    handlers.addHandler(cmd::EditUndo, this, Scope::Focus, [this] { undo(); },
                        [this] { return changePending() || isUndoAvailable(); });
    handlers.addHandler(cmd::EditRedo, this, Scope::Focus, [this] { redo(); },
                        [this] { return !changePending() && isRedoAvailable(); });
    handlers.addHandler(cmd::EditCut, this, Scope::Focus, [this] { cut(); },
                        [this] { return hasSelectedText() && !isReadOnly(); });
    handlers.addHandler(cmd::EditCopy, this, Scope::Focus, [this] { copy(); }, [this] { return hasSelectedText(); });
    // Both pastes bring the clipboard's plain text only.
    handlers.addHandler(cmd::EditPaste, this, Scope::Focus, [this] { paste(); }, [this] { return !isReadOnly(); });
    handlers.addHandler(cmd::EditPasteSpecial, this, Scope::Focus, [this] { paste(); },
                        [this] { return !isReadOnly(); });
    handlers.addHandler(cmd::EditSelectAll, this, Scope::Focus, [this] { selectAll(); });
}

void CTovoView::undo()
{
    // The history belongs to the shared text; the caret moves in this window.
    if (changePending())
        processChange();
    processor()->closeBurst();
    QsciScintilla::undo();
}

void CTovoView::redo()
{
    if (changePending())
        processChange();
    processor()->closeBurst();
    QsciScintilla::redo();
}

void CTovoView::paste()
{
    // Only the clipboard's plain text, whatever else it offers.
    const QString text = QApplication::clipboard()->text();
    if (!text.isEmpty())
        replaceSelectedText(text);
}

void CTovoView::replaceDocumentText(const QString& newText)
{
    const long anchor = SendScintilla(SCI_GETANCHOR);
    const long caret = SendScintilla(SCI_GETCURRENTPOS);
    const QByteArray bytes = newText.toUtf8();
    beginUndoAction();
    SendScintilla(SCI_SETTARGETRANGE, 0UL, SendScintilla(SCI_GETLENGTH));
    SendScintilla(SCI_REPLACETARGET, static_cast<unsigned long>(bytes.size()), bytes.constData());
    endUndoAction();
    const long length = SendScintilla(SCI_GETLENGTH);
    SendScintilla(SCI_SETSEL, static_cast<unsigned long>(std::min(anchor, length)), std::min(caret, length));
}

void CTovoView::loadDocumentText(const QString& newText)
{
    if (!processesChanges()) {
        processor()->loadDocumentText(newText);
        return;
    }
    closeBurst();
    m_busy = true;
    setText(newText);
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    setModified(false);
    applyFontsAndColours();
}

int CTovoView::caretPos() const { return static_cast<int>(SendScintilla(SCI_GETCURRENTPOS)); }

void CTovoView::executeLine(bool asIs)
{
    const QString query = EditorText::executeLine(text(), static_cast<int>(text(0, static_cast<int>(
        SendScintilla(SCI_GETSELECTIONEND))).size()));
    if (!query.isEmpty())
        emit queryRequested(query, asIs);
}

void CTovoView::executeSelection(bool asIs)
{
    bool nothingSelected = false;
    const QString query =
        EditorText::executeSelection(selectedText(), text(), m_settings.ExecuteAll, &nothingSelected);
    if (nothingSelected) {
        m_prompter.inform(QStringLiteral("Nothing to execute as nothing is selected.\nYou can execute whole pane "
                                         "content in such cases,\nif you'll check corresponding setting in the "
                                         "Editor tab"),
                          QStringLiteral("Tovo"), Prompter::Icon::Warning);
        return;
    }
    if (!query.isEmpty())
        emit queryRequested(query, asIs);
}

int CTovoView::lineTotal() const { return lines(); }

void CTovoView::indentLines(bool unindent)
{
    const int spaces = std::max(1, m_settings.SpacesInTab);
    if (hasSelectedText() && selectedText().contains(u'\n')) {
        int lineFrom = 0, indexFrom = 0, lineTo = 0, indexTo = 0;
        getSelection(&lineFrom, &indexFrom, &lineTo, &indexTo);
        const bool caretAtStart = SendScintilla(SCI_GETCURRENTPOS) < SendScintilla(SCI_GETANCHOR);
        setSelection(lineFrom, 0, lineTo, indexTo);
        const QString block = EditorText::indentBlock(selectedText(), spaces, unindent);
        const long start = SendScintilla(SCI_GETSELECTIONSTART);
        replaceSelectedText(block);
        const long end = start + block.toUtf8().size();
        if (caretAtStart)
            SendScintilla(SCI_SETSEL, static_cast<unsigned long>(end), start);
        else
            SendScintilla(SCI_SETSEL, static_cast<unsigned long>(start), end);
        return;
    }
    if (!unindent) {
        replaceSelectedText(QString(spaces, u' '));
        return;
    }
    int line = 0, index = 0;
    getCursorPosition(&line, &index);
    const QString lineText = text(line);
    const int remove = EditorText::unindentAtCaret(lineText, index, spaces);
    if (remove > 0) {
        setSelection(line, index - remove, line, index);
        removeSelectedText();
    }
}

void CTovoView::goToLine(int line)
{
    line = std::clamp(line, 1, lines());
    setCursorPosition(line - 1, 0);
    ensureLineVisible(line - 1);
}

void CTovoView::goToLineDialog()
{
    int line = 0, index = 0;
    getCursorPosition(&line, &index);
    CDlgGoToLine dialog(lines(), line + 1, m_goToHistory, this);
    if (dialog.exec() != QDialog::Accepted || dialog.line() <= 0)
        return;
    addGoToHistory(QString::number(dialog.line()));
    goToLine(dialog.line());
}

void CTovoView::addGoToHistory(const QString& number)
{
    if (!m_goToHistory.contains(number))
        m_goToHistory << number;
}

QString CTovoView::wordAtCaret() const
{
    if (hasSelectedText())
        return selectedText().trimmed();
    int line = 0, index = 0;
    getCursorPosition(&line, &index);
    return EditorText::wordAt(text(line), index);
}

QString CTovoView::identifierAtCaret() const { return EditorText::identifierOf(wordAtCaret()); }

QString CTovoView::helpAddress() const
{
    return HelpLookup::address(wordAtCaret(), hasSelectedText(), identifierAtCaret(), m_settings.HelpURL,
                               m_settings.AltHelpURL);
}

void CTovoView::help() { QDesktopServices::openUrl(QUrl(helpAddress())); }

void CTovoView::copyAsString()
{
    if (hasSelectedText())
        QApplication::clipboard()->setText(EditorText::copyAsString(selectedText()));
}

void CTovoView::copyAsUrl(const QString& serverText)
{
    if (hasSelectedText())
        QApplication::clipboard()->setText(EditorText::copyAsUrl(selectedText(), serverText));
}

void CTovoView::quickWatch()
{
    const QString id = identifierAtCaret();
    if (!id.isEmpty() && !m_serverText.isEmpty())
        emit quickWatchRequested(id);
}

void CTovoView::addWatch()
{
    const QString id = identifierAtCaret();
    if (!id.isEmpty())
        emit addWatchRequested(id);
}

void CTovoView::lookupInNamespaces()
{
    const QString id = identifierAtCaret();
    if (!id.isEmpty())
        emit lookupRequested(id);
}

QMenu* CTovoView::createContextMenu(QWidget* parent)
{
    auto* menu = new QMenu(parent);
    const bool selection = hasSelectedText();
    auto add = [this, menu](const QString& text, auto slot, QKeySequence keys = {}, bool enabled = true) {
        QAction* action = menu->addAction(text);
        connect(action, &QAction::triggered, this, slot);
        action->setShortcut(keys);
        // Shown for reference; the view's own key handling acts on them.
        action->setShortcutContext(Qt::WidgetShortcut);
        action->setEnabled(enabled);
        return action;
    };
    add(QStringLiteral("&Quick Watch"), &CTovoView::quickWatch, QKeySequence(Qt::CTRL | Qt::Key_Q),
        !m_serverText.isEmpty());
    add(QStringLiteral("Add &Watch"), &CTovoView::addWatch, QKeySequence(Qt::CTRL | Qt::Key_W));
    add(QStringLiteral("Lookup in &Namespaces"), &CTovoView::lookupInNamespaces, QKeySequence(Qt::CTRL | Qt::Key_D));
    menu->addSeparator();
    add(QStringLiteral("&Mark selection/identifier"), [this] { markIdentifier(false); },
        QKeySequence(Qt::CTRL | Qt::Key_M));
    menu->addSeparator();
    add(QStringLiteral("Copy as &String->Handle"), &CTovoView::copyAsString, {}, selection);
    add(QStringLiteral("Copy as &URL"), [this] { copyAsUrl(); }, {}, selection);
    menu->addSeparator();
    add(QStringLiteral("Cu&t"), &CTovoView::cut, QKeySequence::Cut, selection && !isReadOnly());
    add(QStringLiteral("&Copy"), &CTovoView::copy, QKeySequence::Copy, selection);
    add(QStringLiteral("&Paste"), &CTovoView::paste, QKeySequence::Paste,
        !isReadOnly() && !QApplication::clipboard()->text().isEmpty());
    menu->addSeparator();
    add(QStringLiteral("Select A&ll"), [this] { selectAll(); }, QKeySequence::SelectAll);
    return menu;
}

void CTovoView::contextMenuEvent(QContextMenuEvent* event)
{
    QPoint at = event->globalPos();
    if (event->reason() == QContextMenuEvent::Keyboard) {
        // From the menu key: under the caret.
        const long pos = SendScintilla(SCI_GETCURRENTPOS);
        const int x = int(SendScintilla(SCI_POINTXFROMPOSITION, 0UL, pos));
        const int y = int(SendScintilla(SCI_POINTYFROMPOSITION, 0UL, pos));
        const int height = int(SendScintilla(SCI_TEXTHEIGHT, 0UL, 0L));
        at = viewport()->mapToGlobal(QPoint(x, y + height));
    }
    // An item may close the view (and the menu with it) before exec returns.
    QPointer<QMenu> menu = createContextMenu(this);
    menu->exec(at);
    delete menu.data();
    event->accept();
}

CFindReplace& CTovoView::findReplace()
{
    if (m_findReplace)
        return *m_findReplace;
    if (!m_ownFindReplace)
        m_ownFindReplace = std::make_unique<CFindReplace>(m_prompter, this);
    return *m_ownFindReplace;
}

void CTovoView::showFindDialog(bool replace) { findReplace().showDialog(this, replace); }

bool CTovoView::findNext() { return findReplace().findNext(this); }

void CTovoView::clearIndicator(int indicator, int start, int end)
{
    if (end <= start)
        return;
    SendScintilla(SCI_SETINDICATORCURRENT, static_cast<unsigned long>(indicatorNumber(indicator)));
    SendScintilla(SCI_INDICATORCLEARRANGE, static_cast<unsigned long>(start), static_cast<long>(end - start));
}

void CTovoView::fillIndicator(int indicator, int start, int end)
{
    if (end <= start)
        return;
    SendScintilla(SCI_SETINDICATORCURRENT, static_cast<unsigned long>(indicatorNumber(indicator)));
    SendScintilla(SCI_INDICATORFILLRANGE, static_cast<unsigned long>(start), static_cast<long>(end - start));
}

bool CTovoView::hasIndicator(int indicator, int pos) const
{
    return SendScintilla(SCI_INDICATORVALUEAT, static_cast<unsigned long>(indicatorNumber(indicator)), static_cast<long>(pos)) != 0;
}

void CTovoView::paintBrackets()
{
    const long length = SendScintilla(SCI_GETLENGTH);
    // The old pair's positions may have moved with edits: clear both kinds everywhere.
    clearIndicator(BracketIndicator, 0, static_cast<int>(length));
    clearIndicator(BracketContentIndicator, 0, static_cast<int>(length));
    m_bracketA = m_bracketB = -1;
    if (hasSelectedText())
        return;
    const char* text = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
    const QByteArrayView bytes(text, length);
    const int at = EditorText::bracketNearCaret(bytes, caretPos());
    if (at < 0)
        return;
    const int other = EditorText::matchingBracket(bytes, at);
    m_bracketA = std::min(at, other);
    m_bracketB = std::max(at, other);
    fillIndicator(BracketContentIndicator, m_bracketA + 1, m_bracketB);
    fillIndicator(BracketIndicator, m_bracketA, m_bracketA + 1);
    fillIndicator(BracketIndicator, m_bracketB, m_bracketB + 1);
}

void CTovoView::onCaretMoved()
{
    // The list goes when the caret leaves the word; while a key is handled
    // its change is looked at first, once the key is done.
    if (m_completion.isOpen() && !m_inKey && !m_completionEdit) {
        int line = 0;
        const int column = caretColumn(&line);
        if (!m_completion.caretInside(line, column))
            hideCompletion();
    }
    paintBrackets();
    int line = 0, index = 0;
    getCursorPosition(&line, &index);
    emit caretMoved(line + 1, index + 1);
    if (m_settings.WordHighlight)
        markIdentifier(true);
}

void CTovoView::goToMatchingBracket()
{
    if (m_bracketA < 0)
        return;
    const int target = caretPos() <= m_bracketA ? m_bracketB : m_bracketA;
    SendScintilla(SCI_GOTOPOS, static_cast<unsigned long>(target));
}

void CTovoView::selectToMatchingBracket()
{
    if (m_bracketA >= 0)
        SendScintilla(SCI_SETSEL, static_cast<unsigned long>(m_bracketA), static_cast<long>(m_bracketB + 1));
}

void CTovoView::clearMarks()
{
    clearIndicator(MarkIndicator, 0, static_cast<int>(SendScintilla(SCI_GETLENGTH)));
    m_markedWord.clear();
}

void CTovoView::markIdentifier(bool fromWordHighlight)
{
    const QString id = identifierAtCaret();
    if (!m_markedWord.isEmpty()) {
        if (fromWordHighlight && id == m_markedWord)
            return;
        const QString old = m_markedWord;
        clearMarks();
        if (id == old)
            return; // Ctrl+M again takes the mark off
    }
    if (id.isEmpty())
        return;
    m_markedWord = id;
    const long length = SendScintilla(SCI_GETLENGTH);
    const char* text = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
    const QByteArrayView bytes(text, length);
    const QByteArray word = id.toUtf8();
    for (qsizetype at = bytes.indexOf(word); at >= 0; at = bytes.indexOf(word, at + word.size()))
        fillIndicator(MarkIndicator, static_cast<int>(at), static_cast<int>(at + word.size()));
}

void CTovoView::moveWordStoppingAtBackquote(bool right, bool extend)
{
    const long before = SendScintilla(SCI_GETCURRENTPOS);
    SendScintilla(right ? (extend ? SCI_WORDRIGHTEXTEND : SCI_WORDRIGHT) : (extend ? SCI_WORDLEFTEXTEND : SCI_WORDLEFT));
    const long after = SendScintilla(SCI_GETCURRENTPOS);
    const char* text = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
    // A backquote inside the word passed over is a stop of its own.
    long stop = -1;
    if (right) {
        for (long i = before + 1; i < after; ++i)
            if (text[i] == '`') {
                stop = i;
                break;
            }
    } else {
        for (long i = before - 1; i > after; --i)
            if (text[i] == '`') {
                stop = i;
                break;
            }
    }
    if (stop < 0)
        return;
    if (extend)
        SendScintilla(SCI_SETSEL, static_cast<unsigned long>(SendScintilla(SCI_GETANCHOR)), stop);
    else
        SendScintilla(SCI_GOTOPOS, static_cast<unsigned long>(stop));
}

void CTovoView::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const bool control = mods & Qt::ControlModifier;
    const bool shift = mods & Qt::ShiftModifier;
    const int key = event->key();
    if (completionKey(event))
        return;
    if (control && (key == Qt::Key_Left || key == Qt::Key_Right)) {
        moveWordStoppingAtBackquote(key == Qt::Key_Right, shift);
        return;
    }
    if (key == Qt::Key_Backtab) {
        indentLines(true);
        return;
    }

    // Keys the view answers itself, taken before the editor's own key map. The
    // window's commands (Undo Ctrl+Z, Execute Line Ctrl+Enter, Go to line
    // Ctrl+G...) come through its actions to the handlers of registerCommands.
    struct ViewKey {
        int key;
        Qt::KeyboardModifiers mods;
        void (*command)(CTovoView&);
    };
    static const ViewKey keys[] = {
        {Qt::Key_Tab, Qt::NoModifier, [](CTovoView& v) { v.indentLines(false); }},
        {Qt::Key_BracketRight, Qt::ControlModifier | Qt::ShiftModifier,
         [](CTovoView& v) { v.selectToMatchingBracket(); }},
        {Qt::Key_M, Qt::ControlModifier, [](CTovoView& v) { v.markIdentifier(false); }},
        {Qt::Key_D, Qt::ControlModifier, [](CTovoView& v) { v.lookupInNamespaces(); }},
        {Qt::Key_W, Qt::ControlModifier, [](CTovoView& v) { v.addWatch(); }},
    };
    for (const ViewKey& k : keys) {
        if (k.key == key && k.mods == mods) {
            k.command(*this);
            return;
        }
    }
    m_inKey = true;
    m_keyEdits = 0;
    m_keyChars = 0;
    m_keyInserted.clear();
    QsciScintilla::keyPressEvent(event);
    m_inKey = false;
    if (m_keyEdits == 1)
        afterTypedChange();
    else if (m_keyEdits > 1)
        hideCompletion();
    else if (m_completion.isOpen()) {
        // A key that only moved the caret.
        int line = 0;
        const int column = caretColumn(&line);
        if (!m_completion.caretInside(line, column))
            hideCompletion();
    }
}

void CTovoView::dropEvent(QDropEvent* event)
{
    QStringList paths;
    if (event->mimeData()->hasUrls()) {
        for (const QUrl& url : event->mimeData()->urls())
            if (url.isLocalFile())
                paths << url.toLocalFile();
    }
    if (paths.isEmpty()) {
        QsciScintilla::dropEvent(event);
        return;
    }
    event->acceptProposedAction();
    emit filesDropped(paths);
}
