// "Windows...": every open document window, to activate or close.
#pragma once

#include <QDialog>

class CDocumentArea;
class QListWidget;

class CDlgWindows : public QDialog {
    Q_OBJECT
public:
    CDlgWindows(CDocumentArea& area, QWidget* parent = nullptr);

    QListWidget* list() const { return m_list; }
    void activateSelected();
    void closeSelected();

signals:
    // Closing goes through the owner so that modified documents are asked about.
    void closeRequested(class CChildFrame* child);

private:
    void refresh();

    CDocumentArea& m_area;
    QListWidget* m_list;
};
