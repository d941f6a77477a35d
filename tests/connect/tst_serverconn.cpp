// The server connection dialog: the field rebuild, Test against the scripted
// instance for each connect result with its exact reports and focus moves,
// and OK's refusals.
#include "ScriptedPrompter.h"
#include "TempHome.h"
#include "TestInstance.h"
#include "connect/CDlgNewFolder.h"
#include "connect/CDlgServerConn.h"
#include "connect/ServerConnForm.h"
#include "core/settings/CDlgQSettings.h"
#include "core/values/KRender.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

using A = Prompter::Answer;
using B = Prompter::Buttons;
using PI = Prompter::Icon;
using Fld = ServerConnForm::Field;

class TestServerConn : public QObject {
    Q_OBJECT
private slots:
    void openSplits();
    void fieldRebuild_data();
    void fieldRebuild();
    void prepareAndRefusals_data();
    void prepareAndRefusals();

    void testSuccessShowsVersion();
    void testFailures_data();
    void testFailures();
    void testTlsFailureShowsLibraryText();
    void okRefusesAndAccepts();
    void cancelDuringTestClosesAtOnce();
    void newFolderDialog();

private:
    struct Dialog {
        TempHome home;
        std::unique_ptr<SettingsStore> store = home.store();
        CDlgQSettings q;
        ScriptedPrompter prompter;
        std::unique_ptr<CDlgServerConn> dialog;
        Dialog(const QString& namePath, const QString& symbol)
        {
            dialog = std::make_unique<CDlgServerConn>(namePath, symbol, false, prompter, *store, q);
            dialog->show();
        }
        int test(int timeoutMs = 10000)
        {
            QSignalSpy finished(dialog.get(), &CDlgServerConn::testFinished);
            dialog->testButton()->click();
            if (!finished.wait(timeoutMs))
                return -100;
            return finished.at(0).at(0).toInt();
        }
    };
};

void TestServerConn::openSplits()
{
    ServerConnForm form;
    form.open(QStringLiteral("`Prod`Europe`ticker"), QStringLiteral("`:h:5001:u:p:w"));
    QCOMPARE(form.folder(), QStringLiteral("`Prod`Europe"));
    QCOMPARE(form.name(), QStringLiteral("`ticker"));
    QCOMPARE(form.host(), QStringLiteral("h"));
    QCOMPARE(form.port(), 5001);
    QCOMPARE(form.login(), QStringLiteral("u"));
    QCOMPARE(form.password(), QStringLiteral("p:w"));
    QCOMPARE(form.namePath(), QStringLiteral("`Prod`Europe`ticker"));
    // A name typed with backquotes makes deeper folders.
    form.setName(QStringLiteral("`Asia`tick2"));
    QCOMPARE(form.namePath(), QStringLiteral("`Prod`Europe`Asia`tick2"));
}

void TestServerConn::fieldRebuild_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("symbol");
    QTest::newRow("port cleared") << int(Fld::Port) << "" << "`:h::u:p";
    QTest::newRow("port zero") << int(Fld::Port) << "0" << "`:h::u:p";
    QTest::newRow("port") << int(Fld::Port) << "6000" << "`:h:6000:u:p";
    QTest::newRow("host") << int(Fld::Host) << "other" << "`:other:5001:u:p";
    QTest::newRow("login cleared") << int(Fld::Login) << "" << "`:h:5001::p";
    QTest::newRow("password trailing blank") << int(Fld::Password) << "p " << "`:h:5001:u:p";
}

void TestServerConn::fieldRebuild()
{
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QString, symbol);
    // Through the dialog's boxes, as typed.
    Dialog d(QStringLiteral("`x"), QStringLiteral("`:h:5001:u:p"));
    QLineEdit* box = field == int(Fld::Host) ? d.dialog->hostEdit()
        : field == int(Fld::Port)             ? d.dialog->portEdit()
        : field == int(Fld::Login)            ? d.dialog->loginEdit()
                                            : d.dialog->passwordEdit();
    box->selectAll();
    if (text.isEmpty())
        QTest::keyClick(box, Qt::Key_Delete);
    else
        QTest::keyClicks(box, text);
    QCOMPARE(d.dialog->symbolEdit()->text(), symbol);
    QCOMPARE(d.dialog->symbol(), symbol);
}

void TestServerConn::prepareAndRefusals_data()
{
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<QString>("prepared");
    QTest::addColumn<int>("refusal");
    QTest::newRow("host and port") << "h:5001" << "`:h:5001" << int(ServerConnForm::Refusal::None);
    QTest::newRow("no port") << "`:h" << "`:h" << int(ServerConnForm::Refusal::PortEmpty);
    QTest::newRow("empty") << "" << "" << int(ServerConnForm::Refusal::PortEmpty);
    QTest::newRow("colon and digit") << ":1" << "`:1" << int(ServerConnForm::Refusal::PortEmpty);
}

void TestServerConn::prepareAndRefusals()
{
    QFETCH(QString, symbol);
    QFETCH(QString, prepared);
    QFETCH(int, refusal);
    ServerConnForm form;
    form.open(QStringLiteral("name"), symbol);
    form.prepare();
    QCOMPARE(form.symbol(), prepared);
    QCOMPARE(form.name(), QStringLiteral("`name"));
    QCOMPARE(int(form.refusal()), refusal);
}

void TestServerConn::testSuccessShowsVersion()
{
    TestInstance inst;
    inst.setCredentials({QStringLiteral("u:p")});
    inst.addVersionService(QStringLiteral("4.1"), QStringLiteral("2024.10.16"), QStringLiteral("tphost"), QStringLiteral("l64"));
    QVERIFY(inst.start());
    const QString symbol = QStringLiteral("`:127.0.0.1:%1:u:p").arg(inst.port());
    Dialog d(QStringLiteral("`A`b"), symbol);
    QCOMPARE(d.dialog->information(), QStringLiteral("Press Test to see server information here."));
    d.prompter.expectInform(QStringLiteral("Successfully connected to ") + symbol, PI::Information, QStringLiteral("Success"));
    QCOMPARE(d.test(), 1);
    QCOMPARE(d.prompter.pending(), 0);
    const QStringList lines = d.dialog->information().split(u'\n');
    QCOMPARE(lines.mid(0, 3), (QStringList{"\"KDB+ v.4.1 build 2024.10.16\"", "`tphost", "\"l64\""}));
    QVERIFY2(lines.value(3).contains(u'T'), qPrintable(d.dialog->information()));
    // The credentials were sent as typed, and the version query exactly.
    QCOMPARE(inst.handshakes().last().credentials, QByteArray("u:p"));
    QCOMPARE(inst.receivedTexts().last(), ServerConnForm::versionQuery());
    QTRY_COMPARE(inst.clientCount(), 0); // the temporary session is closed
}

void TestServerConn::testFailures_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("info");
    QTest::addColumn<int>("icon");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("result");
    QTest::newRow("unreachable") << "closed" << "Couldn't contact server/port!" << int(PI::Error) << "server" << -1;
    QTest::newRow("time-out") << "silent" << "Couldn't connect in 1 sec." << int(PI::Warning) << "timeout" << -2;
    QTest::newRow("refused") << "credentials" << "Access denied! Supply correct credentials." << int(PI::Warning)
                             << "login" << 0;
}

void TestServerConn::testFailures()
{
    QFETCH(QString, kind);
    QFETCH(QString, info);
    QFETCH(int, icon);
    QFETCH(QString, focus);
    QFETCH(int, result);
    TestInstance inst;
    inst.setSilent(kind == QStringLiteral("silent"));
    if (kind == QStringLiteral("credentials"))
        inst.setCredentials({QStringLiteral("u:right")});
    QVERIFY(inst.start());
    const int port = inst.port();
    if (kind == QStringLiteral("closed"))
        inst.stop();
    const QString symbol = QStringLiteral("`:127.0.0.1:%1:u:wrong").arg(port);
    Dialog d(QStringLiteral("`x"), symbol);
    d.dialog->timeoutBox()->setValue(1);
    // No TLS question: an unreachable port never reaches the library.
    d.prompter.expectInform(QStringLiteral("Connection failed to ") + symbol + u'\n' + info, PI(icon),
                            QStringLiteral("Error"));
    QCOMPARE(d.test(), result);
    QCOMPARE(d.prompter.pending(), 0);
    QCOMPARE(d.dialog->information(), info);
    QCOMPARE(d.dialog->focusWidget()->objectName(), focus);
    QCOMPARE(d.store->readInt(QStringLiteral("ConnectTimeoutSec"), 5), 1);
}

void TestServerConn::testTlsFailureShowsLibraryText()
{
    TestInstance inst;
    QVERIFY2(inst.enableTls(), qPrintable(inst.tlsError()));
    QVERIFY(inst.start());
    kdb::setTlsClientSettings(kdb::TlsClientSettings{}); // the system's CAs: the test certificate fails
    const QString symbol = QStringLiteral("`:127.0.0.1:%1::").arg(inst.port());
    Dialog d(QStringLiteral("`x"), symbol);
    d.q.EnableTLS = true;
    K info = ee(sslInfo(nullptr));
    const QString first = renderConsole(info, RenderOptions{});
    info = ee(info);
    const QString second = renderConsole(info, RenderOptions{});
    r0(info);
    // The library's own text for this failure, as a connect on this thread sees it.
    QCOMPARE(khpunc("127.0.0.1", inst.port(), "", 3000, 2), -3);
    const KPtr failure(ee(nullptr));
    const QString error = QString::fromUtf8(failure->s);
    QVERIFY2(error.contains(QStringLiteral("certificate")), qPrintable(error));
    const QString shown = QStringLiteral("TLS set-up failed: ") + error;
    d.prompter.expectInform(first, PI::Warning)
        .expectInform(second, PI::Warning)
        .expectInform(QStringLiteral("Connection failed to ") + symbol + u'\n' + shown, PI::Error, QStringLiteral("Error"));
    QCOMPARE(d.test(), -3);
    QCOMPARE(d.prompter.pending(), 0);
    QCOMPARE(d.dialog->information(), shown);
    QCOMPARE(d.dialog->focusWidget(), d.dialog->hostEdit());
}

void TestServerConn::okRefusesAndAccepts()
{
    Dialog d(QStringLiteral("`F`x"), QStringLiteral("`:h"));
    d.prompter.expectInform(QStringLiteral("Please, enter connection details (port) to connect or save connection."),
                            PI::Warning, QStringLiteral("Port is empty"));
    d.dialog->accept();
    QVERIFY(d.dialog->isVisible());
    QCOMPARE(d.dialog->focusWidget(), d.dialog->portEdit());

    // An empty symbol has no port either: the port refusal comes first.
    d.dialog->symbolEdit()->clear();
    d.prompter.expectInform(QStringLiteral("Please, enter connection details (port) to connect or save connection."),
                            PI::Warning, QStringLiteral("Port is empty"));
    d.dialog->accept();
    QVERIFY(d.dialog->isVisible());
    QCOMPARE(d.prompter.pending(), 0);

    d.dialog->symbolEdit()->clear();
    QTest::keyClicks(d.dialog->symbolEdit(), QStringLiteral("host:5001"));
    d.dialog->nameEdit()->clear();
    QTest::keyClicks(d.dialog->nameEdit(), QStringLiteral("y"));
    d.dialog->timeoutBox()->setValue(7);
    d.dialog->accept();
    QCOMPARE(d.dialog->result(), int(QDialog::Accepted));
    QCOMPARE(d.dialog->namePath(), QStringLiteral("`F`y"));
    QCOMPARE(d.dialog->symbol(), QStringLiteral("`:host:5001"));
    QCOMPARE(d.store->readInt(QStringLiteral("ConnectTimeoutSec"), 5), 7);
    QCOMPARE(d.store->readInt(QStringLiteral("ConnectAfterSaving"), 0), 1);
}

void TestServerConn::cancelDuringTestClosesAtOnce()
{
    TestInstance inst;
    inst.setSilent(true); // the handshake is never answered
    QVERIFY(inst.start());
    Dialog d(QStringLiteral("`x"), QStringLiteral("`:127.0.0.1:%1::").arg(inst.port()));
    d.dialog->timeoutBox()->setValue(60);
    d.dialog->testButton()->click();
    QVERIFY(d.dialog->isTesting());
    QElapsedTimer clock;
    clock.start();
    d.dialog->reject();
    QTRY_VERIFY_WITH_TIMEOUT(!d.dialog->isVisible(), 5000);
    QVERIFY(clock.elapsed() < 5000);
    QCOMPARE(d.dialog->result(), int(QDialog::Rejected));
    QCOMPARE(d.prompter.asked().size(), 0);
}

void TestServerConn::newFolderDialog()
{
    CDlgNewFolder dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("New folder"));
    QTest::keyClicks(dialog.nameEdit(), QStringLiteral("Asia"));
    QCOMPARE(dialog.folderName(), QStringLiteral("Asia"));
}

QTEST_MAIN(TestServerConn)
#include "tst_serverconn.moc"
