// The "Debugger" window: the call to debug with its history, the stepping
// buttons and keys, the current function's listing (q colouring, breakpoint
// and current-line backgrounds), the stack, breakpoints and local variables,
// the byte code and the execution status. It shows what its DebugController
// holds and hands every action to it; nothing here waits on the network.
#pragma once

#include "debugger/DebugTexts.h"

#include <QDialog>

#include <functional>

class CDialogFontsColors;
class CQLexer;
class DebugController;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTextEdit;
class QTreeWidget;
class QTreeWidgetItem;
class QsciScintilla;

class CDlgDebug : public QDialog {
    Q_OBJECT
public:
    CDlgDebug(DebugController& controller, const CDialogFontsColors& scheme, QWidget* parent = nullptr);
    ~CDlgDebug() override;

    // Shows a text through the main window's query runner; false when the
    // main session is closed or busy.
    void setMainRunner(std::function<bool(const QString&)> run) { m_runMain = std::move(run); }
    // Asks the "Manual context switch" name; empty when cancelled (tests replace it).
    void setFunctionAsker(std::function<QString(const QString& current)> ask) { m_askFunction = std::move(ask); }
    // Closes the debugger's session ("Close", a lost connection, a server change).
    void setSessionCloser(std::function<void()> close) { m_closeSession = std::move(close); }

    // Initialising: the call text (a selection), then Prepare when the agent
    // was never prepared, then Refresh.
    void initialise(const QString& selection);
    void applyLook();

    void prepare();
    void step(DebugTexts::Step step);
    void toggleBreakpoint();
    void showFunctionDialog();
    // "Switch to in Debugger" and "Show function...": another function's listing.
    void switchToFunction(const QString& name);
    void closeDebugger();

    QComboBox* callBox() const { return m_call; }
    QsciScintilla* source() const { return m_source; }
    QTextEdit* status() const { return m_status; }
    QTreeWidget* stackList() const { return m_stack; }
    QTreeWidget* breakpointList() const { return m_breakpoints; }
    QTreeWidget* variableList() const { return m_variables; }
    QLineEdit* instruction() const { return m_instruction; }
    QCheckBox* showDebugBox() const { return m_showDebug; }
    QCheckBox* dontInterpretBox() const { return m_dontInterpret; }
    QSpinBox* signalsBox() const { return m_signals; }
    QSpinBox* timeoutBox() const { return m_timeout; }
    QPushButton* stepIntoButton() const { return m_stepInto; }
    // Whether line is marked as the current line, or as a breakpoint.
    bool isCurrentLine(int line) const;
    bool hasBreakpointMark(int line) const;

private:
    QPushButton* button(const QString& text, std::function<void()> run);
    void showStatus(const QString& text, bool exception);
    void showState();
    void showListing();
    void showVariables();
    void stackActivated(QTreeWidgetItem* item);
    void variableActivated(QTreeWidgetItem* item);

    DebugController& m_controller;
    const CDialogFontsColors& m_scheme;
    std::function<bool(const QString&)> m_runMain;
    std::function<QString(const QString&)> m_askFunction;
    std::function<void()> m_closeSession;
    QComboBox* m_call;
    QsciScintilla* m_source;
    CQLexer* m_lexer;
    QTextEdit* m_status;
    QTreeWidget* m_stack;
    QTreeWidget* m_breakpoints;
    QTreeWidget* m_variables;
    QLineEdit* m_instruction;
    QCheckBox* m_wrap;
    QCheckBox* m_showDebug;
    QCheckBox* m_dontInterpret;
    QSpinBox* m_signals;
    QSpinBox* m_timeout;
    QPushButton* m_stepInto;
    bool m_updating = false;
};
