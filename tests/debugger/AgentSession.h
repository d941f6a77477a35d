// A scripted instance playing the debugger agent, a connection to it and a
// controller driving it, for the debugger tests.
#pragma once

#include "InstanceDebugAgent.h"
#include "ScriptedPrompter.h"
#include "TestInstance.h"

#include "connect/SessionWorker.h"
#include "core/values/KRender.h"
#include "debugger/DebugController.h"

#include <QSignalSpy>
#include <QtTest>

#include <atomic>
#include <memory>

// f[1;2] entering g: three positions in f, two in g, an exception in g.
inline const char* const kSession = R"(
agent: present
prepared: no
function: f {[a;b] c:g a+b; d:c*2; d}
statement: f c: g a+b
statement: f d: c*2
statement: f d
code: f 0x787941800a01030002
function: g {[x] y:neg x; y+1}
statement: g y: neg x
statement: g y+1
code: g 0x78220302
step: f 0 n=0 a=1 b=2
step: g 0 n=1 caller=f:0 x=3
step: g 1 n=3 caller=f:0 x=3 y=-3
step: f 1 n=5 a=1 b=2 c=-2
step: f 2 n=7 a=1 b=2 c=-2 d=-4
result: -4
)";

// The three worked traces of the agent (docs/debugger-agent.md), as the
// agent answers them: byte code in the kdb+ 3.5 layout, every position a
// command stops at, the stack it prints.
// 1: stepping into f[3;4] with F11, no breakpoints.
inline const char* const kTraceStep = R"(
agent: present
prepared: no
function: f {[a;b] c:a+b; c*2}
statement: f c: a+b
statement: f c * 2
code: f 0x626141030902a0694300
function: w {f[3;4]}
statement: w f[3;4]
code: w 0xa1a0810a0200
prepared-stack: :: {f[3;4]}
step: f 0 n=5 caller=entry:0 caller=w:0 a=3 b=4 c=7 stack=7
step: f 1 n=9 caller=entry:0 caller=w:0 a=3 b=4 c=7 stack=14
step: w 0 n=5 caller=entry:0 x=:: stack=14
step: entry 0 n=2 x=:: stack=14
result: 14
)";

// 2: a breakpoint on statement 2 of f, reached by Run.
inline const char* const kTraceBreakpoint = R"(
agent: present
prepared: no
function: f {[a;b] c:a+b; d:c*2; d-5}
statement: f c: a+b
statement: f d: c * 2
statement: f d-5
code: f 0x626141030902a06943030a02a16a4200
function: w {f[3;4]}
statement: w f[3;4]
code: w 0xa1a0810a0200
prepared-stack: :: {f[3;4]}
step: f 2 n=12 caller=entry:0 caller=w:0 a=3 b=4 c=7 d=14
result: 9
)";

// 3: h[5] with the global k a symbol: the amend fails, fails again on a
// retry, and succeeds once k:10 has been run.
inline const char* const kTraceRetry = R"(
agent: present
prepared: no
function: h {[x] k+:x; k*2}
statement: h k+: x
statement: h k * 2
code: h 0x610b04810102a0814300
function: w {h[5]}
statement: w h[5]
code: w 0xa0810a0100
prepared-stack: :: {h[5]}
step: h 0 n=2 caller=entry:0 caller=w:0 x=5 stack=5 stack=()
exception: Assignment to k failed: type
fixed-by: k:10
result: 30
)";

struct AgentSession {
    // The agent outlives the instance whose threads call it.
    InstanceDebugAgent agent;
    TestInstance instance;
    ScriptedPrompter prompter;
    SessionWorker worker;
    std::shared_ptr<std::atomic<int>> handle = std::make_shared<std::atomic<int>>(-1);
    QString server = QStringLiteral("`:127.0.0.1:1");
    QString currentServer = server;
    QString home;
    KRender renderer;
    std::unique_ptr<DebugController> controller;

    bool start(const QString& script, QString* why = nullptr)
    {
        if (!agent.applyScript(script, why))
            return false;
        agent.install(instance);
        if (!instance.start())
            return false;
        handle->store(khpunc("127.0.0.1", instance.port(), "", 2000, 0));
        if (handle->load() <= 0)
            return false;
        DebugController::Context c;
        c.prompter = &prompter;
        c.worker = [this] { return &worker; };
        auto h = handle;
        c.call = [h](const QString& text) {
            const int fd = h->load();
            return KPtr(fd > 0 ? k(fd, text.toUtf8().constData(), static_cast<K>(nullptr)) : nullptr);
        };
        c.isOpen = [h] { return h->load() > 0; };
        c.close = [h] {
            const int fd = h->exchange(-1);
            if (fd > 0)
                kclose(fd);
        };
        c.currentServer = [this] { return currentServer; };
        c.functionName = [this](const QString& text) {
            // The explorer's map: the two functions of the session by their text.
            if (text == QLatin1String("{[a;b] c:g a+b; d:c*2; d}"))
                return QStringLiteral("f");
            if (text == QLatin1String("{[x] y:neg x; y+1}"))
                return QStringLiteral("g");
            // The functions of the traces.
            if (text == QLatin1String("{[a;b] c:a+b; c*2}") || text == QLatin1String("{[a;b] c:a+b; d:c*2; d-5}"))
                return QStringLiteral("f");
            if (text == QLatin1String("{[x] k+:x; k*2}"))
                return QStringLiteral("h");
            return QString();
        };
        c.homeFolder = home;
        c.render = [this](K x) { return renderer.render(x); };
        controller = std::make_unique<DebugController>(c);
        return true;
    }
    // Started, with the agent check asked and answered.
    bool startChecked(const QString& script)
    {
        if (!start(script))
            return false;
        controller->checkAgent(server);
        return settle();
    }
    ~AgentSession()
    {
        const int fd = handle->exchange(-1);
        if (fd > 0)
            kclose(fd);
    }
    // Waits until every query asked was answered.
    bool settle(int timeoutMs = 10000)
    {
        QElapsedTimer t;
        t.start();
        while (controller->pending() > 0 && t.elapsed() < timeoutMs)
            QTest::qWait(5);
        return controller->pending() == 0;
    }
    // The agent commands received, without the state queries.
    QStringList commands() const
    {
        QStringList out;
        for (const QString& t : instance.receivedTexts())
            if (!t.startsWith(QLatin1String("{@[eval;parse x;")))
                out << t;
        return out;
    }
};
