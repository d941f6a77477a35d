#include "InstanceWatches.h"

#include "TestInstance.h"
#include "ValueNotation.h"

namespace {

const QString kOpen = QStringLiteral("@[value;\"");
const QString kClose = QStringLiteral("\";`$\"!SIGNAL!\",]");
const QString kTail = QStringLiteral("1;0h)");

} // namespace

std::shared_ptr<InstanceWatches> InstanceWatches::install(TestInstance& instance)
{
    auto model = std::make_shared<InstanceWatches>();
    auto rule = std::make_shared<InstanceRule>();
    rule->pattern = QRegularExpression(QStringLiteral(R"(^\(@\[value;".*;1;0h\)$)"),
                                       QRegularExpression::DotMatchesEverythingOption);
    rule->usesPattern = true;
    rule->compute = [model](const QString& text) { return model->answer(text); };
    instance.addRule(std::move(rule));
    return model;
}

void InstanceWatches::addValue(const QString& expression, K value)
{
    QMutexLocker lock(&m_mutex);
    m_answers[expression].append({KPtr(value), QString()});
}

void InstanceWatches::addError(const QString& expression, const QString& error)
{
    QMutexLocker lock(&m_mutex);
    m_answers[expression].append({KPtr(), error});
}

bool InstanceWatches::applyLine(const QString& key, const QString& text, QString* error)
{
    const qsizetype arrow = text.lastIndexOf(QStringLiteral(" -> "));
    if (arrow <= 0) {
        if (error)
            *error = QStringLiteral("watch lines read EXPRESSION -> ANSWER");
        return false;
    }
    const QString expression = text.left(arrow).trimmed();
    const QString answer = text.mid(arrow + 4).trimmed();
    if (key == QLatin1String("error")) {
        addError(expression, answer);
        return true;
    }
    if (key != QLatin1String("value")) {
        if (error)
            *error = QStringLiteral("unknown watch line watch-%1").arg(key);
        return false;
    }
    QString why;
    KPtr value = ValueNotation::parse(answer, &why);
    if (!value) {
        if (error)
            *error = why;
        return false;
    }
    addValue(expression, value.release());
    return true;
}

QString InstanceWatches::formatHelp()
{
    return QStringLiteral(
        "Watches (answers the watch list's combined query, item by item):\n"
        "    watch-value: count trades -> 42   the expression's value (notation below); more\n"
        "                                  lines for one expression: one value a query, the last stays\n"
        "    watch-error: nosuch -> nosuch     the expression signals this error\n"
        "  An expression with no line signals its own text, as q does for an undefined name.\n");
}

bool InstanceWatches::parseQuery(const QString& text, QStringList* expressions)
{
    if (!text.startsWith(u'(') || !text.endsWith(kTail))
        return false;
    qsizetype at = 1;
    QStringList found;
    while (text.mid(at, kOpen.size()) == kOpen) {
        at += kOpen.size();
        QString expression;
        // The expression as a q string: \" and \\ escaped.
        while (at < text.size() && text.at(at) != u'"') {
            if (text.at(at) == u'\\' && at + 1 < text.size())
                ++at;
            expression += text.at(at++);
        }
        if (text.mid(at, kClose.size()) != kClose)
            return false;
        at += kClose.size();
        if (at >= text.size() || text.at(at) != u';')
            return false;
        ++at;
        found << expression;
    }
    if (found.isEmpty() || text.mid(at) != kTail)
        return false;
    if (expressions)
        *expressions = found;
    return true;
}

KPtr InstanceWatches::answer(const QString& text)
{
    QStringList expressions;
    if (!parseQuery(text, &expressions))
        return {};
    QMutexLocker lock(&m_mutex);
    K reply = ktn(0, expressions.size() + 2);
    for (qsizetype i = 0; i < expressions.size(); ++i) {
        const QString& e = expressions.at(i);
        const auto found = m_answers.constFind(e);
        QString error = e;
        K item = nullptr;
        if (found != m_answers.cend() && !found->isEmpty()) {
            int& taken = m_taken[e];
            const Answer& a = found->at(std::min<qsizetype>(taken, found->size() - 1));
            ++taken;
            if (a.value)
                item = r1(a.value.get());
            else
                error = a.error;
        }
        if (!item)
            item = ks(("!SIGNAL!" + error).toUtf8().constData());
        kK(reply)[i] = item;
    }
    kK(reply)[expressions.size()] = kj(1);
    kK(reply)[expressions.size() + 1] = kh(0);
    return KPtr(reply);
}
