// What the main window's Connect, Disconnect and "TLS/OpenSSL" commands do:
// the main session, the current server text, the back and forward histories
// and the marking of critical instances. The frame shows what it signals.
// Connecting runs on the session's worker (CQHelper::openAsync): connectTo
// returns at once, the window stays live, and connectFinished reports the
// result after the steps that follow the open.
#pragma once

#include "core/Prompter.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class ActiveQuery;
class CDlgEditorSettings;
class CDlgQSettings;
class CQHelper;
class Prompter;
class SettingsStore;

class ConnectionController : public QObject {
    Q_OBJECT
public:
    enum class Colour { Black, Red };
    Q_ENUM(Colour)
    // The reconnect counter's mark of a disconnect made by the user.
    static constexpr int userDisconnect = 128;

    ConnectionController(CQHelper& session, CDlgQSettings& q, CDlgEditorSettings& editor, SettingsStore* store,
                         Prompter& prompter, QObject* parent = nullptr);

    void setActiveQuery(ActiveQuery* query) { m_query = query; }
    CQHelper& session() { return m_session; }

    QString serverText() const { return m_serverText; }
    const QStringList& backHistory() const { return m_back; }
    const QStringList& forwardHistory() const { return m_forward; }
    // Newest entry last.
    void setHistories(const QStringList& back, const QStringList& forward);

    int reconnectCounter() const { return m_reconnectCounter; }
    void setReconnectCounter(int value) { m_reconnectCounter = value; }

    // The main window title, which the critical masks are also matched against.
    void setWindowTitle(const QString& title);
    bool isCritical() const;

    // A connect (connectTo or reopen) is in progress.
    bool isConnecting() const { return m_connecting; }
    // The server whose connection was lost (connectionLost), until the next
    // connect or disconnect; the runner reconnects to it on the next query.
    QString lostServer() const { return m_lostServer; }

    // Whether OpenSSL is installed where the TLS command looks for it.
    std::function<bool()> openSslPresent;
    static QString tlsInstructionsUrl();

public slots:
    // Connect(text, no-history flag): connectFinished(result) follows, with
    // the open's result, 0 when the text was empty or the user kept the
    // running query, CQHelper::Cancelled when the connect was cancelled.
    void connectTo(const QString& text, bool noHistory = false);
    void disconnectServer();
    // A connection lost for good: shown as a Disconnect, without the mark of
    // a disconnect made by the user, and the server is kept as lostServer().
    void connectionLost();
    // Opens the current server text again on the session (after an abort or
    // a lost connection): done(result) on this thread, while context lives.
    void reopen(const QObject* context, std::function<void(int)> done);
    // Stops a connect in progress; the session stays as it was.
    void cancelConnect();
    // "Connect to previous" and "Connect to next": the newest entry of the back
    // (forward) history, without history of its own; the server left behind
    // goes on the other history. 0 when the history is empty.
    void connectPrevious() { stepHistory(m_back, m_forward); }
    void connectNext() { stepHistory(m_forward, m_back); }
    void toggleTls();
    void updateCriticalMarking();

signals:
    void connectFinished(int result);
    // A connect started ("Connecting to <server>...") or ended.
    void connectingChanged(bool connecting);
    void statusText(int pane, const QString& text, ConnectionController::Colour colour);
    void progressCleared();
    void connectBoxText(const QString& text);
    // The current server text changed; empty when disconnected. The explorer
    // marks it and the title follows.
    void serverChanged(const QString& serverText);
    void uncheckWatchesRequested();
    void namespaceLoadRequested();
    void consoleText(const QString& text);
    void activeViewServerChanged(const QString& serverText);
    // Source views take colour (0x00BBGGRR) when critical, their normal
    // background otherwise.
    void criticalMarking(bool critical, int colour);
    void openUrlRequested(const QString& url);
    // The back or forward history may have changed.
    void historiesChanged();

private:
    void pushBack(const QString& text);
    void stepHistory(QStringList& from, QStringList& to);
    void startConnect(const QString& text, bool noHistory, std::function<void(int)> then);
    void finishConnect(const QString& text, const QString& before, bool noHistory, int result);
    void setConnecting(const QString& text);
    void showDisconnected();
    bool ask(const QString& text, Prompter::Answer defaultButton);

    CQHelper& m_session;
    CDlgQSettings& m_q;
    CDlgEditorSettings& m_editor;
    SettingsStore* m_store;
    Prompter& m_prompter;
    ActiveQuery* m_query = nullptr;
    QString m_serverText;
    QString m_title;
    QStringList m_back;
    QStringList m_forward;
    int m_reconnectCounter = 0;
    bool m_connecting = false;
    QString m_lostServer;
};
