// Auto-complete rules (word, prefix, items, best item, accepting) and the
// F1 help address.
#include "editor/CompletionRules.h"
#include "editor/CompletionSession.h"
#include "editor/HelpLookup.h"

#include <QTest>

namespace {
QList<CompletionName> names()
{
    return {{QStringLiteral("trades"), 3, {}, false},
            {QStringLiteral("limit"), 5, {}, false},
            {QStringLiteral("upd"), 4, QStringLiteral("[t;x]"), false},
            {QStringLiteral("Upd2"), 4, QStringLiteral("[x]"), true},
            {QStringLiteral(".q.each"), 4, QStringLiteral("[x;y]"), false},
            {QStringLiteral(".q.q.odd"), 5, {}, false},
            {QStringLiteral(".feed.upd"), 4, QStringLiteral("[t;x]"), false},
            {QStringLiteral(".feed.sub.f"), 4, {}, false},
            {QStringLiteral(".z.pg"), 0, {}, false}};
}

class Names : public CompletionSource {
public:
    bool loading() const override { return busy; }
    QList<CompletionName> names() const override { return list; }
    bool busy = false;
    QList<CompletionName> list = ::names();
};

// A line with "|" at the caret: the text and the caret's column.
std::pair<QString, int> caretLine(const QString& marked)
{
    const int caret = int(marked.indexOf(u'|'));
    return {QString(marked).remove(caret, 1), caret};
}

QString withCaret(QString text, int caret) { return text.insert(caret, u'|'); }

QStringList texts(const QList<CompletionRules::Item>& items)
{
    QStringList out;
    for (const auto& item : items)
        out << item.text;
    return out;
}
} // namespace

class TestCompletion : public QObject {
    Q_OBJECT
private slots:
    void word_data();
    void word();
    void items_data();
    void items();
    void icons();
    void bestItem_data();
    void bestItem();
    void accept_data();
    void accept();
    void help_data();
    void help();
    void sessionOpens_data();
    void sessionOpens();
    void sessionFollowsTyping_data();
    void sessionFollowsTyping();
    void sessionKeepsTheCaretInTheWord_data();
    void sessionKeepsTheCaretInTheWord();
    void sessionMoves();
};

void TestCompletion::word_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("head");
    QTest::addColumn<QString>("tail");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::newRow("middle") << QStringLiteral("x:tra+1") << 5 << QString() << QStringLiteral("tra") << QString() << 2 << 5;
    QTest::newRow("inside") << QStringLiteral("x:trades+1") << 4 << QString() << QStringLiteral("tr")
                            << QStringLiteral("ades") << 2 << 8;
    QTest::newRow("namespace") << QStringLiteral("f[.feed.up]") << 10 << QStringLiteral(".feed.") << QStringLiteral("up")
                               << QString() << 8 << 10;
    QTest::newRow("after a dot") << QStringLiteral(".feed.") << 6 << QStringLiteral(".feed.") << QString() << QString()
                                 << 6 << 6;
    QTest::newRow("empty line") << QString() << 0 << QString() << QString() << QString() << 0 << 0;
}

void TestCompletion::word()
{
    QFETCH(QString, text);
    QFETCH(int, caret);
    const auto w = CompletionRules::wordAt(text, caret);
    QTEST(w.prefix, "prefix");
    QTEST(w.head, "head");
    QTEST(w.tail, "tail");
    QTEST(w.anchorStart, "start");
    QTEST(w.anchorEnd, "end");
}

void TestCompletion::items_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QStringList>("expected");
    // Root: .q. built-ins without ".q.", no other namespace's names.
    QTest::newRow("root") << QString()
                          << QStringList{QStringLiteral("each[x;y]"), QStringLiteral("limit"), QStringLiteral("q.odd"),
                                         QStringLiteral("trades"), QStringLiteral("Upd2[x]"), QStringLiteral("upd[t;x]")};
    QTest::newRow("namespace") << QStringLiteral(".feed.")
                               << QStringList{QStringLiteral("sub.f"), QStringLiteral("upd[t;x]")};
    QTest::newRow(".q. lists nothing") << QStringLiteral(".q.") << QStringList{};
    QTest::newRow("nested") << QStringLiteral(".feed.sub.") << QStringList{QStringLiteral("f")};
}

void TestCompletion::items()
{
    QFETCH(QString, prefix);
    QFETCH(QStringList, expected);
    QCOMPARE(texts(CompletionRules::items(names(), prefix)), expected);
}

void TestCompletion::icons()
{
    const auto items = CompletionRules::items(names(), QString());
    QHash<QString, int> icon;
    for (const auto& item : items)
        icon.insert(item.text, item.icon);
    QCOMPARE(icon.value(QStringLiteral("trades")), 3);
    QCOMPARE(icon.value(QStringLiteral("upd[t;x]")), 4);
    QCOMPARE(icon.value(QStringLiteral("Upd2[x]")), 6);
    QCOMPARE(icon.value(QStringLiteral("limit")), 5);
    QCOMPARE(CompletionRules::items(names(), QStringLiteral(".z.")).front().icon, 0);
}

void TestCompletion::bestItem_data()
{
    QTest::addColumn<QString>("head");
    QTest::addColumn<QString>("tail");
    QTest::addColumn<QString>("best");
    QTest::newRow("prefix") << QStringLiteral("li") << QString() << QStringLiteral("limit");
    QTest::newRow("case preferred") << QStringLiteral("Up") << QString() << QStringLiteral("Upd2[x]");
    QTest::newRow("any case") << QStringLiteral("TR") << QString() << QStringLiteral("trades");
    QTest::newRow("tail narrows") << QStringLiteral("u") << QStringLiteral("pd2") << QStringLiteral("Upd2[x]");
    QTest::newRow("tail that matches nothing") << QStringLiteral("t") << QStringLiteral("zz") << QStringLiteral("trades");
    QTest::newRow("no match: first") << QStringLiteral("zz") << QString() << QStringLiteral("each[x;y]");
}

void TestCompletion::bestItem()
{
    QFETCH(QString, head);
    QFETCH(QString, tail);
    QFETCH(QString, best);
    const auto items = CompletionRules::items(names(), QString());
    QCOMPARE(items.at(CompletionRules::bestItem(items, head, tail)).text, best);
}

void TestCompletion::accept_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("caret");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("caretAfter");
    // Enter inserts the name with its parameter list.
    QTest::newRow("enter") << QStringLiteral("x:up") << 4 << 1 << QStringLiteral("x:upd[t;x]") << 10;
    // A typed "[" inserts only the name; the bracket stays after it.
    QTest::newRow("typed bracket") << QStringLiteral("x:up[") << 5 << -2 << QStringLiteral("x:upd[") << 6;
    // A bracket already following: only the name.
    QTest::newRow("bracket follows") << QStringLiteral("x:up[1;2]") << 4 << 1 << QStringLiteral("x:upd[1;2]") << 5;
    QTest::newRow("typed blank") << QStringLiteral("x:up ") << 5 << -1 << QStringLiteral("x:upd[t;x] ") << 11;
}

void TestCompletion::accept()
{
    QFETCH(QString, line);
    QFETCH(int, caret);
    QFETCH(int, kind);
    // The word as it was before the delimiter was typed.
    const int typed = kind < 0 ? 1 : 0;
    auto word = CompletionRules::wordAt(line.left(caret - typed) + line.mid(caret), caret - typed);
    const auto accepted = CompletionRules::accept(QStringLiteral("upd[t;x]"), line.mid(word.anchorEnd + typed), kind,
                                                  word, caret);
    QString result = line;
    result.replace(word.anchorStart, word.anchorEnd - word.anchorStart, accepted.text);
    QTEST(result, "result");
    QTEST(accepted.caret < 0 ? word.anchorStart + int(accepted.text.size()) : accepted.caret, "caretAfter");
}

void TestCompletion::help_data()
{
    const QString help = QStringLiteral("https://code.kx.com/q/ref/");
    const QString alt = QStringLiteral("https://code.kx.com/q/search?q=");
    QTest::addColumn<QString>("word");
    QTest::addColumn<bool>("selection");
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<QString>("helpUrl");
    QTest::addColumn<QString>("altUrl");
    QTest::addColumn<QString>("address");
    QTest::newRow("keyword") << QStringLiteral("select") << false << QStringLiteral("select") << help << alt
                             << help + QStringLiteral("select");
    QTest::newRow("user name") << QStringLiteral("myVar_") << false << QStringLiteral("myVar") << help << alt
                               << alt + QStringLiteral("myVar");
    QTest::newRow("empty line") << QString() << false << QString() << help << alt
                                << QStringLiteral("https://code.kx.com/q/search?q=");
    QTest::newRow("empty word, no alt") << QString() << false << QString() << help << QString()
                                        << QStringLiteral("https://code.kx.com/q/ref");
    QTest::newRow("no alt: everything to help") << QStringLiteral("myVar") << false << QStringLiteral("myVar") << help
                                                << QStringLiteral("  ") << help + QStringLiteral("myVar");
    QTest::newRow("selection keeps its word") << QStringLiteral("x myFn") << true << QStringLiteral("other") << help
                                              << alt << alt + QStringLiteral("myFn");
    QTest::newRow("backquote") << QStringLiteral("`sym`x") << false << QStringLiteral("sym") << help << alt
                               << alt + QStringLiteral("sym");
    QTest::newRow("default help address") << QStringLiteral("each") << false << QStringLiteral("each") << QString()
                                          << alt << HelpLookup::defaultHelpUrl() + QStringLiteral("each");
}

void TestCompletion::help()
{
    QFETCH(QString, word);
    QFETCH(bool, selection);
    QFETCH(QString, identifier);
    QFETCH(QString, helpUrl);
    QFETCH(QString, altUrl);
    QTEST(HelpLookup::address(word, selection, identifier, helpUrl, altUrl), "address");
}

void TestCompletion::sessionOpens_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("loading");
    QTest::addColumn<QString>("listed"); // the items, the chosen one in brackets; empty: closed
    QTest::newRow("root, best item") << QStringLiteral("x:li|") << false
                                     << QStringLiteral("each[x;y] (limit) q.odd trades Upd2[x] upd[t;x]");
    QTest::newRow("namespace") << QStringLiteral("x:.feed.|") << false << QStringLiteral("(sub.f) upd[t;x]");
    QTest::newRow("tail narrows") << QStringLiteral(".feed.u|p") << false << QStringLiteral("sub.f (upd[t;x])");
    QTest::newRow(".q. lists nothing") << QStringLiteral(".q.|") << false << QString();
    QTest::newRow("unknown namespace") << QStringLiteral(".nowhere.x|") << false << QString();
    QTest::newRow("nothing while loading") << QStringLiteral("x:li|") << true << QString();
}

void TestCompletion::sessionOpens()
{
    QFETCH(QString, line);
    QFETCH(bool, loading);
    Names source;
    source.busy = loading;
    const auto [text, caret] = caretLine(line);
    CompletionSession session;
    const bool opened = session.open(3, text, caret, &source);
    QStringList listed;
    for (int i = 0; i < session.items().size(); ++i)
        listed << (i == session.current() ? QStringLiteral("(%1)") : QStringLiteral("%1")).arg(session.items().at(i).text);
    QTEST(listed.join(u' '), "listed");
    QCOMPARE(opened, !listed.isEmpty());
    QCOMPARE(session.isOpen(), opened);
    QCOMPARE(session.line(), opened ? 3 : -1);
    QVERIFY(!session.open(3, text, caret, nullptr));
}

void TestCompletion::sessionFollowsTyping_data()
{
    QTest::addColumn<QString>("before"); // the line when the list opened
    QTest::addColumn<QString>("after");  // the line after one change
    QTest::addColumn<QString>("inserted");
    QTest::addColumn<int>("changed");
    // "choose X": the list stays with X chosen; "accept": the line after the
    // view accepts; "reopen", "hide".
    QTest::addColumn<QString>("outcome");
    QTest::newRow("typed letter") << QStringLiteral("x:u|") << QStringLiteral("x:up|") << QStringLiteral("p") << 1
                                  << QStringLiteral("choose upd[t;x]");
    QTest::newRow("case counts") << QStringLiteral("x:u|") << QStringLiteral("x:U|") << QStringLiteral("U") << 1
                                 << QStringLiteral("choose Upd2[x]");
    QTest::newRow("backspace") << QStringLiteral("x:li|") << QStringLiteral("x:l|") << QString() << 1
                               << QStringLiteral("choose limit");
    QTest::newRow("namespace letter") << QStringLiteral(".feed.|") << QStringLiteral(".feed.u|") << QStringLiteral("u")
                                      << 1 << QStringLiteral("choose upd[t;x]");
    QTest::newRow("[ after the word: the name only") << QStringLiteral("x:up|") << QStringLiteral("x:up[|")
                                                     << QStringLiteral("[") << 1 << QStringLiteral("accept x:upd[|");
    QTest::newRow("blank: the name and its parameters")
        << QStringLiteral("x:up|") << QStringLiteral("x:up |") << QStringLiteral(" ") << 1
        << QStringLiteral("accept x:upd[t;x] |");
    QTest::newRow("delimiter inside a word") << QStringLiteral("x:up|date") << QStringLiteral("x:up+|date")
                                             << QStringLiteral("+") << 1 << QStringLiteral("accept x:upd[t;x]+|date");
    QTest::newRow("[ with no word before it") << QStringLiteral("x:(|") << QStringLiteral("x:([|") << QStringLiteral("[")
                                              << 1 << QStringLiteral("accept x:(each[x;y][|");
    QTest::newRow("[ before a namespace name") << QStringLiteral(".feed.up|") << QStringLiteral(".feed.up[|")
                                               << QStringLiteral("[") << 1 << QStringLiteral("accept .feed.upd[|");
    QTest::newRow("dot drills in") << QStringLiteral("x:feed|") << QStringLiteral("x:feed.|") << QStringLiteral(".")
                                   << 1 << QStringLiteral("reopen");
    QTest::newRow("larger change") << QStringLiteral("x:u|") << QStringLiteral("x:upd|") << QStringLiteral("pd") << 2
                                   << QStringLiteral("hide");
    QTest::newRow("dot deleted") << QStringLiteral(".feed.|") << QStringLiteral(".feed|") << QString() << 1
                                 << QStringLiteral("hide");
}

void TestCompletion::sessionFollowsTyping()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(QString, inserted);
    QFETCH(int, changed);
    Names source;
    CompletionSession session;
    const auto [text, caret] = caretLine(before);
    QVERIFY(session.open(0, text, caret, &source));
    const auto [now, column] = caretLine(after);
    QString outcome;
    switch (session.changed(0, now, column, inserted, changed)) {
    case CompletionSession::Action::None:
        outcome = QStringLiteral("choose ") + session.items().at(session.current()).text;
        break;
    case CompletionSession::Action::Accept: {
        const auto r = session.accept(now, column, session.acceptKind());
        QString line = now;
        line.replace(r.from, r.to - r.from, r.text);
        outcome = QStringLiteral("accept ") + withCaret(line, r.caret < 0 ? r.from + int(r.text.size()) : r.caret);
        break;
    }
    case CompletionSession::Action::Reopen: outcome = QStringLiteral("reopen"); break;
    case CompletionSession::Action::Hide: outcome = QStringLiteral("hide"); break;
    }
    QTEST(outcome, "outcome");
    // While the list stays, a change on another line hides it.
    if (outcome.startsWith(QLatin1String("choose")))
        QCOMPARE(session.changed(1, now, column, inserted, changed), CompletionSession::Action::Hide);
}

void TestCompletion::sessionKeepsTheCaretInTheWord_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("inside");
    // "x:tr|ades+1": the word runs from column 2 to 8.
    QTest::newRow("before the word") << 0 << 1 << false;
    QTest::newRow("its start") << 0 << 2 << true;
    QTest::newRow("its end") << 0 << 8 << true;
    QTest::newRow("past it") << 0 << 9 << false;
    QTest::newRow("another line") << 1 << 4 << false;
}

void TestCompletion::sessionKeepsTheCaretInTheWord()
{
    QFETCH(int, line);
    QFETCH(int, column);
    Names source;
    CompletionSession session;
    const auto [text, caret] = caretLine(QStringLiteral("x:tr|ades+1"));
    QVERIFY(session.open(0, text, caret, &source));
    QTEST(session.caretInside(line, column), "inside");
    session.close();
    QVERIFY(!session.caretInside(0, 4));
}

void TestCompletion::sessionMoves()
{
    Names source;
    CompletionSession session;
    QVERIFY(session.open(0, QStringLiteral("x:li"), 4, &source)); // limit, the second of six
    const QList<std::pair<int, int>> steps = {{1, 2}, {-1, 1}, {-5, 0}, {3, 3}, {100, 5}, {-100, 0}};
    for (const auto& [step, expected] : steps) {
        session.move(step);
        QCOMPARE(session.current(), expected);
    }
}

QTEST_APPLESS_MAIN(TestCompletion)
#include "tst_completion.moc"
