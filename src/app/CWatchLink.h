// Joins the watch pane and the quick watch to the main window: the pane in
// the Watch dock with Watches.cfg, its evaluations on a session of their own
// off the window's thread, the refresh after queries, the unchecking on a
// server change, Add Watch from the editor and the namespace explorer, and
// Quick Watch (Ctrl+Q) on a session of the dialog's own.
#pragma once

#include "kdb/KPtr.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class BackgroundJob;
class CDialogFontsColors;
class CMainFrame;
class CQHelper;
class CQueryLink;
class CQuickWatchDialog;
class CWatchBar;
class FileChooser;
class Prompter;
class QTextEdit;

class CWatchLink : public QObject {
    Q_OBJECT
public:
    CWatchLink(CMainFrame& frame, CQueryLink& link, Prompter& prompter, FileChooser& chooser,
               const QString& watchesPath, CDialogFontsColors& scheme);

    CWatchBar* bar() const { return m_bar; }
    // False (the user has been told) when Watches.cfg cannot be opened.
    bool loadWatches();
    // The value field of quick watch coloured as q from a position on.
    void setColourer(std::function<void(QTextEdit*, int)> colourer) { m_colourer = std::move(colourer); }
    // Opens quick watch on expression once its session is connected to the
    // current server; nothing without a server or when the connect fails.
    void quickWatch(const QString& expression);
    // The dialog open now, if any.
    CQuickWatchDialog* quickWatchDialog() const;

private:
    void evaluate(const QString& server, const QString& query, std::function<void(KPtr)> done);
    void applyColours();

    CMainFrame& m_frame;
    CQueryLink& m_link;
    Prompter& m_prompter;
    CDialogFontsColors& m_scheme;
    CWatchBar* m_bar = nullptr;
    BackgroundJob* m_job = nullptr;
    std::function<void(QTextEdit*, int)> m_colourer;
    QPointer<CQuickWatchDialog> m_dialog;
    std::shared_ptr<CQHelper> m_connecting;
};
