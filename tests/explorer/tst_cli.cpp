// tovo-cli namespaces against the test instance's namespace model.
#include "InstanceNamespaces.h"
#include "TestInstance.h"

#include <QProcess>
#include <QtTest>

class TestNamespacesCli : public QObject {
    Q_OBJECT
private slots:
    void printsTheTree();
    void failure();
};

namespace {
QProcess* runCli(const QStringList& args)
{
    auto* p = new QProcess;
    p->start(QStringLiteral(TOVO_CLI), args);
    return p;
}
} // namespace

void TestNamespacesCli::printsTheTree()
{
    TestInstance instance;
    InstanceNamespaces::Function f;
    f.params = {QStringLiteral("x")};
    f.body = QStringLiteral("{x+1}");
    instance.namespaces().addFunction(QStringLiteral(".feed.f"), f);
    instance.namespaces().addVariable(QStringLiteral("v"), {-7, 1, 8});
    QVERIFY(instance.start());
    std::unique_ptr<QProcess> p(
        runCli({QStringLiteral("namespaces"), QStringLiteral("127.0.0.1:%1").arg(instance.port())}));
    QVERIFY(p->waitForFinished(30000));
    const QString out = QString::fromUtf8(p->readAllStandardOutput());
    QCOMPARE(p->exitCode(), 0);
    QVERIFY2(out.startsWith(QStringLiteral("Namespaces\n  Variables\n    v\tvariable\n"
                                           "  .feed\n     Functions\n      f[x]\tfunction\n")),
             qPrintable(out));
    QVERIFY(out.contains(QStringLiteral("\n  .z\n     Handlers\n")));
    // Namespaces, variables and functions; without tables or files no queries for them.
    QCOMPARE(instance.received().size(), 3);
}

void TestNamespacesCli::failure()
{
    TestInstance instance;
    instance.namespaces().failQuery(1, QStringLiteral("access"));
    QVERIFY(instance.start());
    std::unique_ptr<QProcess> p(
        runCli({QStringLiteral("namespaces"), QStringLiteral("127.0.0.1:%1").arg(instance.port())}));
    QVERIFY(p->waitForFinished(30000));
    QCOMPARE(p->exitCode(), 1);
    QVERIFY(p->readAllStandardError().startsWith("Service query failed: {[q] t:system\"T\";"));
    QVERIFY(p->readAllStandardOutput().isEmpty());
    p.reset(runCli({QStringLiteral("namespaces"), QStringLiteral("nowhere")}));
    QVERIFY(p->waitForFinished(30000));
    QCOMPARE(p->exitCode(), 2);
}

QTEST_GUILESS_MAIN(TestNamespacesCli)
#include "tst_cli.moc"
