#include "editor/CFontsColorsPage.h"

#include "core/Prompter.h"
#include "editor/FontConv.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
using E = CDialogFontsColors;

constexpr int kKindRole = Qt::UserRole;
constexpr int kIndexRole = Qt::UserRole + 1;
enum Kind { FontKind = 1, ColorKind = 2 };

const char* const kGroups[] = {"Fonts", "Colors - Table", "Colors - Watch", "Colors - Debugger", "Colors - Syntax"};

QIcon swatch(std::uint32_t ref)
{
    QPixmap pm(16, 12);
    pm.fill(FontConv::toQColor(ref));
    QPainter p(&pm);
    p.setPen(Qt::black);
    p.drawRect(0, 0, 15, 11);
    return QIcon(pm);
}

QString hexText(std::uint32_t ref) { return FontConv::toQColor(ref).name(); }
} // namespace

CFontsColorsPage::CFontsColorsPage(CDialogFontsColors& scheme, Prompter& prompter, QWidget* parent)
    : QWidget(parent)
    , m_scheme(scheme)
    , m_prompter(prompter)
    , m_grid(new QTreeWidget(this))
    , m_description(new QLabel(this))
    , m_keywordsBold(new QCheckBox(QStringLiteral("Keywords are bold"), this))
{
    m_grid->setColumnCount(2);
    m_grid->setHeaderLabels({QStringLiteral("Property"), QStringLiteral("Value")});
    m_grid->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_grid->setRootIsDecorated(true);
    m_description->setWordWrap(true);
    m_description->setMinimumHeight(40);
    m_description->setFrameShape(QFrame::StyledPanel);

    auto* exportButton = new QPushButton(QStringLiteral("Export..."), this);
    auto* importButton = new QPushButton(QStringLiteral("Import..."), this);
    auto* resetButton = new QPushButton(QStringLiteral("Reset to Default"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_keywordsBold);
    buttons->addStretch();
    buttons->addWidget(exportButton);
    buttons->addWidget(importButton);
    buttons->addWidget(resetButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_grid, 1);
    layout->addWidget(m_description);
    layout->addLayout(buttons);

    askExportPath = [this] {
        return QFileDialog::getSaveFileName(this, QStringLiteral("Export"), QString(),
                                            QStringLiteral("Text files (*.txt);;All files (*.*)"));
    };
    askImportPath = [this] {
        return QFileDialog::getOpenFileName(this, QStringLiteral("Import"), QString(),
                                            QStringLiteral("Text files (*.txt);;All files (*.*)"));
    };
    connect(exportButton, &QPushButton::clicked, this, [this] {
        const QString path = askExportPath();
        if (!path.isEmpty())
            exportTo(path);
    });
    connect(importButton, &QPushButton::clicked, this, [this] {
        const QString path = askImportPath();
        if (!path.isEmpty())
            importFrom(path);
    });
    connect(resetButton, &QPushButton::clicked, this, &CFontsColorsPage::resetToDefault);
    connect(m_grid, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item, QTreeWidgetItem*) { showDescription(item); });
    connect(m_grid, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item, int) { editItem(item); });
    loadControls();
}

QString CFontsColorsPage::fontText(const LogFont& font) const
{
    const QFont f = FontConv::toQFont(font);
    return QStringLiteral("%1, %2pt").arg(font.faceName).arg(qRound(f.pointSizeF()));
}

std::uint32_t CFontsColorsPage::shownColor(int element) const
{
    const auto it = m_colorChoices.find(element);
    if (it == m_colorChoices.end())
        return m_scheme.color(element);
    return it->second ? *it->second : E::defaultColor(element);
}

void CFontsColorsPage::rebuildGrid()
{
    m_grid->clear();
    QTreeWidgetItem* groups[5];
    for (int g = 0; g < 5; ++g) {
        groups[g] = new QTreeWidgetItem(m_grid, {QString::fromLatin1(kGroups[g])});
        groups[g]->setFirstColumnSpanned(true);
        QFont bold = groups[g]->font(0);
        bold.setBold(true);
        groups[g]->setFont(0, bold);
    }
    for (int f = 0; f < E::FontCount; ++f) {
        const auto it = m_fontChoices.find(f);
        const LogFont& font = it != m_fontChoices.end() ? it->second : m_scheme.font(f);
        auto* item = new QTreeWidgetItem(groups[0], {E::fontName(f), fontText(font)});
        item->setData(0, kKindRole, FontKind);
        item->setData(0, kIndexRole, f);
    }
    for (int e = 0; e < E::ElementCount; ++e) {
        int g = 1;
        while (g < 5 && E::elementGroup(e) != QLatin1StringView(kGroups[g]))
            ++g;
        const std::uint32_t shown = shownColor(e);
        auto* item = new QTreeWidgetItem(groups[std::min(g, 4)], {E::elementName(e), hexText(shown)});
        item->setIcon(1, swatch(shown));
        item->setData(0, kKindRole, ColorKind);
        item->setData(0, kIndexRole, e);
    }
    m_grid->expandAll();
}

void CFontsColorsPage::showDescription(QTreeWidgetItem* item)
{
    if (!item || !item->data(0, kKindRole).isValid()) {
        m_description->clear();
        return;
    }
    const int index = item->data(0, kIndexRole).toInt();
    const bool isFont = item->data(0, kKindRole).toInt() == FontKind;
    const QString name = isFont ? E::fontName(index) : E::elementName(index);
    const QString text = isFont ? E::fontDescription(index) : QStringLiteral("Specifies the ") + name + QStringLiteral(" color");
    m_description->setText(QStringLiteral("<b>%1</b><br>%2").arg(name.toHtmlEscaped(), text.toHtmlEscaped()));
}

void CFontsColorsPage::editItem(QTreeWidgetItem* item)
{
    if (!item || !item->data(0, kKindRole).isValid())
        return;
    const int index = item->data(0, kIndexRole).toInt();
    if (item->data(0, kKindRole).toInt() == FontKind) {
        bool ok = false;
        const QFont chosen = QFontDialog::getFont(&ok, FontConv::toQFont(m_scheme.font(index)), this);
        if (ok)
            chooseFont(index, FontConv::fromQFont(chosen, m_scheme.font(index)));
        return;
    }
    QMenu menu(this);
    QAction* byDefault = menu.addAction(swatch(E::defaultColor(index)), QStringLiteral("Default"));
    QAction* other = menu.addAction(QStringLiteral("Other..."));
    QAction* picked = menu.exec(QCursor::pos());
    if (picked == byDefault) {
        chooseDefaultColor(index);
    } else if (picked == other) {
        const QColor c = QColorDialog::getColor(FontConv::toQColor(shownColor(index)), this);
        if (c.isValid())
            chooseColor(index, FontConv::fromQColor(c));
    }
}

void CFontsColorsPage::loadControls()
{
    m_colorChoices.clear();
    m_fontChoices.clear();
    m_keywordsBold->setChecked(m_scheme.keywordsAreBold());
    rebuildGrid();
}

void CFontsColorsPage::storeControls()
{
    bool changed = m_keywordsBold->isChecked() != m_scheme.keywordsAreBold();
    m_scheme.setKeywordsAreBold(m_keywordsBold->isChecked());
    for (const auto& [font, value] : m_fontChoices) {
        changed = changed || !(m_scheme.font(font) == value);
        m_scheme.setFont(font, value);
    }
    for (const auto& [element, choice] : m_colorChoices) {
        const std::uint32_t value = choice ? *choice : E::defaultColor(element);
        changed = changed || m_scheme.color(element) != value;
        m_scheme.setColor(element, value);
    }
    if (changed)
        m_scheme.setModified(true);
    m_colorChoices.clear();
    m_fontChoices.clear();
}

void CFontsColorsPage::chooseColor(int element, std::uint32_t colour)
{
    m_colorChoices[element] = colour & 0xFFFFFF;
    rebuildGrid();
}

void CFontsColorsPage::chooseDefaultColor(int element)
{
    m_colorChoices[element] = std::nullopt;
    rebuildGrid();
}

void CFontsColorsPage::chooseFont(int font, const LogFont& value)
{
    m_fontChoices[font] = value;
    rebuildGrid();
}

bool CFontsColorsPage::exportTo(const QString& path)
{
    // The colours as the grid shows them, choices not yet applied included.
    CDialogFontsColors shown = m_scheme;
    for (int e = 0; e < E::ElementCount; ++e)
        shown.setColor(e, shownColor(e));
    QString error;
    if (shown.exportToFile(path, &error))
        return true;
    m_prompter.inform(error, QStringLiteral("Tovo"), Prompter::Icon::Warning);
    return false;
}

bool CFontsColorsPage::importFrom(const QString& path)
{
    QString error;
    if (!m_scheme.importFromFile(path, &error)) {
        m_prompter.inform(error, QStringLiteral("Tovo"), Prompter::Icon::Warning);
        return false;
    }
    m_colorChoices.clear();
    rebuildGrid();
    return true;
}

void CFontsColorsPage::resetToDefault()
{
    if (!m_scheme.resetToDefault(m_prompter))
        return;
    m_colorChoices.clear();
    rebuildGrid();
}
