#include "editor/CTovoDoc.h"

#include "core/Prompter.h"
#include "core/files/SafeFile.h"
#include "editor/AnsiCodePage.h"
#include "editor/CDocEditor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QUuid>

namespace {

const QString kCaption = QStringLiteral("Tovo");
constexpr char16_t kSoftHyphen = 0x00AD;
constexpr char16_t kEllipsis = 0x2026;

// Replaces or removes every ch in the editor's text, as the user answered.
// Returns false on Cancel.
bool askAndReplace(CDocEditor& editor, Prompter& prompter, char16_t ch, const QString& question,
                   const QString& replacement)
{
    QString text = editor.documentText();
    if (!text.contains(QChar(ch)))
        return true;
    // The second button (No) is the default.
    const auto answer = prompter.ask(question, kCaption, Prompter::Buttons::YesNoCancel, Prompter::Icon::Warning,
                                     Prompter::Answer::No);
    if (answer == Prompter::Answer::Cancel)
        return false;
    text.replace(QChar(ch), answer == Prompter::Answer::Yes ? replacement : QString());
    editor.replaceDocumentText(text);
    return true;
}

} // namespace

CTovoDoc::CTovoDoc(CDocEditor& editor)
    : m_editor(&editor)
    , m_autoSaveId(QUuid::createUuid().toString(QUuid::Id128))
{
}

QString CTovoDoc::decodeFile(const QByteArray& bytes)
{
    QByteArrayView body(bytes);
    if (body.startsWith("\xEF\xBB\xBF"))
        body = body.sliced(3);
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(body);
    // Bytes that are not UTF-8 come from an ANSI file.
    if (utf8.hasError())
        text = AnsiCodePage::decode(body.toByteArray());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

QByteArray CTovoDoc::encodeFile(const QString& text, bool utf8, int lineFormat)
{
    QString crlf = text;
    crlf.replace(u'\n', QStringLiteral("\r\n"));
    QByteArray bytes = utf8 ? crlf.toUtf8() : AnsiCodePage::encode(crlf);
    // Neither encoding puts CR or LF bytes inside another character.
    if (lineFormat == 1)
        bytes.replace("\r", "");
    else if (lineFormat == 2)
        bytes.replace("\n", "");
    return bytes;
}

qint64 CTovoDoc::lastWriteTime(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return 0;
    return info.lastModified().toMSecsSinceEpoch();
}

bool CTovoDoc::open(const QString& path, Prompter& prompter)
{
    // Only a regular file of bounded size: a FIFO would block, a device never end.
    QByteArray bytes;
    QString error;
    if (!SafeFile::read(path, kMaxFileBytes, &bytes, &error)) {
        prompter.inform(QStringLiteral("Failed to open document."), kCaption, Prompter::Icon::Warning);
        return false;
    }
    m_editor->loadDocumentText(decodeFile(bytes));
    m_pathName = path;
    m_fileTime = lastWriteTime(path);
    if (!m_editor->isDocumentModified())
        m_savedText = m_editor->documentText();
    return true;
}

bool CTovoDoc::writeFile(const QString& path, const QByteArray& bytes, QString* error) const
{
    QString why;
    if (!SafeFile::replace(path, bytes, SafeFile::Access::Default, &why)) {
        if (error)
            *error = why;
        return false;
    }
    return true;
}

CTovoDoc::SaveResult CTovoDoc::save(const QString& path, int lineFormat, Prompter& prompter)
{
    const bool ownPath = m_saveAsMode || path.compare(m_pathName, Qt::CaseInsensitive) == 0;
    if (ownPath) {
        if (!askAndReplace(*m_editor, prompter, kSoftHyphen,
                           QStringLiteral("Document contains Soft hypens (SHY) characters.\n\tYes - to replace them "
                                          "with hard ones\n\tNo - to remove them\n\tCancel - to continue editing."),
                           QStringLiteral("-")))
            return SaveResult::Cancelled;
        if (!askAndReplace(*m_editor, prompter, kEllipsis,
                           QStringLiteral("Document contains Horizontal ellipsis characters.\n\tYes - to replace them "
                                          "with three dots\n\tNo - to remove them\n\tCancel - to continue editing."),
                           QStringLiteral("...")))
            return SaveResult::Cancelled;
        m_saveAsUtf8 = false;
        if (!AnsiCodePage::canHold(m_editor->documentText())) {
            const auto answer = prompter.ask(
                QStringLiteral("Document contains Unicode characters.\n\tYes - to save in UTF-8 without leading BOM\n\t"
                               "(loadable in q and Tovo, but not standard windows editors)\n\tNo - to save in ANSI and "
                               "loose them\n\t(will be replaced with ?)\n\tCancel - to continue editing."),
                // Yes keeps every character; No would lose them.
                kCaption, Prompter::Buttons::YesNoCancel, Prompter::Icon::Warning, Prompter::Answer::Yes);
            if (answer == Prompter::Answer::Cancel)
                return SaveResult::Cancelled;
            m_saveAsUtf8 = answer == Prompter::Answer::Yes;
        }
    }
    const QString text = m_editor->documentText();
    QString error;
    if (!writeFile(path, encodeFile(text, m_saveAsUtf8, lineFormat), &error)) {
        prompter.inform(QStringLiteral("Failed to save document."), kCaption, Prompter::Icon::Warning);
        return SaveResult::Failed;
    }
    if (ownPath) {
        m_pathName = path;
        m_fileTime = lastWriteTime(path);
        m_editor->setDocumentModified(false);
        m_savedText = text;
    }
    return SaveResult::Saved;
}

QString CTovoDoc::markedTitle(const QString& title)
{
    if (m_editor->isDocumentModified() && m_editor->documentText() == m_savedText)
        m_editor->setDocumentModified(false);
    QString marked = title;
    if (m_editor->isDocumentModified()) {
        if (!marked.endsWith(u'*'))
            marked += u'*';
    } else if (marked.endsWith(u'*')) {
        marked.chop(1);
    }
    return marked;
}

CTovoDoc::DiskCheck CTovoDoc::checkChangedOnDisk(Prompter& prompter)
{
    if (m_checking)
        return DiskCheck::Busy;
    if (m_pathName.isEmpty())
        return DiskCheck::Unchanged;
    const qint64 now = lastWriteTime(m_pathName);
    if (now == m_fileTime)
        return DiskCheck::Unchanged;
    m_checking = true;
    const QString text = QStringLiteral("%1\n\nThis file has been modified outside of the source editor.\n"
                                        "Do you want to reload it")
                             .arg(QDir::toNativeSeparators(m_pathName))
        + (m_editor->isDocumentModified() ? QStringLiteral(" and lose the changes made in the source editor?")
                                         : QStringLiteral("?"));
    // Reloading over changes made in the editor loses them: then No is the default.
    const auto answer = prompter.ask(text, kCaption, Prompter::Buttons::YesNo, Prompter::Icon::Question,
                                     m_editor->isDocumentModified() ? Prompter::Answer::No : Prompter::Answer::Yes);
    DiskCheck result = DiskCheck::Kept;
    if (answer == Prompter::Answer::Yes && open(m_pathName, prompter)) {
        // The reload replaces the user's text, so the document is as on disk again.
        m_editor->setDocumentModified(false);
        m_savedText = m_editor->documentText();
        result = DiskCheck::Reloaded;
    } else {
        m_fileTime = now;
    }
    m_checking = false;
    return result;
}

QString CTovoDoc::autoSaveFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
}

QString CTovoDoc::autoSaveName() const
{
    QString name = m_pathName.isEmpty() ? m_title : QFileInfo(m_pathName).fileName();
    if (name.isEmpty())
        name = QStringLiteral("Untitled");
    // Recovery lists "*.q" copies, so every copy ends that way.
    if (!name.endsWith(QStringLiteral(".q"), Qt::CaseInsensitive))
        name += QStringLiteral(".q");
    return m_autoSaveId + u'.' + name;
}

QString CTovoDoc::autoSave(const QString& folder)
{
    const QString dir = folder.isEmpty() ? autoSaveFolder() : folder;
    if (!m_editor->isDocumentModified() || !QDir().mkpath(dir))
        return QString();
    const QString path = QDir(dir).filePath(autoSaveName());
    // Always UTF-8, so that a recovered copy has every character of the text.
    if (!writeFile(path, encodeFile(m_editor->documentText(), true, 0), nullptr))
        return QString();
    return path;
}

void CTovoDoc::discardAutoSave(const QString& folder)
{
    QFile::remove(QDir(folder.isEmpty() ? autoSaveFolder() : folder).filePath(autoSaveName()));
}

QStringList CTovoDoc::recoverableFiles(const QString& folder)
{
    const QDir dir(folder.isEmpty() ? autoSaveFolder() : folder);
    QStringList out;
    for (const QString& name :
         dir.entryList({QStringLiteral("????????????????????????????????.*.q")}, QDir::Files, QDir::Name))
        out << dir.filePath(name);
    return out;
}
