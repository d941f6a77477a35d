#include "connect/ServerConnForm.h"

#include "connect/ConnectionSymbol.h"

namespace {
int portValue(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok && value > 0 ? value : 0;
}
} // namespace

void ServerConnForm::open(const QString& namePath, const QString& symbol)
{
    const qsizetype last = namePath.lastIndexOf(u'`');
    m_folder = last < 0 ? QString() : namePath.left(last);
    m_name = last < 0 ? namePath : namePath.mid(last);
    m_symbol = symbol;
    splitSymbol();
}

void ServerConnForm::splitSymbol()
{
    const ConnectionTarget target = ConnectionSymbol::parse(m_symbol);
    m_host = target.host;
    m_port = target.port;
    const qsizetype colon = target.credentials.indexOf(u':');
    m_login = colon < 0 ? target.credentials : target.credentials.left(colon);
    m_password = colon < 0 ? QString() : target.credentials.mid(colon + 1);
}

void ServerConnForm::setField(Field field, const QString& text)
{
    switch (field) {
    case Field::Host: m_host = text; break;
    case Field::Port: m_port = portValue(text); break;
    case Field::Login: m_login = text; break;
    case Field::Password: m_password = text; break;
    }
    m_symbol = ConnectionSymbol::compose(m_host, m_port, m_login, m_password);
}

void ServerConnForm::prepare()
{
    m_symbol = ConnectionSymbol::normalise(m_symbol).trimmed();
    if (!m_name.startsWith(u'`'))
        m_name.prepend(u'`');
    splitSymbol();
}

ServerConnForm::Refusal ServerConnForm::refusal() const
{
    if (m_port == 0)
        return Refusal::PortEmpty;
    if (m_symbol.size() <= 3)
        return Refusal::SymbolEmpty;
    return Refusal::None;
}

QString ServerConnForm::refusalText(Refusal refusal)
{
    switch (refusal) {
    case Refusal::PortEmpty: return QStringLiteral("Please, enter connection details (port) to connect or save connection.");
    case Refusal::SymbolEmpty: return QStringLiteral("Please, enter connection details to connect or save connection.");
    case Refusal::None: break;
    }
    return QString();
}

QString ServerConnForm::refusalCaption(Refusal refusal)
{
    switch (refusal) {
    case Refusal::PortEmpty: return QStringLiteral("Port is empty");
    case Refusal::SymbolEmpty: return QStringLiteral("Symbol is empty");
    case Refusal::None: break;
    }
    return QString();
}

ServerConnForm::Focus ServerConnForm::refusalFocus(Refusal refusal)
{
    switch (refusal) {
    case Refusal::PortEmpty: return Focus::Port;
    case Refusal::SymbolEmpty: return Focus::Symbol;
    case Refusal::None: break;
    }
    return Focus::None;
}

QString ServerConnForm::failureInfo(int result, int timeoutSec, const QString& tlsError)
{
    switch (result) {
    case -1: return QStringLiteral("Couldn't contact server/port!");
    case -2: return QStringLiteral("Couldn't connect in %1 sec.").arg(timeoutSec);
    case 0: return QStringLiteral("Access denied! Supply correct credentials.");
    case -3: return QStringLiteral("TLS set-up failed: ") + tlsError;
    default: return QString();
    }
}

ServerConnForm::Focus ServerConnForm::failureFocus(int result)
{
    switch (result) {
    case -2: return Focus::Timeout;
    case 0: return Focus::Login;
    default: return Focus::Server;
    }
}

QString ServerConnForm::failureMessage(const QString& symbol, const QString& info)
{
    return QStringLiteral("Connection failed to ") + symbol + u'\n' + info;
}

QString ServerConnForm::versionInfo(const QString& rendered)
{
    return rendered.size() < 2 ? QString() : rendered.mid(1, rendered.size() - 2);
}

QString ServerConnForm::versionQuery()
{
    return QStringLiteral(R"(.Q.s (enlist raze ("KDB+ v.", string .z.K, " build ", .z.k)), .z.h, (enlist string[.z.o]), .z.D+.z.T)");
}
