#include "app/DemoInstance.h"

#include "connect/ServerList.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

bool DemoFiles::isComplete() const
{
    return QFileInfo(program).isExecutable() && QFileInfo(script).isFile() && QFileInfo(source).isFile();
}

DemoFiles DemoFiles::locate(const QString& exeDir, const QString& buildProgram, const QString& buildDemoDir)
{
    const QDir dir(exeDir);
    DemoFiles installed {dir.absoluteFilePath(QStringLiteral("../lib/tovo/tovo-test-instance")),
                         dir.absoluteFilePath(QStringLiteral("../share/tovo/demo/demo.script")),
                         dir.absoluteFilePath(QStringLiteral("../share/tovo/demo/demo.q"))};
    if (installed.isComplete())
        return {QDir::cleanPath(installed.program), QDir::cleanPath(installed.script), QDir::cleanPath(installed.source)};
    if (buildProgram.isEmpty() || buildDemoDir.isEmpty())
        return {};
    return {buildProgram, QDir(buildDemoDir).filePath(QStringLiteral("demo.script")),
            QDir(buildDemoDir).filePath(QStringLiteral("demo.q"))};
}

QString DemoInstance::namePath() { return QStringLiteral("`Demo`trades and quotes"); }

DemoInstance::DemoInstance(DemoFiles files, QObject* parent)
    : QObject(parent)
    , m_files(std::move(files))
{
}

DemoInstance::~DemoInstance()
{
    if (m_process && m_process->state() != QProcess::NotRunning) {
        // Killed, the child is gone at once; the wait only collects its exit
        // status, so that no process is left behind as a zombie.
        m_process->disconnect(this);
        m_process->kill();
        m_process->waitForFinished(1000);
    }
}

qint64 DemoInstance::processId() const { return m_process ? m_process->processId() : 0; }

QString DemoInstance::symbol() const
{
    return m_port > 0 ? QStringLiteral("`:127.0.0.1:%1::").arg(m_port) : QString();
}

void DemoInstance::start()
{
    if (m_port > 0) {
        emit ready(symbol());
        return;
    }
    if (m_process)
        return; // starting: ready() or failed() follows
    if (!m_files.isComplete()) {
        QString missing = m_files.program;
        for (const QString& f : {m_files.program, m_files.script, m_files.source})
            if (!QFileInfo(f).isFile()) {
                missing = f;
                break;
            }
        emit failed(QStringLiteral("The demo instance could not be started: %1 was not found.")
                        .arg(missing.isEmpty() ? QStringLiteral("tovo-test-instance") : QDir::toNativeSeparators(missing)));
        return;
    }
    m_output.clear();
    m_process = new QProcess(this);
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    connect(m_process, &QProcess::readyReadStandardOutput, this, &DemoInstance::readOutput);
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            fail(m_process->errorString());
    });
    connect(m_process, &QProcess::finished, this, [this] {
        if (m_port > 0) {
            m_port = 0; // stopped after it ran: the next start() starts another
            m_process->deleteLater();
            m_process = nullptr;
            return;
        }
        readOutput();
        fail(QString::fromLocal8Bit(m_output).trimmed());
    });
    // Port 0: the system picks a free port, so a taken port never stops the demo.
    m_process->start(m_files.program, {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--stop-on-eof"),
                                       m_files.script});
}

void DemoInstance::readOutput()
{
    if (!m_process)
        return;
    m_output += m_process->readAllStandardOutput();
    if (m_port > 0) {
        m_output.clear(); // the queries it prints: not needed
        return;
    }
    static const QRegularExpression listening(QStringLiteral(R"((?m)^listening on 127\.0\.0\.1:(\d+)\s*$)"));
    const auto match = listening.match(QString::fromLocal8Bit(m_output));
    if (!match.hasMatch()) {
        if (m_output.size() > 65536)
            m_output = m_output.right(65536);
        return;
    }
    m_port = match.captured(1).toInt();
    m_output.clear();
    emit ready(symbol());
}

void DemoInstance::fail(const QString& why)
{
    if (m_process) {
        m_process->disconnect(this);
        m_process->deleteLater();
        m_process = nullptr;
    }
    emit failed(QStringLiteral("The demo instance could not be started: %1")
                    .arg(why.isEmpty() ? QStringLiteral("it ended without reporting its port.") : why));
}

bool DemoInstance::enter(ServerList& list, const QString& symbol)
{
    if (!list.load())
        return false;
    const QString name = namePath();
    const ServerEntry* existing = nullptr;
    for (const ServerEntry& entry : list.entries())
        if (entry.hasNamePath && entry.namePath == name)
            existing = &entry;
    if (existing && existing->symbol == symbol)
        return true;
    // The same name path: no question about replacing another entry.
    const ServerList::Result result = existing ? list.save(name, symbol, name, existing->line)
                                               : list.save(name, symbol, QString(), 0);
    return result == ServerList::Result::Done;
}
