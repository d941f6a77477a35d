// The "Fonts && Colors" page of the settings dialog: a property grid of the
// five fonts and 40 colours in groups, a description area, "Keywords are
// bold", and Export, Import and Reset to Default. Choices wait in the page
// until storeControls() applies them to the live scheme (OK of the dialog).
#pragma once

#include "core/colors/CDialogFontsColors.h"

#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>

class QCheckBox;
class QLabel;
class QTreeWidget;
class QTreeWidgetItem;
class Prompter;

class CFontsColorsPage : public QWidget {
    Q_OBJECT
public:
    CFontsColorsPage(CDialogFontsColors& scheme, Prompter& prompter, QWidget* parent = nullptr);

    void loadControls();
    void storeControls();

    // What the pickers do.
    void chooseColor(int element, std::uint32_t colour);
    void chooseDefaultColor(int element);
    void chooseFont(int font, const LogFont& value);
    // Export, Import and Reset to Default with the file already chosen.
    bool exportTo(const QString& path);
    bool importFrom(const QString& path);
    void resetToDefault();

    QTreeWidget* grid() const { return m_grid; }
    QCheckBox* keywordsBold() const { return m_keywordsBold; }
    QLabel* description() const { return m_description; }
    // The colour the grid shows for an element (pending choice or live value).
    std::uint32_t shownColor(int element) const;

    // File choosers; replaced in tests.
    std::function<QString()> askExportPath;
    std::function<QString()> askImportPath;

private:
    void rebuildGrid();
    void showDescription(QTreeWidgetItem* item);
    void editItem(QTreeWidgetItem* item);
    QString fontText(const LogFont& font) const;

    CDialogFontsColors& m_scheme;
    Prompter& m_prompter;
    QTreeWidget* m_grid;
    QLabel* m_description;
    QCheckBox* m_keywordsBold;
    std::map<int, std::optional<std::uint32_t>> m_colorChoices; // nullopt: "Default"
    std::map<int, LogFont> m_fontChoices;
};
