// Joins the result subsystem to the main window: the grids' exports and
// binary files, the Results view's commands on the last reply, the Results
// History pane, the Results Stash dialog (made on first use), the properties
// dialog and sending values to the connected instance.
#pragma once

#include "results/history/CDlgResults.h"

#include "kdb/k.h"

#include <QObject>
#include <QPointer>

#include <functional>


class CHistoryPane;
class CMainFrame;
class COutputTable;
class CQueryLink;
class CResultCommands;
class CommandHandlers;
class FileChooser;
class Prompter;
class ResultHistory;
struct CResultInfo;

class CResultsLink : public QObject {
    Q_OBJECT
public:
    // table: the output pane's grid; gridView: the Grid View pane's.
    CResultsLink(CMainFrame& frame, CQueryLink& link, Prompter& prompter, FileChooser& files, COutputTable* table,
                 COutputTable* gridView);

    void registerCommands(CommandHandlers& handlers);
    // Further wiring every grid gets, now and when the stash's grid is made
    // (the charts of "Plot result...").
    void setGridWiring(std::function<void(COutputTable*)> wire);

    ResultHistory& history() { return *m_history; }
    CHistoryPane* historyPane() const { return m_historyPane; }
    CResultCommands& commands() { return *m_commands; }
    // Made on first use, then shown.
    CDlgResults* openStash();
    CDlgResults* stash() const { return m_stash; }

    void sendToInstance(K value);
    void showProperties(const CResultInfo& record);
    // underlying: the object a sent cell came from, else null.
    void showInGridView(K value, const CResultInfo& record, K underlying = nullptr);
    // A command of the Results view's menu, by its menu text.
    void resultCommand(const QString& text);
    void loadReplyFromBinary();

private:
    bool connected() const;
    // The commands every grid offers, with the same effect wherever it lives.
    void wireGrid(COutputTable* grid);

    CMainFrame& m_frame;
    CQueryLink& m_link;
    Prompter& m_prompter;
    FileChooser& m_files;
    COutputTable* m_table;
    COutputTable* m_gridView;
    CResultCommands* m_commands;
    ResultHistory* m_history;
    CHistoryPane* m_historyPane;
    QPointer<CDlgResults> m_stash;
    std::function<void(COutputTable*)> m_wire;
    bool m_loading = false;
    QString m_loadQuery; // the query text of a value being shown from a binary file
};
