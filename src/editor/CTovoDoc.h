// A q or k script file shown in one source view: how it is read (encoding,
// line breaks), the questions before saving, the encoding of a save, the
// modified mark in the title, changes made on disk by other programs, and
// automatic saves for recovery.
#pragma once

#include <QString>

class CDocEditor;
class Prompter;

class CTovoDoc {
public:
    // Larger files are not opened as documents.
    static constexpr qint64 kMaxFileBytes = qint64(256) << 20;

    enum class SaveResult { Saved, Cancelled, Failed };
    enum class DiskCheck { Unchanged, Reloaded, Kept, Busy };

    explicit CTovoDoc(CDocEditor& editor);

    // The editor that reads and writes the text; another view of the same
    // text takes over when the first one closes.
    void setEditor(CDocEditor& editor) { m_editor = &editor; }

    QString pathName() const { return m_pathName; }
    QString title() const { return m_title; }
    void setTitle(const QString& title) { m_title = title; }
    QString savedText() const { return m_savedText; }
    qint64 fileTime() const { return m_fileTime; }
    bool saveAsUtf8() const { return m_saveAsUtf8; }
    bool saveAsMode() const { return m_saveAsMode; }
    // Set by "Save As..." and by "Save" of a document that has no path yet.
    void setSaveAsMode(bool on) { m_saveAsMode = on; }

    // Reads the file into the editor. On failure tells the user and changes nothing.
    bool open(const QString& path, Prompter& prompter);
    // The checks and questions, then the write. lineFormat: 0 CR LF, 1 LF, 2 CR.
    SaveResult save(const QString& path, int lineFormat, Prompter& prompter);

    // The title with the modified mark: "*" at the end while the text differs
    // from the saved text.
    QString markedTitle(const QString& title);

    // Asks whether to reload when the file changed on disk since the last load,
    // save or acknowledgement. Only while the CheckFS setting is on.
    DiskCheck checkChangedOnDisk(Prompter& prompter);

    // Automatic saves for recovery, in folder (the local application-data
    // folder unless given). The copy is named by 32 characters, a dot and the
    // document's file name; returns its path, or empty when nothing was written.
    QString autoSave(const QString& folder = QString());
    void discardAutoSave(const QString& folder = QString());
    QString autoSaveName() const;
    static QString autoSaveFolder();
    // Copies left by automatic saves that can be recovered.
    static QStringList recoverableFiles(const QString& folder = QString());

    // File bytes to editor text: UTF-8 (with or without byte-order mark), else
    // the ANSI code page; line breaks of any kind become "\n".
    static QString decodeFile(const QByteArray& bytes);
    // Editor text to file bytes in the chosen encoding and line-break format.
    static QByteArray encodeFile(const QString& text, bool utf8, int lineFormat);
    // The last-write time of a file, 0 when it cannot be read.
    static qint64 lastWriteTime(const QString& path);

private:
    bool writeFile(const QString& path, const QByteArray& bytes, QString* error) const;

    CDocEditor* m_editor;
    QString m_pathName;
    QString m_title;
    QString m_savedText;
    qint64 m_fileTime = 0;
    bool m_saveAsUtf8 = false;
    bool m_saveAsMode = false;
    bool m_checking = false;
    QString m_autoSaveId;
};
