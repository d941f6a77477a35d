#include "app/CDlgSettings.h"

#include "app/CEditorSettingsPage.h"
#include "app/CQSettingsPage.h"
#include "core/Prompter.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
QScrollArea* scrolled(QWidget* page)
{
    auto* area = new QScrollArea;
    area->setWidget(page);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return area;
}
} // namespace

CDlgSettings::CDlgSettings(CDlgQSettings& q, CDlgEditorSettings& editor, Prompter& prompter, QWidget* parent,
                           const QStringList& authMethods)
    : QDialog(parent)
    , m_prompter(prompter)
    , m_tabs(new QTabWidget(this))
    , m_qPage(new CQSettingsPage(q, authMethods))
    , m_editorPage(new CEditorSettingsPage(editor))
{
    setWindowTitle(QStringLiteral("Settings"));
    m_tabs->addTab(scrolled(m_qPage), QStringLiteral("Q Settings"));
    m_tabs->addTab(scrolled(m_editorPage), QStringLiteral("Editor"));
    m_qPage->loadControls();
    m_editorPage->loadControls();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CDlgSettings::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDlgSettings::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
    resize(620, 640);

    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (m_revertingTab)
            return;
        const int left = m_lastIndex;
        CSettingsPage* page = pageAt(left);
        int lo = 0, hi = 0;
        if (page && page->firstInvalid(&lo, &hi)) {
            m_revertingTab = true;
            m_tabs->setCurrentIndex(left);
            m_revertingTab = false;
            validateCurrentPage();
            return;
        }
        m_lastIndex = index;
    });
}

void CDlgSettings::addPage(QWidget* page, const QString& title) { m_tabs->addTab(page, title); }

CSettingsPage* CDlgSettings::pageAt(int index) const
{
    auto* area = qobject_cast<QScrollArea*>(m_tabs->widget(index));
    return area ? qobject_cast<CSettingsPage*>(area->widget()) : nullptr;
}

bool CDlgSettings::validateCurrentPage()
{
    CSettingsPage* page = pageAt(m_tabs->currentIndex());
    int lo = 0, hi = 0;
    QLineEdit* bad = page ? page->firstInvalid(&lo, &hi) : nullptr;
    if (!bad)
        return true;
    m_prompter.ask(QStringLiteral("Enter an integer between %1 and %2.").arg(lo).arg(hi), QStringLiteral("Tovo"),
                   Prompter::Buttons::Ok, Prompter::Icon::Warning, Prompter::Answer::Ok);
    bad->setFocus();
    bad->selectAll();
    return false;
}

void CDlgSettings::accept()
{
    // Every page is checked, the current one first.
    if (!validateCurrentPage())
        return;
    for (int i = 0; i < m_tabs->count(); ++i) {
        CSettingsPage* page = pageAt(i);
        int lo = 0, hi = 0;
        if (page && page->firstInvalid(&lo, &hi)) {
            m_revertingTab = true;
            m_tabs->setCurrentIndex(i);
            m_revertingTab = false;
            m_lastIndex = i;
            validateCurrentPage();
            return;
        }
    }
    m_qPage->storeControls();
    m_editorPage->storeControls();
    QDialog::accept();
}
