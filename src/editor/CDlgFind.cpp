#include "editor/CDlgFind.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

CDlgFind::CDlgFind(QWidget* parent)
    : QDialog(parent)
    , m_withLabel(new QLabel(QStringLiteral("Re&place with:")))
    , m_what(new QLineEdit)
    , m_with(new QLineEdit)
    , m_wholeWord(new QCheckBox(QStringLiteral("Match &whole word only")))
    , m_matchCase(new QCheckBox(QStringLiteral("Match &case")))
    , m_direction(new QGroupBox(QStringLiteral("Direction")))
    , m_up(new QRadioButton(QStringLiteral("&Up")))
    , m_down(new QRadioButton(QStringLiteral("&Down")))
    , m_findNext(new QPushButton(QStringLiteral("&Find Next")))
    , m_replaceOne(new QPushButton(QStringLiteral("&Replace")))
    , m_replaceAll(new QPushButton(QStringLiteral("Replace &All")))
    , m_cancel(new QPushButton(QStringLiteral("Cancel")))
{
    setModal(false);
    auto* whatLabel = new QLabel(QStringLiteral("Fi&nd what:"));
    whatLabel->setBuddy(m_what);
    m_withLabel->setBuddy(m_with);

    auto* fields = new QGridLayout;
    fields->addWidget(whatLabel, 0, 0);
    fields->addWidget(m_what, 0, 1);
    fields->addWidget(m_withLabel, 1, 0);
    fields->addWidget(m_with, 1, 1);

    auto* directionLayout = new QHBoxLayout(m_direction);
    directionLayout->addWidget(m_up);
    directionLayout->addWidget(m_down);
    m_down->setChecked(true);

    auto* checks = new QVBoxLayout;
    checks->addWidget(m_wholeWord);
    checks->addWidget(m_matchCase);
    auto* lower = new QHBoxLayout;
    lower->addLayout(checks);
    lower->addWidget(m_direction);

    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    left->addLayout(lower);
    left->addStretch();

    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {m_findNext, m_replaceOne, m_replaceAll, m_cancel}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->addStretch();
    m_findNext->setDefault(true);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);

    connect(m_what, &QLineEdit::textChanged, this, &CDlgFind::updateButtons);
    connect(m_findNext, &QPushButton::clicked, this, &CDlgFind::findNextClicked);
    connect(m_replaceOne, &QPushButton::clicked, this, &CDlgFind::replaceClicked);
    connect(m_replaceAll, &QPushButton::clicked, this, &CDlgFind::replaceAllClicked);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::hide);
    setReplaceMode(false);
}

void CDlgFind::setReplaceMode(bool replace)
{
    m_replace = replace;
    setWindowTitle(replace ? QStringLiteral("Replace") : QStringLiteral("Find"));
    m_withLabel->setVisible(replace);
    m_with->setVisible(replace);
    m_replaceOne->setVisible(replace);
    m_replaceAll->setVisible(replace);
    m_direction->setVisible(!replace);
    updateButtons();
    adjustSize();
}

void CDlgFind::setOptions(const TextFinder::Options& options)
{
    m_what->setText(options.what);
    m_with->setText(options.with);
    m_wholeWord->setChecked(options.wholeWord);
    m_matchCase->setChecked(options.matchCase);
    (options.down ? m_down : m_up)->setChecked(true);
}

TextFinder::Options CDlgFind::options() const
{
    TextFinder::Options o;
    o.what = m_what->text();
    o.with = m_with->text();
    o.wholeWord = m_wholeWord->isChecked();
    o.matchCase = m_matchCase->isChecked();
    o.down = m_replace || m_down->isChecked();
    return o;
}

void CDlgFind::updateButtons()
{
    const bool any = !m_what->text().isEmpty();
    m_findNext->setEnabled(any);
    m_replaceOne->setEnabled(any);
    m_replaceAll->setEnabled(any);
}
