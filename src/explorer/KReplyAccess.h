// Checked reading of service query replies: every accessor returns null, an
// empty text or the fallback when the value has another shape, so a reply
// from an instance that answers differently can never be read out of bounds.
#pragma once

#include "kdb/k.h"

#include <QString>

#include <optional>

namespace KReplyAccess {
bool isDictionary(K x);
// Keys and values of a dictionary; null for anything else.
K keys(K x);
K values(K x);
// The key or value table of a keyed table (keys = true for the key part).
K keyedPart(K x, bool keys);
// The column of a table (or of a dictionary of columns) by name.
K column(K table, const char* name);
// Item i of a list: a symbol, a character (a char vector's item) or a char
// vector of a general list as text; empty for anything else.
QString itemText(K list, J i);
// A symbol or char-vector value as text, nullopt for anything else.
std::optional<QString> text(K x);
// Symbols of a symbol list (or one symbol atom).
bool symbols(K x, QStringList& out);
// Item i of a general list, or null.
K item(K list, J i);
// A short, int or long atom as a 64-bit number, or nullopt.
std::optional<std::int64_t> integer(K x);
// Number of items of a list, table rows of a table, else 0.
J count(K x);
} // namespace KReplyAccess
