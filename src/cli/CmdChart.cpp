// tovo-cli chart [--x COLUMN] [--style 0..4] [--size WxH] OUT: draws the chart
// of a table read as one IPC message from stdin, as the chart dialog would.
#include "CliCommands.h"
#include "MessageInput.h"

#include "chart/ChartRender.h"
#include "kdb/KPtr.h"
#include "kdb/MessageCodec.h"

#include <QGuiApplication>

#include <memory>
#include <ostream>

namespace {

constexpr const char* kUsage = "usage: tovo-cli chart [--x COLUMN] [--style 0..4] [--size WxH] OUT.png|OUT.jpg|OUT.bmp|OUT.svg < message\n";

int run(const std::vector<std::string>& args, CliIo& io)
{
    ChartRender::Options options;
    QString out;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool more = i + 1 < args.size();
        if (a == "--x" && more) {
            options.xColumn = QString::fromStdString(args[++i]);
        } else if (a == "--style" && more) {
            const std::string& s = args[++i];
            if (s.size() != 1 || s[0] < '0' || s[0] > '4') {
                io.err << "tovo-cli chart: --style takes 0 to 4\n";
                return 2;
            }
            options.style = s[0] - '0';
        } else if (a == "--size" && more) {
            const QStringList wh = QString::fromStdString(args[++i]).split(QLatin1Char('x'));
            bool okw = false, okh = false;
            if (wh.size() == 2)
                options.size = QSize(wh[0].toInt(&okw), wh[1].toInt(&okh));
            if (!okw || !okh) {
                io.err << "tovo-cli chart: --size takes WIDTHxHEIGHT\n";
                return 2;
            }
        } else if (out.isEmpty() && !a.empty() && a[0] != '-') {
            out = QString::fromStdString(a);
        } else {
            io.err << kUsage;
            return 2;
        }
    }
    if (out.isEmpty()) {
        io.err << kUsage;
        return 2;
    }
    std::vector<char> bytes;
    std::string error;
    if (!MessageInput::read(io.in, false, bytes, error)) {
        io.err << "tovo-cli chart: " << error << "\n";
        return 1;
    }
    KPtr value(kdb::MessageCodec::tryDecode(bytes.data(), bytes.size(), error));
    if (!value) {
        io.err << "tovo-cli chart: " << error << "\n";
        return 1;
    }
    // Labels need fonts, and fonts a GUI application; no display is needed.
    std::unique_ptr<QGuiApplication> app;
    if (!QGuiApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "tovo-cli";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QGuiApplication>(argc, argv);
    }
    QString message;
    if (!ChartRender::toFile(value.get(), options, out, message)) {
        io.err << "tovo-cli chart: " << message.toStdString() << "\n";
        return 1;
    }
    return 0;
}

const CliRegistration registration(
    {"chart", "[--x COLUMN] [--style 0..4] [--size WxH] OUT.png|.jpg|.bmp|.svg < message   draw the chart of a table", run});

} // namespace
