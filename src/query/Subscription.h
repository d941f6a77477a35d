// The rules of the subscription test: the .u.sub text, the checks on its
// reply, which published messages carry an update, and the dialog's title.
#pragma once

#include "kdb/k.h"

#include <QString>

class Subscription {
public:
    // A backquote in front when the text lacks one; empty gives a lone backquote.
    static QString withBackquote(const QString& text);
    // ".u.sub[" table ";" symbols "]", both given their backquote.
    static QString subscribeQuery(const QString& table, const QString& symbols);

    // Whether the reply has exactly 2 items (the table name and its schema).
    static bool hasTwoItems(K reply);
    // The schema to show from a two-item reply: its second item, or for a
    // subscription to several tables the first item's second item; null when
    // that is neither a table nor a keyed table. Borrowed from reply.
    static K schemaOf(K reply);
    static bool isTableLike(K value);
    static QString oddReplyQuestion(const QString& rendered);

    enum class Message { Update, Skip, Stop };
    // A published message: a list of exactly 3 items (function, table, data)
    // whose data is a table or a keyed table is an update (data borrowed into
    // *data); another 3-item list is skipped; a null or anything else ends
    // the subscription.
    static Message classify(K message, K* data);

    // "Subbed @ instance to table", " on sym(s): syms" unless the symbols are
    // empty or a lone backquote; "Subscription" when not subscribed.
    static QString title(bool subscribed, const QString& instance, const QString& table, const QString& symbols);
};
