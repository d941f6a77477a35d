// The values behind the server connection dialog: the name, the connection
// symbol and the host, port, login and password it is assembled from, the
// folder kept aside while the dialog is open, and the texts of its reports.
#pragma once

#include <QString>

class ServerConnForm {
public:
    enum class Field { Host, Port, Login, Password };
    enum class Refusal { None, PortEmpty, SymbolEmpty };
    // Where the focus goes after a report.
    enum class Focus { None, Server, Port, Login, Timeout, Symbol };

    // Splits the name path at its last backquote (folder, then the name with
    // its backquote) and the symbol into its fields.
    void open(const QString& namePath, const QString& symbol);

    QString name() const { return m_name; }
    QString folder() const { return m_folder; }
    QString symbol() const { return m_symbol; }
    QString host() const { return m_host; }
    int port() const { return m_port; }
    // The port box's text: empty for 0.
    QString portText() const { return m_port == 0 ? QString() : QString::number(m_port); }
    QString login() const { return m_login; }
    QString password() const { return m_password; }

    void setName(const QString& name) { m_name = name; }
    // The symbol as typed; the fields follow at the next Test or OK.
    void setSymbol(const QString& symbol) { m_symbol = symbol; }
    // A field edited: the symbol is rebuilt from the four fields.
    void setField(Field field, const QString& text);

    // Test and OK first: the symbol normalised and trimmed, the name given a
    // leading backquote, the fields split from the symbol again.
    void prepare();
    // OK's checks, after prepare().
    Refusal refusal() const;
    static QString refusalText(Refusal refusal);
    static QString refusalCaption(Refusal refusal);
    static Focus refusalFocus(Refusal refusal);
    // The full name path: the folder, then the name box unchanged.
    QString namePath() const { return m_folder + m_name; }
    // "login:password" for Test's connect.
    QString credentials() const { return m_login + u':' + m_password; }

    // Test's reports for a connect result other than success.
    static QString failureInfo(int result, int timeoutSec, const QString& tlsError);
    static Focus failureFocus(int result);
    static QString failureMessage(const QString& symbol, const QString& info);
    // The information box after the version query: the rendered reply
    // without its first and last characters.
    static QString versionInfo(const QString& rendered);
    static QString versionQuery();
    static QString startInfo() { return QStringLiteral("Press Test to see server information here."); }

private:
    void splitSymbol();

    QString m_folder;
    QString m_name;
    QString m_symbol;
    QString m_host;
    int m_port = 0;
    QString m_login;
    QString m_password;
};
