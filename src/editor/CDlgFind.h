// The Find and Replace boxes, modeless: they only hold the search options and
// announce the buttons; CFindReplace does the searching.
#pragma once

#include "editor/TextFinder.h"

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class CDlgFind : public QDialog {
    Q_OBJECT
public:
    explicit CDlgFind(QWidget* parent = nullptr);

    // Replace mode shows the replacement box and its buttons and no direction.
    void setReplaceMode(bool replace);
    bool replaceMode() const { return m_replace; }
    void setOptions(const TextFinder::Options& options);
    // The boxes' options; replace mode always searches downwards.
    TextFinder::Options options() const;

    QLineEdit* whatEdit() const { return m_what; }
    QLineEdit* withEdit() const { return m_with; }
    QCheckBox* wholeWordBox() const { return m_wholeWord; }
    QCheckBox* matchCaseBox() const { return m_matchCase; }
    QRadioButton* upButton() const { return m_up; }
    QRadioButton* downButton() const { return m_down; }
    QPushButton* findNextButton() const { return m_findNext; }
    QPushButton* replaceButton() const { return m_replaceOne; }
    QPushButton* replaceAllButton() const { return m_replaceAll; }
    QPushButton* cancelButton() const { return m_cancel; }

signals:
    void findNextClicked();
    void replaceClicked();
    void replaceAllClicked();

private:
    void updateButtons();

    bool m_replace = false;
    QLabel* m_withLabel;
    QLineEdit* m_what;
    QLineEdit* m_with;
    QCheckBox* m_wholeWord;
    QCheckBox* m_matchCase;
    QGroupBox* m_direction;
    QRadioButton* m_up;
    QRadioButton* m_down;
    QPushButton* m_findNext;
    QPushButton* m_replaceOne;
    QPushButton* m_replaceAll;
    QPushButton* m_cancel;
};
