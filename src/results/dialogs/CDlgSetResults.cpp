#include "results/dialogs/CDlgSetResults.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

CDlgSetResults::CDlgSetResults(QWidget* parent)
    : QDialog(parent)
    , m_edit(new QLineEdit(QStringLiteral(".tovo.test")))
{
    setObjectName(QStringLiteral("CDlgSetResults"));
    setWindowTitle(QStringLiteral("Set Results to"));
    m_edit->setMaxLength(128);
    m_edit->selectAll();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Enter variable name to set the results to")));
    layout->addWidget(m_edit);
    layout->addWidget(buttons);
    m_edit->setFocus();
}

QString CDlgSetResults::name() const { return m_edit->text(); }

QString CDlgSetResults::ask(QWidget* parent)
{
    CDlgSetResults dialog(parent);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.name();
}
