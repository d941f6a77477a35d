// What the debugger window shows of the agent, read from the answer of the
// state query (ten items, each a value or an "ERROR: '..." text) and from
// the agent's command answers and listings.
#pragma once

#include "kdb/KPtr.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

struct DebugStackEntry {
    enum Kind { Printed, Value, Call };
    Kind kind = Value;
    QString text;         // as the stack list shows it
    int stackIndex = -1;  // index in the agent's stack; -1 for the current frame
    bool top = false;     // the current frame (the last entry)
    QString function;     // call records: the function's text (or "locked")
    int line = -1;        // call records: statement number
    KPtr frame;           // call records: the frame's values by name
};

struct DebugVariable {
    QString name;
    QString value;
    bool internal = false; // the frame's own entries (.ns, .c, ...)
};

struct DebugBreakpoint {
    QString function; // the function's text
    int line = -1;
};

struct DebugState {
    QString function;        // the current function's text; "locked" or an error text otherwise
    bool functionKnown = false;
    QList<DebugStackEntry> stack;
    QList<DebugBreakpoint> breakpoints;
    QList<DebugVariable> variables;
    int currentLine = -1;    // statement number; -1 when there is none
    QString byteCode;        // console text of the byte code ("0x...")
    int byteIndex = -1;
    int handledSignals = -1; // -1: not read
    int timeoutSec = -1;
    int native = -1;         // 0, 1, or -1 when not read
    QStringList itemErrors;  // "ERROR: '..." texts of failing items, by item

    // Characters [start, end) of the current byte in byteCode, or (-1,-1).
    std::pair<int, int> byteSelection() const;
    // The current function's breakpoints as ";1;4;".
    QString breakpointSet() const;
};

class DebugStateParser {
public:
    // Renders values as console text for the lists.
    using Render = std::function<QString(K)>;
    // Null or a reply that is not a ten-item list gives false.
    static bool parse(K reply, const Render& render, DebugState& state);
    // The statement number in a ".z.deb.pl[]" answer ("Current line: 3: ..."); -1 without one.
    static int currentLine(const QString& text);
    // Variables of a frame dictionary (name -> value).
    static QList<DebugVariable> variables(K frame, const Render& render);
};

// The text of an agent's answer as "Execution status:" shows it.
struct DebugAnswer {
    QString text;
    bool exception = false; // starts with "Exception"

    static DebugAnswer from(K answer, const DebugStateParser::Render& render);
    // The answer's lines: a string split at line feeds, a list of strings
    // one a line, anything else its console text.
    static QStringList lines(K answer, const DebugStateParser::Render& render);
};
