// What is sent for a query the user runs: the text itself, the text handed to
// the wrapping lambda (synchronous), or the text handed to the send-back
// lambda whose outcome comes back as a separate asynchronous message.
#pragma once

#include "kdb/k.h"

#include <QByteArray>
#include <QString>

class CDlgQSettings;
class CDlgEditorSettings;

struct ComposedQuery {
    enum class Mode { Plain, Wrapped, Async };
    Mode mode = Mode::Plain;
    QByteArray lambda; // UTF-8; empty for Plain
    QByteArray query;  // UTF-8
};

class QueryComposer {
public:
    // AsyncQuerying counts only when the program was started with --async.
    static bool asyncMode(const CDlgQSettings& q);
    // Whether Run sets the session's one-shot wrap flag.
    static bool wrapRequested(const CDlgEditorSettings& editor, bool runAsIs);
    // The composition of one run; wrapFlag is the session's flag, already
    // taken (cleared) by the caller.
    static ComposedQuery compose(const QString& query, bool wrapFlag, const CDlgQSettings& q,
                                 const CDlgEditorSettings& editor);

    // Makes the client-library calls for a composed query on handle and
    // returns the reply: null when the connection is gone.
    static K send(int handle, const ComposedQuery& composed);

    static QString defaultSyncLambda();
    static QString defaultAsyncSendbackLambda();
};
