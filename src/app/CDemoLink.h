// The demo in the window: `tovo --demo`, Help > "Start Demo Instance" and the
// offer on a first start start this Tovo's own demo instance, list it as the
// "Demo" entry of the server list, connect to it and open the demo script.
#pragma once

#include "app/DemoInstance.h"

#include <QObject>

class CMainFrame;
class ConnectionController;
class Prompter;
class ServerList;

class CDemoLink : public QObject {
    Q_OBJECT
public:
    CDemoLink(const DemoFiles& files, CMainFrame& frame, ServerList& list, ConnectionController& controller,
              Prompter& prompter);

    DemoInstance& instance() { return *m_instance; }
    bool available() const { return m_instance->files().isComplete(); }
    // Asynchronous; a failure is reported through the prompter.
    void start();
    // The first-start offer: one question, No (the default) leaves all as it is.
    void offer();

    static QString offerText();

private:
    void onReady(const QString& symbol);

    CMainFrame& m_frame;
    ServerList& m_list;
    ConnectionController& m_controller;
    Prompter& m_prompter;
    DemoInstance* m_instance;
};
