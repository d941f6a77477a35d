// The names auto-complete offers: the global names the namespace explorer
// knows for the connected instance. The editor sees them only through this.
#pragma once

#include <QList>
#include <QString>

struct CompletionName {
    QString name;       // full q name
    int kind = 0;       // 3 table, 4 function, 5 variable, anything else 0
    QString parameters; // functions: "[x;y]", or empty
    bool unresolved = false; // a function that uses names that exist nowhere
};

class CompletionSource {
public:
    virtual ~CompletionSource() = default;
    // Nothing is listed while a load runs.
    virtual bool loading() const = 0;
    // Any order; sorted by name and parameters without regard to case, the
    // lists under a namespace need no sorting when opened.
    virtual QList<CompletionName> names() const = 0;
};
