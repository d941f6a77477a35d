// The demo instance of one Tovo: tovo-test-instance serving the demo script,
// run as a child process on a free loopback port. The child reports the port
// it bound; the "Demo" entry of the server list then points at it. The child
// stops when this object goes, and also when Tovo itself ends in any way (it
// watches its standard input, which only Tovo holds). Nothing here waits for
// the child: start() returns at once and ready() or failed() follows.
#pragma once

#include <QObject>
#include <QString>

class QProcess;
class ServerList;

struct DemoFiles {
    QString program; // tovo-test-instance
    QString script;  // demo.script
    QString source;  // demo.q, opened in the editor

    bool isComplete() const;
    // The installed layout beside the executable (../lib/tovo and
    // ../share/tovo/demo), else the given build-tree places; empty texts for
    // what neither has.
    static DemoFiles locate(const QString& exeDir, const QString& buildProgram, const QString& buildDemoDir);
};

class DemoInstance : public QObject {
    Q_OBJECT
public:
    // The demo's entry in Servers.cfg.
    static QString namePath();

    explicit DemoInstance(DemoFiles files, QObject* parent = nullptr);
    ~DemoInstance() override;

    const DemoFiles& files() const { return m_files; }
    // Starts the child unless it runs already (then ready() repeats its symbol).
    void start();
    bool isRunning() const { return m_port > 0; }
    int port() const { return m_port; }
    qint64 processId() const;
    QString symbol() const;

    // Adds the Demo entry for symbol, or points the existing one at it, after
    // reading the file again (another Tovo may have written it meanwhile).
    // The list keeps one Demo entry. False with list.errorString() on failure.
    static bool enter(ServerList& list, const QString& symbol);

signals:
    void ready(const QString& symbol);
    void failed(const QString& message);

private:
    void readOutput();
    void fail(const QString& why);

    DemoFiles m_files;
    QProcess* m_process = nullptr;
    QByteArray m_output;
    int m_port = 0;
};
