// A connect and, when it succeeds, one service query, made on a worker thread
// without asking anything: the questions a connect may need (TLS on or off)
// are asked by the caller on the window's thread once the attempt is back.
#pragma once

#include "core/Prompter.h"
#include "core/settings/CDlgQSettings.h"
#include "kdb/KHandle.h"
#include "kdb/KPtr.h"

#include <QString>
#include <QStringList>

class AuthPlugins;

class SessionAttempt {
public:
    struct Request {
        // Either a connection symbol opened with credential resolution, or
        // host, port and credentials connected as they are.
        QString symbol;
        QString host;
        int port = 0;
        QString credentials;
        int timeoutSec = 5;
        CDlgQSettings q;                  // a copy: capability, TLS, default credentials
        AuthPlugins* plugins = nullptr;   // read only
        QString query;                    // sent once connected, when not empty
        bool keepHandle = false;          // hand the open handle over instead of closing it
    };
    struct Outcome {
        int result = -1;            // as khpunc: handle > 0, 0, -1, -2, -3
        bool libraryCalled = false; // false: the instance was not reachable at all
        QString error;              // the library's error text after a failed connect
        QStringList tlsTexts;       // after -3: ee(sslInfo(0)) and ee of that, as console text
        KPtr reply;                 // the query's reply; null when the connection was lost
        KHandle handle;             // with keepHandle: the open handle, closed unless released
    };

    // Blocking; call it off the window's thread.
    static Outcome run(const Request& request);

    // The question Connect asks after a -1 from the library, by EnableTLS.
    static QString tlsQuestion(bool tlsEnabled);
    // Its default: turning TLS off would send the credentials in the clear,
    // so that needs a deliberate Yes; turning it on is the default.
    static Prompter::Answer tlsDefault(bool tlsEnabled);
};
