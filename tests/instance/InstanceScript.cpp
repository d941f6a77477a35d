#include "InstanceScript.h"

#include "GeneratedTable.h"
#include "InstanceNamespaces.h"
#include "InstanceWatches.h"
#include "TestInstance.h"
#include "ValueNotation.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

QString unescape(const QString& text)
{
    QString out;
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('\\') && i + 1 < text.size()) {
            const QChar e = text.at(++i);
            out += e == QLatin1Char('n') ? QChar('\n') : e == QLatin1Char('t') ? QChar('\t') : e == QLatin1Char('r') ? QChar('\r') : e;
        } else {
            out += text.at(i);
        }
    }
    return out;
}

bool onOff(const QString& value) { return value == QLatin1String("on") || value == QLatin1String("yes") || value == QLatin1String("1"); }

} // namespace

QString InstanceScript::formatHelp()
{
    return QStringLiteral(
        "Script format (one item a line; # starts a comment line):\n"
        "  settings, anywhere:\n"
        "    credentials: user:password user2:password2   accepted logins (default: anyone)\n"
        "    capability: 3                 highest capability to answer (default 6)\n"
        "    handshake-answer: 1           answer this byte whatever the client asks\n"
        "    silent: on                    accept connections but never answer the handshake\n"
        "    tls: on                       TLS with a certificate made at start (its file is printed)\n"
        "    port: 5001                    listening port on 127.0.0.1 (default: chosen, printed)\n"
        "    compress: on                  compress every reply that halves\n"
        "    default-error: unscripted     error for queries no rule matches\n"
        "  rules, tried in order; each starts with query: or pattern:\n"
        "    query: 1+1                    exact query text (\\n \\t \\\\ escapes)\n"
        "    pattern: ^select .* from t$   regular expression on the query text\n"
        "    reply: 2                      reply value (notation below)\n"
        "    table-rows: 1000000           reply with a table of this many rows, made at start:\n"
        "                                  id (long) i, price (float) 100+(i mod 1000)/100,\n"
        "                                  sym (symbol) `s(i mod 200), time (timestamp)\n"
        "                                  2000.01.10D06:13:20 + i milliseconds\n"
        "    trade-rows: 1000000           reply with a day of trades of this many rows, made at\n"
        "                                  start: time (timestamp) 2026.01.05D09:30 + 20 ms a row,\n"
        "                                  sym (symbol) AAPL MSFT GOOG AMZN IBM JPM XOM TSLA in turn,\n"
        "                                  price (float, cents), size (long, 100 to 5000)\n"
        "    error: type                   reply with this q error\n"
        "    raw: 0x0100000009000000ff     reply with these message bytes as they are\n"
        "    delay: 500                    wait this many ms first\n"
        "    drop                          close the connection (after the answer, if any)\n"
        "    never                         never answer (the client waits until it gives up)\n"
        "    compress                      send the reply compressed\n"
        "    publish: (`upd;`t;([] a:1 2))  then push this async message (repeatable)\n"
        "    stream: trade 100 [COUNT [ROWS]]  then publish (`upd;`trade;data) 100 times a\n"
        "                                  second (0: as fast as taken) until COUNT updates\n"
        "                                  or the client goes; data has ROWS rows (default 1):\n"
        "                                  n (long) update number, sym `s(n mod 10), price\n"
        "  services:\n"
        "    version-service: on           answer the connection dialog's version query\n"
        "    tickerplant: 100 trade quote  .u.t lists the tables; .u.sub[`t;...] answers\n"
        "                                  (`t;schema) and streams updates 100 times a second\n"
        "  A query sent as (text; args...) matches its text or its whole notation,\n"
        "  e.g. query: (\"{x+y}\";1;2)\n"
        "\n")
        + InstanceNamespaces::formatHelp() + InstanceWatches::formatHelp() + QStringLiteral(
        "\n"
        "Value notation (q-like):\n"
        "  42 42i 42h 0x2a 1b 1.5 1.5e \"a\" `sym :: 0N 0n 2024.01.31 2024.01m\n"
        "  2024.01.31D10:00:00.000000000 10:00 10:00:00 10:00:00.000 0D01:00:00.000000000\n"
        "  1 2 3  1 2 3i  101b  0x0102  \"text\"  `a`b  enlist 1  (1;`a;\"x\")  ()\n"
        "  `a`b!1 2   ([] a:1 2; b:`x`y)   ([k:1 2] v:`x`y)   {x+y}\n");
}

bool InstanceScript::apply(const QString& script, TestInstance& instance, Settings& settings, QString* error)
{
    const QStringList lines = script.split(QLatin1Char('\n'));
    std::shared_ptr<InstanceRule> rule;
    std::shared_ptr<InstanceWatches> watches; // made with the first watch- line
    auto fail = [&](int line, const QString& why) {
        if (error)
            *error = QStringLiteral("line %1: %2").arg(line + 1).arg(why);
        return false;
    };
    for (int n = 0; n < lines.size(); ++n) {
        const QString line = lines.at(n).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const int colon = line.indexOf(QLatin1Char(':'));
        const QString key = (colon < 0 ? line : line.left(colon)).trimmed();
        const QString value = colon < 0 ? QString() : line.mid(colon + 1).trimmed();
        bool ok = true;
        if (key == QLatin1String("query") || key == QLatin1String("pattern")) {
            rule = std::make_shared<InstanceRule>();
            if (key == QLatin1String("query")) {
                rule->exact = unescape(value);
            } else {
                rule->pattern = QRegularExpression(value);
                rule->usesPattern = true;
                if (!rule->pattern.isValid())
                    return fail(n, QStringLiteral("invalid pattern: %1").arg(rule->pattern.errorString()));
            }
            instance.addRule(rule);
        } else if (key == QLatin1String("credentials")) {
            instance.setCredentials(value.split(QRegularExpression(QStringLiteral("[\\s,]+")), Qt::SkipEmptyParts));
        } else if (key == QLatin1String("capability")) {
            instance.setCapability(value.toInt(&ok));
        } else if (key == QLatin1String("handshake-answer")) {
            instance.setHandshakeAnswer(value.toInt(&ok));
        } else if (key == QLatin1String("silent")) {
            instance.setSilent(onOff(value));
        } else if (key == QLatin1String("tls")) {
            settings.tls = onOff(value);
        } else if (key == QLatin1String("port")) {
            settings.port = value.toInt(&ok);
            ok = ok && settings.port >= 0 && settings.port < 65536;
        } else if (key == QLatin1String("compress") && !rule) {
            instance.setCompressReplies(colon < 0 || onOff(value));
        } else if (key == QLatin1String("version-service")) {
            if (onOff(value))
                instance.addVersionService();
        } else if (key == QLatin1String("tickerplant")) {
            const QStringList words = value.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            const int rate = words.value(0).toInt(&ok);
            if (ok && words.size() < 2)
                return fail(n, QStringLiteral("tickerplant needs a rate and tables"));
            if (ok)
                instance.addTickerplant(words.mid(1), rate);
        } else if (key == QLatin1String("default-error")) {
            instance.setDefaultError(value);
        } else if (key.startsWith(QLatin1String("ns-"))) {
            QString why;
            if (!instance.namespaces().applyLine(key.mid(3), value, &why))
                return fail(n, why);
        } else if (key.startsWith(QLatin1String("watch-"))) {
            if (!watches)
                watches = InstanceWatches::install(instance);
            QString why;
            if (!watches->applyLine(key.mid(6), value, &why))
                return fail(n, why);
        } else if (!rule) {
            return fail(n, QStringLiteral("unknown setting %1 (rules start with query: or pattern:)").arg(key));
        } else if (key == QLatin1String("reply") || key == QLatin1String("publish")) {
            QString why;
            KPtr x = ValueNotation::parse(value, &why);
            if (!x)
                return fail(n, why);
            if (key == QLatin1String("reply"))
                rule->reply = x;
            else
                rule->publish.append(x);
        } else if (key == QLatin1String("table-rows")) {
            const long long rows = value.toLongLong(&ok);
            if (ok && (rows < 0 || rows > GeneratedTable::kMaxRows))
                return fail(n, QStringLiteral("table-rows must be 0 to %1").arg(GeneratedTable::kMaxRows));
            if (ok)
                rule->reply = GeneratedTable::make(rows);
        } else if (key == QLatin1String("trade-rows")) {
            const long long rows = value.toLongLong(&ok);
            if (ok && (rows < 0 || rows > GeneratedTable::kMaxRows))
                return fail(n, QStringLiteral("trade-rows must be 0 to %1").arg(GeneratedTable::kMaxRows));
            if (ok)
                rule->reply = GeneratedTable::makeTrades(rows);
        } else if (key == QLatin1String("error")) {
            rule->error = value;
            rule->hasError = true;
        } else if (key == QLatin1String("raw")) {
            QString hex = value.startsWith(QLatin1String("0x")) ? value.mid(2) : value;
            hex.remove(QRegularExpression(QStringLiteral("\\s")));
            if (hex.isEmpty() || hex.size() % 2 || hex.contains(QRegularExpression(QStringLiteral("[^0-9a-fA-F]"))))
                return fail(n, QStringLiteral("raw needs hex bytes"));
            rule->raw = QByteArray::fromHex(hex.toLatin1());
        } else if (key == QLatin1String("stream")) {
            const QStringList words = value.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            bool rateOk = words.size() >= 2, countOk = true, rowsOk = true;
            rule->streams = true;
            rule->stream.table = words.value(0);
            rule->stream.perSecond = words.value(1).toInt(&rateOk);
            if (words.size() > 2)
                rule->stream.count = words.value(2).toLongLong(&countOk);
            if (words.size() > 3)
                rule->stream.rows = words.value(3).toInt(&rowsOk);
            ok = rateOk && countOk && rowsOk && rule->stream.perSecond >= 0 && rule->stream.rows >= 0;
        } else if (key == QLatin1String("delay")) {
            rule->delayMs = value.toInt(&ok);
        } else if (key == QLatin1String("drop")) {
            rule->dropConnection = true;
        } else if (key == QLatin1String("never")) {
            rule->neverAnswer = true;
        } else if (key == QLatin1String("compress")) {
            rule->compress = true;
        } else {
            return fail(n, QStringLiteral("unknown key %1").arg(key));
        }
        if (!ok)
            return fail(n, QStringLiteral("invalid number: %1").arg(value));
    }
    return true;
}
