// The "Go to line" box: a line number from 1 to the number of lines, with
// the numbers entered earlier in the same view offered in a drop-down.
#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;
class QLabel;
class QPushButton;

class CDlgGoToLine : public QDialog {
    Q_OBJECT
public:
    CDlgGoToLine(int lineCount, int currentLine, const QStringList& history, QWidget* parent = nullptr);

    // The chosen line, 0 while the box holds no valid number.
    int line() const;
    QComboBox* box() const { return m_box; }
    QLabel* label() const { return m_label; }
    QPushButton* okButton() const { return m_ok; }

private:
    void validate();

    int m_lineCount;
    QLabel* m_label;
    QComboBox* m_box;
    QPushButton* m_ok;
};
