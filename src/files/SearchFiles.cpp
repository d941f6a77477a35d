#include "files/SearchFiles.h"

#include "core/files/SafeFile.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace {

// Reads path into files when it is a regular file under the size bound whose
// text passes the NUL rule; false with error when it cannot be read.
bool readInto(SearchFiles::FileMap& files, const QString& path, qint64 size, QString* error)
{
    if (!SafeFile::isRegular(path) || size >= SearchFiles::kMaxFileBytes)
        return true;
    QByteArray bytes;
    if (!SafeFile::read(path, SearchFiles::kMaxFileBytes - 1, &bytes, error))
        return false;
    if (std::optional<QString> text = SearchFiles::acceptedText(bytes))
        files.emplace(path, std::move(*text));
    return true;
}
bool isAscii(const QString& text)
{
    const char16_t* p = reinterpret_cast<const char16_t*>(text.constData());
    const char16_t* end = p + text.size();
    char16_t any = 0;
    for (; p != end; ++p)
        any |= *p;
    return any < 0x80;
}

using Node = SearchFiles::Node;

Node* childFolder(Node& parent, const QString& text)
{
    for (Node& child : parent.children)
        if (child.kind == Node::Folder && child.text.compare(text, Qt::CaseInsensitive) == 0)
            return &child;
    Node folder;
    folder.kind = Node::Folder;
    folder.text = text;
    parent.children.push_back(std::move(folder));
    return &parent.children.back();
}

// A node's full path, for sorting: a folder by its first file.
QString sortPath(const Node& node)
{
    if (node.kind == Node::File)
        return node.path;
    return node.children.empty() ? node.text : sortPath(node.children.front());
}

} // namespace

SearchFiles::FileMap SearchFiles::load(const QString& folder, const QString& mask, QString* error)
{
    FileMap files;
    const QDir dir(folder);
    // Sub-folders are not entered; larger files, FIFOs and devices are left out.
    for (const QFileInfo& info : dir.entryInfoList({mask}, QDir::Files | QDir::Hidden | QDir::System, QDir::Name)) {
        QString reason;
        if (!readInto(files, info.absoluteFilePath(), info.size(), &reason)) {
            if (error)
                *error = readErrorText(info.absoluteFilePath(), reason);
            break;
        }
    }
    return files;
}

QString SearchFiles::readErrorText(const QString& path, const QString& reason)
{
    return QStringLiteral("An error occurred while reading %1.\n%2").arg(path, reason);
}

std::optional<QString> SearchFiles::acceptedText(const QByteArray& bytes)
{
    QString text = QString::fromUtf8(bytes);
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0)
        text.truncate(nul);
    if (bytes.size() >= 2 * text.size() + 2)
        return std::nullopt;
    return text;
}

bool SearchFiles::contains(const QString& haystack, const QString& needle, bool matchCase)
{
    if (needle.isEmpty())
        return true;
    if (matchCase)
        return haystack.contains(needle);
    // Upper-casing a whole file to compare is slow over a large codebase: for
    // plain ASCII on both sides, comparing ignoring case is the same test.
    if (isAscii(needle) && isAscii(haystack))
        return QStringView(haystack).contains(QStringView(needle), Qt::CaseInsensitive);
    return haystack.toUpper().contains(needle.toUpper());
}

QString SearchFiles::rootFolder(const FileMap& files)
{
    QString common;
    bool first = true;
    for (const auto& [path, text] : files) {
        if (text.isEmpty())
            continue;
        if (first) {
            common = path;
            first = false;
            continue;
        }
        qsizetype n = 0;
        const qsizetype most = std::min(common.size(), path.size());
        while (n < most && common[n] == path[n])
            ++n;
        common.truncate(n);
    }
    const qsizetype cut = std::max(common.lastIndexOf(u'\\'), common.lastIndexOf(u'/'));
    return cut < 0 ? QString() : common.left(cut);
}

QString SearchFiles::sortName(const QString& fileName)
{
    const qsizetype slash = std::max(fileName.lastIndexOf(u'\\'), fileName.lastIndexOf(u'/'));
    QString name = fileName.mid(slash + 1);
    if (name.size() > 32 && name[32] == u'.')
        name.remove(0, 33);
    return name;
}

SearchFiles::Layout SearchFiles::layout(const QString& title, const FileMap& files, const Filter& filter,
                                        const QString& previousPath, const QString& previousFunction,
                                        const QString& pendingPath, const FunctionsOf& functionsOf)
{
    Layout out;
    const QString root = rootFolder(files);
    out.root.kind = Node::Root;
    out.root.text = root.isEmpty() ? title : title + u' ' + root;
    bool finalChoice = false;
    QString firstListed;
    for (const auto& [path, text] : files) {
        if (!contains(path, filter.name, filter.nameCase) || !contains(text, filter.body, filter.bodyCase))
            continue;
        QString shown = path;
        if (shown.startsWith(QStringLiteral(":/")))
            shown.remove(0, 2);
        if (shown.startsWith(u'/'))
            shown.remove(0, 1);
        QString rootShown = root;
        if (rootShown.startsWith(u'/'))
            rootShown.remove(0, 1);
        if (!rootShown.isEmpty() && shown.startsWith(rootShown))
            shown.remove(0, rootShown.size());
        const QStringList parts = shown.split(QRegularExpression(QStringLiteral("[\\\\/]")), Qt::SkipEmptyParts);
        if (parts.isEmpty())
            continue;
        Node* parent = &out.root;
        for (qsizetype i = 0; i + 1 < parts.size(); ++i)
            parent = childFolder(*parent, parts[i]);
        Node file;
        file.kind = Node::File;
        file.text = parts.back();
        file.path = path;
        if (functionsOf) {
            QString local = path;
            if (local.startsWith(QStringLiteral(":/")))
                local.remove(0, 2);
            if (local.startsWith(u'/'))
                local.remove(0, 1);
            QList<Function> found = functionsOf(path);
            if (local != path)
                found += functionsOf(local);
            for (const Function& f : found) {
                Node item;
                item.kind = Node::Function;
                item.text = f.name;
                item.path = path;
                item.line = f.line;
                file.children.push_back(std::move(item));
            }
        }
        ++out.files;
        if (firstListed.isEmpty())
            firstListed = path;
        if (!finalChoice) {
            if (!pendingPath.isEmpty() && path == pendingPath) {
                out.selectedPath = path;
                out.selectedFunction.clear();
                finalChoice = true;
            } else if (path == previousPath) {
                out.selectedPath = path;
                out.selectedFunction.clear();
            }
            if (!finalChoice && !previousFunction.isEmpty())
                for (const Node& item : file.children)
                    if (item.text == previousFunction) {
                        out.selectedPath = path;
                        out.selectedFunction = item.text;
                    }
        }
        parent->children.push_back(std::move(file));
    }
    std::vector<Node>& top = out.root.children;
    if (title == QStringLiteral("Query Logs")) {
        std::stable_sort(top.begin(), top.end(), [](const Node& a, const Node& b) { return sortPath(a) > sortPath(b); });
    } else {
        std::stable_sort(top.begin(), top.end(), [](const Node& a, const Node& b) {
            return sortName(a.kind == Node::File ? a.path : a.text) < sortName(b.kind == Node::File ? b.path : b.text);
        });
    }
    // Nothing kept from before: the first file listed, in path order.
    if (out.selectedPath.isEmpty())
        out.selectedPath = firstListed;
    return out;
}
