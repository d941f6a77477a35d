#include "app/CDocumentCommands.h"

#include "app/CChildFrame.h"
#include "app/CDocumentArea.h"
#include "app/CMainFrame.h"
#include "app/CommandIds.h"
#include "core/commands/CommandHandlers.h"
#include "core/FileChooser.h"
#include "core/Prompter.h"
#include "core/settings/CDlgQSettings.h"
#include "editor/CTovoView.h"

#include <QFileInfo>

namespace {
const QString kFilter = QStringLiteral("Q Files (*.q *.k);;All Files (*)");
const QString kCaption = QStringLiteral("Tovo");
} // namespace

CDocumentCommands::CDocumentCommands(CMainFrame& frame, SettingsStore& store, const CDlgEditorSettings& settings,
                                     Prompter& prompter, FileChooser& chooser, int recentLength, QObject* parent)
    : QObject(parent)
    , m_frame(frame)
    , m_store(store)
    , m_settings(settings)
    , m_prompter(prompter)
    , m_chooser(chooser)
    , m_recent(recentLength)
{
    m_recent.load(m_store);
    using Scope = CommandHandlers::Scope;
    CommandHandlers& handlers = frame.commands();
    const auto hasDocument = [this] { return viewOf(m_frame.activeDocument()) != nullptr; };
    handlers.addHandler(cmd::FileOpen, this, Scope::Window, [this] { open(); });
    handlers.addHandler(cmd::FileSave, this, Scope::Window, [this] { save(m_frame.activeDocument()); }, hasDocument);
    handlers.addHandler(cmd::FileSaveAs, this, Scope::Window, [this] { saveAs(m_frame.activeDocument()); },
                        hasDocument);
    handlers.addHandler(cmd::WindowNew, this, Scope::Window, [this] { newWindow(m_frame.activeDocument()); },
                        hasDocument);
}

CTovoView* CDocumentCommands::viewOf(CChildFrame* child)
{
    return child ? qobject_cast<CTovoView*>(child->view()) : nullptr;
}

CChildFrame* CDocumentCommands::open()
{
    const QString path = m_chooser.openFileName(QStringLiteral("Open"), kFilter);
    return path.isEmpty() ? nullptr : openPath(path);
}

CChildFrame* CDocumentCommands::openPath(const QString& path)
{
    CChildFrame* child = m_frame.openDocument(path);
    if (child) {
        rememberRecent(child->filePath());
    } else {
        // A recent entry that no longer opens is dropped from the list.
        m_recent.remove(QFileInfo(path).absoluteFilePath());
        m_recent.save(m_store);
        emit recentFilesChanged();
    }
    return child;
}

CChildFrame* CDocumentCommands::newWindow(CChildFrame* child)
{
    CTovoView* view = viewOf(child);
    if (!view)
        return nullptr;
    return m_frame.addDocumentWindow(view->createWindowView(), child->filePath());
}

QList<CChildFrame*> CDocumentCommands::windowsOf(CTovoView* view) const
{
    QList<CChildFrame*> children;
    const QList<CTovoView*> views = view->windows();
    for (CChildFrame* child : m_frame.documentArea()->documents())
        if (views.contains(viewOf(child)))
            children.append(child);
    return children;
}

bool CDocumentCommands::save(CChildFrame* child)
{
    CTovoView* view = viewOf(child);
    if (!view)
        return false;
    const QString path = view->document().pathName();
    if (path.isEmpty())
        return saveAs(child);
    return saveTo(child, path, false);
}

bool CDocumentCommands::saveAs(CChildFrame* child)
{
    CTovoView* view = viewOf(child);
    if (!view)
        return false;
    const QString current = view->document().pathName();
    QString path = m_chooser.saveFileName(QStringLiteral("Save As"), kFilter,
                                          current.isEmpty() ? view->document().title() : current);
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".q");
    return saveTo(child, QFileInfo(path).absoluteFilePath(), true);
}

bool CDocumentCommands::saveTo(CChildFrame* child, const QString& path, bool saveAs)
{
    CTovoView* view = viewOf(child);
    CTovoDoc& doc = view->document();
    // A document without a file is always saved as a new one.
    doc.setSaveAsMode(saveAs || doc.pathName().isEmpty());
    const CTovoDoc::SaveResult result = doc.save(path, m_settings.LineFormat, m_prompter);
    doc.setSaveAsMode(false);
    if (result != CTovoDoc::SaveResult::Saved)
        return false;
    if (child->filePath() != path)
        doc.setTitle(QFileInfo(path).fileName());
    for (CChildFrame* window : windowsOf(view)) {
        window->setFilePath(path);
        updateTitle(window);
    }
    rememberRecent(path);
    return true;
}

bool CDocumentCommands::queryClose(CChildFrame* child)
{
    CTovoView* view = viewOf(child);
    // Only the last window of a document asks; the others just close.
    if (!view || !view->isModified() || !view->isLastWindow())
        return true;
    updateTitle(child); // clears the modified flag when the text was edited back
    if (!view->isModified())
        return true;
    return askToSave(child);
}

bool CDocumentCommands::askToSave(CChildFrame* child)
{
    CTovoView* view = viewOf(child);
    const QString name = view->document().pathName().isEmpty() ? view->document().title() : view->document().pathName();
    switch (m_prompter.ask(QStringLiteral("Save changes to %1?").arg(name), kCaption, Prompter::Buttons::YesNoCancel,
                           Prompter::Icon::Warning, Prompter::Answer::Yes)) {
    case Prompter::Answer::Yes: return save(child);
    case Prompter::Answer::No: return true;
    default: return false;
    }
}

bool CDocumentCommands::queryCloseAll()
{
    QList<const CTovoDoc*> asked;
    for (CChildFrame* child : m_frame.documentArea()->documents()) {
        CTovoView* view = viewOf(child);
        if (!view || !view->isModified() || asked.contains(&view->document()))
            continue;
        asked.append(&view->document()); // one question for a document in several windows
        m_frame.documentArea()->activateDocument(child);
        updateTitle(child);
        if (!view->isModified())
            continue;
        if (!askToSave(child))
            return false;
    }
    return true;
}

void CDocumentCommands::attach(CChildFrame* child)
{
    CTovoView* view = viewOf(child);
    if (!view)
        return;
    const auto follow = [this, child] { updateTitle(child); };
    connect(view, &CTovoView::changeProcessed, child, follow);
    connect(view, &QsciScintilla::modificationChanged, child, follow);
    connect(view, &CTovoView::reloaded, child, follow);
    // "name:1", "name:2" while a document has several windows.
    connect(view, &CTovoView::windowsChanged, child, follow);
    updateTitle(child);
}

void CDocumentCommands::updateTitle(CChildFrame* child)
{
    if (CTovoView* view = viewOf(child))
        child->setTitle(view->document().markedTitle(view->frameTitle(view->document().title())));
}

void CDocumentCommands::rememberRecent(const QString& path)
{
    m_recent.add(path);
    m_recent.save(m_store);
    emit recentFilesChanged();
}
