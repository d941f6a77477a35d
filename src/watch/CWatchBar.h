// The watch pane: the list of watch expressions with their values on the
// active server, evaluated together in one query after queries, on demand or
// when a watch is edited. It owns its list, its file and its commands; the
// window supplies the evaluation (a session of its own, off the window's
// thread) and the query runner.
#pragma once

#include "kdb/KPtr.h"
#include "watch/WatchList.h"

#include <QColor>
#include <QWidget>

#include <functional>

class CDlgQSettings;
class CWatchListCtrl;
class FileChooser;
class Prompter;
class QMenu;
class WatchListModel;

class CWatchBar : public QWidget {
    Q_OBJECT
public:
    struct Context {
        CDlgQSettings* settings = nullptr; // live: QToggleWatches, RefreshWatchOnNewOne, rendering
        Prompter* prompter = nullptr;
        FileChooser* chooser = nullptr;
        QString defaultPath;               // Watches.cfg in the home folder
        // Sends query to server (empty: the active server) on a session of
        // its own; done(reply) follows on this thread: an error value when
        // the query or the connection failed (its text says why), null when
        // there is no server to ask.
        std::function<void(const QString& server, const QString& query, std::function<void(KPtr)> done)> evaluate;
        // "Query to output": whether the runner takes a query now, and the run.
        std::function<bool()> canRunQuery;
        std::function<void(const QString& query)> runQuery;
    };

    explicit CWatchBar(Context context, QWidget* parent = nullptr);
    ~CWatchBar() override;

    CWatchListCtrl* list() const { return m_list; }
    WatchListModel* model() const { return m_model; }
    void setColours(const QColor& inactive, const QColor& error, const QColor& changed);

    // Empty path: Watches.cfg. False (after the message) when the file cannot be opened.
    bool load(const QString& path = {});
    bool save(const QString& path = {});
    WatchList::AddResult addExpression(const QString& text);
    // Empty server: the active one. A request during an evaluation runs after it.
    void evaluate(const QString& server = {});
    bool isEvaluating() const { return m_evaluating; }
    void uncheckAll();

    // The context menu's commands, by their texts.
    QMenu* createContextMenu(QWidget* parent);
    void queryToOutput();
    void addWatch();
    void deleteSelected();
    void saveTo();
    void loadFrom();

signals:
    // An evaluation's reply was applied to the list.
    void evaluated();

private:
    void finish(const WatchList::Query& query, KPtr reply);

    Context m_context;
    WatchListModel* m_model;
    CWatchListCtrl* m_list;
    QColor m_inactive, m_error, m_changed;
    bool m_evaluating = false;
    bool m_pending = false;
    QString m_pendingServer;
};
