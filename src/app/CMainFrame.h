// The main window: tabbed documents, docking panes, menus, toolbars and the
// status bar. It owns the live settings pages and the connection state the
// panes show; each pane owns its own behaviour.
#pragma once

#include "core/settings/CDlgQSettings.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

class CActionRegistry;
class CommandHandlers;
class CDialogFontsColors;
class CChildFrame;
class CConnectComboButton;
class CDocumentArea;
class CFrameStatusBar;
class CImagePane;
class COutputWnd;
class CToolBarLayout;
class CTovoApp;
class Prompter;
class QAction;
#include <QComboBox>
class QDockWidget;
class QMenu;
class QToolBar;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    // Pane control ids.
    enum PaneId {
        NamespaceExplorer = 134, ServerView = 220, Watch = 221, ResultsHistory = 222, FileView = 133,
        Output = 149, GridView = 1131, ImageView = 1132, Properties = 150
    };
    // Makes the editor view of a new or opened document; null path for a new one.
    using DocumentFactory = std::function<QWidget*(const QString& path, QString* title)>;

    CMainFrame(CTovoApp& app, Prompter& prompter);
    ~CMainFrame() override;

    CTovoApp& app() const { return m_app; }
    CDlgQSettings& qSettings() { return m_qSettings; }
    CDlgEditorSettings& editorSettings() { return m_editorSettings; }
    // The live fonts and colours, shown as the third page of the settings dialog.
    // The live scheme; the dark look brings the dark scheme with it.
    void setFontsColors(CDialogFontsColors* scheme);
    CActionRegistry& actions() { return *m_actions; }
    // Where panes, views and the session register the handlers of their commands.
    CommandHandlers& commands();
    QAction* action(int id);
    CFrameStatusBar* frameStatusBar() const { return m_statusBar; }
    COutputWnd* outputWnd() const { return m_output; }
    CImagePane* imagePane() const { return m_imagePane; }
    CDocumentArea* documentArea() const { return m_documents; }
    QDockWidget* pane(int id) const { return m_panes.value(id); }
    CConnectComboButton* connectBox() const;
    QString connectBoxText() const;
    void showOutputPane();
    QToolBar* standardToolBar() const { return m_standard; }
    QToolBar* searchToolBar() const { return m_search; }
    // The content-search box is enabled while this says so (the file view's
    // codebase is loaded); disabled without it.
    void setContentSearchAllowed(std::function<bool()> allowed)
    {
        m_contentSearchAllowed = std::move(allowed);
        updateSearchBox();
    }
    QComboBox* contentSearchBox() const { return m_searchBox; }

    // Connection state, written by the session and read by the timer.
    void setServer(const QString& serverText, const QString& serverTitle);
    QString serverText() const { return m_serverText; }
    QString serverTitle() const { return m_serverTitle; }
    // The next connection made shows in the quick-connect box in place of
    // what it holds (Connect to previous/next choose a server themselves).
    void syncConnectBoxWithNextServer();
    // The running query text; empty while no query runs.
    void setRunningQuery(const QString& query) { m_runningQuery = query; }
    // A connect is in progress (busy animation as for a query).
    void setConnecting(bool connecting) { m_connecting = connecting; }
    bool isConnecting() const { return m_connecting; }
    QString runningQuery() const { return m_runningQuery; }

    void setDocumentFactory(DocumentFactory factory) { m_documentFactory = std::move(factory); }
    CChildFrame* newDocument();
    // Opens a file as a document; null when it cannot be opened.
    CChildFrame* openDocument(const QString& path);
    // Adds a further window onto an open document (its view made by the caller).
    CChildFrame* addDocumentWindow(QWidget* view, const QString& path);
    // Reopens the documents open at the last exit; returns how many opened.
    int reopenDocuments();
    CChildFrame* activeDocument() const;
    // Moves and shrinks the shown window onto the screens of today (a stored
    // placement may come from another monitor or be corrupt).
    void fitToScreens();
    // Closes a document window unless the close query refuses.
    bool closeDocument(CChildFrame* child);
    // Asked before a document window closes; false keeps it open.
    using CloseQuery = std::function<bool(CChildFrame* child)>;
    void setCloseQuery(CloseQuery query) { m_closeQuery = std::move(query); }
    // Asked before the main window closes; false keeps it open.
    void setCloseAllQuery(std::function<bool()> query) { m_closeAllQuery = std::move(query); }
    // The recent files shown in the File menu, newest first.
    void setRecentFiles(const QStringList& paths);

    // Window placement and layout from the settings section; false when none was saved.
    bool restorePlacement();
    void storeState();

    // Opens the settings dialog; returns whether OK was pressed.
    bool showSettings();
    void toggleAsync();
    // The Async and TLS toggles show the live settings again.
    void updateToggleActions();
    void setApplicationLook(int id);
    int applicationLook() const { return m_look; }
    void toggleFullScreen();

    // One pass of the 500 ms timer; public so tests need not wait for it.
    void onTimer();
    // Caret line and column of the active view (from 1), for the position pane.
    using CaretSource = std::function<bool(QWidget* view, int* line, int* column)>;
    void setCaretSource(CaretSource source) { m_caretSource = std::move(source); }
    // Index of the first selected row of the output grid, 0 when none.
    void setGridRowSource(std::function<int()> source) { m_gridRowSource = std::move(source); }

signals:
    // After OK in the settings dialog: which of the watched values changed.
    void settingsChanged(bool serversViewChanged, bool outputChanged, bool typingDelayChanged);
    // A look change replaced the colour scheme: views recolour at once.
    void colourSchemeChanged();
    // The quick-connect box asked for a connection.
    void connectRequested(const QString& text);
    // Esc in the quick-connect box.
    void connectCancelRequested();
    // Enter in the content-search box.
    void contentSearchRequested(const QString& text);
    // A document window was added (new or opened).
    void documentAdded(CChildFrame* child);
    // Identifier commands of the source views, for the panes that act on them.
    void lookupRequested(const QString& identifier);
    void addWatchRequested(const QString& identifier);
    void quickWatchRequested(const QString& identifier);
    // A recent file was chosen in the File menu.
    void recentFileRequested(const QString& path);
    // The window is shutting down and stores its state: panes save their files.
    void shuttingDown();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createActions();
    void createMenus();
    void createToolBars();
    void createPanes();
    QWidget* makeToolBarBox(int id, QToolBar* bar);
    void fillToolBars();
    void customizeToolBars();
    // A document window for view, in the tab area, announced to documentAdded.
    CChildFrame* addChild(QWidget* view, const QString& title, const QString& path);
    QDockWidget* addPane(int id, const QString& title, QWidget* content, Qt::DockWidgetArea area);
    void updateDocumentCommands();
    void updateCaption();
    // The quick-connect box and the window title after the server text;
    // tick: from the timer, which ends the box's step-with-server mode.
    void updateServerState(bool tick);
    void updateSearchBox();
    void openHomeFolder();

    CTovoApp& m_app;
    Prompter& m_prompter;
    CDlgQSettings m_qSettings;
    CDlgEditorSettings m_editorSettings;
    CDialogFontsColors* m_scheme = nullptr;
    CActionRegistry* m_actions;
    CDocumentArea* m_documents;
    CFrameStatusBar* m_statusBar;
    COutputWnd* m_output = nullptr;
    CImagePane* m_imagePane = nullptr;
    QToolBar* m_standard = nullptr;
    QToolBar* m_search = nullptr;
    QMenu* m_windowMenu = nullptr;
    std::unique_ptr<CToolBarLayout> m_standardLayout;
    std::unique_ptr<CToolBarLayout> m_searchLayout;
    QHash<int, QDockWidget*> m_panes;
    mutable QPointer<CConnectComboButton> m_connectBox; // the latest box made
    QPointer<QComboBox> m_searchBox;
    std::function<bool()> m_contentSearchAllowed;
    QTimer m_timer;
    DocumentFactory m_documentFactory;
    CaretSource m_caretSource;
    std::function<int()> m_gridRowSource;
    CloseQuery m_closeQuery;
    std::function<bool()> m_closeAllQuery;
    QMenu* m_fileMenu = nullptr;
    QAction* m_recentSeparator = nullptr;
    QAction* m_recentEnd = nullptr;
    QList<QAction*> m_recentActions;

    QString m_serverText;
    QString m_serverTitle;
    QString m_lastTitleSource;
    QString m_frameTitle = QStringLiteral("Tovo");
    QString m_runningQuery;
    bool m_connecting = false;
    bool m_connectBoxSync = true;
    bool m_syncBoxWithNextServer = false;
    int m_look = 210;
    int m_untitled = 0;
    bool m_stateStored = false;
};
