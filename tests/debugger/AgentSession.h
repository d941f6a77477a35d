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
