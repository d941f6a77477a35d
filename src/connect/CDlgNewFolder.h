// The small dialog "New folder": one name.
#pragma once

#include <QDialog>

class QLineEdit;

class CDlgNewFolder : public QDialog {
    Q_OBJECT
public:
    explicit CDlgNewFolder(QWidget* parent = nullptr);
    QString folderName() const;
    QLineEdit* nameEdit() const { return m_name; }

private:
    QLineEdit* m_name;
};
