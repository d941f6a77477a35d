#include "app/FrameAssembly.h"

#include "app/CDocumentArea.h"
#include "app/CDocumentCommands.h"
#include "app/CDebuggerLink.h"
#include "app/CDefinitionLink.h"
#include "app/CExplorerLink.h"
#include "app/CFileViewLink.h"
#include "app/CSearchFilesLink.h"
#include "app/CMainFrame.h"
#include "app/CQueryLink.h"
#include "app/CSourceViews.h"
#include "app/CReplyPresenter.h"
#include "app/CServerLink.h"
#include "app/CWatchLink.h"
#include "app/CTovoApp.h"
#include "app/CommandIds.h"
#include "chart/ChartLauncher.h"
#include "core/commands/CommandHandlers.h"
#include "core/colors/CDialogFontsColors.h"
#include "editor/CFindReplace.h"
#include "editor/CSyntaxHighlighting.h"
#include "editor/CTovoDoc.h"
#include "explorer/panes/CClassView.h"
#include "explorer/panes/ExplorerIcons.h"
#include "editor/CTextDocumentHiTarget.h"
#include "editor/CTovoView.h"
#include "files/CFileView.h"
#include "editor/CViewPrinter.h"
#include "editor/FontConv.h"
#include "kdb/KPtr.h"
#include "results/COutputWnd.h"
#include "results/grid/CKTableRenderer.h"
#include "results/grid/CGridStatus.h"
#include "results/grid/CKTableView.h"
#include "results/grid/COutputTable.h"
#include "watch/CWatchBar.h"

#include <cstdlib>

#include "app/CChildFrame.h"
#include "app/CFrameStatusBar.h"
#include "app/CResultsLink.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QDockWidget>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QTextEdit>

#include <algorithm>

CQueryLink* FrameAssembly::assemble(CTovoApp& app, CMainFrame& frame, Prompter& prompter)
{
    auto* scheme = new CDialogFontsColors;
    scheme->load(app.store());
    frame.setFontsColors(scheme);
    QObject::connect(&frame, &QObject::destroyed, [scheme] { delete scheme; });

    auto* link = new CQueryLink(frame, app.store(), prompter, app.home().path());
    new CServerLink(app, frame, *link, prompter);

    // One find/replace box and one printer serve every source view of the window.
    auto* finder = new CFindReplace(prompter, &frame);
    finder->setParent(&frame);
    // The printer is made at the first print command: making one asks the
    // print system for its printers, which the first screen does not need.
    auto printer = [kept = std::make_shared<std::unique_ptr<CViewPrinter>>()]() -> CViewPrinter& {
        if (!*kept)
            *kept = std::make_unique<CViewPrinter>();
        return **kept;
    };

    // Source views for documents.
    frame.setDocumentFactory([&frame, &prompter, scheme, finder](const QString& path, QString* title) -> QWidget* {
        auto* view = new CTovoView(*scheme, frame.editorSettings(), prompter);
        view->setFindReplace(finder);
        if (!path.isEmpty()) {
            if (!view->document().open(path, prompter)) {
                delete view;
                return nullptr;
            }
            *title = QFileInfo(path).fileName();
        }
        view->document().setTitle(*title);
        return view;
    });
    // Every window of a document, the first or one from "New Window", hands its commands to the frame.
    QObject::connect(&frame, &CMainFrame::documentAdded, &frame, [&frame](CChildFrame* child) {
        auto* view = qobject_cast<CTovoView*>(child->view());
        if (!view)
            return;
        QObject::connect(view, &CTovoView::lookupRequested, &frame, &CMainFrame::lookupRequested);
        QObject::connect(view, &CTovoView::addWatchRequested, &frame, &CMainFrame::addWatchRequested);
        QObject::connect(view, &CTovoView::quickWatchRequested, &frame, &CMainFrame::quickWatchRequested);
        QObject::connect(view, &CTovoView::filesDropped, &frame, [&frame](const QStringList& paths) {
            for (const QString& p : paths)
                frame.openDocument(p);
        });
    });
    frame.setCaretSource([](QWidget* view, int* line, int* column) {
        auto* source = qobject_cast<CTovoView*>(view);
        if (!source)
            return false;
        int l = 0, c = 0;
        source->getCursorPosition(&l, &c);
        *line = l + 1;
        *column = c + 1;
        return true;
    });

    // Function texts in the Results view are coloured as q from their first "{".
    const auto colourQ = [scheme](QTextEdit* view, int from) {
        CTextDocumentHiTarget target(view->document());
        CSyntaxHighlighting highlighting(&target, *scheme);
        highlighting.colour(from, -1);
        highlighting.apply();
    };
    frame.outputWnd()->setColourer(colourQ);
    frame.outputWnd()->console()->setFont(FontConv::toQFont(scheme->font(CDialogFontsColors::ConsoleFont)));
    frame.outputWnd()->results()->setFont(FontConv::toQFont(scheme->font(CDialogFontsColors::ResultFont)));

    // The output pane's grid and the Grid View pane.
    auto* table = new COutputTable(COutputTable::Place::OutputPane);
    table->setPrompter(&prompter);
    table->setSettings(&frame.qSettings());
    frame.outputWnd()->setTableWidget(table);
    auto* gridView = new CKTableView;
    gridView->setMinimumSize(100, 100);
    table->setMinimumSize(100, 100);
    gridView->grid()->setPrompter(&prompter);
    gridView->grid()->setSettings(&frame.qSettings());
    if (QDockWidget* dock = frame.pane(CMainFrame::GridView)) {
        dock->setWidget(gridView);
        // "Grid View (label)" as the pane's caption; the pane comes forward with a value.
        QObject::connect(gridView, &CKTableView::captionChanged, dock, &QDockWidget::setWindowTitle);
        QObject::connect(gridView, &CKTableView::showRequested, dock, [dock] {
            dock->show();
            dock->raise();
        });
    }
    // Grid colours and font from the live scheme, now and after the settings dialog.
    auto applyGridScheme = [scheme, table, gridView] {
        for (COutputTable* grid : {table, gridView->grid()}) {
            grid->setColours(GridColors::from(*scheme));
            grid->setGridFont(FontConv::toQFont(scheme->font(CDialogFontsColors::GridFont)));
        }
    };
    applyGridScheme();
    QObject::connect(&frame, &CMainFrame::settingsChanged, table, applyGridScheme);
    QObject::connect(&frame, &CMainFrame::colourSchemeChanged, table, applyGridScheme);
    // A look change that brings another scheme recolours the open source views.
    QObject::connect(&frame, &CMainFrame::colourSchemeChanged, &frame, [&frame] {
        for (CChildFrame* child : frame.documentArea()->documents())
            if (auto* view = qobject_cast<CTovoView*>(child->view()))
                view->applyFontsAndColours();
    });
    // "Plot result..." of both grids: one chart dialog per grid.
    auto* charts = new ChartLauncher(ChartContext{&prompter, &app.fileChooser(), &app.store(), &frame.qSettings(),
                                                  app.home().filePath(QStringLiteral("graph.cfg")), {}},
                                     &frame);
    charts->attach(table);
    charts->attach(gridView->grid());
    // View > Chart grid content: the output pane's grid.
    frame.commands().addHandler(cmd::ChartGrid, charts, CommandHandlers::Scope::Window, [charts, table] { charts->plot(table); },
                                [table] { return ChartLauncher::canPlot(table); });
    QObject::connect(table, &COutputTable::sendToGridView, gridView->grid(), &COutputTable::receiveValue);
    QObject::connect(table, &COutputTable::loaded, frame.outputWnd(), [&frame] { frame.outputWnd()->rememberAndShowTable(); });
    // Copy and Select All in either grid while it has the focus.
    table->registerCommands(frame.commands());
    gridView->grid()->registerCommands(frame.commands());
    frame.setGridRowSource([table] { return std::max(0, table->firstSelectedRow()); });
    // The status bar tells the shape and the selection's numbers of the grid in focus.
    auto* gridStatus = new CGridStatus(&frame);
    gridStatus->attach(table);
    gridStatus->attach(gridView->grid());
    QObject::connect(gridStatus, &CGridStatus::textChanged, frame.frameStatusBar(),
                     [&frame](const QString& text) { frame.frameStatusBar()->setPaneText(CFrameStatusBar::Grid, text); });
    // View > Grid Filter Row (Ctrl+Shift+F): the grid in focus, else the output pane's.
    auto filterTarget = [gridStatus, table] {
        COutputTable* focused = gridStatus->gridAround(QApplication::focusWidget());
        return focused ? focused : table;
    };
    frame.commands().addHandler(
        cmd::GridFilterRow, gridStatus, CommandHandlers::Scope::Window, [filterTarget] { filterTarget()->toggleFilterRow(); },
        {}, [filterTarget] { return filterTarget()->isFilterRowVisible(); });
    // Ctrl+J sizes the columns of the grid that has the focus, else the output pane's, wherever the focus is.
    auto* autoSize = new QAction(QStringLiteral("Auto si&ze columns"), &frame);
    autoSize->setObjectName(QStringLiteral("autoSizeGrid"));
    autoSize->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_J));
    frame.addAction(autoSize);
    QObject::connect(autoSize, &QAction::triggered, table, [table] {
        auto* focused = qobject_cast<COutputTable*>(QApplication::focusWidget());
        (focused ? focused : table)->autoSizeColumns();
    });

    auto* explorer = new CExplorerLink(frame, *link, prompter);
    CDlgInventory::Look inventoryLook;
    inventoryLook.background = FontConv::toQColor(scheme->color(CDialogFontsColors::Background));
    inventoryLook.marked = FontConv::toQColor(scheme->color(CDialogFontsColors::MarkedTextBackground));
    inventoryLook.font = FontConv::toQFont(scheme->font(CDialogFontsColors::SourceFont));
    inventoryLook.colour = [scheme](QTextEdit* view) {
        CTextDocumentHiTarget target(view->document());
        CSyntaxHighlighting highlighting(&target, *scheme);
        highlighting.colour(0, -1);
        highlighting.apply();
    };
    explorer->classView()->setInventoryLook(inventoryLook);
    // The query logs of the home folder and the automatic saves of documents.
    auto* searchFiles = new CSearchFilesLink(frame, *scheme, *explorer, &app.fileChooser(),
                                            app.home().path(), CTovoDoc::autoSaveFolder());
    searchFiles->registerCommands(frame.commands());
    // The File View pane and the local codebase it reads.
    auto* fileView = new CFileViewLink(frame, prompter, *searchFiles);
    fileView->registerCommands(frame.commands());
    // F12 and Alt+Left in the source views.
    auto* definitions = new CDefinitionLink(frame, *explorer, fileView->view()->tree() ? fileView->view()->codebase() : nullptr);
    definitions->registerCommands(frame.commands());

    auto* sourceViews = new CSourceViews(frame, *link, app.home(), prompter, &frame);
    QObject::connect(&frame, &CMainFrame::documentAdded, sourceViews, &CSourceViews::attach);
    sourceViews->registerCommands(printer);
    sourceViews->setCompletion(explorer->completion(), [](int kind) { return ExplorerIcons::icon(kind); });

    // The debugger, opened from a source view on its selection.
    auto* debugger = new CDebuggerLink(frame, *link, *explorer, *scheme, prompter, app.home().path(), [&frame] {
        CChildFrame* child = frame.activeDocument();
        auto* view = child ? qobject_cast<CTovoView*>(child->view()) : nullptr;
        return view ? view->selectedText() : QString();
    });

    // File commands, recent files and the questions before closing.
    auto* documents = new CDocumentCommands(frame, app.store(), frame.editorSettings(), prompter, app.fileChooser(),
                                            app.mruLength(), &frame);
    QObject::connect(&frame, &CMainFrame::documentAdded, documents, &CDocumentCommands::attach);
    frame.setCloseQuery([documents](CChildFrame* child) { return documents->queryClose(child); });
    frame.setCloseAllQuery([documents] { return documents->queryCloseAll(); });
    QObject::connect(&frame, &CMainFrame::recentFileRequested, documents, &CDocumentCommands::openPath);
    QObject::connect(documents, &CDocumentCommands::recentFilesChanged, &frame,
                     [&frame, documents] { frame.setRecentFiles(documents->recentFiles().files()); });
    frame.setRecentFiles(documents->recentFiles().files());
    QObject::connect(frame.documentArea(), &CDocumentArea::saveRequested, documents, &CDocumentCommands::save);

    // Exports, binary files, the result history and stash, sending values.
    auto* results = new CResultsLink(frame, *link, prompter, app.fileChooser(), table, gridView->grid());
    results->registerCommands(frame.commands());

    // The watch pane with Watches.cfg, and quick watch.
    auto* watches = new CWatchLink(frame, *link, prompter, app.fileChooser(),
                                   app.GetHomeFilePath(QStringLiteral("Watches.cfg")), *scheme);
    watches->setColourer(colourQ);
    if (QFileInfo(app.home().path()).isDir() && !watches->loadWatches())
        std::exit(-2); // the user has been told: "Tovo - Fatal startup error"
    explorer->classView()->setAddWatch([watches](const QString& name) { watches->bar()->addExpression(name); });

    // The watches follow every reply and every step of the debugger.
    const auto refreshWatches = [&frame, watches] {
        // Only a pane that is shown refreshes.
        if (QDockWidget* dock = frame.pane(CMainFrame::Watch); dock && dock->isVisible())
            watches->bar()->evaluate();
    };
    QObject::connect(debugger, &CDebuggerLink::debuggerRefreshed, watches, refreshWatches);
    CReplyPresenter::Hooks hooks;
    hooks.refreshWatches = refreshWatches;
    hooks.showInGrid = [table](K reply, const std::shared_ptr<const ReplyFacts>& facts) {
        table->setValue(reply, nullptr, nullptr, facts);
    };
    hooks.gridValue = [table] { return table->renderer()->shownValue(); };
    link->presenter().setHooks(hooks);
    return link;
}
