// Joins the namespace explorer and the properties pane to the main window:
// loads on a new server, after queries when QRefreshNamespace is set and on
// Refresh; a load runs on the session's worker, in turn with the user's
// queries; the properties pane's Query goes through the runner.
#pragma once

#include <QObject>

#include <memory>

class BackgroundJob;
class CClassView;
class CompletionSource;
class NamespaceCompletion;
class CMainFrame;
class CPropertiesWnd;
class CQueryLink;
class Prompter;

class CExplorerLink : public QObject {
    Q_OBJECT
public:
    CExplorerLink(CMainFrame& frame, CQueryLink& link, Prompter& prompter);
    ~CExplorerLink() override;

    CClassView* classView() const { return m_view; }
    CPropertiesWnd* properties() const { return m_properties; }
    // The loaded names, for the source views' auto-complete.
    const CompletionSource* completion() const;

    // Starts a load (one at a time; a request during a load is kept for after it).
    void requestLoad();

private:
    void startPending();

    CMainFrame& m_frame;
    CQueryLink& m_link;
    CClassView* m_view = nullptr;
    CPropertiesWnd* m_properties = nullptr;
    bool m_pending = false;
    BackgroundJob* m_job = nullptr;
    std::shared_ptr<NamespaceCompletion> m_completion;
};
