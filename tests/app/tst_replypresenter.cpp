#include "ScriptedPrompter.h"
#include "TempHome.h"
#include "app/CFrameStatusBar.h"
#include "app/CMainFrame.h"
#include "app/CReplyPresenter.h"
#include "app/CQueryLink.h"
#include "connect/CQHelper.h"
#include "app/CTovoApp.h"
#include "core/values/ReplyFacts.h"
#include "kdb/KPtr.h"
#include "kdb/ScanCount.h"
#include "kdb/Serializer.h"
#include "results/CImagePane.h"
#include "results/COutputWnd.h"
#include "results/grid/CKTableRenderer.h"
#include "results/grid/COutputTable.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSet>
#include <QTest>
#include <QTextEdit>

#include <thread>

namespace {

// A reply of the given shape and rows: a table of long, float, symbol and
// timestamp columns, that table keyed by its first column, or a long list.
K replyOf(const QByteArray& kind, J rows)
{
    K id = ktn(KJ, rows), price = ktn(KF, rows), sym = ktn(KS, rows), time = ktn(KP, rows);
    const S names[] = {ss("a"), ss("bb"), ss("ccc")};
    for (J i = 0; i < rows; ++i) {
        kJ(id)[i] = (i * 7919) % 100003 - 50000;
        kF(price)[i] = double(i % 1000) / 7;
        kS(sym)[i] = names[i % 3];
        kJ(time)[i] = i * 1000000;
    }
    if (kind == "list") {
        r0(price);
        r0(sym);
        r0(time);
        return id;
    }
    K columns = ktn(KS, 3);
    kS(columns)[0] = ss("price");
    kS(columns)[1] = ss("sym");
    kS(columns)[2] = ss("time");
    K values = xT(xD(columns, knk(3, price, sym, time)));
    K keyName = ktn(KS, 1);
    kS(keyName)[0] = ss("id");
    K key = xT(xD(keyName, knk(1, id)));
    if (kind == "keyed table")
        return xD(key, values);
    // The plain table: the key's column first.
    K all = ktn(KS, 4);
    kS(all)[0] = ss("id");
    for (int c = 0; c < 3; ++c)
        kS(all)[c + 1] = kS(columns)[c];
    K table = xT(xD(all, knk(4, r1(id), r1(price), r1(sym), r1(time))));
    r0(key);
    r0(values);
    return table;
}

} // namespace

class TestReplyPresenter : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void consoleTextWithRoundtrip();
    void errorTurnsRoundtripRed();
    void gridShapedRepliesGoToGrid();
    void pictureReplyShowsInImagePane();
    void documentReplyOpensInShell();
    void refreshAfterFlag();
    void functionTextIsColoured();
    void handOverDoesNotGrowWithRows_data();
    void handOverDoesNotGrowWithRows();

private:
    std::unique_ptr<TempHome> m_home;
    ScriptedPrompter m_prompter;
    std::unique_ptr<CTovoApp> m_app;
    CReplyPresenter* m_presenter = nullptr;
    QList<K> m_gridShown;
    QStringList m_opened;
    int m_watchRefreshes = 0;
};

void TestReplyPresenter::init()
{
    m_home = std::make_unique<TempHome>();
    m_app = std::make_unique<CTovoApp>(CommandLine(), m_prompter, m_home->store());
    QVERIFY(m_app->initInstance());
    m_presenter = new CReplyPresenter(*m_app->mainFrame());
    m_gridShown.clear();
    m_opened.clear();
    m_watchRefreshes = 0;
    CReplyPresenter::Hooks hooks;
    hooks.showInGrid = [this](K v, const std::shared_ptr<const ReplyFacts>&) { m_gridShown.append(v); };
    hooks.gridValue = [this] { return m_gridShown.isEmpty() ? K(nullptr) : m_gridShown.last(); };
    hooks.openInShell = [this](const QString& path) { m_opened.append(path); };
    hooks.refreshWatches = [this] { ++m_watchRefreshes; };
    m_presenter->setHooks(hooks);
}

void TestReplyPresenter::cleanup()
{
    m_app.reset();
    m_home.reset();
}

void TestReplyPresenter::consoleTextWithRoundtrip()
{
    KPtr reply(kj(42));
    bool refresh = false;
    m_presenter->show(reply.get(), 7, refresh);
    COutputWnd* out = m_app->mainFrame()->outputWnd();
    QCOMPARE(out->consoleText(), QStringLiteral("(Roundtrip: 007ms)\r\n42j\r\n\r\n"));
    QCOMPARE(m_app->mainFrame()->frameStatusBar()->paneText(CFrameStatusBar::Progress), QStringLiteral("007ms"));
    QVERIFY(!m_app->mainFrame()->frameStatusBar()->paneColor(CFrameStatusBar::Progress).isValid());

    m_app->mainFrame()->qSettings().QIncludeRoundtrip = false;
    m_presenter->show(reply.get(), 1500, refresh);
    QVERIFY(out->consoleText().endsWith(QStringLiteral("42j\r\n\r\n42j\r\n\r\n")));
    QCOMPARE(m_app->mainFrame()->frameStatusBar()->paneText(CFrameStatusBar::Progress), QStringLiteral("00:01.500"));
}

void TestReplyPresenter::errorTurnsRoundtripRed()
{
    KPtr reply(krr("type"));
    bool refresh = false;
    m_presenter->show(reply.get(), 3, refresh);
    QCOMPARE(m_app->mainFrame()->frameStatusBar()->paneColor(CFrameStatusBar::Progress), QColor(Qt::red));
    QVERIFY(m_app->mainFrame()->outputWnd()->consoleText().contains(QStringLiteral("ERROR: 'type")));
    QVERIFY(m_gridShown.isEmpty());
    KPtr fine(kj(1));
    m_presenter->show(fine.get(), 3, refresh);
    QVERIFY(!m_app->mainFrame()->frameStatusBar()->paneColor(CFrameStatusBar::Progress).isValid());
}

void TestReplyPresenter::gridShapedRepliesGoToGrid()
{
    K names = ktn(KS, 1);
    kS(names)[0] = ss("a");
    KPtr table(xT(xD(names, knk(1, ktn(KJ, 1)))));
    bool refresh = false;
    m_presenter->show(table.get(), 1, refresh);
    QCOMPARE(m_gridShown.size(), 1);
    KPtr atom(kj(1));
    m_presenter->show(atom.get(), 1, refresh);
    QCOMPARE(m_gridShown.size(), 1);
    m_app->mainFrame()->qSettings().QGridShowLists = false;
    KPtr list(ktn(KJ, 3));
    m_presenter->show(list.get(), 1, refresh);
    QCOMPARE(m_gridShown.size(), 1);
}

void TestReplyPresenter::pictureReplyShowsInImagePane()
{
    QImage picture(5, 4, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    KPtr reply(ktn(KG, png.size()));
    memcpy(kG(reply.get()), png.constData(), size_t(png.size()));
    bool refresh = false;
    m_presenter->show(reply.get(), 1, refresh);
    CImagePane* pane = m_app->mainFrame()->imagePane();
    QCOMPARE(pane->image().size(), QSize(5, 4));
    QVERIFY(pane->path().endsWith(QStringLiteral(".png")));
    // Still shown as bytes in the console.
    QVERIFY(m_app->mainFrame()->outputWnd()->consoleText().contains(QStringLiteral("0x89504e47")));
    QVERIFY(m_gridShown.size() == 1); // a byte list is a list for the grid too
    QVERIFY(pane->path().startsWith(m_app->tempFolder().path()));
}

void TestReplyPresenter::documentReplyOpensInShell()
{
    KPtr html(kp("<html><b>hi</b></html>"));
    bool refresh = false;
    m_presenter->show(html.get(), 1, refresh);
    QCOMPARE(m_opened.size(), 1);
    const QString path = m_opened.first();
    QVERIFY(path.endsWith(QStringLiteral(".html")));
    // In the session's own folder, which only the user may enter.
    const QString folder = QFileInfo(path).absolutePath();
    QCOMPARE(folder, QFileInfo(m_app->tempFolder().path()).absoluteFilePath());
    QCOMPARE(QFile::permissions(folder) & (QFileDevice::ReadOther | QFileDevice::ReadGroup | QFileDevice::ExeOther),
             QFileDevice::Permissions());
    m_app->mainFrame()->qSettings().AutoShellOpenHtmls = false;
    m_presenter->show(html.get(), 1, refresh);
    QCOMPARE(m_opened.size(), 1);
    // Gone, folder and all, when the application exits.
    m_app->exitInstance();
    m_app.reset();
    QVERIFY(!QFileInfo::exists(path));
    QVERIFY(!QFileInfo::exists(folder));
}

void TestReplyPresenter::refreshAfterFlag()
{
    KPtr reply(kj(1));
    bool refresh = false;
    m_presenter->show(reply.get(), 1, refresh);
    QCOMPARE(m_watchRefreshes, 0);
    QVERIFY(refresh); // the next run refreshes
    m_presenter->show(reply.get(), 1, refresh);
    QCOMPARE(m_watchRefreshes, 1);
}

void TestReplyPresenter::functionTextIsColoured()
{
    // A function's source comes back as a string, shown as it stands.
    KPtr lambda(kp("{[x] x+1}"));
    bool refresh = false;
    m_presenter->show(lambda.get(), 1, refresh);
    COutputWnd* out = m_app->mainFrame()->outputWnd();
    QVERIFY2(out->activeTab() == int(COutputWnd::ResultsTab), qPrintable(out->resultsText()));
    QTextCursor c(out->results()->document());
    QSet<QRgb> colours;
    for (int i = 1; i < out->resultsText().size(); ++i) {
        c.setPosition(i);
        colours.insert(c.charFormat().foreground().color().rgb());
    }
    QVERIFY2(colours.size() > 1, "the function text is not coloured");
}

// The window's thread shows a reply of a million rows with the same steps as
// one of ten: the column extremes for the widths, the record's size and a
// list's index column come with the reply, found on the worker. Steps are the
// items visited by passes over whole vectors on the window's thread
// (kdb::ScanCount); without the facts those passes happen and are counted.
void TestReplyPresenter::handOverDoesNotGrowWithRows_data()
{
    QTest::addColumn<QByteArray>("kind");
    QTest::newRow("table") << QByteArray("table");
    QTest::newRow("keyed table") << QByteArray("keyed table");
    QTest::newRow("list") << QByteArray("list");
}

void TestReplyPresenter::handOverDoesNotGrowWithRows()
{
    QFETCH(QByteArray, kind);
    CReplyPresenter& presenter = m_app->queryLink()->presenter();
    auto* grid = m_app->mainFrame()->outputWnd()->findChild<COutputTable*>();
    QVERIFY(grid);
    // Steps of the window's thread for one reply, with or without its facts.
    const auto handOver = [&](J rows, bool withFacts) {
        KPtr reply(replyOf(kind, rows));
        std::shared_ptr<const ReplyFacts> facts;
        if (withFacts) {
            std::thread worker([&] { facts = ReplyFacts::of(reply.get()); });
            worker.join();
        }
        // As a run leaves them: the session's last reply, with its facts.
        CQHelper& session = m_app->queryLink()->session();
        session.setLastReply(r1(reply.get()));
        session.lastReplyFacts = facts;
        bool refresh = false;
        const long long before = kdb::ScanCount::onThisThread();
        presenter.show(reply.get(), 5, refresh, facts);
        QCoreApplication::processEvents(); // the grid's posted "loaded" message
        const long long steps = kdb::ScanCount::onThisThread() - before;
        [&] { QCOMPARE(grid->renderer()->shownValue(), reply.get()); }();
        [&] { QCOMPARE(grid->renderer()->rowCount(), int(rows)); }();
        grid->clear();
        session.releaseLastReply();
        return steps;
    };
    const J few = 10, many = 1000000;
    const long long fewSteps = handOver(few, true), manySteps = handOver(many, true);
    QCOMPARE(manySteps, fewSteps);
    // The count sees the work: done on the window's thread, it grows with the rows.
    QVERIFY2(handOver(many, false) >= many + fewSteps, "the window's thread did no counted pass without the facts");

    // The facts' size is the reply's size as a message, which the history records.
    KPtr reply(replyOf(kind, few));
    std::size_t size = 0;
    std::string error;
    QVERIFY(kdb::Serializer::valueSize(reply.get(), 3, size, error));
    QCOMPARE(ReplyFacts::of(reply.get())->messageSize(), std::int64_t(size + 8));
}

QTEST_MAIN(TestReplyPresenter)
#include "tst_replypresenter.moc"
