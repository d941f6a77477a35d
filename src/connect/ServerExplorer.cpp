#include "connect/ServerExplorer.h"

#include "connect/ServerMarking.h"
#include "core/FileChooser.h"
#include "core/Prompter.h"

#include <QCoreApplication>
#include <QPointer>

namespace {
const QString kConfigFilter = QStringLiteral("Tovo config files (*.cfg);;All Files (*.*)");
}

ServerExplorer::ServerExplorer(ServerList& list, Prompter& prompter, FileChooser* chooser, QObject* parent)
    : QObject(parent), m_list(list), m_prompter(prompter), m_chooser(chooser)
{
    connect(&m_model, &QAbstractItemModel::modelReset, this, [this] {
        ++m_rebuilds;
        applyMarking();
        emit rebuilt();
    });
    m_model.setServerList(&m_list);
    // Queued: the drop that asked for it is still running in the view.
    connect(&m_model, &ServerTreeModel::moveRequested, this, &ServerExplorer::moveServer, Qt::QueuedConnection);
}

QList<int> ServerExplorer::commands()
{
    return {Connect, Launch, Add, Clone, Edit, Delete, NewFolder, SaveTo, LoadFrom, ReloadConfig};
}

QString ServerExplorer::commandText(int id)
{
    switch (id) {
    case Connect: return QStringLiteral("Connect");
    case Launch: return QStringLiteral("Launch Tovo");
    case Add: return QStringLiteral("Add...");
    case Clone: return QStringLiteral("Clone...");
    case Edit: return QStringLiteral("Edit...");
    case Delete: return QStringLiteral("Delete");
    case NewFolder: return QStringLiteral("New folder...");
    case SaveTo: return QStringLiteral("Save to...");
    case LoadFrom: return QStringLiteral("Load from...");
    case ReloadConfig: return QStringLiteral("Reload Config");
    case ReloadTree: return QStringLiteral("Reload tree");
    default: return QString();
    }
}

QString ServerExplorer::defaultAddPath(const QString& folderNamePath, bool connected)
{
    return folderNamePath + (connected ? QStringLiteral("`Current server") : QStringLiteral("`New server"));
}

QString ServerExplorer::clonePath(const QString& namePath)
{
    const qsizetype last = namePath.lastIndexOf(u'`');
    return namePath.left(qMax<qsizetype>(last, 0)) + QStringLiteral("`Copy of ") + namePath.mid(last + 1);
}

QString ServerExplorer::folderName(const QString& typed) { return QString(typed).remove(u'`'); }

void ServerExplorer::setCurrentServer(const QString& serverText)
{
    m_current = serverText;
    m_model.setFilter(m_filter, m_current);
    applyMarking();
}

void ServerExplorer::applyMarking()
{
    m_model.setMarkedLines(ServerMarking::markedLines(m_list.entries(), m_current));
    const QString title = ServerMarking::title(m_list, m_current);
    if (title != m_title) {
        m_title = title;
        emit titleChanged(m_title);
    }
    emit markingChanged(m_model.markedIndexes());
}

void ServerExplorer::reload()
{
    m_model.setFilter(m_filter, m_current);
    m_list.load(); // the model rebuilds on the list's signal
}

void ServerExplorer::filterTyped(const QString& text)
{
    if (text == m_filter)
        return;
    m_filter = text;
    m_filterChanged = true;
    m_typedRecently = true;
}

void ServerExplorer::tick()
{
    if (m_typedRecently) {
        m_typedRecently = false;
        return;
    }
    if (m_filterChanged) {
        m_filterChanged = false;
        reload();
    }
}

const ServerEntry* ServerExplorer::entryOf(const QModelIndex& at) const
{
    if (m_model.kindOf(at) != ServerTreeModel::Server || !at.isValid())
        return nullptr;
    return m_list.entryAt(at.data(ServerTreeModel::LineRole).toInt());
}

QString ServerExplorer::symbolOf(const QModelIndex& at) const
{
    if (const ServerEntry* entry = entryOf(at))
        return entry->symbol;
    if (m_model.kindOf(at) == ServerTreeModel::Server && at.isValid())
        return m_list.symbolFor(m_model.namePathOf(at));
    return QString();
}

QString ServerExplorer::folderOf(const QModelIndex& at) const
{
    if (!at.isValid())
        return QString();
    if (m_model.kindOf(at) == ServerTreeModel::Server)
        return m_model.namePathOf(at.parent());
    return m_model.namePathOf(at);
}

bool ServerExplorer::isEnabled(int id, const QModelIndex& at) const
{
    const bool server = at.isValid() && m_model.kindOf(at) == ServerTreeModel::Server;
    switch (id) {
    case Connect:
    case Launch:
    case Clone:
    case Edit:
    case Delete: return server;
    case NewFolder: return at.isValid() && !server;
    case Add:
    case SaveTo:
    case LoadFrom:
    case ReloadConfig:
    case ReloadTree: return true;
    default: return false;
    }
}

QString ServerExplorer::connectText(const QModelIndex& at) const
{
    const bool current = at.isValid() && at.data(ServerTreeModel::MarkedRole).toBool()
        && m_model.kindOf(at) == ServerTreeModel::Server;
    return current ? QStringLiteral("Disconnect") : QStringLiteral("Connect");
}

void ServerExplorer::connectSymbol(const QString& symbol)
{
    if (ServerMarking::sameServer(symbol, m_current)) {
        if (m_hooks.disconnect)
            m_hooks.disconnect();
        return;
    }
    if (!m_hooks.connect)
        return;
    QPointer<ServerExplorer> self(this);
    m_hooks.connect(symbol, [self, symbol](int result) {
        if (self && result <= 0)
            self->m_prompter.inform(QStringLiteral("Unable to connect to ") + symbol, QStringLiteral("Error"),
                                    Prompter::Icon::Error);
    });
}

void ServerExplorer::editAndSave(const EditRequest& request, const QString& previousNamePath, int line)
{
    if (!m_hooks.editServer)
        return;
    const std::optional<EditResult> result = m_hooks.editServer(request);
    if (!result)
        return;
    m_model.setFilter(m_filter, m_current);
    if (m_list.save(result->namePath, result->symbol, previousNamePath, line) != ServerList::Result::Done)
        return;
    if (result->connectAfter)
        connectSymbol(result->symbol);
    else
        applyMarking();
}

void ServerExplorer::run(int id, const QModelIndex& at)
{
    if (!isEnabled(id, at))
        return;
    const ServerEntry* entry = entryOf(at);
    switch (id) {
    case Connect: connectSymbol(symbolOf(at)); break;
    case Launch: {
        const QString symbol = symbolOf(at);
        const QString program = m_program.isEmpty() ? QCoreApplication::applicationFilePath() : m_program;
        const QStringList arguments{QStringLiteral("--server:\"%1\"").arg(symbol),
                                    QStringLiteral("--profile:\"%1\"").arg(symbol)};
        if (m_hooks.launch && !m_hooks.launch(program, arguments))
            m_prompter.inform(QStringLiteral("Unable to start ") + program, QStringLiteral("Error"), Prompter::Icon::Error);
        break;
    }
    case Add:
        editAndSave({defaultAddPath(folderOf(at), !m_current.isEmpty()), m_current, true}, QString(), 0);
        break;
    case Clone:
        if (entry)
            editAndSave({clonePath(entry->namePath), entry->symbol, true}, QString(), 0);
        break;
    case Edit:
        if (entry)
            editAndSave({entry->namePath, entry->symbol, false}, entry->namePath, entry->line);
        break;
    case Delete:
        if (entry) {
            m_model.setFilter(m_filter, m_current);
            m_list.remove(entry->namePath, entry->line);
        }
        break;
    case NewFolder: {
        const QString name = folderName(m_hooks.askFolderName ? m_hooks.askFolderName() : QString());
        if (!name.isEmpty()) {
            const QModelIndex folder = m_model.addFolder(at, name);
            if (folder.isValid())
                emit folderAdded(folder);
        }
        break;
    }
    case SaveTo: {
        const QString target = m_chooser ? m_chooser->saveFileName(QStringLiteral("Save to"), kConfigFilter,
                                                                   QStringLiteral("Servers.cfg"))
                                         : QString();
        if (!target.isEmpty() && !m_list.saveTo(target))
            m_prompter.inform(QStringLiteral("Can't write ") + target + QStringLiteral(": ") + m_list.errorString(),
                              QStringLiteral("Tovo"), Prompter::Icon::Warning);
        break;
    }
    case LoadFrom: {
        const QString source = m_chooser ? m_chooser->openFileName(QStringLiteral("Load from"), kConfigFilter) : QString();
        if (source.isEmpty())
            break;
        m_model.setFilter(m_filter, m_current);
        if (!m_list.loadFrom(source))
            m_prompter.inform(QStringLiteral("Can't load ") + source + QStringLiteral(": ") + m_list.errorString(),
                              QStringLiteral("Tovo"), Prompter::Icon::Warning);
        break;
    }
    case ReloadConfig: reload(); break;
    case ReloadTree:
        m_filter.clear();
        m_filterChanged = m_typedRecently = false;
        emit filterCleared();
        reload();
        break;
    default: break;
    }
}

void ServerExplorer::activate(const QModelIndex& at)
{
    if (m_model.kindOf(at) == ServerTreeModel::Server && at.isValid())
        connectSymbol(symbolOf(at));
}

void ServerExplorer::quickConnect(const QString& typed)
{
    QString text = typed.trimmed();
    if (text == QStringLiteral("`"))
        text.clear();
    auto viaDialog = [this](const QString& symbol) {
        if (!m_hooks.editServer)
            return;
        const auto result = m_hooks.editServer({QStringLiteral("`Quick Connect`New server"), symbol, true});
        if (result && m_hooks.connect)
            m_hooks.connect(result->symbol, [](int) {});
    };
    if (text.isEmpty() || !m_hooks.connect) {
        viaDialog(text);
        return;
    }
    if (m_hooks.rememberQuickConnect)
        m_hooks.rememberQuickConnect(text);
    QPointer<ServerExplorer> self(this);
    m_hooks.connect(text, [self, text, viaDialog](int result) {
        if (self && result <= 0)
            viaDialog(text);
    });
}

void ServerExplorer::moveServer(int line, const QString& folderNamePath)
{
    const ServerEntry* entry = m_list.entryAt(line);
    if (!entry || !entry->hasNamePath)
        return;
    const QString target = folderNamePath + u'`' + entry->name();
    if (target == entry->namePath)
        return;
    const ServerEntry moved = *entry; // the list reloads under the save
    m_model.setFilter(m_filter, m_current);
    m_list.save(target, moved.symbol, moved.namePath, moved.line);
}
