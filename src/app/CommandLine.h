// The program's command line: --profile, --homedir, --server, --async,
// --demo and --dummyfileview, found by plain searches of the whole line.
#pragma once

#include <QString>
#include <QStringList>

class CommandLine {
public:
    CommandLine() = default;
    // line: everything after the program name, as one text.
    explicit CommandLine(const QString& line);
    // Joins the arguments after the program name with blanks.
    static CommandLine fromArguments(const QStringList& arguments);

    QString profile() const { return m_profile; }
    // The --homedir value after environment expansion; empty when not given.
    QString homeDir() const { return m_homeDir; }
    QString server() const { return m_server; }
    bool async() const { return m_async; }
    // --demo: start the bundled demo instance and connect to it.
    bool demo() const { return m_demo; }
    bool dummyFileView() const { return m_raw.contains(QStringLiteral("--dummyfileview")); }
    // Arguments that are not options: files to open.
    QStringList files() const { return m_files; }

    // The value of " <option>:" as the command line gives it, or an empty text.
    static QString optionValue(const QString& paddedLine, const QString& option);

private:
    QString m_raw;
    QString m_profile;
    QString m_homeDir;
    QString m_server;
    bool m_async = false;
    bool m_demo = false;
    QStringList m_files;
};
