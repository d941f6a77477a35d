#include "app/CSettingsPage.h"

#include "core/settings/CDlgQSettings.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace {
// Labels such as "<Big table> is >" are plain text, not markup.
QLabel* plainLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}
} // namespace

CSettingsPage::CSettingsPage(QWidget* parent)
    : QWidget(parent)
    , m_layout(new QVBoxLayout(this))
{
}

QFormLayout* CSettingsPage::currentForm()
{
    if (m_groupForm)
        return m_groupForm;
    if (!m_pageForm) {
        m_pageForm = new QFormLayout;
        m_layout->addLayout(m_pageForm);
    }
    return m_pageForm;
}

void CSettingsPage::beginGroup(const QString& title)
{
    auto* box = new QGroupBox(title, this);
    m_groupForm = new QFormLayout(box);
    m_layout->addWidget(box);
    m_pageForm = nullptr;
}

void CSettingsPage::endGroup() { m_groupForm = nullptr; }

void CSettingsPage::addWidget(QWidget* widget) { currentForm()->addRow(widget); }

QLineEdit* CSettingsPage::addInt(const QString& label, int* field, const char* settingName, const QString& suffix)
{
    const SettingLimits limits = settingLimits(settingName);
    auto* row = new QWidget(this);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    auto* edit = new QLineEdit(row);
    edit->setObjectName(label);
    edit->setMaximumWidth(80);
    h->addWidget(edit);
    if (!suffix.isEmpty())
        h->addWidget(new QLabel(suffix, row));
    h->addStretch();
    currentForm()->addRow(plainLabel(label, this), row);
    m_bindings.push_back({[edit, field] { edit->setText(QString::number(*field)); },
                          [edit, field] {
                              bool ok = false;
                              const int v = edit->text().trimmed().toInt(&ok);
                              if (ok)
                                  *field = v;
                          },
                          edit, limits.lo, limits.hi});
    return edit;
}

void CSettingsPage::addFlag(const QString& label, bool* field, bool visible)
{
    auto* box = new QCheckBox(label, this);
    box->setObjectName(label);
    box->setVisible(visible);
    if (visible)
        currentForm()->addRow(box);
    m_bindings.push_back({[box, field] { box->setChecked(*field); }, [box, field] { *field = box->isChecked(); }});
}

QLineEdit* CSettingsPage::addText(const QString& label, QString* field, int maxLen, bool masked, bool visible)
{
    auto* edit = new QLineEdit(this);
    edit->setObjectName(label);
    if (maxLen > 0)
        edit->setMaxLength(maxLen);
    if (masked)
        edit->setEchoMode(QLineEdit::Password);
    edit->setVisible(visible);
    if (visible)
        currentForm()->addRow(plainLabel(label, this), edit);
    m_bindings.push_back({[edit, field] { edit->setText(*field); }, [edit, field] { *field = edit->text(); }});
    return edit;
}

void CSettingsPage::addMultiLine(const QString& label, QString* field)
{
    auto* edit = new QPlainTextEdit(this);
    edit->setObjectName(label);
    edit->setMaximumHeight(70);
    currentForm()->addRow(plainLabel(label, this));
    currentForm()->addRow(edit);
    m_bindings.push_back(
        {[edit, field] { edit->setPlainText(*field); }, [edit, field] { *field = edit->toPlainText(); }});
}

void CSettingsPage::addChoice(const QString& label, int* field, const QStringList& items)
{
    auto* combo = new QComboBox(this);
    combo->setObjectName(label);
    combo->addItems(items);
    currentForm()->addRow(plainLabel(label, this), combo);
    m_bindings.push_back({[combo, field] { combo->setCurrentIndex(*field); },
                          [combo, field] { *field = std::max(0, combo->currentIndex()); }});
}

void CSettingsPage::addTextChoice(const QString& label, QString* field, const QStringList& items)
{
    auto* combo = new QComboBox(this);
    combo->setObjectName(label);
    combo->addItems(items);
    currentForm()->addRow(plainLabel(label, this), combo);
    m_bindings.push_back({[combo, field] {
                              if (combo->findText(*field) < 0)
                                  combo->addItem(*field);
                              combo->setCurrentText(*field);
                          },
                          [combo, field] { *field = combo->currentText(); }});
}

void CSettingsPage::loadControls()
{
    for (const Binding& b : m_bindings)
        b.load();
}

void CSettingsPage::storeControls()
{
    for (const Binding& b : m_bindings)
        b.store();
}

QLineEdit* CSettingsPage::firstInvalid(int* lo, int* hi) const
{
    for (const Binding& b : m_bindings) {
        if (!b.intEdit)
            continue;
        bool ok = false;
        const qlonglong v = b.intEdit->text().trimmed().toLongLong(&ok);
        if (!ok || v < b.lo || v > b.hi) {
            *lo = b.lo;
            *hi = b.hi;
            return b.intEdit;
        }
    }
    return nullptr;
}

namespace {
QColor fromColorRef(int ref)
{
    const auto v = static_cast<quint32>(ref);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

int toColorRef(const QColor& c) { return c.red() | (c.green() << 8) | (c.blue() << 16); }

void paintSwatch(QToolButton* button, int ref)
{
    QPixmap swatch(32, 14);
    swatch.fill(fromColorRef(ref));
    button->setIcon(QIcon(swatch));
    button->setProperty("colorRef", ref);
}
} // namespace

void CSettingsPage::addColour(const QString& label, int* field, int automaticValue)
{
    auto* button = new QToolButton(this);
    button->setObjectName(label);
    button->setPopupMode(QToolButton::InstantPopup);
    button->setIconSize(QSize(32, 14));
    auto* menu = new QMenu(button);
    menu->addAction(QStringLiteral("Automatic"), button, [button, automaticValue] { paintSwatch(button, automaticValue); });
    menu->addAction(QStringLiteral("More Colors..."), button, [button] {
        const QColor chosen = QColorDialog::getColor(fromColorRef(button->property("colorRef").toInt()), button);
        if (chosen.isValid())
            paintSwatch(button, toColorRef(chosen));
    });
    button->setMenu(menu);
    currentForm()->addRow(plainLabel(label, this), button);
    m_bindings.push_back({[button, field] { paintSwatch(button, *field); },
                          [button, field] { *field = button->property("colorRef").toInt(); }});
}
