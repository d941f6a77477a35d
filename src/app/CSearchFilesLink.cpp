#include "app/CSearchFilesLink.h"

#include "app/CExplorerLink.h"
#include "app/CMainFrame.h"
#include "core/colors/CDialogFontsColors.h"
#include "core/commands/CommandHandlers.h"
#include "core/commands/CommandIds.h"
#include "core/FileChooser.h"
#include "core/Prompter.h"
#include "editor/CSyntaxHighlighting.h"
#include "editor/CTextDocumentHiTarget.h"
#include "editor/FontConv.h"
#include "explorer/CQEntity.h"
#include "explorer/CQFunction.h"
#include "explorer/NamespaceModel.h"
#include "explorer/panes/CClassView.h"
#include "files/CDlgRemoteFiles.h"
#include "files/CDlgViewLogs.h"

#include <QTextEdit>

#include <algorithm>

CSearchFilesLink::CSearchFilesLink(CMainFrame& frame, const CDialogFontsColors& scheme, CExplorerLink& explorer,
                                   FileChooser* files, QString homeFolder, QString autoSaveFolder)
    : QObject(&frame)
    , m_frame(frame)
    , m_scheme(scheme)
    , m_explorer(explorer)
    , m_files(files)
    , m_home(std::move(homeFolder))
    , m_autoSaves(std::move(autoSaveFolder))
{
}

CSearchFilesLink::~CSearchFilesLink() = default;

void CSearchFilesLink::registerCommands(CommandHandlers& handlers)
{
    using Scope = CommandHandlers::Scope;
    handlers.addHandler(cmd::ViewSearchLogs, this, Scope::Window, [this] { showLogs(); },
                        [this] { return !m_home.isEmpty(); });
    handlers.addHandler(cmd::RecoverTempFiles, this, Scope::Window, [this] { showTempFiles(); },
                        [this] { return !m_autoSaves.isEmpty(); });
    m_explorer.classView()->setFileActions(
        [this] { showRemoteFiles(); },
        [this](const QString& path, qint64 line, const QString& function) { showRemoteFiles(path, line, function); });
}

CDlgViewLogs::Look CSearchFilesLink::look() const
{
    CDlgViewLogs::Look look;
    look.background = FontConv::toQColor(m_scheme.color(CDialogFontsColors::Background));
    look.marked = FontConv::toQColor(m_scheme.color(CDialogFontsColors::MarkedTextBackground));
    look.font = FontConv::toQFont(m_scheme.font(CDialogFontsColors::SourceFont));
    const CDialogFontsColors* scheme = &m_scheme;
    look.colour = [scheme](QTextEdit* view) {
        CTextDocumentHiTarget target(view->document());
        CSyntaxHighlighting highlighting(&target, *scheme);
        highlighting.colour(0, -1);
        highlighting.apply();
    };
    look.colourLimit = qsizetype(m_frame.qSettings().QMaxHighlightResultKChars) * 1024;
    return look;
}

SearchFiles::FunctionsOf CSearchFilesLink::functionsOf() const
{
    // Under each file, the functions the namespace explorer found defined in it.
    CExplorerLink* explorer = &m_explorer;
    return [explorer](const QString& path) {
        QList<SearchFiles::Function> found;
        const std::shared_ptr<NamespaceModel> model = explorer->classView()->entities();
        if (!model)
            return found;
        for (const auto& entity : model->entities()) {
            if (entity->kind() != CQEntity::Function)
                continue;
            const auto* function = static_cast<const CQFunction*>(entity.get());
            if (function->fileName() == path)
                found.append({function->fullName(), function->fileLine()});
        }
        std::sort(found.begin(), found.end(),
                  [](const SearchFiles::Function& a, const SearchFiles::Function& b) { return a.line < b.line; });
        return found;
    };
}

CDlgViewLogs* CSearchFilesLink::make()
{
    auto* dialog = new CDlgViewLogs(&m_frame);
    dialog->setWindowFlag(Qt::Window);
    dialog->setLook(look());
    dialog->setFunctionsOf(functionsOf());
    CMainFrame* frame = &m_frame;
    dialog->setOpenFile([frame](const QString& path) { frame->openDocument(path); });
    CExplorerLink* explorer = &m_explorer;
    dialog->setJumpTo([explorer](const QString& name) { explorer->classView()->selectByName(name, true); });
    dialog->setLoadStamp([explorer] { return explorer->classView()->lastLoadEnd(); });
    // The user opened the dialog just now: a file it could not read is told in a box.
    Prompter* prompter = m_prompter;
    dialog->setFailed([prompter](const QString& text) {
        if (prompter)
            prompter->inform(text, QStringLiteral("Tovo"), Prompter::Icon::Error);
    });
    return dialog;
}

CDlgRemoteFiles* CSearchFilesLink::remoteFiles()
{
    const std::shared_ptr<NamespaceModel> model = m_explorer.classView()->entities();
    if (!m_remote) {
        m_remote = new CDlgRemoteFiles(&m_frame);
        m_remote->setWindowFlag(Qt::Window);
        m_remote->setFunctionsOf(functionsOf());
        CMainFrame* frame = &m_frame;
        m_remote->setOpenFile([frame](const QString& file) { frame->openDocument(file); });
        CExplorerLink* explorer = &m_explorer;
        m_remote->setJumpTo([explorer](const QString& name) { explorer->classView()->selectByName(name, true); });
        FileChooser* files = m_files;
        m_remote->setPickFolder([files] { return files ? files->folderName(QStringLiteral("Pick local codebase")) : QString(); });
        m_remote->setLocalCodebase(m_codebase, m_loadLocal);
    }
    m_remote->setLook(look());
    SearchFiles::FileMap remote;
    if (model)
        for (auto it = model->files.cbegin(); it != model->files.cend(); ++it)
            remote.emplace(it.key(), it.value());
    // A load counts when it ends, failed or not (the end time the explorer recorded).
    m_remote->setRemote(std::move(remote), m_explorer.classView()->lastLoadEnd());
    return m_remote;
}

CDlgRemoteFiles* CSearchFilesLink::showRemoteFiles(const QString& path, qint64 line, const QString& function)
{
    CDlgRemoteFiles* dialog = remoteFiles();
    if (path.isEmpty())
        dialog->openRemote();
    else
        dialog->showFile(path, line, function);
    return dialog;
}

void CSearchFilesLink::setLocalCodebase(const LocalCodebase* codebase, std::function<void(const QString&)> load)
{
    m_codebase = codebase;
    m_loadLocal = std::move(load);
    if (m_remote)
        m_remote->setLocalCodebase(m_codebase, m_loadLocal);
}

CDlgRemoteFiles* CSearchFilesLink::showLocalCodebase(const QString& root)
{
    CDlgRemoteFiles* dialog = remoteFiles();
    dialog->localPicked(root);
    return dialog;
}

CDlgViewLogs* CSearchFilesLink::showLogs()
{
    if (!m_logs)
        m_logs = make();
    m_logs->load(QStringLiteral("Query Logs"), m_home, QStringLiteral("queries_*.log"));
    m_logs->show();
    m_logs->raise();
    m_logs->activateWindow();
    return m_logs;
}

CDlgViewLogs* CSearchFilesLink::showTempFiles()
{
    if (!m_temp)
        m_temp = make();
    m_temp->load(QStringLiteral("Temp Saved Files"), m_autoSaves, QStringLiteral("????????????????????????????????.*.q"));
    m_temp->show();
    m_temp->raise();
    m_temp->activateWindow();
    return m_temp;
}
