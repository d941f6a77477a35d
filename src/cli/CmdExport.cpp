// tovo-cli export csv|html|xml|xlsx [--separator C] [--hex] [OUTFILE] < message:
// the value of one IPC message as the grid exports it (its display texts, the
// default settings). Without OUTFILE the text goes to standard output; an
// .xlsx needs OUTFILE. A file is written whole or not at all.
#include "CliCommands.h"
#include "MessageInput.h"

#include "kdb/KPtr.h"
#include "kdb/MessageCodec.h"
#include "results/export/CsvExport.h"
#include "results/export/HtmlExport.h"
#include "results/export/SpreadsheetXmlExport.h"
#include "results/export/XlsxExport.h"
#include "results/grid/CKTableRenderer.h"

#include <QIODevice>
#include <QSaveFile>

#include <ostream>

namespace {

const char* const kUsage =
    "usage: tovo-cli export csv|html|xml|xlsx [--separator C] [--hex] [OUTFILE] < message\n";

// Standard output as a device for the exporters.
class StreamDevice : public QIODevice {
public:
    explicit StreamDevice(std::ostream& out) : m_out(out) { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        m_out.write(data, std::streamsize(size));
        return m_out ? size : -1;
    }

private:
    std::ostream& m_out;
};

int run(const std::vector<std::string>& args, CliIo& io)
{
    if (args.empty()) {
        io.err << kUsage;
        return 2;
    }
    const std::string format = args[0];
    if (format != "csv" && format != "html" && format != "xml" && format != "xlsx") {
        io.err << kUsage;
        return 2;
    }
    QChar separator(QLatin1Char(','));
    bool hex = false;
    QString outFile;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--separator" && i + 1 < args.size() && args[i + 1].size() == 1) {
            separator = QLatin1Char(args[++i][0]);
        } else if (args[i] == "--hex") {
            hex = true;
        } else if (outFile.isEmpty() && !args[i].starts_with("--")) {
            outFile = QString::fromLocal8Bit(args[i].c_str());
        } else {
            io.err << kUsage;
            return 2;
        }
    }
    if (format == "xlsx" && outFile.isEmpty()) {
        io.err << "tovo-cli export: an .xlsx workbook needs OUTFILE\n";
        return 2;
    }

    std::vector<char> bytes;
    std::string error;
    if (!MessageInput::read(io.in, hex, bytes, error)) {
        io.err << "tovo-cli export: " << error << "\n";
        return 1;
    }
    KPtr value(kdb::MessageCodec::tryDecode(bytes.data(), bytes.size(), error));
    if (!value) {
        io.err << "tovo-cli export: " << error << "\n";
        return 1;
    }
    CKTableRenderer grid;
    if (grid.setValue(value.get()) != CKTableRenderer::Outcome::Shown) {
        io.err << "tovo-cli export: the value is not one the grid shows (a table, dictionary or list)\n";
        return 1;
    }

    QString failure;
    const auto write = [&](QIODevice& device) {
        if (format == "csv")
            return CsvExport::write(grid, nullptr, separator, device);
        if (format == "html")
            return HtmlExport::writePage(grid, device);
        return SpreadsheetXmlExport::write(grid, device);
    };
    bool ok = false;
    if (format == "xlsx") {
        ok = XlsxExport::save(outFile, grid, &failure);
    } else if (outFile.isEmpty()) {
        StreamDevice out(io.out);
        ok = write(out);
        failure = QStringLiteral("standard output refused the text");
    } else {
        QSaveFile file(outFile);
        ok = file.open(QIODevice::WriteOnly) && write(file) && file.flush() && file.commit();
        if (!ok) {
            failure = file.errorString();
            file.cancelWriting();
        }
    }
    if (!ok) {
        io.err << "tovo-cli export: " << failure.toStdString() << "\n";
        return 1;
    }
    return 0;
}

const CliRegistration registration({"export",
                                    "csv|html|xml|xlsx [--separator C] [--hex] [OUTFILE] < message   the value as "
                                    "the grid exports it",
                                    run});

} // namespace
