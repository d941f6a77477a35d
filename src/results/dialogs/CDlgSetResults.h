// "Set Results to": the name of the global that a value is sent to.
#pragma once

#include <QDialog>

class QLineEdit;

class CDlgSetResults : public QDialog {
    Q_OBJECT
public:
    explicit CDlgSetResults(QWidget* parent = nullptr);

    QString name() const;
    QLineEdit* edit() const { return m_edit; }

    // Asks for a name; empty when cancelled or left empty.
    static QString ask(QWidget* parent);

private:
    QLineEdit* m_edit;
};
