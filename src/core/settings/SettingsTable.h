// Every named setting of the "Q Settings" and "Editor" pages: field, stored
// name, default and limits, in one place. The page classes and the settings
// dialog are generated from these lists.
#pragma once

// X(field, name, default, min, max): integers, indexes and colours.
#define TOVO_Q_INT_SETTINGS(X)                                                 \
    X(QFloatPrecision, "QFloatPrecision", 7, 1, 32)                            \
    X(QMaxTableRowsAsText, "QMaxTableRowsAsText", 10, 1, 1000)                 \
    X(QShowServersAs, "QShowServersAs", 0, 0, 2)                               \
    X(MaxDrawPoints, "MaxDrawPoints", 0, 0, 1000000)                           \
    X(NamespaceSQTimeout, "NamespaceSQTimeout", 0, 0, 600)                     \
    X(QMaxConsoleQueries, "QMaxConsoleQueries", 25, 0, 10000)                  \
    X(QMaxConsoleResultLength, "QMaxConsoleResultLength", 5, 0, 100000)        \
    X(QMaxHighlightResultKChars, "QMaxHighlightResultKChars", 4, 0, 100000)    \
    X(QMaxHistoryResults, "QMaxHistoryResults", 3, 1, 100)                     \
    X(QColNI, "QColNI", 0, 0, 1)                                               \
    X(QCellCharsLimit, "QCellCharsLimit", 150, 1, 1000000)

// X(field, name, default): flags stored as 0 or 1.
#define TOVO_Q_FLAG_SETTINGS(X)                                                \
    X(PostfixInts, "PostfixInts", false)                                       \
    X(UseCapability, "UseCapability", false)                                   \
    X(QRefreshWatches, "QRefreshWatches", true)                                \
    X(RefreshWatchOnNewOne, "RefreshWatchOnNewOne", false)                     \
    X(QUncheckWatches, "QUncheckWatches", true)                                \
    X(QToggleWatches, "QToggleWatches", true)                                  \
    X(QRefreshNamespace, "QRefreshNamespace", false)                           \
    X(QLoadNSOnConnect, "QLoadNSOnConnect", false)                             \
    X(QNSHideReserved, "QNSHideReserved", true)                                \
    X(HidePureIndirects, "HidePureIndirects", false)                           \
    X(QNSFlattenNested, "QNSFlattenNested", false)                             \
    X(AutoShellOpenHtmls, "AutoShellOpenHtmls", true)                          \
    X(QIncludeRoundtrip, "QIncludeRoundtrip", true)                            \
    X(QCopyHeaders, "QCopyHeaders", false)                                     \
    X(EscapeSlash, "EscapeSlash", true)                                        \
    X(QGridShowDicts, "QGridShowDicts", true)                                  \
    X(QGridShowLists, "QGridShowLists", true)                                  \
    X(AddNumColumn, "Add#Column", false)                                       \
    X(CopyInHTML, "CopyInHTML", true)                                          \
    X(NullsAreEmpty, "NullsAreEmpty", false)                                   \
    X(NumberLocaleFormat, "NumberLocaleFormat", false)                         \
    X(DontKClose, "DontKClose", false)                                         \
    X(EnableTLS, "EnableTLS", false)                                           \
    X(AsyncQuerying, "AsyncQuerying", false)

// X(field, name, default, maximum length; 0 = no limit).
#define TOVO_Q_TEXT_SETTINGS(X)                                                \
    X(CSVSeparator, "CSVSeparator", ",", 1)                                    \
    X(DefUser, "DefUser", "", 64)                                              \
    X(DefPass, "DefPass", "", 64)                                              \
    X(AuthMethod, "AuthMethod", "clear text", 0)                               \
    X(QueryPrefix, "QueryPrefix", "(neg .z.w)[", 0)                            \
    X(QueryPostfix, "QueryPostfix", "];", 0)

#define TOVO_EDITOR_INT_SETTINGS(X)                                            \
    X(SpacesInTab, "SpacesInTab", 4, 1, 32)                                    \
    X(LineFormat, "LineFormat", 0, 0, 2)                                       \
    X(CriticalBackground, "CriticalBackground", 13158655, INT32_MIN, INT32_MAX) \
    X(TypingDelayMS, "TypingDelayMS", 250, 0, 10000)

#define TOVO_EDITOR_FLAG_SETTINGS(X)                                           \
    X(SyntaxHighlightingDef, "SyntaxHighlightingDef", true)                    \
    X(LineWrappingDef, "LineWrappingDef", true)                                \
    X(WordHighlight, "WordHighlight", false)                                   \
    X(CompleteOnDots, "CompleteOnDots", false)                                 \
    X(LogQueries, "LogQueries", true)                                          \
    X(SwitchConnections, "SwitchConnections", false)                           \
    X(ExecuteAll, "ExecuteAll", true)                                          \
    X(CheckFS, "CheckFS", false)                                               \
    X(WrapSyncQueries, "WrapSyncQueries", false)

#define TOVO_EDITOR_TEXT_SETTINGS(X)                                           \
    X(CriticalMasks, "CriticalMasks", "", 255)                                 \
    X(HelpURL, "HelpURL", TOVO_DEFAULT_HELP_URL, 2048)                         \
    X(AltHelpURL, "AltHelpURL", TOVO_DEFAULT_ALT_HELP_URL, 2048)               \
    X(SyncLambda, "SyncLambda", TOVO_DEFAULT_SYNC_LAMBDA, 0)                   \
    X(SyncQueryPrefix, "SyncQueryPrefix", "", 0)                               \
    X(SyncQueryPostfix, "SyncQueryPostfix", "", 0)                             \
    X(AsyncSendbackLambda, "AsyncSendbackLambda", TOVO_DEFAULT_ASYNC_SENDBACK_LAMBDA, 0)

#define TOVO_DEFAULT_HELP_URL "https://code.kx.com/v2/ref/"
#define TOVO_DEFAULT_ALT_HELP_URL "https://code.kx.com/v2/search2?query="
#define TOVO_DEFAULT_SYNC_LAMBDA                                                                 \
    R"({r:z sublist value x;$[(y*1000000) >= -22!r; r; '"Result exceeds ",string[y]," MB, adjust or turn off wrap lambda or hold SHIFT while querying"]}[; 200; 1024])"
#define TOVO_DEFAULT_ASYNC_SENDBACK_LAMBDA                                                       \
    R"({neg[.z.w] {$[(::)~x;"Async success";x]} {@[{-8!x;x};x;{"Async - Result can't be IPCed: '",x}]} @[value;x;{"Async error: '",x}]})"
