// "Variables Inventory" and "Functions Inventory": searchable lists of what
// the last namespace load found, kept between openings (chosen name, filters,
// sort key). "Close && Jump To" accepts with a chosen name.
#pragma once

#include "explorer/Inventory.h"

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QTimer>

#include <functional>
#include <memory>

class NamespaceModel;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QTextEdit;
class QTreeWidget;
class QTreeWidgetItem;

class CDlgInventory : public QDialog {
    Q_OBJECT
public:
    struct Look {
        QColor background = Qt::white;
        QColor marked = QColor(255, 255, 0);
        QFont font;
        std::function<void(QTextEdit*)> colour; // q colouring of the preview's text
    };

    explicit CDlgInventory(Inventory::Kind kind, QWidget* parent = nullptr);

    void setModel(std::shared_ptr<NamespaceModel> model) { m_model = std::move(model); }
    void setLook(const Look& look) { m_look = look; }
    void refill();

    QString chosenName() const { return m_chosen; }
    int sortKey() const { return m_key; }
    QLineEdit* nameFilter() const { return m_name; }
    QLineEdit* bodyFilter() const { return m_body; }
    QCheckBox* matchCase() const { return m_case; }
    QTreeWidget* list() const { return m_list; }
    QTextEdit* preview() const { return m_preview; }
    QPushButton* jumpButton() const { return m_jump; }

private:
    void edited();
    void tick();
    void rowSelected(QTreeWidgetItem* item);
    void headerClicked(int section);

    Inventory::Kind m_kind;
    std::shared_ptr<NamespaceModel> m_model;
    Look m_look;
    QString m_chosen;
    int m_key = 1;
    bool m_changed = false;
    bool m_typing = false;
    QTimer m_timer;
    QLineEdit* m_name;
    QCheckBox* m_case;
    QLineEdit* m_body = nullptr;
    QTreeWidget* m_list;
    QTextEdit* m_preview = nullptr;
    QPushButton* m_jump;
};
