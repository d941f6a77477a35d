#include "watch/CWatchBar.h"

#include "core/FileChooser.h"
#include "core/Prompter.h"
#include "core/settings/CDlgQSettings.h"
#include "core/values/KRender.h"
#include "watch/CWatchListCtrl.h"
#include "watch/WatchFile.h"
#include "watch/WatchListModel.h"

#include <QFrame>
#include <QMenu>
#include <QPointer>
#include <QVBoxLayout>

CWatchBar::CWatchBar(Context context, QWidget* parent)
    : QWidget(parent)
    , m_context(std::move(context))
    , m_model(new WatchListModel(this))
    , m_list(new CWatchListCtrl)
{
    // The list inset by one pixel in a one-pixel frame of the button-shadow colour.
    auto* frame = new QFrame;
    frame->setFrameShape(QFrame::Box);
    frame->setLineWidth(1);
    frame->setForegroundRole(QPalette::Dark);
    auto* inner = new QVBoxLayout(frame);
    inner->setContentsMargins(1, 1, 1, 1);
    inner->addWidget(m_list);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setModel(m_model);

    // The defaults of "Inactive watch", "Undefined/Error watch" and "Changed value".
    setColours(QColor(0x96, 0x96, 0x96), QColor(0x96, 0, 0), QColor(0xFF, 0, 0));
    connect(m_list, &CWatchListCtrl::queryRequested, this, [this] { queryToOutput(); });
    connect(m_list, &CWatchListCtrl::addRequested, this, &CWatchBar::addWatch);
    connect(m_list, &CWatchListCtrl::deleteRequested, this, &CWatchBar::deleteSelected);
    connect(m_list, &CWatchListCtrl::labelEditEnded, this, [this] {
        if (m_context.settings && m_context.settings->RefreshWatchOnNewOne)
            evaluate();
    });
    connect(m_list, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu* menu = createContextMenu(this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(m_list->viewport()->mapToGlobal(at));
    });
}

CWatchBar::~CWatchBar()
{
    // The list and the model outlive this part of the pane: an edit closed
    // as the list goes, or a repaint, must not reach it.
    m_list->disconnect(this);
    m_model->setColours({});
}

void CWatchBar::setColours(const QColor& inactive, const QColor& error, const QColor& changed)
{
    m_inactive = inactive;
    m_error = error;
    m_changed = changed;
    // Brings the cells up to date.
    m_model->setColours([this](WatchList::Tint tint) -> QVariant {
        switch (tint) {
        case WatchList::Tint::Inactive: return m_inactive;
        case WatchList::Tint::Error: return m_error;
        case WatchList::Tint::Changed: return m_changed;
        case WatchList::Tint::Normal: break;
        }
        return {};
    });
}

bool CWatchBar::load(const QString& path)
{
    const QString file = path.isEmpty() ? m_context.defaultPath : path;
    WatchFile::Loaded loaded = WatchFile::load(file);
    if (!loaded.ok) {
        if (m_context.prompter)
            m_context.prompter->ask(WatchFile::openFailureText(file), QStringLiteral("Tovo - Fatal startup error"),
                                    Prompter::Buttons::Ok, Prompter::Icon::Error, Prompter::Answer::Ok);
        return false;
    }
    m_model->reset(loaded.items);
    m_list->autoSizeColumns();
    if (loaded.truncated && m_context.prompter)
        m_context.prompter->inform(WatchFile::truncatedText(file, int(loaded.items.size())), QStringLiteral("Tovo"),
                                   Prompter::Icon::Warning);
    return true;
}

bool CWatchBar::save(const QString& path)
{
    const QString file = path.isEmpty() ? m_context.defaultPath : path;
    QString error;
    if (WatchFile::save(file, m_model->list().items(), &error))
        return true;
    if (m_context.prompter)
        m_context.prompter->ask(WatchFile::openFailureText(file), QStringLiteral("Tovo"), Prompter::Buttons::Ok,
                                Prompter::Icon::Error, Prompter::Answer::Ok);
    return false;
}

WatchList::AddResult CWatchBar::addExpression(const QString& text)
{
    const bool toggle = m_context.settings && m_context.settings->QToggleWatches;
    return m_model->addExpression(text, toggle);
}

void CWatchBar::uncheckAll()
{
    m_model->setAllChecked(false);
}

void CWatchBar::evaluate(const QString& server)
{
    if (m_evaluating) {
        m_pending = true;
        m_pendingServer = server;
        return;
    }
    const WatchList::Query query = m_model->buildQuery();
    if (query.text.isEmpty() || !m_context.evaluate)
        return;
    m_evaluating = true;
    QPointer<CWatchBar> self(this);
    m_context.evaluate(server, query.text, [self, query](KPtr reply) {
        if (self)
            self->finish(query, std::move(reply));
    });
}

void CWatchBar::finish(const WatchList::Query& query, KPtr reply)
{
    m_evaluating = false;
    RenderOptions options = m_context.settings ? RenderOptions::from(*m_context.settings) : RenderOptions();
    KRender renderer(options);
    if (m_model->applyReply(query, reply.get(), renderer)) {
        if (m_model->list().hasChanges())
            m_list->autoSizeColumns();
        emit evaluated();
    }
    if (m_pending) {
        m_pending = false;
        evaluate(m_pendingServer);
    }
}

void CWatchBar::queryToOutput()
{
    const QModelIndex current = m_list->currentIndex();
    if (!current.isValid() || m_list->selectedRowNumbers().size() != 1)
        return;
    if (m_context.canRunQuery && m_context.canRunQuery() && m_context.runQuery)
        m_context.runQuery(m_model->list().at(current.row()).expression);
}

void CWatchBar::addWatch()
{
    m_list->clearSelection();
    const int row = m_model->appendWatch(QStringLiteral("watch value"), true);
    m_list->editLabel(row);
}

void CWatchBar::deleteSelected()
{
    m_model->removeWatches(m_list->selectedRowNumbers());
}

void CWatchBar::saveTo()
{
    if (!m_context.chooser)
        return;
    const QString path = m_context.chooser->saveFileName(QStringLiteral("Save watches to"), QString(), QString());
    if (!path.isEmpty())
        save(path);
}

void CWatchBar::loadFrom()
{
    if (!m_context.chooser)
        return;
    const QString path = m_context.chooser->openFileName(QStringLiteral("Load watches from"), QString());
    if (path.isEmpty())
        return;
    // Read as it is: a file the user picks need not be writable.
    WatchFile::Loaded loaded = WatchFile::read(path);
    if (!loaded.ok) {
        if (m_context.prompter)
            m_context.prompter->ask(WatchFile::openFailureText(path), QStringLiteral("Tovo - Fatal startup error"),
                                    Prompter::Buttons::Ok, Prompter::Icon::Error, Prompter::Answer::Ok);
        return;
    }
    m_model->reset(loaded.items);
    m_list->autoSizeColumns();
    if (loaded.truncated && m_context.prompter)
        m_context.prompter->inform(WatchFile::truncatedText(path, int(loaded.items.size())), QStringLiteral("Tovo"),
                                   Prompter::Icon::Warning);
}

QMenu* CWatchBar::createContextMenu(QWidget* parent)
{
    auto* menu = new QMenu(parent);
    const bool empty = m_model->list().isEmpty();
    const int selected = int(m_list->selectedRowNumbers().size());
    auto add = [this, menu](const QString& text, bool enabled, auto slot) {
        QAction* action = menu->addAction(text);
        action->setEnabled(enabled);
        // Shown for reference; the list's own key handling acts on them.
        action->setShortcutContext(Qt::WidgetShortcut);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    add(QStringLiteral("Update values"), true, [this] { evaluate(); });
    add(QStringLiteral("Query to output"), selected == 1, [this] { queryToOutput(); });
    menu->addSeparator();
    add(QStringLiteral("Check All"), !empty, [this] { m_model->setAllChecked(true); });
    add(QStringLiteral("Uncheck All"), !empty, [this] { m_model->setAllChecked(false); });
    add(QStringLiteral("Reverse Checked"), !empty, [this] { m_model->reverseChecked(); });
    menu->addSeparator();
    add(QStringLiteral("Add Watch"), true, [this] { addWatch(); })->setShortcut(QKeySequence(Qt::Key_Insert));
    add(QStringLiteral("Delete Watch"), selected > 0, [this] { deleteSelected(); })
        ->setShortcut(QKeySequence(QKeySequence::Delete));
    add(QStringLiteral("Remove All Watches"), !empty, [this] { m_model->removeAll(); });
    menu->addSeparator();
    add(QStringLiteral("Save watches to..."), !empty, [this] { saveTo(); });
    add(QStringLiteral("Load watches from..."), true, [this] { loadFrom(); });
    return menu;
}
