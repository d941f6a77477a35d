// The search-files dialog ("Search Files"): the text files of one folder that
// match a mask, filtered by path and by content, a preview with the matches
// marked, and "Close && Open File". The window keeps two: the daily query
// logs ("Query Logs") and the automatic saves ("Temp Saved Files").
#pragma once

#include "files/SearchFiles.h"

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QPointer>
#include <QTimer>

#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTextEdit;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

class CDlgViewLogs : public QDialog {
    Q_OBJECT
public:
    struct Look {
        QColor background = Qt::white;
        QColor marked = QColor(255, 255, 0);
        QFont font;
        // Colours the preview as q (the text is set already).
        std::function<void(QTextEdit*)> colour;
        // Longest text coloured, in characters.
        qsizetype colourLimit = 1024 * 1024;
    };

    explicit CDlgViewLogs(QWidget* parent = nullptr);
    ~CDlgViewLogs() override;

    void setLook(const Look& look) { m_look = look; }
    // The functions the namespace explorer knows to be defined in a file.
    void setFunctionsOf(SearchFiles::FunctionsOf functionsOf) { m_functionsOf = std::move(functionsOf); }
    // "Close && Open File" and a double click on a file hand the path over.
    void setOpenFile(std::function<void(const QString& path)> open) { m_openFile = std::move(open); }
    // A double click on a function selects its name in the namespace explorer.
    void setJumpTo(std::function<void(const QString& fullName)> jump) { m_jumpTo = std::move(jump); }
    // Tells the user of a file that could not be read (the load ends there).
    void setFailed(std::function<void(const QString& text)> failed) { m_failed = std::move(failed); }
    // The namespace explorer's load stamp: a load since the last fill empties the filters.
    void setLoadStamp(std::function<qint64()> stamp) { m_loadStamp = std::move(stamp); }

    // Empties the list and reads the folder's files matching mask off the
    // window's thread; the tree fills when they are in. title is the root's text.
    void load(const QString& title, const QString& folder, const QString& mask);
    // Selected at the next fill when listed.
    void setPendingPath(const QString& path) { m_pendingPath = path; }
    bool isLoading() const { return m_loading > 0; }

    QLineEdit* nameFilter() const { return m_nameFilter; }
    QLineEdit* bodyFilter() const { return m_bodyFilter; }
    QCheckBox* nameCase() const { return m_nameCase; }
    QCheckBox* bodyCase() const { return m_bodyCase; }
    QTreeWidget* tree() const { return m_tree; }
    QTextEdit* preview() const { return m_preview; }
    QLineEdit* selectedEdit() const { return m_selected; }
    QPushButton* openButton() const { return m_open; }
    QToolButton* nextButton() const { return m_next; }
    QToolButton* previousButton() const { return m_previous; }
    const SearchFiles::FileMap& files() const { return m_files; }

    // Fills the tree now from the files read.
    void fill();
    // The next or previous match of the body filter in the preview.
    bool findNext(bool forward);
    // A double click on an item without children: a file opens (the dialog
    // stays), a function is selected in the namespace explorer.
    void activate(QTreeWidgetItem* item);

signals:
    // The files of a load are in and the tree is filled.
    void loaded();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void filterEdited();
    void tick();
    void itemSelected(QTreeWidgetItem* item);
    void showPreview(const QString& text, const QString& highlight);

    Look m_look;
    SearchFiles::FunctionsOf m_functionsOf;
    std::function<void(const QString&)> m_openFile;
    std::function<void(const QString&)> m_jumpTo;
    std::function<void(const QString&)> m_failed;
    std::function<qint64()> m_loadStamp;
    qint64 m_fillStamp = -1;
    QString m_title;
    SearchFiles::FileMap m_files;
    QString m_selectedPath;
    QString m_selectedFunction;
    QString m_pendingPath;
    qint64 m_pendingLine = -1;
    bool m_refillPending = false;
    bool m_typed = false;
    int m_loading = 0;
    int m_loadSerial = 0;
    QTimer m_timer;

    QLineEdit* m_nameFilter;
    QCheckBox* m_nameCase;
    QLineEdit* m_bodyFilter;
    QCheckBox* m_bodyCase;
    QToolButton* m_previous;
    QToolButton* m_next;
    QTreeWidget* m_tree;
    QTextEdit* m_preview;
    QLineEdit* m_selected;
    QPushButton* m_open;
};
