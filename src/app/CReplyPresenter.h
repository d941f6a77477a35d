// Shows a finished run's reply: console text with its round-trip, the grid,
// the image pane and the shell, the status panes, and the refreshes after it.
#pragma once

#include "kdb/k.h"

#include <QObject>

#include <functional>
#include <memory>

class CMainFrame;
class ReplyFacts;

class CReplyPresenter : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        // Loads a grid-shaped reply into the output grid, with what was
        // found of it on the worker (may be null).
        std::function<void(K reply, const std::shared_ptr<const ReplyFacts>& facts)> showInGrid;
        // The value the output grid shows now (compared before and after a reply).
        std::function<K()> gridValue;
        std::function<void()> refreshWatches;
        std::function<void()> loadNamespaces;
        // Opens a written file with the desktop's default application.
        std::function<void(const QString& path)> openInShell;
    };

    explicit CReplyPresenter(CMainFrame& frame);
    void setHooks(Hooks hooks) { m_hooks = std::move(hooks); }

    // reply may be null (no reply); refreshAfter is the run's refresh-after
    // flag; facts, when given, were found of this reply on the worker.
    void show(K reply, qint64 elapsedMs, bool& refreshAfter, const std::shared_ptr<const ReplyFacts>& facts = {});

private:
    CMainFrame& m_frame;
    Hooks m_hooks;
};
