#include "debugger/widgets/CDlgSwitchFunction.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

CDlgSwitchFunction::CDlgSwitchFunction(const QString& current, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Manual context switch"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Switch to function:")));
    m_edit = new QLineEdit(current);
    m_edit->setMaxLength(200);
    layout->addWidget(m_edit);
    auto* tip = new QLabel(QStringLiteral("TIP: You can also use context menu of Function node in Namespaces tree to switch to it in Debugger"));
    tip->setWordWrap(true);
    layout->addWidget(tip);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QString CDlgSwitchFunction::name() const
{
    return m_edit->text().trimmed();
}
