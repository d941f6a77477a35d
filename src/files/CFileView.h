// The "File View" pane: the local file system as a tree (double click opens
// q scripts) and the local codebase read from a folder of it. Reading runs
// on a worker; statusWidget() shows its progress with a Cancel button and
// belongs in the window's status bar. With the dummy flag the pane holds an
// empty child named "dummy" and does nothing.
#pragma once

#include <QPointer>
#include <QStatusBar>
#include <QWidget>

class CVelShellTreeCtrl;
class LocalCodebase;
class Prompter;
class QLabel;
class QToolButton;
class SettingsStore;

class CFileView : public QWidget {
    Q_OBJECT
public:
    CFileView(SettingsStore* store, Prompter* prompter, bool dummy, QWidget* parent = nullptr);

    // Null with the dummy flag.
    CVelShellTreeCtrl* tree() const { return m_tree; }
    LocalCodebase* codebase() const { return m_codebase; }
    QWidget* statusWidget() const { return m_status; }
    // Where the status widget goes while it has something to say.
    void setStatusBar(QStatusBar* bar) { m_bar = bar; }
    QLabel* statusLabel() const { return m_statusLabel; }
    QToolButton* cancelButton() const { return m_cancel; }

    // Selects path in the tree and gives the tree the focus.
    bool showPath(const QString& path);
    // The codebase command: reads the local codebase from the tree's stored root.
    void loadCodebase();
    // Makes folder the stored root and reads it ("Pick Local..." of the files inventory).
    void loadCodebaseFrom(const QString& folder);

signals:
    void openRequested(const QString& path);
    // A whole codebase was read; the files inventory shows it next.
    void codebaseLoaded(const QString& root);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void finished(int outcome);
    void showStatus(bool show);

    SettingsStore* m_store;
    Prompter* m_prompter;
    CVelShellTreeCtrl* m_tree = nullptr;
    LocalCodebase* m_codebase;
    QPointer<QStatusBar> m_bar;
    QWidget* m_status;
    QLabel* m_statusLabel;
    QToolButton* m_cancel;
};
