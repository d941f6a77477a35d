// A file chooser for tests: answers each request with the next planned file
// name (empty = the user cancelled) and records the captions asked.
#pragma once

#include "core/FileChooser.h"

#include <QStringList>
#include <QTest>

class ScriptedFileChooser : public FileChooser {
public:
    void plan(const QString& answer) { m_answers.append(answer); }
    int pending() const { return m_answers.size(); }
    const QStringList& asked() const { return m_asked; }
    QString lastSuggested() const { return m_suggested; }

    QString openFileName(const QString& caption, const QString&) override { return next(caption); }
    QString saveFileName(const QString& caption, const QString&, const QString& suggested) override
    {
        m_suggested = suggested;
        return next(caption);
    }
    QString folderName(const QString& caption) override { return next(caption); }

private:
    QString next(const QString& caption)
    {
        m_asked.append(caption);
        if (m_answers.isEmpty()) {
            QTest::qFail(qPrintable(QStringLiteral("unplanned file dialog: ") + caption), __FILE__, __LINE__);
            return QString();
        }
        return m_answers.takeFirst();
    }

    QStringList m_answers;
    QStringList m_asked;
    QString m_suggested;
};
