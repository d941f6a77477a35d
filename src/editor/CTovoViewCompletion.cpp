// The source view's auto-complete: opening the list for the word at the
// caret, the keys and typed characters while it is open, accepting and hiding.
#include "editor/CLookupListBox.h"
#include "editor/CTovoView.h"

#include <QKeyEvent>

#include <algorithm>

namespace {
int utf8Length(QStringView text) { return int(text.toUtf8().size()); }
} // namespace

void CTovoView::setCompletionIcons(std::function<QIcon(int)> icons)
{
    m_completionIcons = std::move(icons);
    if (m_list)
        m_list->setIconProvider(m_completionIcons);
}

CLookupListBox* CTovoView::list()
{
    // A child of the view's window, over the panes beside the view.
    QWidget* host = window();
    if (m_list && m_list->parentWidget() != host) {
        delete m_list.data();
        m_list = nullptr;
    }
    if (!m_list) {
        m_list = new CLookupListBox(host);
        m_list->setIconProvider(m_completionIcons);
        connect(m_list.data(), &CLookupListBox::chosen, this, [this](int row) {
            m_completion.setCurrent(row);
            // After the click's own handling in the list.
            QMetaObject::invokeMethod(
                this, [this] { acceptCompletion(CompletionRules::Explicit); }, Qt::QueuedConnection);
        });
    }
    return m_list;
}

int CTovoView::caretColumn(int* line) const
{
    const long pos = SendScintilla(SCI_GETCURRENTPOS);
    const long l = SendScintilla(SCI_LINEFROMPOSITION, static_cast<unsigned long>(pos));
    const long start = SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(l));
    const char* text = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
    if (line)
        *line = int(l);
    return int(QString::fromUtf8(text + start, pos - start).size());
}

long CTovoView::positionOf(int line, const QString& lineText, int column) const
{
    const long start = SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    return start + utf8Length(QStringView(lineText).left(std::clamp(column, 0, int(lineText.size()))));
}

void CTovoView::autoComplete()
{
    if (changePending())
        processChange();
    if (hasSelectedText()) {
        hideCompletion();
        return;
    }
    int line = 0;
    const int column = caretColumn(&line);
    if (!m_completion.open(line, text(line), column, m_completionSource)) {
        hideCompletion();
        return;
    }
    CLookupListBox* box = list();
    box->setItems(m_completion.items());
    placeCompletionList();
    box->setCurrent(m_completion.current());
    box->show();
    box->raise();
}

void CTovoView::placeCompletionList()
{
    CLookupListBox* box = m_list;
    QWidget* host = box->parentWidget();
    const int line = m_completion.line();
    const long start = positionOf(line, text(line), m_completion.word().anchorStart);
    const int x = int(SendScintilla(SCI_POINTXFROMPOSITION, 0UL, start));
    const int y = int(SendScintilla(SCI_POINTYFROMPOSITION, 0UL, start));
    const int height = int(SendScintilla(SCI_TEXTHEIGHT, static_cast<unsigned long>(line)));
    const QSize size = box->preferredSize();
    // Under the start of the word; above its line when there is no room below.
    QPoint at = viewport()->mapTo(host, QPoint(x, y + height));
    if (at.y() + size.height() > host->height())
        at.setY(std::max(0, viewport()->mapTo(host, QPoint(x, y)).y() - size.height()));
    at.setX(std::clamp(at.x(), 0, std::max(0, host->width() - size.width())));
    box->setGeometry(QRect(at, size));
    box->fitColumn();
}

void CTovoView::hideCompletion()
{
    m_completion.close();
    if (m_list)
        m_list->hide();
}

void CTovoView::acceptCompletion(int kind)
{
    if (!m_completion.isOpen())
        return;
    int caretLine = 0;
    const int caret = caretColumn(&caretLine);
    const int line = m_completion.line();
    const QString lineText = text(line);
    const CompletionSession::Replacement r = m_completion.accept(lineText, caretLine == line ? caret : -1, kind);
    hideCompletion();
    m_completionEdit = true;
    SendScintilla(SCI_SETSEL, static_cast<unsigned long>(positionOf(line, lineText, r.from)),
                  positionOf(line, lineText, r.to));
    replaceSelectedText(r.text);
    if (r.caret >= 0) {
        const long pos = positionOf(line, text(line), r.caret);
        SendScintilla(SCI_SETSEL, static_cast<unsigned long>(pos), pos);
    }
    m_completionEdit = false;
}

void CTovoView::noteCompletionChange(int type, const char* text, int length)
{
    if (m_completionEdit)
        return;
    if (m_inKey) {
        ++m_keyEdits;
        const QString changed = text ? QString::fromUtf8(text, length) : QString(length, u' ');
        m_keyChars = int(changed.size());
        m_keyInserted = (type & SC_MOD_INSERTTEXT) ? changed : QString();
        return;
    }
    // A paste, an undo, a change in another window of the text.
    if (m_completion.isOpen())
        QMetaObject::invokeMethod(this, &CTovoView::hideCompletion, Qt::QueuedConnection);
}

void CTovoView::afterTypedChange()
{
    int line = 0;
    const int column = caretColumn(&line);
    if (!m_completion.isOpen()) {
        if (m_settings.CompleteOnDots && m_keyInserted == QLatin1String("."))
            autoComplete();
        return;
    }
    switch (m_completion.changed(line, text(line), column, m_keyInserted, m_keyChars)) {
    case CompletionSession::Action::Reopen:
        autoComplete();
        return;
    case CompletionSession::Action::Accept:
        acceptCompletion(m_completion.acceptKind());
        return;
    case CompletionSession::Action::Hide:
        hideCompletion();
        return;
    case CompletionSession::Action::None:
        break;
    }
    if (!m_completion.caretInside(line, column)) {
        hideCompletion();
        return;
    }
    m_list->setCurrent(m_completion.current());
}

bool CTovoView::completionKey(QKeyEvent* event)
{
    if (!m_completion.isOpen() || !m_list)
        return false;
    const Qt::KeyboardModifiers mods = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const int page = m_list->pageRows();
    const int ends = int(m_completion.items().size());
    // Ctrl+Page Up and Ctrl+Page Down go to the ends; the other keys take no modifier.
    const bool toEnd = mods == Qt::ControlModifier;
    int step = 0;
    switch (event->key()) {
    case Qt::Key_Escape:
        if (mods != Qt::NoModifier)
            return false;
        hideCompletion();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (mods != Qt::NoModifier)
            return false;
        acceptCompletion(CompletionRules::Explicit);
        return true;
    case Qt::Key_Up: step = -1; break;
    case Qt::Key_Down: step = 1; break;
    case Qt::Key_PageUp: step = toEnd ? -ends : -page; break;
    case Qt::Key_PageDown: step = toEnd ? ends : page; break;
    default:
        return false;
    }
    const bool paging = event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown;
    if (mods != Qt::NoModifier && !(paging && toEnd))
        return false;
    m_completion.move(step);
    m_list->setCurrent(m_completion.current());
    return true;
}

void CTovoView::mousePressEvent(QMouseEvent* event)
{
    hideCompletion();
    QsciScintilla::mousePressEvent(event);
}

void CTovoView::focusOutEvent(QFocusEvent* event)
{
    hideCompletion();
    QsciScintilla::focusOutEvent(event);
}

void CTovoView::hideEvent(QHideEvent* event)
{
    hideCompletion();
    QsciScintilla::hideEvent(event);
}
