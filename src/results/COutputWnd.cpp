#include "results/COutputWnd.h"

#include "results/SymbolList.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {
// The transcript keeps "\r\n" line ends; the text views show plain line feeds.
QString forDisplay(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

const char* const kMenuItems[] = {"&Copy", "C&lear", "Copy as &Symbol list", "Send Result to Instance...",
                                   "Write Result to replay...", "Import from replay...", "Save to Binary...",
                                   "Load from Binary...", "Save and Open in Shell", "Save Result As..."};
} // namespace

COutputWnd::COutputWnd(QWidget* parent)
    : QWidget(parent)
    , m_settings([] { return Settings(); })
    , m_tabs(new QTabWidget(this))
    , m_console(new QPlainTextEdit)
    , m_table(new QWidget)
    , m_results(new QTextEdit)
{
    setObjectName(QStringLiteral("COutputWnd"));
    m_console->setObjectName(QStringLiteral("COutputEdit"));
    m_console->setReadOnly(true);
    m_console->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_console->setUndoRedoEnabled(false);
    m_results->setObjectName(QStringLiteral("COutputREdit"));
    m_results->setReadOnly(true);
    m_results->setAcceptRichText(false);
    m_results->setLineWrapMode(QTextEdit::WidgetWidth);
    m_results->setUndoRedoEnabled(false);
    m_tabs->setTabPosition(QTabWidget::South);
    m_tabs->addTab(m_console, QStringLiteral("Console"));
    m_tabs->addTab(m_table, QStringLiteral("Table"));
    m_tabs->addTab(m_results, QStringLiteral("Results"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_tabs);

    m_console->setContextMenuPolicy(Qt::CustomContextMenu);
    m_results->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_console, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { showContextMenu(m_console, pos, false); });
    connect(m_results, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { showContextMenu(m_results, pos, true); });
}

void COutputWnd::setTableWidget(QWidget* table)
{
    const int index = m_tabs->indexOf(m_table);
    const bool current = m_tabs->currentIndex() == index;
    m_tabs->removeTab(index);
    delete m_table;
    m_table = table;
    m_tabs->insertTab(index, m_table, QStringLiteral("Table"));
    if (current)
        m_tabs->setCurrentIndex(index);
}

int COutputWnd::activeTab() const { return m_tabs->currentIndex() + 1; }

void COutputWnd::activateTab(int tab) { m_tabs->setCurrentIndex(tab - 1); }

void COutputWnd::switchTab(int tab)
{
    QPointer<QWidget> focused = QApplication::focusWidget();
    activateTab(tab);
    if (focused)
        focused->setFocus();
}

QString COutputWnd::resultsText() const { return m_results->toPlainText(); }

void COutputWnd::append(const QString& text)
{
    const Settings settings = m_settings();
    const ConsoleTranscript::Change change = m_transcript.append(text, settings.limits);

    m_results->setPlainText(forDisplay(text));
    colourResults();

    if (change.trimmed) {
        m_console->setPlainText(forDisplay(m_transcript.text()));
    } else {
        QTextCursor end(m_console->document());
        end.movePosition(QTextCursor::End);
        end.insertText(forDisplay(change.appended));
    }
    QTextCursor caret(m_console->document());
    caret.movePosition(QTextCursor::End);
    caret.movePosition(QTextCursor::Left);
    m_console->setTextCursor(caret);
    m_console->ensureCursorVisible();
    m_console->verticalScrollBar()->setValue(m_console->verticalScrollBar()->maximum());
}

void COutputWnd::clearConsole()
{
    m_transcript.clear();
    m_console->clear();
}

void COutputWnd::rememberAndShowTable()
{
    if (activeTab() != TableTab)
        m_remembered = activeTab();
    switchTab(TableTab);
}

void COutputWnd::showTableLoaded(const QString& label)
{
    m_tabs->setTabText(TableTab - 1, label);
    rememberAndShowTable();
}

QString COutputWnd::tableTabText() const { return m_tabs->tabText(TableTab - 1); }

void COutputWnd::backFromTable()
{
    if (activeTab() == TableTab)
        switchTab(m_remembered);
}

void COutputWnd::reapplyColouring() { colourResults(); }

void COutputWnd::colourResults()
{
    QString text = m_results->toPlainText();
    qsizetype end = text.size();
    while (end > 0 && (text[end - 1] == u'\n' || text[end - 1] == u'\r' || text[end - 1] == u' '))
        --end;
    text.truncate(end);
    if (!text.endsWith(u'}') && !text.endsWith(u']'))
        return;
    const qint64 limit = qint64(m_settings().maxHighlightKChars) * 1000;
    if (limit == 0 || limit >= text.size()) {
        const qsizetype brace = text.indexOf(u'{');
        if (m_colourer)
            m_colourer(m_results, int(brace < 0 ? 0 : brace));
        m_results->moveCursor(QTextCursor::Start);
    }
    const int active = activeTab();
    if (active == TableTab) {
        switchTab(ResultsTab);
    } else if (active == ResultsTab) {
        m_remembered = ResultsTab;
    } else {
        m_remembered = active;
        switchTab(ResultsTab);
    }
}

void COutputWnd::copyAsSymbolList()
{
    const QString selection = m_results->textCursor().selectedText().replace(QChar::ParagraphSeparator, u'\n');
    if (selection.isEmpty())
        return;
    if (QClipboard* clipboard = QApplication::clipboard())
        clipboard->setText(SymbolList::fromSelection(selection));
}

void COutputWnd::showContextMenu(QWidget* view, const QPoint& pos, bool resultsView)
{
    QMenu menu(view);
    for (const char* item : kMenuItems) {
        const QString text = QString::fromUtf8(item);
        if (resultsView && text.contains(QStringLiteral("replay")))
            continue;
        QAction* a = menu.addAction(text);
        if (text == QStringLiteral("&Copy")) {
            const bool hasSelection = resultsView ? m_results->textCursor().hasSelection()
                                                  : m_console->textCursor().hasSelection();
            a->setEnabled(hasSelection || resultsView);
            connect(a, &QAction::triggered, this, [this, resultsView] {
                if (resultsView)
                    m_results->copy();
                else
                    m_console->copy();
            });
        } else if (text == QStringLiteral("C&lear")) {
            connect(a, &QAction::triggered, this, [this, resultsView] {
                if (resultsView)
                    m_results->clear();
                else
                    clearConsole();
            });
        } else if (!resultsView) {
            // The console acts only on Copy and Clear.
        } else if (text == QStringLiteral("Copy as &Symbol list")) {
            a->setEnabled(m_results->textCursor().hasSelection());
            connect(a, &QAction::triggered, this, &COutputWnd::copyAsSymbolList);
        } else {
            if (m_menuRule) {
                QString shown = text;
                a->setEnabled(m_menuRule(text, shown));
                a->setText(shown);
            }
            connect(a, &QAction::triggered, this, [this, text] { emit resultCommand(text); });
        }
    }
    menu.exec(view->mapToGlobal(pos));
}
