#include "app/CDemoLink.h"

#include "app/CMainFrame.h"
#include "app/CommandIds.h"
#include "connect/ConnectionController.h"
#include "connect/ServerList.h"
#include "core/Prompter.h"
#include "core/commands/CommandHandlers.h"

CDemoLink::CDemoLink(const DemoFiles& files, CMainFrame& frame, ServerList& list, ConnectionController& controller,
                     Prompter& prompter)
    : QObject(&frame)
    , m_frame(frame)
    , m_list(list)
    , m_controller(controller)
    , m_prompter(prompter)
    , m_instance(new DemoInstance(files, this))
{
    connect(m_instance, &DemoInstance::ready, this, &CDemoLink::onReady);
    connect(m_instance, &DemoInstance::failed, this,
            [this](const QString& message) { m_prompter.inform(message, QStringLiteral("Tovo"), Prompter::Icon::Error); });
    frame.commands().addHandler(cmd::StartDemo, this, CommandHandlers::Scope::Window, [this] { start(); },
                                [this] { return available(); });
}

QString CDemoLink::offerText()
{
    return QStringLiteral("The server list is empty.\n\nStart the demo instance? It is a scripted stand-in for kdb+ "
                          "that answers the lines of demo.q, so Tovo can be tried without a kdb+ licence. "
                          "It runs while Tovo runs; Help > Start Demo Instance starts it later.");
}

void CDemoLink::start() { m_instance->start(); }

void CDemoLink::offer()
{
    if (m_prompter.ask(offerText(), QStringLiteral("Tovo"), Prompter::Buttons::YesNo, Prompter::Icon::Question,
                       Prompter::Answer::No)
        == Prompter::Answer::Yes)
        start();
}

void CDemoLink::onReady(const QString& symbol)
{
    if (!DemoInstance::enter(m_list, symbol))
        m_prompter.inform(QStringLiteral("The demo instance runs on %1, but the server list could not be updated: %2")
                              .arg(symbol, m_list.errorString()),
                          QStringLiteral("Tovo"), Prompter::Icon::Warning);
    m_controller.connectTo(symbol);
    m_frame.openDocument(m_instance->files().source);
}
