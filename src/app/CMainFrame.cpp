#include "app/CMainFrame.h"

#include "app/ApplicationLook.h"
#include "core/colors/ColorSchemePresets.h"
#include "app/CActionRegistry.h"
#include "app/CChildFrame.h"
#include "app/CConnectComboButton.h"
#include "app/CDlgSettings.h"
#include "core/colors/CDialogFontsColors.h"
#include "editor/CFontsColorsPage.h"
#include "app/CDlgWindows.h"
#include "app/CDocumentArea.h"
#include "app/CDlgCustomize.h"
#include "app/CFrameStatusBar.h"
#include "app/CToolBarLayout.h"
#include "app/CTovoApp.h"
#include "app/CommandIcons.h"
#include "app/CommandIds.h"
#include "app/FrameTitle.h"
#include "app/TextControlCommands.h"
#include "core/Prompter.h"
#include "core/WindowGeometry.h"
#include "core/files/SafeFile.h"
#include "core/settings/KeptSettings.h"
#include "core/settings/SettingsStore.h"
#include "results/CImagePane.h"
#include "results/COutputWnd.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QScreen>
#include <QMenuBar>
#include <QToolBar>
#include <QUrl>

namespace {
const QString kGeometry = QStringLiteral("Geometry");
const QString kWindowState = QStringLiteral("WindowState");
const QString kOpenDocuments = QStringLiteral("OpenDocuments");
} // namespace

CMainFrame::CMainFrame(CTovoApp& app, Prompter& prompter)
    : m_app(app)
    , m_prompter(prompter)
    , m_actions(new CActionRegistry(this))
    , m_documents(new CDocumentArea(this))
    , m_statusBar(new CFrameStatusBar(this))
{
    setObjectName(QStringLiteral("CMainFrame"));
    m_qSettings.asyncAllowed = app.commandLine().async();
    m_qSettings.load(app.store());
    m_editorSettings.load(app.store());
    // With no stored look (a first start) the desktop's light or dark preference decides.
    const QString lookKey = QString::fromLatin1(kept::ApplicationLook.name);
    m_look = app.store().contains(lookKey)
                 ? app.store().readInt(lookKey, kept::ApplicationLook.def)
                 : ApplicationLook::firstStartLook(ApplicationLook::desktopPrefersDark(), kept::ApplicationLook.def);
    if (auto* application = qobject_cast<QApplication*>(QCoreApplication::instance()))
        ApplicationLook::apply(*application, m_look);

    setCentralWidget(m_documents);
    setStatusBar(m_statusBar);
    setDockOptions(AnimatedDocks | AllowTabbedDocks | AllowNestedDocks);
    createActions();
    createMenus();
    createToolBars();
    createPanes();
    updateToggleActions();

    connect(m_documents, &CDocumentArea::activeDocumentChanged, this, [this] {
        updateDocumentCommands();
        updateCaption();
        m_actions->updateCommands();
    });
    connect(m_documents, &CDocumentArea::documentTitleChanged, this, [this](CChildFrame* child) {
        if (child == activeDocument())
            updateCaption();
    });
    connect(m_documents, &CDocumentArea::closeRequested, this, [this](CChildFrame* child) { closeDocument(child); });
    connect(m_documents, &CDocumentArea::tabMenuAboutToShow, this, [this](QMenu* menu, CChildFrame*) {
        if (!m_app.commandLine().dummyFileView())
            menu->addAction(action(cmd::ShowInFileView));
    });
    updateDocumentCommands();
    updateCaption();
    resize(1200, 800);

    m_timer.setObjectName(QStringLiteral("frameTimer"));
    m_timer.setParent(this);
    m_timer.setInterval(500);
    connect(&m_timer, &QTimer::timeout, this, &CMainFrame::onTimer);
    m_timer.start();
}

CMainFrame::~CMainFrame()
{
    // The document windows go first, while the tab area and the panes that
    // follow their titles are whole: a closing window retitles the document's
    // other windows.
    m_timer.stop();
    // They are deleted here, not later: their views read the colour scheme,
    // which goes with the frame.
    for (CChildFrame* child : m_documents->documents()) {
        m_documents->closeDocument(child);
        delete child;
    }
}

QAction* CMainFrame::action(int id) { return m_actions->action(id); }

CommandHandlers& CMainFrame::commands() { return *m_actions; }

void CMainFrame::createActions()
{
    using Scope = CommandHandlers::Scope;
    CommandHandlers& handlers = commands();
    const auto always = CommandHandlers::Rule();
    handlers.addHandler(cmd::FileNew, this, Scope::Window, [this] { newDocument(); });
    handlers.addHandler(cmd::FileClose, this, Scope::Window,
                        [this] { if (CChildFrame* c = activeDocument()) closeDocument(c); },
                        [this] { return activeDocument() != nullptr; });
    handlers.addHandler(cmd::AppExit, this, Scope::Window, [this] { close(); });
    handlers.addHandler(cmd::Settings, this, Scope::Window, [this] { showSettings(); });
    handlers.addHandler(cmd::Async, this, Scope::Window, [this] { toggleAsync(); },
                        [this] { return m_qSettings.asyncAllowed; }, [this] { return bool(m_qSettings.AsyncQuerying); });
    handlers.addHandler(cmd::FullScreen, this, Scope::Window, [this] { toggleFullScreen(); }, always,
                        [this] { return isFullScreen(); });
    handlers.addHandler(cmd::OpenHomeFolder, this, Scope::Window, [this] { openHomeFolder(); });
    handlers.addHandler(cmd::ViewStatusBar, this, Scope::Window,
                        [this] { m_statusBar->setVisible(m_statusBar->isHidden()); }, always,
                        [this] { return !m_statusBar->isHidden(); });
    handlers.addHandler(cmd::NewHorizontalTabGroup, this, Scope::Window, [this] { m_documents->newGroup(Qt::Vertical); },
                        [this] { return m_documents->canNewGroup(Qt::Vertical); });
    handlers.addHandler(cmd::NewVerticalTabGroup, this, Scope::Window, [this] { m_documents->newGroup(Qt::Horizontal); },
                        [this] { return m_documents->canNewGroup(Qt::Horizontal); });
    handlers.addHandler(cmd::MoveToNextTabGroup, this, Scope::Window, [this] { m_documents->moveToGroup(1); },
                        [this] { return m_documents->canMoveToGroup(1); });
    handlers.addHandler(cmd::MoveToPreviousTabGroup, this, Scope::Window, [this] { m_documents->moveToGroup(-1); },
                        [this] { return m_documents->canMoveToGroup(-1); });
    handlers.addHandler(cmd::Windows, this, Scope::Window, [this] {
        CDlgWindows dialog(*m_documents, this);
        connect(&dialog, &CDlgWindows::closeRequested, m_documents, &CDocumentArea::closeRequested);
        dialog.exec();
    }, [this] { return activeDocument() != nullptr; });
    handlers.addHandler(cmd::AppAbout, this, Scope::Window, [this] {
        m_prompter.inform(QStringLiteral("Tovo version %1\nA development environment for q and kdb+.")
                              .arg(QCoreApplication::applicationVersion()),
                          QStringLiteral("About Tovo"));
    });
    handlers.addHandler(cmd::Customize, this, Scope::Window, [this] { customizeToolBars(); });
    TextControlCommands::add(handlers, this);

    for (int id : {cmd::Async, cmd::Tls, cmd::FullScreen, cmd::ViewStatusBar, cmd::Connected, cmd::LineWrapping,
                   cmd::SyntaxHighlight})
        action(id)->setCheckable(true);
    // Every command of the table has its action from the start: those nobody handles show disabled.
    for (int id : CActionRegistry::allCommands())
        action(id);
}

void CMainFrame::createMenus()
{
    QMenuBar* bar = menuBar();
    auto fill = [this](QMenu* menu, std::initializer_list<int> ids) {
        for (int id : ids) {
            if (id == 0)
                menu->addSeparator();
            else
                menu->addAction(action(id));
        }
    };
    m_fileMenu = bar->addMenu(QStringLiteral("&File"));
    fill(m_fileMenu,
         {cmd::FileNew, cmd::FileOpen, cmd::FileClose, cmd::FileSave, cmd::FileSaveAs, 0, cmd::ExportToExcel,
          cmd::OpenHomeFolder, cmd::ImportServers, cmd::ViewSearchLogs, cmd::RecoverTempFiles, 0, cmd::FilePrint, cmd::FilePrintPreview,
          cmd::FilePrintSetup});
    m_recentSeparator = m_fileMenu->addSeparator();
    m_recentSeparator->setVisible(false);
    m_recentEnd = m_fileMenu->addSeparator();
    m_fileMenu->addAction(action(cmd::AppExit));
    fill(bar->addMenu(QStringLiteral("&Edit")),
         {cmd::EditRedo, cmd::EditUndo, 0, cmd::EditCut, cmd::EditCopy, cmd::EditPaste, cmd::EditPasteSpecial,
          cmd::EditSelectAll, 0, cmd::EditFind, cmd::EditFindNext, cmd::EditReplace, cmd::GoToLine,
          cmd::GoToMatchingBracket, cmd::GoToDefinition, cmd::NavigateBackward, cmd::AutoComplete});
    fill(bar->addMenu(QStringLiteral("&Q")),
         {cmd::ExecuteLine, cmd::ExecuteSelection, cmd::Stop, cmd::QuickWatch, 0, cmd::ConnectToServer, cmd::Settings,
          cmd::Connected, cmd::Tls, cmd::Async, cmd::ConnectPrevious, cmd::ConnectNext, 0, cmd::TestSubscription,
          cmd::Debugger, cmd::VariablesInventory, cmd::FunctionsInventory, cmd::RemoteFilesInventory,
          cmd::ResultsStash});

    QMenu* view = bar->addMenu(QStringLiteral("&View"));
    QMenu* bars = view->addMenu(QStringLiteral("&Toolbars and Docking Windows"));
    connect(bars, &QMenu::aboutToShow, this, [this, bars] {
        bars->clear();
        if (QMenu* popup = createPopupMenu()) {
            bars->addActions(popup->actions());
            popup->setParent(bars);
        }
        bars->addSeparator();
        bars->addAction(action(cmd::Customize));
    });
    view->addAction(action(cmd::ViewStatusBar));
    QMenu* looks = view->addMenu(QStringLiteral("&Application Look"));
    auto* lookGroup = new QActionGroup(this);
    auto addLook = [this, lookGroup](QMenu* menu, int id) {
        QAction* a = action(id);
        a->setCheckable(true);
        a->setChecked(ApplicationLook::resolve(m_look) == id);
        lookGroup->addAction(a);
        menu->addAction(a);
        commands().addHandler(id, this, CommandHandlers::Scope::Window, [this, id] { setApplicationLook(id); }, {},
                              [this, id] { return ApplicationLook::resolve(m_look) == id; });
    };
    for (int id : {cmd::LookWindows2000, cmd::LookOfficeXP, cmd::LookWindowsXP, cmd::LookOffice2003, cmd::LookVS2005,
                   cmd::LookVS2008})
        addLook(looks, id);
    QMenu* office2007 = looks->addMenu(QStringLiteral("Office 200&7"));
    for (int id : {cmd::LookBlue, cmd::LookBlack, cmd::LookSilver, cmd::LookAqua})
        addLook(office2007, id);
    addLook(looks, cmd::LookWindows7);
    addLook(looks, cmd::LookDark);
    fill(view, {cmd::FullScreen, cmd::LineWrapping, cmd::ChartGrid, cmd::GridFilterRow, cmd::SyntaxHighlight});

    m_windowMenu = bar->addMenu(QStringLiteral("&Window"));
    fill(m_windowMenu, {cmd::WindowNew, 0, cmd::Windows});
    fill(bar->addMenu(QStringLiteral("&Help")), {cmd::AppAbout, 0, cmd::StartDemo, cmd::QHelp});
    // A menu shows the states of the moment it opens.
    for (QMenu* menu : bar->findChildren<QMenu*>())
        connect(menu, &QMenu::aboutToShow, m_actions, &CActionRegistry::updateCommands);
}

void CMainFrame::createToolBars()
{
    for (int id : m_actions->ids())
        if (action(id)->icon().isNull() && CommandIcons::has(id))
            action(id)->setIcon(CommandIcons::deferred(id));
    const int sep = CToolBarLayout::Separator;
    m_standardLayout = std::make_unique<CToolBarLayout>(
        QStringLiteral("Standard"),
        QList<int>{cmd::FileNew, cmd::FileOpen, cmd::FileSave, sep, cmd::EditCut, cmd::EditCopy, cmd::EditPaste, sep,
                   cmd::EditUndo, cmd::EditRedo, sep, cmd::FilePrint, sep, cmd::ConnectPrevious, cmd::ConnectNext,
                   cmd::ConnectToServer, cmd::Connected, cmd::Tls, sep, cmd::ExecuteLine, cmd::ExecuteSelection, cmd::Stop, sep,
                   cmd::TestSubscription, sep, cmd::ChartGrid, cmd::ExportToExcel, sep, cmd::LineWrapping,
                   cmd::SyntaxHighlight, sep, cmd::Settings, cmd::AppAbout});
    m_searchLayout = std::make_unique<CToolBarLayout>(
        QStringLiteral("Search"),
        QList<int>{cmd::Refresh, sep, cmd::RemoteFilesInventory, cmd::VariablesInventory, cmd::FunctionsInventory, sep,
                   cmd::FileFilter, cmd::ContentSearch, cmd::ExecuteSelection});
    m_standard = addToolBar(QStringLiteral("Standard"));
    m_standard->setObjectName(QStringLiteral("StandardToolBar"));
    // The two toolbars together are wider than a usual window: Search starts a second row.
    addToolBarBreak();
    m_search = addToolBar(QStringLiteral("Search"));
    m_search->setObjectName(QStringLiteral("SearchToolBar"));
    for (QToolBar* bar : {m_standard, m_search}) {
        bar->setIconSize(QSize(20, 20));
        bar->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(bar, &QWidget::customContextMenuRequested, this, [this, bar](const QPoint& pos) {
            QMenu menu(this);
            menu.addAction(action(cmd::Customize));
            menu.exec(bar->mapToGlobal(pos));
        });
    }
    const auto isCommand = [](int id) { return id == cmd::ContentSearch || CActionRegistry::isCommand(id); };
    m_standardLayout->load(m_app.store(), isCommand);
    m_searchLayout->load(m_app.store(), isCommand);
    fillToolBars();
}

QWidget* CMainFrame::makeToolBarBox(int id, QToolBar* bar)
{
    if (id == cmd::ConnectToServer) {
        auto* box = new CConnectComboButton(bar);
        m_connectBox = box;
        connect(box, &CConnectComboButton::connectRequested, this, &CMainFrame::connectRequested);
        connect(box, &CConnectComboButton::cancelRequested, this, &CMainFrame::connectCancelRequested);
        m_connectBoxSync = true;
        return box;
    }
    if (id == cmd::ContentSearch) {
        auto* search = new QComboBox(bar);
        search->setObjectName(QStringLiteral("CComboSearchButton"));
        search->setEditable(true);
        search->setFixedWidth(300);
        search->lineEdit()->setPlaceholderText(QStringLiteral("Enter substring to search codebase for..."));
        m_searchBox = search;
        updateSearchBox();
        connect(search->lineEdit(), &QLineEdit::returnPressed, this,
                [this, search] { emit contentSearchRequested(search->currentText()); });
        return search;
    }
    return nullptr;
}

void CMainFrame::fillToolBars()
{
    const auto actionFor = [this](int id) { return action(id); };
    const auto box = [this](int id, QToolBar* bar) { return makeToolBarBox(id, bar); };
    m_standardLayout->fill(m_standard, actionFor, box);
    m_searchLayout->fill(m_search, actionFor, box);
}

void CMainFrame::customizeToolBars()
{
    QList<int> commands;
    for (int id : CActionRegistry::allCommands())
        if (id != cmd::Customize && id != cmd::ConnectToServer && (id < cmd::LookWindows2000 || id > cmd::LookDark))
            commands.append(id);
    commands.prepend(cmd::ContentSearch);
    commands.prepend(cmd::ConnectToServer);
    CDlgCustomize dialog({m_standardLayout.get(), m_searchLayout.get()}, commands,
                         [this](int id) -> QPair<QString, QIcon> {
                             if (id == CToolBarLayout::Separator)
                                 return {QStringLiteral("Separator"), QIcon()};
                             if (id == cmd::ConnectToServer)
                                 return {QStringLiteral("Quick-connect box"), QIcon()};
                             if (id == cmd::ContentSearch)
                                 return {QStringLiteral("Content search box"), QIcon()};
                             return {action(id)->text().remove(u'&'), action(id)->icon()};
                         },
                         this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QList<QList<int>> edited = dialog.result();
    m_standardLayout->setItems(edited.value(0));
    m_searchLayout->setItems(edited.value(1));
    m_standardLayout->save(m_app.store());
    m_searchLayout->save(m_app.store());
    fillToolBars();
}

QDockWidget* CMainFrame::addPane(int id, const QString& title, QWidget* content, Qt::DockWidgetArea area)
{
    auto* dock = new QDockWidget(title, this);
    dock->setObjectName(QStringLiteral("pane%1").arg(id));
    content->setMinimumSize(100, 100);
    dock->setWidget(content);
    addDockWidget(area, dock);
    m_panes.insert(id, dock);
    return dock;
}

void CMainFrame::createPanes()
{
    auto placeholder = [] { return new QWidget; };
    QDockWidget* ns = addPane(NamespaceExplorer, QStringLiteral("Namespace Explorer"), placeholder(), Qt::LeftDockWidgetArea);
    QDockWidget* servers = addPane(ServerView, QStringLiteral("Server View"), placeholder(), Qt::LeftDockWidgetArea);
    QDockWidget* watch = addPane(Watch, QStringLiteral("Watch"), placeholder(), Qt::BottomDockWidgetArea);
    QDockWidget* history = addPane(ResultsHistory, QStringLiteral("Results History"), placeholder(), Qt::BottomDockWidgetArea);
    QDockWidget* files = addPane(FileView, QStringLiteral("File View"), placeholder(), Qt::LeftDockWidgetArea);
    m_output = new COutputWnd;
    m_output->setSettingsSource([this] {
        COutputWnd::Settings s;
        s.limits.maxResultKChars = m_qSettings.QMaxConsoleResultLength;
        s.limits.maxQueries = m_qSettings.QMaxConsoleQueries;
        s.maxHighlightKChars = m_qSettings.QMaxHighlightResultKChars;
        return s;
    });
    QDockWidget* output = addPane(Output, QStringLiteral("Output"), m_output, Qt::BottomDockWidgetArea);
    QDockWidget* grid = addPane(GridView, QStringLiteral("Grid View"), placeholder(), Qt::BottomDockWidgetArea);
    m_imagePane = new CImagePane;
    QDockWidget* image = addPane(ImageView, QStringLiteral("Image view"), m_imagePane, Qt::BottomDockWidgetArea);
    connect(m_imagePane, &CImagePane::showRequested, this, [image] {
        image->show();
        image->raise();
    });
    addPane(Properties, QStringLiteral("Properties"), placeholder(), Qt::RightDockWidgetArea);

    tabifyDockWidget(files, ns);
    tabifyDockWidget(files, servers);
    files->raise();
    splitDockWidget(output, watch, Qt::Horizontal);
    splitDockWidget(output, image, Qt::Horizontal);
    tabifyDockWidget(output, history);
    tabifyDockWidget(output, grid);
    output->raise();
    resizeDocks({files}, {260}, Qt::Horizontal);
    resizeDocks({output}, {260}, Qt::Vertical);
}

QString CMainFrame::connectBoxText() const
{
    CConnectComboButton* box = connectBox();
    return box ? box->currentText().trimmed() : QString();
}

void CMainFrame::showOutputPane()
{
    pane(Output)->show();
    pane(Output)->raise();
}

CConnectComboButton* CMainFrame::connectBox() const
{
    if (m_connectBox)
        return m_connectBox;
    const auto boxes = findChildren<CConnectComboButton*>();
    return boxes.isEmpty() ? nullptr : boxes.first();
}

void CMainFrame::setServer(const QString& serverText, const QString& serverTitle)
{
    const bool changed = serverText != m_serverText || serverTitle != m_serverTitle;
    m_serverText = serverText;
    m_serverTitle = serverTitle;
    if (!changed)
        return;
    if (m_syncBoxWithNextServer && !serverText.isEmpty()) {
        m_syncBoxWithNextServer = false;
        m_connectBoxSync = true;
    }
    // The box and the title show a new connection at once (once every listener
    // of the change has given its part, the server's name among them); the
    // timer keeps them in step too.
    QMetaObject::invokeMethod(this, [this] { updateServerState(false); }, Qt::QueuedConnection);
}

void CMainFrame::syncConnectBoxWithNextServer() { m_syncBoxWithNextServer = true; }

CChildFrame* CMainFrame::newDocument()
{
    if (!m_documentFactory)
        return nullptr;
    QString title = QStringLiteral("q%1.q").arg(++m_untitled);
    QWidget* view = m_documentFactory(QString(), &title);
    if (!view)
        return nullptr;
    CChildFrame* child = addChild(view, title, QString());
    child->setFocus();
    return child;
}

CChildFrame* CMainFrame::openDocument(const QString& path)
{
    const QString full = QFileInfo(path).absoluteFilePath();
    for (CChildFrame* child : m_documents->documents()) {
        if (child->filePath() == full) {
            m_documents->activateDocument(child);
            return child;
        }
    }
    QString title = QFileInfo(full).fileName();
    QWidget* view = m_documentFactory ? m_documentFactory(full, &title) : nullptr;
    if (!view)
        return nullptr;
    return addChild(view, title, full);
}

CChildFrame* CMainFrame::addDocumentWindow(QWidget* view, const QString& path)
{
    return addChild(view, QString(), path); // its title follows the document
}

CChildFrame* CMainFrame::addChild(QWidget* view, const QString& title, const QString& path)
{
    auto* child = new CChildFrame(view);
    if (!title.isEmpty())
        child->setTitle(title);
    child->setFilePath(path);
    m_documents->addDocument(child);
    emit documentAdded(child);
    m_actions->updateCommands();
    return child;
}

bool CMainFrame::closeDocument(CChildFrame* child)
{
    if (m_closeQuery && !m_closeQuery(child))
        return false;
    m_documents->closeDocument(child);
    return true;
}

void CMainFrame::setRecentFiles(const QStringList& paths)
{
    qDeleteAll(m_recentActions);
    m_recentActions.clear();
    for (int i = 0; i < paths.size(); ++i) {
        const QString path = paths[i];
        auto* item = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(path)), m_fileMenu);
        connect(item, &QAction::triggered, this, [this, path] { emit recentFileRequested(path); });
        m_fileMenu->insertAction(m_recentEnd, item);
        m_recentActions.append(item);
    }
    m_recentSeparator->setVisible(!paths.isEmpty());
}

int CMainFrame::reopenDocuments()
{
    const QStringList stored = QString::fromUtf8(m_app.store().readState(kOpenDocuments)).split(u'\n', Qt::SkipEmptyParts);
    int opened = 0;
    for (const QString& path : stored) {
        // Only regular files come back: a FIFO put in place of a script
        // would block the start-up, a device never end.
        if (QFileInfo::exists(path) && !SafeFile::isRegular(path))
            continue;
        if (openDocument(path))
            ++opened;
    }
    return opened;
}

CChildFrame* CMainFrame::activeDocument() const { return m_documents->activeDocument(); }

void CMainFrame::updateDocumentCommands()
{
    // With no document open the menus are shorter.
    const bool open = activeDocument() != nullptr;
    for (int id : {cmd::FileSave, cmd::FileSaveAs, cmd::FilePrint, cmd::FilePrintPreview, cmd::GoToLine,
                   cmd::RemoteFilesInventory, cmd::LineWrapping, cmd::SyntaxHighlight})
        action(id)->setVisible(open);
    m_windowMenu->menuAction()->setVisible(open);
}

void CMainFrame::updateCaption()
{
    CChildFrame* child = activeDocument();
    setWindowTitle(FrameTitle::caption(child ? child->title() : QString(), m_frameTitle));
}

void CMainFrame::onTimer()
{
    m_actions->updateCommands();

    // Busy animation while a query runs or a connect is made.
    if (m_runningQuery.isEmpty() && !m_connecting) {
        if (m_statusBar->isBusy())
            m_statusBar->stopBusy();
    } else if (!m_statusBar->isBusy()) {
        m_statusBar->startBusy();
    }

    // Caret and grid position.
    int line = 0, column = 0;
    CChildFrame* child = activeDocument();
    if (child && m_caretSource && m_caretSource(child->view(), &line, &column)) {
        const int row = m_gridRowSource ? m_gridRowSource() : 0;
        m_statusBar->setPaneText(CFrameStatusBar::Position,
                                 QStringLiteral("Ln %1  Ch %2 Row %3").arg(line).arg(column).arg(row));
    } else {
        m_statusBar->setPaneText(CFrameStatusBar::Position, QString());
    }

    updateSearchBox();
    updateServerState(true);
}

void CMainFrame::updateSearchBox()
{
    if (!m_searchBox)
        return;
    const bool allowed = m_contentSearchAllowed && m_contentSearchAllowed();
    if (m_searchBox->isEnabled() == allowed && m_searchBox->focusPolicy() == (allowed ? Qt::StrongFocus : Qt::NoFocus))
        return;
    // A disabled box takes no focus, so typing stays where it was.
    m_searchBox->setEnabled(allowed);
    m_searchBox->setFocusPolicy(allowed ? Qt::StrongFocus : Qt::NoFocus);
    m_searchBox->lineEdit()->setFocusPolicy(allowed ? Qt::StrongFocus : Qt::NoFocus);
}

void CMainFrame::updateServerState(bool tick)
{
    // Quick-connect box.
    CConnectComboButton* box = connectBox();
    if (box) {
        if (m_connectBoxSync && !m_serverText.isEmpty() && box->currentText() != m_serverText)
            box->setEditText(m_serverText);
        box->updateState(m_serverText, m_serverTitle);
    }
    if (tick || (box && !m_serverText.isEmpty()))
        m_connectBoxSync = box == nullptr;

    // Window title, only when the server changed.
    if (m_serverText != m_lastTitleSource) {
        m_lastTitleSource = m_serverText;
        m_frameTitle = FrameTitle::frameTitle(m_serverText, m_serverTitle);
        updateCaption();
    }
}

bool CMainFrame::restorePlacement()
{
    const QByteArray geometry = m_app.store().readState(kGeometry);
    if (geometry.isEmpty() || !restoreGeometry(geometry))
        return false;
    restoreState(m_app.store().readState(kWindowState));
    return true;
}

void CMainFrame::fitToScreens()
{
    // Whatever was stored (another monitor, a corrupt value), the window
    // opens on a screen of today and no larger than it.
    if (!isMaximized() && !isFullScreen()) {
        QList<QRect> screens;
        for (const QScreen* screen : QGuiApplication::screens())
            screens.append(screen->availableGeometry());
        const QRect frame = frameGeometry();
        const QRect inner = QWidget::geometry();
        const QMargins border(inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                              frame.bottom() - inner.bottom());
        const QSize minimum = minimumSizeHint().expandedTo(minimumSize()).grownBy(border);
        const QRect fitted = WindowGeometry::clamp(frame, screens, minimum).marginsRemoved(border);
        if (fitted != inner)
            setGeometry(fitted);
    }
}

void CMainFrame::storeState()
{
    if (m_stateStored)
        return;
    m_stateStored = true;
    emit shuttingDown();
    m_app.store().writeState(kGeometry, saveGeometry());
    m_app.store().writeState(kWindowState, saveState());
    QStringList paths;
    for (CChildFrame* child : m_documents->documents())
        if (!child->filePath().isEmpty())
            paths.append(child->filePath());
    m_app.store().writeState(kOpenDocuments, paths.join(u'\n').toUtf8());
}

bool CMainFrame::showSettings()
{
    SettingsStore& store = m_app.store();
    m_qSettings.load(store);
    m_editorSettings.load(store);
    const int typingDelay = m_editorSettings.TypingDelayMS;
    const bool localeFormat = m_qSettings.NumberLocaleFormat;
    const int precision = m_qSettings.QFloatPrecision;
    const int serversAs = m_qSettings.QShowServersAs;

    CDlgSettings dialog(m_qSettings, m_editorSettings, m_prompter, this);
    CFontsColorsPage* fontsPage = nullptr;
    if (m_scheme) {
        m_scheme->load(store);
        fontsPage = new CFontsColorsPage(*m_scheme, m_prompter);
        fontsPage->loadControls();
        dialog.addPage(fontsPage, QStringLiteral("Fonts && Colors"));
    }
    if (dialog.exec() != QDialog::Accepted) {
        m_qSettings.load(store);
        m_editorSettings.load(store);
        if (m_scheme)
            m_scheme->load(store);
        return false;
    }
    m_qSettings.save(store);
    if (fontsPage) {
        fontsPage->storeControls();
        m_scheme->save(store);
    }
    m_editorSettings.save(store);
    updateToggleActions();
    const bool typingChanged = typingDelay != m_editorSettings.TypingDelayMS;
    emit settingsChanged(serversAs != m_qSettings.QShowServersAs,
                         typingChanged || localeFormat != m_qSettings.NumberLocaleFormat
                             || precision != m_qSettings.QFloatPrecision,
                         typingChanged);
    return true;
}

void CMainFrame::updateToggleActions()
{
    action(cmd::Async)->setText(m_qSettings.AsyncQuerying ? QStringLiteral("Async") : QStringLiteral("Sync"));
    m_actions->updateCommands();
}

void CMainFrame::toggleAsync()
{
    if (!m_qSettings.asyncAllowed)
        return;
    m_qSettings.AsyncQuerying = !m_qSettings.AsyncQuerying;
    m_qSettings.save(m_app.store());
    updateToggleActions();
}

void CMainFrame::setFontsColors(CDialogFontsColors* scheme)
{
    m_scheme = scheme;
    // The dark look with the light scheme untouched (a first start on a dark desktop).
    if (m_scheme && ApplicationLook::isDark(m_look) && ColorSchemePresets::isLightPreset(*m_scheme)) {
        ColorSchemePresets::applyDark(*m_scheme);
        m_scheme->save(m_app.store());
    }
}

void CMainFrame::setApplicationLook(int id)
{
    m_look = id;
    if (auto* application = qobject_cast<QApplication*>(QCoreApplication::instance()))
        ApplicationLook::apply(*application, id);
    // The drawn icons again, in ink that shows on the new toolbar colour.
    for (int command : m_actions->ids()) {
        const QIcon icon = CommandIcons::icon(command);
        if (!icon.isNull())
            action(command)->setIcon(icon);
    }
    // The dark look and the dark scheme go together; a scheme of the user's own stays.
    if (m_scheme) {
        const bool dark = ApplicationLook::isDark(ApplicationLook::resolve(id));
        const bool change = dark ? ColorSchemePresets::isLightPreset(*m_scheme) : ColorSchemePresets::isDarkPreset(*m_scheme);
        if (change) {
            if (dark)
                ColorSchemePresets::applyDark(*m_scheme);
            else
                ColorSchemePresets::applyLight(*m_scheme);
            m_scheme->save(m_app.store());
            emit colourSchemeChanged();
        }
    }
    m_actions->updateCommands();
    m_app.store().writeInt(QString::fromLatin1(kept::ApplicationLook.name), id);
    update();
}

void CMainFrame::toggleFullScreen()
{
    if (isFullScreen())
        showNormal();
    else
        showFullScreen();
}

void CMainFrame::openHomeFolder()
{
    const QString path = QFileInfo(m_app.GetHomeFilePath(QStringLiteral("Servers.cfg"))).absolutePath();
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (m_closeAllQuery && !m_closeAllQuery()) {
        event->ignore();
        return;
    }
    storeState();
    event->accept();
}
