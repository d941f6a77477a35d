// The worker of one run: makes the blocking call, reports the outcome, then
// holds the reply until the user-interface thread no longer shows it, so that
// the reply is freed on the thread whose call produced it.
#pragma once

#include "core/settings/CDlgQSettings.h"

#include <QString>
#include <QThread>

#include <memory>

class CQHelper;
class ReplyGate;

class QueryWorker : public QThread {
    Q_OBJECT
public:
    QueryWorker(CQHelper& session, QString query, const CDlgQSettings& q, const CDlgEditorSettings& editor,
                std::shared_ptr<ReplyGate> gate, QObject* parent = nullptr);

    ReplyGate& gate() const { return *m_gate; }

signals:
    // "q) " and the query, for the console.
    void echo(const QString& text);
    // The run finished with code (a reply, an error reply or a lost connection).
    void runFinished(int code, const QString& query);

protected:
    void run() override;

private:
    CQHelper& m_session;
    const QString m_query;
    const CDlgQSettings m_q;
    const CDlgEditorSettings m_editor;
    std::shared_ptr<ReplyGate> m_gate;
};
