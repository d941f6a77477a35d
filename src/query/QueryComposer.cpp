#include "query/QueryComposer.h"

#include "core/settings/CDlgQSettings.h"

bool QueryComposer::asyncMode(const CDlgQSettings& q) { return q.asyncAllowed && q.AsyncQuerying; }

bool QueryComposer::wrapRequested(const CDlgEditorSettings& editor, bool runAsIs)
{
    return editor.WrapSyncQueries && !runAsIs;
}

QString QueryComposer::defaultSyncLambda() { return QStringLiteral(TOVO_DEFAULT_SYNC_LAMBDA); }

QString QueryComposer::defaultAsyncSendbackLambda() { return QStringLiteral(TOVO_DEFAULT_ASYNC_SENDBACK_LAMBDA); }

ComposedQuery QueryComposer::compose(const QString& query, bool wrapFlag, const CDlgQSettings& q,
                                     const CDlgEditorSettings& editor)
{
    ComposedQuery out;
    out.query = query.toUtf8();
    if (asyncMode(q)) {
        out.mode = ComposedQuery::Mode::Async;
        const QString lambda = editor.AsyncSendbackLambda.isEmpty() ? defaultAsyncSendbackLambda()
                                                                    : editor.AsyncSendbackLambda;
        out.lambda = lambda.toUtf8();
        return out;
    }
    if (wrapFlag && !editor.SyncLambda.isEmpty()) {
        out.mode = ComposedQuery::Mode::Wrapped;
        out.lambda = editor.SyncLambda.toUtf8();
    }
    return out;
}

K QueryComposer::send(int handle, const ComposedQuery& composed)
{
    // kp needs a zero-terminated text; a QByteArray always has one, but the
    // query may itself hold zero bytes, so its length is passed.
    switch (composed.mode) {
    case ComposedQuery::Mode::Plain:
        return k(handle, composed.query.constData(), static_cast<K>(nullptr));
    case ComposedQuery::Mode::Wrapped:
        return k(handle, composed.lambda.constData(), kpn(composed.query.constData(), composed.query.size()),
                 static_cast<K>(nullptr));
    case ComposedQuery::Mode::Async: {
        K sent = k(-handle, composed.lambda.constData(), kpn(composed.query.constData(), composed.query.size()),
                   static_cast<K>(nullptr));
        if (!sent)
            return nullptr;
        if (sent->t == KERR)
            return sent; // could not be serialised: nothing went out
        r0(sent);
        return k(handle, static_cast<const char*>(nullptr));
    }
    }
    return nullptr;
}
