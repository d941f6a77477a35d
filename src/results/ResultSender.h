// Sending a value to the connected instance under a name: a session of its
// own is opened to the server (off the window's thread, questions asked on
// it), the global named by the text becomes the value, and the session is
// released. The reply is not shown; connection failures are the session's
// to report.
#pragma once

#include "connect/CQHelper.h"

#include "kdb/KPtr.h"

#include <QObject>

#include <memory>

class ResultSender : public QObject {
    Q_OBJECT
public:
    // The q function that assigns y to the global named by x.
    static constexpr const char* kSetFunction = "{(`$x) set y}";

    // Starts the send; the sender deletes itself once done.
    static ResultSender* send(const SessionContext& context, const QString& server, const QString& name, K value,
                              QObject* parent);

signals:
    // sent: the instance answered without a q error.
    void finished(bool sent);

private:
    ResultSender(const SessionContext& context, const QString& name, K value, QObject* parent);
    void opened(int handle);
    void done(bool sent);

    std::unique_ptr<CQHelper> m_session;
    QString m_name;
    KPtr m_value;
};
