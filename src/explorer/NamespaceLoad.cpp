#include "explorer/NamespaceLoad.h"

#include "explorer/CQFunction.h"
#include "explorer/CQTable.h"
#include "explorer/CQVariable.h"
#include "explorer/CrossReference.h"
#include "explorer/KReplyAccess.h"
#include "explorer/ReservedNames.h"
#include "explorer/ServiceChannel.h"
#include "explorer/ServiceQueries.h"

#include "core/values/KRender.h"
#include "kdb/KPtr.h"

#include <QDateTime>

#include <exception>

using namespace KReplyAccess;

QString NamespaceLoad::failureMessage(const QString& query, const QString& reason, const QString& server)
{
    return QStringLiteral("Service query failed: ") + query + QStringLiteral("\nReason: ") + reason
        + QStringLiteral("\nOn server: ") + server;
}

QString NamespaceLoad::malformedMessage(const QString& query, const QString& reply, const QString& server)
{
    return QStringLiteral("Service query returned malformed result (checking .z.pg on the instance might be a good "
                          "idea): ")
        + query + QStringLiteral("\nResult: ") + reply + QStringLiteral("\nOn server: ") + server;
}

namespace {

QString console(K x) { return x ? renderConsole(x, RenderOptions()) : QString(); }

void splitName(const QString& full, QString& nameSpace, QString& shortName)
{
    const qsizetype dot = full.lastIndexOf(QLatin1Char('.'));
    nameSpace = dot < 0 ? QString() : full.left(dot);
    shortName = dot < 0 ? full : full.mid(dot + 1);
}

// The keys (as text) and values of a dictionary keyed by symbols, with one
// value per key; false for anything else.
bool symbolDictionary(K reply, QStringList& names, K& valueList)
{
    K k = keys(reply);
    K v = values(reply);
    if (!k || k->t != KS || !v || v->t != 0 || v->n != k->n)
        return false;
    for (J i = 0; i < k->n; ++i)
        names << QString::fromUtf8(kS(k)[i]);
    valueList = v;
    return true;
}

bool parseNamespaces(K reply, QList<NamespaceEntry>& out)
{
    K k = keys(reply);
    K v = values(reply);
    if (!k || k->t != KS || !v)
        return false;
    for (J i = 0; i < k->n; ++i) {
        NamespaceEntry entry;
        entry.symbol = QString::fromUtf8(kS(k)[i]);
        // Each value is a dictionary of categories; a table's rows are too.
        K categories = nullptr;
        K lists = nullptr;
        J row = -1;
        if (v->t == 0 && v->n == k->n) {
            categories = keys(kK(v)[i]);
            lists = values(kK(v)[i]);
        } else if (v->t == XT && count(v) == k->n) {
            categories = keys(v->k);
            lists = values(v->k);
            row = i;
        }
        if (!categories || categories->t != KS || !lists || lists->t != 0 || lists->n != categories->n)
            return false;
        for (J c = 0; c < categories->n; ++c) {
            NamespaceCategory category;
            category.key = QString::fromUtf8(kS(categories)[c]);
            category.name = category.key.mid(category.key.lastIndexOf(QLatin1Char('.')) + 1);
            K names = kK(lists)[c];
            if (row >= 0)
                names = names && names->t == 0 && row < names->n ? kK(names)[row] : nullptr;
            if (!symbols(names, category.shortNames))
                return false;
            entry.categories << category;
        }
        out << entry;
    }
    return true;
}

class Loader {
public:
    Loader(ServiceChannel& channel, const NamespaceLoadSettings& settings, const NamespaceLoad::Observer& observer)
        : m_channel(channel), m_settings(settings), m_observer(observer)
    {
    }

    NamespaceLoad::Result run(std::shared_ptr<NamespaceModel> previous);

private:
    void rootText(const QString& text)
    {
        if (m_observer.rootText)
            m_observer.rootText(text);
    }
    void message(const QString& text)
    {
        if (m_observer.message)
            m_observer.message(text);
    }
    // Runs one query; null after showing the failure message.
    KPtr query(const QString& text)
    {
        KPtr reply(m_channel.call(text));
        if (!reply) {
            message(NamespaceLoad::failureMessage(text, m_channel.failureText(), m_settings.serverName));
        } else if (reply->t == KERR) {
            message(NamespaceLoad::failureMessage(text, console(reply.get()), m_settings.serverName));
            reply.reset();
        }
        return reply;
    }
    void malformed(const QString& text, K reply)
    {
        message(NamespaceLoad::malformedMessage(text, console(reply), m_settings.serverName));
    }

    void loadVariables(NamespaceModel& model);
    void loadTables(NamespaceModel& model);
    void loadFunctions(NamespaceModel& model);
    void loadFiles(NamespaceModel& model);

    ServiceChannel& m_channel;
    const NamespaceLoadSettings& m_settings;
    const NamespaceLoad::Observer& m_observer;
    QStringList m_tables;
    QStringList m_variables;
    QStringList m_functions;
};

NamespaceLoad::Result Loader::run(std::shared_ptr<NamespaceModel> previous)
{
    NamespaceLoad::Result result;
    result.model = std::move(previous);
    rootText(QStringLiteral("Namespaces"));
    if (m_settings.serverName.isEmpty()) {
        result.tree = std::make_shared<NamespaceTree>();
        return result;
    }
    rootText(QStringLiteral("Querying namespaces..."));
    result.tree = std::make_shared<NamespaceTree>(QStringLiteral("Querying namespaces..."));
    const QString text = ServiceQueries::namespacesQuery(m_settings.timeLimit);
    KPtr reply = query(text);
    if (!reply)
        return result;
    auto model = std::make_shared<NamespaceModel>();
    if (!parseNamespaces(reply.get(), model->namespaces)) {
        malformed(text, reply.get());
        return result;
    }
    reply.reset();
    for (const NamespaceEntry& ns : std::as_const(model->namespaces)) {
        model->namespaceSet.insert(ns.symbol);
        model->namespaceList += QLatin1Char(';') + ns.symbol + QLatin1Char(';');
        const QString prefix = ns.prefix();
        for (const NamespaceCategory& category : ns.categories) {
            QStringList* list = nullptr;
            if (category.name == QLatin1String("Tables"))
                list = &m_tables;
            else if (category.name == QLatin1String("Variables") || category.name == QLatin1String("Constants"))
                list = &m_variables;
            else if (category.name == QLatin1String("Functions") || category.name == QLatin1String("Handlers"))
                list = &m_functions;
            if (!list)
                continue;
            for (const QString& name : category.shortNames)
                if (ServiceQueries::isPlainIdentifier(name))
                    *list << prefix + name;
        }
    }
    if (!m_variables.isEmpty())
        loadVariables(*model);
    if (!m_tables.isEmpty())
        loadTables(*model);
    if (!m_functions.isEmpty())
        loadFunctions(*model);
    if (!model->files.isEmpty())
        loadFiles(*model);
    result.tree = NamespaceTree::build(*model, m_settings.tree);
    model->serverName = m_settings.serverName;
    model->endTime = QDateTime::currentSecsSinceEpoch();
    result.model = std::move(model);
    result.loaded = true;
    return result;
}

void Loader::loadVariables(NamespaceModel& model)
{
    rootText(QStringLiteral("Querying variables..."));
    const QString text = ServiceQueries::variablesQuery(m_settings.timeLimit, m_variables, m_tables);
    KPtr reply = query(text);
    if (!reply)
        return;
    QStringList names;
    K items = nullptr;
    if (!symbolDictionary(reply.get(), names, items)) {
        malformed(text, reply.get());
        return;
    }
    for (J i = 0; i < items->n; ++i) {
        K info = kK(items)[i];
        const auto type = integer(item(info, 0));
        if (!type || count(info) != 3)
            continue;
        QString nameSpace, shortName;
        splitName(names.at(i), nameSpace, shortName);
        auto variable = std::make_unique<CQVariable>(nameSpace, shortName, int(*type),
                                                     integer(item(info, 1)).value_or(-1),
                                                     integer(item(info, 2)).value_or(-1));
        variable->setDescription(ReservedNames::describe(nameSpace + QLatin1Char('.') + shortName));
        model.insert(std::move(variable));
    }
}

void Loader::loadTables(NamespaceModel& model)
{
    rootText(QStringLiteral("Querying tables..."));
    const QString text = ServiceQueries::tablesQuery(m_settings.timeLimit, m_tables);
    KPtr reply = query(text);
    if (!reply)
        return;
    QStringList names;
    K items = nullptr;
    if (!symbolDictionary(reply.get(), names, items)) {
        malformed(text, reply.get());
        return;
    }
    for (J i = 0; i < items->n; ++i) {
        K info = kK(items)[i];
        const auto type = integer(item(info, 1));
        if (!type || count(info) != 3)
            continue;
        const int storage = CQTable::storageOf(int(*type), int(integer(item(info, 2)).value_or(0)));
        std::int64_t rows = -1;
        std::int64_t size = -1;
        if (CQEntity* variable = model.find(names.at(i)); variable && variable->kind() == CQEntity::Variable) {
            rows = variable->count();
            size = variable->serialisedSize();
        }
        QString nameSpace, shortName;
        splitName(names.at(i), nameSpace, shortName);
        auto table = std::make_unique<CQTable>(nameSpace, shortName, item(info, 0), storage, rows, size);
        if (nameSpace == QLatin1String(".z"))
            table->setDescription(ReservedNames::describe(names.at(i)));
        model.insert(std::move(table));
    }
}

void Loader::loadFunctions(NamespaceModel& model)
{
    rootText(QStringLiteral("Querying functions..."));
    const QString text = ServiceQueries::functionsQuery(m_settings.timeLimit, m_functions);
    KPtr reply = query(text);
    if (!reply)
        return;
    QStringList names;
    K items = nullptr;
    if (!symbolDictionary(reply.get(), names, items)) {
        malformed(text, reply.get());
        return;
    }
    rootText(QStringLiteral("Building cross-reference..."));
    model.bodies.clear();
    for (J i = 0; i < items->n; ++i) {
        K info = kK(items)[i];
        const auto type = integer(item(info, 0));
        if (!type || count(info) != 4)
            continue;
        K pair = item(info, 3);
        QString nameSpace, shortName;
        splitName(names.at(i), nameSpace, shortName);
        auto function = std::make_unique<CQFunction>(nameSpace, shortName, int(*type), item(info, 1),
                                                     console(item(info, 2)), console(item(pair, 1)),
                                                     console(item(pair, 0)), m_settings.hidePureIndirects);
        function->setDescription(ReservedNames::describe(names.at(i)));
        if (!function->fileName().isEmpty())
            model.files.insert(function->fileName(), QString());
        if (function->type() == KPROJECTION)
            model.projections << names.at(i);
        if (function->type() == KLAMBDA && !function->body().isEmpty())
            model.bodies.insert(function->body(), names.at(i));
        model.functionOrder << names.at(i);
        model.insert(std::move(function));
    }
    CrossReference::compute(model);
}

void Loader::loadFiles(NamespaceModel& model)
{
    rootText(QStringLiteral("Querying files..."));
    const QStringList paths = model.files.keys();
    const QString text = ServiceQueries::filesQuery(m_settings.timeLimit, paths);
    KPtr reply = query(text);
    if (!reply)
        return;
    K list = reply.get();
    if (list->t != 0 || list->n != paths.size()) {
        malformed(text, list);
        return;
    }
    for (J i = 0; i < list->n; ++i) {
        K bytes = kK(list)[i];
        if (bytes && (bytes->t == KG || bytes->t == KC))
            model.files[paths.at(int(i))] =
                QString::fromLocal8Bit(reinterpret_cast<const char*>(kG(bytes)), qsizetype(bytes->n));
    }
}

} // namespace

NamespaceLoad::Result NamespaceLoad::run(ServiceChannel& channel, const NamespaceLoadSettings& settings,
                                         std::shared_ptr<NamespaceModel> previous, const Observer& observer)
{
    std::shared_ptr<NamespaceModel> kept = previous;
    Result result;
    try {
        Loader loader(channel, settings, observer);
        result = loader.run(std::move(previous));
    } catch (const std::exception&) {
        if (observer.message)
            observer.message(exceptionMessage());
        result = Result();
        result.model = std::move(kept);
        result.tree = std::make_shared<NamespaceTree>();
    }
    // A load that asked the instance ends by recording where and when, failed or not.
    if (!settings.serverName.isEmpty()) {
        result.serverName = settings.serverName;
        result.endTime = QDateTime::currentSecsSinceEpoch();
    }
    return result;
}
