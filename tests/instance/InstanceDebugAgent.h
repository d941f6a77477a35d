// The debugger agent's side of a scripted debugging session, for the test
// instance: it recognises the agent checks, the injection, the entry points
// (with either prefix) and the state query, and answers from a script that
// lists the function's statements and the positions the run goes through.
//
//   agent: absent | present | dotd          (dotd: the instance has a .d namespace)
//   prepared: yes | no                      (whether the agent was ever prepared)
//   function: f {[a;b] c:a+b; d:c*2; d}     a function by name and source
//   statement: f c: a+b                     its statements, in order
//   code: f 0x7879410300...                 its byte code
//   prepared-stack: :: {f[1;2]}             the stack after Prepare, bottom first
//   step: f 0 n=1 a=1 b=2                   the positions, in order: function,
//   step: g 0 n=0 caller=f:1 x=3 stack=7    statement, byte index, callers
//   exception: Unary neg has failed         (repeatable), locals in value notation,
//   fixed-by: k:10                          values above the call records (stack=,
//   result: 6                               bottom first); exception: the step
//                                           signals; fixed-by: a retry fails the
//                                           same way until the instance receives
//                                           that query
//
// The function "entry" is the agent's entry point {"Entry point"}. Steps l[],
// next[], ef[] and s[] move one position; cont[] moves to the next position
// with a breakpoint, an exception or the end. It is thread-safe.
#pragma once

#include "kdb/KPtr.h"

#include <QList>
#include <QMap>
#include <QMutex>
#include <QSet>
#include <QString>
#include <QStringList>

class TestInstance;

class InstanceDebugAgent {
public:
    // False with a message naming the line when the script is invalid.
    bool applyScript(const QString& script, QString* error = nullptr);
    // Adds the rule that answers everything the debugger window sends.
    void install(TestInstance& instance);

    // What the window did, for tests.
    int injections() const;
    QString preparedCall() const;
    int position() const;
    QSet<int> breakpoints(const QString& function) const;
    int handledSignals() const;
    int timeoutSec() const;
    bool native() const;

    // The reply to one query text; null when it is none of the agent's.
    KPtr answer(const QString& text);

private:
    struct Function {
        QString source;
        QStringList statements;
        QByteArray code;
    };
    struct Step {
        QString function;
        int statement = 0;
        int byteIndex = 0;
        QList<QPair<QString, int>> callers;
        QList<QPair<QString, QString>> locals; // name, value notation
        QStringList stack;                     // value notation, bottom first
        QString exception;
        QString fixedBy;
    };

    KPtr stepAnswer(const QString& command);
    KPtr stateAnswer() const;
    KPtr listing(const QString& function) const;
    QStringList printedStack() const;
    bool retryFails() const;
    QString currentLineText() const;
    QString functionNamed(const QString& nameOrSource) const;
    KPtr lambda(const QString& function) const;
    KPtr frame(const Step& step) const;
    KPtr linesAnswer(const QStringList& lines) const;

    mutable QMutex m_mutex;
    bool m_present = false;
    bool m_dotD = false;
    bool m_everPrepared = false;
    QMap<QString, Function> m_functions;
    QList<Step> m_steps;
    QStringList m_preparedStack;
    QSet<QString> m_received;
    QString m_result = QStringLiteral("::");
    QMap<QString, QSet<int>> m_breakpoints;
    // -2 nothing running, -1 prepared, else the index of the current step
    int m_position = -2;
    int m_injections = 0;
    QString m_call;
    int m_e = 10000;
    int m_timeout = 300;
    bool m_native = false;
};
