// The subscription test: the .u.sub text and reply checks, the published
// messages that count as updates, and the dialog against a scripted
// tickerplant (subscribe, updates replacing the grid, a publisher that goes,
// odd replies, unsubscribing, the table list).
#include "ScriptedPrompter.h"
#include "TestInstance.h"
#include "UpdateStream.h"
#include "core/settings/CDlgQSettings.h"
#include "core/values/KRender.h"
#include "kdb/k.h"
#include "query/CDlgSubscription.h"
#include "query/Subscription.h"
#include "query/SubscriptionFeed.h"
#include "ValueNotation.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

using PI = Prompter::Icon;
using PB = Prompter::Buttons;
using PA = Prompter::Answer;

namespace {
KPtr parse(const QString& notation)
{
    QString why;
    KPtr x = ValueNotation::parse(notation, &why);
    if (!x)
        qWarning("%s: %s", qPrintable(notation), qPrintable(why));
    return x;
}

// What the dialog's grid was given, in order.
struct GridRecord {
    QStringList shown;
    int clears = 0;
    CDlgSubscription::Grid grid()
    {
        CDlgSubscription::Grid out;
        out.widget = new QWidget; // the dialog's child from here on
        out.show = [this](K value) { shown.append(renderConsole(value, RenderOptions{})); };
        out.clear = [this] { ++clears; };
        return out;
    }
    // The "n" column of the last update shown.
    long long lastN() const
    {
        static const QRegularExpression first(QStringLiteral(R"(!\((?:enlist )?(\d+)j)"));
        const QRegularExpressionMatch m = first.match(shown.value(shown.size() - 1));
        return m.hasMatch() ? m.captured(1).toLongLong() : -1;
    }
};

const QString kCaption = QStringLiteral("Subscription test");

struct Fixture {
    TestInstance inst;
    ScriptedPrompter prompter;
    CDlgQSettings q;
    GridRecord grid;
    std::unique_ptr<CDlgSubscription> dialog;
    bool start()
    {
        if (!inst.start())
            return false;
        dialog = std::make_unique<CDlgSubscription>(prompter, q, grid.grid());
        dialog->open(QStringLiteral("`:127.0.0.1:%1").arg(inst.port()));
        return true;
    }
    bool subscribe(const QString& table, const QString& syms = QString())
    {
        dialog->tableBox()->setEditText(table);
        dialog->symsEdit()->setText(syms);
        QSignalSpy finished(dialog.get(), &CDlgSubscription::subscribeFinished);
        dialog->subscribeButton()->click();
        return finished.wait(10000) && finished.at(0).at(0).toBool();
    }
};
} // namespace

class TestSubscription : public QObject {
    Q_OBJECT
private slots:
    void queryText_data();
    void queryText();
    void replyShapes_data();
    void replyShapes();
    void messageKinds_data();
    void messageKinds();
    void titles();

    void emptySymsSubscribeAllAndUpdatesReplaceGrid();
    void publisherClosingSwitchesBack();
    void oddReplyFollowedAfterYes();
    void oddReplyRefused();
    void missingFieldsAndFailures();
    void unsubscribeClosesAndJoins();
    void closingWhileSubscribingLeavesNoConnection();
    void tlsOnlyInstanceAsksToTurnTlsOn();
    void tableListFromUT();
    void reopenForAnotherServer();
};

void TestSubscription::queryText_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("syms");
    QTest::addColumn<QString>("query");
    QTest::newRow("empty syms") << "trade" << "" << ".u.sub[`trade;`]";
    QTest::newRow("backquoted") << "`trade" << "`a`b" << ".u.sub[`trade;`a`b]";
    QTest::newRow("syms without") << "quote" << "IBM`MSFT" << ".u.sub[`quote;`IBM`MSFT]";
    QTest::newRow("all tables") << "" << "" << ".u.sub[`;`]";
}

void TestSubscription::queryText()
{
    QFETCH(QString, table);
    QFETCH(QString, syms);
    QFETCH(QString, query);
    QCOMPARE(Subscription::subscribeQuery(table, syms), query);
}

void TestSubscription::replyShapes_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("twoItems");
    QTest::addColumn<QString>("schema"); // rendered, or empty for none
    QTest::newRow("table") << "(`trade;([] a:1 2))" << true << "([] a:1 2)";
    QTest::newRow("keyed") << "(`trade;([k:1 2] v:`x`y))" << true << "([k:1 2] v:`x`y)";
    QTest::newRow("several tables") << "((`trade;([] a:1 2));(`quote;([] b:3 4)))" << true << "([] a:1 2)";
    QTest::newRow("not a table") << "(`trade;42)" << true << "";
    QTest::newRow("three items") << "(`trade;([] a:1 2);3)" << false << "([] a:1 2)";
    QTest::newRow("atom") << "`ok" << false << "";
    QTest::newRow("symbol pair") << "`a`b" << true << "";
}

void TestSubscription::replyShapes()
{
    QFETCH(QString, reply);
    QFETCH(bool, twoItems);
    QFETCH(QString, schema);
    KPtr x = parse(reply);
    QVERIFY(x);
    QCOMPARE(Subscription::hasTwoItems(x.get()), twoItems);
    K found = Subscription::schemaOf(x.get());
    if (schema.isEmpty()) {
        QVERIFY(!found);
    } else {
        KPtr expected = parse(schema);
        QVERIFY(found);
        QCOMPARE(renderConsole(found, RenderOptions{}), renderConsole(expected.get(), RenderOptions{}));
    }
}

void TestSubscription::messageKinds_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("kind");
    QTest::newRow("update") << "(`upd;`trade;([] a:1 2))" << int(Subscription::Message::Update);
    QTest::newRow("keyed update") << "(`upd;`trade;([k:1 2] v:3 4))" << int(Subscription::Message::Update);
    QTest::newRow("other data") << "(`upd;`trade;1 2 3)" << int(Subscription::Message::Skip);
    QTest::newRow("two items") << "(`upd;`trade)" << int(Subscription::Message::Stop);
    QTest::newRow("atom") << "42" << int(Subscription::Message::Stop);
}

void TestSubscription::messageKinds()
{
    QFETCH(QString, message);
    QFETCH(int, kind);
    KPtr x = parse(message);
    K data = nullptr;
    QCOMPARE(int(Subscription::classify(x.get(), &data)), kind);
    QCOMPARE(data != nullptr, kind == int(Subscription::Message::Update));
    QCOMPARE(int(Subscription::classify(nullptr, &data)), int(Subscription::Message::Stop));
}

void TestSubscription::titles()
{
    QCOMPARE(Subscription::title(false, "`:h:1", "`t", "`a"), QStringLiteral("Subscription"));
    QCOMPARE(Subscription::title(true, "`:h:1", "`t", "`"), QStringLiteral("Subbed @ `:h:1 to `t"));
    QCOMPARE(Subscription::title(true, "`:h:1", "`t", ""), QStringLiteral("Subbed @ `:h:1 to `t"));
    QCOMPARE(Subscription::title(true, "`:h:1", "`t", "`a`b"), QStringLiteral("Subbed @ `:h:1 to `t on sym(s): `a`b"));
}

void TestSubscription::emptySymsSubscribeAllAndUpdatesReplaceGrid()
{
    Fixture fx;
    // 40 updates at 200 a second, then the connection stays open.
    fx.inst.addTickerplant({QStringLiteral("trade")}, 200, 40, 2);
    QVERIFY(fx.start());
    QVERIFY(fx.subscribe(QStringLiteral("trade")));
    QCOMPARE(fx.inst.receivedTexts().last(), QStringLiteral(".u.sub[`trade;`]"));
    QCOMPARE(fx.dialog->subscribeButton()->text(), QStringLiteral("UnSubscribe"));
    QVERIFY(!fx.dialog->instanceEdit()->isEnabled());
    QCOMPARE(fx.dialog->windowTitle(), QStringLiteral("Subbed @ `:127.0.0.1:%1 to `trade").arg(fx.inst.port()));
    // The schema first, then each update replaces it: the grid ends on the last one.
    QCOMPARE(fx.grid.shown.value(0), QStringLiteral("flip (`n`sym`price)!(`long$();`symbol$();`float$())"));
    QTRY_COMPARE_WITH_TIMEOUT(fx.dialog->feed()->updates(), 40LL, 10000);
    QTRY_COMPARE(fx.grid.lastN(), 39LL);
    const KPtr last = UpdateStream::update(QStringLiteral("trade"), 39, 2);
    QCOMPARE(fx.grid.shown.last(), renderConsole(kK(last.get())[2], RenderOptions{}));
    QVERIFY(fx.dialog->paints() <= 40);
    QVERIFY(fx.dialog->isSubscribed());
    QCOMPARE(fx.prompter.pending(), 0);
}

void TestSubscription::publisherClosingSwitchesBack()
{
    Fixture fx;
    fx.inst.onPattern(QStringLiteral("^\\.u\\.sub\\[`trade;.*\\]$"),
                      knk(2, ks("trade"), UpdateStream::schema().release()))
        .thenStream(QStringLiteral("trade"), 100, 5)
        .dropConnection();
    QVERIFY(fx.start());
    QVERIFY(fx.subscribe(QStringLiteral("trade"), QStringLiteral("s1")));
    QCOMPARE(fx.inst.receivedTexts().last(), QStringLiteral(".u.sub[`trade;`s1]"));
    QTRY_VERIFY_WITH_TIMEOUT(!fx.dialog->isSubscribed(), 5000);
    // Within a second of the thread's end the dialog shows it.
    QTRY_COMPARE_WITH_TIMEOUT(fx.dialog->subscribeButton()->text(), QStringLiteral("Subscribe"), 1500);
    QVERIFY(fx.dialog->instanceEdit()->isEnabled());
    QVERIFY(fx.dialog->tableBox()->isEnabled());
    QVERIFY(fx.dialog->symsEdit()->isEnabled());
    QCOMPARE(fx.dialog->windowTitle(), QStringLiteral("Subscription"));
    QCOMPARE(fx.grid.lastN(), 4LL);
}

void TestSubscription::oddReplyFollowedAfterYes()
{
    Fixture fx;
    fx.inst.on(QStringLiteral(".u.sub[`trade;`]"), ks("ok")).thenStream(QStringLiteral("trade"), 100, 3);
    QVERIFY(fx.start());
    fx.prompter.expect(QStringLiteral("Unable to make sense of .u.sub response:\n`ok\nWait for updates anyway?"), kCaption,
                       PB::YesNo, PI::Warning, PA::Yes);
    QVERIFY(fx.subscribe(QStringLiteral("trade")));
    QCOMPARE(fx.prompter.pending(), 0); // asked once
    QTRY_COMPARE(fx.grid.lastN(), 2LL);
    QVERIFY(fx.dialog->isSubscribed());
}

void TestSubscription::oddReplyRefused()
{
    Fixture fx;
    fx.inst.on(QStringLiteral(".u.sub[`trade;`]"), knk(2, ks("trade"), kj(1)));
    QVERIFY(fx.start());
    fx.prompter.expect(QStringLiteral("Unable to make sense of .u.sub response:\n(`trade;1j)\nWait for updates anyway?"),
                       kCaption, PB::YesNo, PI::Warning, PA::No);
    QVERIFY(!fx.subscribe(QStringLiteral("trade")));
    QCOMPARE(fx.prompter.pending(), 0);
    QVERIFY(!fx.dialog->isSubscribed());
    QTRY_COMPARE(fx.inst.clientCount(), 0);
    QCOMPARE(fx.dialog->subscribeButton()->text(), QStringLiteral("Subscribe"));
}

void TestSubscription::missingFieldsAndFailures()
{
    Fixture fx;
    fx.inst.drop(QStringLiteral(".u.sub[`gone;`]"));
    QVERIFY(fx.start());
    fx.prompter.expectInform(QStringLiteral("Please fill in at least instance symbol and table to subscribe to."),
                             PI::Warning, kCaption);
    fx.dialog->tableBox()->setEditText(QString());
    fx.dialog->subscribeButton()->click();
    QCOMPARE(fx.prompter.pending(), 0);

    fx.prompter.expectInform(QStringLiteral("Subscription failed - NULL response"), PI::Warning, kCaption);
    QVERIFY(!fx.subscribe(QStringLiteral("gone")));
    QCOMPARE(fx.prompter.pending(), 0);

    const int port = fx.inst.port();
    fx.inst.stop();
    fx.dialog->instanceEdit()->setText(QStringLiteral("`:127.0.0.1:%1").arg(port));
    fx.prompter.expectInform(QStringLiteral("Can't connect to the instance."), PI::Warning, kCaption);
    QVERIFY(!fx.subscribe(QStringLiteral("trade")));
    QCOMPARE(fx.prompter.pending(), 0);
}

void TestSubscription::unsubscribeClosesAndJoins()
{
    Fixture fx;
    fx.inst.addTickerplant({QStringLiteral("trade")}, 50);
    QVERIFY(fx.start());
    QVERIFY(fx.subscribe(QStringLiteral("trade")));
    QTRY_VERIFY(fx.grid.lastN() >= 1);
    QCOMPARE(fx.inst.clientCount(), 1);
    fx.dialog->subscribeButton()->click(); // UnSubscribe: the socket closes, the thread is joined
    QVERIFY(!fx.dialog->isSubscribed());
    QCOMPARE(fx.dialog->subscribeButton()->text(), QStringLiteral("Subscribe"));
    QCOMPARE(fx.dialog->windowTitle(), QStringLiteral("Subscription"));
    QTRY_COMPARE(fx.inst.clientCount(), 0); // the stream saw the client go
    // And again: a second subscription on a new connection.
    QVERIFY(fx.subscribe(QStringLiteral("trade")));
    QVERIFY(fx.dialog->isSubscribed());
}

void TestSubscription::closingWhileSubscribingLeavesNoConnection()
{
    Fixture fx;
    fx.inst.on(QStringLiteral(".u.sub[`trade;`]"), knk(2, ks("trade"), kj(1))).delay(2000);
    QVERIFY(fx.start());
    fx.dialog->tableBox()->setEditText(QStringLiteral("trade"));
    fx.dialog->subscribeButton()->click();
    QTRY_COMPARE(fx.inst.clientCount(), 1); // connected, the subscription is on its way
    fx.dialog.reset();
    QTRY_COMPARE(fx.inst.clientCount(), 0);
}

void TestSubscription::tlsOnlyInstanceAsksToTurnTlsOn()
{
    // The connect's TLS question, as the main session asks it: Yes turns TLS
    // on and subscribes; No says the instance cannot be reached.
    const QString question = QStringLiteral(
        "This instance only supports TLS connections, do you want to turn on TLS and try re-connecting?");
    for (bool yes : {true, false}) {
        Fixture fx;
        fx.inst.addTickerplant({QStringLiteral("trade")}, 10);
        QVERIFY2(fx.inst.enableTls(), qPrintable(fx.inst.tlsError()));
        kdb::TlsClientSettings tls;
        tls.caCertFile = fx.inst.certificateFile().toStdString();
        kdb::setTlsClientSettings(tls);
        fx.q.EnableTLS = false;
        QVERIFY(fx.start());
        int flips = 0;
        fx.dialog->setTlsFlip([&] {
            fx.q.EnableTLS = !fx.q.EnableTLS;
            ++flips;
        });
        fx.prompter.expect(question, QStringLiteral("Tovo"), Prompter::Buttons::YesNo, Prompter::Icon::Warning,
                           yes ? Prompter::Answer::Yes : Prompter::Answer::No, Prompter::Answer::Yes);
        if (!yes)
            fx.prompter.expectInform(QStringLiteral("Can't connect to the instance."), Prompter::Icon::Warning, kCaption);
        QCOMPARE(fx.subscribe(QStringLiteral("trade")), yes);
        QCOMPARE(flips, yes ? 1 : 0);
        QCOMPARE(fx.q.EnableTLS, yes);
        QCOMPARE(fx.prompter.pending(), 0);
        fx.dialog.reset();
        kdb::setTlsClientSettings(kdb::TlsClientSettings{});
    }
}

void TestSubscription::tableListFromUT()
{
    Fixture fx;
    fx.inst.addTickerplant({QStringLiteral("trade"), QStringLiteral("quote")}, 10);
    QVERIFY(fx.start());
    QSignalSpy listed(fx.dialog.get(), &CDlgSubscription::tablesListed);
    fx.dialog->tableBox()->showPopup();
    QVERIFY(listed.wait(10000));
    QCOMPARE(fx.dialog->tableBox()->count(), 2);
    QCOMPARE(fx.dialog->tableBox()->itemText(1), QStringLiteral("quote"));
    QCOMPARE(fx.inst.receivedTexts().last(), QStringLiteral(".u.t"));
    fx.dialog->tableBox()->hidePopup();
}

void TestSubscription::reopenForAnotherServer()
{
    Fixture fx;
    QVERIFY(fx.start());
    fx.dialog->tableBox()->setEditText(QStringLiteral("trade"));
    fx.dialog->open(QStringLiteral("`:other:1")); // shown: nothing changes
    QCOMPARE(fx.dialog->instanceEdit()->text(), QStringLiteral("`:127.0.0.1:%1").arg(fx.inst.port()));
    fx.dialog->hide();
    fx.dialog->open(QStringLiteral("`:other:1"));
    QCOMPARE(fx.dialog->instanceEdit()->text(), QStringLiteral("`:other:1"));
    QVERIFY(fx.dialog->tableBox()->currentText().isEmpty());
    QVERIFY(fx.dialog->isVisible());
}

QTEST_MAIN(TestSubscription)
#include "tst_subscription.moc"
