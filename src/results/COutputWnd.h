// The output pane: "Console" transcript, "Table" grid and "Results" text of
// the latest append.
#pragma once

#include "results/ConsoleTranscript.h"

#include <QWidget>

#include <functional>

class QMenu;
class QPlainTextEdit;
class QTabWidget;
class QTextEdit;

class COutputWnd : public QWidget {
    Q_OBJECT
public:
    // Tab ids, in order of insertion from 1.
    enum Tab { ConsoleTab = 1, TableTab = 2, ResultsTab = 3 };

    struct Settings {
        ConsoleTranscript::Limits limits;
        int maxHighlightKChars = 4; // QMaxHighlightResultKChars
    };
    // Colours a function text in the Results view from the given position on.
    using Colourer = std::function<void(QTextEdit* view, int from)>;

    explicit COutputWnd(QWidget* parent = nullptr);

    // Settings are read at each use.
    void setSettingsSource(std::function<Settings()> source) { m_settings = std::move(source); }
    void setColourer(Colourer colourer) { m_colourer = std::move(colourer); }
    // The shown text and enabled state of a result command of the Results
    // view's menu (given its menu text); without a rule every one is enabled.
    using MenuRule = std::function<bool(const QString& menuText, QString& shownText)>;
    void setMenuRule(MenuRule rule) { m_menuRule = std::move(rule); }
    // The grid of the "Table" tab; the pane takes ownership.
    void setTableWidget(QWidget* table);

    // Appends one text and "\r\n" to the console; the Results view takes the whole text.
    void append(const QString& text);
    void clearConsole();

    // Remembers the active tab unless it is the table, then shows the table.
    void rememberAndShowTable();
    // The grid has loaded a value: the "Table" tab reads its label
    // (title + ":" + rows) and comes forward.
    void showTableLoaded(const QString& label);
    QString tableTabText() const;
    // Back to the remembered tab when the table is in front.
    void backFromTable();
    // Re-runs the Results view's function colouring (after a change of fonts and colours).
    void reapplyColouring();

    int activeTab() const;
    void activateTab(int tab);
    int rememberedTab() const { return m_remembered; }

    QString consoleText() const { return m_transcript.text(); }
    QString resultsText() const;
    QPlainTextEdit* console() const { return m_console; }
    QTextEdit* results() const { return m_results; }
    QTabWidget* tabs() const { return m_tabs; }

    // "Copy as Symbol list" of the Results view's selection.
    void copyAsSymbolList();

signals:
    // Result commands of the Results view's menu, handled by their owners.
    void resultCommand(const QString& menuText);

private:
    void colourResults();
    void showContextMenu(QWidget* view, const QPoint& pos, bool resultsView);
    // Switches tabs without moving the keyboard focus.
    void switchTab(int tab);

    std::function<Settings()> m_settings;
    Colourer m_colourer;
    MenuRule m_menuRule;
    ConsoleTranscript m_transcript;
    QTabWidget* m_tabs;
    QPlainTextEdit* m_console;
    QWidget* m_table;
    QTextEdit* m_results;
    int m_remembered = ConsoleTab;
};
