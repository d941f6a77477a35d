#include "CliNamespaceLoad.h"

#include "explorer/ServiceChannel.h"

#include "kdb/k.h"
#include "kdb/kerror.h"

#include <ostream>

namespace {

class HandleChannel : public ServiceChannel {
public:
    explicit HandleChannel(int handle) : m_handle(handle) {}
    K call(const QString& text) override
    {
        if (m_handle <= 0)
            return nullptr;
        K reply = k(m_handle, text.toUtf8().constData(), static_cast<K>(nullptr));
        if (!reply) {
            kclose(m_handle);
            m_handle = -1;
        }
        return reply;
    }
    int handle() const { return m_handle; }

private:
    int m_handle;
};

bool digits(const std::string& s, std::size_t most)
{
    return !s.empty() && s.size() <= most && s.find_first_not_of("0123456789") == std::string::npos;
}

} // namespace

std::optional<CliNamespaceLoad> cliLoadNamespaces(const std::string& command, const std::string& usage,
                                                  std::vector<std::string>& args, CliIo& io, int& exit)
{
    exit = 2;
    bool tls = false;
    int timeoutMs = 10000;
    std::vector<std::string> plain;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--tls") {
            tls = true;
        } else if (args[i] == "--timeout" && i + 1 < args.size()) {
            if (!digits(args[i + 1], 9)) {
                io.err << "tovo-cli " << command << ": invalid time-out " << args[i + 1] << "\n";
                return std::nullopt;
            }
            timeoutMs = std::stoi(args[++i]);
        } else {
            plain.push_back(args[i]);
        }
    }
    args = plain;
    const std::string target = plain.empty() ? std::string() : plain[0];
    const auto first = target.find(':');
    const auto second = first == std::string::npos ? first : target.find(':', first + 1);
    const std::string port = first == std::string::npos ? std::string() : target.substr(first + 1, second - first - 1);
    if (!digits(port, 5) || std::stoi(port) <= 0 || std::stoi(port) > 65535) {
        io.err << "usage: tovo-cli " << command << " " << usage << "\n";
        return std::nullopt;
    }
    exit = 1;
    const std::string host = target.substr(0, first);
    const std::string credentials = second == std::string::npos ? std::string() : target.substr(second + 1);
    const std::string where = host + ":" + port;
    const int handle = khpunc(host.c_str(), std::stoi(port), credentials.c_str(), timeoutMs, tls ? 2 : 0);
    if (handle <= 0) {
        switch (handle) {
        case 0: io.err << "tovo-cli: " << where << ": access denied\n"; break;
        case -2: io.err << "tovo-cli: " << where << ": timed out\n"; break;
        default: io.err << "tovo-cli: " << where << ": cannot connect: " << kdb::lastError() << "\n"; break;
        }
        return std::nullopt;
    }
    HandleChannel channel(handle);
    NamespaceLoadSettings settings;
    settings.serverName = QString::fromStdString("`:" + where);
    CliNamespaceLoad loaded;
    NamespaceLoad::Observer observer;
    observer.message = [&](const QString& text) {
        ++loaded.messages;
        io.err << text.toLocal8Bit().constData() << "\n";
    };
    loaded.result = NamespaceLoad::run(channel, settings, nullptr, observer);
    if (channel.handle() > 0)
        kclose(channel.handle());
    if (!loaded.result.loaded)
        return std::nullopt;
    return loaded;
}
