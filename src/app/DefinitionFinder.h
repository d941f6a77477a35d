// Where an identifier of a source view is defined, from what the last
// namespace load found: the file and line of a function (the local
// codebase's counterpart of the file when one is loaded, otherwise the
// instance's own copy of the file text), or just the entity when no file is
// known.
#pragma once

#include "files/SearchFiles.h"

#include <QString>

class NamespaceModel;

struct Definition {
    enum Kind { None, LocalFile, RemoteText, Entity };
    Kind kind = None;
    QString name;     // full name of the entity
    QString path;     // LocalFile: the local file; RemoteText: the instance's path
    QString text;     // RemoteText: the file's text as the instance read it
    qint64 line = -1; // from 1; -1 when unknown
};

class DefinitionFinder {
public:
    // The full name an identifier stands for: the entity of that name, else
    // for a bare name the one function of that short name in any namespace;
    // empty when none (or more than one) fits.
    static QString resolve(const NamespaceModel& model, const QString& identifier);
    static Definition find(const NamespaceModel* model, const SearchFiles::FileMap& local, const QString& identifier);
};
