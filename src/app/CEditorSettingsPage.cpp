#include "app/CEditorSettingsPage.h"

#include "core/settings/CDlgQSettings.h"

CEditorSettingsPage::CEditorSettingsPage(CDlgEditorSettings& s, QWidget* parent)
    : CSettingsPage(parent)
{
    beginGroup(QStringLiteral("Default/Startup"));
    addFlag(QStringLiteral("Syntax Highlighting"), &s.SyntaxHighlightingDef);
    addFlag(QStringLiteral("Line Wrapping"), &s.LineWrappingDef);
    addFlag(QStringLiteral("Word highlight"), &s.WordHighlight);
    endGroup();

    addInt(QStringLiteral("Tab is"), &s.SpacesInTab, "SpacesInTab", QStringLiteral("spaces"));
    addFlag(QStringLiteral("Invoke auto-complete on . (dot) typed"), &s.CompleteOnDots);
    addFlag(QStringLiteral("Log queries to \"queries_<date>.log\""), &s.LogQueries);
    addFlag(QStringLiteral("Switch connections on pane activation"), &s.SwitchConnections);
    addFlag(QStringLiteral("Execute runs all if nothing is selected"), &s.ExecuteAll);
    addChoice(QStringLiteral("Save Line breaks as"), &s.LineFormat,
              {QStringLiteral("CR/LF (Windows)"), QStringLiteral("LF (Unix)"), QStringLiteral("CR (Mac)")});
    addInt(QStringLiteral("Typing delay is"), &s.TypingDelayMS, "TypingDelayMS", QStringLiteral("ms (0 - no delay)"));
    addFlag(QStringLiteral("Check open files for changes on disk"), &s.CheckFS);

    beginGroup(QStringLiteral("Critical instances"));
    addText(QStringLiteral("Path or symbol contains (separated by ;)"), &s.CriticalMasks, 255);
    addColour(QStringLiteral("Override background color"), &s.CriticalBackground, CDlgEditorSettings().CriticalBackground);
    endGroup();

    addText(QStringLiteral("Help URL for keywords:"), &s.HelpURL, 2048);
    addText(QStringLiteral("Help URL for non-keywords:"), &s.AltHelpURL, 2048);

    beginGroup(QStringLiteral("Query wrapping (hold SHIFT to run as is)"));
    addFlag(QStringLiteral("Use Lambda on query string:"), &s.WrapSyncQueries);
    addMultiLine(QString(), &s.SyncLambda);
    addText(QStringLiteral("Prefix"), &s.SyncQueryPrefix, 0, false, false);
    addText(QStringLiteral("Postfix"), &s.SyncQueryPostfix, 0, false, false);
    endGroup();

    beginGroup(QStringLiteral("Async Send-back Lambda"));
    addMultiLine(QString(), &s.AsyncSendbackLambda);
    endGroup();
}
