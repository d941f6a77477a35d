// tovo-cli namespaces and deps against the test instance's namespace model.
#include "InstanceNamespaces.h"
#include "TestInstance.h"

#include <QProcess>
#include <QtTest>

class TestNamespacesCli : public QObject {
    Q_OBJECT
private slots:
    void printsTheTree();
    void failure();
    void deps();
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

void TestNamespacesCli::deps()
{
    TestInstance instance;
    InstanceNamespaces::Function upd, run;
    upd.params = {QStringLiteral("x")};
    upd.body = QStringLiteral("{x+limit}");
    upd.globals = {QStringLiteral("limit")};
    instance.namespaces().addFunction(QStringLiteral(".feed.upd"), upd);
    run.params = {QStringLiteral("n")};
    run.body = QStringLiteral("{upd n}");
    run.globals = {QStringLiteral("upd")};
    instance.namespaces().addFunction(QStringLiteral(".feed.run"), run);
    instance.namespaces().addVariable(QStringLiteral(".feed.limit"), {-7, 1, 8});
    QVERIFY(instance.start());
    const QString where = QStringLiteral("127.0.0.1:%1").arg(instance.port());
    struct Case {
        QStringList args;
        int exit;
        QString out;
    };
    const QList<Case> cases{
        {{where, QStringLiteral(".feed.run")}, 0,
         QStringLiteral(".feed.run[n]\r\n    .feed.upd[x]\r\n        .feed.limit (var)\r\n")},
        {{where, QStringLiteral(".feed.upd"), QStringLiteral("--callers")}, 0,
         QStringLiteral(".feed.upd[x]\r\n    .feed.run[n]\r\n")},
        {{where, QStringLiteral(".feed.limit")}, 1, QString()}, // dependencies of functions only
        {{where, QStringLiteral("nothing"), QStringLiteral("--callers")}, 1, QString()},
        {{where}, 2, QString()},
    };
    for (const Case& c : cases) {
        std::unique_ptr<QProcess> p(runCli(QStringList{QStringLiteral("deps")} + c.args));
        QVERIFY(p->waitForFinished(30000));
        QCOMPARE(p->exitCode(), c.exit);
        QCOMPARE(QString::fromUtf8(p->readAllStandardOutput()), c.out);
    }
}

QTEST_GUILESS_MAIN(TestNamespacesCli)
#include "tst_cli.moc"
