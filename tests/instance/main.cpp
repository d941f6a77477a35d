// tovo-test-instance: the scripted kdb+ test instance as a program, for
// trying Tovo by hand.
#include "InstanceScript.h"
#include "TestInstance.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <atomic>
#include <chrono>
#include <thread>

namespace {
std::atomic<bool> g_quit {false};
void onSignal(int) { g_quit = true; }
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = app.arguments().mid(1);
    // --port N overrides the script's port (a launcher's choice wins over the
    // file's; 0 lets the system choose). --stop-on-eof ends the instance when
    // standard input closes: a launcher holding the other end stops it by
    // exiting, however it exits.
    int portOverride = -1;
    bool stopOnEof = false;
    for (;;) {
        if (args.size() >= 2 && args.front() == QLatin1String("--port")) {
            bool ok = false;
            portOverride = args.at(1).toInt(&ok);
            if (!ok || portOverride < 0 || portOverride > 65535) {
                err << "tovo-test-instance: invalid port " << args.at(1) << "\n";
                return 2;
            }
            args = args.mid(2);
        } else if (!args.isEmpty() && args.front() == QLatin1String("--stop-on-eof")) {
            stopOnEof = true;
            args = args.mid(1);
        } else {
            break;
        }
    }
    if (args.size() != 1 || args.front() == QLatin1String("--help") || args.front() == QLatin1String("-h")) {
        (args.size() == 1 ? out : err) << "usage: tovo-test-instance [--port N] [--stop-on-eof] SCRIPT\n"
                                          "Serves kdb+ IPC on 127.0.0.1 and answers queries from SCRIPT\n"
                                          "(on port N when given, whatever SCRIPT says; 0: any free port).\n"
                                          "With --stop-on-eof it stops when standard input closes.\n\n"
                                       << InstanceScript::formatHelp();
        return args.size() == 1 ? 0 : 2;
    }
    QFile file(args.front());
    if (!file.open(QIODevice::ReadOnly)) {
        err << "tovo-test-instance: cannot read " << args.front() << ": " << file.errorString() << "\n";
        return 1;
    }
    TestInstance instance;
    InstanceScript::Settings settings;
    QString error;
    if (!InstanceScript::apply(QString::fromUtf8(file.readAll()), instance, settings, &error)) {
        err << "tovo-test-instance: " << args.front() << ": " << error << "\n";
        return 1;
    }
    if (portOverride >= 0)
        settings.port = portOverride;
    if (settings.tls && !instance.enableTls()) {
        err << "tovo-test-instance: TLS: " << instance.tlsError() << "\n";
        return 1;
    }
    if (!instance.start(settings.port)) {
        err << "tovo-test-instance: cannot listen on 127.0.0.1:" << settings.port << "\n";
        return 1;
    }
    out << "listening on 127.0.0.1:" << instance.port() << "\n";
    if (settings.tls)
        out << "TLS certificate: " << instance.certificateFile() << "\n";
    out.flush();
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    if (stopOnEof) {
        std::thread([] {
            char buffer[256];
            while (std::fread(buffer, 1, sizeof buffer, stdin) > 0) {
            }
            g_quit = true;
        }).detach();
    }
    int shown = 0;
    while (!g_quit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const auto received = instance.received();
        for (; shown < received.size(); ++shown)
            out << (received[shown].type == 1 ? "sync  " : "async ") << received[shown].rendered << "\n";
        out.flush();
    }
    instance.stop();
    return 0;
}
