// The quick watch's logic: the tree of any value in both modes, node texts,
// the q indexing path and the C access path of each node, node values, and
// the expression history.
#include "ValueNotation.h"
#include "core/values/KRender.h"
#include "watch/QuickWatchHistory.h"
#include "watch/QuickWatchTree.h"

#include <QTest>

namespace {

KPtr value(const QString& notation)
{
    QString error;
    KPtr x = ValueNotation::parse(notation, &error);
    if (!x)
        qFatal("bad notation %s: %s", qPrintable(notation), qPrintable(error));
    return x;
}

// The node at path below root ({} is the root); null when there is none.
const QuickWatchNode* nodeAt(const QuickWatchNode& root, const QList<int>& path)
{
    const QuickWatchNode* node = &root;
    for (int i : path) {
        if (i < 0 || std::size_t(i) >= node->children.size())
            return nullptr;
        node = node->children[std::size_t(i)].get();
    }
    return node;
}

// The tree as indented text lines, depth first.
void outline(const QuickWatchNode& node, int depth, QStringList& out)
{
    out << QString(depth * 2, u' ') + node.text;
    for (const auto& child : node.children)
        outline(*child, depth + 1, out);
}

QStringList outline(const QuickWatchNode& root)
{
    QStringList out;
    outline(root, 0, out);
    return out;
}

using Mode = QuickWatchTree::Mode;

} // namespace

class TestQuickWatch : public QObject {
    Q_OBJECT
private slots:
    void kinds_data();
    void kinds();
    void trees_data();
    void trees();
    void paths_data();
    void paths();
    void accessorsAndMembers_data();
    void accessorsAndMembers();
    void nodeValues_data();
    void nodeValues();
    void errorReplyIsTheRoot();
    void hugeValuesAreBounded();
    void history();
};

void TestQuickWatch::kinds_data()
{
    QTest::addColumn<QString>("notation");
    QTest::addColumn<QString>("kind");
    QTest::newRow("long atom") << "42" << "long atom";
    QTest::newRow("symbol atom") << "`a" << "symbol atom";
    QTest::newRow("long vector") << "1 2 3" << "3 longs";
    QTest::newRow("char vector") << "\"abcd\"" << "4 chars";
    QTest::newRow("general list") << "(1;`a)" << "2 mixed";
    QTest::newRow("empty list") << "()" << "0 mixed";
    QTest::newRow("table") << "([] a:1 2)" << "table/flip";
    QTest::newRow("dictionary") << "`a`b!1 2" << "dictionary/keyed table";
    QTest::newRow("lambda") << "{x+y}" << "lambda";
}

void TestQuickWatch::kinds()
{
    QFETCH(QString, notation);
    QFETCH(QString, kind);
    QCOMPARE(QuickWatchTree::kind(value(notation).get()), kind);
    // An item of a simple vector is an atom of the vector's type.
    QCOMPARE(QuickWatchTree::kind(value("1 2 3").get(), 1), QStringLiteral("long atom"));
}

void TestQuickWatch::trees_data()
{
    QTest::addColumn<QString>("notation");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("outline");
    const int physical = int(Mode::Physical), logical = int(Mode::Logical);
    QTest::newRow("vector: no children") << "1 2 3" << physical << QStringList{"3 longs"};
    QTest::newRow("general list") << "(1;`a)" << physical
                                  << QStringList{"2 mixed", "  [0] (long atom)", "  [1] (symbol atom)"};
    QTest::newRow("nested list")
        << "(1;(2;3 4))" << logical
        << QStringList{"2 mixed", "  [0] (long atom)", "  [1] (2 mixed)", "    [0] (long atom)", "    [1] (2 longs)"};
    QTest::newRow("dictionary, physical")
        << "`a`b!1 2" << physical << QStringList{"dictionary/keyed table", "  [0] (2 symbols)", "  [1] (2 longs)"};
    QTest::newRow("dictionary, logical")
        << "`a`b!1 2" << logical << QStringList{"dictionary/keyed table", "  [`a] (long atom)", "  [`b] (long atom)"};
    QTest::newRow("dictionary of a general list, logical")
        << "`a`b!(1 2;`x)" << logical
        << QStringList{"dictionary/keyed table", "  [`a] (2 longs)", "  [`b] (symbol atom)"};
    QTest::newRow("long keys get their letter")
        << "1 2!`x`y" << logical << QStringList{"dictionary/keyed table", "  [1j] (symbol atom)", "  [2j] (symbol atom)"};
    QTest::newRow("boolean keys keep theirs")
        << "10b!`x`y" << logical << QStringList{"dictionary/keyed table", "  [1b] (symbol atom)", "  [0b] (symbol atom)"};
    QTest::newRow("table, physical")
        << "([] a:1 2; b:`x`y)" << physical
        << QStringList{"table/flip", "  dictionary/keyed table", "    [0] (2 symbols)", "    [1] (2 mixed)",
                       "      [0] (2 longs)", "      [1] (2 symbols)"};
    QTest::newRow("table, logical")
        << "([] a:1 2; b:`x`y)" << logical
        << QStringList{"table/flip", "  dictionary/keyed table", "    [`a] (2 longs)", "    [`b] (2 symbols)"};
    QTest::newRow("keyed table, physical")
        << "([k:1 2] v:`x`y)" << physical
        << QStringList{"dictionary/keyed table", "  [0] (table/flip)", "    dictionary/keyed table",
                       "      [0] (1 symbols)", "      [1] (1 mixed)", "        [0] (2 longs)",
                       "  [1] (table/flip)", "    dictionary/keyed table", "      [0] (1 symbols)",
                       "      [1] (1 mixed)", "        [0] (2 symbols)"};
}

void TestQuickWatch::trees()
{
    QFETCH(QString, notation);
    QFETCH(int, mode);
    QFETCH(QStringList, outline);
    const auto root = QuickWatchTree::build(value(notation).get(), Mode(mode));
    QCOMPARE(::outline(*root), outline);
}

void TestQuickWatch::paths_data()
{
    QTest::addColumn<QString>("notation");
    QTest::addColumn<QList<int>>("path");
    QTest::addColumn<QString>("physical");
    QTest::addColumn<QString>("logical");
    using P = QList<int>;
    QTest::newRow("root list") << "(1;2 3)" << P{} << "kK(pK)" << "";
    QTest::newRow("atom in list") << "(1;2)" << P{1} << "kK(pK)[1]->j" << "[1]";
    QTest::newRow("vector in list") << "(1;2 3)" << P{1} << "kJ(kK(pK)[1])" << "[1]";
    QTest::newRow("nested atom") << "(`a;(7;8))" << P{1, 0} << "kK(kK(pK)[1])[0]->j" << "[1][0]";
    QTest::newRow("symbol atom") << "(`a;1)" << P{0} << "kK(pK)[0]->s" << "[0]";
    QTest::newRow("float vector") << "(1.5 2;1)" << P{0} << "kF(kK(pK)[0])" << "[0]";
    QTest::newRow("root atom") << "42" << P{} << "pK->j" << "";
    QTest::newRow("root table") << "([] a:1 2)" << P{} << "pK->k" << "";
    QTest::newRow("table's dictionary") << "([] a:1 2)" << P{0} << "kK(pK->k)" << "";
    QTest::newRow("table's names") << "([] a:1 2)" << P{0, 0} << "kS(kK(pK->k)[0])" << "[`a]";
    QTest::newRow("table's column") << "([] a:1 2)" << P{0, 1, 0} << "kJ(kK(kK(pK->k)[1])[0])" << "";
    QTest::newRow("dictionary keys") << "`a`b!1 2" << P{0} << "kS(kK(pK)[0])" << "[`a]";
    QTest::newRow("dictionary values") << "`a`b!1 2" << P{1} << "kJ(kK(pK)[1])" << "[`b]";
    QTest::newRow("keyed table's value table") << "([k:1 2] v:`x`y)" << P{1} << "kK(pK)[1]->k" << "";
}

void TestQuickWatch::paths()
{
    QFETCH(QString, notation);
    QFETCH(QList<int>, path);
    QFETCH(QString, physical);
    QFETCH(QString, logical);
    const KPtr x = value(notation);
    const auto physicalRoot = QuickWatchTree::build(x.get(), Mode::Physical);
    const QuickWatchNode* node = nodeAt(*physicalRoot, path);
    QVERIFY(node);
    QCOMPARE(QuickWatchTree::physicalPath(*node), physical);
    // The logical tree may be shaped otherwise: its path where it has the node.
    const auto logicalRoot = QuickWatchTree::build(x.get(), Mode::Logical);
    if (const QuickWatchNode* same = nodeAt(*logicalRoot, path); same && !logical.isEmpty())
        QCOMPARE(QuickWatchTree::logicalPath(*same), logical);
    QCOMPARE(QuickWatchTree::logicalPath(*logicalRoot), QString());
}

void TestQuickWatch::accessorsAndMembers_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("accessor");
    QTest::addColumn<QString>("member");
    const QList<std::tuple<int, const char*, const char*>> rows = {
        {KB, "kG", "->g"}, {KG, "kG", "->g"}, {UU, "kU", "->u"}, {KH, "kH", "->h"}, {KI, "kI", "->i"},
        {KM, "kI", "->i"}, {KD, "kI", "->i"}, {KU, "kI", "->i"}, {KV, "kI", "->i"}, {KT, "kI", "->i"},
        {KJ, "kJ", "->j"}, {KP, "kJ", "->j"}, {KN, "kJ", "->j"}, {KE, "kE", "->e"}, {KF, "kF", "->f"},
        {KZ, "kF", "->f"}, {KC, "kC", "->c"}, {KS, "kS", "->s"}, {0, "kK", ""}, {XD, "kK", ""},
        {XT, "", ""}, {100, "", ""}};
    for (const auto& [type, accessor, member] : rows)
        QTest::addRow("type %d", type) << type << QString::fromLatin1(accessor) << QString::fromLatin1(member);
}

void TestQuickWatch::accessorsAndMembers()
{
    QFETCH(int, type);
    QFETCH(QString, accessor);
    QFETCH(QString, member);
    QCOMPARE(QuickWatchTree::accessor(type), accessor);
    QCOMPARE(QuickWatchTree::member(-type), member);
}

void TestQuickWatch::nodeValues_data()
{
    QTest::addColumn<QString>("notation");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QList<int>>("path");
    QTest::addColumn<QString>("expected"); // notation of the node's value
    using P = QList<int>;
    QTest::newRow("list item") << "(1;`a)" << int(Mode::Physical) << P{1} << "`a";
    QTest::newRow("dictionary entry (item of a vector)") << "`a`b!10 20" << int(Mode::Logical) << P{1} << "20";
    QTest::newRow("symbol entry") << "`a`b!`x`y" << int(Mode::Logical) << P{0} << "`x";
    QTest::newRow("float entry") << "`a`b!1.5 2.5" << int(Mode::Logical) << P{1} << "2.5";
    QTest::newRow("column") << "([] a:1 2)" << int(Mode::Logical) << P{0, 0} << "1 2";
    QTest::newRow("whole value") << "`a`b!1 2" << int(Mode::Physical) << P{} << "`a`b!1 2";
}

void TestQuickWatch::nodeValues()
{
    QFETCH(QString, notation);
    QFETCH(int, mode);
    QFETCH(QList<int>, path);
    QFETCH(QString, expected);
    const auto root = QuickWatchTree::build(value(notation).get(), Mode(mode));
    const QuickWatchNode* node = nodeAt(*root, path);
    QVERIFY(node);
    const RenderOptions options;
    QCOMPARE(QuickWatchTree::valueText(*node, options), renderConsole(value(expected).get(), options));
}

void TestQuickWatch::errorReplyIsTheRoot()
{
    KPtr error(krr("type"));
    const auto root = QuickWatchTree::build(error.get(), Mode::Physical);
    QVERIFY(root->value);
    QCOMPARE(root->text, QStringLiteral("signal atom"));
    QVERIFY(root->children.empty());
    QCOMPARE(QuickWatchTree::valueText(*root, {}), renderConsole(error.get(), {}));
    // No value at all: an empty tree.
    QVERIFY(!QuickWatchTree::build(nullptr, Mode::Physical)->value);
}

void TestQuickWatch::hugeValuesAreBounded()
{
    // A general list of more items than a tree holds: the first ones, in order.
    const long long n = QuickWatchTree::kMaxNodes + 50;
    K list = ktn(0, n);
    for (long long i = 0; i < n; ++i)
        kK(list)[i] = kj(i);
    const KPtr x(list);
    const auto root = QuickWatchTree::build(x.get(), Mode::Physical);
    QCOMPARE(qint64(root->children.size()), qint64(QuickWatchTree::kMaxNodes - 1));
    QCOMPARE(root->children.back()->label, QStringLiteral("[%1]").arg(QuickWatchTree::kMaxNodes - 2));
    QCOMPARE(root->text, QStringLiteral("%1 mixed").arg(n));
    // A nested one counts every level.
    const KPtr nested(knk(2, r1(list), r1(list)));
    const auto both = QuickWatchTree::build(nested.get(), Mode::Logical);
    QCOMPARE(qint64(both->children.front()->children.size()), qint64(QuickWatchTree::kMaxNodes - 2));
    QVERIFY(both->children.size() == 1);
}

void TestQuickWatch::history()
{
    QuickWatchHistory history;
    history.evaluated(QStringLiteral("t"));
    QVERIFY(history.entries().isEmpty()); // nothing evaluated before
    QCOMPARE(history.previous(), QStringLiteral("t"));
    history.evaluated(QStringLiteral("u"));
    QCOMPARE(history.entries(), QStringList{"t"});
    history.evaluated(QStringLiteral("T")); // u joins; duplicates ignore case
    history.evaluated(QStringLiteral("v"));
    QCOMPARE(history.entries(), (QStringList{"t", "u"}));
    QCOMPARE(history.expressionFor(QStringLiteral("[`a]")), QStringLiteral("(v)[`a]"));
    QCOMPARE(history.entries(), (QStringList{"t", "u", "v"}));
    QCOMPARE(history.expressionFor(QString()), QStringLiteral("v"));
    QVERIFY(!history.add(QString()));
    QVERIFY(!history.add(QStringLiteral("V")));
}

QTEST_GUILESS_MAIN(TestQuickWatch)
#include "tst_quickwatch.moc"
