// A page of the settings dialog: controls bound to fields of a live settings
// object. Values move into the controls with loadControls() and back with
// storeControls(); validate() checks the integer limits.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <vector>

class QFormLayout;
class QGroupBox;
class QLineEdit;
class QVBoxLayout;

class CSettingsPage : public QWidget {
    Q_OBJECT
public:
    explicit CSettingsPage(QWidget* parent = nullptr);

    void loadControls();
    void storeControls();
    // The first integer control whose text is not a number within its limits;
    // null when all are valid. lo and hi receive that control's limits.
    QLineEdit* firstInvalid(int* lo, int* hi) const;

protected:
    // Starts a titled group; controls added afterwards go into it.
    void beginGroup(const QString& title);
    void endGroup();
    // Limits come from the setting's entry in the settings table.
    QLineEdit* addInt(const QString& label, int* field, const char* settingName, const QString& suffix = QString());
    void addFlag(const QString& label, bool* field, bool visible = true);
    QLineEdit* addText(const QString& label, QString* field, int maxLen, bool masked = false, bool visible = true);
    void addMultiLine(const QString& label, QString* field);
    void addChoice(const QString& label, int* field, const QStringList& items);
    void addTextChoice(const QString& label, QString* field, const QStringList& items);
    // A colour reference (0x00BBGGRR) with an "Automatic" entry that stands for automaticValue.
    void addColour(const QString& label, int* field, int automaticValue);
    void addWidget(QWidget* widget);

private:
    struct Binding {
        std::function<void()> load;
        std::function<void()> store;
        QLineEdit* intEdit = nullptr;
        int lo = 0;
        int hi = 0;
    };
    QFormLayout* currentForm();

    QVBoxLayout* m_layout;
    QFormLayout* m_pageForm = nullptr;
    QFormLayout* m_groupForm = nullptr;
    std::vector<Binding> m_bindings;
};
