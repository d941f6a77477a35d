// Who uses what, worked out on the client from the function texts: the lambda
// each projection was made from ("matched to") and every entity's "used in"
// list.
#pragma once

#include <QString>

class NamespaceModel;

class CrossReference {
public:
    static void compute(NamespaceModel& model);
    // n as function namespace ns sees it: ns.n for a relative name in a
    // namespace, with a leading dot when it names a namespace member.
    static QString qualify(QString name, const QString& functionNamespace);
};
