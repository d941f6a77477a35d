#include "results/dialogs/CDlgResultProps.h"

#include "results/history/CResultWithInfo.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QLineEdit* field(const QString& text, const char* name)
{
    auto* edit = new QLineEdit(text);
    edit->setReadOnly(true);
    edit->setObjectName(QLatin1String(name));
    return edit;
}
} // namespace

CDlgResultProps::CDlgResultProps(const CResultInfo& record, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("CDlgResultProps"));
    setWindowTitle(QStringLiteral("Result properties"));
    setModal(true);
    setMinimumSize(480, 320);
    CResultWithInfo shown;
    shown.info = record;
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Instance:"), field(record.server, "instance"));
    form->addRow(QStringLiteral("Received:"), field(record.received, "received"));
    auto* query = new QPlainTextEdit(record.query);
    query->setReadOnly(true);
    query->setObjectName(QStringLiteral("query"));
    form->addRow(QStringLiteral("Query:"), query);
    form->addRow(QStringLiteral("Roundtrip:"), field(shown.roundtripText(), "roundtrip"));
    form->addRow(QStringLiteral("Size:"), field(shown.sizeText(), "size"));
    auto* buttons = new QDialogButtonBox;
    buttons->addButton(QStringLiteral("Close"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form, 1);
    layout->addWidget(buttons);
}
