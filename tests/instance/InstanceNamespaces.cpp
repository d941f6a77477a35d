#include "InstanceNamespaces.h"

#include "ValueNotation.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace {

K symbolList(const QStringList& names)
{
    K list = ktn(KS, 0);
    for (const QString& name : names)
        js(&list, ss(name.toUtf8().constData()));
    return list;
}

K charVector(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    return kpn(bytes.constData(), bytes.size());
}

K dictionary(const QStringList& names, K values) { return xD(symbolList(names), values); }

QString nameSpaceOf(const QString& full)
{
    const qsizetype dot = full.lastIndexOf(QLatin1Char('.'));
    return dot <= 0 ? QString() : full.left(dot);
}

QString shortOf(const QString& full) { return full.mid(full.lastIndexOf(QLatin1Char('.')) + 1); }

// The quoted names of a name list, unescaped.
QStringList quotedNames(const QString& text)
{
    static const QRegularExpression quoted(QStringLiteral(R"re("((?:[^"\\]|\\.)*)")re"));
    QStringList names;
    for (auto it = quoted.globalMatch(text); it.hasNext();) {
        QString name = it.next().captured(1);
        name.replace(QStringLiteral("\\\""), QStringLiteral("\"")).replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
        names << name;
    }
    return names;
}

// The namespace symbol of a lambda as kdb+ sends it: no leading dot.
K lambda(const QString& nameSpace, const QString& source)
{
    K f = ktn(0, 2);
    f->t = KLAMBDA;
    kK(f)[0] = ks(nameSpace.mid(1).toUtf8().constData());
    kK(f)[1] = charVector(source);
    return f;
}

int rankOf(int type)
{
    switch (type) {
    case KUNARY: return 1;
    case KBINARY: return 2;
    case KTERNARY: return 3;
    case KDYNLOAD: return 0;
    default: return 1;
    }
}

} // namespace

void InstanceNamespaces::addNamespace(const QString& symbol)
{
    // A namespace exists inside its parent, which is a namespace too.
    if (symbol.isEmpty() || symbol == QLatin1String(".z"))
        return;
    const QString parent = nameSpaceOf(symbol);
    if (!parent.isEmpty())
        addNamespace(parent);
    if (!m_namespaces.contains(symbol))
        m_namespaces << symbol;
}

void InstanceNamespaces::addTable(const QString& fullName, const Table& table)
{
    addNamespace(nameSpaceOf(fullName));
    m_tables.insert(fullName, table);
}

void InstanceNamespaces::addFunction(const QString& fullName, const Function& function)
{
    addNamespace(nameSpaceOf(fullName));
    m_functions.insert(fullName, function);
    if (!function.file.isEmpty())
        m_files[function.file].insert(function.line, fullName + u':' + function.body);
}

void InstanceNamespaces::addVariable(const QString& fullName, const Variable& variable)
{
    addNamespace(nameSpaceOf(fullName));
    m_variables.insert(fullName, variable);
}

void InstanceNamespaces::answerNamespacesWith(K value) { m_namespacesOverride = KPtr(value); }

int InstanceNamespaces::queryNumber(const QString& query)
{
    static const QRegularExpression tag(QStringLiteral(R"(\.z\.tovo\.ns\.r([1-5]):)"));
    const auto match = tag.match(query);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

KPtr InstanceNamespaces::answer(const QString& query) const
{
    const int number = queryNumber(query);
    if (!number)
        return {};
    if (m_failures.contains(number))
        return KPtr(krr(m_failures.value(number).toUtf8().constData()));
    // The arguments follow the lambda's last "`$".
    const qsizetype args = query.lastIndexOf(QLatin1String("`$"));
    switch (number) {
    case 1: return m_namespacesOverride ? m_namespacesOverride : namespacesReply();
    case 2: {
        const qsizetype except = query.indexOf(QLatin1String(")) except (),"));
        const qsizetype first = query.indexOf(QLatin1String("velz_err"));
        if (except < 0 || first < 0)
            return KPtr(krr("rank"));
        return variablesReply(quotedNames(query.mid(first, except - first)), quotedNames(query.mid(except)));
    }
    case 3: return tablesReply(quotedNames(query.mid(args)));
    case 4: return functionsReply(quotedNames(query.mid(args)));
    default: return filesReply(quotedNames(query.mid(args)));
    }
}

KPtr InstanceNamespaces::namespacesReply() const
{
    QStringList spaces = m_namespaces;
    std::sort(spaces.begin(), spaces.end());
    spaces.prepend(QString());
    QHash<QString, QStringList> tables, functions, variables;
    for (auto it = m_tables.cbegin(); it != m_tables.cend(); ++it) {
        tables[nameSpaceOf(it.key())] << shortOf(it.key());
        if (it->storage != 3) // \v lists in-memory and splayed tables too
            variables[nameSpaceOf(it.key())] << shortOf(it.key());
    }
    for (auto it = m_functions.cbegin(); it != m_functions.cend(); ++it)
        functions[nameSpaceOf(it.key())] << shortOf(it.key());
    for (auto it = m_variables.cbegin(); it != m_variables.cend(); ++it)
        variables[nameSpaceOf(it.key())] << shortOf(it.key());
    for (const QString& ns : std::as_const(spaces))
        if (!ns.isEmpty())
            if (!nameSpaceOf(ns).isEmpty())
                variables[nameSpaceOf(ns)] << shortOf(ns); // a namespace is a dictionary in its parent

    K values = ktn(0, 0);
    for (const QString& ns : std::as_const(spaces)) {
        const QString head = ns.isEmpty() ? QStringLiteral(".") : ns + QLatin1Char('.');
        K lists = knk(3, symbolList(tables.value(ns)), symbolList(functions.value(ns)), symbolList(variables.value(ns)));
        jk(&values, dictionary({head + QStringLiteral("Tables"), head + QStringLiteral("Functions"),
                                head + QStringLiteral("Variables")},
                               lists));
    }
    // .z: fixed lists, no tables.
    const QStringList handlers = QStringLiteral("ac bm exit pc pd pg ph pi pm po pp pq ps pw vs ts s wc wo ws").split(' ');
    const QStringList constants =
        QStringLiteral("a b e ex ey f h H i k K l o q r u w W x X n N p P z Z t T d D c zd").split(' ');
    jk(&values, dictionary({QStringLiteral(".z.Tables"), QStringLiteral(".z.Handlers"), QStringLiteral(".z.Constants")},
                           knk(3, symbolList({}), symbolList(handlers), symbolList(constants))));
    spaces << QStringLiteral(".z");
    return KPtr(dictionary(spaces, values));
}

KPtr InstanceNamespaces::variablesReply(const QStringList& names, const QStringList& tables) const
{
    QStringList keys;
    K values = ktn(0, 0);
    for (const QString& name : names) {
        qint64 type = 0, count = 0, size = 0;
        if (m_variables.contains(name)) {
            const Variable& v = m_variables[name];
            type = v.type, count = v.count, size = v.size;
        } else if (m_tables.contains(name)) {
            const Table& t = m_tables[name];
            if (t.storage == 3 && tables.contains(name))
                continue; // partitioned tables are left out
            type = t.keyed ? 99 : 98, count = t.rows, size = t.size >= 0 ? t.size : t.rows * 8 * t.columns.size();
        } else if (m_namespaces.contains(name)) {
            type = 99, count = 1, size = 64;
        } else {
            continue; // evaluating the name fails
        }
        keys << name;
        jk(&values, knk(3, kh(int(type)), kj(count), kj(size)));
    }
    return KPtr(dictionary(keys, values));
}

KPtr InstanceNamespaces::tablesReply(const QStringList& names) const
{
    QStringList keys;
    K values = ktn(0, 0);
    for (const QString& name : names) {
        if (!m_tables.contains(name))
            continue;
        const Table& t = m_tables[name];
        K meta;
        if (!t.metaError.isEmpty()) {
            meta = ks(t.metaError.toUtf8().constData());
        } else {
            QStringList c, f, a;
            QByteArray types;
            for (const Column& column : t.columns) {
                c << column.name;
                types += column.type;
                f << column.foreignKey;
                a << column.attribute;
            }
            K keyTable = xT(dictionary({QStringLiteral("c")}, knk(1, symbolList(c))));
            K valueTable = xT(dictionary({QStringLiteral("t"), QStringLiteral("f"), QStringLiteral("a")},
                                         knk(3, kpn(types.constData(), types.size()), symbolList(f), symbolList(a))));
            meta = xD(keyTable, valueTable);
        }
        keys << name;
        jk(&values, knk(3, meta, kh(t.keyed ? 99 : 98), ki(t.storage)));
    }
    return KPtr(dictionary(keys, values));
}

KPtr InstanceNamespaces::functionsReply(const QStringList& names) const
{
    QStringList keys;
    K values = ktn(0, 0);
    for (const QString& name : names) {
        if (!m_functions.contains(name))
            continue;
        const Function& f = m_functions[name];
        K definition = nullptr;
        K free = ks("");
        const Function* base = f.type == KPROJECTION && m_functions.contains(f.base) ? &*m_functions.constFind(f.base) : &f;
        if (f.type == KLAMBDA || f.type == KPROJECTION) {
            if (f.type == KPROJECTION && !m_functions.contains(f.base))
                continue;
            const QString ns = nameSpaceOf(f.type == KPROJECTION ? f.base : name);
            K first;
            if (f.type == KLAMBDA) {
                first = ktn(0, 0);
            } else {
                first = knk(1, lambda(ns, base->body));
                for (const QString& arg : f.args) {
                    KPtr value = arg.isEmpty() ? KPtr() : ValueNotation::parse(arg);
                    K item = value ? value.release() : nullptr;
                    if (!item) {
                        item = ka(KUNARY); // an elided argument is the generic null
                        item->g = 0;
                    }
                    jk(&first, item);
                }
                r0(free);
                free = symbolList(f.free);
            }
            QStringList globals = base->globals;
            globals.prepend(ns.mid(1));
            definition = knk(8, first, symbolList(base->params), symbolList(base->locals), symbolList(globals),
                             charVector(base->body), charVector(QStringLiteral("..") + shortOf(f.type == KPROJECTION ? f.base : name)),
                             charVector(base->file), kj(base->line));
        } else {
            K value;
            if (f.type == KDYNLOAD) {
                value = ks("code");
            } else if (f.type >= KUNARY && f.type <= KTERNARY) {
                value = ka(f.type);
                value->g = static_cast<G>(f.value.toInt());
            } else {
                KPtr inner = ValueNotation::parse(f.value);
                if (f.type == KCOMPOSITION) {
                    value = inner ? inner.release() : ktn(0, 0);
                    if (value->t == 0)
                        value->t = KCOMPOSITION;
                } else {
                    value = ka(f.type);
                    value->k = inner ? inner.release() : lambda(QString(), QStringLiteral("{x}"));
                }
            }
            QStringList params = QStringList{QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z")}.mid(
                0, f.type >= KUNARY && f.type <= KTERNARY ? rankOf(f.type) : (f.type == KDYNLOAD ? 0 : f.type == KCOMPOSITION ? 1 : 2));
            definition = knk(6, r1(value), symbolList(params), ks(""), ks(""), ks(""), value);
        }
        keys << name;
        jk(&values, knk(4, kh(f.type), definition, free,
                        knk(2, symbolList(base->symbols), symbolList(base->nestedGlobals))));
    }
    return KPtr(dictionary(keys, values));
}

KPtr InstanceNamespaces::filesReply(const QStringList& paths) const
{
    K list = ktn(0, 0);
    for (const QString& path : paths) {
        const QByteArray bytes = fileText(path).toUtf8();
        K vector = ktn(KG, bytes.size());
        std::copy(bytes.begin(), bytes.end(), reinterpret_cast<char*>(kG(vector)));
        jk(&list, vector);
    }
    return KPtr(list);
}

QString InstanceNamespaces::fileText(const QString& path) const
{
    const auto file = m_files.constFind(path);
    if (file == m_files.cend())
        return QString();
    QStringList lines {QStringLiteral("/ ") + path};
    bool header = true; // line 1 still holds only the comment
    QStringList unplaced;
    for (auto it = file->cbegin(); it != file->cend(); ++it) {
        const qint64 line = it.key();
        if (line == 1 && header) {
            lines.front() = it.value();
            header = false;
        } else if (line > lines.size() && line <= 100000) {
            while (lines.size() < line - 1)
                lines << QString();
            lines << it.value();
        } else {
            unplaced << it.value(); // no line known, or the line is taken
        }
    }
    return (lines + unplaced).join(u'\n') + u'\n';
}

KPtr InstanceNamespaces::sourceAnswer(const QString& query) const
{
    auto lambdaOf = [this](const QString& name) -> K {
        const auto f = m_functions.constFind(name);
        if (f == m_functions.cend() || f->type != KLAMBDA)
            return nullptr;
        return lambda(nameSpaceOf(name), f->body);
    };
    const QString text = query.trimmed();
    static const QString dependents = QStringLiteral("{x!{.:[x]}each x}(),{x@where {112h<>type .:[x]}each x}(),");
    if (text.startsWith(dependents)) {
        QStringList keys;
        K values = ktn(0, 0);
        for (const QString& name : text.mid(dependents.size()).split(u'`', Qt::SkipEmptyParts)) {
            if (K f = lambdaOf(name)) {
                keys << name;
                jk(&values, f);
            }
        }
        return keys.isEmpty() ? KPtr() : KPtr(dictionary(keys, values));
    }
    K f = lambdaOf(text);
    return f ? KPtr(f) : KPtr();
}

namespace {
// key=value words; "body=" takes the rest of the line.
QHash<QString, QString> words(const QString& text, QString& name)
{
    QHash<QString, QString> out;
    QString rest = text.trimmed();
    const qsizetype space = rest.indexOf(QLatin1Char(' '));
    name = space < 0 ? rest : rest.left(space);
    rest = space < 0 ? QString() : rest.mid(space + 1).trimmed();
    while (!rest.isEmpty()) {
        if (rest.startsWith(QLatin1String("body="))) {
            out.insert(QStringLiteral("body"), rest.mid(5));
            break;
        }
        const qsizetype end = rest.indexOf(QLatin1Char(' '));
        const QString word = end < 0 ? rest : rest.left(end);
        rest = end < 0 ? QString() : rest.mid(end + 1).trimmed();
        const qsizetype eq = word.indexOf(QLatin1Char('='));
        out.insert(eq < 0 ? word : word.left(eq), eq < 0 ? QString() : word.mid(eq + 1));
    }
    return out;
}

QStringList listOf(const QString& text) { return text.split(QLatin1Char(','), Qt::SkipEmptyParts); }
} // namespace

bool InstanceNamespaces::applyLine(const QString& key, const QString& value, QString* error)
{
    QString name;
    const QHash<QString, QString> w = words(value, name);
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (key == QLatin1String("namespace")) {
        addNamespace(name);
    } else if (key == QLatin1String("variable")) {
        Variable v;
        v.type = w.value(QStringLiteral("type"), QStringLiteral("-7")).toInt();
        v.count = w.value(QStringLiteral("count"), QStringLiteral("1")).toLongLong();
        v.size = w.value(QStringLiteral("size"), QStringLiteral("8")).toLongLong();
        addVariable(name, v);
    } else if (key == QLatin1String("table")) {
        Table t;
        t.keyed = w.contains(QStringLiteral("keyed"));
        t.storage = w.value(QStringLiteral("storage"), QStringLiteral("1")).toInt();
        t.rows = w.value(QStringLiteral("rows"), QStringLiteral("0")).toLongLong();
        t.size = w.value(QStringLiteral("size"), QStringLiteral("-1")).toLongLong();
        t.metaError = w.value(QStringLiteral("meta-error"));
        for (const QString& column : listOf(w.value(QStringLiteral("cols")))) {
            const QStringList parts = column.split(QLatin1Char(':'));
            if (parts.size() < 2 || parts.at(1).size() != 1)
                return fail(QStringLiteral("column %1: want name:type[:attribute[:foreign key]]").arg(column));
            t.columns.append({parts.at(0), parts.at(1).at(0).toLatin1(), parts.value(3), parts.value(2)});
        }
        addTable(name, t);
    } else if (key == QLatin1String("lambda")) {
        Function f;
        f.params = listOf(w.value(QStringLiteral("params")));
        f.locals = listOf(w.value(QStringLiteral("locals")));
        f.globals = listOf(w.value(QStringLiteral("globals")));
        f.nestedGlobals = listOf(w.value(QStringLiteral("nested")));
        f.symbols = listOf(w.value(QStringLiteral("symbols")));
        f.file = w.value(QStringLiteral("file"));
        f.line = w.value(QStringLiteral("line"), QStringLiteral("-1")).toLongLong();
        f.body = w.value(QStringLiteral("body"));
        if (f.body.isEmpty())
            return fail(QStringLiteral("a lambda needs body=..."));
        addFunction(name, f);
    } else if (key == QLatin1String("projection")) {
        Function f;
        f.type = KPROJECTION;
        f.base = w.value(QStringLiteral("base"));
        f.args = w.value(QStringLiteral("args")).split(QLatin1Char(';'));
        f.free = listOf(w.value(QStringLiteral("free")));
        if (!m_functions.contains(f.base))
            return fail(QStringLiteral("projection of an unknown lambda %1").arg(f.base));
        addFunction(name, f);
    } else if (key == QLatin1String("function")) {
        Function f;
        f.type = w.value(QStringLiteral("type")).toInt();
        f.value = w.value(QStringLiteral("value"));
        if (f.type < KUNARY || f.type > KDYNLOAD)
            return fail(QStringLiteral("type must be 101..112"));
        addFunction(name, f);
    } else if (key == QLatin1String("fail")) {
        const int number = name.toInt();
        if (number < 1 || number > 5)
            return fail(QStringLiteral("query number 1..5"));
        failQuery(number, value.trimmed().mid(name.size()).trimmed());
    } else if (key == QLatin1String("generate")) {
        generate(w.value(QStringLiteral("namespaces"), QStringLiteral("100")).toInt(),
                 w.value(QStringLiteral("functions"), QStringLiteral("5000")).toInt(),
                 w.value(QStringLiteral("tables"), QStringLiteral("1000")).toInt(),
                 w.value(QStringLiteral("variables"), QStringLiteral("14000")).toInt(),
                 w.value(QStringLiteral("body"), QStringLiteral("300")).toInt());
    } else {
        return fail(QStringLiteral("unknown model line ns-%1").arg(key));
    }
    return true;
}

void InstanceNamespaces::generate(int namespaces, int functions, int tables, int variables, int bodyLength)
{
    auto nsOf = [namespaces](int i) { return QStringLiteral(".ns%1").arg(i % qMax(1, namespaces)); };
    for (int i = 0; i < namespaces; ++i)
        addNamespace(QStringLiteral(".ns%1").arg(i));
    for (int i = 0; i < tables; ++i) {
        Table t;
        t.rows = 1000 + i;
        t.columns = {{QStringLiteral("time"), 'p', {}, {}}, {QStringLiteral("sym"), 's', {}, QStringLiteral("g")},
                     {QStringLiteral("price"), 'f', {}, {}}, {QStringLiteral("size"), 'j', {}, {}}};
        addTable(nsOf(i) + QStringLiteral(".tab%1").arg(i), t);
    }
    for (int i = 0; i < variables; ++i) {
        Variable v;
        v.type = i % 3 ? 7 : -9;
        v.count = i % 3 ? i : 1;
        v.size = v.count * 8;
        addVariable(nsOf(i) + QStringLiteral(".var%1").arg(i), v);
    }
    for (int i = 0; i < functions; ++i) {
        Function f;
        const QString ns = nsOf(i);
        f.params = {QStringLiteral("x"), QStringLiteral("y")};
        f.locals = {QStringLiteral("r")};
        f.globals = {QStringLiteral("var%1").arg(i), QStringLiteral("tab%1").arg(i % qMax(1, tables))};
        QString body = QStringLiteral("{[x;y] r:select from tab%1 where size>x; ").arg(i % qMax(1, tables));
        while (body.size() < bodyLength - 12)
            body += QStringLiteral("r:update price:price*y from r; ");
        body += QStringLiteral("r,var%1}").arg(i);
        f.body = body;
        addFunction(ns + QStringLiteral(".fn%1").arg(i), f);
    }
}

QString InstanceNamespaces::formatHelp()
{
    return QStringLiteral(
        "Namespace model (answers the explorer's five service queries; names are full q names):\n"
        "    ns-namespace: .feed           an empty namespace (others come with their members)\n"
        "    ns-variable: .feed.limit type=-7 count=1 size=8\n"
        "    ns-table: .feed.trades [keyed] storage=1 rows=100 [size=N] [meta-error=TEXT]\n"
        "              cols=time:p,sym:s:g,acct:j::accounts   (name:type letter[:attribute[:foreign key]])\n"
        "              storage 1 in memory, 2 splayed, 3 partitioned (not listed as a variable)\n"
        "    ns-lambda: .feed.upd params=t,x locals=r globals=trades nested=g symbols=s\n"
        "               file=/q/feed.q line=12 body={[t;x] r:t insert x}   (body= last, to the end)\n"
        "    ns-projection: .feed.upd1 base=.feed.upd args=`trades; free=x   (args in value notation\n"
        "               separated by ;, an empty one elided)\n"
        "    ns-function: .feed.sum type=107 value={x+y}   other kinds 101..112 (101..103: value is\n"
        "               the primitive's code; 105: a list of functions; 106..111 the function iterated)\n"
        "    ns-fail: 3 type               service query 1..5 (namespaces, variables, tables,\n"
        "               functions, files) fails with this q error\n"
        "    ns-generate: namespaces=100 functions=5000 tables=1000 variables=14000 body=300\n"
        "               a large generated model\n"
        "  .z is always listed (20 handlers, 32 constants); a lambda's file is served by the files query.\n");
}
