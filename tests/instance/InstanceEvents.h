// What the test instance reports as it happens, as signals on the thread that
// created the instance, so tests wait on them (QSignalSpy::wait, QTRY_*)
// instead of sleeping.
#pragma once

#include <QObject>
#include <QString>

class InstanceEvents : public QObject {
    Q_OBJECT
signals:
    // A client sent its login (whether or not it is answered).
    void handshakeReceived();
    // A message arrived (its query text).
    void messageReceived(const QString& text);
    // The reply to a delayed rule's query was written (or was due when the
    // client had gone).
    void delayedReplyWritten(const QString& text);
};
