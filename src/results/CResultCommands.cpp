#include "results/CResultCommands.h"

#include "results/OffThread.h"
#include "results/ReplyDisplay.h"
#include "results/binary/BinaryResultFile.h"
#include "results/export/CsvExport.h"
#include "results/export/HtmlExport.h"
#include "results/export/ResultTempFile.h"
#include "core/files/PrivateTempFolder.h"
#include "results/export/SpreadsheetXmlExport.h"
#include "results/export/XlsxExport.h"
#include "results/grid/CKTableRenderer.h"
#include "results/grid/COutputTable.h"

#include "core/FileChooser.h"
#include "core/files/PrivateTempFolder.h"
#include "core/Prompter.h"
#include "core/settings/CDlgQSettings.h"
#include "kdb/KPtr.h"

#include <QPointer>
#include <QDesktopServices>
#include <QUrl>

namespace {

const QString kAllFiles = QStringLiteral("All Files (*.*)");

} // namespace

CResultCommands::CResultCommands(Context context, QObject* parent)
    : QObject(parent)
    , m_context(std::move(context))
    , m_threads(new OffThread(this))
{
    if (!m_context.tempFolder) {
        m_ownFolder = std::make_unique<PrivateTempFolder>();
        m_context.tempFolder = m_ownFolder.get();
    }
    if (!m_context.openFile)
        m_context.openFile = [](const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
}

CResultCommands::~CResultCommands() { m_threads->waitAll(); }

void CResultCommands::waitForFiles() { m_threads->waitAll(); }

void CResultCommands::attach(COutputTable* grid)
{
    connect(grid, &COutputTable::exportSelectionToCsv, this, [this, grid] { exportCsv(grid, true); });
    connect(grid, &COutputTable::exportAllToCsv, this, [this, grid] { exportCsv(grid, false); });
    connect(grid, &COutputTable::openInBrowser, this, [this, grid] { openInBrowser(grid); });
    connect(grid, &COutputTable::openInExcel, this, [this, grid] { openInExcel(grid); });
    connect(grid, &COutputTable::exportToXlsx, this, [this, grid] { exportXlsx(grid); });
    connect(grid, &COutputTable::saveToBinary, this, &CResultCommands::saveToBinary);
    connect(grid, &COutputTable::loadFromBinary, this, [this, grid] { loadIntoGrid(grid); });
}

QChar CResultCommands::separator() const
{
    const QString text = m_context.settings ? m_context.settings->csvSeparator() : QStringLiteral(",");
    return text.isEmpty() ? QLatin1Char(',') : text.at(0);
}

void CResultCommands::failed(const QString& what, const QString& path, const QString& reason)
{
    if (m_context.prompter)
        m_context.prompter->inform(what + QStringLiteral(" ") + path + QStringLiteral("\n") + reason,
                                   QStringLiteral("Error"), Prompter::Icon::Error);
}

QString CResultCommands::notOpenedText(const QString& path)
{
    return QStringLiteral("No application could open the file\n%1\nIt has been written; open it by hand.").arg(path);
}

bool CResultCommands::open(const QString& path)
{
    if (m_context.openFile(path))
        return true;
    if (m_context.prompter)
        m_context.prompter->inform(notOpenedText(path), QStringLiteral("Tovo"), Prompter::Icon::Warning);
    return false;
}

namespace {
struct Written {
    bool ok = false;
    QString error;
    QString path; // of a temporary file
};
} // namespace

// Exports read a detached copy of the grid on a thread of their own: the
// window goes on (the grid may even change) while a million rows are written.
void CResultCommands::exportCsv(COutputTable* grid, bool selectedRowsOnly)
{
    const QString path = m_context.files->saveFileName(
        QString(), QStringLiteral("Comma separated Files (*.csv);;") + kAllFiles, QStringLiteral("test.csv"));
    if (path.isEmpty())
        return;
    std::shared_ptr<const CKTableRenderer> copy = grid->renderer()->detachedCopy();
    auto rows = std::make_shared<const std::vector<int>>(selectedRowsOnly ? grid->selectedRows() : std::vector<int>());
    const QChar sep = separator();
    m_threads->run<Written>(
        [copy, rows, path, sep, selectedRowsOnly] {
            Written w;
            w.ok = CsvExport::save(path, *copy, selectedRowsOnly ? rows.get() : nullptr, sep, &w.error);
            return w;
        },
        [this, copy, path](Written w) {
            if (!w.ok)
                failed(QStringLiteral("Could not write"), path, w.error);
            emit fileDone(w.ok);
        });
}

void CResultCommands::openInBrowser(COutputTable* grid)
{
    std::shared_ptr<const CKTableRenderer> copy = grid->renderer()->detachedCopy();
    PrivateTempFolder* folder = m_context.tempFolder;
    m_threads->run<Written>(
        [copy, folder] {
            Written w;
            w.path = ResultTempFile::write(*folder, QStringLiteral("tovoGrid"), QStringLiteral("html"),
                                           [&copy](QIODevice& out) { return HtmlExport::writePage(*copy, out); });
            return w;
        },
        [this, copy](Written w) {
            emit fileDone(!w.path.isEmpty() && open(w.path));
        });
}

void CResultCommands::openInExcel(COutputTable* grid)
{
    std::shared_ptr<const CKTableRenderer> copy = grid->renderer()->detachedCopy();
    PrivateTempFolder* folder = m_context.tempFolder;
    m_threads->run<Written>(
        [copy, folder] {
            Written w;
            w.path = ResultTempFile::write(*folder, QStringLiteral("tovoGrid"), QStringLiteral("xml"),
                                           [&copy](QIODevice& out) { return SpreadsheetXmlExport::write(*copy, out); });
            return w;
        },
        [this, copy](Written w) {
            emit fileDone(!w.path.isEmpty() && open(w.path));
        });
}

void CResultCommands::exportXlsx(COutputTable* grid)
{
    const QString path = m_context.files->saveFileName(
        QString(), QStringLiteral("Excel Workbook (*.xlsx);;") + kAllFiles, QStringLiteral("test.xlsx"));
    if (path.isEmpty())
        return;
    std::shared_ptr<const CKTableRenderer> copy = grid->renderer()->detachedCopy();
    m_threads->run<Written>(
        [copy, path] {
            Written w;
            w.ok = XlsxExport::save(path, *copy, &w.error);
            return w;
        },
        [this, copy, path](Written w) {
            if (!w.ok)
                failed(QStringLiteral("Could not write"), path, w.error);
            emit fileDone(w.ok);
        });
}

void CResultCommands::saveToBinary(K value)
{
    if (!value)
        return;
    const QString path = m_context.files->saveFileName(QString(), kAllFiles, QString());
    if (path.isEmpty())
        return;
    struct Saved {
        bool ok = false;
        QString error;
    };
    KPtr held(r1(value));
    m_threads->run<Saved>(
        [held, path] {
            Saved saved;
            saved.ok = BinaryResultFile::save(path, held.get(), &saved.error);
            return saved;
        },
        [this, path](Saved saved) {
            if (!saved.ok)
                failed(QStringLiteral("Could not save the binary file"), path, saved.error);
            emit fileDone(saved.ok);
        });
}

void CResultCommands::loadFile(const QString& path,
                               std::function<void(K value, qint32 elapsedMs, qint64 memoryGrowth)> done)
{
    m_threads->run<BinaryResultFile::Loaded>([path] { return BinaryResultFile::load(path); },
                                             [this, done](BinaryResultFile::Loaded loaded) {
                                                 if (!loaded.value && m_context.prompter)
                                                     m_context.prompter->inform(BinaryResultFile::refusedText(),
                                                                                QStringLiteral("Error"),
                                                                                Prompter::Icon::Error);
                                                 done(loaded.value, loaded.elapsedMs, loaded.memoryGrowth);
                                                 emit fileDone(loaded.value != nullptr);
                                             });
}

void CResultCommands::loadIntoGrid(COutputTable* grid)
{
    const QString path = m_context.files->openFileName(QString(), kAllFiles);
    if (path.isEmpty())
        return;
    QPointer<COutputTable> target(grid);
    loadFile(path, [target, path](K value, qint32 elapsedMs, qint64 memoryGrowth) {
        KPtr owned(value);
        if (!owned || !target)
            return;
        CResultInfo record;
        record.roundtrip = elapsedMs;
        record.size = memoryGrowth;
        record.received = CResultInfo::receivedNow();
        record.query = QStringLiteral("Loaded from binary ") + path;
        record.server = QStringLiteral("Loaded locally");
        target->setValue(owned.get(), &record);
    });
}

QString CResultCommands::saveResultAsText(K value)
{
    if (value && value->t == KG)
        return QStringLiteral("Save Binary Result As...");
    if (value && value->t == KC)
        return QStringLiteral("Save String Result As...");
    return QString();
}

void CResultCommands::saveResultAs(K value)
{
    if (!BinaryResultFile::isRawSavable(value))
        return;
    const QString path = m_context.files->saveFileName(QString(), kAllFiles, QString());
    if (path.isEmpty())
        return;
    QString error;
    const bool ok = BinaryResultFile::saveRaw(path, value, &error);
    if (!ok)
        failed(QStringLiteral("Could not save"), path, error);
    emit fileDone(ok);
}

void CResultCommands::saveAndOpenInShell(K value)
{
    const QString path = ReplyDisplay::writeShellFile(value, *m_context.tempFolder);
    if (!path.isEmpty())
        open(path);
}
