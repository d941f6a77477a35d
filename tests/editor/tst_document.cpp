// Source documents: reading (byte-order mark, ANSI, line breaks), the save
// questions and their Cancel paths, encodings and line formats, the modified
// mark, changes on disk and automatic saves.
#include "core/Prompter.h"
#include "editor/CDocEditor.h"
#include "editor/CTovoDoc.h"

#include "ScriptedPrompter.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using A = Prompter::Answer;

const QString kShy = QStringLiteral(
    "Document contains Soft hypens (SHY) characters.\n\tYes - to replace them with hard ones\n\tNo - to remove "
    "them\n\tCancel - to continue editing.");
const QString kEllipsis = QStringLiteral(
    "Document contains Horizontal ellipsis characters.\n\tYes - to replace them with three dots\n\tNo - to remove "
    "them\n\tCancel - to continue editing.");
const QString kUnicode = QStringLiteral(
    "Document contains Unicode characters.\n\tYes - to save in UTF-8 without leading BOM\n\t(loadable in q and Tovo, "
    "but not standard windows editors)\n\tNo - to save in ANSI and loose them\n\t(will be replaced with ?)\n\tCancel "
    "- to continue editing.");

struct FakeEditor : CDocEditor {
    QString text;
    bool modified = false;
    QString documentText() const override { return text; }
    void replaceDocumentText(const QString& t) override
    {
        text = t;
        modified = true;
    }
    void loadDocumentText(const QString& t) override
    {
        text = t;
        modified = false;
    }
    bool isDocumentModified() const override { return modified; }
    void setDocumentModified(bool m) override { modified = m; }
};

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The soft-hyphen and ellipsis questions default to their second button
// (No); the Unicode question to Yes, the answer that loses no character.
void expectQ(ScriptedPrompter& p, const QString& text, A answer)
{
    p.expect(text, QStringLiteral("Tovo"), Prompter::Buttons::YesNoCancel, Prompter::Icon::Warning, answer,
             text == kUnicode ? A::Yes : A::No);
}

} // namespace

class TestDocument : public QObject {
    Q_OBJECT
private slots:
    void load_data();
    void load();
    void lineFormats_data();
    void lineFormats();
    void asciiAsksNothing();
    void unicodeAskedEverySave();
    void questions_data();
    void questions();
    void saveElsewhereAsksNothing();
    void writeFailure();
    void modifiedMark();
    void changedOnDisk();
    void autoSave();

private:
    QTemporaryDir m_dir;
};

void TestDocument::load_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    const QString cyr = QString::fromUtf8("x:\"\xd0\x9f\xd1\x80\xd0\xb8\"");
    QTest::newRow("utf-8 with mark") << QByteArray("\xEF\xBB\xBFx:\"\xd0\x9f\xd1\x80\xd0\xb8\"") << cyr;
    QTest::newRow("utf-8 without mark") << QByteArray("x:\"\xd0\x9f\xd1\x80\xd0\xb8\"") << cyr;
    QTest::newRow("ansi") << QByteArray("s:\"caf\xe9 \x80\"") << QString::fromUtf8("s:\"caf\xc3\xa9 \xe2\x82\xac\"");
    QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << QStringLiteral("a\nb\n");
    QTest::newRow("cr") << QByteArray("a\rb\r") << QStringLiteral("a\nb\n");
    QTest::newRow("mixed") << QByteArray("a\r\nb\rc\nd") << QStringLiteral("a\nb\nc\nd");
    QTest::newRow("empty") << QByteArray() << QString();
}

void TestDocument::load()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    const QString path = m_dir.filePath(QStringLiteral("load.q"));
    writeAll(path, bytes);
    FakeEditor ed;
    ed.text = QStringLiteral("old");
    CTovoDoc doc(ed);
    ScriptedPrompter p;
    QVERIFY(doc.open(path, p));
    QCOMPARE(ed.text, text);
    QCOMPARE(doc.savedText(), text);
    QCOMPARE(doc.pathName(), path);
    QVERIFY(doc.fileTime() > 0);
}

void TestDocument::lineFormats_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("CR LF") << 0 << QByteArray("a:1\r\nb:2\r\n\r\nc");
    QTest::newRow("LF") << 1 << QByteArray("a:1\nb:2\n\nc");
    QTest::newRow("CR") << 2 << QByteArray("a:1\rb:2\r\rc");
}

void TestDocument::lineFormats()
{
    QFETCH(int, format);
    QFETCH(QByteArray, bytes);
    const QString path = m_dir.filePath(QStringLiteral("fmt%1.q").arg(format));
    FakeEditor ed;
    ed.text = QStringLiteral("a:1\nb:2\n\nc");
    CTovoDoc doc(ed);
    doc.setSaveAsMode(true);
    ScriptedPrompter p;
    QCOMPARE(doc.save(path, format, p), CTovoDoc::SaveResult::Saved);
    QCOMPARE(readAll(path), bytes);
    // And back.
    FakeEditor back;
    CTovoDoc doc2(back);
    QVERIFY(doc2.open(path, p));
    QCOMPARE(back.text, ed.text);
}

void TestDocument::asciiAsksNothing()
{
    const QString path = m_dir.filePath(QStringLiteral("ascii.q"));
    FakeEditor ed;
    ed.text = QStringLiteral("select from t\n");
    ed.modified = true;
    CTovoDoc doc(ed);
    doc.setSaveAsMode(true);
    ScriptedPrompter p; // any question fails the test
    QCOMPARE(doc.save(path, 1, p), CTovoDoc::SaveResult::Saved);
    QVERIFY(p.asked().isEmpty());
    QVERIFY(!doc.saveAsUtf8());
    QCOMPARE(readAll(path), QByteArray("select from t\n"));
    QVERIFY(!ed.modified);
    QCOMPARE(doc.savedText(), ed.text);
    QCOMPARE(doc.fileTime(), CTovoDoc::lastWriteTime(path));
}

void TestDocument::unicodeAskedEverySave()
{
    const QString path = m_dir.filePath(QStringLiteral("cyr.q"));
    FakeEditor ed;
    ed.text = QString::fromUtf8("s:\"\xd0\x9c\xd0\xb8\xd1\x80\"\n");
    CTovoDoc doc(ed);
    doc.setSaveAsMode(true);
    ScriptedPrompter p;
    expectQ(p, kUnicode, A::Yes);
    QCOMPARE(doc.save(path, 0, p), CTovoDoc::SaveResult::Saved);
    QCOMPARE(readAll(path), QByteArray("s:\"\xd0\x9c\xd0\xb8\xd1\x80\"\r\n")); // no byte-order mark
    doc.setSaveAsMode(false);
    // The next save asks again; No writes ANSI with "?".
    expectQ(p, kUnicode, A::No);
    QCOMPARE(doc.save(path, 0, p), CTovoDoc::SaveResult::Saved);
    QCOMPARE(p.pending(), 0);
    QCOMPARE(readAll(path), QByteArray("s:\"???\"\r\n"));
    QVERIFY(!doc.saveAsUtf8());
}

void TestDocument::questions_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("questions");
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("editorAfter");
    QTest::addColumn<QByteArray>("file"); // empty when nothing is written
    const QString both = QString::fromUtf8("a\xc2\xad" "b\xe2\x80\xa6");
    const QString all = QString::fromUtf8("a\xc2\xad" "b\xe2\x80\xa6\xd0\xaf");
    const int saved = int(CTovoDoc::SaveResult::Saved);
    const int cancelled = int(CTovoDoc::SaveResult::Cancelled);
    QTest::newRow("both replaced") << both << QStringList{kShy, kEllipsis} << QList<int>{int(A::Yes), int(A::Yes)}
                                   << saved << QStringLiteral("a-b...") << QByteArray("a-b...");
    QTest::newRow("both removed") << both << QStringList{kShy, kEllipsis} << QList<int>{int(A::No), int(A::No)}
                                  << saved << QStringLiteral("ab") << QByteArray("ab");
    QTest::newRow("cancel at soft hyphen") << both << QStringList{kShy} << QList<int>{int(A::Cancel)} << cancelled
                                           << both << QByteArray();
    QTest::newRow("cancel at ellipsis keeps first replacement")
        << both << QStringList{kShy, kEllipsis} << QList<int>{int(A::Yes), int(A::Cancel)} << cancelled
        << QString::fromUtf8("a-b\xe2\x80\xa6") << QByteArray();
    QTest::newRow("cancel at unicode") << all << QStringList{kShy, kEllipsis, kUnicode}
                                       << QList<int>{int(A::No), int(A::Yes), int(A::Cancel)} << cancelled
                                       << QString::fromUtf8("ab...\xd0\xaf") << QByteArray();
    QTest::newRow("all three, utf-8") << all << QStringList{kShy, kEllipsis, kUnicode}
                                      << QList<int>{int(A::Yes), int(A::No), int(A::Yes)} << saved
                                      << QString::fromUtf8("a-b\xd0\xaf") << QByteArray("a-b\xd0\xaf");
}

void TestDocument::questions()
{
    QFETCH(QString, text);
    QFETCH(QStringList, questions);
    QFETCH(QList<int>, answers);
    QFETCH(int, result);
    QFETCH(QString, editorAfter);
    QFETCH(QByteArray, file);
    const QString path = m_dir.filePath(QStringLiteral("q%1.q").arg(QTest::currentDataTag()).remove(u' '));
    QFile::remove(path);
    FakeEditor ed;
    ed.text = text;
    CTovoDoc doc(ed);
    doc.setSaveAsMode(true);
    ScriptedPrompter p;
    for (int i = 0; i < questions.size(); ++i)
        expectQ(p, questions[i], A(answers[i]));
    QCOMPARE(int(doc.save(path, 0, p)), result);
    QCOMPARE(p.pending(), 0);
    QCOMPARE(ed.text, editorAfter);
    QCOMPARE(QFile::exists(path), !file.isEmpty());
    if (!file.isEmpty())
        QCOMPARE(readAll(path), file);
    if (result == int(CTovoDoc::SaveResult::Cancelled)) {
        QVERIFY(doc.pathName().isEmpty());
        QVERIFY(doc.savedText().isEmpty());
    }
}

void TestDocument::saveElsewhereAsksNothing()
{
    const QString own = m_dir.filePath(QStringLiteral("own.q"));
    writeAll(own, "x");
    FakeEditor ed;
    CTovoDoc doc(ed);
    ScriptedPrompter p;
    QVERIFY(doc.open(own, p));
    ed.text = QString::fromUtf8("x\xc2\xad\xd0\xaf");
    ed.modified = true;
    const QString other = m_dir.filePath(QStringLiteral("copy.q"));
    QCOMPARE(doc.save(other, 1, p), CTovoDoc::SaveResult::Saved);
    QVERIFY(p.asked().isEmpty());
    QCOMPARE(readAll(other), QByteArray("x\xad?")); // unchanged text, ANSI
    QCOMPARE(doc.pathName(), own);
    QCOMPARE(doc.savedText(), QStringLiteral("x"));
    QVERIFY(ed.modified);
}

void TestDocument::writeFailure()
{
    FakeEditor ed;
    ed.text = QStringLiteral("a");
    ed.modified = true;
    CTovoDoc doc(ed);
    doc.setSaveAsMode(true);
    ScriptedPrompter p;
    p.expectInform(QStringLiteral("Failed to save document."), Prompter::Icon::Warning);
    QCOMPARE(doc.save(m_dir.filePath(QStringLiteral("no/such/folder/a.q")), 0, p), CTovoDoc::SaveResult::Failed);
    QCOMPARE(p.pending(), 0);
    QVERIFY(doc.pathName().isEmpty());
    QVERIFY(ed.modified);
    p.expectInform(QStringLiteral("Failed to open document."), Prompter::Icon::Warning);
    QVERIFY(!doc.open(m_dir.filePath(QStringLiteral("missing.q")), p));
    QCOMPARE(ed.text, QStringLiteral("a"));
}

void TestDocument::modifiedMark()
{
    const QString path = m_dir.filePath(QStringLiteral("mark.q"));
    writeAll(path, "a:1\n");
    FakeEditor ed;
    CTovoDoc doc(ed);
    ScriptedPrompter p;
    QVERIFY(doc.open(path, p));
    QCOMPARE(doc.markedTitle(QStringLiteral("mark.q")), QStringLiteral("mark.q"));
    ed.text = QStringLiteral("a:12\n");
    ed.modified = true;
    QCOMPARE(doc.markedTitle(QStringLiteral("mark.q")), QStringLiteral("mark.q*"));
    QCOMPARE(doc.markedTitle(QStringLiteral("mark.q*")), QStringLiteral("mark.q*"));
    // Edited back to the saved text: the mark goes and so does the editor's modified flag.
    ed.text = QStringLiteral("a:1\n");
    QCOMPARE(doc.markedTitle(QStringLiteral("mark.q*")), QStringLiteral("mark.q"));
    QVERIFY(!ed.modified);
}

void TestDocument::changedOnDisk()
{
    const QString path = m_dir.filePath(QStringLiteral("disk.q"));
    writeAll(path, "a:1\n");
    FakeEditor ed;
    CTovoDoc doc(ed);
    ScriptedPrompter p;
    QVERIFY(doc.open(path, p));
    QCOMPARE(doc.checkChangedOnDisk(p), CTovoDoc::DiskCheck::Unchanged);

    auto touch = [&](const QByteArray& bytes, int secondsAhead) {
        writeAll(path, bytes);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(secondsAhead), QFileDevice::FileModificationTime));
    };
    const QString question = QDir::toNativeSeparators(path)
        + QStringLiteral("\n\nThis file has been modified outside of the source editor.\nDo you want to reload it");
    touch("b:2\n", 10);
    p.expect(question + u'?', QStringLiteral("Tovo"), Prompter::Buttons::YesNo, Prompter::Icon::Question, A::No, A::Yes);
    QCOMPARE(doc.checkChangedOnDisk(p), CTovoDoc::DiskCheck::Kept);
    QCOMPARE(ed.text, QStringLiteral("a:1\n"));
    // The same change is not reported again.
    QCOMPARE(doc.checkChangedOnDisk(p), CTovoDoc::DiskCheck::Unchanged);

    touch("c:3\n", 20);
    ed.text = QStringLiteral("mine");
    ed.modified = true;
    p.expect(question + QStringLiteral(" and lose the changes made in the source editor?"), QStringLiteral("Tovo"),
             Prompter::Buttons::YesNo, Prompter::Icon::Question, A::Yes, A::No); // reloading would lose the edits
    QCOMPARE(doc.checkChangedOnDisk(p), CTovoDoc::DiskCheck::Reloaded);
    QCOMPARE(ed.text, QStringLiteral("c:3\n"));
    QVERIFY(!ed.modified);
    QCOMPARE(doc.savedText(), QStringLiteral("c:3\n"));

    // A file that can no longer be read counts as changed.
    QVERIFY(QFile::remove(path));
    p.expect(question + u'?', QStringLiteral("Tovo"), Prompter::Buttons::YesNo, Prompter::Icon::Question, A::No);
    QCOMPARE(doc.checkChangedOnDisk(p), CTovoDoc::DiskCheck::Kept);
    QCOMPARE(p.pending(), 0);
}

void TestDocument::autoSave()
{
    QTemporaryDir dir;
    FakeEditor ed;
    ed.text = QString::fromUtf8("a:\"\xd0\xaf\"\n");
    CTovoDoc doc(ed);
    doc.setTitle(QStringLiteral("q1"));
    QVERIFY(doc.autoSave(dir.path()).isEmpty()); // nothing to keep while unmodified
    ed.modified = true;
    const QString path = doc.autoSave(dir.path());
    QVERIFY(!path.isEmpty());
    const QString name = QFileInfo(path).fileName();
    QVERIFY2(QRegularExpression(QStringLiteral("^[0-9a-f]{32}\\.q1\\.q$")).match(name).hasMatch(), qPrintable(name));
    QCOMPARE(CTovoDoc::recoverableFiles(dir.path()), QStringList{path});
    QCOMPARE(CTovoDoc::decodeFile(readAll(path)), ed.text);
    // A later save overwrites the same copy.
    ed.text = QStringLiteral("b");
    QCOMPARE(doc.autoSave(dir.path()), path);
    QCOMPARE(readAll(path), QByteArray("b"));
    doc.discardAutoSave(dir.path());
    QVERIFY(CTovoDoc::recoverableFiles(dir.path()).isEmpty());
}

QTEST_GUILESS_MAIN(TestDocument)
#include "tst_document.moc"
