// tovo-cli highlight [FILE]: prints a q script (FILE, or standard input) as
// an HTML fragment coloured with the default colour scheme.
#include "CliCommands.h"

#include "core/colors/CDialogFontsColors.h"
#include "editor/CTovoDoc.h"
#include "editor/HighlightHtml.h"

#include <QByteArray>
#include <QFile>

#include <istream>
#include <iterator>
#include <ostream>

namespace {

int run(const std::vector<std::string>& args, CliIo& io)
{
    if (args.size() > 1) {
        io.err << "usage: tovo-cli highlight [FILE]\n";
        return 2;
    }
    QByteArray bytes;
    if (args.empty()) {
        const std::string all((std::istreambuf_iterator<char>(io.in)), std::istreambuf_iterator<char>());
        bytes = QByteArray(all.data(), static_cast<qsizetype>(all.size()));
    } else {
        QFile file(QString::fromLocal8Bit(args[0].c_str()));
        if (!file.open(QIODevice::ReadOnly)) {
            io.err << "tovo-cli highlight: " << file.errorString().toStdString() << "\n";
            return 1;
        }
        bytes = file.readAll();
    }
    const CDialogFontsColors scheme;
    const QByteArray html = highlightHtml(CTovoDoc::decodeFile(bytes), scheme).toUtf8();
    io.out.write(html.constData(), html.size());
    return 0;
}

const CliRegistration registration({"highlight", "[FILE]   print a q script as coloured HTML", run});

} // namespace
