// Command identifiers shared by menus, toolbars, accelerators and stored
// settings (ApplicationLook keeps a look's id).
#pragma once

namespace cmd {

// File
inline constexpr int FileNew = 57600, FileOpen = 57601, FileClose = 57602, FileSave = 57603, FileSaveAs = 57604;
inline constexpr int FilePrintSetup = 57606, FilePrint = 57607, FilePrintPreview = 57609, AppExit = 57665, AppAbout = 57664;
inline constexpr int ExportToExcel = 32892, OpenHomeFolder = 32964, ViewSearchLogs = 32987, RecoverTempFiles = 32989;
// Edit
inline constexpr int EditCopy = 57634, EditCut = 57635, EditFind = 57636, EditPaste = 57637, EditPasteSpecial = 57638;
inline constexpr int EditFindNext = 57640, EditReplace = 57641, EditSelectAll = 57642, EditUndo = 57643, EditRedo = 57644;
inline constexpr int GoToLine = 32858, GoToMatchingBracket = 32867, AutoComplete = 32882;
inline constexpr int GoToDefinition = 33010, NavigateBackward = 33011;
// Q
inline constexpr int ExecuteLine = 32771, ExecuteSelection = 32772, QuickWatch = 32773, ConnectToServer = 32779;
inline constexpr int Settings = 32787, Connected = 32804, Tls = 32977, Async = 32893, ConnectPrevious = 32902;
inline constexpr int ConnectNext = 32901, TestSubscription = 32917, Debugger = 32927, VariablesInventory = 32939;
inline constexpr int FunctionsInventory = 32940, RemoteFilesInventory = 32980, ResultsStash = 32956;
inline constexpr int Stop = 32995;
// View
inline constexpr int ViewStatusBar = 59393, FullScreen = 32777, LineWrapping = 32778, ChartGrid = 32879, SyntaxHighlight = 32899;
inline constexpr int GridFilterRow = 33120;
// Window
inline constexpr int WindowNew = 57648, Windows = 131;
// Help
inline constexpr int QHelp = 32848;
// Toolbars
inline constexpr int Customize = 126, Refresh = 32936, FileFilter = 408, ContentSearch = 409;
// Tabs
inline constexpr int TabbedDocument = 32816, NewHorizontalTabGroup = 32817, NewVerticalTabGroup = 32818, MoveToNextTabGroup = 32819;
inline constexpr int MoveToPreviousTabGroup = 32820, ShowInFileView = 32954;
// Application looks
inline constexpr int LookWindows2000 = 205, LookOfficeXP = 206, LookWindowsXP = 207, LookOffice2003 = 208, LookVS2005 = 209;
inline constexpr int LookVS2008 = 210, LookBlue = 215, LookBlack = 216, LookSilver = 217, LookAqua = 218, LookWindows7 = 219, LookDark = 220;

} // namespace cmd
