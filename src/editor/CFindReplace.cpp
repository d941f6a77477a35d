#include "editor/CFindReplace.h"

#include "core/Prompter.h"
#include "editor/CDlgFind.h"

#include <Qsci/qsciscintilla.h>

#include <QLineEdit>

namespace {

using Sci = QsciScintillaBase;

// The selection in characters of the view's text (the editor counts bytes).
void selectionOf(QsciScintilla& view, qsizetype* start, qsizetype* end)
{
    const long from = view.SendScintilla(Sci::SCI_GETSELECTIONSTART);
    const long to = view.SendScintilla(Sci::SCI_GETSELECTIONEND);
    *start = view.text(0, int(from)).size();
    *end = *start + view.text(int(from), int(to)).size();
}

void selectChars(QsciScintilla& view, const QString& text, qsizetype at, qsizetype length)
{
    const qsizetype from = TextFinder::utf8Length(QStringView(text).left(at));
    const qsizetype to = from + TextFinder::utf8Length(QStringView(text).mid(at, length));
    view.SendScintilla(Sci::SCI_SETSEL, static_cast<unsigned long>(from), static_cast<long>(to));
    view.SendScintilla(Sci::SCI_SCROLLCARET);
}

} // namespace

CFindReplace::CFindReplace(Prompter& prompter, QWidget* dialogParent)
    : m_prompter(prompter)
    , m_dialogParent(dialogParent)
{
}

CFindReplace::~CFindReplace()
{
    // The box belongs to its parent window when it has one.
    if (m_dialog && !m_dialog->parent())
        delete m_dialog;
}

CDlgFind* CFindReplace::dialog()
{
    if (!m_dialog) {
        m_dialog = new CDlgFind(m_dialogParent);
        connect(m_dialog, &CDlgFind::findNextClicked, this, [this] {
            takeDialogOptions();
            findNext(m_view);
        });
        connect(m_dialog, &CDlgFind::replaceClicked, this, [this] {
            takeDialogOptions();
            replace(m_view);
        });
        connect(m_dialog, &CDlgFind::replaceAllClicked, this, [this] {
            takeDialogOptions();
            replaceAll(m_view);
        });
    }
    return m_dialog;
}

void CFindReplace::takeDialogOptions()
{
    m_options = m_dialog->options();
    m_searched = true;
}

void CFindReplace::showDialog(QsciScintilla* view, bool replace)
{
    m_view = view;
    CDlgFind* box = dialog();
    TextFinder::Options start = m_options;
    if (view && view->hasSelectedText()) {
        const QString selected = view->selectedText();
        if (!selected.contains(u'\n') && !selected.contains(u'\r'))
            start.what = selected;
    }
    box->setReplaceMode(replace);
    box->setOptions(start);
    box->show();
    box->raise();
    box->activateWindow();
    box->whatEdit()->setFocus();
    box->whatEdit()->selectAll();
}

void CFindReplace::notFound()
{
    m_prompter.inform(QStringLiteral("Cannot find \"%1\"").arg(m_options.what), QStringLiteral("Tovo"),
                      Prompter::Icon::Information);
}

bool CFindReplace::findNext(QsciScintilla* view)
{
    if (!view)
        return false;
    if (!m_searched || m_options.what.isEmpty()) {
        showDialog(view, false);
        return false;
    }
    const QString text = view->text();
    qsizetype start = 0, end = 0;
    selectionOf(*view, &start, &end);
    const TextFinder::Hit hit = TextFinder::find(text, start, end, m_options);
    if (hit.pos < 0) {
        notFound();
        return false;
    }
    selectChars(*view, text, hit.pos, m_options.what.size());
    return true;
}

bool CFindReplace::replace(QsciScintilla* view)
{
    if (!view || m_options.what.isEmpty())
        return false;
    const QString text = view->text();
    qsizetype start = 0, end = 0;
    selectionOf(*view, &start, &end);
    if (end - start == m_options.what.size() && TextFinder::matchesAt(text, start, m_options))
        view->replaceSelectedText(m_options.with);
    return findNext(view);
}

int CFindReplace::replaceAll(QsciScintilla* view)
{
    if (!view || m_options.what.isEmpty())
        return 0;
    const QString text = view->text();
    const QList<qsizetype> hits = TextFinder::findAll(text, m_options);
    if (hits.isEmpty()) {
        notFound();
        return 0;
    }
    // One replacement of the stretch from the first to the last occurrence:
    // one undo step, and linear time however many occurrences there are.
    const qsizetype first = hits.first();
    const qsizetype last = hits.last() + m_options.what.size();
    QString replaced;
    qsizetype done = first;
    for (qsizetype at : hits) {
        replaced += QStringView(text).mid(done, at - done);
        replaced += m_options.with;
        done = at + m_options.what.size();
    }
    const qsizetype from = TextFinder::utf8Length(QStringView(text).left(first));
    const qsizetype to = from + TextFinder::utf8Length(QStringView(text).mid(first, last - first));
    const QByteArray bytes = replaced.toUtf8();
    view->beginUndoAction();
    view->SendScintilla(Sci::SCI_SETTARGETRANGE, static_cast<unsigned long>(from), static_cast<long>(to));
    view->SendScintilla(Sci::SCI_REPLACETARGET, static_cast<unsigned long>(bytes.size()), bytes.constData());
    view->endUndoAction();
    return int(hits.size());
}
