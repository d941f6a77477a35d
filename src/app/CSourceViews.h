// Joins the open source views to the main session: queries go to the runner
// (logged first when LogQueries is on), the critical-instance background
// follows the connection, and each view remembers the server it was used with.
#pragma once

#include <QObject>

#include <QIcon>

#include <cstdint>
#include <functional>
#include <memory>

class CChildFrame;
class CompletionSource;
class CViewPrinter;
class CMainFrame;
class CQueryLink;
class CTovoView;
class HomeFolder;
class Prompter;
class QueryLog;

class CSourceViews : public QObject {
    Q_OBJECT
public:
    CSourceViews(CMainFrame& frame, CQueryLink& link, const HomeFolder& home, Prompter& prompter,
                 QObject* parent = nullptr);
    ~CSourceViews() override;

    // What the views' auto-complete lists, with the pictures of the kinds.
    void setCompletion(const CompletionSource* source, std::function<QIcon(int)> icons)
    {
        m_completion = source;
        m_completionIcons = std::move(icons);
    }
    // Wires a new document's view; its editing commands join the window's.
    void attach(CChildFrame* child);
    // The window's commands on the active source view, wherever the focus is:
    // execute, find, go to, wrapping, highlighting, printing.
    void registerCommands(std::function<CViewPrinter&()> printer);
    // Execute Line / Execute Selection of a view: nothing without a session.
    void run(CTovoView* view, const QString& query, bool asIs);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CTovoView* activeView() const;
    // A view becoming active takes the current server, or with SwitchConnections
    // on switches the connection to its own.
    void activated(CChildFrame* child);
    void updateTooltip(CChildFrame* child);
    void applyCritical(CTovoView* view) const;

    CMainFrame& m_frame;
    CQueryLink& m_link;
    std::unique_ptr<QueryLog> m_log;
    bool m_critical = false;
    std::uint32_t m_criticalColour = 0;
    const CompletionSource* m_completion = nullptr;
    std::function<QIcon(int)> m_completionIcons;
};
