// Descriptions of the reserved names of .z, .h and .Q, shown as an entity's
// "Description"; a described .z handler stays in the tree when undefined.
#pragma once

#include <QString>

class ReservedNames {
public:
    // Exact, case-sensitive match of the whole name; empty text when unknown.
    static QString describe(const QString& fullName);
    // Whether the table holds the name (some names have an empty description).
    static bool isKnown(const QString& fullName);
    static int size();
};
