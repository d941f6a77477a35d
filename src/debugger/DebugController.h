// One debugging session with the agent in an instance, without a window: the
// agent check and injection, the prefix, Prepare and its history, the step
// commands, breakpoints, the state refresh and listings. Every query runs on
// the debugger session's worker in the order asked; the answers come back on
// the window's thread, where the state is kept and the signals are emitted.
#pragma once

#include "debugger/DebugListing.h"
#include "debugger/DebugState.h"
#include "debugger/DebugTexts.h"
#include "kdb/KPtr.h"

#include <QObject>
#include <QStringList>

#include <functional>

class Prompter;
class SessionWorker;

class DebugController : public QObject {
    Q_OBJECT
public:
    struct Context {
        Prompter* prompter = nullptr;
        // The session's worker, made on first use (no thread until the debugger opens).
        std::function<SessionWorker*()> worker;
        // The blocking query on the debugger's session (worker thread):
        // the reply, or null when the connection failed.
        std::function<KPtr(const QString& text)> call;
        // Whether the session is open, and closing it (window's thread).
        std::function<bool()> isOpen;
        std::function<void()> close;
        // The main window's current server text.
        std::function<QString()> currentServer;
        // The name of a function from its text (the namespace explorer's
        // map); empty when unknown.
        std::function<QString(const QString& text)> functionName;
        // The home folder, for "debug.txt".
        QString homeFolder;
        // Console text of a value.
        DebugStateParser::Render render;
    };

    explicit DebugController(Context context, QObject* parent = nullptr);

    // The agent check on the open session to server: the prefix, the
    // injection question, injection, and whether it was ever prepared.
    // agentChecked(true) when the window may open.
    void checkAgent(const QString& server);
    QString prefix() const { return m_prefix; }
    QString server() const { return m_server; }
    bool needsPreparing() const { return m_needsPreparing; }
    void setNeedsPreparing(bool on) { m_needsPreparing = on; }

    // Prepare: the call text joins the history; an empty call stops here.
    void prepare(const QString& call, bool dontInterpret);
    const QStringList& history() const { return m_history; }

    void step(DebugTexts::Step step);
    void refresh();
    // F9 on the listing's line under the caret position.
    void toggleBreakpoint(int caretPosition);
    // "Remove" on a breakpoint item ("name, line N").
    void removeBreakpoint(const QString& itemText);
    void deleteAllBreakpoints();
    void setHandledSignals(int count);
    void setTimeout(int seconds);
    void setNative(bool on);
    // Shows a function's listing (sent when it differs from the one shown or
    // when forced); reportMissing: "Can't find ..." when it cannot be listed.
    void showFunction(const QString& name, bool forced = false, bool reportMissing = false);
    // A stack entry chosen in the list: a call record shows its function at
    // its line and its frame's variables.
    void selectStackEntry(int index);

    const DebugState& state() const { return m_state; }
    const DebugListing& listing() const { return m_listing; }
    QString functionName() const { return m_function; }
    // The variables shown: the current frame's, or those of the chosen stack entry.
    const QList<DebugVariable>& variables() const { return m_variables; }
    int variablesStackIndex() const { return m_variablesStackIndex; }
    // Breakpoint list items, "name, line N".
    QStringList breakpointItems() const;
    // The name a function text is shown by.
    QString nameOf(const QString& functionText) const;

    // Queries asked and not answered yet.
    int pending() const { return m_pending; }

signals:
    void agentChecked(bool ok);
    void statusShown(const QString& text, bool exception);
    void stateChanged();
    void listingChanged();
    // The variables shown changed to those of a chosen stack entry.
    void variablesChanged();
    // The session failed: the lost message was shown and the session closed.
    void connectionLost();
    // The main window's server is no longer this one: closed after the message.
    void serverChanged();
    // After each refresh, for the watch list.
    void refreshed();
    void idle();

private:
    using Replies = QList<KPtr>;
    // Sends texts in order on the worker; done gets the replies (a null for
    // a failed connection, after which nothing more is sent).
    void send(const QStringList& texts, std::function<void(const Replies&)> done);
    bool lost(const Replies& replies, int count);
    void reportLost();
    void showAnswer(K answer);
    void applyState(K reply);
    static bool isError(K x) { return x && x->t == -128; }

    Context m_context;
    QString m_prefix = DebugTexts::kDefaultPrefix;
    QString m_server;
    bool m_needsPreparing = false;
    QStringList m_history;
    DebugState m_state;
    DebugListing m_listing;
    QString m_function;     // name of the function listed
    QString m_listedText;   // its text as the agent gave it
    QList<DebugVariable> m_variables;
    int m_variablesStackIndex = -1;
    int m_pending = 0;
};
