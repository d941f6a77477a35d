// "Manual context switch": the name of a function to show in the debugger.
#pragma once

#include <QDialog>

class QLineEdit;

class CDlgSwitchFunction : public QDialog {
    Q_OBJECT
public:
    explicit CDlgSwitchFunction(const QString& current, QWidget* parent = nullptr);
    QString name() const;
    QLineEdit* edit() const { return m_edit; }

private:
    QLineEdit* m_edit;
};
