// The file list of the search-files dialog: the text files of one folder read
// whole, filtered by path and by content, and laid out as a tree under a root
// titled by the caller ("Query Logs", "Temp Saved Files"), with the functions
// known to be defined in each file under it.
#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <map>
#include <optional>
#include <vector>

class QByteArray;

class SearchFiles {
public:
    // Full path -> text, in path order.
    using FileMap = std::map<QString, QString>;
    static constexpr qint64 kMaxFileBytes = 1048576;

    // Reads every regular file of folder whose name matches mask (wildcards;
    // sub-folders are not entered): files under 1 MiB whose text passes
    // acceptedText. A file that cannot be read ends the load: the files read
    // before it are returned and error says which and why. Blocking: call it
    // off the window's thread.
    static FileMap load(const QString& folder, const QString& mask, QString* error = nullptr);
    // What the user is told of a file that cannot be read.
    static QString readErrorText(const QString& path, const QString& reason);
    // The text kept for a file's bytes: UTF-8, up to the first NUL, and only
    // when the bytes are fewer than twice those characters plus 2, which
    // leaves out binary files.
    static std::optional<QString> acceptedText(const QByteArray& bytes);

    struct Filter {
        QString name; // must occur in the full path
        bool nameCase = false;
        QString body; // must occur in the text
        bool bodyCase = false;
    };
    struct Function {
        QString name;
        qint64 line = -1;
    };
    struct Node {
        enum Kind { Root, Folder, File, Function };
        Kind kind = Root;
        QString text;
        QString path;     // a file's full path; a function's file
        qint64 line = -1; // a function's line
        std::vector<Node> children;
    };
    struct Layout {
        Node root;
        int files = 0;            // files listed
        QString selectedPath;     // the file to select (of the function when one is)
        QString selectedFunction; // the function item to select, or empty
        bool expandAll() const { return files < 1000; }
    };
    using FunctionsOf = std::function<QList<Function>(const QString& path)>;

    // The tree of one fill. previousPath and previousFunction are the last
    // fill's selection; a pendingPath that is listed is selected whatever
    // else.
    static Layout layout(const QString& title, const FileMap& files, const Filter& filter,
                         const QString& previousPath, const QString& previousFunction, const QString& pendingPath,
                         const FunctionsOf& functionsOf);

    // The longest common folder of the paths of files with text.
    static QString rootFolder(const FileMap& files);
    // The sort key of a file name: an automatic save's 32-character prefix
    // and its dot are dropped, so saves sort by their document names.
    static QString sortName(const QString& fileName);
    // Whether needle occurs in haystack, exactly or in upper-case forms.
    static bool contains(const QString& haystack, const QString& needle, bool matchCase);
};
