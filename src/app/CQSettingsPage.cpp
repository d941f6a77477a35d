#include "app/CQSettingsPage.h"

#include "core/settings/CDlgQSettings.h"

#include <QPushButton>

CQSettingsPage::CQSettingsPage(CDlgQSettings& s, const QStringList& authMethods, QWidget* parent)
    : CSettingsPage(parent)
{
    addInt(QStringLiteral("Float Precision:"), &s.QFloatPrecision, "QFloatPrecision");
    addFlag(QStringLiteral("use kdb+ 3.0 postfix style"), &s.PostfixInts);
    addFlag(QStringLiteral("use 1TB IPC capability (!! only for q 3.5+)"), &s.UseCapability);
    addInt(QStringLiteral("<Big table> is >"), &s.QMaxTableRowsAsText, "QMaxTableRowsAsText", QStringLiteral("rows."));
    addChoice(QStringLiteral("Show servers as"), &s.QShowServersAs,
              {QStringLiteral("Name"), QStringLiteral("Name (full symbol)"), QStringLiteral("Name (host:port)")});
    addInt(QStringLiteral("Warn if drawing >"), &s.MaxDrawPoints, "MaxDrawPoints", QStringLiteral("K datapoints"));
    addFlag(QStringLiteral("Use server setting"), &m_useServerSetting, false);

    beginGroup(QStringLiteral("Watches"));
    addFlag(QStringLiteral("Refresh after query"), &s.QRefreshWatches);
    addFlag(QStringLiteral("on adding new"), &s.RefreshWatchOnNewOne);
    addFlag(QStringLiteral("Uncheck watches on server change"), &s.QUncheckWatches);
    addFlag(QStringLiteral("Toggle (if adding existing - remove)"), &s.QToggleWatches);
    endGroup();

    beginGroup(QStringLiteral("Namespace Explorer"));
    addFlag(QStringLiteral("Refresh Namespace after each query"), &s.QRefreshNamespace);
    addFlag(QStringLiteral("Refresh on server change"), &s.QLoadNSOnConnect);
    addFlag(QStringLiteral("Hide reservered namespaces"), &s.QNSHideReserved);
    addFlag(QStringLiteral("Hide references not found in the body"), &s.HidePureIndirects);
    addFlag(QStringLiteral("Flatten nested hierarchy"), &s.QNSFlattenNested);
    addInt(QStringLiteral("Service queries timeout is"), &s.NamespaceSQTimeout, "NamespaceSQTimeout",
           QStringLiteral("sec."));
    endGroup();

    beginGroup(QStringLiteral("Output"));
    addFlag(QStringLiteral("Auto Shell-open html results"), &s.AutoShellOpenHtmls);
    addFlag(QStringLiteral("Include query roundtrip timing"), &s.QIncludeRoundtrip);
    addInt(QStringLiteral("Keep last"), &s.QMaxConsoleQueries, "QMaxConsoleQueries", QStringLiteral("queries in console"));
    addInt(QStringLiteral("Limit each result in console to"), &s.QMaxConsoleResultLength, "QMaxConsoleResultLength",
           QStringLiteral("K chars"));
    addFlag(QStringLiteral("Copy headers from table by default"), &s.QCopyHeaders);
    addFlag(QStringLiteral("Double \"\\\" in strings (console-style)"), &s.EscapeSlash);
    addInt(QStringLiteral("Don't highlight results >"), &s.QMaxHighlightResultKChars, "QMaxHighlightResultKChars",
           QStringLiteral("K chars"));
    addInt(QStringLiteral("Keep last "), &s.QMaxHistoryResults, "QMaxHistoryResults",
           QStringLiteral("grid results in history"));
    endGroup();

    beginGroup(QStringLiteral("Grid"));
    addFlag(QStringLiteral("Show dictionaries in grid view"), &s.QGridShowDicts);
    addFlag(QStringLiteral("Show lists (except strings) in grid view"), &s.QGridShowLists);
    addFlag(QStringLiteral("Add"), &s.AddNumColumn);
    addChoice(QStringLiteral("column"), &s.QColNI, {QStringLiteral("# col"), QStringLiteral("i col")});
    addFlag(QStringLiteral("Copy to Clipboard in HTML format"), &s.CopyInHTML);
    addFlag(QStringLiteral("Nulls are empty cells"), &s.NullsAreEmpty);
    addInt(QStringLiteral("Stop cell rendering after"), &s.QCellCharsLimit, "QCellCharsLimit", QStringLiteral("chars"));
    addFlag(QStringLiteral("Display numbers in locale-spec. format"), &s.NumberLocaleFormat);
    addText(QStringLiteral("CSV separator is"), &s.CSVSeparator, 1);
    addFlag(QStringLiteral("Don't close connections."), &s.DontKClose, false);
    endGroup();

    beginGroup(QStringLiteral("Default credentials (use these if not specified in connection symbol)"));
    addText(QStringLiteral("User:"), &s.DefUser, 64);
    addText(QStringLiteral("Password:"), &s.DefPass, 64, true);
    addTextChoice(QStringLiteral("Method:"), &s.AuthMethod, QStringList{QStringLiteral("clear text")} + authMethods);
    endGroup();

    auto* clear = new QPushButton(QStringLiteral("Clear connect history"), this);
    clear->setObjectName(QStringLiteral("Clear connect history"));
    connect(clear, &QPushButton::clicked, this, &CQSettingsPage::clearConnectHistoryRequested);
    addWidget(clear);
}
