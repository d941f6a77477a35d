// The authentication method map: method name -> plug-in file, built from the
// plug-ins in the home folder, and the call that asks a plug-in for credentials.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class QLibrary;

class AuthPlugins {
public:
    AuthPlugins();
    ~AuthPlugins();
    AuthPlugins(const AuthPlugins&) = delete;
    AuthPlugins& operator=(const AuthPlugins&) = delete;

    // The file name patterns of plug-ins on this platform.
    static QStringList filePatterns();

    // Loads every matching regular file in folder and enters each non-empty
    // method name; the libraries stay loaded.
    void scan(const QString& folder);
    void setMethod(const QString& name, const QString& path) { m_methods.insert(name, path); }
    bool contains(const QString& method) const { return m_methods.contains(method); }
    QString pathOf(const QString& method) const { return m_methods.value(method); }
    QStringList methodNames() const;

    struct Reply {
        QString credentials;
        QString error; // the message to show; credentials are then empty
    };
    // Asks the method's plug-in for the credentials of input.
    Reply credentials(const QString& method, const QString& input);

    static constexpr int firstBufferSize = 4096;

private:
    QHash<QString, QString> m_methods;
    std::vector<std::unique_ptr<QLibrary>> m_loaded;
};
