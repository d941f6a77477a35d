// The texts the debugger window sends to the agent and shows the user. Every
// agent name is relative to a prefix: ".d." when the instance has a .d
// namespace, ".z.deb." otherwise.
#pragma once

#include <QString>

class DebugTexts {
public:
    static inline const QString kDefaultPrefix = QStringLiteral(".d.");
    static inline const QString kAgentPrefix = QStringLiteral(".z.deb.");

    // The agent check: "count .d" decides the prefix, ".z.deb.a" whether the
    // agent is there, prefix + "n" whether it was ever prepared.
    static QString dotCheck() { return QStringLiteral("count .d"); }
    static QString agentCheck() { return kAgentPrefix + u'a'; }
    static QString preparedCheck(const QString& prefix) { return prefix + u'n'; }
    static QString injectQuestion(const QString& server);

    static QString prepare(const QString& prefix, const QString& call);
    enum class Step { Into, Over, Out, Run, Single };
    static QString step(const QString& prefix, Step step);
    static QString addBreakpoint(const QString& prefix, const QString& function, int line);
    static QString deleteBreakpoint(const QString& prefix, const QString& function, const QString& line);
    static QString clearBreakpoints(const QString& prefix) { return prefix + QStringLiteral("bc[]"); }
    static QString handledSignals(const QString& prefix, int count);
    static QString timeout(const QString& prefix, int seconds);
    static QString native(const QString& prefix, bool on);
    static QString listing(const QString& prefix, const QString& function);
    // Shown through the main window's runner.
    static QString stackValue(const QString& prefix, int index, bool top);
    static QString variable(const QString& prefix, const QString& name, int stackIndex);

    // The state query: ten expressions, each evaluated on its own. An
    // override (the lines of "debug.txt", joined) replaces it; in either,
    // every ".z.deb." becomes the prefix.
    static QString stateQuery(const QString& prefix, const QString& override = QString());
    // The lines of the override file in folder, joined without separators;
    // empty when there is no such file.
    static QString readOverride(const QString& folder);

    static QString lostText() { return QStringLiteral("Connection to Q instance is lost. Please close debugger and reconnect."); }
    static QString lostCaption() { return QStringLiteral("Q Debugger"); }
    static QString serverChangedText() { return QStringLiteral("Tovo connection has changed, Debugger will now close."); }
    static QString signalText(const QString& answer) { return QStringLiteral("Execution stopped on Q Signal:\n") + answer; }
    static QString missingFunction(const QString& name) { return QStringLiteral("Can't find \"%1\" function.").arg(name); }
    static QString placeholderCall() { return QStringLiteral("\"Put call to debug here and press Prepare\""); }
};
