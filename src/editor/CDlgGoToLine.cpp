#include "editor/CDlgGoToLine.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CDlgGoToLine::CDlgGoToLine(int lineCount, int currentLine, const QStringList& history, QWidget* parent)
    : QDialog(parent)
    , m_lineCount(lineCount)
    , m_label(new QLabel(QStringLiteral("Line number (1 - %1):").arg(lineCount), this))
    , m_box(new QComboBox(this))
{
    setWindowTitle(QStringLiteral("Go to line"));
    m_box->setEditable(true);
    m_box->setInsertPolicy(QComboBox::NoInsert);
    m_box->lineEdit()->setMaxLength(6);
    m_box->addItems(history);
    m_box->setEditText(QString::number(currentLine));
    m_box->lineEdit()->selectAll(); // typing a number replaces the current line
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(m_box);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_box, &QComboBox::editTextChanged, this, &CDlgGoToLine::validate);
    validate();
}

int CDlgGoToLine::line() const
{
    bool ok = false;
    const int n = m_box->currentText().trimmed().toInt(&ok);
    return ok && n >= 1 && n <= m_lineCount ? n : 0;
}

void CDlgGoToLine::validate() { m_ok->setEnabled(line() > 0); }
