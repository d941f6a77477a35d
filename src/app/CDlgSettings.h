// The modal "Settings" sheet: "Q Settings", "Editor" and, once the editor
// supplies it, "Fonts && Colors".
#pragma once

#include <QDialog>

class CDlgEditorSettings;
class CDlgQSettings;
class CEditorSettingsPage;
class CQSettingsPage;
class CSettingsPage;
class Prompter;
class QTabWidget;

class CDlgSettings : public QDialog {
    Q_OBJECT
public:
    CDlgSettings(CDlgQSettings& q, CDlgEditorSettings& editor, Prompter& prompter, QWidget* parent = nullptr,
                 const QStringList& authMethods = {});

    QTabWidget* tabs() const { return m_tabs; }
    CQSettingsPage* qPage() const { return m_qPage; }
    CEditorSettingsPage* editorPage() const { return m_editorPage; }
    // Adds a further page after the two built in.
    void addPage(QWidget* page, const QString& title);

    // Checks the current page's limits; on a failure tells the user and
    // puts the focus on the control.
    bool validateCurrentPage();

public slots:
    void accept() override;

private:
    CSettingsPage* pageAt(int index) const;

    Prompter& m_prompter;
    QTabWidget* m_tabs;
    CQSettingsPage* m_qPage;
    CEditorSettingsPage* m_editorPage;
    int m_lastIndex = 0;
    bool m_revertingTab = false;
};
