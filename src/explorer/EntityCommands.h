// The texts of the namespace explorer's Get source and Delete from namespace.
#pragma once

#include <QString>

class CQEntity;

namespace EntityCommands {

// The editor text of Get source: the name, ":", the definition as the
// console shows it, ";" and two line ends. A "k)" in front of the
// definition moves in front of the name.
QString sourceText(const QString& fullName, const QString& definition);

// "delete x from `." for a root name, "delete f from `.feed" otherwise.
QString deleteQuery(const CQEntity& entity);
// The confirmation asked before it is sent.
QString deleteQuestion(const QString& query);

} // namespace EntityCommands
