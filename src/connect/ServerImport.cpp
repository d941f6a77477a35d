#include "connect/ServerImport.h"

#include "connect/ConnectionSymbol.h"
#include "connect/ServerList.h"

#include "core/files/SafeFile.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <optional>

namespace {

// ---- Java properties (Studio for kdb+) ----------------------------------

using Properties = QList<std::pair<QString, QString>>;

// A logical line's key and value with the format's escapes undone: \t \n \r
// \f, \uXXXX, and a backslash before any other character stands for it.
QString unescapeProperty(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\\' || i + 1 >= text.size()) {
            out += c;
            continue;
        }
        const QChar e = text.at(++i);
        if (e == u't')
            out += u'\t';
        else if (e == u'n')
            out += u'\n';
        else if (e == u'r')
            out += u'\r';
        else if (e == u'f')
            out += u'\f';
        else if (e == u'u' && i + 4 < text.size()) {
            bool ok = false;
            const ushort code = text.mid(i + 1, 4).toUShort(&ok, 16);
            if (ok) {
                out += QChar(code);
                i += 4;
            } else {
                out += e;
            }
        } else {
            out += e;
        }
    }
    return out;
}

bool isPropertySpace(QChar c) { return c == u' ' || c == u'\t' || c == u'\f'; }

Properties readProperties(const QString& text)
{
    Properties out;
    const QStringList raw = text.split(u'\n');
    for (qsizetype n = 0; n < raw.size(); ++n) {
        QString line = raw.at(n);
        if (line.endsWith(u'\r'))
            line.chop(1);
        qsizetype start = 0;
        while (start < line.size() && isPropertySpace(line.at(start)))
            ++start;
        if (start == line.size() || line.at(start) == u'#' || line.at(start) == u'!')
            continue;
        line = line.mid(start);
        // An odd run of backslashes at the end continues the line.
        auto continues = [](const QString& l) {
            qsizetype slashes = 0;
            for (qsizetype i = l.size() - 1; i >= 0 && l.at(i) == u'\\'; --i)
                ++slashes;
            return slashes % 2 == 1;
        };
        while (continues(line) && n + 1 < raw.size()) {
            line.chop(1);
            QString next = raw.at(++n);
            if (next.endsWith(u'\r'))
                next.chop(1);
            qsizetype s = 0;
            while (s < next.size() && isPropertySpace(next.at(s)))
                ++s;
            line += next.mid(s);
        }
        // The key ends at the first unescaped separator (=, : or blank).
        qsizetype end = 0;
        while (end < line.size()) {
            const QChar c = line.at(end);
            if (c == u'\\') {
                end += 2;
                continue;
            }
            if (c == u'=' || c == u':' || isPropertySpace(c))
                break;
            ++end;
        }
        end = std::min(end, line.size());
        qsizetype value = end;
        while (value < line.size() && isPropertySpace(line.at(value)))
            ++value;
        if (value < line.size() && (line.at(value) == u'=' || line.at(value) == u':'))
            ++value;
        while (value < line.size() && isPropertySpace(line.at(value)))
            ++value;
        out.append({unescapeProperty(line.left(end)), unescapeProperty(line.mid(value))});
    }
    return out;
}

QString escapeProperty(const QString& text, bool key)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        switch (c.unicode()) {
        case '\\': out += QLatin1String("\\\\"); break;
        case '\t': out += QLatin1String("\\t"); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\r': out += QLatin1String("\\r"); break;
        case '\f': out += QLatin1String("\\f"); break;
        case '=':
        case ':':
        case '#':
        case '!': out += u'\\'; out += c; break;
        case ' ':
            if (key || i == 0)
                out += u'\\';
            out += c;
            break;
        default:
            if (c.unicode() < 0x20 || c.unicode() > 0x7e)
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    return out;
}

// ---- JSON with comments (VS Code settings) --------------------------------

// Drops // and /* */ comments and commas before a closing bracket, outside strings.
QByteArray stripJsonComments(const QByteArray& in)
{
    QByteArray out;
    out.reserve(in.size());
    bool inString = false;
    for (qsizetype i = 0; i < in.size(); ++i) {
        const char c = in.at(i);
        if (inString) {
            out += c;
            if (c == '\\' && i + 1 < in.size())
                out += in.at(++i);
            else if (c == '"')
                inString = false;
            continue;
        }
        if (c == '"') {
            inString = true;
            out += c;
        } else if (c == '/' && i + 1 < in.size() && in.at(i + 1) == '/') {
            while (i < in.size() && in.at(i) != '\n')
                ++i;
            out += '\n';
        } else if (c == '/' && i + 1 < in.size() && in.at(i + 1) == '*') {
            const qsizetype end = in.indexOf("*/", i + 2);
            i = end < 0 ? in.size() : end + 1;
            out += ' ';
        } else if (c == ']' || c == '}') {
            qsizetype back = out.size() - 1;
            while (back >= 0 && (out.at(back) == ' ' || out.at(back) == '\t' || out.at(back) == '\n' || out.at(back) == '\r'))
                --back;
            if (back >= 0 && out.at(back) == ',')
                out[back] = ' ';
            out += c;
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<int> portOf(const QJsonValue& v)
{
    if (v.isDouble()) {
        const double d = v.toDouble();
        if (d >= 1 && d <= 65535 && d == double(int(d)))
            return int(d);
        return std::nullopt;
    }
    bool ok = false;
    const int p = v.toString().trimmed().toInt(&ok);
    return ok && p >= 1 && p <= 65535 ? std::optional<int>(p) : std::nullopt;
}

bool flagOf(const QJsonValue& v)
{
    return v.isBool() ? v.toBool() : v.toString().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

QStringList pathOf(const QString& text) { return text.split(u'/', Qt::SkipEmptyParts); }

// The name as given, or "host:port" when there is none; a name with slashes
// names its folders.
void setNamePath(ImportedServer& s, const QStringList& folders, const QString& name)
{
    QStringList parts = pathOf(name);
    if (parts.isEmpty())
        parts << QStringLiteral("%1:%2").arg(s.host).arg(s.port);
    s.name = parts.takeLast();
    s.folders = folders + parts;
}

// A field Servers.cfg cannot hold: a backquote ends the symbol, a line break the entry.
bool unfit(const QString& text)
{
    return text.contains(u'`') || text.contains(u'\n') || text.contains(u'\r') || text.contains(QChar(0));
}

QString checkServers(const QList<ImportedServer>& servers)
{
    for (const ImportedServer& s : servers) {
        QStringList fields {s.host, s.user, s.password, s.name};
        fields += s.folders;
        for (const QString& f : fields)
            if (unfit(f))
                return QStringLiteral("server \"%1\" holds a backquote or a line break, which Servers.cfg cannot keep")
                    .arg(QString(s.name).remove(u'\n').remove(u'\r'));
        if (s.host.contains(u':'))
            return QStringLiteral("server \"%1\": host \"%2\" holds a colon").arg(s.name, s.host);
        if (s.user.contains(u':'))
            return QStringLiteral("server \"%1\": user \"%2\" holds a colon").arg(s.name, s.user);
    }
    return QString();
}

ServerImport::Parsed parseStudio(const Properties& properties)
{
    ServerImport::Parsed parsed;
    parsed.format = ServerImport::Format::Studio;
    QHash<QString, QString> values;
    QStringList order; // names in the order their keys appear
    QStringList listed;
    static const QStringList fields {QStringLiteral("host"), QStringLiteral("port"), QStringLiteral("user"),
                                     QStringLiteral("password"), QStringLiteral("useTLS")};
    for (const auto& [key, value] : properties) {
        values.insert(key, value);
        if (key == QLatin1String("Servers")) {
            listed.clear();
            for (const QString& name : value.split(u','))
                if (!name.trimmed().isEmpty())
                    listed << name.trimmed();
            continue;
        }
        if (!key.startsWith(QLatin1String("server.")))
            continue;
        for (const QString& field : fields) {
            if (key.endsWith(u'.' + field) && key.size() > 8 + field.size()) {
                const QString name = key.mid(7, key.size() - 8 - field.size());
                if (!order.contains(name))
                    order << name;
                break;
            }
        }
    }
    // The Servers list gives the order; servers with keys but not listed follow.
    QStringList names = listed;
    for (const QString& name : std::as_const(order))
        if (!names.contains(name))
            names << name;
    for (const QString& name : std::as_const(names)) {
        if (!order.contains(name))
            continue; // listed without any key (a name with a comma splits in the list)
        auto value = [&](const char* field) { return values.value(QStringLiteral("server.%1.%2").arg(name, QLatin1String(field))); };
        ImportedServer s;
        s.host = value("host").trimmed();
        if (s.host.isEmpty()) {
            parsed.error = QStringLiteral("server \"%1\" has no host").arg(name);
            return parsed;
        }
        const auto port = portOf(QJsonValue(value("port")));
        if (!port) {
            parsed.error = QStringLiteral("server \"%1\" has no valid port (\"%2\")").arg(name, value("port"));
            return parsed;
        }
        s.port = *port;
        s.user = value("user");
        s.password = value("password");
        s.tls = flagOf(QJsonValue(value("useTLS")));
        setNamePath(s, {}, name);
        parsed.servers << s;
    }
    return parsed;
}

// kdb-studio: server objects (host, port, name, folder, user, password,
// useTLS) anywhere in the document; an object with a name and a list of
// children, servers or folders is a folder of what it holds.
bool walkKdbStudio(const QJsonValue& value, const QStringList& folders, bool root, ServerImport::Parsed& parsed)
{
    if (value.isArray()) {
        for (const QJsonValue& item : value.toArray())
            if (!walkKdbStudio(item, folders, false, parsed))
                return false;
        return true;
    }
    if (!value.isObject())
        return true;
    const QJsonObject o = value.toObject();
    if (o.contains(QLatin1String("host"))) {
        ImportedServer s;
        s.host = o.value(QLatin1String("host")).toString().trimmed();
        const QString name = o.value(QLatin1String("name")).toString();
        const auto port = portOf(o.value(QLatin1String("port")));
        if (s.host.isEmpty() || !port) {
            parsed.error = QStringLiteral("server \"%1\" has no valid host and port").arg(name);
            return false;
        }
        s.port = *port;
        s.user = o.value(QLatin1String("user")).toString();
        s.password = o.value(QLatin1String("password")).toString();
        s.tls = flagOf(o.value(QLatin1String("useTLS"))) || flagOf(o.value(QLatin1String("tls")));
        setNamePath(s, folders + pathOf(o.value(QLatin1String("folder")).toString()), name);
        parsed.servers << s;
        return true;
    }
    QStringList inner = folders;
    const QString name = o.value(QLatin1String("name")).toString().trimmed();
    if (!root && !name.isEmpty())
        inner << name;
    for (const char* key : {"servers", "children", "folders"})
        if (!walkKdbStudio(o.value(QLatin1String(key)), inner, false, parsed))
            return false;
    return true;
}

ServerImport::Parsed parseVsCode(const QJsonObject& servers)
{
    ServerImport::Parsed parsed;
    parsed.format = ServerImport::Format::VsCode;
    for (auto it = servers.begin(); it != servers.end(); ++it) {
        if (!it.value().isObject()) {
            parsed.error = QStringLiteral("connection \"%1\" is no object").arg(it.key());
            return parsed;
        }
        const QJsonObject o = it.value().toObject();
        ImportedServer s;
        s.host = o.value(QLatin1String("serverName")).toString().trimmed();
        const auto port = portOf(o.value(QLatin1String("serverPort")));
        if (s.host.isEmpty() || !port) {
            parsed.error = QStringLiteral("connection \"%1\" has no valid serverName and serverPort").arg(it.key());
            return parsed;
        }
        s.port = *port;
        s.tls = flagOf(o.value(QLatin1String("tls")));
        // Credentials stay in VS Code's secret store: the settings hold none.
        const QString alias = o.value(QLatin1String("serverAlias")).toString().trimmed();
        setNamePath(s, {}, alias.isEmpty() ? it.key() : alias);
        parsed.servers << s;
    }
    return parsed;
}

QString notAServerList()
{
    return QStringLiteral("it is none of the server lists Tovo reads: a Studio for kdb+ properties file "
                          "(server.NAME.host keys), a kdb-studio servers file (JSON) or VS Code settings with "
                          "\"kdb.servers\"");
}

} // namespace

QString ImportedServer::namePath() const
{
    QString path;
    for (const QString& f : folders)
        path += u'`' + f;
    return path + u'`' + name;
}

QString ImportedServer::symbol() const { return ConnectionSymbol::compose(host, port, user, password); }

QString ServerImport::formatName(Format format)
{
    switch (format) {
    case Format::Studio: return QStringLiteral("Studio for kdb+");
    case Format::KdbStudio: return QStringLiteral("kdb-studio");
    case Format::VsCode: return QStringLiteral("kdb VS Code extension");
    case Format::Unknown: break;
    }
    return QStringLiteral("unknown");
}

ServerImport::Format ServerImport::formatNamed(const QString& name)
{
    if (name == QLatin1String("studio"))
        return Format::Studio;
    if (name == QLatin1String("vscode"))
        return Format::VsCode;
    return Format::Unknown;
}

ServerImport::Parsed ServerImport::parse(const QByteArray& bytes)
{
    Parsed parsed;
    const QByteArray trimmed = bytes.trimmed();
    if (trimmed.startsWith('{') || trimmed.startsWith('[')) {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(stripJsonComments(bytes), &error);
        if (document.isNull()) {
            parsed.error = QStringLiteral("it is not valid JSON (%1 at byte %2)").arg(error.errorString()).arg(error.offset);
            return parsed;
        }
        const QJsonObject root = document.object();
        if (document.isObject() && root.contains(QLatin1String("kdb.servers"))) {
            if (!root.value(QLatin1String("kdb.servers")).isObject()) {
                parsed.error = QStringLiteral("its \"kdb.servers\" is no object");
                return parsed;
            }
            parsed = parseVsCode(root.value(QLatin1String("kdb.servers")).toObject());
        } else {
            parsed.format = Format::KdbStudio;
            walkKdbStudio(document.isObject() ? QJsonValue(root) : QJsonValue(document.array()), {}, true, parsed);
            if (parsed.error.isEmpty() && parsed.servers.isEmpty()) {
                parsed.format = Format::Unknown;
                parsed.error = notAServerList();
            }
        }
    } else {
        const Properties properties = readProperties(QString::fromUtf8(bytes));
        bool studio = false;
        for (const auto& [key, value] : properties)
            if (key.startsWith(QLatin1String("server.")) && key.endsWith(QLatin1String(".host")))
                studio = true;
        if (!studio) {
            parsed.error = notAServerList();
            return parsed;
        }
        parsed = parseStudio(properties);
    }
    if (parsed.error.isEmpty())
        parsed.error = checkServers(parsed.servers);
    if (!parsed.error.isEmpty())
        parsed.servers.clear();
    return parsed;
}

ServerImport::Parsed ServerImport::read(const QString& path)
{
    Parsed parsed;
    QByteArray bytes;
    if (!SafeFile::read(path, kMaxFileBytes, &bytes, &parsed.error))
        return parsed;
    return parse(bytes);
}

QString ServerImport::Outcome::summary() const
{
    return QStringLiteral("%1 server%2 imported, %3 already in the list skipped.")
        .arg(added)
        .arg(added == 1 ? QString() : QStringLiteral("s"))
        .arg(duplicates);
}

ServerImport::Outcome ServerImport::add(ServerList& list, const QList<ImportedServer>& servers, const QStringList& into)
{
    Outcome outcome;
    if (!list.load()) {
        outcome.error = list.errorString();
        return outcome;
    }
    QSet<QString> taken;
    for (const ServerEntry& e : list.entries())
        taken.insert(e.namePath);
    QList<QByteArray> lines;
    for (ImportedServer s : servers) {
        s.folders = into + s.folders;
        const QString namePath = s.namePath();
        if (taken.contains(namePath)) {
            ++outcome.duplicates;
            continue;
        }
        taken.insert(namePath);
        if (s.tls)
            lines << tlsMark(namePath).toLocal8Bit();
        lines << (s.symbol() + namePath).toLocal8Bit();
        ++outcome.added;
    }
    if (!lines.isEmpty() && !list.appendLines(lines)) {
        outcome.error = list.errorString();
        outcome.added = 0;
    }
    return outcome;
}

QList<ImportedServer> ServerImport::entriesOf(const QList<ServerEntry>& entries, const QByteArray& fileBytes)
{
    QSet<QString> tls;
    for (const QByteArray& line : ServerList::splitLines(fileBytes)) {
        const QString text = QString::fromLocal8Bit(line).trimmed();
        if (text.startsWith(tlsMark(QString())))
            tls.insert(text.mid(tlsMark(QString()).size()));
    }
    QList<ImportedServer> out;
    for (const ServerEntry& e : entries) {
        const ConnectionTarget target = ConnectionSymbol::parse(e.symbol);
        ImportedServer s;
        s.host = target.host;
        s.port = target.port;
        const QStringList parts = e.hasNamePath ? e.components() : QStringList();
        s.name = parts.isEmpty() ? QStringLiteral("%1:%2").arg(s.host).arg(s.port) : parts.last();
        s.folders = parts.mid(0, std::max<qsizetype>(0, parts.size() - 1));
        const qsizetype colon = target.credentials.indexOf(u':');
        s.user = colon < 0 ? target.credentials : target.credentials.left(colon);
        s.password = colon < 0 ? QString() : target.credentials.mid(colon + 1);
        s.tls = tls.contains(e.namePath);
        out << s;
    }
    return out;
}

QByteArray ServerImport::write(Format format, const QList<ImportedServer>& servers)
{
    auto fullName = [](const ImportedServer& s) { return (s.folders + QStringList {s.name}).join(u'/'); };
    if (format == Format::VsCode) {
        QJsonObject connections;
        for (const ImportedServer& s : servers) {
            QJsonObject o;
            o.insert(QStringLiteral("serverName"), s.host);
            o.insert(QStringLiteral("serverPort"), QString::number(s.port));
            o.insert(QStringLiteral("serverAlias"), fullName(s));
            o.insert(QStringLiteral("auth"), !s.user.isEmpty());
            o.insert(QStringLiteral("managed"), false);
            o.insert(QStringLiteral("tls"), s.tls);
            connections.insert(fullName(s), o);
        }
        QJsonObject root;
        root.insert(QStringLiteral("kdb.servers"), connections);
        return QJsonDocument(root).toJson(QJsonDocument::Indented);
    }
    QString text = QStringLiteral("# Servers exported by Tovo\n");
    QStringList names;
    for (const ImportedServer& s : servers)
        names << fullName(s);
    text += QStringLiteral("Servers=") + escapeProperty(names.join(u','), false) + u'\n';
    for (const ImportedServer& s : servers) {
        const QString key = QStringLiteral("server.") + escapeProperty(fullName(s), true);
        text += key + QStringLiteral(".host=") + escapeProperty(s.host, false) + u'\n';
        text += key + QStringLiteral(".port=") + QString::number(s.port) + u'\n';
        text += key + QStringLiteral(".user=") + escapeProperty(s.user, false) + u'\n';
        text += key + QStringLiteral(".password=") + escapeProperty(s.password, false) + u'\n';
        if (s.tls)
            text += key + QStringLiteral(".useTLS=true\n");
    }
    return text.toUtf8();
}
