// The behaviour behind the result commands of the grids and the Results view:
// CSV, browser, spreadsheet and .xlsx exports, binary files, raw saves and
// opening in the shell. Files are asked for through the FileChooser, failures
// told through the Prompter; binary files are read and written off the
// window's thread.
#pragma once

#include "results/grid/CResultInfo.h"

#include "kdb/k.h"

#include <QObject>

#include <functional>
#include <memory>

class CDlgQSettings;
class COutputTable;
class FileChooser;
class OffThread;
class PrivateTempFolder;
class Prompter;

class CResultCommands : public QObject {
    Q_OBJECT
public:
    struct Context {
        FileChooser* files = nullptr;
        Prompter* prompter = nullptr;
        const CDlgQSettings* settings = nullptr;
        // Where files for other applications go; null: a folder of this object's own.
        PrivateTempFolder* tempFolder = nullptr;
        // Opens a file with the desktop's default application; false when
        // none could be started.
        std::function<bool(const QString& path)> openFile;
    };

    CResultCommands(Context context, QObject* parent = nullptr);
    ~CResultCommands() override;

    // Handles the export and binary commands of a grid's menu.
    void attach(COutputTable* grid);

    void exportCsv(COutputTable* grid, bool selectedRowsOnly);
    void openInBrowser(COutputTable* grid);
    void openInExcel(COutputTable* grid);
    void exportXlsx(COutputTable* grid);
    // Save to binary: asks for a file, writes off the window's thread.
    void saveToBinary(K value);
    // Load from binary into a grid, with the record of a local load.
    void loadIntoGrid(COutputTable* grid);
    // Reads a binary file off the window's thread; done gets the value
    // (owned) or null after the refusal has been shown.
    void loadFile(const QString& path, std::function<void(K value, qint32 elapsedMs, qint64 memoryGrowth)> done);
    // "Save Result As...": a string or byte vector, raw.
    void saveResultAs(K value);
    // "Save and Open in Shell": a string as .html/.xml, bytes as .png.
    void saveAndOpenInShell(K value);

    // Finished when no file work is running (for tests and exit).
    void waitForFiles();

    // The menu text of "Save Result As..." for a reply; empty when disabled.
    static QString saveResultAsText(K value);
    // What the user is told when no application opened a written file.
    static QString notOpenedText(const QString& path);

signals:
    // A file command ended: succeeded or not (for tests and the status bar).
    void fileDone(bool ok);

private:
    void failed(const QString& what, const QString& path, const QString& reason);
    // Opens a written file; when no application opens it the user is told
    // where the file is. False then.
    bool open(const QString& path);
    QChar separator() const;

    Context m_context;
    std::unique_ptr<PrivateTempFolder> m_ownFolder;
    OffThread* m_threads;
};
