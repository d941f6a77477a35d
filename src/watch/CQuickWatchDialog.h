// "Quick Watch": evaluates one expression on its own session and shows the
// structure of the result as a tree; a selected node shows its value as q
// text and how to reach it, as a q indexing expression (logical mode) or as
// an access path of kdb+'s C interface (physical mode).
#pragma once

#include "core/values/RenderOptions.h"
#include "kdb/KPtr.h"
#include "watch/QuickWatchHistory.h"
#include "watch/QuickWatchTree.h"

#include <QDialog>
#include <QHash>

#include <functional>
#include <memory>

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTextEdit;
class QTreeWidget;
class QTreeWidgetItem;

class CQuickWatchDialog : public QDialog {
    Q_OBJECT
public:
    // Sends the text on the dialog's session; done(reply) follows on this
    // thread: a value or a q error, or null when the connection failed.
    using Requery = std::function<void(const QString& text, std::function<void(KPtr)> done)>;
    // Colours q text of the value field from position from on.
    using Colourer = std::function<void(QTextEdit* view, int from)>;

    CQuickWatchDialog(const QString& expression, Requery requery, const RenderOptions& options,
                      QWidget* parent = nullptr);
    ~CQuickWatchDialog() override;

    void setColourer(Colourer colourer) { m_colourer = std::move(colourer); }

    void requery();
    bool isQuerying() const { return m_querying; }
    QuickWatchTree::Mode mode() const { return m_mode; }
    void setMode(QuickWatchTree::Mode mode);
    // Selects the node whose position below the root is path ({} the root, {1, 0} ...).
    bool selectPath(const QList<int>& path);

    QComboBox* expressionBox() const { return m_expression; }
    QTreeWidget* tree() const { return m_tree; }
    QTextEdit* valueView() const { return m_value; }
    QLineEdit* pathField() const { return m_path; }
    QRadioButton* physicalButton() const { return m_physical; }
    QRadioButton* logicalButton() const { return m_logical; }
    const QuickWatchHistory& history() const { return m_history; }

signals:
    // A requery's reply was shown.
    void rebuilt();

private:
    void rebuild();
    void addItems(QTreeWidgetItem* item, const QuickWatchNode& node);
    void nodeSelected();
    void syncHistory();

    Requery m_requery;
    RenderOptions m_options;
    Colourer m_colourer;
    QuickWatchHistory m_history;
    QuickWatchTree::Mode m_mode = QuickWatchTree::Mode::Physical;
    KPtr m_reply;
    std::unique_ptr<QuickWatchNode> m_root;
    QHash<QTreeWidgetItem*, const QuickWatchNode*> m_nodes;
    bool m_querying = false;

    QComboBox* m_expression;
    QPushButton* m_requeryButton;
    QRadioButton* m_physical;
    QRadioButton* m_logical;
    QTreeWidget* m_tree;
    QTextEdit* m_value;
    QLineEdit* m_path;
};
