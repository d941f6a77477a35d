#include "connect/ConnectionController.h"

#include "connect/ActiveQuery.h"
#include "connect/CQHelper.h"
#include "connect/ConnectionSymbol.h"
#include "core/HomeFolder.h"
#include "core/Prompter.h"
#include "core/settings/CDlgQSettings.h"

#include <QFileInfo>
#include <QPointer>

namespace {
bool defaultOpenSslPresent()
{
#ifdef _WIN32
    const QString exe = HomeFolder::expandEnvironment(QStringLiteral("%ProgramFiles%\\OpenSSL-Win64\\bin\\openssl.exe"));
    return QFileInfo(exe).isFile();
#else
    return true; // the client library links OpenSSL itself
#endif
}
} // namespace

ConnectionController::ConnectionController(CQHelper& session, CDlgQSettings& q, CDlgEditorSettings& editor,
                                           SettingsStore* store, Prompter& prompter, QObject* parent)
    : QObject(parent), openSslPresent(defaultOpenSslPresent), m_session(session), m_q(q), m_editor(editor),
      m_store(store), m_prompter(prompter)
{
}

QString ConnectionController::tlsInstructionsUrl() { return QStringLiteral("https://code.kx.com/q/kb/ssl/"); }

void ConnectionController::setHistories(const QStringList& back, const QStringList& forward)
{
    m_back = back;
    m_forward = forward;
}

bool ConnectionController::ask(const QString& text, Prompter::Answer defaultButton)
{
    return m_prompter.ask(text, QStringLiteral("Tovo"), Prompter::Buttons::YesNo, Prompter::Icon::Warning, defaultButton)
        == Prompter::Answer::Yes;
}

void ConnectionController::pushBack(const QString& text)
{
    if (!text.isEmpty() && (m_back.isEmpty() || m_back.back() != text))
        m_back.append(text);
}

void ConnectionController::connectTo(const QString& rawText, bool noHistory)
{
    startConnect(rawText, noHistory, {});
}

void ConnectionController::setConnecting(const QString& text)
{
    const bool connecting = !text.isEmpty();
    if (connecting)
        emit statusText(1, QStringLiteral("Connecting to %1...").arg(ConnectionSymbol::masked(text)), Colour::Black);
    if (connecting != m_connecting) {
        m_connecting = connecting;
        emit connectingChanged(connecting);
    }
}

void ConnectionController::startConnect(const QString& rawText, bool noHistory, std::function<void(int)> then)
{
    auto finished = [this, then](int result) {
        if (then)
            then(result);
        emit connectFinished(result);
    };
    const QString text = ConnectionSymbol::normalise(rawText);
    if (text.isEmpty()) {
        emit statusText(1, QStringLiteral("Disconnected"), Colour::Red);
        finished(0);
        return;
    }
    if (m_connecting)
        cancelConnect(); // the newer request wins
    if (m_query && m_query->isRunning()) {
        if (!ask(QStringLiteral("Query is still running!\nDo you want to abort it and connect to another server?"),
                 Prompter::Answer::No)) {
            finished(0);
            return;
        }
        m_query->abandon(); // before the handle closes, so the worker sees the abort
        disconnectServer();
    }
    m_lostServer.clear();
    const QString before = m_serverText;
    emit connectBoxText(text);
    setConnecting(text);
    m_session.openAsync(text, this, [this, text, before, noHistory, finished](int result) {
        finishConnect(text, before, noHistory, result);
        finished(result);
    });
}

void ConnectionController::finishConnect(const QString& text, const QString& before, bool noHistory, int result)
{
    setConnecting(QString());
    if (result == CQHelper::Cancelled) {
        // Nothing changed: the previous connection (if any) is still open.
        if (m_serverText.isEmpty())
            emit statusText(1, QStringLiteral("Disconnected"), Colour::Red);
        else
            emit statusText(1, QStringLiteral("Connected to %1").arg(ConnectionSymbol::masked(m_serverText)), Colour::Black);
        emit connectBoxText(m_serverText.isEmpty() ? text : m_serverText);
        return;
    }
    if (result == 0) {
        emit statusText(1, QStringLiteral("Disconnected"), Colour::Red);
    } else if (result < 0) {
        emit statusText(1, QStringLiteral("Can't connect to %1").arg(ConnectionSymbol::masked(text)), Colour::Red);
        m_session.close();
        if (!m_serverText.isEmpty()) {
            m_serverText.clear();
            emit serverChanged(m_serverText);
        }
    } else {
        // Only the disconnect itself was the user's: runs on this connection
        // reconnect again when it is lost.
        if (m_reconnectCounter == userDisconnect)
            m_reconnectCounter = 0;
        if (text != m_serverText) {
            m_serverText = text;
            emit serverChanged(m_serverText);
            if (m_q.QUncheckWatches)
                emit uncheckWatchesRequested();
            // A fresh server always gets its namespace, without a time-out;
            // the stored values stay as they are.
            m_q.QLoadNSOnConnect = true;
            m_q.NamespaceSQTimeout = 0;
            emit namespaceLoadRequested();
        }
        emit connectBoxText(text);
        emit statusText(1, QStringLiteral("Connected to %1").arg(ConnectionSymbol::masked(text)), Colour::Black);
        emit consoleText(QStringLiteral("\n! Server changed to ") + ConnectionSymbol::masked(text) + QStringLiteral("\n"));
        emit activeViewServerChanged(text);
    }
    if (!noHistory && !before.isEmpty()) {
        if (before != m_serverText) {
            pushBack(before);
            m_forward.clear();
        }
        if (!m_back.isEmpty() && m_back.back() == m_serverText)
            m_back.removeLast();
        if (!m_forward.isEmpty() && m_forward.back() == m_serverText)
            m_forward.removeLast();
    }
    updateCriticalMarking();
    emit historiesChanged();
}

void ConnectionController::reopen(const QObject* context, std::function<void(int)> done)
{
    if (m_connecting)
        cancelConnect();
    const QString server = m_serverText;
    setConnecting(server.isEmpty() ? QStringLiteral("localhost") : server);
    m_session.openAsync(server, this, [this, server, guard = QPointer<const QObject>(context), done](int result) {
        setConnecting(QString());
        if (result == CQHelper::Cancelled) {
            // The handle was closed before the reopen: without it the window
            // must not look connected.
            if (!m_session.isOpen() && !m_serverText.isEmpty())
                connectionLost();
            else if (m_serverText.isEmpty())
                emit statusText(1, QStringLiteral("Disconnected"), Colour::Red);
            else
                emit statusText(1, QStringLiteral("Connected to %1").arg(ConnectionSymbol::masked(m_serverText)), Colour::Black);
        } else if (result > 0 && !server.isEmpty()) {
            emit statusText(1, QStringLiteral("Connected to %1").arg(ConnectionSymbol::masked(server)), Colour::Black);
        }
        if (guard)
            done(result);
    });
}

void ConnectionController::cancelConnect() { m_session.cancelConnect(); }

void ConnectionController::stepHistory(QStringList& from, QStringList& to)
{
    if (from.isEmpty())
        return;
    const QString before = m_serverText;
    startConnect(from.takeLast(), true, [this, before, &to](int) {
        if (!before.isEmpty() && before != m_serverText)
            to.append(before);
        emit historiesChanged();
    });
}

void ConnectionController::showDisconnected()
{
    const QString old = m_serverText;
    m_serverText.clear();
    emit statusText(1, QStringLiteral("Disconnected"), Colour::Red);
    emit progressCleared();
    emit serverChanged(QString());
    pushBack(old);
    updateCriticalMarking();
    emit historiesChanged();
}

void ConnectionController::disconnectServer()
{
    if (m_connecting)
        cancelConnect();
    m_reconnectCounter = userDisconnect;
    m_lostServer.clear();
    m_session.close();
    showDisconnected();
}

void ConnectionController::connectionLost()
{
    const QString old = m_serverText;
    m_session.close();
    showDisconnected();
    if (!old.isEmpty())
        m_lostServer = old;
}

void ConnectionController::toggleTls()
{
    const bool connected = m_session.isOpen();
    if (connected
        && !ask(QStringLiteral("You are currently connected to the instance.\nChanging TLS Mode only possible by "
                               "disconnecting and reconnecting with changed capability.\nAre you sure you want to do "
                               "that?"),
                Prompter::Answer::No))
        return;
    if (!m_q.EnableTLS && openSslPresent && !openSslPresent()) {
        if (ask(QStringLiteral("In order to use TLS you should have OpenSSL installed.\n Read ") + tlsInstructionsUrl()
                    + QStringLiteral(" for instructions.\nOpen instructions now?"),
                Prompter::Answer::Yes))
            emit openUrlRequested(tlsInstructionsUrl());
        return;
    }
    m_q.EnableTLS = !m_q.EnableTLS;
    if (m_store)
        m_q.save(*m_store);
    if (connected) {
        const QString server = m_serverText;
        disconnectServer();
        connectTo(server);
    }
}

void ConnectionController::setWindowTitle(const QString& title)
{
    m_title = title;
    updateCriticalMarking();
}

bool ConnectionController::isCritical() const
{
    const QStringList masks = m_editor.CriticalMasks.split(u';');
    for (const QString& mask : masks) {
        if (!mask.isEmpty() && (m_title.contains(mask) || m_serverText.contains(mask)))
            return true;
    }
    return false;
}

void ConnectionController::updateCriticalMarking() { emit criticalMarking(isCritical(), m_editor.CriticalBackground); }
