#include "connect/ServerList.h"

#include "core/Prompter.h"
#include "core/files/SafeFile.h"

#include <QFile>

QStringList ServerEntry::components() const
{
    if (!hasNamePath)
        return {symbol};
    QStringList parts = namePath.split(u'`');
    if (!parts.isEmpty() && parts.front().isEmpty())
        parts.removeFirst();
    return parts;
}

QString ServerEntry::name() const
{
    const QStringList parts = components();
    return parts.isEmpty() ? QString() : parts.back();
}

ServerList::ServerList(QString filePath, Prompter& prompter, QObject* parent)
    : QObject(parent), m_path(std::move(filePath)), m_prompter(prompter)
{
}

QString ServerList::openFailureText(const QString& path)
{
    return QStringLiteral("Can't open file ") + path
        + QStringLiteral(" for writing.\nMake sure readonly attribute is off and you have permissions for tovo dir, "
                         "then try launching tovo again.");
}

QList<QByteArray> ServerList::splitLines(const QByteArray& bytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0) {
            lines.append(bytes.mid(start));
            break;
        }
        qsizetype stop = end;
        if (stop > start && bytes.at(stop - 1) == '\r')
            --stop;
        lines.append(bytes.mid(start, stop - start));
        start = end + 1;
    }
    return lines;
}

std::optional<ServerEntry> ServerList::parseLine(const QByteArray& line, int number)
{
    qsizetype at = 0;
    while (at < line.size() && (line.at(at) == ' ' || line.at(at) == '\t'))
        ++at;
    if (at >= line.size() || line.at(at) != '`')
        return std::nullopt;
    while (at < line.size() && line.at(at) == '`')
        ++at;
    const qsizetype next = line.indexOf('`', at);
    ServerEntry entry;
    entry.line = number;
    entry.symbol = u'`' + QString::fromLocal8Bit(line.mid(at, next < 0 ? -1 : next - at));
    if (next < 0) {
        entry.hasNamePath = false;
        entry.namePath = entry.symbol;
    } else {
        entry.namePath = QString::fromLocal8Bit(line.mid(next));
    }
    return entry;
}

bool ServerList::readAll(QByteArray* bytes)
{
    // It holds passwords: a new file is the user's alone. Only a regular file
    // of a sane size is read (a FIFO would block, a device never end).
    if (!SafeFile::ensure(m_path, SafeFile::Access::Private, &m_error)
        || !SafeFile::read(m_path, kMaxFileBytes, bytes, &m_error))
        return false;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadWrite)) {
        m_error = file.errorString();
        bytes->clear();
        return false;
    }
    return true;
}

bool ServerList::load()
{
    QByteArray bytes;
    if (!readAll(&bytes))
        return false;
    m_entries.clear();
    m_map.clear();
    m_byLine.clear();
    const QList<QByteArray> lines = splitLines(bytes);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        auto entry = parseLine(lines.at(i), static_cast<int>(i + 1));
        if (!entry)
            continue;
        m_map.insert(entry->namePath, entry->symbol);
        m_byLine.insert(entry->line, m_entries.size());
        m_entries.append(std::move(*entry));
    }
    emit reloaded();
    return true;
}

bool ServerList::loadOrReport()
{
    if (load())
        return true;
    m_prompter.ask(openFailureText(m_path), QStringLiteral("Tovo - Fatal startup error"), Prompter::Buttons::Ok,
                   Prompter::Icon::Error, Prompter::Answer::Ok);
    return false;
}

const ServerEntry* ServerList::entryAt(int line) const
{
    const auto it = m_byLine.constFind(line);
    return it == m_byLine.cend() ? nullptr : &m_entries.at(*it);
}

bool ServerList::rewrite(const std::function<std::optional<QByteArray>(int, const QByteArray&)>& edit)
{
    QByteArray bytes;
    if (!readAll(&bytes))
        return false;
    QByteArray out;
    out.reserve(bytes.size() + 256);
    const QList<QByteArray> lines = splitLines(bytes);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (auto line = edit(static_cast<int>(i + 1), lines.at(i))) {
            out += *line;
            out += "\r\n";
        }
    }
    return SafeFile::replace(m_path, out, SafeFile::Access::Private, &m_error);
}

bool ServerList::append(const QByteArray& line)
{
    // Written whole like every other change: an append in place that fails
    // half way would leave a broken last line.
    QByteArray bytes;
    if (!readAll(&bytes))
        return false;
    if (!bytes.isEmpty() && !bytes.right(2).endsWith('\n'))
        bytes += "\r\n";
    bytes += line;
    return SafeFile::replace(m_path, bytes, SafeFile::Access::Private, &m_error);
}

bool ServerList::appendLines(const QList<QByteArray>& lines)
{
    QByteArray bytes;
    if (!readAll(&bytes))
        return false;
    if (!bytes.isEmpty() && !bytes.right(2).endsWith('\n'))
        bytes += "\r\n";
    for (const QByteArray& line : lines)
        bytes += line + "\r\n";
    const bool ok = SafeFile::replace(m_path, bytes, SafeFile::Access::Private, &m_error);
    load();
    return ok;
}

ServerList::Result ServerList::removeLines(const QString& namePath, int line, QList<int>* removed)
{
    if (m_prompter.ask(QStringLiteral("Are you sure you want to delete this connection?"), QStringLiteral("Warning"),
                       Prompter::Buttons::YesNo, Prompter::Icon::Warning, Prompter::Answer::No)
        == Prompter::Answer::No)
        return Result::Cancelled;
    const QByteArray whole = (m_map.value(namePath) + namePath).toLocal8Bit();
    const bool ok = rewrite([&](int number, const QByteArray& text) -> std::optional<QByteArray> {
        if (line != 0 ? number == line : text == whole) {
            if (removed)
                removed->append(number);
            return std::nullopt;
        }
        return text;
    });
    load();
    return ok ? Result::Done : Result::Failed;
}

ServerList::Result ServerList::remove(const QString& namePath, int line)
{
    return removeLines(namePath, line, nullptr);
}

ServerList::Result ServerList::save(const QString& namePath, const QString& symbol, const QString& previousNamePath,
                                    int line)
{
    if (namePath != previousNamePath && m_map.contains(namePath)) {
        const QString text = QStringLiteral("The name you've chosen already in use for symbol:\n%1\n"
                                            "Are you sure you want to replace it with:\n%2 ?")
                                 .arg(m_map.value(namePath), symbol);
        if (m_prompter.ask(text, QStringLiteral("Warning"), Prompter::Buttons::YesNo, Prompter::Icon::Warning,
                           Prompter::Answer::No)
            == Prompter::Answer::No)
            return Result::Cancelled;
        QList<int> removed;
        if (removeLines(namePath, 0, &removed) == Result::Failed)
            return Result::Failed;
        // The edited entry moves up by the lines removed above it.
        if (line != 0) {
            int shift = 0;
            for (int number : removed) {
                if (number == line)
                    line = 0; // the edited line itself was the duplicate: it is gone
                else if (number < line)
                    ++shift;
            }
            if (line != 0)
                line -= shift;
        }
    }
    const QByteArray newLine = (symbol + namePath).toLocal8Bit();
    bool ok = false;
    const ServerEntry* edited = line != 0 ? entryAt(line) : nullptr;
    if (line != 0 && m_map.contains(previousNamePath) && edited) {
        ok = rewrite([&](int number, const QByteArray& text) -> std::optional<QByteArray> {
            return number == line ? newLine : text;
        });
    } else {
        ok = append(newLine);
    }
    load();
    return ok ? Result::Done : Result::Failed;
}

bool ServerList::saveTo(const QString& target)
{
    QByteArray bytes;
    if (!readAll(&bytes))
        return false;
    return SafeFile::replace(target, bytes, SafeFile::Access::Private, &m_error);
}

bool ServerList::loadFrom(const QString& source)
{
    QByteArray bytes;
    if (!SafeFile::read(source, kMaxFileBytes, &bytes, &m_error))
        return false;
    const bool ok = SafeFile::replace(m_path, bytes, SafeFile::Access::Private, &m_error);
    load();
    return ok;
}
