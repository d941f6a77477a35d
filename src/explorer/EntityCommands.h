// The texts of the namespace explorer's Get source and Delete from namespace,
// and the entity Find largest selects.
#pragma once

#include <QString>

class CQEntity;
class NamespaceModel;

namespace EntityCommands {

// The editor text of Get source: the name, ":", the definition as the
// console shows it, ";" and two line ends. A "k)" in front of the
// definition moves in front of the name.
QString sourceText(const QString& fullName, const QString& definition);

// What the user is told when Get source of a function fails: the name and
// the reason (a q error as "'" + its text).
QString sourceFailedText(const QString& fullName, const QString& reason);

// "delete x from `." for a root name, "delete f from `.feed" otherwise.
QString deleteQuery(const CQEntity& entity);
// The confirmation asked before it is sent.
QString deleteQuestion(const QString& query);

// Find largest: the entity of the entity map with the greatest size estimate
// (or serialised size), above 0; tables on disk are skipped (their sizes are
// not what memory holds). Equal sizes go to the first name in order; null
// when none is above 0.
const CQEntity* largest(const NamespaceModel& model, bool serialised);

} // namespace EntityCommands
