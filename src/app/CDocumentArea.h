// Tabbed documents in one or more tab groups side by side.
#pragma once

#include <QList>
#include <QWidget>

class CChildFrame;
class QMenu;
class QSplitter;
class QTabWidget;

class CDocumentArea : public QWidget {
    Q_OBJECT
public:
    explicit CDocumentArea(QWidget* parent = nullptr);

    void addDocument(CChildFrame* child);
    // Removes and deletes the document window.
    void closeDocument(CChildFrame* child);
    CChildFrame* activeDocument() const;
    void activateDocument(CChildFrame* child);
    QList<CChildFrame*> documents() const;
    int groupCount() const;
    int groupOf(CChildFrame* child) const;
    Qt::Orientation groupOrientation() const;

    // What the tab group commands may do now, for the active document.
    bool canNewGroup(Qt::Orientation orientation) const;
    bool canMoveToGroup(int step) const;
    void newGroup(Qt::Orientation orientation);
    void moveToGroup(int step);

    // The tab context menu's group items for the active document (unusable ones left out).
    void addGroupItems(QMenu& menu);

signals:
    void activeDocumentChanged(CChildFrame* child);
    void documentTitleChanged(CChildFrame* child);
    // A tab's close button or menu asked to close this document.
    void closeRequested(CChildFrame* child);
    void saveRequested(CChildFrame* child);
    // The tab context menu is being built; owners add their items (e.g. "Show in File View").
    void tabMenuAboutToShow(QMenu* menu, CChildFrame* child);

private:
    QTabWidget* createGroup();
    QTabWidget* groupAt(int index) const;
    QTabWidget* activeGroup() const;
    void removeEmptyGroups();
    void updateTab(CChildFrame* child);
    void showTabMenu(QTabWidget* group, const QPoint& pos);

    QSplitter* m_splitter;
    QTabWidget* m_activeGroup = nullptr;
};
