// Shows a finished run's reply: console text with its round-trip, the grid,
// the image pane and the shell, the status panes, and the refreshes after it.
#pragma once

#include "kdb/k.h"

#include <QObject>

#include <functional>

class CMainFrame;

class CReplyPresenter : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        // Loads a grid-shaped reply into the output grid.
        std::function<void(K reply)> showInGrid;
        // The value the output grid shows now (compared before and after a reply).
        std::function<K()> gridValue;
        std::function<void()> refreshWatches;
        std::function<void()> loadNamespaces;
        // Opens a written file with the desktop's default application; false
        // when none could be started. Unset: the desktop's own.
        std::function<bool(const QString& path)> openInShell;
    };

    explicit CReplyPresenter(CMainFrame& frame);
    void setHooks(Hooks hooks);

    // reply may be null (no reply); refreshAfter is the run's refresh-after flag.
    void show(K reply, qint64 elapsedMs, bool& refreshAfter);

private:
    CMainFrame& m_frame;
    Hooks m_hooks;
};
