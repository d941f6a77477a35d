#include "app/CReplyPresenter.h"

#include "app/CFrameStatusBar.h"
#include "app/CMainFrame.h"
#include "app/CTovoApp.h"
#include "core/values/KRender.h"
#include "results/CImagePane.h"
#include "results/COutputWnd.h"
#include "results/ReplyDisplay.h"

#include <QApplication>
#include <QDesktopServices>
#include <QPointer>
#include <QUrl>

CReplyPresenter::CReplyPresenter(CMainFrame& frame)
    : QObject(&frame)
    , m_frame(frame)
{
    m_hooks.openInShell = [](const QString& path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
}

void CReplyPresenter::show(K reply, qint64 elapsedMs, bool& refreshAfter, const std::shared_ptr<const ReplyFacts>& facts)
{
    using namespace ReplyDisplay;
    const CDlgQSettings& settings = m_frame.qSettings();
    CFrameStatusBar* status = m_frame.frameStatusBar();
    COutputWnd* output = m_frame.outputWnd();
    status->setProgress(60);
    status->setPaneText(CFrameStatusBar::Message, QStringLiteral("Parsing results"));

    const K gridBefore = m_hooks.gridValue ? m_hooks.gridValue() : nullptr;
    const QString valueText = reply ? renderConsole(reply, RenderOptions::from(settings)) : QString();

    if (reply && m_hooks.showInGrid
        && gridRoute(reply, settings.QGridShowDicts, settings.QGridShowLists) != GridRoute::None)
        m_hooks.showInGrid(reply, facts);
    const K gridAfter = m_hooks.gridValue ? m_hooks.gridValue() : nullptr;
    if (gridAfter == gridBefore) {
        QPointer<QWidget> focused = QApplication::focusWidget();
        output->backFromTable();
        if (focused)
            focused->setFocus();
    }

    status->setPaneText(CFrameStatusBar::Progress, roundtripText(elapsedMs));
    status->setPaneColor(CFrameStatusBar::Progress, isError(valueText) ? QColor(Qt::red) : QColor());
    output->append(consoleText(valueText, elapsedMs, settings.QIncludeRoundtrip) + QStringLiteral("\r\n"));

    if (refreshAfter) {
        if (settings.QRefreshWatches && m_hooks.refreshWatches)
            m_hooks.refreshWatches();
        if (settings.QRefreshNamespace && m_hooks.loadNamespaces)
            m_hooks.loadNamespaces();
    } else {
        refreshAfter = true;
    }

    status->setPaneText(CFrameStatusBar::Message, QString());

    switch (detectMedia(reply)) {
    case Media::Picture: {
        const QString path = writePictureFile(reply, m_frame.app().tempFolder());
        if (!path.isEmpty())
            m_frame.imagePane()->showImageFile(path);
        break;
    }
    case Media::Document:
        if (settings.AutoShellOpenHtmls) {
            const QString path = writeShellFile(reply, m_frame.app().tempFolder());
            if (!path.isEmpty() && m_hooks.openInShell)
                m_hooks.openInShell(path);
        }
        break;
    case Media::None:
        break;
    }
}
