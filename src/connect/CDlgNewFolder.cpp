#include "connect/CDlgNewFolder.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

CDlgNewFolder::CDlgNewFolder(QWidget* parent) : QDialog(parent), m_name(new QLineEdit(this))
{
    setObjectName(QStringLiteral("CDlgNewFolder"));
    setWindowTitle(QStringLiteral("New folder"));
    m_name->setObjectName(QStringLiteral("folderName"));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Folder name:"), m_name);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

QString CDlgNewFolder::folderName() const { return m_name->text(); }
