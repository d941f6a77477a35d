#include "query/Subscription.h"

QString Subscription::withBackquote(const QString& text)
{
    return text.startsWith(u'`') ? text : u'`' + text;
}

QString Subscription::subscribeQuery(const QString& table, const QString& symbols)
{
    return QStringLiteral(".u.sub[") + withBackquote(table) + u';' + withBackquote(symbols) + u']';
}

bool Subscription::hasTwoItems(K reply) { return reply && reply->t >= 0 && reply->t < 20 && reply->n == 2; }

bool Subscription::isTableLike(K value)
{
    if (!value)
        return false;
    if (value->t == XT)
        return true;
    return value->t == XD && kK(value)[0]->t == XT && kK(value)[1]->t == XT;
}

K Subscription::schemaOf(K reply)
{
    if (!reply || reply->t != 0 || reply->n < 2)
        return nullptr;
    K schema = kK(reply)[1];
    if (schema && schema->t == 0) {
        // Several tables: the first one's (name; schema).
        K first = kK(reply)[0];
        schema = first && first->t == 0 && first->n >= 2 ? kK(first)[1] : nullptr;
    }
    return isTableLike(schema) ? schema : nullptr;
}

QString Subscription::oddReplyQuestion(const QString& rendered)
{
    return QStringLiteral("Unable to make sense of .u.sub response:\n") + rendered
        + QStringLiteral("\nWait for updates anyway?");
}

Subscription::Message Subscription::classify(K message, K* data)
{
    *data = nullptr;
    if (!message || message->t != 0 || message->n != 3)
        return Message::Stop;
    K third = kK(message)[2];
    if (!isTableLike(third))
        return Message::Skip;
    *data = third;
    return Message::Update;
}

QString Subscription::title(bool subscribed, const QString& instance, const QString& table, const QString& symbols)
{
    if (!subscribed)
        return QStringLiteral("Subscription");
    QString text = QStringLiteral("Subbed @ %1 to %2").arg(instance, table);
    if (!symbols.isEmpty() && symbols != QStringLiteral("`"))
        text += QStringLiteral(" on sym(s): %1").arg(symbols);
    return text;
}
