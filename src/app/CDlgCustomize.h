// "Customize...": which commands stand on each toolbar and in what order.
#pragma once

#include <QDialog>
#include <QList>

#include <functional>

class CToolBarLayout;
class QComboBox;
class QListWidget;

class CDlgCustomize : public QDialog {
    Q_OBJECT
public:
    // commands: every command id that may stand on a toolbar, in menu order.
    // describe: the text and icon shown for an id (the two boxes included).
    CDlgCustomize(QList<CToolBarLayout*> layouts, QList<int> commands,
                  std::function<QPair<QString, QIcon>(int)> describe, QWidget* parent = nullptr);

    // The edited items of each toolbar, in the order of the layouts given.
    QList<QList<int>> result() const { return m_edited; }

    // Editing steps, also used by tests.
    void selectToolBar(int index);
    void addCommand(int id);
    void removeAt(int row);
    void moveUp(int row);
    void resetToolBar();
    QList<int> currentItems() const { return m_edited.value(m_current); }

private:
    void refreshItems();

    QList<CToolBarLayout*> m_layouts;
    QList<QList<int>> m_edited;
    std::function<QPair<QString, QIcon>(int)> m_describe;
    int m_current = 0;
    QComboBox* m_toolBars;
    QListWidget* m_commands;
    QListWidget* m_items;
};
