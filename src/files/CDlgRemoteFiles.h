// "Remote Files Inventory": the q files the instance's functions were loaded
// from, or a local codebase, as a tree with the files that have a
// counterpart in the other codebase marked, the functions under their files,
// a coloured preview, name and text filters, opening the local file and
// jumping to a function.
#pragma once

#include "files/CDlgViewLogs.h"
#include "files/CodebaseMatch.h"
#include "files/SearchFiles.h"

#include <QDialog>
#include <QTimer>

#include <functional>

class LocalCodebase;
class QLabel;
class QRadioButton;
class QToolButton;

class CDlgRemoteFiles : public QDialog {
    Q_OBJECT
public:
    explicit CDlgRemoteFiles(QWidget* parent = nullptr);

    void setLook(const CDlgViewLogs::Look& look) { m_look = look; }
    void setFunctionsOf(SearchFiles::FunctionsOf functionsOf) { m_functionsOf = std::move(functionsOf); }
    void setOpenFile(std::function<void(const QString&)> open) { m_openFile = std::move(open); }
    void setJumpTo(std::function<void(const QString&)> jump) { m_jumpTo = std::move(jump); }
    // Asks for a folder; empty when cancelled.
    void setPickFolder(std::function<QString()> pick) { m_pickFolder = std::move(pick); }

    // The remote codebase of a namespace load; stamp tells loads apart.
    void setRemote(SearchFiles::FileMap files, qint64 stamp);
    // Opening: "Remote", rebuilt only when the load or the local codebase changed.
    void openRemote();
    // "Show containing file": the function's file selected, caret on its line.
    void showFile(const QString& path, qint64 line, const QString& function);
    // The local codebase the file view keeps, and how to have it read a
    // folder; without them "Pick Local..." is disabled.
    void setLocalCodebase(const LocalCodebase* codebase, std::function<void(const QString&)> load);
    // "Pick Local..." with folder chosen: the dialog hides while the file
    // view reads it; localPicked follows when it is read.
    void pickLocal(const QString& folder);
    // The local codebase was read from root: shown on "Local ".
    void localPicked(const QString& root);

    void refill();
    bool showingRemote() const;
    // The next or previous match of the body filter in the preview (the
    // up/down control, F3 and Shift+F3).
    bool findNext(bool forward);
    QTreeWidget* tree() const { return m_tree; }
    QTextEdit* preview() const { return m_preview; }
    QLabel* functionsLabel() const { return m_functionsLabel; }
    QLabel* filesLabel() const { return m_filesLabel; }
    QLineEdit* matchedEdit() const { return m_matched; }
    QLineEdit* nameFilter() const { return m_nameFilter; }
    QLineEdit* bodyFilter() const { return m_bodyFilter; }
    QPushButton* openButton() const { return m_open; }
    QPushButton* jumpButton() const { return m_jump; }
    QRadioButton* localRadio() const { return m_local; }
    QRadioButton* remoteRadio() const { return m_remote; }
    QPushButton* pickButton() const { return m_pick; }
    QToolButton* nextButton() const { return m_next; }
    QToolButton* previousButton() const { return m_previous; }

signals:
    void localLoaded();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void itemSelected(QTreeWidgetItem* item);
    QString fileToOpen() const;
    void showPreview(const QString& text);

    CDlgViewLogs::Look m_look;
    SearchFiles::FunctionsOf m_functionsOf;
    std::function<void(const QString&)> m_openFile;
    std::function<void(const QString&)> m_jumpTo;
    std::function<QString()> m_pickFolder;
    SearchFiles::FileMap m_remoteFiles;
    const SearchFiles::FileMap& localFiles() const;
    const LocalCodebase* m_codebase = nullptr;
    std::function<void(const QString&)> m_loadLocal;
    QString m_localFolder;
    qint64 m_stamp = -1;
    qint64 m_builtStamp = -2;
    QString m_builtLocal;
    CodebaseMatch m_match;
    QString m_selectedPath;
    QString m_counterpart;
    QString m_jumpName;
    QString m_reselect;
    qint64 m_lineToShow = -1;
    bool m_changed = false;
    bool m_typing = false;
    QTimer m_timer;

    QRadioButton* m_local;
    QRadioButton* m_remote;
    QLineEdit* m_localPath;
    QPushButton* m_pick;
    QLineEdit* m_nameFilter;
    QCheckBox* m_nameCase;
    QLineEdit* m_bodyFilter;
    QCheckBox* m_bodyCase;
    QToolButton* m_previous;
    QToolButton* m_next;
    QTreeWidget* m_tree;
    QTextEdit* m_preview;
    QLineEdit* m_selected;
    QLineEdit* m_matched;
    QLabel* m_functionsLabel;
    QLabel* m_filesLabel;
    QPushButton* m_open;
    QPushButton* m_jump;
};
